#pragma once
// What every workbook reader's answer must be, whatever the bytes: a refusal with a
// sentence and no cells, or cells inside the sheet, each once, in row then column order,
// none blank, no text longer than a cell holds, of the kinds a spreadsheet hands over.
#include "Fuzz_Support.h"
#include "workbook/Format_Readers.h"

#include <cmath>

inline void Fuzz_Check_Sheet(Workbook_Failure failure, const Sheet_Cells& cells,
                             std::uint32_t maxRow = Sheet_Max_Rows) {
    FUZZ_CHECK(Workbook_Failure_Text(failure).isEmpty() == (failure == Workbook_Failure::None));
    if (failure != Workbook_Failure::None) {
        FUZZ_CHECK(cells.Empty());
        return;
    }
    FUZZ_CHECK(cells.Size() <= cells.Max_Cells());
    std::uint32_t row = 0, col = 0;
    for (const Sheet_Cell& c : cells.Cells()) {
        FUZZ_CHECK(c.Row >= 1 && c.Row <= maxRow && c.Col >= 1 && c.Col <= Sheet_Max_Columns);
        FUZZ_CHECK(row < c.Row || (row == c.Row && col < c.Col));
        row = c.Row;
        col = c.Col;
        switch (c.V.Kind) {
        case Cell_Kind::Text: FUZZ_CHECK(!c.V.Text.isEmpty() && c.V.Text.size() <= Sheet_Max_Text); break;
        case Cell_Kind::Error: FUZZ_CHECK(c.V.Code >= 2000 && c.V.Code <= 2255); break;
        case Cell_Kind::Number:
        case Cell_Kind::Date: FUZZ_CHECK(std::isfinite(c.V.Number)); break;
        case Cell_Kind::Boolean: FUZZ_CHECK(c.V.Code == 0 || c.V.Code == 1); break;
        case Cell_Kind::Empty: FUZZ_CHECK(false);  // a blank cell is never kept
        }
    }
}

// Parts read in pieces of 256 KiB, and a row or shared string refused past 1 MiB: a hostile
// seed that unpacks into one endless element then costs milliseconds instead of seconds, and
// the pieces are cut more often.
inline void Fuzz_Small_Pieces() {
    Set_Package_Piece_Bytes(std::size_t(256) << 10);
    Set_Package_Element_Bytes(std::size_t(1) << 20);
}

// One reader on the fuzzer's bytes, with a bound on cells small enough that a repetition or
// a bomb reaches it within the time limit.
inline int Fuzz_Reader(Workbook_Failure (*read)(QByteArrayView, Sheet_Cells&), const uint8_t* data, size_t size) {
    Sheet_Cells cells;
    cells.Set_Max_Cells(200000);
    const Workbook_Failure failure =
        read(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), cells);
    Fuzz_Check_Sheet(failure, cells);
    return 0;
}
