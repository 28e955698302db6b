// The .xls reader on any bytes: an answer, never a crash, a hang or a blow-up. The cells it
// gives lie inside a BIFF sheet, come in row then column order once each, and are no more
// than the file's bytes can hold (the smallest cell record spends six bytes on a cell).
#include "Fuzz_Sheet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Sheet_Cells cells;
    // Now and then a small bound, so that giving up on too many cells is run too.
    if (size % 5 == 0) cells.Set_Max_Cells(3);
    const Workbook_Failure failure = Read_Xls(QByteArrayView(data, static_cast<qsizetype>(size)), cells);
    Fuzz_Check_Sheet(failure, cells, 65536);
    if (failure != Workbook_Failure::None) FUZZ_CHECK(Workbook_Failure_Text(failure).endsWith(QLatin1Char('.')));
    FUZZ_CHECK(cells.Size() <= size / 6);
    return 0;
}
