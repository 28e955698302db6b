#include "Byte_Files.h"
#include "Search_Window_Access.h"
#include "search/Saved_Search.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QToolButton>

namespace {

std::vector<qint32> Shown_Records(const Search_Window& s) {
    std::vector<qint32> ids;
    for (int r = 0; r < s.Results.Model.Records(); ++r) ids.push_back(s.Results.Model.Record_At(r));
    return ids;
}

}  // namespace

// Saved through the real file dialog, opened again through the window's file service:
// the rows, And/Or, the order, the field set and the language come back, and so does the result.
TEST_F(Search_Window_Test, A_Saved_Search_Opens_As_It_Was_Saved) {
    QTemporaryDir folder;
    Remember_Folder(folder.path());
    Search_Window& s = Open(true);
    s.Language_Box->setCurrentIndex(s.Language_Box->findText("FR"));
    Criterion("Nom du Projet", "Contient", "*\"Open\"?");
    s.Rows->Negation[1]->setChecked(true);
    s.Rows->Active[2]->setChecked(true);
    Field_Chooser(s.Rows->Field[2], "EM du porteur");
    Field_Chooser(s.Rows->Operator[2], "Egal");
    s.Rows->Value_Text[2]->setText("FR");
    s.Rows->Active[2]->setChecked(false);
    s.Combine_With_And->setChecked(true);
    s.Multi_Key_Box->setChecked(true);
    s.Sort_Mode_Toggled();
    session.Sort_Keys = {Grid_Column(s.Results, "EM"), -Grid_Column(s.Results, "Year"), 0, 0};
    s.Results.Field_Set = "Custom=1-3";
    s.Run_Search_Now();
    const Saved_Search saved = s.Current_Search();
    const std::vector<qint32> shown = Shown_Records(s);
    ASSERT_GT(shown.size(), 1u);

    auto qt_service = Install_Message_Service(nullptr);
    QTimer::singleShot(0, [&] {
        if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            if (auto* buttons = files->findChild<QDialogButtonBox*>())
                QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
            if (files->isVisible()) files->reject();
        }
    });
    s.Save_Search();
    Install_Message_Service(std::move(qt_service));
    const QString file = folder.filePath("Search.sifasearch");
    ASSERT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(Search_Window::Recent_Searches().value(0), file);

    Use_Language("");
    session.Sort_Keys = {0, 0, 0, 0};
    Search_Window& again = Open();
    Scoped_Recorder rec;
    rec->fileAnswers = {file};
    again.Open_Search();
    EXPECT_TRUE(rec->shown.empty());
    EXPECT_EQ(again.Current_Search(), saved);
    EXPECT_EQ(again.Language_Box->currentText(), "FR");
    EXPECT_EQ(again.Rows->Field[1]->currentText(), "Nom du Projet");
    EXPECT_TRUE(again.Multi_Key_Box->isChecked());
    EXPECT_EQ(Shown_Records(again), shown);
}

TEST_F(Search_Window_Test, A_Search_That_Does_Not_Fit_Opens_Nothing_And_A_Lost_One_Leaves_The_List) {
    QTemporaryDir folder;
    Search_Window& s = Open();
    const Saved_Search before = s.Current_Search();
    Saved_Search bad;
    bad.Rows = {{1, true, "EM", "equal", false, "XQ"}};
    const QString file = folder.filePath("bad.sifasearch");
    Write_Bytes(file, Write_Saved_Search(bad));
    Scoped_Recorder rec;
    EXPECT_FALSE(s.Open_Search_File(file));
    ASSERT_EQ(rec->shown.size(), 1u);
    EXPECT_EQ(rec->shown[0].text,
              "The search cannot be opened: Row 1: the value \"XQ\" of \"MS of coordinator\" is refused: Unkownn code");
    EXPECT_EQ(rec->shown[0].detail, QDir::toNativeSeparators(file));
    EXPECT_EQ(s.Current_Search(), before);

    // A search of the list that is gone is taken off it, with a word.
    const QString gone = folder.filePath("gone.sifasearch");
    Write_Bytes(gone, Write_Saved_Search(before));
    ASSERT_TRUE(s.Open_Search_File(gone));
    QFile::remove(gone);
    s.Fill_Recent_Menu();
    const QList<QAction*> entries = s.Recent_Searches_Button->menu()->actions();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries[0]->text(), "gone.sifasearch");
    entries[0]->trigger();
    EXPECT_TRUE(rec->shown.back().text.contains("no longer exists")) << rec->shown.back().text.toStdString();
    EXPECT_FALSE(Search_Window::Recent_Searches().contains(gone));
}
