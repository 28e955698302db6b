#include "views/Result_View.h"

#include "Result_Cells.h"
#include "Views_Fixture.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>

namespace {

// Whether some pixel of r is (or, with same = false, is not) the colour.
bool Any_Pixel(const QImage& img, const QRect& r, const QColor& colour, bool same) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixelColor(x, y) == colour) == same) return true;
    return false;
}

void Show(QWidget& w, int width, int height) {
    w.resize(width, height);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

TEST(Result_View, Paints_Merged_Runs_Once_Line_Breaks_And_The_Sort_Arrows) {
    Hand_Result r({"5", "5", "5"}, {"Country", "Year", "Text"},
                  {{"France", "2004", "one"}, {"France", "1999", "first\nsecond\nthird"}, {"Spain", "1999", "x"}});
    Result_Model& m = r.Model;
    Result_View view(m);
    for (int c = 0; c < 3; ++c) view.setColumnWidth(c, 100);
    view.Set_Row_Heights({20, view.fontMetrics().lineSpacing() * 4, 20});
    Show(view, 400, 300);
    const QColor base = view.palette().color(QPalette::Base);
    const auto shot = [&] { return view.viewport()->grab().toImage(); };
    const QImage img = shot();
    // The second "France" is not written again and no line parts it from the first; the two
    // 1999 of another column are merged too.
    const QRect france2 = view.Cell_Rect(1, 0), year3 = view.Cell_Rect(2, 1);
    EXPECT_FALSE(Any_Pixel(img, france2.adjusted(1, 1, -2, -2), base, false));
    EXPECT_EQ(img.pixelColor(france2.center().x(), france2.top() - 1), base);
    EXPECT_FALSE(Any_Pixel(img, year3.adjusted(1, 1, -2, -2), base, false));
    const QRect spain = view.Cell_Rect(2, 0);
    EXPECT_TRUE(Any_Pixel(img, spain.adjusted(1, 1, -2, -2), base, false));

    // Bands of pixel rows holding ink: one per line, none flattened into one.
    const QRect lines = view.Cell_Rect(1, 2).adjusted(1, 1, -2, -2);
    int bands = 0;
    bool in_band = false;
    for (int y = lines.top(); y <= lines.bottom(); ++y) {
        const bool ink = Any_Pixel(img, QRect(lines.left(), y, lines.width(), 1), base, false);
        if (ink && !in_band) ++bands;
        in_band = ink;
    }
    EXPECT_EQ(bands, 3);

    // Arrows at the right-top of the heading, drawn only when asked for; a key number beside.
    QHeaderView* h = view.horizontalHeader();
    const auto heading = [&] { return h->viewport()->grab().toImage(); };
    const QRect cell(h->sectionViewportPosition(1), 0, h->sectionSize(1), h->height());
    const QRect corner(cell.right() - 16, cell.top(), 16, cell.height() / 2);
    const QColor ink = view.palette().color(QPalette::ButtonText);
    EXPECT_FALSE(Any_Pixel(heading(), corner, ink, true));
    std::vector<QImage> arrows;
    for (Sort_Arrow a : {Sort_Arrow::Ascending, Sort_Arrow::Descending}) {
        m.Set_Arrow(1, a);
        arrows.push_back(heading().copy(corner));
        EXPECT_TRUE(Any_Pixel(arrows.back(), arrows.back().rect(), ink, true)) << static_cast<int>(a);
    }
    EXPECT_NE(arrows[0], arrows[1]);
    const QRect digits(corner.left() - 12, corner.top(), 12, corner.height());
    const QImage without = heading().copy(digits);
    m.Set_Arrow(1, Sort_Arrow::Descending, 2);
    EXPECT_NE(heading().copy(digits), without);
    m.Clear_Arrows();
    EXPECT_FALSE(Any_Pixel(heading(), corner, ink, true));
}
