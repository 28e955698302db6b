#include "views/frmTrier.h"
#include "winsupport/Message_Service.h"

#include "Grid_Cells.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

struct Sort_Dialog : ::testing::Test {
    Text_Grid grid;
    Sort_Keys_T keys{};
    Scoped_Recorder rec;
    // Four rows; column 0 the record numbers.
    void SetUp() override {
        Fill_Grid(grid, {"Country", "Year", "Name"},
                  {{"Spain", "2004", "b"}, {"France", "1999", "a"}, {"Spain", "2010", "c"}, {"France", "2004", "d"}});
    }
};

}  // namespace

TEST_F(Sort_Dialog, Shows_The_Stored_Keys_Up_To_The_First_Undefined_One) {
    const struct {
        const char* name;
        Sort_Keys_T keys;
        std::array<int, 4> entries;
        std::array<bool, 4> ascending, frame_shown;
    } cases[] = {
        {"two keys", {1, -2, 0, 0}, {1, 2, 0, 0}, {true, false, true, true}, {true, true, true, false}},
        {"unknown column", {9, 1, 0, 0}, {0, 0, 0, 0}, {true, true, true, true}, {true, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        keys = c.keys;
        frmTrier dlg(grid, keys);
        ASSERT_TRUE(dlg.Form_Load());
        // The composite key column is there, unseen, while the dialog is loaded.
        EXPECT_EQ(grid.Cols(), 5);
        EXPECT_EQ(grid.Col_Width(4), 0);
        for (size_t k = 0; k < 4; ++k) {
            SCOPED_TRACE(k);
            ASSERT_EQ(dlg.cmbTri[k]->count(), 4);
            EXPECT_EQ(dlg.cmbTri[k]->itemText(0), "Undefined");
            EXPECT_EQ(dlg.cmbTri[k]->itemText(3), "Name");
            EXPECT_EQ(dlg.cmbTri[k]->currentIndex(), c.entries[k]);
            EXPECT_EQ(dlg.OptTri[2 * k]->isChecked(), c.ascending[k]);
            EXPECT_EQ(dlg.OptTri[2 * k + 1]->isChecked(), !c.ascending[k]);
            EXPECT_EQ(dlg.OptTri[2 * k]->isEnabled(), c.entries[k] != 0);
            EXPECT_EQ(!dlg.Frame1[k]->isHidden(), c.frame_shown[k]);
        }
    }
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_TRUE(rec->shown.empty());
}

TEST_F(Sort_Dialog, A_Key_Change_Shows_Or_Hides_The_Keys_After_It) {
    keys = {1, 2, 3, 0};
    frmTrier dlg(grid, keys);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.Frame1[0]->title(), "First key :");
    EXPECT_EQ(dlg.Frame1[3]->title(), "Fourth key");
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

    // The person picks a column with the keyboard: its options and the next key come.
    dlg.cmbTri[1]->setFocus();
    QTest::keyClick(dlg.cmbTri[1], Qt::Key_Down);
    EXPECT_EQ(dlg.cmbTri[1]->currentIndex(), 1);
    EXPECT_TRUE(dlg.OptTri[2]->isEnabled());
    EXPECT_FALSE(dlg.Frame1[2]->isHidden());
    EXPECT_TRUE(dlg.Frame1[3]->isHidden());
    dlg.close();
    EXPECT_EQ(keys, (Sort_Keys_T{1, 1, 0, 0}));
}

TEST_F(Sort_Dialog, Sort_Without_A_First_Key_Says_So_Only_When_Shown) {
    const QStringList before = Column(grid, 0);
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
    EXPECT_EQ(Column(grid, 0), before);
}

TEST_F(Sort_Dialog, Sort_Orders_By_The_Keys_And_Closing_Stores_Them) {
    frmTrier dlg(grid, keys);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.cmbTri[0]->setCurrentIndex(1);
    dlg.cmbTri_Click(0);
    dlg.cmbTri[1]->setCurrentIndex(2);
    dlg.cmbTri_Click(1);
    dlg.OptTri[3]->setChecked(true);  // year descending
    QTest::mouseClick(dlg.cmdOk, Qt::LeftButton);
    EXPECT_EQ(Column(grid, 0), (QStringList{"4", "2", "3", "1"}));
    // "Sort" leaves the dialog open; the close box stores what the keys show.
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(keys, (Sort_Keys_T{}));
    dlg.close();
    EXPECT_EQ(keys, (Sort_Keys_T{1, -2, 0, 0}));
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_TRUE(rec->shown.empty());
}
