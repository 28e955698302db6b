// One code table loaded from the input as Code_Table.dat, then the start-up version check and
// the loading of every coded field. Input: one byte of options, then the file.
#include "Fuzz_Support.h"
#include "model/Code_Tables.h"
#include "model/Profile_Reader.h"
#include "model/Record_Description.h"
#include "model/Session.h"

// The one session this program works on.
static Session session;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kSections[] = {"Country", "TypeEmet", "DomReco (FR)", "TypeDest"};
    const uint8_t options = data[0];
    const bool only_code = options & 1;
    const bool verbose = options & 2;
    const int code_length = (options >> 2) & 3;
    const int valLen = (options >> 4) & 3;
    const QString section = QString::fromLatin1(kSections[options >> 6]);
    const QString& file = Fuzz_Temp_File();
    Fuzz_Write_File(file, data + 1, size - 1);

    Field_Def field;
    QStringList errs;
    const qint32 loaded = field.Load_Codes_From_Section(file, section, code_length, only_code, valLen,
                                                        QStringLiteral("P"), &errs, verbose);
    // A NUL inside a line of the file ends an entry there, as in the reader's buffer.
    const qsizetype entries =
        Read_Profile_Section_Lines(section, file).join(QChar(0)).split(QChar(0), Qt::SkipEmptyParts).size();
    FUZZ_CHECK(loaded >= 0 && loaded <= entries);
    FUZZ_CHECK((loaded == 0) == !field.Codes);
    if (entries == 0)
        // A missing or empty section says nothing; one whose lines hold only NULs is read,
        // and a verbose load then counts what it found there: nothing.
        FUZZ_CHECK(errs.isEmpty() ||
                   (verbose && errs == QStringList{QStringLiteral("P: Total of 0 successfully loaded item")}));
    else if (verbose)
        FUZZ_CHECK(errs.last() == QStringLiteral("P: Total of %1 successfully loaded item").arg(loaded));
    else
        FUZZ_CHECK(errs.size() <= 1);
    if (field.Codes) {
        const Code_Table& table = *field.Codes;
        FUZZ_CHECK(table.Count() >= 1 && table.Count() <= loaded);
        FUZZ_CHECK(table.Only_Value == only_code);
        for (const Code_Entry& r : table) {
            if (code_length) FUZZ_CHECK(r.Code().size() == code_length);
            if (valLen) FUZZ_CHECK(r.Label.size() == valLen);
            if (only_code) FUZZ_CHECK(r.Label == r.Code());
            const Code_Entry* found = table.Item(r.Code());
            FUZZ_CHECK(found && found->Code().compare(r.Code(), Qt::CaseInsensitive) == 0);
        }
        // The two-part lookup and the other queries on what was loaded.
        field.Multi_Part_Codes = true;
        int n = 0;
        for (const Code_Entry& r : table) {
            if (++n > 8) break;
            (void)field.Label_Of(r.Code());
            (void)field.Spelling_Of(r.Major() + QStringLiteral(".0") + r.Minor());
        }
        FUZZ_CHECK(field.Codes_Containing(QString(), QString())->Count() == table.Count());
        (void)field.Widest_Code_Length();
    }

    QStringList versionErrs;
    const bool same = Check_Code_Table_Versions(QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest"),
                                                QStringLiteral("EN\nFR"), QStringLiteral("EN"), versionErrs, file);
    FUZZ_CHECK(same == versionErrs.isEmpty());

    session.Load_Code_Tables(file);
    for (const char* language : {"", "FR"}) {
        session.Set_Language(QString::fromLatin1(language));
        const Field_Def* em = session.Description().Fields().Item(QStringLiteral("EM"));
        FUZZ_CHECK(em);
        if (em->Codes)
            for (const Code_Entry& r : *em->Codes) FUZZ_CHECK(r.Code().size() == 2);
    }
    session.Set_Language(QString());
    return 0;
}
