#pragma once
// What makes a window picture unfit for the manuals: no picture, a size outside the
// range asked for, or a picture that is (almost) one colour, as an unpainted window is.
#include <QImage>
#include <QSize>
#include <QString>

struct Shot_Limits {
    QSize Min{40, 40};
    QSize Max{4000, 4000};
    // A real window has text and frames: at most this share of its pixels in one colour.
    double Max_Share_Of_One_Colour = 0.985;
};

// "" when the picture is fit; otherwise why not, in a few words.
QString Picture_Problem(const QImage& picture, const Shot_Limits& limits = {});
