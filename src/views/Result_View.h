#pragma once
// The result on screen: a QTableView over Result_Model. Selection, keyboard, scrolling
// and the header are Qt's; a delegate paints the merged look of identical neighbouring
// cells (a run of equal texts shows its text once, without lines between), line breaks,
// the grid lines and the row of the record on display; the header paints the sort
// arrows with their key numbers. Sizes are pixels.
#include "search/Result_Model.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

class Result_View;

// The headings: Qt's sections with the order's arrow and key number at the right.
class Result_Header : public QHeaderView {
public:
    explicit Result_Header(Result_View* view);
    // The heading's text does not fit in its section as painted.
    bool Text_Cut(int col) const;

protected:
    void paintSection(QPainter* p, const QRect& rect, int col) const override;

private:
    Result_View* view_;
};

class Result_Delegate : public QStyledItemDelegate {
public:
    explicit Result_Delegate(Result_View* view);
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Result_View* view_;
};

// The tint of the row of the record on display: the palette's highlight over its base,
// light enough to read the text on it.
QColor Marked_Row_Colour(const QPalette& p);

class Result_View : public QTableView {
    Q_OBJECT
public:
    Result_View(Result_Model& model, QWidget* parent = nullptr);

    Result_Model& Model() const { return model_; }

    // Texts wrap at the column's width (rows made higher to hold them).
    void Set_Word_Wrap(bool on);
    bool Word_Wrap() const { return word_wrap_; }
    // The row of this record is drawn tinted (the record on display); 0 none.
    void Set_Marked_Record(qint32 record);
    qint32 Marked_Record() const { return marked_record_; }

    // Every row one height.
    void Set_Uniform_Row_Height(int px);
    // One height per row (px.size() == rows); the commonest becomes the view's default,
    // so that only the others are resized one by one.
    void Set_Row_Heights(const std::vector<int>& px);

    // The current cell, or the corner cells of the selection: model rows and columns,
    // -1 when none.
    int Current_Row() const;
    int Current_Col() const;
    // The selected range that holds the current cell: top, left, bottom, right.
    QRect Selected_Range() const;
    // A cell's rectangle in the viewport's pixels; empty when it is not laid out.
    QRect Cell_Rect(int row, int col) const;
    // The heading of a column shows its text cut short.
    bool Heading_Cut(int col) const;
    Result_Header* Header() const { return header_; }

signals:
    // A cell's menu is asked for (right button, the menu key or Shift+F10): its row (-1
    // for a heading) and column (-1 when none) and where the menu goes, in screen pixels.
    void Context_Menu_Asked(int row, int col, QPoint global);
    // A heading was clicked, away from its borders; each click of a double click counts.
    void Header_Clicked(int col);
    // The user dragged a column's border (or double-clicked it) and let go.
    void Column_Resized_By_Hand(int col);
    // The mouse rests over a cell that holds a text.
    void Cell_Hovered(int row, int col);
    // The part of the view that shows cells changed its width.
    void Viewport_Width_Changed();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    Result_Model& model_;
    Result_Header* header_;
    bool word_wrap_ = false;
    qint32 marked_record_ = 0;
    bool header_button_down_ = false;
    int resized_by_hand_ = -1;
    int viewport_width_ = -1;
    int hovered_row_ = -1, hovered_col_ = -1;
};
