#include "search/Text_Order.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// Weights of one UTF-16 code unit. p1 == 0: ignored at the base level (accents given
// as separate combining marks, invisible format characters). p2: second base weight of
// the letters that count as two ("œ" = "oe").
struct Weight {
    quint16 p1 = 0;
    quint16 p2 = 0;
    quint8 accent = 0;
    quint8 upper = 0;
};

// Base classes, in their order.
enum : quint32 { Symbol = 1, Underscore = 2, Digit = 3, Letter = 4, Surrogate = 5 };

// Accent weights beyond the combining marks.
constexpr quint8 Stroke = 0xF0;  // ø, ł, đ
constexpr quint8 Ligature = 0xF1;  // œ, æ, ß after oe, ae, ss
constexpr quint8 Other_Digit = 0xF2;  // ², ³ after 2, 3

quint8 Accent_Of_Mark(char16_t m) {
    switch (m) {
    case 0x0301: return 1;  // acute
    case 0x0300: return 2;  // grave
    case 0x0302: return 3;  // circumflex
    case 0x0308: return 4;  // diaeresis
    case 0x0327: return 5;  // cedilla
    case 0x0303: return 6;  // tilde
    case 0x030A: return 7;  // ring
    case 0x030C: return 8;  // caron
    case 0x0304: return 9;  // macron
    case 0x0306: return 10;  // breve
    case 0x0328: return 11;  // ogonek
    case 0x0307: return 12;  // dot above
    default: return static_cast<quint8>(20 + m % 200);
    }
}

bool Is_Mark_Category(QChar::Category c) {
    return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining || c == QChar::Mark_Enclosing;
}

quint32 Raw(quint32 cls, quint32 value) { return cls << 16 | value; }

quint32 Folded_Letter(char16_t u) { return Raw(Letter, QChar(u).toCaseFolded().unicode()); }

struct Table {
    std::vector<Weight> w;
    quint16 digit_floor = 0;

    Table() : w(0x10000) {
        // Raw weights first (class and value), then ranked densely into 16 bits.
        std::vector<quint32> raw1(0x10000, 0), raw2(0x10000, 0);
        for (quint32 u = 0; u < 0x10000; ++u) {
            const char16_t cu = static_cast<char16_t>(u);
            const QChar ch(cu);
            Weight& x = w[u];
            const bool upper = ch.isUpper() || ch.isTitleCase();
            auto two = [&](char16_t a, char16_t b, quint8 accent) {
                raw1[u] = Folded_Letter(a);
                raw2[u] = b ? Folded_Letter(b) : 0;
                x.accent = accent;
                x.upper = upper ? 1 : 0;
            };
            switch (u) {
            case 0x0152:
            case 0x0153: two(u'o', u'e', Ligature); continue;
            case 0x00C6:
            case 0x00E6: two(u'a', u'e', Ligature); continue;
            case 0x00DF:
            case 0x1E9E: two(u's', u's', Ligature); continue;
            case 0x00D8:
            case 0x00F8: two(u'o', 0, Stroke); continue;
            case 0x0141:
            case 0x0142: two(u'l', 0, Stroke); continue;
            case 0x0110:
            case 0x0111: two(u'd', 0, Stroke); continue;
            default: break;
            }
            if (ch.isSurrogate()) {
                raw1[u] = Raw(Surrogate, u);
                continue;
            }
            const QChar::Category cat = ch.category();
            if (Is_Mark_Category(cat)) {
                x.accent = cat == QChar::Mark_NonSpacing ? Accent_Of_Mark(cu) : 0;
                continue;
            }
            if (cat == QChar::Other_Format) continue;
            if (cu == u'_') {
                raw1[u] = Raw(Underscore, 0);
                continue;
            }
            if (ch.digitValue() >= 0 && (cat == QChar::Number_DecimalDigit || cat == QChar::Number_Other)) {
                raw1[u] = Raw(Digit, static_cast<quint32>(ch.digitValue()));
                x.accent = cat == QChar::Number_DecimalDigit ? 0 : Other_Digit;
                continue;
            }
            if (ch.isLetter()) {
                x.upper = upper ? 1 : 0;
                raw1[u] = Folded_Letter(cu);
                const bool hangul = u >= 0xAC00 && u <= 0xD7A3;  // syllables decompose into letters, not accents
                if (!hangul && ch.decompositionTag() == QChar::Canonical) {
                    const QString d = QString(ch).normalized(QString::NormalizationForm_D);
                    bool accents_only = d.size() > 1 && d.at(0).isLetter();
                    for (qsizetype i = 1; i < d.size() && accents_only; ++i)
                        accents_only = d.at(i).category() == QChar::Mark_NonSpacing;
                    if (accents_only) {
                        raw1[u] = Folded_Letter(d.at(0).unicode());
                        x.accent = Accent_Of_Mark(d.at(1).unicode());
                    }
                }
                continue;
            }
            raw1[u] = Raw(Symbol, u);
        }
        std::vector<quint32> ranks;
        ranks.reserve(0x10000);
        for (quint32 u = 0; u < 0x10000; ++u)
            if (raw1[u]) ranks.push_back(raw1[u]);
        std::sort(ranks.begin(), ranks.end());
        ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
        auto rank = [&](quint32 r) -> quint16 {
            if (!r) return 0;
            const auto i = std::lower_bound(ranks.begin(), ranks.end(), r) - ranks.begin();
            // Fewer than 65,535 distinct weights exist (accented letters and digits share
            // theirs), so the clamp never merges anything in practice.
            return static_cast<quint16>(std::min<qsizetype>(i + 1, 0xFFFF));
        };
        for (quint32 u = 0; u < 0x10000; ++u) {
            w[u].p1 = rank(raw1[u]);
            w[u].p2 = rank(raw2[u]);
        }
        digit_floor = rank(Raw(Digit, 0));
    }
};

const Table& Weights() {
    static const Table t;
    return t;
}

// Walks the base-level weights of a text.
struct Base_Cursor {
    const Weight* w;
    const char16_t* p;
    const char16_t* e;
    quint16 pending = 0;

    quint16 Next() {
        if (pending) {
            const quint16 r = pending;
            pending = 0;
            return r;
        }
        while (p < e) {
            const Weight& x = w[*p++];
            if (x.p1) {
                pending = x.p2;
                return x.p1;
            }
        }
        return 0;
    }
};

int Sign(int x) { return (x > 0) - (x < 0); }

// Level 2 or 3: one value per code unit that carries a base weight (and, for level 2,
// per accent mark); 0 marks the end.
template <bool Accents> int Compare_Level(const Weight* w, QStringView a, QStringView b) {
    const char16_t* pa = a.utf16();
    const char16_t* ea = pa + a.size();
    const char16_t* pb = b.utf16();
    const char16_t* eb = pb + b.size();
    auto next = [w](const char16_t*& p, const char16_t* e) -> int {
        while (p < e) {
            const Weight& x = w[*p++];
            if (Accents) {
                if (x.p1 || x.accent) return x.accent + 1;
            } else if (x.p1) {
                return x.upper + 1;
            }
        }
        return 0;
    };
    for (;;) {
        const int va = next(pa, ea);
        const int vb = next(pb, eb);
        if (va != vb) return va < vb ? -1 : 1;
        if (va == 0) return 0;
    }
}

}  // namespace

Text_Order_Key Text_Order_Key_Of(QStringView text) {
    const Weight* w = Weights().w.data();
    constexpr int Slots = static_cast<int>(std::tuple_size_v<decltype(Text_Order_Key::Prefix)>) * 4;
    Text_Order_Key k;
    int filled = 0;
    auto push = [&](quint16 x) {
        k.Prefix[filled >> 2] |= static_cast<quint64>(x) << (48 - 16 * (filled & 3));
        ++filled;
    };
    for (const char16_t *p = text.utf16(), *e = p + text.size(); p < e && filled < Slots; ++p) {
        const Weight& x = w[*p];
        if (!x.p1) continue;
        push(x.p1);
        if (x.p2 && filled < Slots) push(x.p2);
    }
    return k;
}

int Text_Order_Compare(QStringView a, QStringView b) {
    const Weight* w = Weights().w.data();
    Base_Cursor ca{w, a.utf16(), a.utf16() + a.size()};
    Base_Cursor cb{w, b.utf16(), b.utf16() + b.size()};
    for (;;) {
        const quint16 x = ca.Next();
        const quint16 y = cb.Next();
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) break;
    }
    if (const int r = Compare_Level<true>(w, a, b)) return r;
    if (const int r = Compare_Level<false>(w, a, b)) return r;
    return Sign(a.compare(b, Qt::CaseSensitive));
}

int Text_Order_Compare(const Text_Order_Key& ka, QStringView a, const Text_Order_Key& kb, QStringView b) {
    for (size_t i = 0; i < ka.Prefix.size(); ++i)
        if (ka.Prefix[i] != kb.Prefix[i]) return ka.Prefix[i] < kb.Prefix[i] ? -1 : 1;
    // Sorted columns are full of repeated labels: identical texts need no walk.
    if (a == b) return 0;
    return Text_Order_Compare(a, b);
}

bool Text_Order_Leads_Before_Digits(const Text_Order_Key& key) { return (key.Prefix[0] >> 48) < Weights().digit_floor; }
