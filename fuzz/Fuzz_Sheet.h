#pragma once
// What every workbook reader's answer must be, whatever the bytes: a refusal with a
// sentence and no cells, or cells inside the sheet, each once, in row then column order,
// none blank, no text longer than a cell holds, of the kinds a spreadsheet hands over.
#include "Fuzz_Support.h"
#include "model/Sheet_Cells.h"

#include <cmath>

inline void Fuzz_Check_Sheet(bool ok, const Sheet_Cells& cells, const QString& why,
                             std::uint32_t maxRow = Sheet_Max_Rows) {
    FUZZ_CHECK(ok == why.isEmpty());
    if (!ok) {
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
        To_Text(c.V);  // every value can be shown, whatever the reader made of the bytes
        switch (c.V.type()) {
        case VType::String:
            FUZZ_CHECK(!c.V.rawString().isEmpty() && c.V.rawString().size() <= Sheet_Max_Text);
            break;
        case VType::Error: FUZZ_CHECK(c.V.rawInt() >= 2000 && c.V.rawInt() <= 2255); break;
        case VType::Double:
        case VType::Date: FUZZ_CHECK(std::isfinite(c.V.rawDouble())); break;
        case VType::Boolean: break;
        default: FUZZ_CHECK(false);  // a kind of value no reader makes
        }
    }
}

// One reader on the fuzzer's bytes, with a bound on cells small enough that a repetition or
// a bomb reaches it within the time limit.
inline int Fuzz_Reader(bool (*read)(QByteArrayView, Sheet_Cells&, QString&), const uint8_t* data, size_t size) {
    Sheet_Cells cells;
    cells.Set_Max_Cells(200000);
    QString why;
    const bool ok = read(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), cells, why);
    Fuzz_Check_Sheet(ok, cells, why);
    return 0;
}
