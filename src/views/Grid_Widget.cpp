#include "views/Grid_Widget.h"

#include "model/Value.h"
#include "views/Grid_Font.h"
#include "views/Grid_Painting.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Twips to pixels with one resolution lookup for a whole pass over the rows.
struct Twips_Scale {
    double x, y;
    explicit Twips_Scale(const QWidget* w)
        : x(Twips_To_Pixels_X(1440000, w) / 1000.0), y(Twips_To_Pixels_Y(1440000, w) / 1000.0) {}
    int Px_X(int twips) const { return static_cast<int>(std::lround(twips * x / 1440.0)); }
    int Px_Y(int twips) const { return static_cast<int>(std::lround(twips * y / 1440.0)); }
};
}  // namespace

Grid_Widget::Grid_Widget(Text_Grid& grid, QWidget* parent) : QTableView(parent) {
    model_ = new Grid_Model(grid, this);
    header_ = new Grid_Header(this);
    setHorizontalHeader(header_);
    // A click on a heading is the window's (it sorts); it does not choose the column.
    disconnect(header_, SIGNAL(sectionPressed(int)), this, nullptr);
    disconnect(header_, SIGNAL(sectionEntered(int)), this, nullptr);
    connect(header_, &QHeaderView::sectionClicked, this, &Grid_Widget::Header_Clicked);
    // The second click of a double click is a click as well.
    connect(header_, &QHeaderView::sectionDoubleClicked, this, &Grid_Widget::Header_Clicked);
    connect(header_, &QHeaderView::sectionResized, this, &Grid_Widget::Section_Resized);
    setModel(model_);
    delegate_ = new Grid_Delegate(this);
    setItemDelegate(delegate_);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setMouseTracking(true);
    header_->viewport()->installEventFilter(this);

    connect(model_, &Grid_Model::Layout_Changed, this, &Grid_Widget::Apply_Layout);
    connect(model_, &Grid_Model::Current_Changed, this, &Grid_Widget::Apply_Current);
    connect(model_, &Grid_Model::Fixed_Cells_Changed, this, [this] { header_->viewport()->update(); });
    connect(model_, &Grid_Model::Redraw_On, this, [this] {
        Apply_Current();
        viewport()->update();
        header_->viewport()->update();
    });
    // After a reset Qt's sections are back at their defaults; meanwhile no section
    // change is the user's.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ++applying_; });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        --applying_;
        applied_widths_.clear();
        applied_heights_.clear();
        applied_default_height_ = -1;
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &Grid_Widget::View_Selection_Changed);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &Grid_Widget::View_Selection_Changed);
    Apply_Layout();
    Apply_Current();
}

Grid_Widget::~Grid_Widget() = default;

Text_Grid& Grid_Widget::Grid() const { return model_->Grid(); }

QHeaderView* Grid_Widget::Fixed_Rows_Header() const { return header_; }

void Grid_Widget::Set_Selection_Mode(Grid_Selection_Mode mode) {
    selection_mode_ = mode;
    setSelectionBehavior(mode == Grid_Selection_Mode::By_Row      ? QAbstractItemView::SelectRows
                         : mode == Grid_Selection_Mode::By_Column ? QAbstractItemView::SelectColumns
                                                                  : QAbstractItemView::SelectItems);
    Apply_Current();
}

void Grid_Widget::Set_Allow_Range(bool on) {
    allow_range_ = on;
    setSelectionMode(on ? QAbstractItemView::ContiguousSelection : QAbstractItemView::SingleSelection);
}

void Grid_Widget::Set_Word_Wrap(bool on) {
    word_wrap_ = on;
    viewport()->update();
    header_->viewport()->update();
}

void Grid_Widget::Set_Rows_Selectable(bool on) {
    if (on == rows_selectable_) return;
    rows_selectable_ = on;
    model_->Set_Rows_Selectable(on);
    Apply_Current();
}

void Grid_Widget::Set_Marked_Key(const QString& key) {
    if (key == marked_key_) return;
    marked_key_ = key;
    viewport()->update();
}

void Grid_Widget::Section_Resized(int col, int, int new_size) {
    // Our own layout passes and Qt's resets come here too: only what the user does on
    // the header goes back into the grid.
    if (applying_ || !header_button_down_ || new_size <= 0) return;
    if (col < 0 || col >= static_cast<int>(applied_widths_.size())) return;
    applied_widths_[static_cast<size_t>(col)] = new_size;
    ++applying_;
    Grid().Set_Col_Width(col, Pixels_To_Twips_X(new_size, this));
    --applying_;
    resized_by_hand_ = col;
}

void Grid_Widget::Apply_Layout() {
    // Our own scroll writes into the grid come back here; nothing to lay out then.
    if (applying_) return;
    const Text_Grid& g = Grid();
    const Twips_Scale scale(this);
    ++applying_;

    const QFont font = To_QFont(g.Font(), QWidget::font());
    if (font != QTableView::font()) setFont(font);

    // When most data rows got a new height (cells fitted to their texts), the view
    // starts again with the commonest height as its default and resizes the others.
    bool restarted = false;
    {
        const int fixed = std::min(model_->Told_Fixed_Rows(), g.Rows());
        const int rows = std::min(model_->Told_Rows(), g.Rows() - fixed);
        if (applied_default_height_ >= 0 && rows >= 512) {
            int changed = 0;
            for (int i = 0; i < rows && i < static_cast<int>(applied_heights_.size()); ++i)
                if (applied_heights_[static_cast<size_t>(i)] != scale.Px_Y(g.Row_Height(fixed + i))) ++changed;
            if (changed > rows / 2) {
                model_->Reset_Views();
                restarted = true;
            }
        }
    }

    // Fixed rows: the header's height.
    const int fixed = std::min(model_->Told_Fixed_Rows(), g.Rows());
    int fixed_px = 0;
    for (int r = 0; r < fixed; ++r) fixed_px += scale.Px_Y(g.Row_Height(r));
    if (header_->Fixed_Height != fixed_px) header_->Fixed_Height = fixed_px;
    header_->setVisible(fixed > 0 && fixed_px > 0);

    // Columns: width 0 hides.
    const int cols = std::min(model_->Told_Cols(), g.Cols());
    applied_widths_.resize(static_cast<size_t>(cols), -1);
    for (int c = 0; c < cols; ++c) {
        const int px = scale.Px_X(g.Col_Width(c));
        int& applied = applied_widths_[static_cast<size_t>(c)];
        if (applied == px) continue;
        if (px <= 0) {
            setColumnHidden(c, true);
        } else {
            if (applied <= 0) setColumnHidden(c, false);
            header_->resizeSection(c, px);
        }
        applied = px;
    }

    // Data rows: most share one height, which becomes Qt's default section size, so
    // a grid of equal rows costs one pass of comparisons.
    const int rows = std::min(model_->Told_Rows(), g.Rows() - fixed);
    QHeaderView* vh = verticalHeader();
    if (applied_default_height_ < 0) {
        int common = scale.Px_Y(Text_Grid::Default_Row_Height);
        if (rows > 0) {
            QHash<int, int> counts;
            int best = 0;
            for (int i = 0; i < rows; ++i) {
                const int px = scale.Px_Y(g.Row_Height(fixed + i));
                const int n = ++counts[px];
                if (n > best && px > 0) {
                    best = n;
                    common = px;
                }
            }
        }
        if (common > 0) vh->setDefaultSectionSize(common);
        applied_default_height_ = vh->defaultSectionSize();
        applied_heights_.assign(static_cast<size_t>(std::max(rows, 0)), applied_default_height_);
    }
    applied_heights_.resize(static_cast<size_t>(std::max(rows, 0)), applied_default_height_);
    // The view would queue a repaint per resized row; it is repainted once below.
    const QSignalBlocker quiet(vh);
    // Nor find each row's place again after each one: a header that does not update
    // itself resizes a section without adding up the sections above it.
    vh->setUpdatesEnabled(false);
    for (int i = 0; i < rows; ++i) {
        const int px = scale.Px_Y(g.Row_Height(fixed + i));
        int& applied = applied_heights_[static_cast<size_t>(i)];
        if (applied == px) continue;
        if (px <= 0) {
            setRowHidden(i, true);
        } else {
            if (applied <= 0) setRowHidden(i, false);
            vh->resizeSection(i, px);
        }
        applied = px;
    }
    vh->setUpdatesEnabled(true);
    updateGeometries();
    --applying_;
    Apply_Scroll();
    // A restart lost the view's selection; the grid still has it.
    if (restarted) Apply_Current();
    viewport()->update();
    header_->viewport()->update();
}

void Grid_Widget::Apply_Scroll() {
    const Text_Grid& g = Grid();
    ++applying_;
    const int top = Model()->Model_Row(g.Top_Row());
    if (top >= 0 && top < model_->rowCount() && verticalScrollBar()->value() != verticalHeader()->visualIndex(top))
        verticalScrollBar()->setValue(verticalHeader()->visualIndex(top));
    const int left = g.Left_Col();
    if (left >= 0 && left < model_->columnCount()) {
        // Hidden columns before the first shown one make no difference to what is shown.
        const int first_shown = columnAt(0);
        const bool same = first_shown == left || (first_shown > left && columnWidth(left) == 0);
        if (!same) {
            // The scroll bar steps over shown columns only.
            const int visual = header_->visualIndex(left);
            int hidden_before = 0;
            for (int v = 0; v < visual; ++v)
                hidden_before += header_->isSectionHidden(header_->logicalIndex(v)) ? 1 : 0;
            horizontalScrollBar()->setValue(visual - hidden_before);
        }
    }
    --applying_;
}

void Grid_Widget::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (applying_) return;
    Text_Grid& g = Grid();
    ++applying_;
    const int top_model = rowAt(0);
    if (top_model >= 0) {
        const int top = model_->Grid_Row(top_model);
        if (top != g.Top_Row()) g.Set_Top_Row(top);
    }
    const int left = columnAt(0);
    if (left >= 0 && left != g.Left_Col() && left >= g.Fixed_Cols()) g.Set_Left_Col(left);
    --applying_;
}

void Grid_Widget::Apply_Current() {
    const Text_Grid& g = Grid();
    const bool in_step =
        g.Redraw() && model_->Told_Rows() == g.Rows() - g.Fixed_Rows() && model_->Told_Cols() == g.Cols();
    if (!applying_ && in_step) {
        ++applying_;
        QItemSelectionModel* sm = selectionModel();
        const int fixed = g.Fixed_Rows();
        const int r1 = g.Row() - fixed, r2 = g.Row_Sel() - fixed;
        const int c1 = g.Col(), c2 = g.Col_Sel();
        if (!selection_shown_ || !rows_selectable_ || r1 < 0 || r2 < 0 || c1 < 0 || c2 < 0 ||
            r1 >= model_->rowCount() || r2 >= model_->rowCount() || c1 >= model_->columnCount() ||
            c2 >= model_->columnCount()) {
            sm->clearSelection();
            sm->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        } else {
            QItemSelection sel(model_->index(std::min(r1, r2), std::min(c1, c2)),
                               model_->index(std::max(r1, r2), std::max(c1, c2)));
            QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
            if (selection_mode_ == Grid_Selection_Mode::By_Row) flags |= QItemSelectionModel::Rows;
            if (selection_mode_ == Grid_Selection_Mode::By_Column) flags |= QItemSelectionModel::Columns;
            sm->setCurrentIndex(model_->index(r2, c2), QItemSelectionModel::NoUpdate);
            sm->select(sel, flags);
        }
        --applying_;
    }
    if (!applying_) Tell_Changes();
}

void Grid_Widget::Set_Selection_Shown(bool on) {
    selection_shown_ = on;
    if (!on) told_row_ = told_col_ = told_row_sel_ = told_col_sel_ = -1;
    Apply_Current();
}

void Grid_Widget::Tell_Changes() {
    // Nothing is chosen while no choice is shown.
    if (!selection_shown_) return;
    const Text_Grid& g = Grid();
    const bool rowcol = g.Row() != told_row_ || g.Col() != told_col_;
    const bool sel = rowcol || g.Row_Sel() != told_row_sel_ || g.Col_Sel() != told_col_sel_;
    told_row_ = g.Row();
    told_col_ = g.Col();
    told_row_sel_ = g.Row_Sel();
    told_col_sel_ = g.Col_Sel();
    if (rowcol) emit RowColChange();
    if (sel) emit SelChange();
}

void Grid_Widget::View_Selection_Changed() {
    // Inside a mouse or key event the view is read once the event is done, when the
    // current index and the selection agree again.
    if (applying_ || user_event_) return;
    Take_From_View();
}

void Grid_Widget::Take_From_View() {
    if (applying_) return;
    Text_Grid& g = Grid();
    const QModelIndex cur = currentIndex();
    if (!cur.isValid() || model_->Told_Rows() != g.Rows() - g.Fixed_Rows()) return;
    int r2 = cur.row(), c2 = cur.column();
    int r1 = r2, c1 = c2;
    // The anchor is the corner of the selected range opposite the current cell.
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (!range.contains(cur)) continue;
        r1 = r2 == range.top() ? range.bottom() : range.top();
        c1 = c2 == range.left() ? range.right() : range.left();
        break;
    }
    if (selection_mode_ == Grid_Selection_Mode::By_Row) {
        c1 = std::min(g.Fixed_Cols(), g.Cols() - 1);
        c2 = g.Cols() - 1;
    } else if (selection_mode_ == Grid_Selection_Mode::By_Column) {
        r1 = 0;
        r2 = model_->rowCount() - 1;
    }
    const int fixed = g.Fixed_Rows();
    const bool was_hidden = !selection_shown_;
    selection_shown_ = true;
    ++applying_;
    if (g.Row() != r1 + fixed) g.Set_Row(r1 + fixed);
    if (g.Col() != c1) g.Set_Col(c1);
    g.Set_Row_Sel(r2 + fixed);
    g.Set_Col_Sel(c2);
    --applying_;
    // A choice made where none was drawn is drawn now.
    if (was_hidden)
        Apply_Current();
    else
        Tell_Changes();
}

// ----------------------------------------------------------------- geometry

int Grid_Widget::X_Twips(int x_pixels) const { return Pixels_To_Twips_X(x_pixels - frameWidth(), this) + Border_Twips; }
int Grid_Widget::Y_Twips(int y_pixels) const { return Pixels_To_Twips_Y(y_pixels - frameWidth(), this) + Border_Twips; }

int Grid_Widget::Row_At_Pixel(int y) const {
    const Text_Grid& g = Grid();
    if (header_->isVisible()) {
        const QRect hr = header_->geometry();
        if (y >= hr.top() && y <= hr.bottom()) {
            int top = hr.top();
            for (int r = 0; r < g.Fixed_Rows(); ++r) {
                top += Twips_To_Pixels_Y(g.Row_Height(r), this);
                if (y < top) return r;
            }
            return -1;
        }
    }
    const QRect vr = viewport()->geometry();
    if (y < vr.top() || y > vr.bottom()) return -1;
    const int m = rowAt(y - vr.top());
    return m < 0 ? -1 : model_->Grid_Row(m);
}

int Grid_Widget::Col_At_Pixel(int x) const {
    const QRect vr = viewport()->geometry();
    if (x < vr.left() || x > vr.right()) return -1;
    return columnAt(x - vr.left());
}

QRect Grid_Widget::Cell_Rect(int row, int col) const {
    const Text_Grid& g = Grid();
    if (row < 0 || row >= g.Rows() || col < 0 || col >= model_->columnCount() || isColumnHidden(col)) return {};
    const QRect vr = viewport()->geometry();
    const int x = vr.left() + columnViewportPosition(col);
    const int w = columnWidth(col);
    if (row < g.Fixed_Rows()) {
        if (!header_->isVisible()) return {};
        int y = header_->geometry().top();
        for (int r = 0; r < row; ++r) y += Twips_To_Pixels_Y(g.Row_Height(r), this);
        return QRect(x, y, w, Twips_To_Pixels_Y(g.Row_Height(row), this));
    }
    const int m = model_->Model_Row(row);
    if (m >= model_->rowCount() || isRowHidden(m)) return {};
    return QRect(x, vr.top() + rowViewportPosition(m), w, rowHeight(m));
}

bool Grid_Widget::Row_Is_Visible(int row) const {
    const Text_Grid& g = Grid();
    if (row < 0 || row >= g.Rows()) return false;
    if (row < g.Fixed_Rows()) return header_->isVisible();
    const int m = model_->Model_Row(row);
    if (m >= model_->rowCount() || isRowHidden(m)) return false;
    const int y = rowViewportPosition(m);
    return y + rowHeight(m) > 0 && y < viewport()->height();
}

bool Grid_Widget::Col_Is_Visible(int col) const {
    if (col < 0 || col >= model_->columnCount() || isColumnHidden(col)) return false;
    const int x = columnViewportPosition(col);
    return x + columnWidth(col) > 0 && x < viewport()->width();
}

int Grid_Widget::Last_Visible_Row() const {
    const int n = model_->rowCount();
    if (n == 0 || rowAt(0) < 0) return -1;
    int m = rowAt(viewport()->height() - 1);
    if (m < 0) m = n - 1;
    return model_->Grid_Row(m);
}

// ----------------------------------------------------------------- events

void Grid_Widget::Mouse_Event(QEvent::Type type, QWidget* from, QMouseEvent* e) {
    const QPoint p = from->mapTo(this, e->position().toPoint());
    mouse_row_ = Row_At_Pixel(p.y());
    mouse_col_ = Col_At_Pixel(p.x());
    const int x = X_Twips(p.x()), y = Y_Twips(p.y());
    switch (type) {
    case QEvent::MouseButtonPress: emit MouseDown(e->button(), e->modifiers(), x, y); break;
    case QEvent::MouseMove: emit MouseMove(e->buttons(), e->modifiers(), x, y); break;
    case QEvent::MouseButtonRelease: emit MouseUp(e->button(), e->modifiers(), x, y); break;
    default: break;
    }
}

void Grid_Widget::mousePressEvent(QMouseEvent* e) {
    ++user_event_;
    QTableView::mousePressEvent(e);
    --user_event_;
    Take_From_View();
    Mouse_Event(QEvent::MouseButtonPress, viewport(), e);
}

void Grid_Widget::mouseMoveEvent(QMouseEvent* e) {
    ++user_event_;
    QTableView::mouseMoveEvent(e);
    --user_event_;
    if (e->buttons() != Qt::NoButton) Take_From_View();
    Mouse_Event(QEvent::MouseMove, viewport(), e);
}

void Grid_Widget::mouseReleaseEvent(QMouseEvent* e) {
    ++user_event_;
    QTableView::mouseReleaseEvent(e);
    --user_event_;
    Take_From_View();
    Mouse_Event(QEvent::MouseButtonRelease, viewport(), e);
}

void Grid_Widget::mouseDoubleClickEvent(QMouseEvent* e) {
    ++user_event_;
    QTableView::mouseDoubleClickEvent(e);
    --user_event_;
    Take_From_View();
    const QPoint p = viewport()->mapTo(this, e->position().toPoint());
    mouse_row_ = Row_At_Pixel(p.y());
    mouse_col_ = Col_At_Pixel(p.x());
    emit DblClick();
}

void Grid_Widget::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    const Text_Grid& g = Grid();
    if (e->reason() == QContextMenuEvent::Keyboard) {
        // The menu of the current cell, shown over it.
        const QRect r = Cell_Rect(g.Row(), g.Col()).intersected(rect());
        emit Context_Menu_Asked(g.Row(), g.Col(), mapToGlobal(r.isEmpty() ? rect().center() : r.center()));
        return;
    }
    const QPoint p = mapFromGlobal(e->globalPos());
    emit Context_Menu_Asked(Row_At_Pixel(p.y()), Col_At_Pixel(p.x()), e->globalPos());
}

void Grid_Widget::keyPressEvent(QKeyEvent* e) {
    // Shift+F10 asks for the menu as the menu key does.
    if (e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint(), e->modifiers());
        contextMenuEvent(&menu);
        return;
    }
    ++user_event_;
    QTableView::keyPressEvent(e);
    --user_event_;
    Take_From_View();
}

bool Grid_Widget::eventFilter(QObject* watched, QEvent* e) {
    // The fixed rows: our mouse signals, then the header's own clicks and border drags.
    if (watched == header_->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            header_button_down_ = true;
            resized_by_hand_ = -1;
            Mouse_Event(e->type(), header_->viewport(), static_cast<QMouseEvent*>(e));
            return false;
        case QEvent::MouseMove: Mouse_Event(e->type(), header_->viewport(), static_cast<QMouseEvent*>(e)); return false;
        case QEvent::MouseButtonRelease: {
            header_button_down_ = false;
            Mouse_Event(e->type(), header_->viewport(), static_cast<QMouseEvent*>(e));
            const int resized = std::exchange(resized_by_hand_, -1);
            if (resized >= 0) emit Column_Resized_By_Hand(resized);
            return false;
        }
        case QEvent::ContextMenu: contextMenuEvent(static_cast<QContextMenuEvent*>(e)); return true;
        case QEvent::ToolTip: return Header_Tip(static_cast<QHelpEvent*>(e));
        case QEvent::MouseButtonDblClick: {
            // A double click on a border fits the column: the user's width too.
            header_button_down_ = true;
            const QPoint p = header_->viewport()->mapTo(this, static_cast<QMouseEvent*>(e)->position().toPoint());
            mouse_row_ = Row_At_Pixel(p.y());
            mouse_col_ = Col_At_Pixel(p.x());
            emit DblClick();
            return false;
        }
        default: break;
        }
    }
    return QTableView::eventFilter(watched, e);
}

bool Grid_Widget::Header_Tip(QHelpEvent* e) {
    const QPoint p = header_->viewport()->mapTo(this, e->pos());
    const int row = Row_At_Pixel(p.y()), col = Col_At_Pixel(p.x());
    const Text_Grid& g = Grid();
    if (row >= 0 && row < g.Fixed_Rows() && col >= 0 && header_->Text_Cut(row, col)) {
        const QRect cell = Cell_Rect(row, col);
        QToolTip::showText(e->globalPos(), g.Text_Matrix(row, col), header_->viewport(),
                           QRect(header_->viewport()->mapFrom(this, cell.topLeft()), cell.size()));
    } else {
        QToolTip::hideText();
        e->ignore();
    }
    return true;
}

bool Grid_Widget::viewportEvent(QEvent* e) {
    const bool done = QTableView::viewportEvent(e);
    if (e->type() == QEvent::Resize && viewport()->width() != viewport_width_) {
        viewport_width_ = viewport()->width();
        emit Viewport_Width_Changed();
    }
    return done;
}
