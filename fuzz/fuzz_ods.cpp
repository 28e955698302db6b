// The .ods reader on any bytes: it answers false with a sentence, or true with cells
// in order, inside the sheet, none of them blank; never a crash.
#include "Fuzz_Sheet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    Fuzz_Small_Pieces();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return Fuzz_Reader(&Read_Ods, data, size); }
