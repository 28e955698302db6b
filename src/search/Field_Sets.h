#pragma once
// Which result columns go out with an export: the built-in field sets "Short", "All"
// and "Custom", given as range lists of record-description positions.
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class Record;

// The built-in sets, tab separated, and their captions.
QString Field_Sets_Ranges();
QStringList Field_Sets_Captions();

struct Field_Sets {
    // Sets[s][c]: result column c (1..N) belongs to set s; entry 0 never set.
    std::array<std::vector<bool>, 3> Sets;
    // Column_Field[c]: the record-description position of the field of column c.
    std::vector<int> Column_Field;
};

// The columns of one range list for the language: positions of fields of the other
// language name no column and are skipped. The ranges are clipped to the fields, never
// expanded: thousands of "1-9999" cost what one does.
std::vector<bool> Field_Set_From_Range(const Record& Desc, const QString& rangeList, const QString& lang,
                                       std::vector<int>* columnField = nullptr);
Field_Sets Init_Field_Sets(const Record& Desc, const QString& lang);
