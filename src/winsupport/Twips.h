#pragma once
// Window geometry rules are written in twips (1440 per inch); these convert with the
// screen's logical resolution (15 twips per pixel at 96 DPI). Only the search window
// and its grid still measure in twips; every other window is laid out by Qt layouts.
class QWidget;

int Twips_To_Pixels_X(int twips, const QWidget* w = nullptr);
int Twips_To_Pixels_Y(int twips, const QWidget* w = nullptr);
int Pixels_To_Twips_X(int pixels, const QWidget* w = nullptr);
int Pixels_To_Twips_Y(int pixels, const QWidget* w = nullptr);
