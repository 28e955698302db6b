#include "winsupport/Default_App.h"
#include "winsupport/Message_Service.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <QTest>

namespace {

struct Fake_Backend : Default_App_Backend {
    Command found;
    bool starts = true;
    QList<Command>* started;
    explicit Fake_Backend(QList<Command>* log) : started(log) {}
    Command Find_Executable(const QString&) override { return found; }
    bool Start(const Command& c) override {
        started->append(c);
        return starts;
    }
};

}  // namespace

TEST(Open_With_Default_App, Each_Failure_Has_Its_Message) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("manual.pdf");
    Write_Bytes(pdf, "%PDF-1.4\n");
    const struct {
        const char* name;
        QString file, program;
        bool starts, result;
        const char* text;
        const char* caption;
    } cases[] = {
        {"missing file", dir.filePath("none.pdf"), "viewer", true, false, "Could not find file", "File Not Found"},
        {"no application", pdf, "", true, false, "Could not find associated application", "Application Not Found"},
        {"start fails", pdf, "viewer", false, false, "Can't open file", "Open Failed"},
        {"opened", pdf, "viewer", true, true, "", ""},
    };
    for (const auto& c : cases) {
        Scoped_Recorder rec;
        QList<Default_App_Backend::Command> started;
        auto fake = std::make_unique<Fake_Backend>(&started);
        fake->found = {c.program, {c.file}};
        fake->starts = c.starts;
        auto previous = Install_Default_App_Backend(std::move(fake));
        EXPECT_EQ(Open_With_Default_App(c.file), c.result) << c.name;
        if (*c.text) {
            ASSERT_EQ(rec->shown.size(), 1u) << c.name;
            EXPECT_EQ(rec->shown[0].text, c.text) << c.name;
            EXPECT_EQ(rec->shown[0].caption, c.caption) << c.name;
            EXPECT_EQ(rec->shown[0].detail, QDir::toNativeSeparators(c.file)) << c.name;  // which file
            EXPECT_EQ(rec->shown[0].icon, Msg_Icon::Exclamation) << c.name;
        } else {
            EXPECT_TRUE(rec->shown.empty()) << c.name;
            ASSERT_EQ(started.size(), 1) << c.name;
            EXPECT_EQ(started[0].arguments, QStringList{c.file}) << c.name;
        }
        Install_Default_App_Backend(std::move(previous));
    }
}

TEST(Desktop_Exec_Arguments, Field_Codes_And_Quoting) {
    const QString f = QStringLiteral("/data/my manual.pdf");
    const std::pair<const char*, QStringList> cases[] = {
        {"evince %U", {"evince", "file:///data/my%20manual.pdf"}},
        {"okular %f", {"okular", f}},
        {"viewer", {"viewer", f}},
        {"\"/opt/My Viewer/view\" --page 1 %F", {"/opt/My Viewer/view", "--page", "1", f}},
        {"view %i %c --x=%f", {"view", "--x=" + f}},
        {"view \"a \\\"q\\\" b\" %f", {"view", "a \"q\" b", f}},
        {"view 100%%", {"view", "100%", f}},
        {"\"unclosed %f", {}},
        {"", {}},
    };
    for (const auto& [exec, args] : cases)
        EXPECT_EQ(Desktop_Exec_Arguments(QString::fromLatin1(exec), f), args) << exec;
}

#ifndef Q_OS_WIN
// The Linux backend reads the desktop's own association files.
TEST(Default_App_Linux, Finds_The_Associated_Entry_And_Starts_It) {
    QTemporaryDir dir;
    const QString config = dir.filePath("config"), data = dir.filePath("data");
    QDir().mkpath(config);
    QDir().mkpath(data + "/applications");
    const QString seen = dir.filePath("seen.txt");
    const QString script = dir.filePath("viewer.sh");
    Write_Bytes(script, QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(seen).toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    Write_Bytes(data + "/applications/test-viewer.desktop",
                QStringLiteral("[Desktop Entry]\nType=Application\nName=Viewer\nExec=%1 %f\n").arg(script).toUtf8());
    Write_Bytes(config + "/mimeapps.list",
                "[Default Applications]\napplication/pdf=missing.desktop;test-viewer.desktop;\n");
    const QString pdf = dir.filePath("doc.pdf");
    Write_Bytes(pdf, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");

    for (const char* v : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) qputenv(v, config.toUtf8());
    for (const char* v : {"XDG_DATA_HOME", "XDG_DATA_DIRS"}) qputenv(v, data.toUtf8());
    auto backend = Create_Platform_Default_App_Backend();
    const auto c = backend->Find_Executable(pdf);
    EXPECT_EQ(c.program, script);
    EXPECT_EQ(c.arguments, QStringList{pdf});

    Scoped_Recorder rec;
    auto previous = Install_Default_App_Backend(nullptr);
    EXPECT_TRUE(Open_With_Default_App(pdf));
    // The viewer runs on its own: wait for what it writes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Read_Bytes(seen).trimmed() == pdf.toUtf8(); }, 5000))
        << Read_Bytes(seen).toStdString();

    // Nothing associated with the type.
    Write_Bytes(config + "/mimeapps.list", "[Default Applications]\n");
    EXPECT_FALSE(Open_With_Default_App(pdf));
    ASSERT_FALSE(rec->shown.empty());
    EXPECT_EQ(rec->shown.back().caption, "Application Not Found");
    Install_Default_App_Backend(std::move(previous));
}
#endif
