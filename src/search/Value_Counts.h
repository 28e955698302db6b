#pragma once
// How often each value occurs in a search result, for one field or for the group of
// fields that share its search label (the three areas count as one field, as in the
// search): a record counts once per distinct value it holds, and once on the empty
// line when the field (every field of the group) is empty. Coded values are counted by
// their code, whatever its letter case, and shown as their labels in the language.
#include "search/Search_Run.h"

#include <QString>
#include <vector>

enum class Count_Order { By_Count, By_Label };

struct Value_Count {
    QString Code;  // the stored text (a code in capitals); "" for the empty line
    QString Label;  // as the grid shows it
    qint32 Count = 0;
    double Share = 0;  // percent of the records of the result
};

struct Value_Counts {
    QString Field_Label;  // the field's label, or the group's search label
    qint32 Field = 0;  // the field asked for
    std::vector<qint32> Members;  // the fields counted
    qint32 Records = 0;  // records of the result
    std::vector<Value_Count> Rows;  // the empty line, if any, last
};

// The fields counted for field: its group in the language, or itself alone.
std::vector<qint32> Counted_Fields(Record& Desc, qint32 field, const QString& lang);

// The fields a person can count in the language, in column order: each shown field,
// a group once (under its first member), with the label its counts carry.
struct Countable_Field {
    qint32 Field = 0;
    QString Label;
};
std::vector<Countable_Field> Countable_Fields(Record& Desc, const QString& lang);

// The field "Counts..." opens on for the field of the grid's current column: that field
// when its chart tells something (a coded field, a number, a text whose values in the
// result are short: names, titles), else the first coded field of the language.
qint32 Counts_Opening_Field(const Search_Results& s, qint32 field, const QString& lang);
// Longest value, in characters, of a text field whose counts are worth a chart.
inline constexpr int Short_Text_Length = 60;

// Counts over the records of the result.
// By_Count: most frequent first, ties by label; By_Label: in the result's text order.
Value_Counts Count_Values(const Search_Results& s, qint32 field, const QString& lang,
                          Count_Order order = Count_Order::By_Count);

// Share as shown: one decimal, the language's decimal mark.
QString Share_Text(double share, const QString& lang);

// The table with its headers, tab separated, texts quoted as the clipboard export does.
QString Counts_Clip_Text(const Value_Counts& c, const QString& lang);
// The CSV file: "Value";"Count";"Share", one line per value (the empty value as ""),
// encoded as the export file is.
QByteArray Counts_Csv_Bytes(const Value_Counts& c, const QString& lang);
// Headings of the three columns in the language (the first is the field's label).
QString Count_Heading(const QString& lang);
QString Share_Heading(const QString& lang);
// What the empty line shows in a window.
QString Empty_Value_Label(const QString& lang);
