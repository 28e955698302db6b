#include "shell/Sifa_Picture.h"

#include <QPainter>
#include <QPainterPath>

QPixmap Sifa_Picture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 100.0;
    p.scale(s, s);

    // The table: a sheet with a header band and ruled rows.
    p.setPen(QPen(QColor(40, 70, 120), 2));
    p.setBrush(QColor(245, 248, 252));
    p.drawRoundedRect(QRectF(6, 10, 70, 78), 5, 5);
    p.setBrush(QColor(70, 110, 170));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(7, 11, 68, 12));
    p.setPen(QPen(QColor(160, 180, 205), 1.2));
    for (int y = 35; y < 88; y += 10) p.drawLine(QPointF(8, y), QPointF(74, y));
    p.drawLine(QPointF(28, 23), QPointF(28, 87));
    p.drawLine(QPointF(52, 23), QPointF(52, 87));
    // One found row, highlighted.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 205, 80, 200));
    p.drawRect(QRectF(8, 45.5, 66, 9));

    // The magnifying glass over it.
    p.setPen(QPen(QColor(30, 45, 70), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(74, 72), QPointF(92, 92));
    p.setPen(QPen(QColor(30, 45, 70), 4));
    p.setBrush(QColor(200, 225, 255, 110));
    p.drawEllipse(QPointF(62, 52), 17, 17);
    return pm;
}
