// Import, cache and the cache refused after a failed import are driven end to end by the
// welcome window's tests (tests/shell/Welcome_test.cpp); here, which files a start uses,
// and what a start finds left by others.
#include "model/Load_Records.h"
#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Session.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <functional>
#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <sys/stat.h>
#endif

TEST(Default_Load_Files, The_Classic_Workbook_First_Then_The_Newer_Formats) {
    QTemporaryDir dir;
    const QString before = App_Path();
    Set_App_Path(dir.path());
    // No workbook: the one the cache was made from.
    Records_Table table;
    table.Resize(1, 1);
    Write_Bytes(dir.filePath("Data.dat"), *Encode_Data_Cache({"Sifa_table.ods", 1, 0}, {"Refs.dat", 1, 0}, table));
    EXPECT_EQ(QFileInfo(Default_Load_Files().Source).fileName(), QLatin1String("Sifa_table.ods"));
    QFile::remove(dir.filePath("Data.dat"));
    // Files accumulate from case to case.
    for (const auto& [added, want] : {std::pair<const char*, const char*>{nullptr, "Sifa_table.xls"},
                                      {"Sifa_table.ods", "Sifa_table.ods"},
                                      {"Sifa_table.xlsx", "Sifa_table.xlsx"},
                                      {"Sifa_table.xls", "Sifa_table.xls"}}) {
        if (added) Write_Bytes(dir.filePath(QLatin1String(added)), "x");
        EXPECT_EQ(QFileInfo(Default_Load_Files().Source).fileName(), QLatin1String(want));
    }
    Set_App_Path(before);
}

#if !defined(Q_OS_WIN)
namespace {

struct Load_Folder : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    Load_Files files{dir.filePath("Sifa_table.xls"), dir.filePath("Refs.dat"), dir.filePath("Data.dat")};
    void SetUp() override {
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), files.Source);
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), files.Code_Table);
        session.Load_Code_Tables(files.Code_Table);
    }
};

// Imports the workbook, then lets `during` act before the import counts as done.
struct Host : Load_Records_Host {
    explicit Host(Session& s) : session(s) {}
    Session& session;
    std::function<void()> during = [] {};
    bool Import(const QString& source, Records_Table& into) override {
        const bool ok = Import_Workbook(session, source, nullptr, nullptr, &into).Success();
        during();
        return ok;
    }
};

void Set_Time(const QString& path, timespec t) {
    const timespec both[2] = {t, t};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), both, AT_SYMLINK_NOFOLLOW), 0);
}

}  // namespace

// The cache holds what was read only when the workbook is still that file at the end.
TEST_F(Load_Folder, A_Workbook_Changed_During_The_Import_Is_Not_Cached) {
    const QByteArray original = Read_Bytes(files.Source);
    const struct {
        const char* name;
        std::function<void()> change;
        bool cached;
    } cases[] = {
        {"unchanged", [] {}, true},
        {"replaced by another file",
         [&] {
             Write_Bytes(files.Source + ".new", original + "more");
             QFile::remove(files.Source);
             QFile::rename(files.Source + ".new", files.Source);
         },
         false},
        {"rewritten in place within the same second, at the same size",
         [&] {
             struct stat st {};
             ::stat(QFile::encodeName(files.Source).constData(), &st);
             QByteArray changed = original;
             changed[changed.size() - 1] = char(changed.back() ^ 1);
             Write_Bytes(files.Source, changed);
             Set_Time(files.Source, {st.st_mtim.tv_sec, (st.st_mtim.tv_nsec + 1) % 1000000000});
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(files.Cache);
        Write_Bytes(files.Source, original);
        Host host(session);
        host.during = c.change;
        EXPECT_EQ(Load_Records(session.Records(), files, host), Load_Outcome::Imported);
        EXPECT_EQ(QFile::exists(files.Cache), c.cached);
        EXPECT_EQ(Load_Data_Cache(session.Records(), files.Source, files.Code_Table, files.Cache) > 0, c.cached);
    }
}

// Temporaries of a cache write that was killed: only the program's own, only regular
// files, only when no write could still be going on.
TEST_F(Load_Folder, Stale_Cache_Temporaries_Are_Removed) {
    const timespec old{::time(nullptr) - 120, 0};
    const std::pair<const char*, bool> files_[] = {
        {".Data.dat.k3x9a1.tmp", true},  {".Data.dat.stamp.0zz.tmp", true},    {".Data.dat.fresh.tmp", false},
        {".Data.dat.folder.tmp", false}, {".Data.dat.link.tmp", false},        {".Other.dat.k3x9a1.tmp", false},
        {"Data.dat.k3x9a1.tmp", false},  {".Data.dat.k3x9a1.tmp.keep", false},
    };
    for (const auto& [name, removed] : files_) {
        const QString path = dir.filePath(name);
        if (QByteArray(name).contains("folder"))
            QDir().mkdir(path);
        else if (QByteArray(name).contains("link"))
            QFile::link(files.Code_Table, path);
        else
            Write_Bytes(path, "partial");
        if (!QByteArray(name).contains("fresh")) Set_Time(path, old);
    }
    Host host(session);
    Load_Records(session.Records(), files, host);
    for (const auto& [name, removed] : files_) EXPECT_EQ(QFileInfo::exists(dir.filePath(name)), !removed) << name;
    EXPECT_TRUE(QFileInfo::exists(files.Code_Table));
}
#endif
