#include "views/Sort_Dialog.h"
#include "winsupport/Message_Service.h"

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

struct Sort_Dialog_Test : ::testing::Test {
    Hand_Result result{
        {"5", "4", "5"},
        {"Country", "Year", "Name"},
        {{"Spain", "2004", "b"}, {"France", "1999", "a"}, {"Spain", "2010", "c"}, {"France", "2004", "d"}}};
    Result_Model& grid = result.Model;
    Sort_Key_Columns keys{};
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

TEST_F(Sort_Dialog_Test, Shows_The_Stored_Keys_Up_To_The_First_Undefined_One) {
    const struct {
        const char* name;
        Sort_Key_Columns keys;
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
        Sort_Dialog dlg(grid, keys);
        ASSERT_TRUE(dlg.Load());
        for (size_t k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(Offered(dlg.Key_Column[k]), c.lists[k]);
            EXPECT_EQ(dlg.Key_Order[2 * k]->isChecked(), c.ascending[k]);
            EXPECT_EQ(dlg.Key_Order[2 * k + 1]->isChecked(), !c.ascending[k]);
            EXPECT_EQ(dlg.Key_Order[2 * k]->isEnabled(), dlg.Key_Column[k]->currentIndex() > 0);
            EXPECT_EQ(!dlg.Key_Box[k]->isHidden(), c.frame_shown[k]);
        }
        EXPECT_EQ(dlg.Order_In_Effect->text(), c.order);
    }
    EXPECT_TRUE(rec->shown.empty());
}

TEST_F(Sort_Dialog_Test, A_Key_Change_Shows_Or_Hides_The_Keys_After_It) {
    keys = {1, 2, 3, 0};
    Sort_Dialog dlg(grid, keys);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_FALSE(dlg.Key_Box[3]->isHidden());

    // Key 2 back to "Undefined": keys 3 and 4 go.
    dlg.Key_Column[1]->setCurrentIndex(0);
    dlg.Key_Column_Chosen(1);
    for (size_t k : {2u, 3u}) {
        EXPECT_TRUE(dlg.Key_Box[k]->isHidden()) << k;
        EXPECT_EQ(dlg.Key_Column[k]->currentIndex(), 0) << k;
    }
    EXPECT_TRUE(dlg.Key_Order[0]->isEnabled());
    EXPECT_FALSE(dlg.Key_Order[2]->isEnabled() || dlg.Key_Order[3]->isEnabled());

    // The person picks a column with the keyboard: the first one key 1 left, its options and the next key come.
    dlg.Key_Column[1]->setFocus();
    QTest::keyClick(dlg.Key_Column[1], Qt::Key_Down);
    EXPECT_EQ(dlg.Key_Column[1]->currentText(), "Year");
    EXPECT_TRUE(dlg.Key_Order[2]->isEnabled());
    EXPECT_FALSE(dlg.Key_Box[2]->isHidden());
    EXPECT_TRUE(dlg.Key_Box[3]->isHidden());
    EXPECT_EQ(Offered(dlg.Key_Column[2]), (QStringList{"[Undefined]", "Name"}));

    // Key 1 takes key 2's column: key 2 goes, key 3 moves up.
    dlg.Key_Column[2]->setCurrentIndex(1);
    dlg.Key_Column_Chosen(2);
    dlg.Key_Column[0]->setCurrentIndex(dlg.Key_Column[0]->findText("Year"));
    dlg.Key_Column_Chosen(0);
    EXPECT_EQ(Offered(dlg.Key_Column[1]), (QStringList{"Undefined", "Country", "[Name]"}));
    EXPECT_EQ(dlg.Key_Column[2]->currentIndex(), 0);
    dlg.close();
    EXPECT_EQ(keys, (Sort_Key_Columns{2, 3, 0, 0}));
}

TEST_F(Sort_Dialog_Test, Sort_Without_A_First_Key_Says_So_Only_When_Shown) {
    const QStringList before = Ids(grid);
    {
        Sort_Dialog unseen(grid, keys);
        EXPECT_EQ(unseen.Sort_Now(), Multi_Key_Sort::Result::Nothing_To_Do);
    }
    EXPECT_TRUE(rec->shown.empty());
    Sort_Dialog dlg(grid, keys);
    dlg.show();
    dlg.Came_Forward();
    QTest::mouseClick(dlg.Ok_Button, Qt::LeftButton);
    EXPECT_EQ(rec->texts(), QStringList{"Nothing to do !"});
    EXPECT_EQ(Ids(grid), before);
}

// "Sort" orders the rows and leaves the dialog open; a key changed then is not in effect: the
// close box stores what the keys show, Cancel and Escape the order in effect, whose keys the
// headers show with their arrows and numbers.
TEST_F(Sort_Dialog_Test, Sort_Then_Close_Cancel_Or_Escape) {
    enum End { Close_Box, Cancel, Escape };
    const std::pair<End, Sort_Key_Columns> cases[] = {
        {Close_Box, {1, -2, 3, 0}}, {Cancel, {1, -2, 0, 0}}, {Escape, {1, -2, 0, 0}}};
    for (const auto& [end, stored] : cases) {
        SCOPED_TRACE(end);
        keys = {2, 0, 0, 0};
        Sort_Dialog dlg(grid, keys);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.Key_Column[0]->setCurrentIndex(1);
        dlg.Key_Column_Chosen(0);
        dlg.Key_Column[1]->setCurrentIndex(dlg.Key_Column[1]->findText("Year"));
        dlg.Key_Column_Chosen(1);
        dlg.Key_Order[3]->setChecked(true);  // year descending
        QTest::mouseClick(dlg.Ok_Button, Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(keys, (Sort_Key_Columns{2, 0, 0, 0}));
        EXPECT_EQ(dlg.Order_In_Effect->text(), "Ordered by Country, Year (Descending)");
        dlg.Key_Column[2]->setCurrentIndex(1);
        dlg.Key_Column_Chosen(2);
        if (end == Close_Box)
            dlg.close();
        else if (end == Escape)
            QTest::keyClick(dlg.Key_Column[2], Qt::Key_Escape);
        else
            QTest::mouseClick(dlg.Cancel_Button, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(keys, stored);
        EXPECT_EQ(Ids(grid), (QStringList{"4", "2", "3", "1"}));
        if (end == Close_Box) continue;
        EXPECT_EQ(std::pair(grid.Arrow(0), grid.Key_Number(0)), std::pair(Sort_Arrow::Ascending, 1));
        EXPECT_EQ(std::pair(grid.Arrow(1), grid.Key_Number(1)), std::pair(Sort_Arrow::Descending, 2));
        EXPECT_EQ(std::pair(grid.Arrow(2), grid.Key_Number(2)), std::pair(Sort_Arrow::None, 0));
    }
    EXPECT_TRUE(rec->shown.empty());
    // A single key: its arrow alone.
    keys = {2, 0, 0, 0};
    Reapply_Sort_Keys(grid, keys);
    EXPECT_EQ(grid.Arrow(1), Sort_Arrow::Ascending);
    EXPECT_EQ(grid.Key_Number(1), 0);
    EXPECT_EQ(grid.Arrow(0), Sort_Arrow::None);
}

TEST_F(Sort_Dialog_Test, A_Header_Click_Preselects_Its_Column) {
    const struct {
        Sort_Key_Columns keys;
        int col;
        size_t focused;
        Sort_Key_Columns shown;
    } cases[] = {
        {{0, 0, 0, 0}, 2, 0, {2, 0, 0, 0}},  // no order yet: the first key
        {{1, -2, 0, 0}, 2, 1, {1, -2, 0, 0}},  // already a key: that one
        {{1, -2, 0, 0}, 3, 2, {1, -2, 3, 0}},  // a new column: the next key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.col);
        keys = c.keys;
        Sort_Dialog dlg(grid, keys);
        dlg.Preselect_Column(c.col);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        QApplication::setActiveWindow(&dlg);
        EXPECT_EQ(Sort_Keys_From_Choices(dlg.Choices()), c.shown);
        EXPECT_EQ(dlg.focusWidget(), dlg.Key_Column[c.focused]);
        EXPECT_FALSE(dlg.Key_Box[c.focused]->isHidden());
        dlg.Cancel_Sort();
        EXPECT_EQ(keys, c.keys);  // nothing sorted: nothing changes
    }
}
