#include "views/Result_View.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QToolTip>
#include <algorithm>
#include <utility>

namespace {

QColor Line_Colour(const QPalette& p) { return p.color(QPalette::Mid); }

constexpr int Arrow_Margin = 3;
int Arrow_Height(const QRect& cell) { return std::clamp(cell.height() / 3, 4, 7); }

QRect Text_Inner(const QRect& cell) { return cell.adjusted(3, 1, -3, -1); }

// A cell taller than one line shows its text as lines, its own breaks kept.
int Text_Flags(const QRect& inner, const QFontMetrics& fm, bool wrap) {
    const bool lines = wrap || inner.height() >= fm.lineSpacing() * 3 / 2;
    return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | (lines ? Qt::TextWordWrap : Qt::TextSingleLine);
}

void Draw_Text(QPainter* p, const QRect& cell, const QString& text, bool wrap) {
    if (text.isEmpty()) return;
    const QRect inner = Text_Inner(cell);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    // The painter's clip keeps what does not fit inside the cell.
    p->drawText(inner, Text_Flags(inner, p->fontMetrics(), wrap), text);
}

void Draw_Arrow(QPainter* p, const QRect& cell, Sort_Arrow arrow, const QPalette& pal) {
    if (arrow == Sort_Arrow::None || cell.width() < 6 || cell.height() < 6) return;
    const int h = Arrow_Height(cell);
    const int w = 2 * h - 1;
    const int x = cell.right() - Arrow_Margin - w, y = cell.top() + Arrow_Margin;
    QPainterPath path;
    if (arrow == Sort_Arrow::Ascending) {
        path.moveTo(x + w / 2.0, y);
        path.lineTo(x + w, y + h);
        path.lineTo(x, y + h);
    } else {
        path.moveTo(x, y);
        path.lineTo(x + w, y);
        path.lineTo(x + w / 2.0, y + h);
    }
    path.closeSubpath();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->fillPath(path, pal.color(QPalette::ButtonText));
    p->restore();
}

// Where a heading's text goes: left of its arrow and, just left of the arrow, the key
// number of a multi-column order. Painting and the test for a cut heading share it.
struct Heading_Layout {
    QRect text;
    QRect number;  // empty without a key number
    QString digits;
};

Heading_Layout Lay_Out_Heading(Sort_Arrow arrow, int number, const QRect& cell, const QFontMetrics& fm) {
    Heading_Layout l;
    l.text = cell;
    if (arrow == Sort_Arrow::None || cell.width() < 6 || cell.height() < 6) return l;
    l.text.setRight(cell.right() - (2 * Arrow_Height(cell) - 1 + Arrow_Margin));
    if (number > 0) {
        l.digits = QString::number(number);
        const int w = fm.horizontalAdvance(l.digits) + 2;
        l.number = QRect(l.text.right() - w, cell.top(), w, cell.height());
        l.text.setRight(l.text.right() - w);
    }
    return l;
}

}  // namespace

QColor Marked_Row_Colour(const QPalette& p) {
    const QColor base = p.color(QPalette::Base), mark = p.color(QPalette::Highlight);
    const auto mix = [](int b, int m) { return (b * 7 + m * 3 + 5) / 10; };
    return QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()), mix(base.blue(), mark.blue()));
}

// ----------------------------------------------------------------- header

Result_Header::Result_Header(Result_View* view) : QHeaderView(Qt::Horizontal, view), view_(view) {
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

bool Result_Header::Text_Cut(int col) const {
    const Result_Model& m = view_->Model();
    const QString text = m.Heading(col);
    if (text.isEmpty() || col < 0 || col >= count() || isSectionHidden(col)) return false;
    const QRect cell(sectionViewportPosition(col), 0, sectionSize(col), height());
    const QFontMetrics fm(view_->font());
    const QRect inner = Text_Inner(Lay_Out_Heading(m.Arrow(col), m.Key_Number(col), cell, fm).text);
    const QRect needed =
        fm.boundingRect(QRect(inner.topLeft(), QSize(std::max(inner.width(), 1), std::max(inner.height(), 1))),
                        Text_Flags(inner, fm, view_->Word_Wrap()), text);
    return needed.width() > inner.width() || needed.height() > inner.height();
}

void Result_Header::paintSection(QPainter* p, const QRect& rect, int col) const {
    const Result_Model& m = view_->Model();
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = col;
    opt.text.clear();
    opt.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    p->save();
    p->setClipRect(rect);
    p->setPen(Line_Colour(palette()));
    p->drawLine(rect.topRight(), rect.bottomRight());
    p->drawLine(rect.bottomLeft(), rect.bottomRight());
    p->setPen(palette().color(QPalette::ButtonText));
    p->setFont(view_->font());
    const Heading_Layout l = Lay_Out_Heading(m.Arrow(col), m.Key_Number(col), rect, p->fontMetrics());
    if (!l.digits.isEmpty()) p->drawText(l.number, Qt::AlignRight | Qt::AlignTop, l.digits);
    Draw_Text(p, l.text, m.Heading(col), view_->Word_Wrap());
    Draw_Arrow(p, rect, m.Arrow(col), palette());
    p->restore();
}

// ----------------------------------------------------------------- cells

Result_Delegate::Result_Delegate(Result_View* view) : QStyledItemDelegate(view), view_(view) {}

void Result_Delegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const Result_Model& m = view_->Model();
    const int r = index.row(), c = index.column();
    const QRect cell = option.rect;
    const QPalette& pal = option.palette;
    const bool merged_above = m.Same_As_Above(r, c);
    const bool merged_below = m.Same_As_Above(r + 1, c);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;

    p->save();
    p->setClipRect(cell);
    const bool marked = view_->Marked_Record() > 0 && m.Record_At(r) == view_->Marked_Record();
    if (selected)
        p->fillRect(cell, pal.color(group, QPalette::Highlight));
    else if (marked)
        p->fillRect(cell, Marked_Row_Colour(pal));
    else
        p->fillRect(cell, pal.color(QPalette::Base));
    // The marked row also carries a bar at its left end, in the first column shown.
    if (marked && c == view_->columnAt(0))
        p->fillRect(QRect(cell.left(), cell.top(), 3, cell.height()), pal.color(QPalette::Highlight));

    // A merged run shows its text once: in its first row, or in the top row of the view
    // when the run begins above it.
    if (!merged_above || r == view_->rowAt(0)) {
        p->setPen(selected ? pal.color(group, QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->setFont(option.font);
        Draw_Text(p, cell, m.Text(r, c), view_->Word_Wrap());
    }
    p->setPen(Line_Colour(pal));
    p->drawLine(cell.topRight(), cell.bottomRight());
    if (!merged_below) p->drawLine(cell.bottomLeft(), cell.bottomRight());
    // The current cell in a frame seen from afar (a dotted line was lost among the rules),
    // in the colour that stands out from the cell's own background.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        p->setPen(QPen(pal.color(group, selected ? QPalette::HighlightedText : QPalette::Highlight), 2));
        p->setBrush(Qt::NoBrush);
        p->drawRect(cell.adjusted(1, 1, -2, -2));
    }
    p->restore();
}

// ----------------------------------------------------------------- view

Result_View::Result_View(Result_Model& model, QWidget* parent) : QTableView(parent), model_(model) {
    header_ = new Result_Header(this);
    setHorizontalHeader(header_);
    setModel(&model_);
    // A click on a heading is the window's (it sorts); it does not choose the column.
    disconnect(header_, SIGNAL(sectionPressed(int)), this, nullptr);
    disconnect(header_, SIGNAL(sectionEntered(int)), this, nullptr);
    connect(header_, &QHeaderView::sectionClicked, this, &Result_View::Header_Clicked);
    // The second click of a double click is a click as well.
    connect(header_, &QHeaderView::sectionDoubleClicked, this, &Result_View::Header_Clicked);
    connect(header_, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (header_button_down_ && size > 0) resized_by_hand_ = col;
    });
    setItemDelegate(new Result_Delegate(this));
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
    // The arrows change without the rows moving.
    connect(&model_, &QAbstractItemModel::headerDataChanged, header_->viewport(),
            [this] { header_->viewport()->update(); });
}

void Result_View::Set_Word_Wrap(bool on) {
    if (word_wrap_ == on) return;
    word_wrap_ = on;
    viewport()->update();
    header_->viewport()->update();
}

void Result_View::Set_Marked_Record(qint32 record) {
    if (record == marked_record_) return;
    marked_record_ = record;
    viewport()->update();
}

void Result_View::Set_Uniform_Row_Height(int px) {
    QHeaderView* vh = verticalHeader();
    vh->setDefaultSectionSize(std::max(px, 1));
    // Sections of their own size keep it through a new default: a reset makes them plain.
    const int rows = model_.rowCount();
    bool odd = false;
    for (int r = 0; r < rows && !odd; ++r) odd = vh->sectionSize(r) != vh->defaultSectionSize();
    if (odd) vh->reset();
}

void Result_View::Set_Row_Heights(const std::vector<int>& px) {
    QHeaderView* vh = verticalHeader();
    const int rows = std::min(static_cast<int>(px.size()), model_.rowCount());
    QHash<int, int> counts;
    int common = vh->defaultSectionSize(), best = 0;
    for (int r = 0; r < rows; ++r) {
        const int n = ++counts[px[static_cast<size_t>(r)]];
        if (n > best && px[static_cast<size_t>(r)] > 0) {
            best = n;
            common = px[static_cast<size_t>(r)];
        }
    }
    Set_Uniform_Row_Height(common);
    // The view would queue a repaint per resized row, and find each row's place again
    // after each one: a header that does not update itself resizes a section without
    // adding up the sections above it.
    const QSignalBlocker quiet(vh);
    vh->setUpdatesEnabled(false);
    for (int r = 0; r < rows; ++r)
        if (px[static_cast<size_t>(r)] != common) vh->resizeSection(r, std::max(px[static_cast<size_t>(r)], 1));
    vh->setUpdatesEnabled(true);
    updateGeometries();
    viewport()->update();
}

int Result_View::Current_Row() const { return currentIndex().isValid() ? currentIndex().row() : -1; }
int Result_View::Current_Col() const { return currentIndex().isValid() ? currentIndex().column() : -1; }

QRect Result_View::Selected_Range() const {
    const QModelIndex cur = currentIndex();
    if (!cur.isValid()) return {};
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.contains(cur)) return QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
    return QRect(QPoint(cur.column(), cur.row()), QPoint(cur.column(), cur.row()));
}

QRect Result_View::Cell_Rect(int row, int col) const {
    if (row < 0 || row >= model_.rowCount() || col < 0 || col >= model_.columnCount()) return {};
    return visualRect(model_.index(row, col));
}

bool Result_View::Heading_Cut(int col) const { return header_->Text_Cut(col); }

void Result_View::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (e->reason() == QContextMenuEvent::Keyboard) {
        // The menu of the current cell, shown over it.
        const QRect r = Cell_Rect(Current_Row(), Current_Col()).intersected(viewport()->rect());
        emit Context_Menu_Asked(Current_Row(), Current_Col(),
                                viewport()->mapToGlobal(r.isEmpty() ? viewport()->rect().center() : r.center()));
        return;
    }
    const QPoint p = viewport()->mapFromGlobal(e->globalPos());
    emit Context_Menu_Asked(rowAt(p.y()), columnAt(p.x()), e->globalPos());
}

void Result_View::keyPressEvent(QKeyEvent* e) {
    // Shift+F10 asks for the menu as the menu key does.
    if (e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint(), e->modifiers());
        contextMenuEvent(&menu);
        return;
    }
    QTableView::keyPressEvent(e);
}

void Result_View::mouseMoveEvent(QMouseEvent* e) {
    QTableView::mouseMoveEvent(e);
    const QPoint p = e->position().toPoint();
    const int row = rowAt(p.y()), col = columnAt(p.x());
    if (row == hovered_row_ && col == hovered_col_) return;
    hovered_row_ = row;
    hovered_col_ = col;
    if (row >= 0 && col >= 0 && !model_.Text(row, col).isEmpty()) emit Cell_Hovered(row, col);
}

bool Result_View::eventFilter(QObject* watched, QEvent* e) {
    if (watched == header_->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            header_button_down_ = true;
            resized_by_hand_ = -1;
            return false;
        case QEvent::MouseButtonRelease: {
            header_button_down_ = false;
            const int resized = std::exchange(resized_by_hand_, -1);
            if (resized >= 0) emit Column_Resized_By_Hand(resized);
            return false;
        }
        case QEvent::ContextMenu: {
            auto* c = static_cast<QContextMenuEvent*>(e);
            emit Context_Menu_Asked(-1, header_->logicalIndexAt(c->pos()), c->globalPos());
            return true;
        }
        case QEvent::ToolTip: {
            auto* h = static_cast<QHelpEvent*>(e);
            const int col = header_->logicalIndexAt(h->pos());
            if (col >= 0 && Heading_Cut(col)) {
                const QRect cell(header_->sectionViewportPosition(col), 0, header_->sectionSize(col),
                                 header_->height());
                QToolTip::showText(h->globalPos(), model_.Heading(col), header_->viewport(), cell);
            } else {
                QToolTip::hideText();
                e->ignore();
            }
            return true;
        }
        default: break;
        }
    }
    return QTableView::eventFilter(watched, e);
}

bool Result_View::viewportEvent(QEvent* e) {
    const bool done = QTableView::viewportEvent(e);
    if (e->type() == QEvent::Resize && viewport()->width() != viewport_width_) {
        viewport_width_ = viewport()->width();
        emit Viewport_Width_Changed();
    }
    if (e->type() == QEvent::Leave) hovered_row_ = hovered_col_ = -1;
    return done;
}
