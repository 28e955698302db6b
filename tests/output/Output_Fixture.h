#pragma once
// Hand-made records searched into a result grid, the messages kept for the test.
#include "Sample_Records.h"
#include "winsupport/Message_Service.h"

struct Output_Test : Sample_Records_Test {
    Scoped_Recorder messages;
    void SetUp() override {
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        Sample_Records_Test::SetUp();
    }
};
