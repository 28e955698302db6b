#pragma once
// Hand-made records searched into a result grid, the messages kept for the test.
#include "Sample_Records.h"
#include "winsupport/Message_Service.h"

#include <QTemporaryDir>

struct Output_Test : Sample_Records_Test {
    Scoped_Recorder messages;
    // The folder the file dialogs remember goes to a settings file of the test's own,
    // never to the user's.
    QTemporaryDir config;
    QByteArray user_config = qgetenv("XDG_CONFIG_HOME");
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        Sample_Records_Test::SetUp();
    }
    void TearDown() override {
        Sample_Records_Test::TearDown();
        if (user_config.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", user_config);
    }
};
