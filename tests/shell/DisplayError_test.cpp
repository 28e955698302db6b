#include "shell/DisplayError.h"
#include "winsupport/Twips.h"

#include "Shell_Fixture.h"

#include <gtest/gtest.h>

namespace {
QStringList Numbered(int n) {
    QStringList l;
    for (int i = 1; i <= n; ++i) l << QString("Line %1").arg(i);
    return l;
}
}  // namespace

TEST(DisplayError, Shows_Up_To_300_Lines_Joined_By_CrLf_And_Ok_Closes) {
    const QString cut = "\r\nToo many errors: truncated !";
    const struct {
        int lines;
        QString text;
    } cases[] = {
        {0, ""},
        {2, "Line 1\r\nLine 2"},
        {300, Numbered(300).join("\r\n")},
        {301, Numbered(300).join("\r\n") + cut},
        {1000, Numbered(300).join("\r\n") + cut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(DisplayError::Error_Text(Numbered(c.lines)), c.text);
        if (c.lines < 2) continue;
        // Shown, the box holds the same lines.
        DisplayError w;
        w.List_Erreurs = Numbered(c.lines);
        w.show();
        QStringList expected = Numbered(std::min(c.lines, 300));
        if (c.lines > 300) expected << "Too many errors: truncated !";
        EXPECT_EQ(Box_Lines(w), expected);
        EXPECT_TRUE(w.Text_Err->isReadOnly());
        w.OKButton->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
    }
}

TEST(DisplayError, ResizeLaysOutBoxAndButtonInTwips) {
    DisplayError w;
    w.resize(640, 400);
    w.Form_Resize();
    const int iw = Pixels_To_Twips_X(640, &w), ih = Pixels_To_Twips_Y(400, &w);
    const QRect box = w.Text_Err->geometry();
    EXPECT_EQ(box, QRect(Twips_To_Pixels_X(10, &w), Twips_To_Pixels_Y(10, &w), Twips_To_Pixels_X(iw - 30, &w),
                         Twips_To_Pixels_Y(ih - 500, &w)));
    const int okW = Pixels_To_Twips_X(w.OKButton->width(), &w);
    EXPECT_EQ(w.OKButton->pos(), QPoint(Twips_To_Pixels_X((iw - okW) / 2, &w), Twips_To_Pixels_Y(ih - 400, &w)));
    EXPECT_LE(std::abs(w.OKButton->x() * 2 + w.OKButton->width() - 640), 2);  // centred within a pixel

    // An inner height of 500 twips or less leaves everything where it was.
    const QPoint okBefore = w.OKButton->pos();
    w.resize(640, Twips_To_Pixels_Y(500, &w));
    ASSERT_LE(Pixels_To_Twips_Y(w.height(), &w), 500);
    w.Form_Resize();
    EXPECT_EQ(w.Text_Err->geometry(), box);
    EXPECT_EQ(w.OKButton->pos(), okBefore);
}
