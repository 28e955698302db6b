#pragma once
// What a record consists of: the ordered field descriptors with their labels per
// language and, for coded fields, their code table.
#include "model/Code_Table.h"
#include "model/Owned_Iterator.h"
#include "model/Value.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The kinds of value a field holds: its Data_Type, a one-digit text, as a number.
enum Data_Type_Kind : qint32 {
    Type_None = 0,
    Type_Code = 1,
    Type_Date = 2,
    Type_Hour = 3,
    Type_Whole = 4,
    Type_Text = 5,
    Type_Long_Text = 6,
};
// A Data_Type text as its number; 0 when it is not a number.
qint32 Data_Type_Number(const QString& Data_Type);
// Codes and texts compare and sort as texts; dates, hours and numbers by value.
inline bool Is_Text_Type(qint32 type) { return type == Type_Code || type == Type_Text || type == Type_Long_Text; }

class Field_Def {
public:
    QString Name;
    QString Data_Name;
    qint32 Length = 0;
    qint32 Max_Length = 0;
    Value Column;
    QString Data_Type;
    std::shared_ptr<Code_Table> Codes;  // absent until the code tables are loaded
    bool Multi_Part_Codes = false;
    QString Text_Field;
    qint32 Line_Count = 1;
    qint32 Position = 0;
    QString Language;
    bool Must_Be_Filled = false;
    qint32 Context_ID = 0;
    qint32 Field_Type = 0;
    bool Field_Active = true;
    Value Value_Min;
    Value Value_Max;

    // Code-table members (Field_Def_Codes.cpp).
    qint32 Load_Codes_From_Section(const QString& ini_file, const QString& section, qint32 Code_Length, bool Only_Code,
                                   qint32 Label_Length, const QString& Prefix_Err, QStringList* Errs, bool Verbose);
    // The label of a code in the language of the table in use, and the code as the table
    // spells it (a code of two numbered parts may be written "3.01" or "3.1"). Empty when
    // the table has no such code.
    Value Label_Of(const QString& code) const { return Look_Up(code, true); }
    Value Spelling_Of(const QString& code) const { return Look_Up(code, false); }
    std::shared_ptr<Code_Table> Codes_Containing(const QString& Code, const QString& Data) const;
    qint32 Widest_Code_Length();
    void Drop_Codes();

    qint32 Type() const { return Data_Type_Number(Data_Type); }

    // A field of one language (the two recommendation texts) is shown only in that one.
    bool Shown_In(const QString& Lang) const { return Language.isEmpty() || Language == Lang; }

    QString Label() const;
    void Set_Label(const QString& NewLib);
    QString Label_In(const QString& Lang = QString()) const;
    void Set_Label_In(const QString& NewLib, const QString& Lang = QString());
    QString Search_Label() const;
    void Set_Search_Label(const QString& NewLib);
    QString Search_Label_In(const QString& Lang = QString()) const;
    void Set_Search_Label_In(const QString& NewLib, const QString& Lang = QString());

private:
    Value Look_Up(const QString& code, bool label) const;
    QString Own_Language() const { return Language.isEmpty() ? QStringLiteral("EN") : Language; }
    bool Selected_By_Contains(const Code_Entry& r, const QString& Code, const QString& Data) const;
    // Created on first write; the first label of a language wins.
    std::unique_ptr<QHash<QString, QString>> labels_;
    std::unique_ptr<QHash<QString, QString>> search_labels_;
};

struct Field_Def_Args {
    QString Name;
    QString Data_Type;
    qint32 Length = 0;
    std::optional<QString> Label;
    std::optional<QString> Data_Name;
    std::shared_ptr<Code_Table> Codes;
    qint32 Line_Count = 1;
    bool Mandatory = false;
    qint32 Context_ID = 0;
    std::optional<QString> Text_Field;
    qint32 Field_Type = 0;
    bool Field_Active = true;
    std::optional<QString> Search_Label;
};

class Field_Defs {
public:
    // nullptr when a field of that name is already present.
    Field_Def* add(const Field_Def_Args& a);
    Field_Def* Item(const QString& key) const;
    Field_Def* Item(int index) const;  // 1-based
    int Number(const QString& key) const;  // 1-based; 0 when there is no such field
    int Count() const { return static_cast<int>(items_.size()); }

    using iterator = Owned_Iterator<Field_Def>;
    iterator begin() const { return iterator(items_.cbegin()); }
    iterator end() const { return iterator(items_.cend()); }

private:
    static QString Key(const QString& name) { return name.toCaseFolded(); }
    std::vector<std::unique_ptr<Field_Def>> items_;
};

class Record {
public:
    QString Name;

    Field_Def* add(const Field_Def_Args& a);
    Field_Defs& Fields();
    const Field_Defs& Fields() const;
    int Count() const { return fields_ ? fields_->Count() : 0; }

private:
    std::unique_ptr<Field_Defs> fields_;
};

// The fields of a recommendation, without code tables.
std::unique_ptr<Record> Build_Record_Description();
