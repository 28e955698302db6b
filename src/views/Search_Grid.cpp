// The result grid under the mouse: a click on a cell opens its record, a click on a
// heading sorts, dragged borders, cell tips; the sizes of the cells.
#include "views/Search.h"

#include "views/Cell_Fit.h"

#include "views/Grid_Widget.h"
#include "views/frmTrier.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace {
constexpr int Min_Col_Width = 300;  // twips: a border is never dragged closer
constexpr int Width_Margin = 120, Height_Margin = 60;
// Pixels of a cell's width its text does not use (the painter's inner margins).
constexpr int Text_Margin_Px = 8;

// The width the grid shows cells in. A hidden window's grid has not laid its viewport
// out yet: its inner width less a vertical scroll bar, then.
int Shown_Width(const Grid_Widget* grid) {
    if (grid->isVisible()) return grid->viewport()->width();
    return grid->maximumViewportSize().width() - grid->verticalScrollBar()->sizeHint().width();
}
}  // namespace

void Search::Connect_Grid() {
    Data->Fixed_Rows_Header()->setMinimumSectionSize(Twips_To_Pixels_X(Min_Col_Width, Data));
    connect(Data, &Grid_Widget::Context_Menu_Asked, this, &Search::Data_Context_Menu);
    connect(Data, &Grid_Widget::MouseMove, this, &Search::Data_MouseMove);
    connect(Data, &Grid_Widget::clicked, this, &Search::Data_Click);
    connect(Data, &Grid_Widget::Header_Clicked, this, &Search::Header_Click);
    connect(Data, &Grid_Widget::Column_Resized_By_Hand, this, &Search::Data_Column_Resized);
    connect(Data, &Grid_Widget::Viewport_Width_Changed, this, [this] {
        if (!CellAutoSize->isChecked()) Share_Free_Width();
    });
}

QPoint Search::Grid_Pixel(int X, int Y) const {
    return {Twips_To_Pixels_X(X - Grid_Widget::Border_Twips, Data) + Data->frameWidth(),
            Twips_To_Pixels_Y(Y - Grid_Widget::Border_Twips, Data) + Data->frameWidth()};
}

void Search::Data_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int X, int Y) {
    const Text_Grid& g = Results.Data;
    const QPoint p = Grid_Pixel(X, Y);
    const int row = Data->Row_At_Pixel(p.y());
    const int col = Data->Col_At_Pixel(p.x());
    if (row >= 1 && row < g.Rows() && row <= Data->Last_Visible_Row() && col >= 1 && col < g.Cols() &&
        !g.Text_Matrix(row, col).isEmpty())
        Show_Cell_Tip(row, col);
}

void Search::Data_Click(const QModelIndex& index) {
    // A drag that chose several cells is no click; Shift or Ctrl widen the selection.
    if (QGuiApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return;
    Open_Record_Of_Row(Data->Model()->Grid_Row(index.row()));
}

void Search::Open_Record_Of_Row(int row) {
    const Text_Grid& g = Results.Data;
    if (row < 1 || row >= g.Rows()) return;
    bool ok = false;
    const int record = g.Text_Matrix(row, 0).toInt(&ok);
    // The empty row of "No match" holds no record.
    if (ok && record > 0) emit Record_Asked(record);
}

void Search::Open_Current_Record() { Open_Record_Of_Row(Results.Data.Row()); }

void Search::Show_Cell_Tip(int row, int col) {
    const QString key = QStringLiteral("%1/%2").arg(row).arg(col);
    if (key == Last_Tip_Cell || !Form_Loaded) return;
    Last_Tip_Cell = key;
    const Text_Grid& g = Results.Data;
    QStringList title;
    for (int c : {1, 2, 3, 8}) title << g.Text_Matrix(row, c);
    // The record's year, project, number and name in bold over the cell's whole text,
    // centred under the cell; it goes when the mouse leaves the cell.
    const QRect cell = Data->Cell_Rect(row, col);
    QToolTip::showText(Data->mapToGlobal(QPoint(cell.center().x(), cell.bottom())),
                       Titled_Tip(title.join(QLatin1Char('/')), g.Text_Matrix(row, col)), Data, cell, 10000);
}

void Search::Header_Click(int col) {
    const qint32 field = Field_Of_Col(col);
    if (field <= 0) return;
    if (AdvancedSort->isChecked()) {
        frmTrier dlg(Results.Data, Sort_Keys, this);
        dlg.Preselect_Column(col);
        dlg.exec();
        return;
    }
    Wait_Cursor wait;
    Results.Data.Set_Redraw(false);
    DoSort(Results.Grid_Ref(), Results.Sort, Value::Long(field));
    Results.Data.Set_Redraw(true);
}

void Search::Data_Column_Resized(int col) {
    Hand_Set_Widths.Set(Field_Of_Col(col), Results.Data.Col_Width(col), Results.Grid_Col_Field);
    if (CellAutoSize->isChecked()) Resize_Cell(col);
}

void Search::AdvancedSort_Click() {
    ::AdvancedSort_Click(Results.Grid_Ref(), Results.Sort, Sort_Keys, AdvancedSort->isChecked());
    Results.AdvancedSort = AdvancedSort->isChecked();
}

void Search::CellAutoSize_Click() { Size_Cells(); }

void Search::Size_Cells() {
    Text_Grid& g = Results.Data;
    Hand_Set_Widths.Keep_For(Results.Grid_Col_Field);
    if (CellAutoSize->isChecked()) {
        Resize_Cell();
        return;
    }
    const bool redraw = g.Redraw();
    g.Set_Redraw(false);
    for (int r = 0; r < g.Rows(); ++r)
        if (g.Row_Height(r) != Results.Default_Row_Height) g.Set_Row_Height(r, Results.Default_Row_Height);
    Data->Set_Word_Wrap(false);
    Share_Free_Width();
    g.Set_Redraw(redraw);
}

void Search::Share_Free_Width() {
    Text_Grid& g = Results.Data;
    if (CellAutoSize->isChecked() || g.Cols() < 2) return;
    const int room = Shown_Width(Data);
    const int base = Twips_To_Pixels_X(Results.Default_Col_Width, this);
    std::vector<int> sharing;
    int free = room;
    for (int c = 1; c < g.Cols(); ++c) {
        if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) {
            free -= Twips_To_Pixels_X(*hand, this);
            continue;
        }
        if (g.Col_Width(c) > 0) sharing.push_back(c);
    }
    std::vector<int> wanted(sharing.size(), base);
    // The texts are measured only when there is room to share, once per result.
    if (free > base * static_cast<int>(sharing.size())) {
        if (content_widths_.size() != static_cast<size_t>(g.Cols())) {
            content_widths_.assign(static_cast<size_t>(g.Cols()), 0);
            Cell_Fit fit(Data->font());
            std::vector<int> heights(static_cast<size_t>(g.Rows()), 0);
            for (int c = 1; c < g.Cols(); ++c)
                content_widths_[static_cast<size_t>(c)] =
                    fit.Widest(g, c, heights) + Twips_To_Pixels_X(Width_Margin, this);
        }
        for (size_t i = 0; i < sharing.size(); ++i)
            wanted[i] = std::min(content_widths_[static_cast<size_t>(sharing[i])], room);
    }
    const std::vector<int> widths = Share_Width(wanted, base, free);
    const bool redraw = g.Redraw();
    g.Set_Redraw(false);
    for (int c = 1; c < g.Cols(); ++c)
        if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) g.Set_Col_Width(c, *hand);
    for (size_t i = 0; i < sharing.size(); ++i) g.Set_Col_Width(sharing[i], Pixels_To_Twips_X(widths[i], this));
    g.Set_Redraw(redraw);
}

void Search::Resize_Cell(std::optional<int> Only_Col) {
    Text_Grid& g = Results.Data;
    const bool redraw = g.Redraw();
    g.Set_Redraw(false);
    Cell_Fit fit(Hidden_Label_Without_WordWrap->font());
    // Wrapped texts are measured at the width the painter gives them.
    const auto wrap_width = [this](int col_twips) {
        return std::max(Twips_To_Pixels_X(col_twips, this) - Text_Margin_Px, 1);
    };
    if (!Only_Col) {
        // No column wider than the grid shows: a long text wraps within it.
        const int room = std::max(Pixels_To_Twips_X(Shown_Width(Data), this), Min_Col_Width);
        std::vector<int> heights(static_cast<size_t>(g.Rows()), 0), column(heights.size());
        bool wrapped = false;
        for (int c = 1; c < g.Cols(); ++c) {
            int width = 0;
            if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) {
                width = *hand;
            } else {
                std::fill(column.begin(), column.end(), 0);
                width = Pixels_To_Twips_X(fit.Widest(g, c, column), this) + Width_Margin;
                if (width <= room) {
                    g.Set_Col_Width(c, width);
                    for (size_t r = 0; r < heights.size(); ++r) heights[r] = std::max(heights[r], column[r]);
                    continue;
                }
                width = room;
            }
            g.Set_Col_Width(c, width);
            wrapped = true;
            const int px = wrap_width(width);
            for (int r = 0; r < g.Rows(); ++r)
                heights[static_cast<size_t>(r)] =
                    std::max(heights[static_cast<size_t>(r)], fit.Wrapped_Height(g.Text_Matrix(r, c), px));
        }
        for (int r = 0; r < g.Rows(); ++r)
            g.Set_Row_Height(r, Pixels_To_Twips_Y(heights[static_cast<size_t>(r)], this) + Height_Margin);
        Data->Set_Word_Wrap(wrapped);
    } else if (*Only_Col >= 1 && *Only_Col < g.Cols()) {
        // Each row just high enough for the tallest text of its columns, wrapped at the
        // column widths.
        std::vector<int> tallest(static_cast<size_t>(g.Rows()), 0);
        for (int c = 1; c < g.Cols(); ++c) {
            if (g.Col_Width(c) <= 0) continue;
            const int width = wrap_width(g.Col_Width(c));
            for (int r = 0; r < g.Rows(); ++r)
                tallest[static_cast<size_t>(r)] =
                    std::max(tallest[static_cast<size_t>(r)], fit.Wrapped_Height(g.Text_Matrix(r, c), width));
        }
        for (int r = 0; r < g.Rows(); ++r)
            g.Set_Row_Height(r, Pixels_To_Twips_Y(tallest[static_cast<size_t>(r)], this) + Height_Margin);
        // The rows are now high enough for the wrapped texts.
        Data->Set_Word_Wrap(true);
    }
    g.Set_Redraw(redraw);
}
