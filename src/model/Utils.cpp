#include "model/Utils.h"

#include <cmath>
#include <limits>
#include <optional>

bool Has_Any_Char(const QString& text, const QString& chars) {
    if (text.isEmpty()) return false;
    for (const QChar c : chars)
        if (text.contains(c)) return true;
    return false;
}

bool Is_Even(qint32 n) { return Round_Half_Even(n / 2.0) * 2 == n; }

namespace {
// A range bound is taken as a 32-bit whole number; a bound beyond it names
// no field, so its element yields nothing (and the arithmetic below cannot overflow).
std::optional<qint64> Range_Bound(double x) {
    const double r = std::nearbyint(x);
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max()) return std::nullopt;
    return static_cast<qint64>(r);
}
}  // namespace

void Read_Range_List(const QString& rangeList, const std::function<void(qint64 from, qint64 to)>& span,
                     const std::function<void(const QString& element)>& text) {
    for (const QString& raw : rangeList.split(QLatin1Char(','))) {
        const QString element = raw.trimmed();
        if (element.isEmpty()) continue;
        const QStringList parts = element.split(QLatin1Char('-'));
        const QString first = parts[0].trimmed();
        const auto a = Parse_Number(first);
        if (!a) {
            if (!first.isEmpty()) text(element);
            continue;
        }
        const auto from = Range_Bound(*a);
        if (!from) continue;
        if (parts.size() == 1) {
            span(*from, *from);
            continue;
        }
        const auto b = Parse_Number(parts[1].trimmed());
        const auto to = b ? Range_Bound(*b) : std::nullopt;
        if (to && *to < *from + 10000) span(*from, *to);
    }
}

QStringList Expand_Range_List(const QString& rangeList) {
    QStringList out;
    Read_Range_List(
        rangeList,
        [&out](qint64 from, qint64 to) {
            for (qint64 i = from; i <= to; ++i) out << QString::number(i);
        },
        [&out](const QString& element) { out << element; });
    if (out.isEmpty()) out << QString();
    return out;
}

QString Join_Filter(const QStringList& texts, const QString& separator) {
    if (texts.isEmpty()) return QString();
    QString r;
    for (const QString& t : texts) r += t + separator;
    if (texts.size() % 2 == 1) r += QStringLiteral("*.*") + separator;
    return r + separator;
}
