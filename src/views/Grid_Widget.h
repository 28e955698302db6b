#pragma once
// The on-screen grid: a Text_Grid shown by a QTableView. The model answers from the
// grid's own cells (nothing is copied per paint, nothing is created per row); the fixed
// rows are painted by our header above the data rows, so they stay in place while the
// rows scroll; merged cells, pictures, alignment and the grid lines are painted by the
// delegate. The current cell and the selection follow the grid's Row/Col/Row_Sel/
// Col_Sel both ways, and the grid's Top_Row/Left_Col follow the scrolling.
//
// Fixed columns are painted with the header's look but scroll with the others. The
// header is Qt's: a click on a heading is told, a border dragged resizes the column
// (the new width goes back into the grid), and a heading cut short shows its whole
// text as a tip.
#include "views/Grid_Model.h"

#include <QEvent>
#include <QTableView>
#include <vector>

class QHeaderView;
class QHelpEvent;
class Grid_Header;
class Grid_Delegate;

// Flex-grid selection modes.
enum class Grid_Selection_Mode { Free, By_Row, By_Column };

class Grid_Widget : public QTableView {
    Q_OBJECT
public:
    // The grid's inner border, counted in the mouse positions as the grid control does.
    static constexpr int Border_Twips = 30;

    explicit Grid_Widget(Text_Grid& grid, QWidget* parent = nullptr);
    ~Grid_Widget() override;

    Text_Grid& Grid() const;
    Grid_Model* Model() const { return model_; }

    // By_Row: a click selects whole rows (Col = first column, Col_Sel = last column).
    void Set_Selection_Mode(Grid_Selection_Mode mode);
    Grid_Selection_Mode Selection_Mode() const { return selection_mode_; }
    // false: one row (or cell) at a time; true: the mouse may drag a range, as the
    // grid control allows. Default true.
    void Set_Allow_Range(bool on);
    // false: no cell is drawn as chosen, whatever the grid's current cell (which then
    // means nothing), until the user chooses one by mouse or keyboard; that choice is
    // told even when it is the grid's current cell already. Default true.
    void Set_Selection_Shown(bool on);
    bool Selection_Shown() const { return selection_shown_; }
    // Word wrap of the cell texts (for rows made higher to hold wrapped text).
    void Set_Word_Wrap(bool on);
    bool Word_Wrap() const { return word_wrap_; }
    // false: no data row can be chosen (the empty row of a result without records).
    void Set_Rows_Selectable(bool on);
    bool Rows_Selectable() const { return rows_selectable_; }
    // Rows whose column 0 reads key are drawn tinted (the record on display); "" none.
    void Set_Marked_Key(const QString& key);
    const QString& Marked_Key() const { return marked_key_; }

    // Where the mouse was at the last mouse event: grid row and column, -1 when none.
    int Mouse_Row() const { return mouse_row_; }
    int Mouse_Col() const { return mouse_col_; }
    // Grid row and column at a point of this widget, in pixels; -1 when none.
    int Row_At_Pixel(int y) const;
    int Col_At_Pixel(int x) const;
    // A cell's rectangle in this widget's pixels (fixed rows included), from the
    // grid's sizes and scroll position; empty for a hidden column or a bad index.
    QRect Cell_Rect(int row, int col) const;
    // Fully or partly shown in the viewport (fixed rows always are).
    bool Row_Is_Visible(int row) const;
    bool Col_Is_Visible(int col) const;
    // The last grid row partly shown, -1 when no data row is.
    int Last_Visible_Row() const;
    // Twips from the widget's top-left corner, the border counted as Border_Twips;
    // what the mouse signals give.
    int X_Twips(int x_pixels) const;
    int Y_Twips(int y_pixels) const;

    // The header that shows the fixed rows.
    QHeaderView* Fixed_Rows_Header() const;

signals:
    // X, Y in twips (see X_Twips); Button the button pressed or released, or for a
    // move the buttons held.
    void MouseDown(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void MouseUp(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // The current cell (Row or Col) changed, by the user or in code.
    void RowColChange();
    // The selection (Row, Col, Row_Sel or Col_Sel) changed, by the user or in code.
    void SelChange();
    void DblClick();
    // A cell's menu is asked for (right button, the menu key or Shift+F10): its grid
    // row and column (-1 when none) and where the menu goes, in screen pixels.
    void Context_Menu_Asked(int row, int col, QPoint global);
    // A heading was clicked, away from its borders; each click of a double click counts.
    void Header_Clicked(int col);
    // The user dragged a column's border (or double-clicked it) and let go; the grid
    // already holds the new width.
    void Column_Resized_By_Hand(int col);
    // The part of the grid that shows cells changed its width.
    void Viewport_Width_Changed();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class Grid_Header;
    void Apply_Layout();
    void Apply_Current();
    void Take_From_View();
    void View_Selection_Changed();
    void Tell_Changes();
    void Mouse_Event(QEvent::Type type, QWidget* from, QMouseEvent* e);
    void Apply_Scroll();
    void Section_Resized(int col, int old_size, int new_size);
    bool Header_Tip(QHelpEvent* e);

    Grid_Model* model_;
    Grid_Header* header_;
    Grid_Delegate* delegate_;
    Grid_Selection_Mode selection_mode_ = Grid_Selection_Mode::Free;
    bool word_wrap_ = false;
    bool allow_range_ = true;
    int mouse_row_ = -1, mouse_col_ = -1;
    // Guards: the view is being set from the grid, or the grid from the view.
    int applying_ = 0;
    bool selection_shown_ = true;
    bool rows_selectable_ = true;
    QString marked_key_;
    // A mouse button is down on the header; the column the user resized meanwhile.
    bool header_button_down_ = false;
    int resized_by_hand_ = -1;
    int viewport_width_ = -1;
    int user_event_ = 0;
    // Row, Col, Row_Sel, Col_Sel last told through the signals.
    int told_row_ = -1, told_col_ = -1, told_row_sel_ = -1, told_col_sel_ = -1;
    // Sizes last given to the view, so that a layout change touches only what moved.
    std::vector<int> applied_widths_, applied_heights_;
    int applied_default_height_ = -1;
};
