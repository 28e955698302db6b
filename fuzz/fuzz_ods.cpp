// The .ods reader on any bytes: it answers false with a sentence, or true with cells
// in order, inside the sheet, none of them blank; never a crash.
#include "Fuzz_Support.h"
#include "model/Workbook_Reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Sheet_Cells cells;
    // Small enough that a repetition or a bomb reaches the bound within the time limit.
    cells.Set_Max_Cells(200000);
    QString why;
    const bool ok = Read_Ods(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), cells, why);
    if (!ok) {
        FUZZ_CHECK(!why.isEmpty() && cells.Empty());
        return 0;
    }
    FUZZ_CHECK(why.isEmpty());
    const Sheet_Cell* prev = nullptr;
    for (const Sheet_Cell& c : cells.Cells()) {
        FUZZ_CHECK(c.Row >= 1 && c.Row <= Sheet_Max_Rows && c.Col >= 1 && c.Col <= Sheet_Max_Columns);
        FUZZ_CHECK(!c.V.isEmpty() && !(c.V.isString() && c.V.rawString().isEmpty()));
        FUZZ_CHECK(!prev || prev->Row < c.Row || (prev->Row == c.Row && prev->Col < c.Col));
        prev = &c;
    }
    return 0;
}
