#include "Shot_Check.h"

#include <gtest/gtest.h>
#include <QPainter>

namespace {

// A window-like picture: a grey face with a frame, a text-like band and a button.
QImage Window_Picture(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(239, 239, 239));
    QPainter p(&img);
    p.setPen(Qt::black);
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    for (int y = 10; y + 8 < size.height() / 2; y += 14) p.fillRect(10, y, size.width() / 2, 6, Qt::black);
    p.fillRect(size.width() - 90, size.height() - 40, 80, 30, QColor(200, 200, 255));
    return img;
}

QImage Plain(QSize size, QColor colour) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(colour);
    return img;
}

}  // namespace

TEST(Shot_Check, Tells_Unfit_Pictures) {
    const Shot_Limits record{{440, 390}, {460, 410}};
    struct Case {
        const char* name;
        QImage picture;
        Shot_Limits limits;
        const char* problem;  // start of the answer; "" = fit
    };
    QImage dot = Plain({300, 200}, Qt::white);
    dot.setPixel(5, 5, qRgb(0, 0, 0));
    // Alpha alone is no difference: a transparent black face is still one colour.
    QImage alpha = Plain({300, 200}, QColor(0, 0, 0, 255));
    for (int x = 0; x < 300; ++x) alpha.setPixel(x, 0, qRgba(0, 0, 0, 0));
    const Case cases[] = {
        {"a window", Window_Picture({400, 300}), {}, ""},
        {"no picture", QImage(), {}, "no picture"},
        {"unpainted", Plain({400, 300}, Qt::white), {}, "100% of the picture is one colour"},
        {"one dot on a blank face", dot, {}, "100% of the picture is one colour"},
        {"alpha only", alpha, {}, "100% of the picture is one colour"},
        {"in the asked range", Window_Picture({450, 400}), record, ""},
        {"on the range's corners", Window_Picture({440, 410}), record, ""},
        {"too narrow", Window_Picture({439, 400}), record, "439x400 is smaller than 440x390"},
        {"too low", Window_Picture({450, 389}), record, "450x389 is smaller"},
        {"too wide", Window_Picture({461, 400}), record, "461x400 is larger than 460x410"},
        {"a sliver", Window_Picture({30, 300}), {}, "30x300 is smaller"},
    };
    for (const Case& c : cases) {
        const QString got = Picture_Problem(c.picture, c.limits);
        if (*c.problem)
            EXPECT_TRUE(got.startsWith(QString::fromLatin1(c.problem))) << c.name << ": " << got.toStdString();
        else
            EXPECT_TRUE(got.isEmpty()) << c.name << ": " << got.toStdString();
    }
}

TEST(Shot_Check, One_Colour_Share_Is_Measured_Against_The_Limit) {
    // Left part red, right part blue: the share of red decides.
    struct Case {
        int red_columns;  // of 100
        double limit;
        bool fit;
    };
    const Case cases[] = {{50, 0.985, true}, {98, 0.985, true}, {99, 0.985, false}, {90, 0.9, true}, {91, 0.9, false}};
    for (const Case& c : cases) {
        QImage img = Plain({100, 50}, Qt::blue);
        QPainter(&img).fillRect(0, 0, c.red_columns, 50, Qt::red);
        Shot_Limits l;
        l.Max_Share_Of_One_Colour = c.limit;
        EXPECT_EQ(Picture_Problem(img, l).isEmpty(), c.fit) << c.red_columns << " at " << c.limit;
    }
}
