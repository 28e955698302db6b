#pragma once
// The records of the sample workbook over the sample code tables, in one session loaded
// once per suite.
#include "Sample_Records.h"
#include "model/Load_Records.h"

#include <memory>

struct Sample_Data_Session {
    static std::unique_ptr<Session>& Shared() {
        static std::unique_ptr<Session> session;
        return session;
    }
};

struct Sample_Data : Session_Test {
    Sample_Data() : Session_Test(*Sample_Data_Session::Shared()) {}
    static void SetUpTestSuite() {
        auto& session = Sample_Data_Session::Shared();
        session = std::make_unique<Session>();
        Load_Sample_Tables(*session);
        bool cancel = false;
        const Import_Result r =
            Import_Workbook(*session, QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), &cancel, nullptr);
        ASSERT_TRUE(r.Success()) << r.Errs.join('\n').toStdString();
    }
    static void TearDownTestSuite() { Sample_Data_Session::Shared().reset(); }
};
