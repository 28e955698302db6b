// Import, cache and the cache refused after a failed import are driven end to end by the
// welcome window's tests (tests/shell/Welcome_test.cpp); here, which files a start uses.
#include "model/Load_Records.h"
#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Records_Table.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <QFileInfo>

TEST(Default_Load_Files, The_Classic_Workbook_First_Then_The_Newer_Formats) {
    QTemporaryDir dir;
    const QString before = App_Path();
    Set_App_Path(dir.path());
    // No workbook: the one the cache was made from.
    Records_Table.Resize(1, 1);
    Write_Bytes(dir.filePath("Data.dat"),
                *Encode_Data_Cache({"Sifa_table.ods", 1, 0}, {"Refs.dat", 1, 0}, Records_Table));
    EXPECT_EQ(QFileInfo(Default_Load_Files().Source).fileName(), QLatin1String("Sifa_table.ods"));
    Records_Table.Clear();
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
