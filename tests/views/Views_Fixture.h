#pragma once
// The records of the sample workbook over the sample code tables, loaded once per suite.
#include "Sample_Records.h"
#include "model/Load_Records.h"

struct Sample_Data : ::testing::Test {
    static void SetUpTestSuite() {
        Build_Record_Description();
        Use_Language("EN");
        Records_Table.Clear();
        bool cancel = false;
        const Import_Result r = Import_Workbook(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), &cancel, nullptr);
        ASSERT_TRUE(r.Success()) << r.Errs.join('\n').toStdString();
    }
    static void TearDownTestSuite() {
        Records_Table.Clear();
        Current_Language.clear();
    }
};
