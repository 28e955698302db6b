#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"

#include "Grid_Cells.h"
#include "Views_Fixture.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

// Shown on the screen at a size, as the window shows it.
void Show(QWidget& w, int width, int height) {
    w.resize(width, height);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

TEST(Grid_Widget, Mouse_Events_Give_Button_Shift_And_Twips) {
    Text_Grid g;
    Fill_Grid(g, {"Year", "Country"}, {{"2004", "Germany"}, {"1999", "France"}});
    Grid_Widget view(g);
    Show(view, 500, 300);
    QSignalSpy down(&view, &Grid_Widget::MouseDown), move(&view, &Grid_Widget::MouseMove),
        up(&view, &Grid_Widget::MouseUp);

    for (const auto& [row, col] : {std::pair{0, 2}, {2, 1}}) {  // a header cell, a data cell
        SCOPED_TRACE(row);
        const QRect cell = view.Cell_Rect(row, col);
        ASSERT_FALSE(cell.isEmpty());
        const QPoint at = cell.center();
        QWidget* target = row == 0 ? view.Fixed_Rows_Header()->viewport() : view.viewport();
        const QPoint local = target->mapFrom(&view, at);
        for (QSignalSpy* spy : {&down, &up, &move}) spy->clear();
        QTest::mousePress(target, Qt::LeftButton, Qt::ShiftModifier, local);
        ASSERT_EQ(down.size(), 1);
        EXPECT_EQ(down[0][0].value<Qt::MouseButtons>(), Qt::LeftButton);
        EXPECT_EQ(down[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
        EXPECT_EQ(view.Mouse_Row(), row);
        EXPECT_EQ(view.Mouse_Col(), col);
        // The twips come back to the same cell through the grid's own geometry.
        EXPECT_EQ(g.Col_At(down[0][2].toInt() - Grid_Widget::Border_Twips), col);
        EXPECT_EQ(g.Row_At(down[0][3].toInt() - Grid_Widget::Border_Twips), row);
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local);
        EXPECT_EQ(up.size(), 1);
        QTest::mouseMove(target, local + QPoint(3, 0));
        EXPECT_GE(move.size(), 1);
    }
}

TEST(Grid_Widget, New_Heights_For_Most_Rows_Keep_The_Current_Cell_And_The_Scroll) {
    Text_Grid g;
    g.Set_Rows(1001);
    g.Set_Cols(3);
    g.Set_Fixed_Rows(1);
    for (int r = 1; r < g.Rows(); ++r) g.Set_Text_Matrix(r, 1, QString::number(r));
    Grid_Widget view(g);
    Show(view, 300, 200);
    g.Set_Row(500);
    g.Set_Col(1);
    g.Set_Top_Row(495);
    // Cells fitted to their texts: every row but a few gets one new height.
    g.Set_Redraw(false);
    for (int r = 1; r < g.Rows(); ++r) g.Set_Row_Height(r, r % 100 == 0 ? 600 : 330);
    g.Set_Redraw(true);
    for (int r : {1, 99, 100, 500, 1000})
        EXPECT_EQ(view.rowHeight(r - 1), Twips_To_Pixels_Y(r % 100 == 0 ? 600 : 330, &view)) << r;
    EXPECT_EQ(view.currentIndex(), view.model()->index(499, 1));
    EXPECT_TRUE(view.selectionModel()->isSelected(view.model()->index(499, 1)));
    EXPECT_EQ(g.Top_Row(), 495);
    EXPECT_EQ(view.rowAt(0), 494);
}
