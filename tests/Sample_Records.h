#pragma once
// A session over the sample code tables, records made by hand, and a search that finds
// every record: the set-up the search, window and output tests share.
#include "model/Session.h"
#include "search/Criteria.h"
#include "search/Search_Run.h"

#include <gtest/gtest.h>
#include <QHash>
#include <vector>

// Both languages' tables of the sample Code_Table.dat, the session in English.
inline void Load_Sample_Tables(Session& session) {
    session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    session.Set_Language(QStringLiteral("EN"));
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

// The result's model column of a field; -1 when the language does not show it.
inline int Result_Column(const Search_Results& s, const QString& name) {
    const Record* d = s.Model.Table().Description();
    return d ? s.Model.Column_Of(d->Fields().Number(name)) : -1;
}
// The column number of a field as the sort keys and the export count them, from 1; -1
// when the language does not show it.
inline int Grid_Column(const Search_Results& s, const QString& name) {
    const int c = Result_Column(s, name);
    return c < 0 ? -1 : c + 1;
}

// What the tests do with the session of their fixture.
struct Session_Test : ::testing::Test {
    explicit Session_Test(Session& s) : session(s) {}
    Session& session;

    int Field_Number(const QString& name) const { return session.Description().Fields().Number(name); }
    void Use_Language(const QString& lang) { session.Set_Language(lang); }

    // Numeric fields are stored as numbers, as the import stores them.
    void Fill_Records(const std::vector<Hand_Record>& rows) {
        Records_Table& table = session.Records();
        table.Resize(static_cast<int>(rows.size()), session.Description().Count());
        for (size_t r = 0; r < rows.size(); ++r)
            for (auto it = rows[r].begin(); it != rows[r].end(); ++it) {
                const int f = Field_Number(it.key());
                const bool number = session.Description().Fields().Item(f)->Data_Type == QLatin1String("4");
                table(static_cast<int>(r) + 1, f) = number ? Value::Double(it->toDouble()) : Value::String(*it);
            }
    }
    // Rows of texts under field names; an empty text leaves its field empty.
    void Fill_Records(const QStringList& fields, const std::vector<QStringList>& rows) {
        std::vector<Hand_Record> records(rows.size());
        for (size_t r = 0; r < rows.size(); ++r)
            for (int k = 0; k < fields.size(); ++k)
                if (!rows[r].value(k).isEmpty()) records[r][fields[k]] = rows[r][k];
        Fill_Records(records);
    }

    // Year or project number not empty: every record, hand-made or from the sample workbook.
    Criteria Every_Record() const {
        Criteria c;
        c.Rows[0] = {true, Field_Number("Year"), Op_Empty, QString(), true};
        c.Rows[1] = {true, Field_Number("Proj#"), Op_Empty, QString(), true};
        return c;
    }
    // In the language (the session switches to it).
    qint32 Search_All(Search_Results& s, const QString& lang) {
        session.Set_Language(lang);
        return Run_Search(session, s, Every_Record());
    }
};

// A session of its own for each test, in English; the records go after it.
struct Sample_Records_Test : Session_Test {
    Sample_Records_Test() : Session_Test(own_) { Load_Sample_Tables(own_); }

private:
    Session own_;
};
