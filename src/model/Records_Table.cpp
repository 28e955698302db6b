#include "model/Records_Table.h"

Records_Table_T Records_Table;

void Records_Table_T::Resize(int rowUpper, int colUpper)
{
    if (rowUpper < 0 || colUpper < 0) {
        Clear();
        return;
    }
    rows_ = rowUpper + 1;
    cols_ = colUpper + 1;
    cells_.assign(static_cast<size_t>(rows_) * cols_, Value());
}

void Records_Table_T::Clear()
{
    rows_ = cols_ = 0;
    std::vector<Value>().swap(cells_);
}

void Records_Table_T::Swap(Records_Table_T& other) noexcept
{
    std::swap(rows_, other.rows_);
    std::swap(cols_, other.cols_);
    cells_.swap(other.cells_);
}
