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
    const Case cases[] = {
        {"a window", Window_Picture({400, 300}), {}, ""},
        {"no picture", QImage(), {}, "no picture"},
        {"unpainted", Plain({400, 300}, Qt::white), {}, "100% of the picture is one colour"},
        {"on the range's corners", Window_Picture({440, 410}), record, ""},
        {"too narrow", Window_Picture({439, 400}), record, "439x400 is smaller than 440x390"},
        {"too wide", Window_Picture({461, 400}), record, "461x400 is larger than 460x410"},
        {"a sliver", Window_Picture({30, 300}), {}, "30x300 is smaller"},
    };
    for (const Case& c : cases) {
        const QString got = Picture_Problem(c.picture, c.limits);
        EXPECT_TRUE(*c.problem ? got.startsWith(QString::fromLatin1(c.problem)) : got.isEmpty())
            << c.name << ": " << got.toStdString();
    }
}
