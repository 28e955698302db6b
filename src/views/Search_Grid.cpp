// The result grid under the mouse: opening a record, the header button that sorts,
// dragging column borders, cell tips, fitting cells to their texts.
#include "views/Search.h"

#include "views/Cell_Fit.h"

#include "views/Grid_Widget.h"
#include "views/frmTrier.h"
#include "winsupport/CTooltip.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Capture.h"
#include "winsupport/Window_Utils.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
constexpr int Border_Near = 100;  // twips either side of a column border
constexpr int Min_Col_Width = 300;
constexpr int Min_Header_Width = 75, Min_Header_Height = 195;
constexpr int Width_Margin = 120, Height_Margin = 60;
}  // namespace

QPoint Search::Grid_Pixel(int X, int Y) const {
    return {Twips_To_Pixels_X(X - Grid_Widget::Border_Twips, Data) + Data->frameWidth(),
            Twips_To_Pixels_Y(Y - Grid_Widget::Border_Twips, Data) + Data->frameWidth()};
}

int Search::Header_Border_At(int X) const {
    const Text_Grid& g = Results.Data;
    for (int c = 0; c < g.Cols(); ++c) {
        if (!Data->Col_Is_Visible(c)) continue;
        const QRect r = Data->Cell_Rect(0, c);
        if (r.isEmpty()) continue;
        const int right = Data->X_Twips(r.x() + r.width());
        if (std::abs(X - right) < Border_Near) return c;
    }
    return -1;
}

void Search::Data_MouseDown(Qt::MouseButtons Button, Qt::KeyboardModifiers, int X, int Y) {
    if (Button != Qt::LeftButton) return;
    const QPoint p = Grid_Pixel(X, Y);
    if (Data->Row_At_Pixel(p.y()) != 0) return;
    // A press on the header away from any border is left alone.
    const int c = Header_Border_At(X);
    if (c < 0) return;
    Resizing_Col = c;
    Resizing_Left = Data->X_Twips(Data->Cell_Rect(0, c).x());
    // The header button shows a picture of the header as it was: not while it changes.
    CommandHeader->hide();
}

void Search::Data_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers, int X, int Y) {
    Text_Grid& g = Results.Data;
    if (Resizing_Col >= 0) {
        if (CommandHeader->isVisible()) CommandHeader->hide();
        const int w = std::max(X - Resizing_Left, Min_Col_Width);
        if (w != g.Col_Width(Resizing_Col)) {
            g.Set_Col_Width(Resizing_Col, w);
            Data->Refresh();
            if (CellAutoSize->isChecked() && !(Button & Qt::LeftButton)) Resize_Cell(Resizing_Col);
        }
        Data->setCursor(Qt::SizeHorCursor);
        return;
    }
    const QPoint p = Grid_Pixel(X, Y);
    const int row = Data->Row_At_Pixel(p.y());
    const int col = Data->Col_At_Pixel(p.x());
    if (row == 0 && col >= 1) {
        const QRect cell = Data->Cell_Rect(0, col);
        const QRect band = Data->viewport()->geometry();
        const QRect shown = cell.intersected(QRect(band.left(), cell.top(), band.width(), cell.height()));
        if (Pixels_To_Twips_X(shown.width(), this) >= Min_Header_Width &&
            Pixels_To_Twips_Y(shown.height(), this) >= Min_Header_Height) {
            Place_Command_Header(col);
            Data->setCursor(Qt::SizeHorCursor);
            return;
        }
    }
    if (CommandHeader->isVisible()) CommandHeader->hide();
    Data->unsetCursor();
    if (row >= 1 && row < g.Rows() && row <= Data->Last_Visible_Row() && col >= 1 && col < g.Cols() &&
        !g.Text_Matrix(row, col).isEmpty())
        Show_Cell_Tip(row, col);
}

void Search::Data_MouseUp(Qt::MouseButtons Button, Qt::KeyboardModifiers, int X, int Y) {
    if (Button != Qt::LeftButton) return;
    if (Resizing_Col < 0) {
        const Text_Grid& g = Results.Data;
        const int row = Data->Row_At_Pixel(Grid_Pixel(X, Y).y());
        if (row < 1 || row >= g.Rows() || row > Data->Last_Visible_Row()) return;
        Open_Record_Of_Row(row);
        return;
    }
    const int col = Resizing_Col;
    Resizing_Col = -1;
    Data->unsetCursor();
    if (CellAutoSize->isChecked()) Resize_Cell(col);
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

void Search::Place_Command_Header(int col) {
    const QString tag =
        QString::number(col < static_cast<int>(Results.Grid_Col_Field.size()) ? Results.Grid_Col_Field[col] : 0);
    if (CommandHeader->isVisible() && CommandHeader->property("Tag").toString() == tag) return;
    CommandHeader->hide();
    QRect cell = Data->Cell_Rect(0, col);
    const QRect band = Data->viewport()->geometry();
    cell = cell.intersected(QRect(band.left(), cell.top(), band.width(), cell.height()));
    // The column's right border stays uncovered, for dragging.
    cell.setWidth(std::max(cell.width() - 3, 1));
    const QPixmap look = Capture_Window_Rect(Data, cell);
    CommandHeader->setIcon(QIcon(look));
    CommandHeader->setIconSize(cell.size());
    CommandHeader->setGeometry(QRect(Data->mapTo(this, cell.topLeft()), cell.size()));
    CommandHeader->setProperty("Tag", tag);
    CommandHeader->show();
    CommandHeader->raise();
}

void Search::Show_Cell_Tip(int row, int col) {
    const QString key = QStringLiteral("%1/%2").arg(row).arg(col);
    if (key == Last_Tip_Cell || !Tooltip) return;
    Last_Tip_Cell = key;
    const Text_Grid& g = Results.Data;
    QStringList title;
    for (int c : {1, 2, 3, 8}) title << g.Text_Matrix(row, c);
    Tooltip->Title = title.join(QLatin1Char('/'));
    Tooltip->TipText = g.Text_Matrix(row, col);
    Tooltip->Style = 0;
    Tooltip->Centered = true;
    Tooltip->Create(Data, Data->Cell_Rect(row, col));
}

void Search::CommandHeader_Click() {
    if (AdvancedSort->isChecked()) {
        CommandHeader->hide();
        frmTrier dlg(Results.Data, Sort_Keys, this);
        const int field = CommandHeader->property("Tag").toInt();
        if (field > 0 && field < static_cast<int>(Results.Field_Grid_Col.size()))
            dlg.Preselect_Column(Results.Field_Grid_Col[static_cast<size_t>(field)]);
        dlg.exec();
        return;
    }
    Wait_Cursor wait;
    Results.Data.Set_Redraw(false);
    DoSort(Results.Grid_Ref(), Results.Sort, Value::String(CommandHeader->property("Tag").toString()));
    CommandHeader->hide();
    Results.Data.Set_Redraw(true);
    update();
}

void Search::AdvancedSort_Click() {
    ::AdvancedSort_Click(Results.Grid_Ref(), Results.Sort, Sort_Keys, AdvancedSort->isChecked());
    Results.AdvancedSort = AdvancedSort->isChecked();
}

void Search::CellAutoSize_Click() {
    if (CellAutoSize->isChecked()) Resize_Cell();
}

void Search::Resize_Cell(std::optional<int> Only_Col) {
    Text_Grid& g = Results.Data;
    const bool redraw = g.Redraw();
    g.Set_Redraw(false);
    if (!Only_Col) {
        Cell_Fit fit(Hidden_Label_Without_WordWrap->font());
        std::vector<int> heights(static_cast<size_t>(g.Rows()), 0);
        for (int c = 1; c < g.Cols(); ++c)
            g.Set_Col_Width(c, Pixels_To_Twips_X(fit.Widest(g, c, heights), this) + Width_Margin);
        for (int r = 0; r < g.Rows(); ++r)
            g.Set_Row_Height(r, Pixels_To_Twips_Y(heights[static_cast<size_t>(r)], this) + Height_Margin);
        // Every text has room on one line.
        Data->Set_Word_Wrap(false);
    } else if (*Only_Col >= 1 && *Only_Col < g.Cols()) {
        // Each row just high enough for the tallest text of its columns, wrapped at the
        // column widths.
        Cell_Fit fit(Hidden_Label_With_WordWrap->font());
        std::vector<int> tallest(static_cast<size_t>(g.Rows()), 0);
        for (int c = 1; c < g.Cols(); ++c) {
            if (g.Col_Width(c) <= 0) continue;
            const int width = std::max(Twips_To_Pixels_X(g.Col_Width(c) - Width_Margin / 2, this), 1);
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
