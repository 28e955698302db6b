#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>
#include <QScreen>
#include <QWidget>

TEST(Fit_To_Screen, No_Window_Opens_Larger_Than_The_Screen) {
    Keep_Windows_On_Screen();
    QWidget big;
    big.setMinimumSize(9000, 9000);
    big.resize(12000, 12000);
    big.show();
    const QRect free = big.screen()->availableGeometry();
    EXPECT_LE(big.width(), free.width());
    EXPECT_LE(big.height(), free.height());
    EXPECT_LE(big.minimumWidth(), free.width());
    // A window that fits is left as it is.
    QWidget small;
    small.resize(200, 100);
    small.show();
    EXPECT_EQ(small.size(), QSize(200, 100));
}

TEST(Titled_Tip, Bold_Title_Over_The_Text_And_Long_Titles_Cut) {
    EXPECT_EQ(Titled_Tip("2004/5368/2/A & B", "Line 1\nLine <2>"),
              "<b>2004/5368/2/A &amp; B</b><p>Line 1<br>\nLine &lt;2&gt;</p>");
    const QString t99(99, 'x'), t100(100, 'x');
    EXPECT_TRUE(Titled_Tip(t99, "").startsWith("<b>" + t99 + "</b>"));
    EXPECT_TRUE(Titled_Tip(t100, "").startsWith("<b>" + t100.left(96) + "...</b>"));
}
