#include "shell/DisplayError.h"
#include "winsupport/Twips.h"

#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {
QStringList Numbered(int n) {
    QStringList l;
    for (int i = 1; i <= n; ++i) l << QString("Line %1").arg(i);
    return l;
}
// The box's text back as lines; CR LF must come out as one break, not two.
QStringList Box_Lines(const DisplayError& w) {
    QString t = w.Text_Err->toPlainText();
    t.replace("\r\n", "\n");
    return t.split('\n');
}
}  // namespace

TEST(DisplayError, ShowsUpTo300LinesJoinedByCrLf) {
    EXPECT_EQ(DisplayError::Error_Text({}), "");
    EXPECT_EQ(DisplayError::Error_Text({"a", "b"}), "a\r\nb");
    EXPECT_EQ(DisplayError::Error_Text(Numbered(300)), Numbered(300).join("\r\n"));
    EXPECT_EQ(DisplayError::Error_Text(Numbered(301)),
              Numbered(300).join("\r\n") + "\r\nToo many errors: truncated !");
    EXPECT_EQ(DisplayError::Error_Text(Numbered(1000)), DisplayError::Error_Text(Numbered(301)));
}

TEST(DisplayError, ActivationFillsTheBox) {
    for (int n : {300, 301}) {
        DisplayError w;
        w.List_Erreurs = Numbered(n);
        w.show();
        const QStringList lines = Box_Lines(w);
        ASSERT_EQ(lines.size(), n == 300 ? 300 : 301) << n;
        EXPECT_EQ(lines[0], "Line 1");
        EXPECT_EQ(lines[299], "Line 300");
        if (n == 301) {
            EXPECT_EQ(lines[300], "Too many errors: truncated !");
        }
        EXPECT_TRUE(w.Text_Err->isReadOnly());
    }
}

TEST(DisplayError, ResizeLaysOutBoxAndButtonInTwips) {
    DisplayError w;
    w.resize(640, 400);
    w.Form_Resize();
    const int iw = Pixels_To_Twips_X(640, &w), ih = Pixels_To_Twips_Y(400, &w);
    const QRect box = w.Text_Err->geometry();
    EXPECT_EQ(box.topLeft(), QPoint(Twips_To_Pixels_X(10, &w), Twips_To_Pixels_Y(10, &w)));
    EXPECT_EQ(box.width(), Twips_To_Pixels_X(iw - 30, &w));
    EXPECT_EQ(box.height(), Twips_To_Pixels_Y(ih - 500, &w));
    const int okW = Pixels_To_Twips_X(w.OKButton->width(), &w);
    EXPECT_EQ(w.OKButton->pos(), QPoint(Twips_To_Pixels_X((iw - okW) / 2, &w), Twips_To_Pixels_Y(ih - 400, &w)));
    // Centred within a pixel.
    EXPECT_LE(std::abs(w.OKButton->x() * 2 + w.OKButton->width() - 640), 2);

    // An inner height of 500 twips or less leaves everything where it was.
    const QRect boxBefore = w.Text_Err->geometry();
    const QPoint okBefore = w.OKButton->pos();
    w.resize(640, Twips_To_Pixels_Y(500, &w));
    ASSERT_LE(Pixels_To_Twips_Y(w.height(), &w), 500);
    w.Form_Resize();
    EXPECT_EQ(w.Text_Err->geometry(), boxBefore);
    EXPECT_EQ(w.OKButton->pos(), okBefore);
}

TEST(DisplayError, OkCloses) {
    DisplayError w;
    w.show();
    ASSERT_TRUE(w.isVisible());
    w.OKButton->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}
