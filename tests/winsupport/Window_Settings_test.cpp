#include "winsupport/Window_Settings.h"

#include "winsupport/Interface_Language.h"
#include "winsupport/Window_Utils.h"

#include "Byte_Files.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {
void Write_Settings_File(const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(Settings_Path()).absolutePath());
    Write_Bytes(Settings_Path(), bytes);
}

struct Named_Window : QWidget {
    Named_Window() { setObjectName(QStringLiteral("Test_Window")); }
};
}  // namespace

TEST(Place_On_Screens, Kept_Where_A_Screen_Shows_It_Moved_Or_Cut_To_Fit_None_When_Its_Screen_Is_Gone) {
    const QList<QRect> screens{QRect(0, 0, 1366, 740), QRect(1366, 0, 1920, 1050)};
    const QMargins frame(8, 32, 8, 8);
    const struct {
        const char* what;
        QRect kept;
        std::optional<QRect> placed;
    } cases[] = {
        {"fits on the first", QRect(100, 80, 600, 400), QRect(100, 80, 600, 400)},
        {"fits on the second", QRect(2000, 300, 800, 600), QRect(2000, 300, 800, 600)},
        {"past the first's right edge", QRect(1000, 80, 600, 400), QRect(1366 - 8 - 600, 80, 600, 400)},
        {"caption above the screen", QRect(100, 5, 600, 400), QRect(100, 32, 600, 400)},
        {"larger than its screen", QRect(0, 40, 2000, 2000), QRect(8, 32, 1366 - 16, 740 - 40)},
        {"on a screen gone", QRect(4000, 100, 600, 400), std::nullopt},
        {"above every screen", QRect(100, -900, 600, 400), std::nullopt},
        {"empty", QRect(100, 100, 0, 0), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(Place_On_Screens(c.kept, screens, frame), c.placed) << c.what;
}

TEST(Window_Settings, A_Window_Opens_Again_Where_It_Was_Left_And_Maximised_If_It_Was) {
    const QRect free = QApplication::primaryScreen()->availableGeometry();
    const QRect left(free.topLeft() + QPoint(60, 70), QSize(300, 200));
    {
        Named_Window first;
        EXPECT_FALSE(Remember_Window_Place(&first));  // nothing kept yet: its own default
        first.setGeometry(left);
        first.show();
        first.close();
    }
    {
        Named_Window second;
        ASSERT_TRUE(Remember_Window_Place(&second));
        EXPECT_EQ(second.geometry(), left);
        EXPECT_FALSE(second.isMaximized());
        second.show();
        second.showMaximized();
    }  // destroyed while shown: kept too
    Named_Window third;
    ASSERT_TRUE(Restore_Window_Place(&third));
    EXPECT_TRUE(third.isMaximized());
    third.showNormal();
    EXPECT_EQ(third.geometry(), left);

    // Only the size: the caller places it.
    Named_Window sized;
    sized.move(free.topLeft() + QPoint(5, 5));
    ASSERT_TRUE(Restore_Window_Place(&sized, false));
    EXPECT_EQ(sized.geometry(), QRect(free.topLeft() + QPoint(5, 5), left.size()));
    EXPECT_FALSE(sized.isMaximized());

    // A place no screen shows any more: the window keeps its default.
    third.setGeometry(QRect(free.right() + 2000, 50, 300, 200));
    Save_Window_Place(&third);
    Named_Window lost;
    lost.resize(123, 45);
    EXPECT_FALSE(Restore_Window_Place(&lost));
    EXPECT_EQ(lost.size(), QSize(123, 45));

    // Against the top edge, under a caption thinner than a window not yet framed is
    // taken to have: it stays there, as its frame was kept with it.
    QSettings(Settings_Path(), QSettings::IniFormat).setValue("Windows/Test_Window/Frame", "1,20,1,4");
    const QRect at_top(free.topLeft() + QPoint(1, 20), QSize(300, 200));
    Named_Window top;
    top.setGeometry(at_top);
    Save_Window_Place(&top);
    top.setGeometry(QRect(50, 50, 50, 50));
    ASSERT_TRUE(Restore_Window_Place(&top));
    EXPECT_EQ(top.geometry(), at_top);
}

TEST(Window_Settings, Column_Widths_Come_Back_Only_For_The_Same_Columns) {
    const QStringList columns{"Year", "ProjName", "RecoEN"};
    Save_Column_Widths("Grid", columns, {0, 140, 0});
    Save_Column_Widths("Grid", {"Year", "ProjName", "RecoFR"}, {70, 0, 300});
    EXPECT_EQ(Kept_Column_Widths("Grid", columns), QList<int>({0, 140, 0}));
    EXPECT_EQ(Kept_Column_Widths("Grid", {"Year", "ProjName", "RecoFR"}), QList<int>({70, 0, 300}));
    EXPECT_TRUE(Kept_Column_Widths("Other_Grid", columns).isEmpty());
    EXPECT_TRUE(Kept_Column_Widths("Grid", {"Year", "RecoEN", "ProjName"}).isEmpty());
    EXPECT_TRUE(Kept_Column_Widths("Grid", {"Year", "ProjName"}).isEmpty());
    Save_Column_Widths("Grid", columns, {0, 0, 0});
    EXPECT_TRUE(Kept_Column_Widths("Grid", columns).isEmpty());
}

TEST(Window_Settings, A_Damaged_Or_Foreign_Settings_File_Gives_The_Defaults_And_Is_Replaced) {
    QTemporaryDir folder;
    const QByteArray foreign_group =
        "[Windows]\nTest_Window\\Left=ten\nTest_Window\\Top=@Variant(\\0\\0\\0\\x7f)\n"
        "Test_Window\\Width=-5\nTest_Window\\Height=99999999999\n"
        "Test_Window\\Maximised=maybe\n";
    const QByteArray garbage("\x00\xff[\x01\xfe\n=\x80\x81[[\n\x00\x00\xc3(\x1b", 18);
    const QList<QByteArray> files{
        garbage,
        foreign_group +
            "[Column_Widths]\nx=1\n[Search_Window]\nAdjust_Cell_Size=2\n[Files]\nLast_Folder=1, 2, 3\n"
            "[Interface]\nLanguage=@ByteArray(FR)\n",
        foreign_group +
            "[Windows]\nTest_Window\\Left=0\nTest_Window\\Top=0\nTest_Window\\Width=300\n"
            "Test_Window\\Height=200\nTest_Window\\Maximised=false\n[Broken\n",
    };
    const QString documents = Last_Folder();
    for (const QByteArray& bytes : files) {
        Write_Settings_File(bytes);
        Named_Window w;
        w.resize(123, 45);
        EXPECT_FALSE(Remember_Window_Place(&w)) << bytes.toStdString();
        EXPECT_EQ(w.size(), QSize(123, 45));
        EXPECT_EQ(Kept_Choice("Search_Window/Adjust_Cell_Size"), std::nullopt);
        EXPECT_TRUE(Kept_Column_Widths("Grid", {"Year"}).isEmpty());
        EXPECT_EQ(Last_Folder("Export"), documents);
        const QString lang = Start_Interface_Language();
        EXPECT_TRUE(lang == "EN" || lang == "FR");
        // What the program keeps next replaces the damage.
        Keep_Choice("Search_Window/Adjust_Cell_Size", true);
        Remember_Folder(folder.path(), "Export");
        EXPECT_EQ(Kept_Choice("Search_Window/Adjust_Cell_Size"), true) << bytes.toStdString();
        EXPECT_EQ(Last_Folder("Export"), folder.path());
    }
    // Never beside the program.
    EXPECT_FALSE(Settings_Path().startsWith(QCoreApplication::applicationDirPath() + "/"));
}

TEST(Window_Settings, Each_Kind_Of_File_Dialog_Starts_In_Its_Own_Last_Folder) {
    QTemporaryDir a, b;
    Remember_Folder(a.path(), "Export");
    Remember_Folder(b.path(), "Chart");
    EXPECT_EQ(Last_Folder("Export"), a.path());
    EXPECT_EQ(Last_Folder("Chart"), b.path());
    // A kind never used starts where any dialog was used last; a folder gone is skipped.
    EXPECT_EQ(Last_Folder("Counts"), b.path());
    b.remove();
    EXPECT_EQ(Last_Folder("Chart"), Last_Folder(""));
    EXPECT_NE(Last_Folder("Chart"), b.path());
}
