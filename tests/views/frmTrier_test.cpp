#include "views/frmTrier.h"
#include "winsupport/Message_Service.h"

#include "Layout_Check.h"
#include "Result_Cells.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

struct Sort_Dialog : ::testing::Test {
    Hand_Result result{
        {"5", "4", "5"},
        {"Country", "Year", "Name"},
        {{"Spain", "2004", "b"}, {"France", "1999", "a"}, {"Spain", "2010", "c"}, {"France", "2004", "d"}}};
    Result_Model& grid = result.Model;
    Sort_Keys_T keys{};
    Scoped_Recorder rec;
};

}  // namespace

// What a key list offers and shows, as texts; the chosen one in brackets.
QStringList Offered(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << (i == list->currentIndex() ? "[" + list->itemText(i) + "]" : list->itemText(i));
    return out;
}

TEST_F(Sort_Dialog, Shows_The_Stored_Keys_Up_To_The_First_Undefined_One) {
    const struct {
        const char* name;
        Sort_Keys_T keys;
        std::array<QStringList, 4> lists;
        std::array<bool, 4> ascending, frame_shown;
        const char* order;
    } cases[] = {
        // A column taken by a key is not offered to the keys after it.
        {"two keys",
         {1, -2, 0, 0},
         {QStringList{"Undefined", "[Country]", "Year", "Name"},
          {"Undefined", "[Year]", "Name"},
          {"[Undefined]", "Name"},
          {"[Undefined]", "Name"}},
         {true, false, true, true},
         {true, true, true, false},
         "Ordered by Country, Year (Descending)"},
        {"unknown column",
         {9, 1, 0, 0},
         {QStringList{"[Undefined]", "Country", "Year", "Name"},
          {"[Undefined]", "Country", "Year", "Name"},
          {"[Undefined]", "Country", "Year", "Name"},
          {"[Undefined]", "Country", "Year", "Name"}},
         {true, true, true, true},
         {true, false, false, false},
         "Not ordered by any column"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keys = c.keys;
        frmTrier dlg(grid, keys);
        ASSERT_TRUE(dlg.Form_Load());
        for (size_t k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(Offered(dlg.cmbTri[k]), c.lists[k]);
            EXPECT_EQ(dlg.OptTri[2 * k]->isChecked(), c.ascending[k]);
            EXPECT_EQ(dlg.OptTri[2 * k + 1]->isChecked(), !c.ascending[k]);
            EXPECT_EQ(dlg.OptTri[2 * k]->isEnabled(), dlg.cmbTri[k]->currentIndex() > 0);
            EXPECT_EQ(!dlg.Frame1[k]->isHidden(), c.frame_shown[k]);
        }
        EXPECT_EQ(dlg.labTri->text(), c.order);
    }
    EXPECT_TRUE(rec->shown.empty());
}

TEST_F(Sort_Dialog, A_Key_Change_Shows_Or_Hides_The_Keys_After_It) {
    keys = {1, 2, 3, 0};
    frmTrier dlg(grid, keys);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QStringList captions;
    for (const QGroupBox* f : dlg.Frame1) captions << f->title();
    EXPECT_EQ(captions, (QStringList{"First key", "Second key", "Third key", "Fourth key"}));
    EXPECT_FALSE(dlg.Frame1[3]->isHidden());

    // Key 2 back to "Undefined": keys 3 and 4 go.
    dlg.cmbTri[1]->setCurrentIndex(0);
    dlg.cmbTri_Click(1);
    for (size_t k : {2u, 3u}) {
        EXPECT_TRUE(dlg.Frame1[k]->isHidden()) << k;
        EXPECT_EQ(dlg.cmbTri[k]->currentIndex(), 0) << k;
    }
    EXPECT_TRUE(dlg.OptTri[0]->isEnabled());
    EXPECT_FALSE(dlg.OptTri[2]->isEnabled() || dlg.OptTri[3]->isEnabled());

    // The person picks a column with the keyboard: the first one key 1 left, its options and the next key come.
    dlg.cmbTri[1]->setFocus();
    QTest::keyClick(dlg.cmbTri[1], Qt::Key_Down);
    EXPECT_EQ(dlg.cmbTri[1]->currentText(), "Year");
    EXPECT_TRUE(dlg.OptTri[2]->isEnabled());
    EXPECT_FALSE(dlg.Frame1[2]->isHidden());
    EXPECT_TRUE(dlg.Frame1[3]->isHidden());
    EXPECT_EQ(Offered(dlg.cmbTri[2]), (QStringList{"[Undefined]", "Name"}));

    // Key 1 takes key 2's column: key 2 goes, key 3 moves up.
    dlg.cmbTri[2]->setCurrentIndex(1);
    dlg.cmbTri_Click(2);
    dlg.cmbTri[0]->setCurrentIndex(dlg.cmbTri[0]->findText("Year"));
    dlg.cmbTri_Click(0);
    EXPECT_EQ(Offered(dlg.cmbTri[1]), (QStringList{"Undefined", "Country", "[Name]"}));
    EXPECT_EQ(dlg.cmbTri[2]->currentIndex(), 0);
    dlg.close();
    EXPECT_EQ(keys, (Sort_Keys_T{2, 3, 0, 0}));
}

TEST_F(Sort_Dialog, Sort_Without_A_First_Key_Says_So_Only_When_Shown) {
    const QStringList before = Ids(grid);
    {
        frmTrier unseen(grid, keys);
        EXPECT_EQ(unseen.cmdOk_Click(), Multi_Key_Sort::Result::Nothing_To_Do);
    }
    EXPECT_TRUE(rec->shown.empty());
    frmTrier dlg(grid, keys);
    dlg.show();
    dlg.Form_GotFocus();
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_EQ(rec->texts(), QStringList{"Nothing to do !"});
    EXPECT_EQ(Ids(grid), before);
}

// "Sort" orders the rows and leaves the dialog open; a key changed then is not in effect: the
// close box stores what the keys show, Cancel and Escape the order in effect, whose keys the
// headers show with their arrows and numbers.
TEST_F(Sort_Dialog, Sort_Then_Close_Cancel_Or_Escape) {
    enum End { Close_Box, Cancel, Escape };
    const std::pair<End, Sort_Keys_T> cases[] = {
        {Close_Box, {1, -2, 3, 0}}, {Cancel, {1, -2, 0, 0}}, {Escape, {1, -2, 0, 0}}};
    for (const auto& [end, stored] : cases) {
        SCOPED_TRACE(end);
        keys = {2, 0, 0, 0};
        frmTrier dlg(grid, keys);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.cmbTri[0]->setCurrentIndex(1);
        dlg.cmbTri_Click(0);
        dlg.cmbTri[1]->setCurrentIndex(dlg.cmbTri[1]->findText("Year"));
        dlg.cmbTri_Click(1);
        dlg.OptTri[3]->setChecked(true);  // year descending
        QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(keys, (Sort_Keys_T{2, 0, 0, 0}));
        EXPECT_EQ(dlg.labTri->text(), "Ordered by Country, Year (Descending)");
        dlg.cmbTri[2]->setCurrentIndex(1);
        dlg.cmbTri_Click(2);
        if (end == Close_Box)
            dlg.close();
        else if (end == Escape)
            QTest::keyClick(dlg.cmbTri[2], Qt::Key_Escape);
        else
            QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(keys, stored);
        EXPECT_EQ(Ids(grid), (QStringList{"4", "2", "3", "1"}));
        if (end == Close_Box) continue;
        const std::array<std::pair<Sort_Arrow, int>, 3> headers{std::pair{grid.Arrow(0), grid.Key_Number(0)},
                                                                {grid.Arrow(1), grid.Key_Number(1)},
                                                                {grid.Arrow(2), grid.Key_Number(2)}};
        EXPECT_EQ(headers[0], std::pair(Sort_Arrow::Ascending, 1));
        EXPECT_EQ(headers[1], std::pair(Sort_Arrow::Descending, 2));
        EXPECT_EQ(headers[2], std::pair(Sort_Arrow::None, 0));
    }
    EXPECT_TRUE(rec->shown.empty());
    // A single key: its arrow alone.
    keys = {2, 0, 0, 0};
    Reapply_Sort_Keys(grid, keys);
    EXPECT_EQ(grid.Arrow(1), Sort_Arrow::Ascending);
    EXPECT_EQ(grid.Key_Number(1), 0);
    EXPECT_EQ(grid.Arrow(0), Sort_Arrow::None);
}

TEST_F(Sort_Dialog, A_Header_Click_Preselects_Its_Column) {
    const struct {
        Sort_Keys_T keys;
        int col;
        size_t focused;
        Sort_Keys_T shown;
    } cases[] = {
        {{0, 0, 0, 0}, 2, 0, {2, 0, 0, 0}},  // no order yet: the first key
        {{1, -2, 0, 0}, 2, 1, {1, -2, 0, 0}},  // already a key: that one
        {{1, -2, 0, 0}, 3, 2, {1, -2, 3, 0}},  // a new column: the next key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.col);
        keys = c.keys;
        frmTrier dlg(grid, keys);
        dlg.Preselect_Column(c.col);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        EXPECT_EQ(Sort_Keys_From_Choices(dlg.Choices()), c.shown);
        EXPECT_EQ(dlg.focusWidget(), dlg.cmbTri[c.focused]);
        EXPECT_FALSE(dlg.Frame1[c.focused]->isHidden());
        dlg.cmdCancel_Click();
        EXPECT_EQ(keys, c.keys);  // nothing sorted: nothing changes
    }
}

TEST_F(Sort_Dialog, Fits_Its_Captions_And_A_Small_Screen) {
    keys = {1, -2, 3, 0};
    frmTrier dlg(grid, keys);
    Expect_Fitting_Window(&dlg);
}
