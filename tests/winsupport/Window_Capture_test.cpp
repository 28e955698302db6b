#include "winsupport/Window_Capture.h"

#include <gtest/gtest.h>
#include <QFrame>
#include <QImage>
#include <QPainter>

namespace {
// Red on the left half, blue on the right, inside a 4-pixel frame.
class Two_Colours : public QFrame {
public:
    Two_Colours() {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(4);
        resize(108, 58);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        const QRect c = contentsRect();
        p.fillRect(QRect(c.left(), c.top(), c.width() / 2, c.height()), Qt::red);
        p.fillRect(QRect(c.left() + c.width() / 2, c.top(), c.width() - c.width() / 2, c.height()), Qt::blue);
        QFrame::paintEvent(e);
    }
};
}  // namespace

TEST(Window_Capture, Copies_The_Rectangle_Of_The_Client_Area_Or_The_Whole_Widget) {
    Two_Colours w;
    ASSERT_EQ(w.contentsRect().topLeft(), QPoint(4, 4));
    struct Case {
        const char* name;
        bool client;
        QRect rect;
        QColor left, right;
    };
    const Case cases[] = {
        {"client area, both halves", true, {40, 10, 20, 10}, Qt::red, Qt::blue},
        {"whole widget, frame in the corner", false, {0, 0, 10, 10}, Qt::black, Qt::red},
        {"client area from its corner", true, {0, 0, 10, 10}, Qt::red, Qt::red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QPixmap pic = Capture_Window(&w, c.client, c.rect.left(), c.rect.top(), c.rect.width(), c.rect.height());
        ASSERT_FALSE(pic.isNull());
        EXPECT_EQ(pic.size() / pic.devicePixelRatio(), c.rect.size());
        const QImage img = pic.toImage();
        EXPECT_EQ(img.pixelColor(1, img.height() / 2), c.left);
        EXPECT_EQ(img.pixelColor(img.width() - 1, img.height() / 2), c.right);
    }
    // The client flag moves the origin inside the frame.
    EXPECT_EQ(Capture_Window(&w, true, 0, 0, 30, 20).toImage(), Capture_Window(&w, false, 4, 4, 30, 20).toImage());
}

TEST(Window_Capture, Outside_The_Widget_Stays_Transparent_And_Bad_Arguments_Give_Nothing) {
    Two_Colours w;
    const QImage img = Capture_Window(&w, false, 100, 0, 20, 10).toImage();
    EXPECT_EQ(img.pixelColor(2, 5), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(6, 5), QColor(Qt::black));  // the frame on the right
    EXPECT_EQ(img.pixelColor(15, 5).alpha(), 0);
    EXPECT_TRUE(Capture_Window(nullptr, false, 0, 0, 10, 10).isNull());
    EXPECT_TRUE(Capture_Window(&w, false, 0, 0, 0, 10).isNull());
    EXPECT_TRUE(Capture_Window(&w, true, 0, 0, 10, -1).isNull());
}

TEST(Window_Capture, A_Bitmap_Picture_Gets_Its_Palette) {
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.fill(1);
    const QPixmap pic = Create_Bitmap_Picture(indexed, {qRgb(0, 0, 0), qRgb(0, 200, 0)});
    EXPECT_EQ(pic.toImage().pixelColor(2, 2), QColor(0, 200, 0));
    EXPECT_TRUE(Create_Bitmap_Picture(QImage()).isNull());
}
