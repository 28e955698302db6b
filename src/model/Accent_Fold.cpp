#include "model/Accent_Fold.h"

namespace {
// Letters that carry their mark in their own shape and so do not decompose.
QStringView Own_Letter(char16_t c) {
    switch (c) {
    case u'Œ': return u"OE";
    case u'œ': return u"oe";
    case u'Æ': return u"AE";
    case u'æ': return u"ae";
    case u'ß': return u"ss";
    case u'ẞ': return u"SS";
    case u'Ø': return u"O";
    case u'ø': return u"o";
    case u'Đ': return u"D";
    case u'đ': return u"d";
    case u'Ł': return u"L";
    case u'ł': return u"l";
    case u'ı': return u"i";
    default: return {};
    }
}
}  // namespace

bool May_Have_Accents(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return true;
    return false;
}

QString Without_Accents(QStringView text) {
    if (!May_Have_Accents(text)) return text.toString();
    // Canonical decomposition only: "ﬁ" or "²" are other characters, not accented ones.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        const QStringView own = Own_Letter(c.unicode());
        if (own.isEmpty())
            out += c;
        else
            out += own;
    }
    return out;
}
