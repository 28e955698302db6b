#pragma once
// Copying a rectangle of a widget's image into a picture.
#include <QList>
#include <QPixmap>
#include <QRgb>

class QImage;
class QWidget;

// The rectangle (left, top, width, height) of hWndSrc, in pixels, from its client area
// (inside its frame) when Client is true, else from the whole widget. Parts outside the
// widget are left transparent; a null picture for no widget or an empty rectangle.
QPixmap Capture_Window(QWidget* hWndSrc, bool Client, int LeftSrc, int TopSrc, int WidthSrc, int HeightSrc);

// The palette a capture carries: always empty, since a grab is true-colour.
QList<QRgb> Capture_Palette(const QWidget* w);
// A picture of a bitmap and its palette (empty: none); an indexed bitmap gets the
// palette as its colour table.
QPixmap Create_Bitmap_Picture(const QImage& bitmap, const QList<QRgb>& palette = {});
