#pragma once
// The record description over the sample code tables, records made by hand, and a search
// that finds every record: the set-up the search, window and output tests share.
#include "model/Code_Tables.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Criteria.h"
#include "search/Search_Run.h"

#include <gtest/gtest.h>
#include <QHash>
#include <vector>

inline int Field_Number(const QString& name) { return Record_Description->Get_Champs().Number(name); }

// The result's model column of a field; -1 when the language does not show it.
inline int Result_Column(const Search_Results& s, const QString& name) { return s.Model.Column_Of(Field_Number(name)); }
// The column number of a field as the sort keys and the export count them, from 1; -1
// when the language does not show it.
inline int Grid_Column(const Search_Results& s, const QString& name) {
    const int c = Result_Column(s, name);
    return c < 0 ? -1 : c + 1;
}
// The texts a field shows, row by row.
inline QStringList Result_Texts(const Search_Results& s, const QString& name) {
    QStringList out;
    for (int r = 0; r < s.Model.Records(); ++r) out << s.Model.Text(r, Result_Column(s, name));
    return out;
}

// Labels and codes of the sample Refs.dat in the language.
inline void Use_Language(const QString& lang) {
    Current_Language = lang;
    Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
}

using Hand_Record = QHash<QString, QString>;  // field name -> stored text

// Record n of a series: every kind of field filled, the texts numbered.
inline Hand_Record Plain_Record(int n) {
    return {{"Year", QString::number(1990 + n)},
            {"Proj#", QString::number(100 + n)},
            {"Reco#", "1"},
            {"ProjName", QStringLiteral("Project %1").arg(n)},
            {"EM", "DE"},
            {"PortName", "Müller"},
            {"DomReco1", "H"},
            {"RecoFr", QStringLiteral("texte %1").arg(n)},
            {"RecoEN", QStringLiteral("text %1").arg(n)},
            {"Dest1", "NG"}};
}

inline std::vector<Hand_Record> Plain_Records(int n) {
    std::vector<Hand_Record> rows;
    for (int i = 1; i <= n; ++i) rows.push_back(Plain_Record(i));
    return rows;
}

// Numeric fields are stored as numbers, as the import stores them.
inline void Fill_Records(const std::vector<Hand_Record>& rows) {
    Records_Table.Resize(static_cast<int>(rows.size()), Record_Description->Count());
    for (size_t r = 0; r < rows.size(); ++r)
        for (auto it = rows[r].begin(); it != rows[r].end(); ++it) {
            const int f = Field_Number(it.key());
            const bool number = Record_Description->Get_Champs().Item(f)->Data_Type == QLatin1String("4");
            Records_Table(static_cast<int>(r) + 1, f) = number ? Value::Double(it->toDouble()) : Value::String(*it);
        }
}

// Rows of texts under field names; an empty text leaves its field empty.
inline void Fill_Records(const QStringList& fields, const std::vector<QStringList>& rows) {
    std::vector<Hand_Record> records(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (int k = 0; k < fields.size(); ++k)
            if (!rows[r].value(k).isEmpty()) records[r][fields[k]] = rows[r][k];
    Fill_Records(records);
}

// Year or project number not empty: every record, hand-made or from the sample workbook.
inline Criteria Every_Record() {
    Criteria c;
    c.Rows[0] = {true, Field_Number("Year"), Op_Empty, QString(), true};
    c.Rows[1] = {true, Field_Number("Proj#"), Op_Empty, QString(), true};
    return c;
}

inline qint32 Search_All(Search_Results& s, const QString& lang) { return Run_Search(s, Every_Record(), lang); }

// The description and the English tables for each test; the records go after it.
struct Sample_Records_Test : ::testing::Test {
    void SetUp() override {
        Build_Record_Description();
        Use_Language("EN");
    }
    void TearDown() override {
        Records_Table.Clear();
        Current_Language.clear();
    }
};
