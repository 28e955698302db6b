#pragma once
// Everything one run of the program works on: the record description, the records, the
// code tables of both languages, the language in use and the multi-key sort keys. The
// program's shell and sifa-query each make one and hand it to whatever needs it; tests
// make their own.
#include "model/Record_Description.h"
#include "model/Records_Table.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

// The multi-key order: four column numbers, key 1 first, negative for descending, 0 for
// no key (and no key after a 0).
using Sort_Key_Columns = std::array<qint32, 4>;

class Session {
public:
    // The record description, no records, no code tables.
    Session();
    // Another description (tests make records of their own kind).
    explicit Session(std::unique_ptr<Record> description);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A field's code table and longest code are filled in as they are first asked for.
    Record& Description() const { return *description_; }
    Records_Table& Records() { return records_; }
    const Records_Table& Records() const { return records_; }

    // Reads the master tables and their French versions from refsFile, once; the fields
    // then answer in the current language. A missing table leaves its field without one.
    void Load_Code_Tables(const QString& refsFile);

    // "" until the search window opens, then "EN" or "FR".
    const QString& Language() const { return language_; }
    // Each coded field answers with the table of that language, as loaded.
    void Set_Language(const QString& lang);

    // Coded fields show the labels of their codes rather than the codes.
    bool Show_Code_Labels = true;
    Sort_Key_Columns Sort_Keys{};

private:
    struct Field_Tables {
        Field_Def* Field = nullptr;
        std::shared_ptr<Code_Table> Master, French;
    };
    void Use_Tables();

    std::unique_ptr<Record> description_;
    Records_Table records_;
    QString language_;
    std::vector<Field_Tables> tables_;
};
