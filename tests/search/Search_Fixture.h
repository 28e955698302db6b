#pragma once
// A few hand-made records over the sample code tables, for the search tests.
#include "model/Code_Tables.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Text_Grid.h"

#include <gtest/gtest.h>

struct Hand_Record {
    double year;
    const char* projName;
    const char* em;  // Country code
    const char* portName;
    const char* domReco1;
    const char* recoFr;
    const char* recoEn;
};

inline void Fill_Records(std::initializer_list<Hand_Record> rows) {
    Records_Table.Resize(static_cast<int>(rows.size()), Record_Description->Count());
    int r = 0;
    for (const Hand_Record& h : rows) {
        ++r;
        auto put = [&](const char* nom, const Value& v) {
            Records_Table(r, Record_Description->Get_Champs().Number(QString::fromLatin1(nom))) = v;
        };
        put("Year", Value::Double(h.year));
        put("Proj#", Value::Double(100 + r));
        put("Reco#", Value::Double(1));
        if (*h.projName) put("ProjName", Value::String(QString::fromUtf8(h.projName)));
        if (*h.em) put("EM", Value::String(QString::fromUtf8(h.em)));
        if (*h.portName) put("PortName", Value::String(QString::fromUtf8(h.portName)));
        if (*h.domReco1) put("DomReco1", Value::String(QString::fromUtf8(h.domReco1)));
        put("RecoFr", Value::String(QString::fromUtf8(h.recoFr)));
        put("RecoEN", Value::String(QString::fromUtf8(h.recoEn)));
    }
}

struct Search_Test : ::testing::Test {
    void SetUp() override {
        Build_Record_Description();
        Current_Language = QStringLiteral("EN");
        Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
        Fill_Records({
            {2004, "Réseau; ville", "DE", "Müller", "", "texte un", "text one"},
            {1999, "Open \"City\"", "fr", "Dupont", "", "texte deux", "text two"},
            {2010, "Plain", "BE", "", "", "texte trois", "text three"},
        });
    }
    void TearDown() override {
        Records_Table.Clear();
        Current_Language.clear();
    }
};

// Row 0 the headers, column 0 the record numbers 1..n (hidden), then the given cells.
inline void Fill_Grid(Text_Grid& g, const QStringList& headers, const std::vector<QStringList>& rows) {
    g.Clear();
    g.Set_Fixed_Cols(0);
    g.Set_Cols(static_cast<int>(headers.size()) + 1);
    g.Set_Rows(static_cast<int>(rows.size()) + 1);
    g.Set_Col_Width(0, 0);
    for (int c = 0; c < headers.size(); ++c) g.Set_Text_Matrix(0, c + 1, headers[c]);
    for (size_t r = 0; r < rows.size(); ++r) {
        g.Set_Text_Matrix(static_cast<int>(r) + 1, 0, QString::number(r + 1));
        for (int c = 0; c < rows[r].size(); ++c) g.Set_Text_Matrix(static_cast<int>(r) + 1, c + 1, rows[r][c]);
    }
}

inline QStringList Column(const Text_Grid& g, int c) {
    QStringList out;
    for (int r = g.Fixed_Rows(); r < g.Rows(); ++r) out << g.Text_Matrix(r, c);
    return out;
}
