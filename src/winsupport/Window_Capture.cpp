#include "winsupport/Window_Capture.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

QPixmap Capture_Window(QWidget* hWndSrc, bool Client, int LeftSrc, int TopSrc, int WidthSrc, int HeightSrc) {
    if (!hWndSrc || WidthSrc <= 0 || HeightSrc <= 0) return {};
    // The client area of a framed widget starts inside its frame.
    QPoint origin(0, 0);
    if (Client) origin = hWndSrc->contentsRect().topLeft();
    const QRect wanted(origin + QPoint(LeftSrc, TopSrc), QSize(WidthSrc, HeightSrc));
    const QRect inside = wanted.intersected(hWndSrc->rect());
    const qreal dpr = hWndSrc->devicePixelRatioF();
    QPixmap out(QSize(WidthSrc, HeightSrc) * dpr);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    if (!inside.isEmpty()) {
        const QPixmap part = hWndSrc->grab(inside);
        QPainter p(&out);
        p.drawPixmap(inside.topLeft() - wanted.topLeft(), part);
    }
    return Create_Bitmap_Picture(out.toImage(), Capture_Palette(hWndSrc));
}

QList<QRgb> Capture_Palette(const QWidget*) {
    // A grab is always true-colour, whatever the display: there is no system palette to
    // carry along.
    return {};
}

QPixmap Create_Bitmap_Picture(const QImage& bitmap, const QList<QRgb>& palette) {
    if (bitmap.isNull()) return {};
    if (!palette.isEmpty() && bitmap.format() == QImage::Format_Indexed8) {
        QImage indexed = bitmap;
        indexed.setColorTable(palette);
        return QPixmap::fromImage(indexed);
    }
    return QPixmap::fromImage(bitmap);
}
