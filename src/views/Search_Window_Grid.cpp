// The result under the mouse: a click on a cell opens its record, a click on a heading
// sorts, dragged borders, cell tips; the sizes of the cells.
#include "views/Search_Window.h"

#include "model/Session.h"
#include "views/Cell_Fit.h"
#include "views/Result_View.h"
#include "views/Sort_Dialog.h"
#include "winsupport/Window_Settings.h"
#include "winsupport/Window_Utils.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace {
constexpr int Min_Col_Width = 20;  // pixels: a border is never dragged closer
constexpr int Width_Margin = 8, Height_Margin = 4;  // pixels around a fitted text
// Pixels of a cell's width its text does not use (the painter's inner margins).
constexpr int Text_Margin_Px = 8;

// The width the view shows cells in. A hidden window's view has not laid its viewport
// out yet: its inner width less a vertical scroll bar, then.
int Shown_Width(const Result_View* view) {
    if (view->isVisible()) return view->viewport()->width();
    return view->maximumViewportSize().width() - view->verticalScrollBar()->sizeHint().width();
}

// The fields of the columns, for the widths set by hand.
std::vector<qint32> Shown_Fields(const Result_Model& m) {
    std::vector<qint32> fields;
    for (int c = 0; c < m.Columns(); ++c) fields.push_back(m.Field_At(c));
    return fields;
}

// The columns' fields by name, under which their widths are kept between runs: the
// widths of one language's columns are not given to the other's, nor to a workbook with
// other fields.
QStringList Field_Names(const Record& desc, const std::vector<qint32>& fields) {
    QStringList names;
    for (qint32 f : fields) {
        const Field_Def* def = desc.Fields().Item(f);
        names << (def ? def->Name : QString());
    }
    return names;
}

const QString Widths_Table = QStringLiteral("Result_Grid");
const QString Adjust_Cell_Size_Key = QStringLiteral("Search_Window/Adjust_Cell_Size");

// Texts of a column for Cell_Fit: row 0 the heading, row r the model's row r - 1.
std::function<QString(int)> Column_Texts(const Result_Model& m, int col) {
    return [&m, col](int r) { return r == 0 ? m.Heading(col) : m.Text(r - 1, col); };
}
}  // namespace

void Search_Window::Connect_Grid() {
    Result_Grid->Header()->setMinimumSectionSize(Min_Col_Width);
    connect(Result_Grid, &Result_View::Context_Menu_Asked, this, &Search_Window::Data_Context_Menu);
    connect(Result_Grid, &Result_View::Cell_Hovered, this, &Search_Window::Show_Cell_Tip);
    connect(Result_Grid, &Result_View::clicked, this, &Search_Window::Cell_Clicked);
    connect(Result_Grid, &Result_View::Header_Clicked, this, &Search_Window::Heading_Clicked);
    connect(Result_Grid, &Result_View::Column_Resized_By_Hand, this, &Search_Window::Data_Column_Resized);
    connect(Result_Grid, &Result_View::Viewport_Width_Changed, this, [this] {
        if (!Adjust_Cell_Size_Box->isChecked()) Share_Free_Width();
    });
}

void Search_Window::Cell_Clicked(const QModelIndex& index) {
    // A drag that chose several cells is no click; Shift or Ctrl widen the selection.
    if (QGuiApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return;
    Open_Record_Of_Row(index.row());
}

void Search_Window::Open_Record_Of_Row(int row) {
    const qint32 record = Results.Model.Record_At(row);
    if (record > 0) emit Record_Asked(record);
}

void Search_Window::Open_Current_Record() { Open_Record_Of_Row(Result_Grid->Current_Row()); }

void Search_Window::Show_Cell_Tip(int row, int col) {
    const Result_Model& m = Results.Model;
    const QString key = QStringLiteral("%1/%2").arg(row).arg(col);
    if (key == Last_Tip_Cell || !Loaded || m.Text(row, col).isEmpty()) return;
    Last_Tip_Cell = key;
    QStringList title;
    for (int c : {0, 1, 2, 7}) title << m.Text(row, c);
    // The record's year, project, number and area in bold over the cell's whole text,
    // centred under the cell; it goes when the mouse leaves the cell.
    const QRect cell = Result_Grid->Cell_Rect(row, col);
    QWidget* port = Result_Grid->viewport();
    QToolTip::showText(port->mapToGlobal(QPoint(cell.center().x(), cell.bottom())),
                       Titled_Tip(title.join(QLatin1Char('/')), m.Text(row, col)), port, cell, 10000);
}

void Search_Window::Heading_Clicked(int col) {
    const qint32 field = Field_Of_Col(col);
    if (field <= 0) return;
    if (Multi_Key_Box->isChecked()) {
        Sort_Dialog dlg(Results.Model, Session_In_Use.Sort_Keys, this);
        dlg.Preselect_Column(col + 1);
        dlg.exec();
        return;
    }
    Wait_Cursor wait;
    Sort_By_Heading(Results.Model, Results.Sort, Value::Long(field));
}

void Search_Window::Data_Column_Resized(int col) {
    const std::vector<qint32> fields = Shown_Fields(Results.Model);
    Hand_Set_Widths.Set(Field_Of_Col(col), Result_Grid->columnWidth(col), fields);
    QList<int> widths;
    for (qint32 f : fields) widths << Hand_Set_Widths.Of(f).value_or(0);
    Save_Column_Widths(Widths_Table, Field_Names(Session_In_Use.Description(), fields), widths);
    if (Adjust_Cell_Size_Box->isChecked()) Resize_Cell(col);
}

void Search_Window::Sort_Mode_Toggled() {
    ::Sort_Mode_Toggled(Results.Model, Results.Sort, Session_In_Use.Sort_Keys, Multi_Key_Box->isChecked());
    Results.Multi_Key_Box = Multi_Key_Box->isChecked();
}

void Search_Window::Adjust_Cell_Size_Toggled() {
    Keep_Choice(Adjust_Cell_Size_Key, Adjust_Cell_Size_Box->isChecked());
    Size_Cells();
}

void Search_Window::Restore_Cell_Size_Choice() {
    Adjust_Cell_Size_Box->setChecked(Kept_Choice(Adjust_Cell_Size_Key).value_or(false));
}

void Search_Window::Size_Cells() {
    const std::vector<qint32> fields = Shown_Fields(Results.Model);
    if (Hand_Set_Widths.Keep_For(fields)) {
        // Columns shown anew get the widths the user last set on them.
        const QList<int> kept = Kept_Column_Widths(Widths_Table, Field_Names(Session_In_Use.Description(), fields));
        for (qsizetype c = 0; c < kept.size(); ++c)
            if (kept[c] > 0)
                Hand_Set_Widths.Set(fields[static_cast<size_t>(c)], std::max(kept[c], Min_Col_Width), fields);
    }
    if (Adjust_Cell_Size_Box->isChecked()) {
        Resize_Cell();
        return;
    }
    Result_Grid->Set_Uniform_Row_Height(Default_Row_Height);
    Result_Grid->Header()->setFixedHeight(Default_Row_Height);
    Result_Grid->Set_Word_Wrap(false);
    Share_Free_Width();
}

void Search_Window::Share_Free_Width() {
    const Result_Model& m = Results.Model;
    if (Adjust_Cell_Size_Box->isChecked() || m.Columns() < 1) return;
    const int room = Shown_Width(Result_Grid);
    const int base = Default_Col_Width;
    std::vector<int> sharing;
    int free = room;
    for (int c = 0; c < m.Columns(); ++c) {
        if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) {
            free -= *hand;
            continue;
        }
        if (!Result_Grid->isColumnHidden(c)) sharing.push_back(c);
    }
    std::vector<int> wanted(sharing.size(), base);
    // The texts are measured only when there is room to share, once per result.
    if (free > base * static_cast<int>(sharing.size())) {
        if (content_widths_.size() != static_cast<size_t>(m.Columns())) {
            content_widths_.assign(static_cast<size_t>(m.Columns()), 0);
            Cell_Fit fit(Result_Grid->font());
            std::vector<int> heights(static_cast<size_t>(m.Records()) + 1, 0);
            for (int c = 0; c < m.Columns(); ++c)
                content_widths_[static_cast<size_t>(c)] = fit.Widest(Column_Texts(m, c), heights) + Width_Margin;
        }
        for (size_t i = 0; i < sharing.size(); ++i)
            wanted[i] = std::min(content_widths_[static_cast<size_t>(sharing[i])], room);
    }
    const std::vector<int> widths = Share_Width(wanted, base, free);
    for (int c = 0; c < m.Columns(); ++c)
        if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) Result_Grid->setColumnWidth(c, *hand);
    for (size_t i = 0; i < sharing.size(); ++i) Result_Grid->setColumnWidth(sharing[i], widths[i]);
}

void Search_Window::Resize_Cell(std::optional<int> Only_Col) {
    const Result_Model& m = Results.Model;
    Cell_Fit fit(Unwrapped_Measure_Label->font());
    // Wrapped texts are measured at the width the painter gives them.
    const auto wrap_width = [](int col_px) { return std::max(col_px - Text_Margin_Px, 1); };
    // Row 0 is the heading, row r the model's row r - 1.
    std::vector<int> heights(static_cast<size_t>(m.Records()) + 1, 0);
    if (!Only_Col) {
        // No column wider than the view shows: a long text wraps within it.
        const int room = std::max(Shown_Width(Result_Grid), Min_Col_Width);
        std::vector<int> column(heights.size());
        bool wrapped = false;
        for (int c = 0; c < m.Columns(); ++c) {
            int width = 0;
            if (const auto hand = Hand_Set_Widths.Of(Field_Of_Col(c))) {
                width = *hand;
            } else {
                std::fill(column.begin(), column.end(), 0);
                width = fit.Widest(Column_Texts(m, c), column) + Width_Margin;
                if (width <= room) {
                    Result_Grid->setColumnWidth(c, width);
                    for (size_t r = 0; r < heights.size(); ++r) heights[r] = std::max(heights[r], column[r]);
                    continue;
                }
                width = room;
            }
            Result_Grid->setColumnWidth(c, width);
            wrapped = true;
            const int px = wrap_width(width);
            const auto text = Column_Texts(m, c);
            for (size_t r = 0; r < heights.size(); ++r)
                heights[r] = std::max(heights[r], fit.Wrapped_Height(text(static_cast<int>(r)), px));
        }
        Result_Grid->Set_Word_Wrap(wrapped);
    } else if (*Only_Col >= 0 && *Only_Col < m.Columns()) {
        // Each row just high enough for the tallest text of its columns, wrapped at the
        // column widths.
        for (int c = 0; c < m.Columns(); ++c) {
            if (Result_Grid->isColumnHidden(c) || Result_Grid->columnWidth(c) <= 0) continue;
            const int width = wrap_width(Result_Grid->columnWidth(c));
            const auto text = Column_Texts(m, c);
            for (size_t r = 0; r < heights.size(); ++r)
                heights[r] = std::max(heights[r], fit.Wrapped_Height(text(static_cast<int>(r)), width));
        }
        // The rows are now high enough for the wrapped texts.
        Result_Grid->Set_Word_Wrap(true);
    } else {
        return;
    }
    for (int& h : heights) h += Height_Margin;
    Result_Grid->Header()->setFixedHeight(heights[0]);
    Result_Grid->Set_Row_Heights(std::vector<int>(heights.begin() + 1, heights.end()));
}
