// The workbook import on any file, whatever its format: problems become lines (a thousand
// at the most, then one that counts the rest), never a crash, and the table holds only
// cells that pass their field's check.
#include "Fuzz_Support.h"
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "model/Spreadsheet_Import.h"
#include "model/Spreadsheet_Server.h"
#include "model/Validation.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    Build_Record_Description();
    Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    // Every format in this process, where the fuzzer sees what happens.
    Set_Spreadsheet_Server_Factory(&Create_In_Process_Workbook_Server);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString file = Fuzz_Temp_File() + QStringLiteral(".xls");
    Fuzz_Write_File(file, data, size);
    Records_Table.Clear();
    const Import_Result r = Import_Workbook(file, nullptr, nullptr);
    FUZZ_CHECK(r.Rows >= 0);
    FUZZ_CHECK(r.Rows > 0 || r.Errs.contains(QStringLiteral("No Data loaded")));
    FUZZ_CHECK(r.Errs.size() <= Max_Problem_Lines + 2);
    if (Records_Table.Allocated()) {
        FUZZ_CHECK(Records_Table.Row_Upper() >= r.Rows);
        QString message;
        for (int row = 1; row <= Records_Table.Row_Upper(); ++row)
            for (int c = 1; c <= Records_Table.Col_Upper(); ++c)
                FUZZ_CHECK(Validate_Value(Records_Table(row, c), *Record_Description->Get_Champs().Item(c), message));
    }
    QFile::remove(file);
    return 0;
}
