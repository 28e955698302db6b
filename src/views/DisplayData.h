#pragma once
// One record on its own: the label of each field of the current language on the left,
// its value on the right in a word-wrapping box as high as its text. The rows sit in
// Frame1, which the window's scroll bars (cStdScrollBar) move when they do not fit.
//
// One window at a time: Show_Record_Window creates it on first use and fills the same
// window for every next record until the user closes it.
#include "model/Value.h"

#include <QWidget>
#include <array>

class cStdScrollBar;
class Result_View;
class QLabel;
class QTextDocument;
class QTextEdit;

class DisplayData : public QWidget {
    Q_OBJECT
public:
    static constexpr int Max_Rows = 32;
    // Inner area of the window as designed, in twips.
    static constexpr int Design_Width = 8730;
    static constexpr int Design_Height = 6165;
    // Height of a value box: lines x Line_Height + Box_Margin twips.
    static constexpr int Line_Height = 205;
    static constexpr int Box_Margin = 120;
    static constexpr int Label_Offset = 60;  // a label sits this far below its box's top
    static constexpr int Small_Change = 10;
    static constexpr int Scroll_Min = 3;

    explicit DisplayData(QWidget* owner = nullptr);  // Form_Load
    ~DisplayData() override;  // Form_Unload

    QWidget* Frame1 = nullptr;
    std::array<QLabel*, Max_Rows> Label{};
    std::array<QTextEdit*, Max_Rows> Valeur{};
    QTextDocument* RichTextBox1 = nullptr;  // measures the wrapped lines of a value
    cStdScrollBar* m_oVScroll = nullptr;

    // False (and nothing changed) when the number is not numeric, names no row of the
    // records table, or the record description has no field.
    bool Display_Record(const Value& record);
    void ReSizeCellHeight(int Index);
    void Form_Resize();

    void m_oVScroll_HChange(qint32 pos);
    void m_oVScroll_HScroll(qint32 pos);
    void m_oVScroll_VChange(qint32 pos);
    void m_oVScroll_VScroll(qint32 pos);

    // Puts the record's lines ("label: value") on the clipboard; Ctrl+C does it unless
    // part of a value is selected (that part is copied then).
    void Copy_Record();
    // Moves the window beside the grid, within the grid's screen: right of the grid's
    // window when there is room there, else left of it, else over the grid's right part.
    void Place_Beside(const QWidget* grid);

    // Lines of the record shown: label with ": ", value as displayed.
    int Shown_Rows() const { return static_cast<int>(lines_.size()); }
    const QList<QStringList>& Record_Lines() const { return lines_; }
    // Geometry in twips, as the layout set it (the pixels are rounded from these).
    int Frame1_Top() const { return frameTop_; }
    int Frame1_Left() const { return frameLeft_; }
    int Frame1_Width() const { return frameWidth_; }
    int Frame1_Height() const { return frameHeight_; }
    int Valeur_Top(int i) const { return rows_[static_cast<size_t>(i)].top; }
    int Valeur_Height(int i) const { return rows_[static_cast<size_t>(i)].height; }
    int Valeur_Width(int i) const { return rows_[static_cast<size_t>(i)].width; }
    int Label_Width() const { return labelWidth_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    struct Row_Geometry {
        int top = 0;
        int width = 0;
        int height = 0;
    };
    void Layout_Once(int SW, int SH);
    void Move_Frame();

    QList<QStringList> lines_;
    std::array<Row_Geometry, Max_Rows> rows_{};
    int labelWidth_ = 0;
    int frameTop_ = 0;
    int frameLeft_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool laying_out_ = false;
};

// The one record window over owner: created on first use, then reused; it opens beside
// grid and comes forward with each record, whose row the grid marks while it is shown.
// False when the record cannot be shown (the window is then left as it was).
bool Show_Record_Window(int record, QWidget* owner, Result_View* grid = nullptr);
// The open record window, if any.
DisplayData* Record_Window();
