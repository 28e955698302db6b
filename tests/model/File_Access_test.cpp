#include "model/File_Access.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <csignal>
#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct stat Stat_Of(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

QStringList Files_In(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

}  // namespace

// A file the user names is rewritten, not swapped for another: its mode, its owner and
// its other names stay.
TEST(Output_File, A_Named_Target_Keeps_What_Belongs_To_It) {
    const struct {
        const char* name;
        std::function<void(const QString&)> prepare;
        std::function<void(const QString&, const struct stat& before)> check;
    } cases[] = {
        {"mode wider than the umask", [](const QString& t) { ::chmod(QFile::encodeName(t).constData(), 0666); },
         [](const QString& t, const struct stat&) { EXPECT_EQ(Stat_Of(t).st_mode & 07777, 0666u); }},
        {"a second name",
         [](const QString& t) { ::link(QFile::encodeName(t).constData(), QFile::encodeName(t + ".2").constData()); },
         [](const QString& t, const struct stat& before) {
             EXPECT_EQ(Stat_Of(t).st_ino, before.st_ino);
             EXPECT_EQ(Read_Bytes(t + ".2"), QByteArray("new text"));
         }},
        {"another user's file",  // only root can give a file away
         [](const QString& t) { ASSERT_EQ(::chown(QFile::encodeName(t).constData(), 65534, 65534), 0); },
         [](const QString& t, const struct stat&) { EXPECT_EQ(Stat_Of(t).st_uid, 65534u); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (geteuid() != 0 && QByteArray(c.name) == "another user's file") continue;
        QTemporaryDir dir;
        const QString target = dir.filePath("out.csv");
        Write_Bytes(target, "old text, longer than the new one");
        c.prepare(target);
        const struct stat before = Stat_Of(target);
        Output_File f;
        ASSERT_TRUE(f.Open(target, Link_Rule::Follow)) << f.Failure().toStdString();
        ASSERT_TRUE(f.Write("new text", 8));
        ASSERT_TRUE(f.Commit()) << f.Failure().toStdString();
        EXPECT_EQ(Read_Bytes(target), QByteArray("new text"));
        c.check(target, before);
        for (const QString& name : Files_In(dir)) EXPECT_FALSE(name.endsWith(".tmp")) << name.toStdString();
    }
}

// Interrupted or stopped while its temporary is being written, the program leaves no
// temporary behind, and still ends by that signal.
TEST(Output_File_DeathTest, A_Signal_During_The_Write_Removes_The_Temporary) {
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const int sig : {SIGINT, SIGTERM}) {
        QTemporaryDir dir;
        const QString target = dir.filePath("Data.dat");
        EXPECT_EXIT(
            {
                std::signal(sig, SIG_DFL);
                Output_File f;
                if (f.Open(target, Link_Rule::Refuse) && f.Write("partial", 7)) std::raise(sig);
                std::_Exit(0);
            },
            testing::KilledBySignal(sig), "");
        EXPECT_EQ(Files_In(dir), QStringList()) << sig;
    }
}

#endif
