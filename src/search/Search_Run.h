#pragma once
// A search from start to result: finds the matching records, loads them into the result
// model in the current language, counts, and puts the order back.
#include "search/Criteria.h"
#include "search/Result_Model.h"
#include "search/Sorting.h"

#include <QString>
#include <vector>

// What the search window owns and every search rewrites (the sort state survives).
struct Search_Results {
    Result_Model Model;  // the records found, in the order shown
    Single_Field_Sort Sort;
    bool AdvancedSort = false;  // "Multi-Columns Sort"

    QString Nb_Records_Caption;  // "1 Record found", "N Records found", "No match"
    bool Output_Enabled = false;  // "Export..." and "Print..."

    Search_Results();
    int Result_Rows() const { return Model.Records(); }
};

// The text a result cell shows for a stored value of a field.
QString Cell_Text(const Champ& field, const Value& stored);

// The ids of the records the criteria select, in record order (marking each record's
// Selection_Mark on the way).
std::vector<qint32> Find_Records(const Criteria& c, const QString& lang);

// Runs the search on Records_Table with the criteria and the language; returns the
// number of records found.
qint32 Run_Search(Search_Results& s, const Criteria& c, const QString& lang);
