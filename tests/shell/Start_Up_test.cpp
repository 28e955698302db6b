#include "shell/Start_Up.h"
#include "Shell_Fixture.h"
#include "Test_Files.h"
#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "shell/Reload.h"
#include "views/Search_Window.h"
#include "winsupport/Message_Service.h"

#include <gtest/gtest.h>

namespace {

// Master tables and their French versions; `frCountry` replaces the French member states.
QString Refs_Text(const QString& frCountry) {
    return QString(
               "[Country]\r\nFR=France\r\nDE=Germany\r\nBE=Belgium\r\n"
               "[Country (FR)]\r\n%1"
               "[TypeEmet]\r\nAU=Authority\r\n[TypeEmet (FR)]\r\nAU=Autorité\r\n"
               "[DomReco]\r\n1=Design\r\n2=Operations\r\n[DomReco (FR)]\r\n1=Conception\r\n2=Exploitation\r\n"
               "[TypeDest]\r\nA=Manufacturer\r\n[TypeDest (FR)]\r\nA=Constructeur\r\n")
        .arg(frCountry);
}

struct Start_Up : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    Scoped_Recorder rec;
    void SetUp() override { Set_App_Path(dir.path()); }
    void TearDown() override { Set_App_Path(QString()); }
    Start_Result Run(const QString& frCountry) {
        Write_Cp1252(dir.filePath("Refs.dat"), Refs_Text(frCountry));
        return Main(session);
    }
};

}  // namespace

TEST_F(Start_Up, MissingFrenchKeyShowsTheErrorWindowAndEnds) {
    Error_Window_Answerer seen;
    EXPECT_EQ(Run("FR=France\r\nBE=Belgique\r\n"), Start_Result::Ended);
    EXPECT_EQ(App_Title(), "Sifa_Soft");
    ASSERT_EQ(seen.shown, 1);
    const QStringList expected{"Table Country: key \"DE\" is missing in FR version",
                               "Can't launch application... Exiting."};
    EXPECT_EQ(seen.problem_lines, expected);
    EXPECT_EQ(seen.lines, expected);
    EXPECT_TRUE(seen.onTop);
    EXPECT_TRUE(rec->shown.empty());
    // The master tables were loaded for the coded fields.
    const Field_Def* em = session.Description().Fields().Item("EM");
    ASSERT_TRUE(em && em->Codes);
    EXPECT_EQ(em->Codes->Count(), 3);
}

// Each reason in its words: Query_Faults_test.cpp.
TEST_F(Start_Up, UnreadableCodeTablesAreNamedAndNothingIsImported) {
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), dir.filePath("Sifa_table.xls"));
    Error_Window_Answerer seen;
    EXPECT_EQ(Main(session), Start_Result::Ended);
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.problem_lines,
              (QStringList{QStringLiteral("The code tables could not be read from \"%1\": the file is missing")
                               .arg(QDir::toNativeSeparators(dir.filePath("Refs.dat"))),
                           "Can't launch application... Exiting."}));
    EXPECT_FALSE(QFile::exists(dir.filePath("Data.dat")));
}

// A damaged column of the cache, met by the window's first search, is told over the window
// once.
TEST_F(Start_Up, A_Damaged_Cache_Column_Is_Told_Once) {
    const QString xls = dir.filePath("Sifa_table.xls"), refs = dir.filePath("Refs.dat"),
                  cache = dir.filePath("Data.dat");
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), xls);
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), refs);
    session.Load_Code_Tables(refs);
    bool cancel = false;
    ASSERT_TRUE(Import_Workbook(session, xls, &cancel, nullptr).Success());
    ASSERT_EQ(Save_Data_Cache(session.Records(), xls, refs, cache), Cache_Save::Written);
    Damage_Cache_Column(cache, 1);
    session.Records().Clear();
    ASSERT_GT(Load_Data_Cache(session.Records(), xls, refs, cache), 0);
    ASSERT_TRUE(Open_Search_Window(session, Workbook_State_Now()));
    Search_Window* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<Search_Window*>(w)) window = s;
    ASSERT_NE(window, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(rec->texts(), QStringList{Damaged_Cache_Text()});
    window->Run_Search_Now();
    EXPECT_EQ(rec->shown.size(), 1u);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
