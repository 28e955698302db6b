#include "winsupport/CTooltip.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace {

struct Tooltip : ::testing::Test {
    QWidget window;
    QWidget* grid = nullptr;
    void SetUp() override {
        window.resize(400, 300);
        grid = new QWidget(&window);
        grid->setGeometry(20, 20, 300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // The mouse comes to rest at p of the grid.
    void Move_To(const QPoint& p) {
        QMouseEvent e(QEvent::MouseMove, p, grid->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid, &e);
    }
};

}  // namespace

TEST_F(Tooltip, Shows_After_The_Delay_For_The_Visible_Time) {
    CTooltip tip;
    tip.TipText = QStringLiteral("Germany");
    tip.Title = QStringLiteral("2004/5368/2/DE");
    tip.Icon = 1;
    tip.Centered = true;
    tip.DelayTime = 60;
    tip.VisibleTime = 250;
    tip.Create(grid, 100, 40, 200, 60);
    Move_To({150, 50});
    EXPECT_FALSE(tip.Is_Shown());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tip.Is_Shown(); }, 2000));
    // Centred under the tool.
    const QRect g = tip.Window()->geometry();
    EXPECT_NEAR(g.center().x(), grid->mapToGlobal(QPoint(150, 0)).x(), 2);
    EXPECT_GE(g.top(), grid->mapToGlobal(QPoint(0, 60)).y());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tip.Is_Shown(); }, 2000));
    // Spent until the mouse leaves the tool and comes back.
    Move_To({160, 50});
    QTest::qWait(150);
    EXPECT_FALSE(tip.Is_Shown());
    Move_To({5, 5});
    Move_To({150, 50});
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip.Is_Shown(); }, 2000));
    Move_To({5, 5});
    EXPECT_FALSE(tip.Is_Shown());
}

TEST_F(Tooltip, One_Tip_On_The_Screen_At_A_Time) {
    CTooltip a, b;
    a.TipText = QStringLiteral("a");
    b.TipText = QStringLiteral("b");
    a.Create(grid);
    b.Create(&window);
    a.Show_Tip();
    b.Show_Tip();
    EXPECT_FALSE(a.Is_Shown());
    EXPECT_TRUE(b.Is_Shown());
    // Nothing to show: no tip.
    CTooltip empty;
    empty.Create(grid);
    empty.Show_Tip();
    EXPECT_FALSE(empty.Is_Shown());
}
