#pragma once
// Hand-made records over the sample code tables, searched into a result grid as the
// search window would show them.
#include "model/Code_Tables.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Criteria.h"
#include "search/Search_Run.h"
#include "winsupport/Message_Service.h"

#include <gtest/gtest.h>
#include <QHash>
#include <vector>

using Hand_Record = QHash<QString, QString>;  // field name -> stored text

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

inline void Fill_Records(const std::vector<Hand_Record>& rows) {
    Records_Table.Resize(static_cast<int>(rows.size()), Record_Description->Count());
    for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
        int f = 0;
        for (const Champ& c : Record_Description->Get_Champs()) {
            ++f;
            const auto it = rows[static_cast<size_t>(r - 1)].find(c.Nom);
            if (it == rows[static_cast<size_t>(r - 1)].end()) continue;
            Records_Table(r, f) =
                c.Data_Type == QLatin1String("4") ? Value::Double(it->toDouble()) : Value::String(*it);
        }
    }
}

// Every record: "Project number" Not "Empty".
inline void Search_All(Search_Results& s, const QString& lang) {
    Criteria c;
    c.Rows[0] = {true, 2, Op_Empty, QString(), true};
    Run_Search(s, c, lang);
}

struct Output_Test : ::testing::Test {
    Scoped_Recorder messages;
    void SetUp() override {
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        Build_Record_Description();
        Current_Language = QStringLiteral("EN");
        Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    }
    void TearDown() override {
        Records_Table.Clear();
        Current_Language.clear();
    }
    void Use_Language(const QString& lang) {
        Current_Language = lang;
        Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    }
    // The grid column of a field name in the current language.
    static int Column_Of(const Search_Results& s, const QString& nom) {
        for (int c = 1; c < static_cast<int>(s.Grid_Col_Field.size()); ++c) {
            const qint32 f = s.Grid_Col_Field[static_cast<size_t>(c)];
            if (f > 0 && Record_Description->Get_Champs().Item(f)->Nom == nom) return c;
        }
        return -1;
    }
};
