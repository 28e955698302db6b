#pragma once
// A search from start to result: finds the matching records, loads them into the result
// model in the current language, counts, and puts the order back.
#include "search/Criteria.h"
#include "search/Quick_Find.h"
#include "search/Result_Model.h"
#include "search/Sorting.h"

#include <QString>
#include <vector>

// What the search window owns and every search rewrites (the sort state survives).
struct Search_Results {
    Result_Model Model;  // the records found, in the order shown
    Single_Field_Sort Sort;
    bool Multi_Key_Box = false;  // "Multi-Columns Sort"
    // The field set exports of this search start with: Short, All or Custom=RANGE.
    QString Field_Set = QStringLiteral("Short");

    QString Count_Caption;  // "1 Record found", "N Records found", "No match", "12 of 400 Records found"
    bool Output_Enabled = false;  // "Export..." and "Print..."

    // Quick find: the shown rows are the records that show this text ("" shows them all);
    // it outlives a search, which shows the records of the new result that show it.
    QString Quick_Find_Text;
    Quick_Find Finder;

    explicit Search_Results(const Session& session);
    int Result_Rows() const { return Model.Records(); }
};

// The text a result cell shows for a stored value of a field: its label, for a coded
// field when labels are shown.
QString Cell_Text(const Field_Def& field, const Value& stored, bool show_labels);

// The ids of the session's records the criteria select, in record order (marking each record's
// Selection_Mark on the way).
std::vector<qint32> Find_Records(Session& session, const Criteria& c);

// Quick find: shows only the records of the result that show the text in a column
// (all of them for ""), and says in the count line how many of how many.
void Apply_Quick_Find(Search_Results& s, const QString& text);

// Runs the search on the session's records with the criteria, in its language; returns
// the number of records found.
qint32 Run_Search(Session& session, Search_Results& s, const Criteria& c);
