// One code table loaded from the input as Refs.dat, then the start-up version check and
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
    const bool onlyCle = options & 1;
    const bool verbose = options & 2;
    const int cleLen = (options >> 2) & 3;
    const int valLen = (options >> 4) & 3;
    const QString section = QString::fromLatin1(kSections[options >> 6]);
    const QString& file = Fuzz_Temp_File();
    Fuzz_Write_File(file, data + 1, size - 1);

    Champ field;
    QStringList errs;
    const qint32 loaded =
        field.Load_Listes_From_Ini_Section(file, section, cleLen, onlyCle, valLen, QStringLiteral("P"), &errs, verbose);
    // A NUL inside a line of the file ends an entry there, as in the reader's buffer.
    const qsizetype entries =
        Read_Profile_Section_Lines(section, file).join(QChar(0)).split(QChar(0), Qt::SkipEmptyParts).size();
    FUZZ_CHECK(loaded >= 0 && loaded <= entries);
    FUZZ_CHECK((loaded == 0) == !field.Ref_Listes);
    if (entries == 0)
        FUZZ_CHECK(errs.isEmpty());  // a missing or empty section says nothing
    else if (verbose)
        FUZZ_CHECK(errs.last() == QStringLiteral("P: Total of %1 successfully loaded item").arg(loaded));
    else
        FUZZ_CHECK(errs.size() <= 1);
    if (field.Ref_Listes) {
        const Refs& table = *field.Ref_Listes;
        FUZZ_CHECK(table.Count() >= 1 && table.Count() <= loaded);
        FUZZ_CHECK(table.Only_Value == onlyCle);
        for (const Ref& r : table) {
            if (cleLen) FUZZ_CHECK(r.Cle().size() == cleLen);
            if (valLen) FUZZ_CHECK(r.Valeur.size() == valLen);
            if (onlyCle) FUZZ_CHECK(r.Valeur == r.Cle());
            const Ref* found = table.Item(r.Cle());
            FUZZ_CHECK(found && found->Cle().compare(r.Cle(), Qt::CaseInsensitive) == 0);
        }
        // The two-part lookup and the other queries on what was loaded.
        field.Ref_MultiPart = true;
        int n = 0;
        for (const Ref& r : table) {
            if (++n > 8) break;
            (void)field.Get_Data(r.Cle(), QStringLiteral("V"));
            (void)field.Get_Data(r.Major() + QStringLiteral(".0") + r.Minor(), QStringLiteral("C"));
        }
        FUZZ_CHECK(field.Get_List_Filtered(QString(), QString())->Count() == table.Count());
        (void)field.Longueur_Czi();
    }

    QStringList versionErrs;
    const bool same = Check_Code_Table_Versions(QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest"),
                                                QStringLiteral("EN\nFR"), QStringLiteral("EN"), versionErrs, file);
    FUZZ_CHECK(same == versionErrs.isEmpty());

    session.Load_Code_Tables(file);
    for (const char* language : {"", "FR"}) {
        session.Set_Language(QString::fromLatin1(language));
        const Champ* em = session.Description().Get_Champs().Item(QStringLiteral("EM"));
        FUZZ_CHECK(em);
        if (em->Ref_Listes)
            for (const Ref& r : *em->Ref_Listes) FUZZ_CHECK(r.Cle().size() == 2);
    }
    session.Set_Language(QString());
    return 0;
}
