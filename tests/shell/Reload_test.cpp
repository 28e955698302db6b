// Loading the records again under an open search window, and the bar that offers it.
#include "shell/Reload.h"
#include "Shell_Fixture.h"
#include "Test_Files.h"
#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "shell/Start_Up.h"
#include "shell/Welcome.h"
#include "views/Criteria_Rows.h"
#include "views/Record_Window.h"
#include "views/Reload_Bar.h"
#include "views/Result_View.h"
#include "views/Search_Window.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <cstdio>

namespace {

struct Reload : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    Scoped_Recorder rec;
    std::unique_ptr<Search_Window> window;
    void SetUp() override {
        Set_App_Path(dir.path());
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), App_File("Refs.dat"));
        Use_Workbook(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"));
        session.Load_Code_Tables(App_File("Refs.dat"));
        ASSERT_TRUE(Import_Workbook(session, App_File("Sifa_table.xls"), nullptr, nullptr).Success());
        window = std::make_unique<Search_Window>(session);
        Connect_Search_Window(window.get());
        window->show();
        // Irish coordinators, with the opening row (a year given).
        window->Rows->Active[1]->setChecked(true);
        for (auto [list, text] :
             {std::pair{window->Rows->Field[1], "MS of coordinator"}, {window->Rows->Operator[1], "Equal"}})
            list->setCurrentIndex(list->findText(QString::fromLatin1(text)));
        window->Rows->Value_Text[1]->setText(QStringLiteral("IE"));
        window->Combine_With_And->click();
        window->Run_Search_Now();
    }
    void TearDown() override {
        window.reset();
        Set_App_Path(QString());
    }
    // As a spreadsheet program saves: a new file put in the old one's place.
    void Use_Workbook(const QString& source) {
        const QString book = App_File("Sifa_table.xls");
        Write_Bytes(book + ".new", Read_Bytes(source));
        ASSERT_EQ(std::rename(QFile::encodeName(book + ".new").constData(), QFile::encodeName(book).constData()), 0);
    }
};

// Answers the welcome window of a reload as a person would: Cancel once rows are read
// (when asked to), Close once the load is over and the window says it kept the records.
struct Welcome_Answerer {
    bool cancel = false;
    QString status;
    QTimer timer;
    Welcome_Answerer() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* w = qobject_cast<Welcome*>(QApplication::activeModalWidget());
            if (!w || !w->Main_Button->isEnabled()) return;
            const QString caption = Plain_Caption(w->Main_Button->text());
            if (cancel && caption == "Cancel" && w->Progress_Bar->value() > 0) {
                w->Main_Button->click();
            } else if (caption == "Close" && w->Load_Again->isVisible()) {
                status = w->Load_Status->text();
                w->Main_Button->click();
            }
        });
        timer.start(0);
    }
};

}  // namespace

TEST_F(Reload, F5_Reads_The_Changed_Workbook_And_Searches_Again_With_The_Same_Criteria) {
    const QString criteria = window->Criteria_Sentence();
    ASSERT_EQ(window->Results.Result_Rows(), 10);
    ASSERT_TRUE(Show_Record_Window(session, window->Results.Model.Record_At(0), window.get(), window->Result_Grid));
    Use_Workbook(QStringLiteral(SIFA_TEST_DATA "/sifa_bad_cells.xls"));
    Error_Window_Answerer problems;
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window->Result_Grid, Qt::Key_F5);
    EXPECT_EQ(problems.shown, 1);  // the new workbook's, as at start
    EXPECT_EQ(session.Records().Record_Count(), 20);
    EXPECT_EQ(window->Criteria_Sentence(), criteria);
    EXPECT_EQ(window->Results.Result_Rows(), 4);
    // Its record may be another one now.
    EXPECT_EQ(Current_Record_Window(), nullptr);
}

TEST_F(Reload, A_Reload_That_Loads_Nothing_Keeps_The_Records_And_Says_Why) {
    const struct {
        const char* name;
        QByteArray workbook;
        bool cancel;
        QStringList problems;
        const char* status;
    } cases[] = {
        {"not a workbook",
         "neither a spreadsheet nor anything else",
         false,
         {"No input data (error openning file)",
          "The file is not a workbook: only .xls, .xlsx and .ods workbooks can be read.", "No Data loaded"},
         "Reload failed: the records in use are kept"},
        {"cancelled",
         Read_Bytes(SIFA_TEST_DATA "/sifa_bad_cells.xls"),
         true,
         {},
         "Reload cancelled: the records in use are kept"},
    };
    const std::vector<qint32> found = window->Results.Model.Record_Ids();
    ASSERT_TRUE(Show_Record_Window(session, found[0], window.get(), window->Result_Grid));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write_Bytes(App_File("Sifa_table.xls"), c.workbook);
        Error_Window_Answerer problems;
        Welcome_Answerer answer;
        answer.cancel = c.cancel;
        window->findChild<QPushButton*>(QStringLiteral("Reload_Button"))->click();
        EXPECT_EQ(problems.problem_lines, c.problems);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(session.Records().Record_Count(), 400);
        EXPECT_EQ(window->Results.Model.Record_Ids(), found);
        EXPECT_NE(Current_Record_Window(), nullptr);
    }
}

TEST_F(Reload, The_Bar_Offers_A_Reload_When_The_Workbook_Changes_But_Not_For_The_Cache) {
    Watch_Workbook(window.get(), Workbook_State_Now());
    auto* watcher = window->findChild<Workbook_Watcher*>();
    ASSERT_TRUE(watcher);
    Reload_Bar* bar = window->Reload_Offer;
    const auto Saved_Cache = [&] {
        return Save_Data_Cache(session.Records(), App_File("Sifa_table.xls"), App_File("Refs.dat"),
                               App_File("Data.dat"));
    };
    // The program's own cache beside the workbook changes nothing the user made.
    ASSERT_EQ(Saved_Cache(), Cache_Save::Written);
    watcher->Check();
    EXPECT_FALSE(bar->isVisibleTo(window.get()));

    Use_Workbook(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->isVisibleTo(window.get()), 5000);
    EXPECT_TRUE(bar->Message->text().contains("Sifa_table.xls"));
    EXPECT_FALSE(QKeySequence::mnemonic(bar->Reload_Button->text()).isEmpty());  // Alt and its letter
    // Closed, it stays closed until the workbook changes again.
    bar->Close_Button->click();
    watcher->Check();
    EXPECT_FALSE(bar->isVisibleTo(window.get()));
    Use_Workbook(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->isVisibleTo(window.get()), 5000);

    // Its button reloads (imported again, and cached again), and the bar goes for good.
    bar->Reload_Button->click();
    EXPECT_FALSE(bar->isVisibleTo(window.get()));
    EXPECT_EQ(session.Records().Record_Count(), 400);
    EXPECT_TRUE(QFile::exists(App_File("Data.dat.stamp")));
    watcher->Check();
    EXPECT_FALSE(bar->isVisibleTo(window.get()));
}
