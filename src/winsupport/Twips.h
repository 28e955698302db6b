#pragma once
// Window geometry rules are written in twips (1440 per inch); these convert with the
// screen's logical resolution (15 twips per pixel at 96 DPI).
class QWidget;

int Twips_Per_Pixel_X(const QWidget* w = nullptr);
int Twips_Per_Pixel_Y(const QWidget* w = nullptr);
int Twips_To_Pixels_X(int twips, const QWidget* w = nullptr);
int Twips_To_Pixels_Y(int twips, const QWidget* w = nullptr);
int Pixels_To_Twips_X(int pixels, const QWidget* w = nullptr);
int Pixels_To_Twips_Y(int pixels, const QWidget* w = nullptr);

// Puts a widget at a place given in twips within its parent; a negative size counts as 0.
void Place_Twips(QWidget* w, int left, int top, int width, int height);
