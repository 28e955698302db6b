#pragma once
// A search kept in a file (.sifasearch): the criterion rows, And/Or, the order, the field
// set of exports and the language, as UTF-8 lines a person can read and edit. Fields are
// named by their names and operators by keywords, never by captions, so that a file
// saved in one language opens in the other. Reading checks the text; Resolve_Saved_Search
// then checks it against the data. Problems come back as values, worded by
// Saved_Search_Problem_Text; nothing here asks anyone anything.
#include "model/Session.h"
#include "search/Criteria.h"
#include "search/Result_Text.h"
#include "search/Sorting.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

class Record;

struct Saved_Row {
    int Number = 1;  // 1..3, the criterion row it fills
    bool Active = true;
    QString Field;  // a field's name, "*" for [Any fields]
    QString Operator;  // a keyword of Operator_Keyword
    bool Negation = false;
    QString Value;

    bool operator==(const Saved_Row&) const = default;
};

struct Saved_Sort_Key {
    QString Field;  // a field's name
    bool Descending = false;

    bool operator==(const Saved_Sort_Key&) const = default;
};

struct Saved_Search {
    std::vector<Saved_Row> Rows;  // by Number, each at most once
    bool Combine_With_And = false;
    std::optional<Saved_Sort_Key> Heading_Sort;  // the order of a heading click
    std::vector<Saved_Sort_Key> Sort_Keys;  // the multi-key order, up to four keys
    QString Field_Set = QStringLiteral("Short");  // Short, All or Custom=RANGE
    QString Language = QStringLiteral("EN");

    bool operator==(const Saved_Search&) const = default;
};

struct Saved_Search_Problem {
    enum class Kind {
        Unreadable,  // Reason: why
        Empty,
        Not_Utf8,
        Not_A_Search,  // the first line is not ours
        Newer_Version,
        Bad_Line,  // Text: the line
        Bad_Value,  // Text: the value of a known key that is not one of its words
        Unknown_Field,  // Text: the name
        Unknown_Operator,  // Text: the keyword
        Operator_Not_Offered,  // Text: the keyword, Field: the field
        Refused_Value,  // Text: the value, Field: the field, Reason: the check's message
        Unknown_Sort_Field,  // Text: the name
        Empty_Field_Set,  // Text: the range
        Incomplete_Row,  // a row without its field or its operator
    } What = Kind::Empty;
    int Line = 0;  // the file's line, 0 when the problem is of the search as a whole
    int Row = 0;  // the criterion row, 0 when none
    QString Text, Field, Reason;
};

// The stable keyword of an operator code ("equal", ..., "empty"); "" for none.
QString Operator_Keyword(qint32 oper);
std::optional<qint32> Operator_From_Keyword(const QString& keyword);

QByteArray Write_Saved_Search(const Saved_Search& search);
std::variant<Saved_Search, Saved_Search_Problem> Read_Saved_Search(const QByteArray& bytes);
// Only a regular file is read, so that a pipe named like one never holds anything up.
std::variant<Saved_Search, Saved_Search_Problem> Read_Saved_Search_File(const QString& path);

// What a problem means, in the interface's language (English when none is installed).
QString Saved_Search_Problem_Text(const Saved_Search_Problem& problem);

// A saved search as the controls take it, checked as the criterion rows check a value
// when it is left, in the search's own language.
struct Resolved_Search {
    Criteria Rows;
    std::vector<Criterion_Text> Texts;  // the usable rows, for the criteria sentence
    qint32 Heading_Field = 0;  // 0: no heading order
    bool Heading_Descending = false;
    Sort_Key_Columns Keys{};  // grid columns, negative descending
    bool Multi_Key = false;
    std::vector<bool> Field_Set;  // the columns of the field set
    QString Language;
};
// The session's language is the search's while it is checked, and put back after.
std::variant<Resolved_Search, Saved_Search_Problem> Resolve_Saved_Search(Session& session, const Saved_Search& search);

// The field name a criterion row's field entry is saved under ("*" for [Any fields]).
QString Saved_Field_Name(Record& Desc, qint32 item);
// The heading order as a click (twice for descending) on that field would leave it.
void Set_Heading_Order(Single_Field_Sort& state, const Record& Desc, qint32 field, bool descending);
// A custom set of result columns as the range list of positions Custom=RANGE takes.
QString Field_Set_Range(const std::vector<bool>& columns, const std::vector<int>& column_field);
