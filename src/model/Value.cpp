#include "model/Value.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <cstdio>
#include <limits>

// One line each: they differ only in the kind and the member they fill.
// clang-format off
Value Value::Null() { Value v; v.t_ = VType::Null; return v; }
Value Value::Integer(std::int16_t x) { Value v; v.t_ = VType::Integer; v.i_ = x; return v; }
Value Value::Long(std::int32_t x) { Value v; v.t_ = VType::Long; v.i_ = x; return v; }
Value Value::Single(float x) { Value v; v.t_ = VType::Single; v.d_ = x; return v; }
Value Value::Double(double x) { Value v; v.t_ = VType::Double; v.d_ = x; return v; }
Value Value::Currency_Raw(std::int64_t raw) { Value v; v.t_ = VType::Currency; v.i_ = raw; return v; }
Value Value::Date(double x) { Value v; v.t_ = VType::Date; v.d_ = x; return v; }
Value Value::String(const QString& s) { Value v; v.t_ = VType::String; v.s_ = s; return v; }
Value Value::String(QString&& s) { Value v; v.t_ = VType::String; v.s_ = std::move(s); return v; }
Value Value::Error(std::int32_t code) { Value v; v.t_ = VType::Error; v.i_ = code; return v; }
Value Value::Boolean(bool b) { Value v; v.t_ = VType::Boolean; v.i_ = b ? -1 : 0; return v; }
Value Value::Byte(std::uint8_t b) { Value v; v.t_ = VType::Byte; v.i_ = b; return v; }
// clang-format on

bool Value::isNumberType() const {
    switch (t_) {
    case VType::Integer:
    case VType::Long:
    case VType::Single:
    case VType::Double:
    case VType::Currency:
    case VType::Byte: return true;
    default: return false;
    }
}

bool Value::operator==(const Value& o) const {
    if (t_ != o.t_) return false;
    switch (t_) {
    case VType::Empty:
    case VType::Null: return true;
    case VType::Single:
    case VType::Double:
    case VType::Date: return d_ == o.d_;
    case VType::String: return s_ == o.s_;
    default: return i_ == o.i_;
    }
}

namespace {

// printf %G gives the same switch to exponent form as CStr; only the exponent's
// look differs ("1E+020" on some C libraries, "1E+20" here) and is normalised.
QString Format_Significant(double x, int digits) {
    if (x == 0) return QStringLiteral("0");
    // Whole numbers that fit the digits print as themselves; years and project numbers
    // fill most of a result grid, and printf is the slow way there.
    const double limit = digits >= 15 ? 1e15 : std::pow(10.0, digits);
    if (std::abs(x) < limit && x == std::trunc(x)) return QString::number(static_cast<qint64>(x));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, x);
    QString s = QString::fromLatin1(buf);
    const qsizetype e = s.indexOf(QLatin1Char('E'));
    QString mant = e < 0 ? s : s.left(e);
    if (mant.contains(QLatin1Char('.'))) {
        while (mant.endsWith(QLatin1Char('0'))) mant.chop(1);
        if (mant.endsWith(QLatin1Char('.'))) mant.chop(1);
    }
    if (e < 0) return mant;
    QString exp = s.mid(e + 1);  // sign and digits
    const QChar sign = exp.at(0);
    QString digitsPart = exp.mid(1);
    while (digitsPart.size() > 2 && digitsPart.startsWith(QLatin1Char('0'))) digitsPart.remove(0, 1);
    return mant + QLatin1Char('E') + sign + digitsPart;
}

// A function, not a namespace-scope object: other files' static tables use dates
// before this file's statics would be set up.
QDate Epoch() { return QDate(1899, 12, 30); }

}  // namespace

std::int64_t Round_Half_Even(double x) {
    return static_cast<std::int64_t>(std::nearbyint(x));  // default rounding mode: to nearest, ties to even
}

double Date_Serial(int year, int month, int day, int hour, int minute, int second) {
    const QDate d(year, month, day);
    const double days = static_cast<double>(Epoch().daysTo(d));
    const double frac = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before the epoch the fraction counts away from zero, as spreadsheet day numbers do.
    return days < 0 ? days - frac : days + frac;
}

QString Format_Date(double dayNumber) {
    // Past the calendar a day number is only a number (a damaged cache or workbook).
    if (!(std::fabs(dayNumber) < 3e6)) return Format_Significant(dayNumber, 15);
    double whole = std::trunc(dayNumber);
    double frac = std::fabs(dayNumber - whole);
    qint64 secs = static_cast<qint64>(std::llround(frac * 86400.0));
    if (secs >= 86400) {
        secs -= 86400;
        whole += dayNumber < 0 ? -1 : 1;
    }
    const QDate d = Epoch().addDays(static_cast<qint64>(whole));
    const QTime t = QTime(0, 0).addSecs(static_cast<int>(secs));
    if (whole == 0 && secs != 0) return t.toString(QStringLiteral("HH:mm:ss"));
    if (secs == 0) return d.toString(QStringLiteral("yyyy-MM-dd"));
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
}

QString To_Text(const Value& v) {
    switch (v.type()) {
    case VType::Empty:
    case VType::Null: return QString();
    case VType::Integer:
    case VType::Long:
    case VType::Byte: return QString::number(v.rawInt());
    case VType::Single: return Format_Significant(v.rawDouble(), 7);
    case VType::Double: return Format_Significant(v.rawDouble(), 15);
    case VType::Currency: {
        const std::int64_t raw = v.rawInt();
        const std::uint64_t mag = raw < 0 ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
        QString s = QString::number(mag / 10000);
        if (const auto frac = mag % 10000) {
            QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
            while (f.endsWith(QLatin1Char('0'))) f.chop(1);
            s += QLatin1Char('.') + f;
        }
        return raw < 0 ? QLatin1Char('-') + s : s;
    }
    case VType::Date: return Format_Date(v.rawDouble());
    case VType::String: return v.rawString();
    case VType::Error: return QStringLiteral("Error %1").arg(v.rawInt());
    case VType::Boolean: return v.rawBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

std::optional<double> Parse_Number(const QString& text) {
    const QString s = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    QByteArray norm;
    norm.reserve(n);
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) norm += char(s[i++].unicode());
    int digits = 0;
    bool sep = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            norm += char(c.unicode());
            ++digits;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !sep) {
            norm += '.';
            sep = true;
        } else
            break;
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        norm += 'e';
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) norm += char(s[i++].unicode());
        int expDigits = 0;
        for (; i < n && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i) {
            norm += char(s[i].unicode());
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    bool ok = false;
    const double d = norm.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return std::nullopt;
    return d;
}

bool Is_Numeric_Text(const QString& s) { return Parse_Number(s).has_value(); }

std::optional<double> To_Number(const Value& v) {
    switch (v.type()) {
    case VType::Empty: return 0.0;
    case VType::Integer:
    case VType::Long:
    case VType::Byte: return static_cast<double>(v.rawInt());
    case VType::Boolean: return v.rawBool() ? -1.0 : 0.0;
    case VType::Single:
    case VType::Double: return v.rawDouble();
    case VType::Currency: return static_cast<double>(v.rawInt()) / 10000.0;
    case VType::String: return Parse_Number(v.rawString());
    default: return std::nullopt;  // Null, Date, Error
    }
}

bool Is_Numeric(const Value& v) { return To_Number(v).has_value(); }

std::optional<std::int32_t> To_Whole(const Value& v) {
    const auto d = To_Number(v);
    if (!d) return std::nullopt;
    const double r = std::nearbyint(*d);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<double> Parse_Date_Text(const QString& text) {
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ](\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression dmy(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})(?: (\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression hms(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const QString s = text.trimmed();
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    QRegularExpressionMatch m;
    auto time = [&](int first) {
        h = m.captured(first).toInt();
        mi = m.captured(first + 1).toInt();
        se = m.captured(first + 2).toInt();
    };
    if ((m = iso.match(s)).hasMatch()) {
        y = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        d = m.captured(3).toInt();
        time(4);
    } else if ((m = dmy.match(s)).hasMatch()) {
        d = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        y = m.captured(3).toInt();
        time(4);
    } else if ((m = hms.match(s)).hasMatch()) {
        time(1);
        if (h > 23 || mi > 59 || se > 59) return std::nullopt;
        return (h * 3600 + mi * 60 + se) / 86400.0;
    } else {
        return std::nullopt;
    }
    if (!QDate::isValid(y, mo, d) || h > 23 || mi > 59 || se > 59) return std::nullopt;
    return Date_Serial(y, mo, d, h, mi, se);
}

std::optional<double> To_Date(const Value& v) {
    if (v.type() == VType::Date) return v.rawDouble();
    if (v.type() == VType::String) return Parse_Date_Text(v.rawString());
    return std::nullopt;
}

bool Is_Date(const Value& v) { return To_Date(v).has_value(); }
