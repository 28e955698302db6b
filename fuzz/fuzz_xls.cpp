// The .xls reader on any bytes: an answer, never a crash, a hang or a blow-up. The cells it
// gives lie inside a BIFF sheet, come in row then column order once each, and are no more
// than the file's bytes can hold (the smallest cell record spends six bytes on a cell).
#include "Fuzz_Support.h"
#include "model/Workbook_Reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Sheet_Cells cells;
    // Now and then a small bound, so that giving up on too many cells is run too.
    if (size % 5 == 0) cells.Set_Max_Cells(3);
    QString why;
    const bool ok = Read_Xls(QByteArrayView(data, static_cast<qsizetype>(size)), cells, why);
    FUZZ_CHECK(ok == why.isEmpty());
    if (!ok) {
        FUZZ_CHECK(cells.Empty());
        FUZZ_CHECK(why.endsWith(QLatin1Char('.')));
        return 0;
    }
    FUZZ_CHECK(cells.Cells().size() <= cells.Max_Cells());
    FUZZ_CHECK(cells.Cells().size() <= size / 6);
    const Sheet_Cell* previous = nullptr;
    for (const Sheet_Cell& c : cells.Cells()) {
        FUZZ_CHECK(c.Row >= 1 && c.Row <= 65536 && c.Col >= 1 && c.Col <= Sheet_Max_Columns);
        if (previous) FUZZ_CHECK(previous->Row < c.Row || (previous->Row == c.Row && previous->Col < c.Col));
        previous = &c;
        switch (c.V.type()) {
        case VType::String: FUZZ_CHECK(!c.V.rawString().isEmpty()); break;
        case VType::Error: FUZZ_CHECK(c.V.rawInt() >= 2000 && c.V.rawInt() <= 2255); break;
        case VType::Double: case VType::Date: case VType::Boolean: break;
        default: FUZZ_CHECK(false);  // a kind of value the reader never makes
        }
    }
    return 0;
}
