#include "model/Load_Records.h"
#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

namespace {

struct Host : Load_Records_Host {
    QStringList calls;
    bool cancel = false;
    Import_Result last;
    void Cache_Loaded() override { calls << "cache"; }
    void Before_Import() override { calls << "grow"; }
    void After_Import() override { calls << "shrink"; }
    bool Import(const QString& source) override {
        calls << "import";
        last = Import_Workbook(source, &cancel, nullptr);
        return last.Success();
    }
};

struct Loading : ::testing::Test {
    QTemporaryDir dir;
    Load_Files files{dir.filePath("Sifa_table.xls"), dir.filePath("Refs.dat"), dir.filePath("Data.dat")};
    void SetUp() override {
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), files.Source);
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), files.Refs);
        Build_Record_Description();
        Load_Code_Tables(files.Refs);
        Records_Table.Clear();
    }
    void TearDown() override { Records_Table.Clear(); }
};

}  // namespace

TEST_F(Loading, Clean_Import_Is_Cached_And_Used_Next_Time) {
    Host first;
    EXPECT_EQ(Load_Records(files, first), Load_Outcome::Imported);
    EXPECT_EQ(first.calls, (QStringList{"grow", "import", "shrink"}));
    ASSERT_TRUE(QFile::exists(files.Cache));
    const Value sample = Records_Table(200, 14);

    Records_Table.Clear();
    Host second;
    EXPECT_EQ(Load_Records(files, second), Load_Outcome::From_Cache);
    EXPECT_EQ(second.calls, QStringList{"cache"});
    EXPECT_EQ(Records_Table.Row_Upper(), 400);
    EXPECT_EQ(Records_Table(200, 14), sample);
}

TEST_F(Loading, Failed_Or_Cancelled_Imports_Write_No_Cache) {
    struct Case {
        const char* name;
        std::function<void(Host&)> setUp;
    };
    const Case cases[] = {
        {"cancelled", [](Host& h) { h.cancel = true; }},
        {"rejected cells", [&](Host&) { Build_Record_Description(); }},  // no code tables
        {"no workbook", [&](Host&) { QFile::remove(files.Source); }},
    };
    for (const Case& c : cases) {
        Host h;
        c.setUp(h);
        EXPECT_EQ(Load_Records(files, h), Load_Outcome::Import_Failed) << c.name;
        EXPECT_FALSE(QFile::exists(files.Cache)) << c.name;
    }
}

TEST(Default_Load_Files, The_Classic_Workbook_First_Then_The_Newer_Formats) {
    QTemporaryDir dir;
    const QString before = App_Path();
    Set_App_Path(dir.path());
    struct Case {
        const char* added;  // files accumulate from case to case
        const char* want;
    };
    // No workbook: the one the cache was made from.
    Records_Table.Resize(1, 1);
    Write_Bytes(dir.filePath("Data.dat"),
                *Encode_Data_Cache({"Sifa_table.ods", 1, 0}, {"Refs.dat", 1, 0}, Records_Table));
    EXPECT_EQ(QFileInfo(Default_Load_Files().Source).fileName(), QLatin1String("Sifa_table.ods"));
    Records_Table.Clear();
    QFile::remove(dir.filePath("Data.dat"));
    for (const Case& c : {Case{nullptr, "Sifa_table.xls"}, Case{"Sifa_table.ods", "Sifa_table.ods"},
                          Case{"Sifa_table.xlsx", "Sifa_table.xlsx"}, Case{"Sifa_table.xls", "Sifa_table.xls"}}) {
        if (c.added) Write_Bytes(dir.filePath(QLatin1String(c.added)), "x");
        EXPECT_EQ(QFileInfo(Default_Load_Files().Source).fileName(), QLatin1String(c.want));
    }
    Set_App_Path(before);
}
