#include "Shot_Check.h"

#include <QHash>

QString Picture_Problem(const QImage& picture, const Shot_Limits& limits) {
    if (picture.isNull()) return QStringLiteral("no picture");
    const QSize s = picture.size();
    const auto text = [](QSize z) { return QStringLiteral("%1x%2").arg(z.width()).arg(z.height()); };
    if (s.width() < limits.Min.width() || s.height() < limits.Min.height())
        return QStringLiteral("%1 is smaller than %2").arg(text(s), text(limits.Min));
    if (s.width() > limits.Max.width() || s.height() > limits.Max.height())
        return QStringLiteral("%1 is larger than %2").arg(text(s), text(limits.Max));

    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, qint64> counts;
    qint64 top = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) top = std::max(top, ++counts[line[x] & 0xFFFFFFu]);
    }
    const double share = static_cast<double>(top) / (static_cast<double>(s.width()) * s.height());
    if (share > limits.Max_Share_Of_One_Colour)
        return QStringLiteral("%1% of the picture is one colour").arg(qRound(share * 1000) / 10.0);
    return {};
}
