#include "search/Text_Order.h"

#include "model/Cp1252.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>
#include <type_traits>
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

// A text's code units, whether it is held as UTF-16 or as Windows-1252 bytes (each
// byte read as the character it stands for), so that a text of the record store is
// ordered where it lies, without being decoded first.
const char16_t* Narrow_Units() {
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = Cp1252_To_Unicode(static_cast<unsigned char>(b));
        return t;
    }();
    return table.data();
}

// The weights of the Windows-1252 bytes, by byte: a narrow text's weights in one look-up.
const Weight* Narrow_Weights() {
    static const auto table = [] {
        std::array<Weight, 256> t{};
        for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = Weights().w[Narrow_Units()[b]];
        return t;
    }();
    return table.data();
}

struct Wide_Text {
    const char16_t* p;
    qsizetype n;
    char16_t operator[](qsizetype i) const { return p[i]; }
    const Weight& Weight_At(const Weight* w, qsizetype i) const { return w[p[i]]; }
};

struct Narrow_Text {
    const unsigned char* p;
    qsizetype n;
    const char16_t* units;
    const Weight* weights;
    char16_t operator[](qsizetype i) const { return units[p[i]]; }
    const Weight& Weight_At(const Weight*, qsizetype i) const { return weights[p[i]]; }
};

// Walks the base-level weights of a text.
template <class T> struct Base_Cursor {
    const Weight* w;
    T t;
    qsizetype i = 0;
    quint16 pending = 0;

    quint16 Next() {
        if (pending) {
            const quint16 r = pending;
            pending = 0;
            return r;
        }
        while (i < t.n) {
            const Weight& x = t.Weight_At(w, i++);
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
template <bool Accents, class A, class B> int Compare_Level(const Weight* w, A a, B b) {
    auto next = [w](auto& t, qsizetype& i) -> int {
        while (i < t.n) {
            const Weight& x = t.Weight_At(w, i++);
            if (Accents) {
                if (x.p1 || x.accent) return x.accent + 1;
            } else if (x.p1) {
                return x.upper + 1;
            }
        }
        return 0;
    };
    qsizetype ia = 0, ib = 0;
    for (;;) {
        const int va = next(a, ia);
        const int vb = next(b, ib);
        if (va != vb) return va < vb ? -1 : 1;
        if (va == 0) return 0;
    }
}

// The code units in order, then the shorter first.
template <class A, class B> int Compare_Units(A a, B b) {
    const qsizetype n = std::min(a.n, b.n);
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return Sign(static_cast<int>(a.n > b.n) - static_cast<int>(a.n < b.n));
}

template <class A, class B> int Compare(A a, B b) {
    const Weight* w = Weights().w.data();
    Base_Cursor<A> ca{w, a};
    Base_Cursor<B> cb{w, b};
    for (;;) {
        const quint16 x = ca.Next();
        const quint16 y = cb.Next();
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) break;
    }
    if (const int r = Compare_Level<true>(w, a, b)) return r;
    if (const int r = Compare_Level<false>(w, a, b)) return r;
    if constexpr (std::is_same_v<A, Wide_Text> && std::is_same_v<B, Wide_Text>)
        return Sign(QStringView(a.p, a.n).compare(QStringView(b.p, b.n), Qt::CaseSensitive));
    else
        return Compare_Units(a, b);
}

// From the place `from` names (see Text_Order_Key_Of), which is moved on to where the
// key ends.
template <class T> Text_Order_Key Key_Of(T t, quint32* from = nullptr) {
    Base_Cursor<T> c{Weights().w.data(), t};
    if (from) {
        c.i = *from >> 1;
        if (c.i > t.n) return {};
        if ((*from & 1) && c.i > 0) c.pending = c.t.Weight_At(c.w, c.i - 1).p2;
    }
    Text_Order_Key k;
    for (int filled = 0; filled < Text_Order_Key_Slots; ++filled) {
        const quint16 x = c.Next();
        if (!x) break;
        k.Prefix[static_cast<size_t>(filled >> 2)] |= static_cast<quint64>(x) << (48 - 16 * (filled & 3));
    }
    if (from) *from = static_cast<quint32>(c.i) << 1 | (c.pending ? 1 : 0);
    return k;
}

Wide_Text Wide(QStringView s) { return {s.utf16(), s.size()}; }

template <class F> auto With_Units(const Text_View& t, F&& f) {
    if (t.Narrow())
        return f(
            Narrow_Text{reinterpret_cast<const unsigned char*>(t.Bytes()), t.size(), Narrow_Units(), Narrow_Weights()});
    return f(Wide_Text{t.Units(), t.size()});
}

bool Same_Texts(const Text_View& a, const Text_View& b) {
    if (a.size() != b.size()) return false;
    if (a.Narrow() == b.Narrow()) {
        const std::size_t bytes = static_cast<std::size_t>(a.size()) * (a.Narrow() ? 1 : 2);
        return a.Bytes() == b.Bytes() || std::memcmp(a.Bytes(), b.Bytes(), bytes) == 0;
    }
    return With_Units(a, [&](auto x) { return With_Units(b, [&](auto y) { return Compare_Units(x, y) == 0; }); });
}

}  // namespace

Text_Order_Key Text_Order_Key_Of(QStringView text) { return Key_Of(Wide(text)); }

Text_Order_Key Text_Order_Key_Of(const Text_View& text, quint32* from) {
    return With_Units(text, [from](auto t) { return Key_Of(t, from); });
}

int Text_Order_Compare(QStringView a, QStringView b) { return Compare(Wide(a), Wide(b)); }

int Text_Order_Compare(const Text_View& a, const Text_View& b) {
    return With_Units(a, [&](auto x) { return With_Units(b, [&](auto y) { return Compare(x, y); }); });
}

int Text_Order_Compare(const Text_Order_Key& ka, QStringView a, const Text_Order_Key& kb, QStringView b) {
    for (size_t i = 0; i < ka.Prefix.size(); ++i)
        if (ka.Prefix[i] != kb.Prefix[i]) return ka.Prefix[i] < kb.Prefix[i] ? -1 : 1;
    // Sorted columns are full of repeated labels: identical texts need no walk.
    if (a == b) return 0;
    return Text_Order_Compare(a, b);
}

int Text_Order_Compare(const Text_Order_Key& ka, const Text_View& a, const Text_Order_Key& kb, const Text_View& b) {
    for (size_t i = 0; i < ka.Prefix.size(); ++i)
        if (ka.Prefix[i] != kb.Prefix[i]) return ka.Prefix[i] < kb.Prefix[i] ? -1 : 1;
    if (Same_Texts(a, b)) return 0;
    return Text_Order_Compare(a, b);
}

bool Text_Order_Same(const Text_View& a, const Text_View& b) { return Same_Texts(a, b); }

bool Text_Order_Leads_Before_Digits(const Text_Order_Key& key) { return (key.Prefix[0] >> 48) < Weights().digit_floor; }
