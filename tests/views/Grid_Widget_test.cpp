#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"

#include "Grid_Cells.h"
#include "Views_Fixture.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

// Whether some pixel of r is (or, with same = false, is not) the colour.
bool Any_Pixel(const QImage& img, const QRect& r, const QColor& colour, bool same) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixelColor(x, y) == colour) == same) return true;
    return false;
}

// Shown on the screen at a size, as the window shows it.
void Show(QWidget& w, int width, int height) {
    w.resize(width, height);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

using Grid_On_Sample = Sample_Data;

TEST_F(Grid_On_Sample, Shows_The_Search_Result_Under_Its_Header_Row_And_Follows_A_Sort) {
    Search_Results s;
    const int found = Search_All(s, "EN");
    ASSERT_GT(found, 1);
    Grid_Widget view(s.Data);
    const Text_Grid& g = s.Data;
    // The header row is no model row; column 0 (record numbers) is hidden.
    EXPECT_EQ(view.model()->rowCount(), found);
    EXPECT_TRUE(view.isColumnHidden(0));
    // A sort moves whole rows: the view shows the new order, record numbers included.
    const QString first = g.Text_Matrix(1, 0);
    s.Data.Set_Col(1);
    s.Data.Sort(4);
    ASSERT_NE(g.Text_Matrix(1, 0), first);
    for (int m = 0; m < found; ++m)
        for (int c : {0, 1, 2}) ASSERT_EQ(view.model()->index(m, c).data().toString(), g.Text_Matrix(m + 1, c)) << m;
}

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

TEST(Grid_Widget, Paints_Merged_Runs_Once_And_The_Sort_Arrows) {
    Text_Grid g;
    Fill_Grid(g, {"Country", "Year"}, {{"France", "2004"}, {"France", "1999"}, {"Spain", "1999"}});
    g.Set_Merge_Cells(Grid_Merge::Restrict_Columns);
    g.Set_Merge_Col(1, true);  // merged
    g.Set_Merge_Col(2, false);  // same texts in rows 2 and 3, not merged
    g.Set_Col_Width(1, 1500);
    g.Set_Col_Width(2, 1500);
    g.Set_Row_Height(0, 400);
    Grid_Widget view(g);
    Show(view, 400, 200);
    const QColor base = view.palette().color(QPalette::Base);

    auto shot = [&] { return view.grab().toImage(); };
    const QImage img = shot();
    const QRect france2 = view.Cell_Rect(2, 1), year3 = view.Cell_Rect(3, 2);
    // The second "France" is not written again and no line parts it from the first.
    EXPECT_FALSE(Any_Pixel(img, france2.adjusted(1, 1, -2, -2), base, false));
    EXPECT_EQ(img.pixelColor(france2.center().x(), france2.top() - 1), base);
    EXPECT_TRUE(Any_Pixel(img, year3.adjusted(1, 1, -2, -2), base, false));
    EXPECT_NE(img.pixelColor(year3.center().x(), year3.top() - 1), base);

    // Arrows at the right-top of the header cell, drawn only when asked for.
    const QRect header = view.Cell_Rect(0, 2);
    const QRect corner(header.right() - header.height() / 2 - 6, header.top() + 1, header.height() / 2 + 4,
                       header.height() / 2);
    const QColor ink = view.palette().color(QPalette::ButtonText);
    auto arrow_ink = [&](const QImage& i) { return Any_Pixel(i, corner, ink, true); };
    EXPECT_FALSE(arrow_ink(img));
    std::vector<QImage> arrows;
    for (Grid_Picture p : {Grid_Picture::Ascending, Grid_Picture::Descending}) {
        g.Set_Cell_Picture_Alignment(0, 2, Grid_Alignment::Right_Top);
        g.Set_Cell_Picture(0, 2, p);
        arrows.push_back(shot());
        EXPECT_TRUE(arrow_ink(arrows.back())) << static_cast<int>(p);
    }
    EXPECT_NE(arrows[0].copy(corner), arrows[1].copy(corner));
    // A heading too long for its cell stops short of the arrow's room.
    const QRect under_arrow(header.right() - 12, corner.bottom() + 1, 10, header.bottom() - corner.bottom() - 2);
    const auto band_with = [&](const char* text) {
        g.Set_Text_Matrix(0, 2, QString::fromUtf8(text));
        return shot().copy(under_arrow);
    };
    const char* long_heading = "Year of the recommendation, as given by the project";
    EXPECT_EQ(band_with(long_heading), band_with(""));
    g.Set_Cell_Picture(0, 2, Grid_Picture::None);
    EXPECT_NE(band_with(long_heading), band_with(""));  // without an arrow the text runs on
    g.Set_Text_Matrix(0, 2, "Year");
    EXPECT_FALSE(arrow_ink(shot()));
}

TEST(Grid_Widget, A_Row_Taller_Than_One_Line_Shows_The_Texts_Line_Breaks) {
    Text_Grid g;
    Fill_Grid(g, {"Text"}, {{"first\nsecond\nthird"}});
    g.Set_Col_Width(1, 3000);
    Grid_Widget view(g);
    Show(view, 400, 300);
    g.Set_Row_Height(1, Pixels_To_Twips_Y(view.fontMetrics().lineSpacing() * 4, &view));
    const QImage img = view.grab().toImage();
    const QRect cell = view.Cell_Rect(1, 1).adjusted(1, 1, -2, -2);
    const QColor base = view.palette().color(QPalette::Base);
    // Bands of pixel rows holding ink: one per line, none flattened into one.
    int bands = 0;
    bool in_band = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        const bool ink = Any_Pixel(img, QRect(cell.left(), y, cell.width(), 1), base, false);
        if (ink && !in_band) ++bands;
        in_band = ink;
    }
    EXPECT_EQ(bands, 3);
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
