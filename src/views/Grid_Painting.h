#pragma once
// The painting of the on-screen grid: the fixed rows, drawn above the data rows in the
// place of Qt's own header, and the data cells with their merged runs, pictures and
// grid lines. Only Grid_Widget makes them.
#include <QHeaderView>
#include <QStyledItemDelegate>

class Grid_Widget;

// The tint of the rows Grid_Widget::Set_Marked_Key marks: the palette's highlight
// over its base, light enough to read the text on it.
QColor Marked_Row_Color(const QPalette& p);

class Grid_Header : public QHeaderView {
public:
    explicit Grid_Header(Grid_Widget* view);

    int Fixed_Height = 0;

    QSize sizeHint() const override;
    // The text of a fixed cell does not fit in it as painted.
    bool Text_Cut(int row, int col) const;

protected:
    void paintSection(QPainter* p, const QRect& rect, int col) const override;

private:
    Grid_Widget* view_;
};

// Data cells: texts, merged runs, pictures, fixed columns and the grid lines.
class Grid_Delegate : public QStyledItemDelegate {
public:
    explicit Grid_Delegate(Grid_Widget* view);

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Grid_Widget* view_;
};
