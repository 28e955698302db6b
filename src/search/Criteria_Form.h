#pragma once
// What the criterion rows of the search window offer and accept: the field entries,
// the operators of a field, how its value is entered, the check of a value and the
// description of a typed code. The window and the command-line tool both follow these
// rules, so a query means the same thing in either.
#include "search/Criteria.h"

#include <QList>
#include <QString>
#include <QStringList>

class Field_Def;
class Record;

struct Field_Entry {
    QString Text;
    qint32 Item = 0;  // field number, or Any_Fields
};
// "[Any fields]", then each active field of the language under its search label;
// fields that share a search label appear once, under the first of them.
QList<Field_Entry> Field_Entries(Record& Desc, const QString& Lang);

// The field descriptor of an entry's item number; nullptr for "[Any fields]" or none.
Field_Def* Field_Of_Item(Record& Desc, qint32 item);

// The operator codes offered for an entry, in list order.
QList<qint32> Offered_Operators(Record& Desc, qint32 item);

// How the value of a row is entered after the operator choice.
struct Value_Entry {
    enum class Kind { Hidden, Text_Box, Label_List } kind = Kind::Hidden;
    int Width_Chars = 0;  // of the text box, in average characters of its font
    int Max_Length = 0;
    // Characters the box is wide enough to show: a coded box shows its code and the
    // first letters of a label typed into it to find the code.
    int Shown_Length = 0;
    bool Show_Description = false;
    QStringList List_Labels;  // Label_List: the labels of the code table, in order
    // A box a code is typed into, a label shown beside it: it offers the table's codes.
    bool Takes_Typed_Code() const { return kind == Kind::Text_Box && Show_Description; }
};
Value_Entry Value_Entry_For(Record& Desc, qint32 item, std::optional<qint32> oper);

// The check made when the value box is left: "" when accepted, else the message. A coded
// "Equal" accepts what can select a record: a code or a label, in any letter case (and
// any accents when the search ignores them), or a pattern that fits one of them.
QString Check_Criterion_Value(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text,
                              bool ignore_accents = false);

// What an accepted value box then holds: on a coded box, a code or a label (any letter
// case) becomes the code as its table spells it; any other text stays as typed.
QString Value_As_Table_Spells(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text,
                              bool ignore_accents = false);

// The entries a coded value box offers while it is typed into, in table order.
struct Code_Choice {
    QString Code;
    QString Label;
};
QList<Code_Choice> Code_Choices(Record& Desc, qint32 item);

// The label shown beside a coded value box while typing; "" when none applies.
QString Value_Description(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text);

// True when the row's value is a code that can be picked from its table.
bool Row_Is_Coded(Record& Desc, qint32 item);

// The criterion row that selects the records holding a cell's stored value, for the
// quick filters of the result grid: the field's entry, "Equal" to the stored code (the
// label when the field's list offers labels), or to the text with its wildcard
// characters in brackets so that they match themselves; "Empty" for an empty cell;
// Exclude sets the negation. nullopt, with why in words, when the field is not in the
// field list or the value cannot be entered as a criterion.
std::optional<Criterion_Row> Criterion_For_Cell(Record& Desc, qint32 field, const Value& stored, bool Exclude,
                                                const QString& Lang, QString& why);
