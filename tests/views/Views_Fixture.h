#pragma once
// The bundled sample data, loaded once, and a search that shows every record.
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Criteria.h"
#include "search/Search_Run.h"

#include <gtest/gtest.h>

struct Sample_Data : ::testing::Test {
    static void SetUpTestSuite() {
        Build_Record_Description();
        Current_Language = QStringLiteral("EN");
        Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
        Records_Table.Clear();
        bool cancel = false;
        const Import_Result r = Import_Workbook(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), &cancel, nullptr);
        ASSERT_TRUE(r.Success()) << r.Errs.join('\n').toStdString();
    }
    static void TearDownTestSuite() {
        Records_Table.Clear();
        Current_Language.clear();
    }

    // Year >= 0: every record.
    static Criteria Every_Record() {
        Criteria c;
        c.Rows[0] = {true, 1, Op_Equal_Or_Superior, QStringLiteral("0"), false};
        return c;
    }
    static int Field_Number(const char* nom) {
        return Record_Description->Get_Champs().Number(QString::fromLatin1(nom));
    }
};
