#include "search/Criteria.h"

#include "model/Accent_Fold.h"
#include "model/Cp1252.h"
#include "model/Utils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <thread>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

const char16_t* const kLabels_EN[] = {
    u"Equal",    u"Inferior", u"Superior", u"Equal or Inferior", u"Equal or Superior", u"Begin with",
    u"End with", u"Content",  u"Empty"};
const char16_t* const kLabels_FR[] = {
    u"Egal",     u"Inférieur", u"Supérieur", u"Inférieur ou Egal", u"Supérieur ou Egal", u"Commence par",
    u"Fini par", u"Contient",  u"Vide"};

// Digits of a whole number into buf, without allocating once buf is large enough.
QStringView Digits_Into(qint64 n, QString& buf) {
    char16_t tmp[24];
    int len = 0;
    quint64 mag = n < 0 ? 0 - static_cast<quint64>(n) : static_cast<quint64>(n);
    do {
        tmp[len++] = static_cast<char16_t>(u'0' + mag % 10);
        mag /= 10;
    } while (mag);
    if (n < 0) tmp[len++] = u'-';
    buf.resize(len);
    QChar* out = buf.data();
    for (int i = 0; i < len; ++i) out[i] = QChar(tmp[len - 1 - i]);
    return QStringView(buf);
}

// A whole double below 1e15 has the digits of its integer as its text.
bool Is_Small_Whole(double x) { return std::fabs(x) < 1e15 && x == std::trunc(x); }

// Qt lower-cases U+0130 to two characters and astral letters by pairs; every other
// character maps to one, as QChar::toLower gives it.
bool Lowers_Specially(char16_t c) { return c == 0x130 || QChar::isSurrogate(c); }

char16_t Lower_Char(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    return static_cast<char16_t>(QChar::toLower(char32_t(c)));
}

// Eight (SSE2) or four UTF-16 units at a time: plain ASCII capitals get their 0x20 bit,
// anything else is left to the per-character rule.
constexpr quint64 kNotAscii = 0xFF80FF80FF80FF80ull;
constexpr quint64 kLaneBit7 = 0x0080008000800080ull;
constexpr quint64 kLanes(quint64 v) { return v * 0x0001000100010001ull; }

// Lower-cased text, as QString::toLower gives it: text without capitals is used as it
// stands, the rest is lowered into buf, which keeps its capacity.
QStringView Lower_View(QStringView s, QString& buf) {
    const qsizetype n = s.size();
    const char16_t* in = reinterpret_cast<const char16_t*>(s.utf16());
    buf.resize(n);
    char16_t* out = reinterpret_cast<char16_t*>(buf.data());
    quint64 changed = 0;
    qsizetype i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    for (; i + 8 <= n; i += 8) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(x, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128())) !=
            0xFFFF)
            break;
        const __m128i upper =
            _mm_and_si128(_mm_cmpgt_epi16(x, _mm_set1_epi16('A' - 1)), _mm_cmplt_epi16(x, _mm_set1_epi16('Z' + 1)));
        changed |= static_cast<quint64>(_mm_movemask_epi8(upper));
        x = _mm_or_si128(x, _mm_and_si128(upper, _mm_set1_epi16(0x20)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), x);
    }
#endif
    while (i < n) {
        if (i + 4 <= n) {
            quint64 x;
            std::memcpy(&x, in + i, sizeof x);
            if ((x & kNotAscii) == 0) {
                const quint64 ge_A = x + kLanes(0x80 - 'A');
                const quint64 gt_Z = x + kLanes(0x80 - 'Z' - 1);
                const quint64 upper = ge_A & ~gt_Z & kLaneBit7;
                changed |= upper;
                x |= upper >> 2;
                std::memcpy(out + i, &x, sizeof x);
                i += 4;
                continue;
            }
        }
        for (const qsizetype stop = std::min(n, i + 4); i < stop; ++i) {
            if (Lowers_Specially(in[i])) {
                buf = s.toString().toLower();
                return QStringView(buf);
            }
            out[i] = Lower_Char(in[i]);
            changed |= out[i] != in[i];
        }
    }
    return changed ? QStringView(buf) : s;
}

// The text as a comparison sees it: lower-cased, after its accents are taken off when
// they are ignored.
QStringView Compared_View(QStringView s, QString& buf, bool ignore_accents) {
    if (ignore_accents && May_Have_Accents(s)) {
        buf = Without_Accents(s).toLower();
        return QStringView(buf);
    }
    return Lower_View(s, buf);
}

// Lower-cased text of a value, as QString::toLower gives it.
QStringView Lower_Text(const Value& v, QString& buf, bool ignore_accents) {
    switch (v.type()) {
    case VType::Empty:
    case VType::Null: return {};
    case VType::String: return Compared_View(v.rawString(), buf, ignore_accents);
    case VType::Integer:
    case VType::Long:
    case VType::Byte: return Digits_Into(v.rawInt(), buf);
    case VType::Double:
        if (Is_Small_Whole(v.rawDouble())) return Digits_Into(static_cast<qint64>(v.rawDouble()), buf);
        [[fallthrough]];
    default: {
        const QString text = To_Text(v);
        buf = ignore_accents && May_Have_Accents(text) ? Without_Accents(text).toLower() : text.toLower();
        return QStringView(buf);
    }
    }
}

// The data side of a whole-number comparison: the value's text taken as a number.
std::optional<qint32> Whole_Of(const Value& v) {
    switch (v.type()) {
    case VType::Integer:
    case VType::Long:
    case VType::Byte: return static_cast<qint32>(v.rawInt());
    case VType::Double:
        if (Is_Small_Whole(v.rawDouble())) return To_Whole(v);
        break;
    case VType::String: return To_Whole(v);
    default: break;
    }
    const QString text = To_Text(v);
    if (!Is_Numeric_Text(text)) return std::nullopt;
    return To_Whole(Value::String(text));
}

bool Is_Blank(const Value& v) {
    switch (v.type()) {
    case VType::Empty:
    case VType::Null: return true;
    case VType::String: return v.rawString().isEmpty();
    default: return To_Text(v).isEmpty();
    }
}

template <typename T> bool Ordered(qint32 op, const T& d, const T& c) {
    switch (op) {
    case Op_Inferior: return d < c;
    case Op_Superior: return d > c;
    case Op_Equal_Or_Inferior: return d <= c;
    case Op_Equal_Or_Superior: return d >= c;
    default: return false;
    }
}

// Windows-1252 bytes lower-cased as Qt lower-cases their characters: the lower case of
// every character of the code page is in the code page, so a text kept as those bytes
// is matched without decoding it.
struct Narrow_Fold {
    unsigned char lower[256];
    bool closed = true;  // every byte lowers to a byte
    Narrow_Fold() {
        for (int b = 0; b < 256; ++b) {
            const char16_t u = Cp1252_To_Unicode(static_cast<unsigned char>(b));
            const QString l = QString(QChar(u)).toLower();
            QByteArray e;
            if (l.size() != 1 || !Cp1252_Encode(l, e) || e.size() != 1) {
                closed = false;
                lower[b] = static_cast<unsigned char>(b);
            } else {
                lower[b] = static_cast<unsigned char>(e[0]);
            }
        }
    }
};

const Narrow_Fold& Fold() {
    static const Narrow_Fold f;
    return f;
}

// Windows-1252 bytes without their accents, then lower-cased, as Without_Accents and
// QString::toLower give their characters: "É" is "e", "Œ" is "oe", "ß" is "ss". Length 0:
// the character has no such form in the code page.
struct Narrow_Accent_Fold {
    unsigned char bytes[256][2] = {};
    unsigned char length[256] = {};
    Narrow_Accent_Fold() {
        for (int b = 0; b < 256; ++b) {
            const QChar u(Cp1252_To_Unicode(static_cast<unsigned char>(b)));
            QByteArray e;
            if (!Cp1252_Encode(Without_Accents(QStringView(&u, 1)).toLower(), e) || e.isEmpty() || e.size() > 2)
                continue;
            length[b] = static_cast<unsigned char>(e.size());
            for (qsizetype i = 0; i < e.size(); ++i) bytes[b][i] = static_cast<unsigned char>(e[i]);
        }
    }
};

// A text kept as Windows-1252 bytes, without its accents and lower-cased, into out; false
// when one of its characters has no such form (the text is then compared decoded). The
// code page holds no combining mark, so character by character is the same as the whole.
bool Narrow_Without_Accents(const unsigned char* text, qsizetype n, QByteArray& out) {
    static const Narrow_Accent_Fold fold;
    out.resize(2 * n);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    qsizetype k = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = text[i];
        const unsigned char len = fold.length[b];
        if (len == 0) return false;
        o[k++] = fold.bytes[b][0];
        if (len == 2) o[k++] = fold.bytes[b][1];
    }
    out.resize(k);
    return true;
}

bool Folded_Equal(const unsigned char* text, const unsigned char* lowered, qsizetype n, const unsigned char* lower) {
    for (qsizetype i = 0; i < n; ++i)
        if (lower[text[i]] != lowered[i]) return false;
    return true;
}

// The bytes that lower to `lowered`; false when there are more than two.
bool Two_Variants(unsigned char lowered, const unsigned char* lower, unsigned char out[2]) {
    int k = 0;
    for (int b = 0; b < 256; ++b)
        if (lower[b] == lowered) {
            if (k == 2) return false;
            out[k++] = static_cast<unsigned char>(b);
        }
    if (k == 1) out[1] = out[0];
    return k >= 1;
}

// Whether `lowered` (already lower-case) occurs in text, letter case aside. Places where
// both its first and its last byte fit are looked for sixteen at a time, when `ends`
// holds the two bytes each of them may be (Row::ends).
bool Folded_Contains(const unsigned char* text, qsizetype n, const QByteArray& lowered, const unsigned char* lower,
                     const std::optional<std::array<unsigned char, 4>>& ends) {
    const auto* c = reinterpret_cast<const unsigned char*>(lowered.constData());
    const qsizetype m = lowered.size();
    if (m > n) return false;
    const qsizetype last = n - m;
    qsizetype i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    if (ends) {
        const unsigned char* first = ends->data();
        const unsigned char* final = ends->data() + 2;
        const __m128i f0 = _mm_set1_epi8(static_cast<char>(first[0])), f1 = _mm_set1_epi8(static_cast<char>(first[1]));
        const __m128i l0 = _mm_set1_epi8(static_cast<char>(final[0])), l1 = _mm_set1_epi8(static_cast<char>(final[1]));
        for (; i + 16 <= last + 1; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + m - 1));
            const __m128i hit = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x, f0), _mm_cmpeq_epi8(x, f1)),
                                              _mm_or_si128(_mm_cmpeq_epi8(y, l0), _mm_cmpeq_epi8(y, l1)));
            unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
            while (bits) {
                const int j = __builtin_ctz(bits);
                if (Folded_Equal(text + i + j + 1, c + 1, m - 1, lower)) return true;
                bits &= bits - 1;
            }
        }
    }
#endif
    for (; i <= last; ++i)
        if (lower[text[i]] == c[0] && Folded_Equal(text + i + 1, c + 1, m - 1, lower)) return true;
    return false;
}

}  // namespace

QString Operator_Label(qint32 Operator, const QString& Lang) {
    if (Operator < 0 || Operator > Last_Operator) return QString();
    if (Lang == QLatin1String("EN")) return QString::fromUtf16(kLabels_EN[Operator]);
    if (Lang == QLatin1String("FR")) return QString::fromUtf16(kLabels_FR[Operator]);
    return QString();
}

// ---------------------------------------------------------------- one comparison

Prepared_Criteria::Kind Prepared_Criteria::Kind_Of(qint32 field_type) {
    switch (field_type) {
    case Type_Code:
    case Type_Text:
    case Type_Long_Text: return Kind::Text;
    case Type_Date: return Kind::Date;
    case Type_Hour:
    case Type_Whole: return Kind::Whole;
    default: return Kind::None;
    }
}

Prepared_Criteria::Row Prepared_Criteria::Make_Row(const QString& criterion, bool criterion_negated,
                                                   qint32 criterion_op, bool ignore_accents) {
    Row row;
    row.negate = criterion_negated;
    row.op = criterion_op;
    row.ignore_accents = ignore_accents;
    // Accents first, then letter case: "Œ" is "OE" before it is "oe".
    row.c = ignore_accents ? Without_Accents(criterion).toLower() : criterion.toLower();
    if (Is_Numeric_Text(row.c)) row.cWhole = To_Whole(Value::String(row.c));
    // Dates are read from the text as typed: lower-casing would spoil the ISO "T".
    row.cDate = Parse_Date_Text(criterion);
    if (row.cDate) row.cDateText = Format_Date(*row.cDate);
    // Only these open a wildcard element; without them every element is one plain character.
    row.literal = !Has_Any_Char(row.c, QStringLiteral("?*#["));
    if (row.literal && criterion_op == Op_Content) row.finder.setPattern(row.c);
    row.narrow_ok = Cp1252_Encode(row.c, row.narrow);
    if (row.narrow_ok && !row.narrow.isEmpty()) {
        const auto* c = reinterpret_cast<const unsigned char*>(row.narrow.constData());
        std::array<unsigned char, 4> ends;
        if (Two_Variants(c[0], Fold().lower, ends.data()) &&
            Two_Variants(c[row.narrow.size() - 1], Fold().lower, ends.data() + 2))
            row.ends = ends;
    }
    const QString star(QLatin1Char('*'));
    switch (criterion_op) {
    case Op_Equal: row.pattern = Like_Pattern(row.c); break;
    case Op_Begin_With: row.pattern = Like_Pattern(QString(row.c + star)); break;
    case Op_End_With: row.pattern = Like_Pattern(QString(star + row.c)); break;
    case Op_Content: row.pattern = Like_Pattern(QString(star + row.c + star)); break;
    default: break;
    }
    return row;
}

bool Prepared_Criteria::Pattern_Match(const Row& row, QStringView d) {
    if (!row.literal) return row.pattern.matches(d);
    const QStringView c(row.c);
    switch (row.op) {
    case Op_Equal: return d == c;
    case Op_Begin_With: return d.startsWith(c);
    case Op_End_With: return d.endsWith(c);
    case Op_Content: return row.finder.indexIn(d) >= 0;
    default: return false;
    }
}

// The comparison before negation.
bool Prepared_Criteria::Raw_Match(const Row& row, Kind kind, const Value& v, QString& buf) {
    switch (row.op) {
    case Op_Equal:
    case Op_Inferior:
    case Op_Superior:
    case Op_Equal_Or_Inferior:
    case Op_Equal_Or_Superior:
        switch (kind) {
        case Kind::Text: {
            const QStringView d = Lower_Text(v, buf, row.ignore_accents);
            if (row.op == Op_Equal) return Pattern_Match(row, d);
            return Ordered(row.op, d.compare(QStringView(row.c)), 0);
        }
        case Kind::Whole: {
            if (!row.cWhole || v.isEmpty()) return false;
            const auto d = Whole_Of(v);
            if (!d) return false;
            return row.op == Op_Equal ? *d == *row.cWhole : Ordered(row.op, *d, *row.cWhole);
        }
        case Kind::Date: {
            if (!row.cDate || v.isEmpty()) return false;
            const auto d = Parse_Date_Text(To_Text(v));
            if (!d) return false;
            // Equality of the texts: two moments within the same second are equal.
            return row.op == Op_Equal ? Format_Date(*d) == row.cDateText : Ordered(row.op, *d, *row.cDate);
        }
        case Kind::None: return false;
        }
        return false;
    case Op_Begin_With:
    case Op_End_With:
    case Op_Content: {
        if (row.c.isEmpty()) return false;
        const QStringView d = Lower_Text(v, buf, row.ignore_accents);
        return !d.isEmpty() && Pattern_Match(row, d);
    }
    case Op_Empty: return Is_Blank(v);
    default: return false;
    }
}

bool Compare_Criterion(const QString& criterion, bool criterion_negated, qint32 criterion_op, const Value& stored,
                       qint32 field_type, bool ignore_accents) {
    const Prepared_Criteria::Row row =
        Prepared_Criteria::Make_Row(criterion, criterion_negated, criterion_op, ignore_accents);
    QString buf;
    return criterion_negated != Prepared_Criteria::Raw_Match(row, Prepared_Criteria::Kind_Of(field_type), stored, buf);
}

// ---------------------------------------------------------------- field groups

qint32 Field_Groups::operator()(int i, int k) const {
    if (k < 1 || k > Upper()) return 0;
    const auto& g = groups_[k];
    if (i == 0) return static_cast<qint32>(g.size());
    return i >= 1 && i <= static_cast<int>(g.size()) ? g[i - 1] : 0;
}

const std::vector<qint32>& Field_Groups::Members(int k) const {
    static const std::vector<qint32> none;
    return k >= 1 && k <= Upper() ? groups_[k] : none;
}

Field_Groups Build_Field_Groups(Record& Desc, const QString& Lang) {
    Field_Groups g;
    const int n = Desc.Count();
    g.groups_.resize(static_cast<size_t>(n) + 1);
    if (n == 0) return g;
    QHash<QString, std::vector<qint32>> byLabel;
    std::vector<QString> labels(static_cast<size_t>(n) + 1);
    for (int k = 1; k <= n; ++k) {
        labels[k] = Desc.Fields().Item(k)->Search_Label();
        if (!labels[k].isEmpty()) byLabel[labels[k]].push_back(k);
    }
    for (int k = 1; k <= n; ++k) {
        // The language test is made on k only: its partners join whatever their own language.
        if (!labels[k].isEmpty() && Desc.Fields().Item(k)->Shown_In(Lang)) g.groups_[k] = byLabel.value(labels[k]);
    }
    return g;
}

std::vector<qint32> Any_Fields_List(Record& Desc, const QString& Lang) {
    std::vector<qint32> out;
    for (const Field_Def& c : Desc.Fields())
        if (c.Shown_In(Lang) && !c.Search_Label().isEmpty()) out.push_back(c.Position);
    return out;
}

// ---------------------------------------------------------------- record verdict

Prepared_Criteria Prepare_Criteria(const Criteria& C, const QString& Lang, Record& Desc) {
    Prepared_Criteria p;
    p.and_ = C.Combine_With_And;
    const Field_Groups groups = Build_Field_Groups(Desc, Lang);
    std::vector<qint32> anyFields;
    bool anyBuilt = false;
    for (const Criterion_Row& in : C.Rows) {
        if (!in.Usable()) continue;
        Prepared_Criteria::Row row =
            Prepared_Criteria::Make_Row(in.Value_Text, in.Negation, *in.Operator, C.Ignore_Accents);
        const std::vector<qint32>* members = &groups.Members(*in.Field);
        if (*in.Field == Any_Fields) {
            if (!anyBuilt) {
                anyFields = Any_Fields_List(Desc, Lang);
                anyBuilt = true;
            }
            members = &anyFields;
        }
        // A group is empty when none of its fields holds a value: a record with one area
        // of three has an area. Every other operator asks for any field of the group.
        row.every_field = *in.Field != Any_Fields && *in.Operator == Op_Empty && members->size() > 1;
        for (qint32 m : *members) {
            const Field_Def* field_def = Desc.Fields().Item(m);
            Prepared_Criteria::Test_Field f;
            f.column = m;
            const qint32 typ = field_def->Type();
            f.kind = Prepared_Criteria::Kind_Of(typ);
            if (field_def->Codes && !field_def->Codes->Only_Value) f.labels = field_def;
            // Coded values repeat across records, and as text their outcome depends on
            // the stored text alone: compute it once per distinct code.
            f.memoize = f.kind == Prepared_Criteria::Kind::Text && (field_def->Codes || typ == 1);
            row.fields.push_back(std::move(f));
        }
        // The outcome is "some field matches", whatever the order: remembered codes and
        // numbers first, long texts last.
        std::stable_partition(row.fields.begin(), row.fields.end(), [](const Prepared_Criteria::Test_Field& f) {
            return f.memoize || f.kind != Prepared_Criteria::Kind::Text;
        });
        p.rows_.push_back(std::move(row));
    }
    return p;
}

quint64 Text_Memo::Pack(QStringView key) {
    if (key.size() > 3) return kLong;
    quint64 p = static_cast<quint64>(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) p |= static_cast<quint64>(key[i].unicode()) << (16 * (i + 1));
    return p;
}

size_t Text_Memo::Hash(QStringView key, quint64 packed) {
    quint64 h = packed;
    if (packed == kLong) {
        h = 1469598103934665603ull;
        for (QChar c : key) h = (h ^ c.unicode()) * 1099511628211ull;
    }
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

int Text_Memo::Find(QStringView key) const {
    if (slots_.empty()) return -1;
    const quint64 packed = Pack(key);
    const size_t mask = slots_.size() - 1;
    for (size_t i = Hash(key, packed) & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.outcome < 0) return -1;
        if (s.packed == packed && (packed != kLong || QStringView(s.key) == key)) return s.outcome;
    }
}

void Text_Memo::Insert(QStringView key, bool outcome) {
    if (Find(key) >= 0) return;
    if (2 * (used_ + 1) > slots_.size()) {
        std::vector<Slot> old(std::max<size_t>(16, 2 * slots_.size()));
        old.swap(slots_);
        used_ = 0;
        for (Slot& s : old)
            if (s.outcome >= 0) Insert(s.key, s.outcome != 0);
    }
    const quint64 packed = Pack(key);
    const size_t mask = slots_.size() - 1;
    size_t i = Hash(key, packed) & mask;
    while (slots_[i].outcome >= 0) i = (i + 1) & mask;
    slots_[i].packed = packed;
    slots_[i].key = key.toString();
    slots_[i].outcome = outcome ? 1 : 0;
    ++used_;
}

// Whether the field matches on its code's label or on its stored value, before negation.
bool Prepared_Criteria::Field_Matches(const Row& row, const Test_Field& f, const Value& v) const {
    if (f.memoize) {
        if (v.isString()) {
            if (const int known = f.memo.Find(v.rawString()); known >= 0) return known != 0;
        }
        const QString key = v.isString() ? v.rawString() : v.isEmpty() ? QString() : To_Text(v);
        if (!v.isString()) {
            if (const int known = f.memo.Find(key); known >= 0) return known != 0;
        }
        const bool m =
            (f.labels && Raw_Match(row, f.kind, f.labels->Label_Of(key), buf_)) || Raw_Match(row, f.kind, v, buf_);
        f.memo.Insert(key, m);
        return m;
    }
    if (f.labels && Raw_Match(row, f.kind, f.labels->Label_Of(To_Text(v)), buf_)) return true;
    return Raw_Match(row, f.kind, v, buf_);
}

// Raw_Match of a text field's text, matched where it lies when it is kept as
// Windows-1252 bytes and the criterion is plain text.
bool Prepared_Criteria::Text_Matches(const Row& row, const Text_View& text) const {
    const Narrow_Fold& fold = Fold();
    bool plain = row.literal && fold.closed && text.Narrow() &&
                 (row.op == Op_Equal || row.op == Op_Begin_With || row.op == Op_End_With || row.op == Op_Content);
    const auto* t = reinterpret_cast<const unsigned char*>(text.Bytes());
    qsizetype n = text.size();
    if (plain && row.ignore_accents) {
        // The bytes come out lower-cased, which the lowering below leaves as they are.
        plain = Narrow_Without_Accents(t, n, folded_);
        t = reinterpret_cast<const unsigned char*>(folded_.constData());
        n = folded_.size();
    }
    if (plain) {
        if (row.c.isEmpty()) return row.op == Op_Equal && n == 0;
        // Lowered, such a text holds only characters of the code page.
        if (!row.narrow_ok) return false;
        const auto* c = reinterpret_cast<const unsigned char*>(row.narrow.constData());
        const qsizetype m = row.narrow.size();
        switch (row.op) {
        case Op_Equal: return n == m && Folded_Equal(t, c, m, fold.lower);
        case Op_Begin_With: return n >= m && Folded_Equal(t, c, m, fold.lower);
        case Op_End_With: return n >= m && Folded_Equal(t + (n - m), c, m, fold.lower);
        default: return Folded_Contains(t, n, row.narrow, fold.lower, row.ends);
        }
    }
    text.Decode_Into(text_);
    switch (row.op) {
    case Op_Equal:
    case Op_Inferior:
    case Op_Superior:
    case Op_Equal_Or_Inferior:
    case Op_Equal_Or_Superior: {
        const QStringView d = Compared_View(text_, buf_, row.ignore_accents);
        if (row.op == Op_Equal) return Pattern_Match(row, d);
        return Ordered(row.op, d.compare(QStringView(row.c)), 0);
    }
    case Op_Begin_With:
    case Op_End_With:
    case Op_Content: {
        if (row.c.isEmpty()) return false;
        const QStringView d = Compared_View(text_, buf_, row.ignore_accents);
        return !d.isEmpty() && Pattern_Match(row, d);
    }
    case Op_Empty: return text_.isEmpty();
    default: return false;
    }
}

// Field_Matches on cell (r, f.column) of the table: a code's outcome is worked out once
// per code of the column, a text's once per distinct text; other cells as values.
bool Prepared_Criteria::Cell_Matches(const Row& row, const Test_Field& f, const Records_Table& t, int r) const {
    const int c = f.column;
    if (f.kind == Kind::Text) {
        const int code = t.Code(r, c);
        if (code >= 0) {
            if (f.by_code.size() <= static_cast<size_t>(code))
                f.by_code.resize(static_cast<size_t>(t.Code_Count(c)), -1);
            signed char& known = f.by_code[static_cast<size_t>(code)];
            if (known < 0) {
                const Value v = t(r, c);
                known = (f.labels && Raw_Match(row, f.kind, f.labels->Label_Of(v.rawString()), buf_)) ||
                        Raw_Match(row, f.kind, v, buf_);
            }
            return known != 0;
        }
        if (t.Is_Text(r, c) && !f.labels) {
            const std::uint32_t id = t.Text_Id(r, c);
            if (row.by_text.size() <= id) row.by_text.resize(t.Texts().Count(), -1);
            signed char& known = row.by_text[id];
            if (known < 0) known = Text_Matches(row, t.Text(r, c));
            return known != 0;
        }
    }
    if (t.Is_Empty(r, c)) return Field_Matches(row, f, Value());
    return Field_Matches(row, f, t(r, c));
}

// A row is True exactly when (some field matches) differs from NOT; for "Empty" on a
// group, when (every field is empty) differs from NOT. The loop stops at the first field
// that decides.
bool Record_Verdict(const Prepared_Criteria& P, const Records_Table& Table, int r) {
    if (r < 1 || r > Table.Row_Upper()) return false;
    // Outcomes by number are of one table.
    if (P.memo_table_ != &Table || P.memo_texts_ != Table.Texts().Count()) {
        for (const Prepared_Criteria::Row& row : P.rows_) {
            row.by_text.clear();
            for (const Prepared_Criteria::Test_Field& f : row.fields) f.by_code.clear();
        }
        P.memo_table_ = &Table;
        P.memo_texts_ = Table.Texts().Count();
    }
    const int colUpper = Table.Col_Upper();
    bool running = false;
    for (const Prepared_Criteria::Row& row : P.rows_) {
        const bool every = row.every_field;
        bool tested = false, matched = every;
        for (const Prepared_Criteria::Test_Field& f : row.fields) {
            if (f.column > colUpper) continue;  // a field the table does not hold
            tested = true;
            if (P.Cell_Matches(row, f, Table, r) != every) {
                matched = !every;
                break;
            }
        }
        if (tested) running = row.negate != matched;
        if (P.and_ ? !running : running) break;
    }
    return running;
}

namespace {

// Below this many records a second thread costs more than it saves.
constexpr int kTwo_Threads_From = 4096;

qint32 Mark_Rows(const Prepared_Criteria& P, Records_Table& Table, int from, int to) {
    qint32 S = 0;
    for (int r = from; r <= to; ++r) {
        const bool selected = Record_Verdict(P, Table, r);
        Table.Set_Boolean(r, Selection_Mark, selected);
        S += selected ? 1 : 0;
    }
    return S;
}

}  // namespace

std::vector<int> Prepared_Criteria::Columns() const {
    std::vector<int> out;
    for (const Row& row : rows_)
        for (const Test_Field& f : row.fields)
            if (std::find(out.begin(), out.end(), f.column) == out.end()) out.push_back(f.column);
    return out;
}

qint32 Mark_Selection(const Prepared_Criteria& P, Records_Table& Table) {
    if (!Table.Allocated()) return 0;
    const int R = Table.Row_Upper();
    // Every column searched is read from the cache before the records are judged, on
    // two threads, rather than one at a time by the first record that asks; its bytes
    // stay at hand until the search is done, so the texts are not fetched twice.
    std::vector<int> columns = P.Columns();
    std::erase_if(columns, [&](int c) { return c > Table.Col_Upper(); });
    columns.push_back(Selection_Mark);
    Table.Fill_Columns(columns);
    struct Done {
        const Records_Table& t;
        const std::vector<int>& columns;
        ~Done() { t.Give_Back(columns); }
    } done{Table, columns};
    Table.Set_Empty(0, Selection_Mark);
    if (R < kTwo_Threads_From) return Mark_Rows(P, Table, 1, R);
    // Each record is judged alone: the upper half on a second thread, with a copy of the
    // criteria, whose remembered outcomes are its own. Each thread marks its own rows.
    const int half = R / 2;
    const Prepared_Criteria upper_criteria = P;
    qint32 upper = 0;
    std::exception_ptr failed;
    std::jthread helper([&] {
        try {
            upper = Mark_Rows(upper_criteria, Table, half + 1, R);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    const qint32 lower = Mark_Rows(P, Table, 1, half);
    helper.join();
    if (failed) std::rethrow_exception(failed);
    return lower + upper;
}

qint32 Mark_Selection(Session& session, const Criteria& C) {
    return Mark_Selection(Prepare_Criteria(C, session.Language(), session.Description()), session.Records());
}
