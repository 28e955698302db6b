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

// The box spans the window above the OK button, which is centred; a window too low for
// both (500 twips inside or less) leaves them where they were.
TEST(DisplayError, Resize_Keeps_The_Box_Above_A_Centred_Button) {
    DisplayError w;
    w.resize(640, 400);
    w.Form_Resize();
    const QRect box = w.Text_Err->geometry(), ok = w.OKButton->geometry();
    EXPECT_LE(box.left(), 2);
    EXPECT_GE(box.right(), 640 - 4);
    EXPECT_LT(box.bottom(), ok.top());
    EXPECT_LT(ok.top(), 400);
    EXPECT_LE(std::abs(ok.x() * 2 + ok.width() - 640), 2);  // centred within a pixel
    w.resize(640, Twips_To_Pixels_Y(500, &w));
    ASSERT_LE(Pixels_To_Twips_Y(w.height(), &w), 500);
    w.Form_Resize();
    EXPECT_EQ(w.Text_Err->geometry(), box);
    EXPECT_EQ(w.OKButton->geometry(), ok);
}
