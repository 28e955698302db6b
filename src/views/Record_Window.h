#pragma once
// One record on its own: the label of each field of the current language on the left,
// its value on the right in a word-wrapping box as high as its text. The rows sit in
// Content, which the window's scroll area moves when they do not fit.
//
// One window at a time: Show_Record_Window creates it on first use and fills the same
// window for every next record until the user closes it.
#include "model/Value.h"

#include <QWidget>
#include <array>

class Result_View;
class QLabel;
class QScrollArea;
class Session;
class QTextEdit;

class Record_Window : public QWidget {
    Q_OBJECT
public:
    static constexpr int Max_Rows = 32;

    // Shows records of the session, in its language.
    explicit Record_Window(const Session& session, QWidget* owner = nullptr);  // Load
    const Session& Shown_Session() const { return session_; }

    QScrollArea* Scroll = nullptr;
    QWidget* Content = nullptr;
    std::array<QLabel*, Max_Rows> Label{};
    std::array<QTextEdit*, Max_Rows> Value_Texts{};

    // False (and nothing changed) when the number is not numeric, names no row of the
    // records table, or the record description has no field.
    bool Display_Record(const Value& record);

    // Puts the record's lines ("label: value") on the clipboard; Ctrl+C does it unless
    // part of a value is selected (that part is copied then).
    void Copy_Record();
    // Moves the window beside the grid, within the grid's screen: right of the grid's
    // window when there is room there, else left of it, else over the grid's right part.
    void Place_Beside(const QWidget* grid);

    // Lines of the record shown: label with ": ", value as displayed.
    int Shown_Rows() const { return static_cast<int>(lines_.size()); }
    const QList<QStringList>& Record_Lines() const { return lines_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    // The record again, with the labels of the language now in use.
    void changeEvent(QEvent* e) override;

private:
    const Session& session_;
    Value record_;
    bool shown_ = false;
    QList<QStringList> lines_;
};

// The one record window over owner: created on first use, then reused; it opens beside
// grid and comes forward with each record, whose row the grid marks while it is shown.
// False when the record cannot be shown (the window is then left as it was).
bool Show_Record_Window(const Session& session, int record, QWidget* owner, Result_View* grid = nullptr);
// The open record window, if any.
Record_Window* Current_Record_Window();
