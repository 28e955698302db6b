#pragma once
// The records in memory: rows 0..R (row r is workbook row r + 1, row 0 holds no
// record), columns 0..N (column c is the field at Position c, column 0 is free for
// the search's selection mark). Replaced as a whole by each load.
#include "model/Value.h"

#include <vector>

class Records_Table_T {
public:
    // All cells empty. rowUpper/colUpper are upper bounds, as R and N.
    void Resize(int rowUpper, int colUpper);
    void Clear();  // back to "no table"
    bool Allocated() const { return rows_ > 0; }
    int Row_Upper() const { return rows_ - 1; }  // -1 when there is no table
    int Col_Upper() const { return cols_ - 1; }
    Value& operator()(int r, int c) { return cells_[static_cast<size_t>(r) * cols_ + c]; }
    const Value& operator()(int r, int c) const { return cells_[static_cast<size_t>(r) * cols_ + c]; }
    // Number of records R, 0 when there is no table.
    int Record_Count() const { return rows_ > 0 ? rows_ - 1 : 0; }
    void Swap(Records_Table_T& other) noexcept;

private:
    int rows_ = 0;
    int cols_ = 0;
    std::vector<Value> cells_;
};

extern Records_Table_T Records_Table;
