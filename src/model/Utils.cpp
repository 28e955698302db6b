#include "model/Utils.h"

#include <cmath>
#include <limits>
#include <optional>

Value Value_If_Null(const Value& value, const Value& dflt) { return value.isNull() ? dflt : value; }

Value Double_Char(const Value& value, const QString& what) {
    if (!value.isString() || what.isEmpty()) return value;
    QString s = value.rawString();
    s.replace(what, what + what);  // left to right, without overlap
    return Value::String(s);
}

QString Double_Quotes(const QString& text) { return To_Text(Double_Char(Value::String(text), QStringLiteral("\""))); }

bool Has_Any_Char(const QString& text, const QString& chars) {
    if (text.isEmpty()) return false;
    for (const QChar c : chars)
        if (text.contains(c)) return true;
    return false;
}

QString Quote_Value(const QString& text, bool force, const QString& specialChars) {
    if (force || Has_Any_Char(text, specialChars)) return QLatin1Char('"') + Double_Quotes(text) + QLatin1Char('"');
    return text;
}

bool Is_Even(qint32 n) { return Round_Half_Even(n / 2.0) * 2 == n; }

QString Trim_Chars(const QString& text, QString& chars) {
    if (chars.isEmpty()) chars = QStringLiteral(" \u00A0\r\n");
    qsizetype b = 0, e = text.size();
    while (b < e && chars.contains(text[b])) ++b;
    while (e > b && chars.contains(text[e - 1])) --e;
    return text.mid(b, e - b);
}

QString Trim_Chars(const QString& text) {
    QString chars;
    return Trim_Chars(text, chars);
}

namespace {
// The classic conversion of a range bound is to a 32-bit Long; a bound beyond it names
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

void Split_At(qint32 occurrence, const QString& separator, const QString& text, QString& left, QString& right) {
    if (separator.isEmpty()) {
        left.clear();
        right.clear();
        return;
    }
    qsizetype p = -1;
    qsizetype from = separator.size() - 1;  // the classic first search starts at the separator's length
    for (qint32 n = 0; occurrence == 0 || n < occurrence; ++n) {
        const qsizetype found = text.indexOf(separator, from);
        if (found < 0) break;
        p = found;
        from = found + separator.size();
    }
    if (p < 0) {
        left.clear();
        right = text;
        return;
    }
    left = text.left(p);
    right = text.mid(p + separator.size());
}

void Split_Path(const QString& path, QString& directory, QString& file) {
    QString unified = path;
    unified.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QString name;
    Split_At(0, QStringLiteral("\\"), unified, directory, name);
    // Same lengths as the caller's path, so its own separators are given back.
    directory = path.left(directory.size());
    file = path.right(name.size());
}

void Split_Path(const QString& path, QString& directory, QString& file, QString& extension) {
    QString name;
    Split_Path(path, directory, name);
    QString before, after;
    Split_At(0, QStringLiteral("."), name, before, after);
    if (!name.contains(QLatin1Char('.'))) {
        file = name;
        extension.clear();
    } else {
        file = before;
        extension = after;
    }
}
