#include "views/Grid_Painting.h"

#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>
#include <algorithm>

namespace {

QColor Line_Color(const QPalette& p) { return p.color(QPalette::Mid); }

// Our own sort arrows: a small filled triangle placed in the cell by its alignment.
constexpr int Picture_Margin = 3;
int Picture_Height(const QRect& cell) { return std::clamp(cell.height() / 3, 4, 7); }

// The part of a cell its text may use: a picture at one side keeps its own room.
QRect Text_Room(const QRect& cell, Grid_Picture pic, Grid_Alignment a) {
    if (pic == Grid_Picture::None || cell.width() < 6 || cell.height() < 6) return cell;
    const int room = 2 * Picture_Height(cell) - 1 + Picture_Margin;
    const Qt::Alignment al = Grid_Model::To_Qt_Alignment(a, QString());
    if (al & Qt::AlignRight) return cell.adjusted(0, 0, -room, 0);
    if (al & Qt::AlignLeft) return cell.adjusted(room, 0, 0, 0);
    return cell;
}

void Draw_Picture(QPainter* p, const QRect& cell, Grid_Picture pic, Grid_Alignment a, const QPalette& pal) {
    if (pic == Grid_Picture::None || cell.width() < 6 || cell.height() < 6) return;
    const int h = Picture_Height(cell);
    const int w = 2 * h - 1;
    const Qt::Alignment al = Grid_Model::To_Qt_Alignment(a, QString());
    const int margin = Picture_Margin;
    int x = cell.left() + margin, y = cell.top() + margin;
    if (al & Qt::AlignRight)
        x = cell.right() - margin - w;
    else if (al & Qt::AlignHCenter)
        x = cell.left() + (cell.width() - w) / 2;
    if (al & Qt::AlignBottom)
        y = cell.bottom() - margin - h;
    else if (al & Qt::AlignVCenter)
        y = cell.top() + (cell.height() - h) / 2;
    QPainterPath path;
    if (pic == Grid_Picture::Ascending) {
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

QRect Text_Inner(const QRect& cell) { return cell.adjusted(3, 1, -3, -1); }

// A cell taller than one line shows its text as lines, its own breaks kept.
int Text_Flags(const QRect& inner, const QFontMetrics& fm, Qt::Alignment al, bool wrap) {
    const bool lines = wrap || inner.height() >= fm.lineSpacing() * 3 / 2;
    return static_cast<int>(al) | (lines ? Qt::TextWordWrap : Qt::TextSingleLine);
}

void Draw_Text(QPainter* p, const QRect& cell, const QString& text, Qt::Alignment al, bool wrap) {
    if (text.isEmpty()) return;
    const QRect inner = Text_Inner(cell);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    // The painter's clip keeps what does not fit inside the cell.
    p->drawText(inner, Text_Flags(inner, p->fontMetrics(), al, wrap), text);
}

// Where a fixed cell's text goes: beside its picture and, just left of a sort arrow, the
// key number of a multi-column order. Painting and the test for a cut heading share it.
struct Heading_Layout {
    QRect text;
    QRect number;  // empty without a key number
    QString digits;
};

Heading_Layout Lay_Out_Heading(const Text_Grid& g, int row, int col, const QRect& cell, const QFontMetrics& fm) {
    Heading_Layout l;
    const Grid_Picture pic = g.Cell_Picture(row, col);
    l.text = Text_Room(cell, pic, g.Cell_Picture_Alignment(row, col));
    const int number = pic == Grid_Picture::None ? 0 : g.Cell_Picture_Number(row, col);
    if (number > 0) {
        l.digits = QString::number(number);
        const int w = fm.horizontalAdvance(l.digits) + 2;
        l.number = QRect(l.text.right() - w, cell.top(), w, cell.height());
        l.text.setRight(l.text.right() - w);
    }
    return l;
}

}  // namespace

QColor Marked_Row_Color(const QPalette& p) {
    const QColor base = p.color(QPalette::Base), mark = p.color(QPalette::Highlight);
    const auto mix = [](int b, int m) { return (b * 7 + m * 3 + 5) / 10; };
    return QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()), mix(base.blue(), mark.blue()));
}

Grid_Header::Grid_Header(Grid_Widget* view) : QHeaderView(Qt::Horizontal, view), view_(view) {
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(1);
    setStretchLastSection(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

QSize Grid_Header::sizeHint() const {
    QSize s = QHeaderView::sizeHint();
    s.setHeight(Fixed_Height);
    return s;
}

bool Grid_Header::Text_Cut(int row, int col) const {
    const Text_Grid& g = view_->Grid();
    const QString& text = g.Text_Matrix(row, col);
    const QRect cell = view_->Cell_Rect(row, col);
    if (text.isEmpty() || cell.isEmpty()) return false;
    const QFontMetrics fm(view_->font());
    const QRect inner = Text_Inner(Lay_Out_Heading(g, row, col, cell, fm).text);
    const QRect needed = fm.boundingRect(
        QRect(inner.topLeft(), QSize(std::max(inner.width(), 1), std::max(inner.height(), 1))),
        Text_Flags(inner, fm, Grid_Model::To_Qt_Alignment(g.Col_Alignment(col), text), view_->Word_Wrap()), text);
    return needed.width() > inner.width() || needed.height() > inner.height();
}

void Grid_Header::paintSection(QPainter* p, const QRect& rect, int col) const {
    const Text_Grid& g = view_->Grid();
    const int fixed = std::min(view_->Model()->Told_Fixed_Rows(), g.Rows());
    int y = rect.top();
    for (int r = 0; r < fixed; ++r) {
        const int h = Twips_To_Pixels_Y(g.Row_Height(r), view_);
        if (h <= 0) continue;
        const QRect cell(rect.left(), y, rect.width(), h);
        y += h;
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = cell;
        opt.section = col;
        opt.text.clear();
        opt.position = QStyleOptionHeader::Middle;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
        p->save();
        p->setClipRect(cell);
        p->setPen(Line_Color(palette()));
        p->drawLine(cell.topRight(), cell.bottomRight());
        p->drawLine(cell.bottomLeft(), cell.bottomRight());
        p->setPen(palette().color(QPalette::ButtonText));
        p->setFont(view_->font());
        const QString& text = g.Text_Matrix(r, col);
        const Grid_Alignment a = g.Col_Alignment(col);
        const Heading_Layout l = Lay_Out_Heading(g, r, col, cell, p->fontMetrics());
        if (!l.digits.isEmpty()) p->drawText(l.number, Qt::AlignRight | Qt::AlignTop, l.digits);
        Draw_Text(p, l.text, text, Grid_Model::To_Qt_Alignment(a, text), view_->Word_Wrap());
        Draw_Picture(p, cell, g.Cell_Picture(r, col), g.Cell_Picture_Alignment(r, col), palette());
        p->restore();
    }
}

Grid_Delegate::Grid_Delegate(Grid_Widget* view) : QStyledItemDelegate(view), view_(view) {}

void Grid_Delegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const Text_Grid& g = view_->Grid();
    const Grid_Model* m = view_->Model();
    const int r = m->Grid_Row(index.row()), c = index.column();
    if (r >= g.Rows() || c >= g.Cols()) return;
    const QRect cell = option.rect;
    const QPalette& pal = option.palette;
    const bool fixed_col = c < g.Fixed_Cols();
    const bool merged_above = r > m->Told_Fixed_Rows() && g.Merged_With_Above(r, c);
    const bool merged_below = r + 1 < g.Rows() && g.Merged_With_Above(r + 1, c);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;

    p->save();
    p->setClipRect(cell);
    const QString& key = view_->Marked_Key();
    const bool marked = !key.isEmpty() && g.Text_Matrix(r, 0) == key;
    if (fixed_col)
        p->fillRect(cell, pal.color(QPalette::Button));
    else if (selected)
        p->fillRect(cell, pal.color(group, QPalette::Highlight));
    else if (marked)
        p->fillRect(cell, Marked_Row_Color(pal));
    else
        p->fillRect(cell, pal.color(QPalette::Base));
    // The marked row also carries a bar at its left end, in the first column shown.
    if (marked && index.column() == view_->columnAt(0))
        p->fillRect(QRect(cell.left(), cell.top(), 3, cell.height()), pal.color(QPalette::Highlight));

    // A merged run shows its text once: in its first row, or in the top row of the
    // view when the run begins above it.
    const bool first_shown = index.row() == view_->rowAt(0);
    if (!merged_above || first_shown) {
        p->setPen(fixed_col  ? pal.color(QPalette::ButtonText)
                  : selected ? pal.color(group, QPalette::HighlightedText)
                             : pal.color(QPalette::Text));
        p->setFont(option.font);
        const QString& text = g.Text_Matrix(r, c);
        const QRect room = Text_Room(cell, g.Cell_Picture(r, c), g.Cell_Picture_Alignment(r, c));
        Draw_Text(p, room, text, Grid_Model::To_Qt_Alignment(g.Col_Alignment(c), text), view_->Word_Wrap());
    }
    Draw_Picture(p, cell, g.Cell_Picture(r, c), g.Cell_Picture_Alignment(r, c), pal);

    p->setPen(Line_Color(pal));
    p->drawLine(cell.topRight(), cell.bottomRight());
    if (!merged_below) p->drawLine(cell.bottomLeft(), cell.bottomRight());
    if (option.state.testFlag(QStyle::State_HasFocus) && view_->Selection_Mode() == Grid_Selection_Mode::Free) {
        QPen focus(pal.color(QPalette::Text));
        focus.setStyle(Qt::DotLine);
        p->setPen(focus);
        p->drawRect(cell.adjusted(0, 0, -2, -2));
    }
    p->restore();
}
