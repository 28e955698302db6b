// The .xlsx reader on any bytes: it answers false with a sentence, or true with cells
// in order, inside the sheet, none of them blank; never a crash.
#include "Fuzz_Sheet.h"
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
    const bool ok = Read_Xlsx(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), cells, why);
    Fuzz_Check_Sheet(ok, cells, why);
    return 0;
}
