#pragma once
// Text grids filled by hand, and read back by column.
#include "search/Text_Grid.h"

#include <QStringList>
#include <vector>

// Row 0 the headers, column 0 the record numbers 1..n (hidden), then the given cells.
inline void Fill_Grid(Text_Grid& g, const QStringList& headers, const std::vector<QStringList>& rows) {
    g.Clear();
    g.Set_Fixed_Cols(0);
    g.Set_Cols(static_cast<int>(headers.size()) + 1);
    g.Set_Rows(static_cast<int>(rows.size()) + 1);
    g.Set_Col_Width(0, 0);
    for (int c = 0; c < headers.size(); ++c) g.Set_Text_Matrix(0, c + 1, headers[c]);
    for (size_t r = 0; r < rows.size(); ++r) {
        g.Set_Text_Matrix(static_cast<int>(r) + 1, 0, QString::number(r + 1));
        for (int c = 0; c < rows[r].size(); ++c) g.Set_Text_Matrix(static_cast<int>(r) + 1, c + 1, rows[r][c]);
    }
}

// The cells of column c below the fixed rows.
inline QStringList Column(const Text_Grid& g, int c) {
    QStringList out;
    for (int r = g.Fixed_Rows(); r < g.Rows(); ++r) out << g.Text_Matrix(r, c);
    return out;
}
