#include "shell/Welcome.h"
#include "model/App_Paths.h"
#include "model/Session.h"
#include "winsupport/Message_Service.h"

#include "Shell_Fixture.h"
#include "Test_Files.h"

#include <QLabel>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

// Keeps every height the window takes.
struct Height_Log : QObject {
    QList<int> heights;
    explicit Height_Log(QWidget* window) { window->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) heights << static_cast<QResizeEvent*>(e)->size().height();
        return false;
    }
};

struct Welcome_Window : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    Scoped_Recorder rec;
    void SetUp() override {
        Set_App_Path(dir.path());
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), App_File("Sifa_table.xls"));
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), App_File("Refs.dat"));
        session.Load_Code_Tables(App_File("Refs.dat"));
    }
    // Shown, with the loading left for the test to start.
    static void Show(Welcome& w) {
        w.Start_Timer->stop();
        w.show();
    }
};

}  // namespace

TEST_F(Welcome_Window, Import_Then_Cache_Then_Panels) {
    {
        Welcome w(session);
        Show(w);
        const int H = w.height();
        Height_Log log(&w);
        w.Start_Timer_Fired();
        EXPECT_TRUE(w.Records_Loaded);
        EXPECT_FALSE(w.Load_Cancelled);
        EXPECT_EQ(Plain_Caption(w.Main_Button->text()), "Continue");
        EXPECT_TRUE(QFile::exists(App_File("Data.dat")));
        EXPECT_EQ(w.Load_Status->text(), "400 records loaded from the workbook Sifa_table.xls");
        EXPECT_FALSE(w.Load_Again->isVisible());
        // Grown for the progress bar during the import, then back.
        ASSERT_FALSE(log.heights.isEmpty());
        EXPECT_GT(*std::max_element(log.heights.begin(), log.heights.end()), H);
        EXPECT_EQ(log.heights.last(), H);
    }
    session.Records().Clear();
    Welcome w(session);
    Show(w);
    Height_Log log(&w);
    w.Start_Timer_Fired();
    EXPECT_TRUE(w.Records_Loaded);
    EXPECT_TRUE(log.heights.isEmpty());  // the cache: no growth, no progress
    EXPECT_EQ(session.Records().Record_Count(), 400);
    EXPECT_EQ(w.Load_Status->text(), "400 records loaded from the cache Data.dat");

    // Continue shows the second panel, with the documents, then goes on to the search.
    EXPECT_FALSE(w.User_Manual_EN->isVisible());
    w.Main_Button->click();
    EXPECT_TRUE(w.Documents_Panel->isVisible() && !w.Presentation_Panel->isVisible() && w.Final_report->isVisible());
    w.Main_Button->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST_F(Welcome_Window, Cancel_During_Import) {
    Welcome w(session);
    Show(w);
    // The user's click, as soon as the button offers to cancel.
    QTimer click;
    bool clicked = false;
    QObject::connect(&click, &QTimer::timeout, [&] {
        if (clicked || Plain_Caption(w.Main_Button->text()) != "Cancel") return;
        clicked = true;
        w.Main_Button->click();
        EXPECT_FALSE(w.Main_Button->isEnabled());
    });
    click.start(0);
    w.Start_Timer_Fired();
    EXPECT_TRUE(w.Load_Cancelled);
    EXPECT_FALSE(w.Records_Loaded);
    EXPECT_EQ(Plain_Caption(w.Main_Button->text()), "Continue");
    EXPECT_TRUE(w.Main_Button->isEnabled());
    EXPECT_FALSE(QFile::exists(App_File("Data.dat")));
    EXPECT_EQ(w.Load_Status->text(), "Loading cancelled: no record loaded");
    EXPECT_TRUE(w.Load_Again->isVisible());
    w.Main_Button->click();
    EXPECT_EQ(Plain_Caption(w.Main_Button->text()), "Quit");

    // Loaded again from the second panel: the window goes on to the search.
    click.stop();
    w.Load_Again->click();
    EXPECT_TRUE(w.Records_Loaded);
    EXPECT_FALSE(w.Load_Cancelled);
    EXPECT_EQ(w.Load_Status->text(), "400 records loaded from the workbook Sifa_table.xls");
    EXPECT_FALSE(w.Load_Again->isVisible());
    EXPECT_EQ(Plain_Caption(w.Main_Button->text()), "Continue");
}

TEST_F(Welcome_Window, Bad_Or_Missing_Workbook_Shows_Its_Lines) {
    const struct {
        const char* name;
        QString workbook;
        QStringList lines;
        bool loaded;
    } cases[] = {
        {"planted bad cells",
         SIFA_TEST_DATA "/sifa_bad_cells.xls",
         {"Cell A5: \"19x8\" Not numeric -> Ignored", "Cell A7: \"-1\" Below Zero -> Ignored",
          "Cell G9: \"ZZ\" Unknown code -> Ignored", "Cell B12: \"abc\" Not numeric -> Ignored"},
         true},  // the other cells are there
        {"no workbook", "", {"No input data (no file found)", "No Data loaded"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.Records().Clear();
        QFile::remove(App_File("Sifa_table.xls"));
        if (!c.workbook.isEmpty()) QFile::copy(c.workbook, App_File("Sifa_table.xls"));
        Error_Window_Answerer answer;
        Welcome w(session);
        Show(w);
        w.Start_Timer_Fired();
        EXPECT_EQ(answer.shown, 1);
        EXPECT_EQ(answer.lines, c.lines);
        EXPECT_EQ(w.Records_Loaded, c.loaded);
        EXPECT_FALSE(QFile::exists(App_File("Data.dat")));
        EXPECT_EQ(w.Load_Again->isVisible(), !c.loaded);
        if (!c.loaded) {
            EXPECT_EQ(w.Load_Status->text(), "No record loaded");
            w.Main_Button->click();
            EXPECT_EQ(Plain_Caption(w.Main_Button->text()), "Quit");
        }
    }
}

// A window cut to a small screen (a large scale factor) keeps every paragraph within reach.
TEST_F(Welcome_Window, Panels_Scroll_When_The_Window_Is_Short) {
    Welcome w(session);
    Show(w);
    const int full = w.height();
    for (QFrame* panel : {w.Presentation_Panel, w.Documents_Panel}) {
        if (panel == w.Documents_Panel) w.Main_Button->click();  // the second panel
        for (const int height : {full, 260}) {
            SCOPED_TRACE(panel->objectName().toStdString() + " " + std::to_string(height));
            w.resize(w.width(), height);
            QApplication::processEvents();  // the scroll bar comes and goes on a layout request
            auto* area = qobject_cast<QScrollArea*>(panel);
            ASSERT_NE(area, nullptr);
            ASSERT_TRUE(area->isVisible());
            const QWidget* last = w.Panel_Labels[panel == w.Presentation_Panel ? 0 : 1].last();
            const int bottom = last->geometry().bottom();
            EXPECT_LE(bottom, area->widget()->height());
            EXPECT_GE(area->verticalScrollBar()->maximum(), bottom - area->viewport()->height());
            // The texts beside the bar, and no bar at the window's own height.
            EXPECT_LE(area->widget()->width(), area->viewport()->width());
            if (height == full) { EXPECT_EQ(area->verticalScrollBar()->maximum(), 0); }
        }
    }
}

TEST_F(Welcome_Window, Documents_And_Links) {
    Welcome w(session);
    w.Start_Timer->stop();
    w.User_Synth_FR->click();
    ASSERT_EQ(rec->shown.size(), 1u);
    EXPECT_EQ(rec->shown[0].text, "Could not find file");  // its caption and icon: Default_App_test.cpp

    int links = 0;
    for (QLabel* l : w.Panel_Labels[1]) {
        const size_t before = rec->shown.size();
        w.Link_Clicked(l);
        if (rec->shown.size() > before) {
            ++links;
            EXPECT_EQ(rec->shown.back().text, "Open" + l->text());
        }
    }
    EXPECT_EQ(links, 1);

    // The link is reached by the keyboard as well.
    w.Main_Button_Clicked();
    w.show();
    const auto link = std::find_if(w.Panel_Labels[1].begin(), w.Panel_Labels[1].end(),
                                   [](QLabel* l) { return l->focusPolicy() & Qt::TabFocus; });
    ASSERT_NE(link, w.Panel_Labels[1].end());
    const size_t before = rec->shown.size();
    QTest::keyClick(*link, Qt::Key_Return);
    EXPECT_EQ(rec->shown.size(), before + 1);
}
