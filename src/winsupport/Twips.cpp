#include "winsupport/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {
double Dpi(const QWidget* w, bool horizontal) {
    const QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? (horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY()) : 96.0;
    return dpi > 0 ? dpi : 96.0;
}
int To_Pixels(int twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }
int To_Twips(int pixels, double dpi) { return static_cast<int>(std::lround(pixels * 1440.0 / dpi)); }
}  // namespace

int Twips_To_Pixels_X(int twips, const QWidget* w) { return To_Pixels(twips, Dpi(w, true)); }
int Twips_To_Pixels_Y(int twips, const QWidget* w) { return To_Pixels(twips, Dpi(w, false)); }
int Pixels_To_Twips_X(int pixels, const QWidget* w) { return To_Twips(pixels, Dpi(w, true)); }
int Pixels_To_Twips_Y(int pixels, const QWidget* w) { return To_Twips(pixels, Dpi(w, false)); }
