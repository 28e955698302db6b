#pragma once
// A search from start to result: marks the records, rebuilds the result grid in the
// current language with decoded codes, counts, and puts the order back.
#include "search/Criteria.h"
#include "search/Sorting.h"
#include "search/Text_Grid.h"

#include <QString>
#include <vector>

// What the search window owns and every search rewrites (the sort state survives).
struct Search_Results {
    Text_Grid Data;
    std::vector<qint32> Field_Grid_Col;  // by field number 0..N; -1 = not shown
    std::vector<qint32> Grid_Col_Field;  // by grid column 0..C + 1; 0 = no field
    Single_Field_Sort Sort;
    bool AdvancedSort = false;  // "Multi-Columns Sort"
    int Default_Col_Width = Text_Grid::Default_Col_Width;
    int Default_Row_Height = Text_Grid::Default_Row_Height;

    QString Nb_Records_Caption;  // "1 Record found", "N Records found", "No match"
    QString Nb_Records_Tag = QStringLiteral("0");
    bool Output_Enabled = false;  // "Export..." and "Print..."

    Search_Results();
    Result_Grid_Ref Grid_Ref() { return {Data, Field_Grid_Col, Grid_Col_Field, nullptr}; }
    // Number of result rows, as the tag of the record count gives it.
    int Result_Rows() const { return Nb_Records_Tag.toInt(); }
};

// The text a grid cell shows for a stored value of a field.
QString Cell_Text(const Champ& field, const Value& stored);

// Runs the search on Records_Table with the criteria and the language; returns the
// number of records found.
qint32 Run_Search(Search_Results& s, const Criteria& c, const QString& lang);
