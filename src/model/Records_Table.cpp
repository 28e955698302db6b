#include "model/Records_Table.h"

#include "model/Huge_Pages.h"

Records_Table_T Records_Table;

void Records_Table_T::Resize(int rowUpper, int colUpper) {
    if (rowUpper < 0 || colUpper < 0) {
        Clear();
        return;
    }
    rows_ = rowUpper + 1;
    cols_ = colUpper + 1;
    const size_t n = static_cast<size_t>(rows_) * cols_;
    std::vector<Value> cells;
    cells.reserve(n);
    Advise_Huge_Pages(cells.data(), n * sizeof(Value));
    cells.resize(n);
    cells_.swap(cells);
}

void Records_Table_T::Clear() {
    rows_ = cols_ = 0;
    std::vector<Value>().swap(cells_);
}

void Records_Table_T::Swap(Records_Table_T& other) noexcept {
    std::swap(rows_, other.rows_);
    std::swap(cols_, other.cols_);
    cells_.swap(other.cells_);
}
