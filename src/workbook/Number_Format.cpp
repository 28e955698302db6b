#include "workbook/Number_Format.h"

#include <QString>

namespace {

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool Is_Date_Letter(char16_t c) {
    switch (Lower(c)) {
    case u'd':
    case u'm':
    case u'y':
    case u'h':
    case u's':
    case u'e':
    case u'g':
    case u'b': return true;
    default: return false;
    }
}

// "[h]", "[mm]", "[ss]": elapsed time, the only bracketed part that makes a format a time.
bool Is_Elapsed_Time(QStringView inside) {
    if (inside.isEmpty()) return false;
    const char16_t first = Lower(inside[0].unicode());
    if (first != u'h' && first != u'm' && first != u's') return false;
    for (QChar c : inside)
        if (Lower(c.unicode()) != first) return false;
    return true;
}

}  // namespace

bool Is_Date_Format_Code(QStringView code) {
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = code[i].unicode();
        switch (c) {
        case u'"': {
            const qsizetype close = code.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) return false;
            i = close;
            continue;
        }
        // The next character is shown as is (\), used for its width (_) or as the fill (*).
        case u'\\':
        case u'_':
        case u'*': ++i; continue;
        case u'[': {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) return false;
            if (Is_Elapsed_Time(code.sliced(i + 1, close - i - 1))) return true;
            i = close;
            continue;
        }
        default: break;
        }
        // "0.00E+00": a scientific exponent, not the era year.
        if ((c == u'E' || c == u'e') && i + 1 < n &&
            (code[i + 1] == QLatin1Char('+') || code[i + 1] == QLatin1Char('-'))) {
            ++i;
            continue;
        }
        if ((c == u'G' || c == u'g') && code.sliced(i).startsWith(QLatin1String("general"), Qt::CaseInsensitive)) {
            i += 6;
            continue;
        }
        if (Is_Date_Letter(c)) return true;
    }
    return false;
}

bool Is_Builtin_Date_Format(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}
