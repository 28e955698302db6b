#include "search/Text_Grid.h"

#include <algorithm>
#include <numeric>

namespace {

const QString& Empty_Text() {
    static const QString empty;
    return empty;
}

}  // namespace

Text_Grid::Text_Grid() {
    // The grid control starts with two rows, two columns, one fixed of each.
    Set_Cols(2);
    Set_Rows(2);
    d_.fixed_rows = d_.fixed_cols = 1;
    Keep_In_Range();
}

Text_Grid::Text_Grid(const Text_Grid& other) : d_(other.d_) { d_.pending = 0; }

Text_Grid& Text_Grid::operator=(const Text_Grid& other) {
    if (this != &other) {
        const bool redraw = d_.redraw;
        const quint8 pending = d_.pending;
        d_ = other.d_;
        d_.redraw = redraw;
        d_.pending = pending;
        Changed_Reset();
    }
    return *this;
}

// --- notifications ---------------------------------------------------------------

void Text_Grid::Changed_Reset() {
    if (d_.redraw) {
        if (listener_) listener_->Grid_Reset();
    } else {
        d_.pending |= Pending_Reset;
    }
}

void Text_Grid::Changed_Cells(int r1, int c1, int r2, int c2) {
    if (d_.redraw) {
        if (listener_) listener_->Grid_Cells_Changed(r1, c1, r2, c2);
        return;
    }
    if (!(d_.pending & Pending_Cells)) {
        d_.pr1 = r1;
        d_.pc1 = c1;
        d_.pr2 = r2;
        d_.pc2 = c2;
    } else {
        d_.pr1 = std::min(d_.pr1, r1);
        d_.pc1 = std::min(d_.pc1, c1);
        d_.pr2 = std::max(d_.pr2, r2);
        d_.pc2 = std::max(d_.pc2, c2);
    }
    d_.pending |= Pending_Cells;
}

void Text_Grid::Changed_Layout() {
    if (d_.redraw) {
        if (listener_) listener_->Grid_Layout_Changed();
    } else {
        d_.pending |= Pending_Layout;
    }
}

void Text_Grid::Changed_Current() {
    if (listener_) listener_->Grid_Current_Changed();
}

void Text_Grid::Set_Redraw(bool on) {
    if (on == d_.redraw) return;
    d_.redraw = on;
    if (!on) return;
    const quint8 pending = d_.pending;
    d_.pending = 0;
    if (!listener_) return;
    if (pending & Pending_Reset) {
        listener_->Grid_Reset();
    } else {
        // Cells beyond a shrink are not the view's business any more.
        if ((pending & Pending_Cells) && d_.rows > 0 && d_.cols > 0) {
            const int r2 = std::min(d_.pr2, d_.rows - 1), c2 = std::min(d_.pc2, d_.cols - 1);
            if (d_.pr1 <= r2 && d_.pc1 <= c2) listener_->Grid_Cells_Changed(d_.pr1, d_.pc1, r2, c2);
        }
        if (pending & Pending_Layout) listener_->Grid_Layout_Changed();
    }
    listener_->Grid_Redraw_On();
}

// --- structure ---------------------------------------------------------------------

void Text_Grid::Keep_In_Range() {
    d_.fixed_rows = std::clamp(d_.fixed_rows, 0, d_.rows);
    d_.fixed_cols = std::clamp(d_.fixed_cols, 0, d_.cols);
    const int last_row = std::max(d_.rows - 1, 0), last_col = std::max(d_.cols - 1, 0);
    d_.row = std::clamp(d_.row, 0, last_row);
    d_.row_sel = std::clamp(d_.row_sel, 0, last_row);
    d_.col = std::clamp(d_.col, 0, last_col);
    d_.col_sel = std::clamp(d_.col_sel, 0, last_col);
    d_.top_row = std::clamp(d_.top_row, d_.fixed_rows, std::max(d_.rows - 1, d_.fixed_rows));
    d_.left_col = std::clamp(d_.left_col, d_.fixed_cols, std::max(d_.cols - 1, d_.fixed_cols));
}

bool Text_Grid::Set_Rows(int rows) {
    if (rows < 0) return false;
    if (rows == d_.rows) return true;
    if (rows < d_.rows) {
        for (int r = 0; r < rows; ++r)
            if (d_.order[r] >= rows) {
                Compact_Rows();
                break;
            }
    }
    // Slots and rows are as many: new rows take the new slots.
    for (auto& column : d_.columns) column.resize(rows);
    const int old_rows = d_.rows;
    d_.order.resize(rows);
    for (int r = old_rows; r < rows; ++r) d_.order[r] = r;
    d_.row_height.resize(rows, Default_Row_Height);
    if (rows < d_.rows)
        for (auto it = d_.pictures.begin(); it != d_.pictures.end();)
            it = static_cast<int>(it.key() >> 32) >= rows ? d_.pictures.erase(it) : std::next(it);
    d_.rows = rows;
    const int row = d_.row, col = d_.col;
    Keep_In_Range();
    Changed_Reset();
    if (row != d_.row || col != d_.col) Changed_Current();
    return true;
}

bool Text_Grid::Set_Cols(int cols) {
    if (cols < 0) return false;
    if (cols == d_.cols) return true;
    d_.columns.resize(cols);
    for (auto& column : d_.columns) column.resize(d_.rows);
    d_.col_width.resize(cols, Default_Col_Width);
    d_.col_alignment.resize(cols, Grid_Alignment::General);
    d_.merge_col.resize(cols, false);
    if (cols < d_.cols)
        for (auto it = d_.pictures.begin(); it != d_.pictures.end();)
            it = static_cast<int>(it.key() & 0xFFFFFFFFu) >= cols ? d_.pictures.erase(it) : std::next(it);
    d_.cols = cols;
    const int row = d_.row, col = d_.col;
    Keep_In_Range();
    Changed_Reset();
    if (row != d_.row || col != d_.col) Changed_Current();
    return true;
}

bool Text_Grid::Set_Fixed_Rows(int n) {
    if (n < 0 || n > d_.rows) return false;
    d_.fixed_rows = n;
    Keep_In_Range();
    Changed_Layout();
    return true;
}

bool Text_Grid::Set_Fixed_Cols(int n) {
    if (n < 0 || n > d_.cols) return false;
    d_.fixed_cols = n;
    Keep_In_Range();
    Changed_Layout();
    return true;
}

void Text_Grid::Clear() {
    for (auto& column : d_.columns) column.assign(column.size(), QString());
    std::iota(d_.order.begin(), d_.order.end(), 0);  // all empty: any slot will do
    d_.pictures.clear();
    Changed_Reset();
}

// --- cells ---------------------------------------------------------------------------

const QString& Text_Grid::Text_Matrix(int row, int col) const {
    return Valid_Row(row) && Valid_Col(col) ? Cell(row, col) : Empty_Text();
}

bool Text_Grid::Set_Text_Matrix(int row, int col, const QString& text) {
    if (!Valid_Row(row) || !Valid_Col(col)) return false;
    Cell(row, col) = text;
    Changed_Cells(row, col, row, col);
    return true;
}

bool Text_Grid::Set_Text_Matrix(int row, int col, QString&& text) {
    if (!Valid_Row(row) || !Valid_Col(col)) return false;
    Cell(row, col) = std::move(text);
    Changed_Cells(row, col, row, col);
    return true;
}

int Text_Grid::Col_Width(int col) const { return Valid_Col(col) ? d_.col_width[col] : 0; }

bool Text_Grid::Set_Col_Width(int col, int twips) {
    if (!Valid_Col(col)) return false;
    d_.col_width[col] = twips < 0 ? Default_Col_Width : twips;
    Changed_Layout();
    return true;
}

int Text_Grid::Row_Height(int row) const { return Valid_Row(row) ? d_.row_height[row] : 0; }

bool Text_Grid::Set_Row_Height(int row, int twips) {
    if (!Valid_Row(row)) return false;
    d_.row_height[row] = twips < 0 ? Default_Row_Height : twips;
    Changed_Layout();
    return true;
}

Grid_Alignment Text_Grid::Col_Alignment(int col) const {
    return Valid_Col(col) ? d_.col_alignment[col] : Grid_Alignment::General;
}

bool Text_Grid::Set_Col_Alignment(int col, Grid_Alignment a) {
    if (!Valid_Col(col) || static_cast<int>(a) > static_cast<int>(Grid_Alignment::General)) return false;
    d_.col_alignment[col] = a;
    Changed_Layout();
    return true;
}

void Text_Grid::Set_Font(const Grid_Font& font) {
    if (font == d_.font) return;
    d_.font = font;
    Changed_Layout();
}

// --- current cell and view -----------------------------------------------------------

bool Text_Grid::Set_Row(int row) {
    if (!Valid_Row(row)) return false;
    d_.row = d_.row_sel = row;
    Changed_Current();
    return true;
}

bool Text_Grid::Set_Col(int col) {
    if (!Valid_Col(col)) return false;
    d_.col = d_.col_sel = col;
    Changed_Current();
    return true;
}

bool Text_Grid::Set_Row_Sel(int row) {
    if (!Valid_Row(row)) return false;
    d_.row_sel = row;
    Changed_Current();
    return true;
}

bool Text_Grid::Set_Col_Sel(int col) {
    if (!Valid_Col(col)) return false;
    d_.col_sel = col;
    Changed_Current();
    return true;
}

bool Text_Grid::Set_Top_Row(int row) {
    if (row < d_.fixed_rows || row >= d_.rows) return false;
    d_.top_row = row;
    Changed_Layout();
    return true;
}

bool Text_Grid::Set_Left_Col(int col) {
    if (col < d_.fixed_cols || col >= d_.cols) return false;
    d_.left_col = col;
    Changed_Layout();
    return true;
}

namespace {
// Position of item i among sizes, fixed items first, then the scrollable ones from
// first_scrolled.
int Pos_Of(const std::vector<int>& sizes, int fixed, int first_scrolled, int i) {
    const auto begin = sizes.begin();
    const int fixed_sum = std::accumulate(begin, begin + fixed, 0);
    if (i < fixed) return std::accumulate(begin, begin + i, 0);
    if (i >= first_scrolled) return fixed_sum + std::accumulate(begin + first_scrolled, begin + i, 0);
    return fixed_sum - std::accumulate(begin + i, begin + first_scrolled, 0);
}

int Item_At(const std::vector<int>& sizes, int fixed, int first_scrolled, int x) {
    if (x < 0) return -1;
    int pos = 0;
    const int n = static_cast<int>(sizes.size());
    for (int i = 0; i < fixed; ++i) {
        pos += sizes[i];
        if (x < pos) return i;
    }
    for (int i = first_scrolled; i < n; ++i) {
        pos += sizes[i];
        if (x < pos) return i;
    }
    return -1;
}
}  // namespace

int Text_Grid::Col_Pos(int col) const {
    return Valid_Col(col) ? Pos_Of(d_.col_width, d_.fixed_cols, d_.left_col, col) : 0;
}

int Text_Grid::Row_Pos(int row) const {
    return Valid_Row(row) ? Pos_Of(d_.row_height, d_.fixed_rows, d_.top_row, row) : 0;
}

int Text_Grid::Col_At(int x) const { return Item_At(d_.col_width, d_.fixed_cols, d_.left_col, x); }

int Text_Grid::Row_At(int y) const { return Item_At(d_.row_height, d_.fixed_rows, d_.top_row, y); }

// --- merging and pictures ------------------------------------------------------------

void Text_Grid::Set_Merge_Cells(Grid_Merge mode) {
    if (static_cast<int>(mode) > static_cast<int>(Grid_Merge::Restrict_Both) || mode == d_.merge) return;
    d_.merge = mode;
    Changed_Layout();
}

bool Text_Grid::Merge_Col(int col) const { return Valid_Col(col) && d_.merge_col[col]; }

bool Text_Grid::Set_Merge_Col(int col, bool on) {
    if (!Valid_Col(col)) return false;
    d_.merge_col[col] = on;
    Changed_Layout();
    return true;
}

bool Text_Grid::Merged_With_Above(int row, int col) const {
    if (d_.merge == Grid_Merge::Never || d_.merge == Grid_Merge::Restrict_Rows) return false;
    if (!Valid_Row(row) || row < 1 || !Merge_Col(col)) return false;
    if ((row - 1 < d_.fixed_rows) != (row < d_.fixed_rows)) return false;
    if (Cell(row, col) != Cell(row - 1, col)) return false;
    return d_.merge != Grid_Merge::Restrict_Both || col == 0 || Merged_With_Above(row, col - 1);
}

Grid_Picture Text_Grid::Cell_Picture(int row, int col) const { return d_.pictures.value(Pic_Key(row, col)).picture; }

bool Text_Grid::Set_Cell_Picture(int row, int col, Grid_Picture p) {
    if (!Valid_Row(row) || !Valid_Col(col) || static_cast<int>(p) > static_cast<int>(Grid_Picture::Descending))
        return false;
    d_.pictures[Pic_Key(row, col)].picture = p;
    Changed_Layout();
    return true;
}

Grid_Alignment Text_Grid::Cell_Picture_Alignment(int row, int col) const {
    return d_.pictures.value(Pic_Key(row, col)).alignment;
}

int Text_Grid::Cell_Picture_Number(int row, int col) const { return d_.pictures.value(Pic_Key(row, col)).number; }

bool Text_Grid::Set_Cell_Picture_Number(int row, int col, int n) {
    if (!Valid_Row(row) || !Valid_Col(col) || n < 0 || n > 255) return false;
    d_.pictures[Pic_Key(row, col)].number = static_cast<quint8>(n);
    Changed_Layout();
    return true;
}

bool Text_Grid::Set_Cell_Picture_Alignment(int row, int col, Grid_Alignment a) {
    if (!Valid_Row(row) || !Valid_Col(col) || static_cast<int>(a) > static_cast<int>(Grid_Alignment::General))
        return false;
    d_.pictures[Pic_Key(row, col)].alignment = a;
    Changed_Layout();
    return true;
}

void Text_Grid::Compact_Rows() {
    for (auto& column : d_.columns) {
        std::vector<QString> in_order(column.size());
        for (int r = 0; r < d_.rows; ++r) in_order[r] = std::move(column[d_.order[r]]);
        column.swap(in_order);
    }
    std::iota(d_.order.begin(), d_.order.end(), 0);
}
