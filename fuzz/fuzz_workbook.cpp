// The workbook import on any file, whatever its format: problems become lines (a thousand
// at the most, then one that counts the rest), never a crash, and the table holds only
// cells that pass their field's check.
#include "Fuzz_Support.h"
#include "model/Code_Tables.h"
#include "model/Session.h"
#include "model/Spreadsheet_Import.h"
#include "model/Validation.h"

// The one session this program works on.
static Session session;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString file = Fuzz_Temp_File() + QStringLiteral(".xls");
    Fuzz_Write_File(file, data, size);
    session.Records().Clear();
    // Every format in this process, where the fuzzer sees what happens.
    QStringList errs;
    const qint32 rows = Load_Spreadsheet(session, file, errs, nullptr, nullptr,
                                         [](const QString& path, Sheet_Cells& out, const Sheet_Batches&) {
                                             return Read_Workbook(path, out, Reader_Place::In_Process);
                                         });
    FUZZ_CHECK(rows >= 0);
    FUZZ_CHECK(errs.size() <= Max_Problem_Lines + 1);
    if (session.Records().Allocated()) {
        FUZZ_CHECK(session.Records().Row_Upper() >= rows);
        QString message;
        for (int row = 1; row <= session.Records().Row_Upper(); ++row)
            for (int c = 1; c <= session.Records().Col_Upper(); ++c)
                FUZZ_CHECK(Validate_Value(session.Records()(row, c), *session.Description().Fields().Item(c), message));
    }
    QFile::remove(file);
    return 0;
}
