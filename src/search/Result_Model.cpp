#include "search/Result_Model.h"

#include "model/Cp1252.h"
#include "model/Huge_Pages.h"
#include "model/Session.h"
#include "model/Value.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <numeric>
#include <thread>
#include <tuple>
#include <type_traits>
#include <utility>

// --- the record store ----------------------------------------------------------------

bool Result_Model::In_Store(qint32 record, qint32 field) const {
    return record >= 1 && record <= records_->Row_Upper() && field >= 1 && field <= records_->Col_Upper();
}

QString Result_Model::Stored_Text(qint32 record, qint32 field) const {
    return In_Store(record, field) ? records_->Cell_Text(record, field) : QString();
}

bool Result_Model::Stored_Number(qint32 record, qint32 field, double& number) const {
    if (!In_Store(record, field)) return false;
    // Whole numbers of up to 15 digits read back exactly from their text, so they need
    // no parsing; others compare as their shown text reads, which rounds to 15 digits.
    switch (records_->Type(record, field)) {
    case VType::Integer:
    case VType::Long:
    case VType::Byte: number = records_->Number(record, field); return true;
    case VType::Double: {
        const double d = records_->Number(record, field);
        if (d != std::trunc(d) || std::fabs(d) >= 1e15) return false;
        number = d;
        return true;
    }
    default: return false;
    }
}

qint64 Result_Model::Stored_Text_Id(qint32 record, qint32 field) const {
    if (!In_Store(record, field) || !records_->Is_Text(record, field)) return -1;
    return records_->Text_Id(record, field);
}

// --- loading -------------------------------------------------------------------------

namespace {
const Records_Table No_Records;
}  // namespace

Result_Model::Result_Model(QObject* parent) : QAbstractTableModel(parent), records_(&No_Records) {}

void Result_Model::Load(const Session& session, std::vector<qint32> records) {
    const QString& lang = session.Language();
    beginResetModel();
    records_ = &session.Records();
    show_labels_ = session.Show_Code_Labels;
    lang_ = lang;
    ids_ = std::move(records);
    row_of_record_.clear();
    cols_.clear();
    narrowed_ = false;
    result_ids_.clear();
    result_labels_.clear();
    kept_.clear();
    ++loads_;
    const Record* desc = &session.Description();
    const int N = desc->Count();
    // The columns shown are read from the cache now, on two threads, rather than one by
    // one as the grid first paints them.
    std::vector<int> shown;
    for (int f = 1; f <= std::min(N, records_->Col_Upper()); ++f)
        if (const Field_Def* ch = desc->Fields().Item(f); ch && ch->Shown_In(lang)) shown.push_back(f);
    if (!ids_.empty()) records_->Fill_Columns(shown);
    for (int f = 1; f <= N; ++f) {
        const Field_Def* ch = desc->Fields().Item(f);
        if (!ch || !ch->Shown_In(lang)) continue;
        Column c;
        c.Field = f;
        c.Heading = ch->Label_In(lang);
        c.Text_Kind = Is_Text_Type(ch->Type());
        c.Coded = ch->Codes && session.Show_Code_Labels;
        if (c.Coded) {
            // Each distinct code of the column is looked up once, found by its number in
            // the store; other cells (a number, an empty cell) by their text.
            QHash<QString, quint32> index_of_text;
            const auto label_index = [&](const QString& code) {
                auto it = index_of_text.constFind(code);
                if (it == index_of_text.constEnd()) {
                    it = index_of_text.insert(code, static_cast<quint32>(c.Labels.size()));
                    c.Labels.push_back(To_Text(ch->Label_Of(code)));
                }
                return *it;
            };
            const bool stored = f <= records_->Col_Upper();
            std::vector<qint64> index_of_code(stored ? static_cast<size_t>(records_->Code_Count(f)) : 0, -1);
            qint64 index_of_empty = -1;  // most cells of a column not filled in
            c.Label_Of_Row.resize(ids_.size());
            for (size_t r = 0; r < ids_.size(); ++r) {
                const bool in_store = In_Store(ids_[r], f);
                const int code = in_store ? records_->Code(ids_[r], f) : -1;
                if (code < 0) {
                    if (in_store && !records_->Is_Empty(ids_[r], f)) {
                        c.Label_Of_Row[r] = label_index(Stored_Text(ids_[r], f));
                        continue;
                    }
                    if (index_of_empty < 0) index_of_empty = label_index(QString());
                    c.Label_Of_Row[r] = static_cast<quint32>(index_of_empty);
                    continue;
                }
                qint64& index = index_of_code[static_cast<size_t>(code)];
                if (index < 0) index = label_index(Stored_Text(ids_[r], f));
                c.Label_Of_Row[r] = static_cast<quint32>(index);
            }
        }
        cols_.push_back(std::move(c));
    }
    records_->Give_Back(shown);
    endResetModel();
}

// --- reading ---------------------------------------------------------------------------

qint32 Result_Model::Record_At(int row) const {
    return row >= 0 && row < Records() ? ids_[static_cast<size_t>(row)] : 0;
}

int Result_Model::Row_Of(qint32 record) const {
    if (record < 1) return -1;
    if (row_of_record_.empty() && !ids_.empty()) {
        const qint32 top = *std::max_element(ids_.begin(), ids_.end());
        row_of_record_.assign(static_cast<size_t>(std::max(top, 0)) + 1, -1);
        for (size_t r = 0; r < ids_.size(); ++r)
            if (ids_[r] > 0) row_of_record_[static_cast<size_t>(ids_[r])] = static_cast<int>(r);
    }
    return static_cast<size_t>(record) < row_of_record_.size() ? row_of_record_[static_cast<size_t>(record)] : -1;
}

qint32 Result_Model::Field_At(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Field : 0;
}

int Result_Model::Column_Of(qint32 field) const {
    for (int c = 0; c < Columns(); ++c)
        if (cols_[static_cast<size_t>(c)].Field == field) return c;
    return -1;
}

QString Result_Model::Heading(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Heading : QString();
}

bool Result_Model::Is_Text_Column(int col) const {
    return col >= 0 && col < Columns() && cols_[static_cast<size_t>(col)].Text_Kind;
}

QString Result_Model::Text(int row, int col) const {
    if (row < 0 || row >= Records() || col < 0 || col >= Columns()) return {};
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded) return c.Labels[c.Label_Of_Row[static_cast<size_t>(row)]];
    return Stored_Text(ids_[static_cast<size_t>(row)], c.Field);
}

Value Result_Model::Cell_Value(int row, int col) const {
    if (row < 0 || row >= Records() || col < 0 || col >= Columns()) return {};
    const Column& c = cols_[static_cast<size_t>(col)];
    const qint32 record = ids_[static_cast<size_t>(row)];
    if (c.Coded || c.Text_Kind || !In_Store(record, c.Field)) return Value::String(Text(row, col));
    return records_->Cell(record, c.Field);
}

bool Result_Model::Fits_Cp1252(int col) const {
    if (col < 0 || col >= Columns()) return true;
    const Column& c = cols_[static_cast<size_t>(col)];
    QByteArray scratch;
    const auto fits = [&](QStringView text) {
        scratch.truncate(0);
        return Cp1252_Encode_Append(text, scratch);
    };
    if (c.Coded) return std::all_of(c.Labels.begin(), c.Labels.end(), fits);
    // Numbers, dates and the other kinds are written in ASCII.
    for (const qint32 record : ids_) {
        const qint64 id = Stored_Text_Id(record, c.Field);
        if (id < 0) continue;
        const Text_View text = records_->Texts().View(static_cast<std::uint32_t>(id));
        if (!text.Narrow() && !fits(text.To_String())) return false;
    }
    return true;
}

bool Result_Model::Same_As_Above(int row, int col) const {
    if (row < 1 || row >= Records() || col < 0 || col >= Columns()) return false;
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded)
        return c.Label_Of_Row[static_cast<size_t>(row)] == c.Label_Of_Row[static_cast<size_t>(row) - 1] ||
               c.Labels[c.Label_Of_Row[static_cast<size_t>(row)]] ==
                   c.Labels[c.Label_Of_Row[static_cast<size_t>(row) - 1]];
    const qint32 a = ids_[static_cast<size_t>(row)], b = ids_[static_cast<size_t>(row) - 1];
    if (Stored_Text_Id(a, c.Field) >= 0 && Stored_Text_Id(b, c.Field) >= 0) return records_->Same_Text(a, b, c.Field);
    return Text(row, col) == Text(row - 1, col);
}

// --- arrows ----------------------------------------------------------------------------

Sort_Arrow Result_Model::Arrow(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Arrow : Sort_Arrow::None;
}

int Result_Model::Key_Number(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Key_Number : 0;
}

void Result_Model::Set_Arrow(int col, Sort_Arrow arrow, int key_number) {
    if (col < 0 || col >= Columns()) return;
    Column& c = cols_[static_cast<size_t>(col)];
    const quint8 number = static_cast<quint8>(std::clamp(key_number, 0, 255));
    if (c.Arrow == arrow && c.Key_Number == number) return;
    c.Arrow = arrow;
    c.Key_Number = number;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void Result_Model::Clear_Arrows() {
    for (int c = 0; c < Columns(); ++c) Set_Arrow(c, Sort_Arrow::None);
}

// --- sorting ---------------------------------------------------------------------------

namespace {

QChar First_Significant(const QString& s) {
    for (const QChar c : s)
        if (!c.isSpace()) return c;
    return QChar();
}

// Parse_Number with a quick refusal of the texts that cannot be numbers.
std::optional<double> Text_Number(const QString& s) {
    if (!s.isEmpty() && s.size() <= 15) {
        double v = 0;
        bool plain = true;
        for (const QChar ch : s) {
            const char16_t u = ch.unicode();
            if (u < u'0' || u > u'9') {
                plain = false;
                break;
            }
            v = v * 10 + (u - u'0');
        }
        if (plain) return v;
    }
    const QChar c = First_Significant(s);
    if (c.isNull()) return std::nullopt;
    const char16_t u = c.unicode();
    if (!((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.' || u == u',')) return std::nullopt;
    return Parse_Number(s);
}

std::optional<double> Text_Number_Or_Date(const QString& s) {
    if (auto n = Text_Number(s)) return n;
    const QChar c = First_Significant(s);
    if (c.isNull() || c.unicode() < u'0' || c.unicode() > u'9') return std::nullopt;
    return Parse_Date_Text(s);
}

constexpr quint8 Number_Kind = 1;

// A row's place while sorting: w is the word compared at the present step (a number's
// ordered bits, or one word of its text's order key); pos its place before the sort,
// which decides ties.
struct Sort_Item {
    quint64 w;
    quint32 row;
    quint32 pos;
};

// Room for the sort's large arrays: not zeroed when it grows (every element is written
// before it is read), and on huge pages where the system gives them, so that a first sort
// of a million texts does not pay a fault for every 4 KiB of them.
template <typename T> struct Sort_Room : std::allocator<T> {
    static_assert(std::is_trivially_copyable_v<T>);
    template <typename U> struct rebind { using other = Sort_Room<U>; };
    Sort_Room() = default;
    template <typename U> Sort_Room(const Sort_Room<U>&) noexcept {}
    T* allocate(size_t n) {
        T* p = std::allocator<T>::allocate(n);
        Advise_Huge_Pages(p, n * sizeof(T));
        return p;
    }
    template <typename U> void construct(U*) noexcept {}
    template <typename U, typename... A> void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};
template <typename T> using Sort_Array = std::vector<T, Sort_Room<T>>;

// The sort values of a column's entries (its distinct texts). A text of the store is read
// where it lies; the others (labels, numbers' texts) are held in `owned`.
struct Column_Values {
    Sort_Array<Text_Order_Key> keys;
    Sort_Array<quint32> ends;  // where each key ended in its text
    Sort_Array<Text_View> texts;
    std::vector<QString> owned;
    std::vector<double> numbers;
    std::vector<quint8> kinds;
    // Every number came from the store as a whole number: equal numbers have identical texts.
    bool exact_numbers = true;
};

// Doubles as unsigned words that order as the numbers do.
quint64 Ordered_Bits(double d) {
    if (d == 0) d = 0;  // -0 ties with 0
    quint64 b;
    std::memcpy(&b, &d, sizeof b);
    return (b >> 63) ? ~b : b | (quint64(1) << 63);
}

// The keys of a group of items side by side (Sort_Side_By_Side), one set per depth of
// groups within groups, kept for the next group: the sort meets thousands of them.
struct Side_Keys {
    Sort_Array<Text_Order_Key> keys;
    Sort_Array<quint32> ends, entries, rows;
};

// Room to move items through; it is not cleared, as every item is written before it is read.
struct Item_Room {
    std::unique_ptr<Sort_Item[]> items;
    size_t size = 0;
    std::deque<Side_Keys> sides;
    size_t depth = 0;

    Sort_Item* Get(size_t n) {
        if (size < n) {
            items.reset(new Sort_Item[n]);
            Advise_Huge_Pages(items.get(), n * sizeof(Sort_Item));
            size = n;
        }
        return items.get();
    }
};

// Items by their words, ties keeping their order: a pass per eleven bits, lowest first,
// none over bits that every item has alike. `scratch` is room to move them through.
void Sort_Words_Stable(Sort_Item* b, Sort_Item* e, Item_Room& scratch) {
    constexpr int Bits = 11;
    constexpr int Passes = (64 + Bits - 1) / Bits;
    constexpr quint64 Mask = (quint64(1) << Bits) - 1;
    const auto n = static_cast<size_t>(e - b);
    if (n < 2) return;
    std::vector<std::array<quint32, Mask + 1>> counts(Passes);

    for (const Sort_Item* i = b; i < e; ++i)
        for (int p = 0; p < Passes; ++p) ++counts[static_cast<size_t>(p)][(i->w >> (p * Bits)) & Mask];
    Sort_Item* from = b;
    Sort_Item* to = scratch.Get(n);
    for (int p = 0; p < Passes; ++p) {
        std::array<quint32, Mask + 1>& at = counts[static_cast<size_t>(p)];
        if (at[(b->w >> (p * Bits)) & Mask] == n) continue;
        quint32 sum = 0;
        for (quint32& c : at) sum += std::exchange(c, sum);
        for (const Sort_Item* i = from; i < from + n; ++i) to[at[(i->w >> (p * Bits)) & Mask]++] = *i;
        std::swap(from, to);
    }
    if (from != b) std::copy(from, from + n, b);
}

// The same, faster for few items; none moves when all words are alike.
void Sort_Words(Sort_Item* b, Sort_Item* e, Item_Room& scratch) {
    bool alike = true;
    for (const Sort_Item* i = b + 1; i < e && alike; ++i) alike = i->w == b->w;
    if (alike) return;
    if (e - b >= 1024) return Sort_Words_Stable(b, e, scratch);
    std::sort(b, e, [](const Sort_Item& x, const Sort_Item& y) { return x.w != y.w ? x.w < y.w : x.pos < y.pos; });
}

// An item of no entry (a whole number of the store).
constexpr quint32 No_Entry = 0xFFFFFFFF;
// While the rows are read: a row's entry is this text of the store's pool.
constexpr quint32 Text_Of_Store = 0x80000000;

Text_View Own(Column_Values& v, QString&& text) {
    // A number of the store has no text: nothing to hold.
    if (text.isEmpty()) return Text_View(u"", 0);
    // A QString keeps its characters where they are when it is moved.
    v.owned.push_back(std::move(text));
    const QString& s = v.owned.back();
    return Text_View(reinterpret_cast<const char16_t*>(s.constData()), s.size());
}

// The number a text of the store stands for under the rule, as Text_Number and
// Text_Number_Or_Date read it; only texts that can be one are decoded.
std::optional<double> Stored_Text_Number(const Text_View& t, Sort_Rule rule) {
    char16_t first = 0;
    for (qsizetype i = 0; i < t.size() && !first; ++i) {
        const char16_t u = t.Narrow() ? Cp1252_To_Unicode(static_cast<unsigned char>(t.Bytes()[i])) : t.Units()[i];
        if (!QChar(u).isSpace()) first = u;
    }
    if (!((first >= u'0' && first <= u'9') || first == u'+' || first == u'-' || first == u'.' || first == u','))
        return std::nullopt;
    const QString s = t.To_String();
    return rule == Sort_Rule::Number ? Text_Number_Or_Date(s) : Text_Number(s);
}

// Where the sort reads an item's key: its row names a key of `keys` (and where that key
// ended in its text, `ends`), made for the entry `entry[row]` of `v` (the row itself
// without `entry`).
struct Key_Room {
    const Text_Order_Key* keys;
    const quint32* ends;
    const quint32* entry;
    const Column_Values* v;

    quint32 Entry(quint32 row) const { return entry ? entry[row] : row; }
    const Text_View& Text(quint32 row) const { return v->texts[Entry(row)]; }
};

// Items whose base weights all tie: by the full comparison (accents, case, code units),
// unless they hold one text only (repeated labels, the usual case), which is in place.
void Sort_Fine(Sort_Item* b, Sort_Item* e, const Key_Room& k) {
    bool one_text = true;
    for (Sort_Item* i = b + 1; i < e && one_text; ++i) one_text = Text_Order_Same(k.Text(i->row), k.Text(b->row));
    if (one_text) return;
    std::sort(b, e, [&](const Sort_Item& x, const Sort_Item& y) {
        const int c = Text_Order_Compare(k.Text(x.row), k.Text(y.row));
        return c != 0 ? c < 0 : x.pos < y.pos;
    });
}

void Sort_By_Key(Sort_Item* b, Sort_Item* e, int level, const Key_Room& k, Item_Room& scratch);

// The keys of these items, side by side in the items' order, their rows standing for
// them meanwhile: `next` makes each the key of its next base weights, otherwise the keys
// are copied, so that a large group of ties reads its later key words from a few
// neighbouring lines rather than from anywhere among every entry's keys.
void Sort_Side_By_Side(Sort_Item* b, Sort_Item* e, int level, const Key_Room& k, bool next, Item_Room& scratch) {
    const auto m = static_cast<size_t>(e - b);
    if (scratch.sides.size() <= scratch.depth) scratch.sides.emplace_back();
    Side_Keys& side = scratch.sides[scratch.depth];
    side.keys.resize(m);
    side.ends.resize(m);
    side.entries.resize(m);
    side.rows.resize(m);
    // What the items ahead will read is asked for early: their keys, or where their
    // texts go on.
    constexpr size_t Ahead = 8;
    for (size_t j = 0; j < m; ++j) {
        if (j + Ahead < m) {
            const quint32 ahead = b[j + Ahead].row;
            if (next) {
                const Text_View& t = k.Text(ahead);
                const size_t unit = t.Narrow() ? 1 : 2;
                __builtin_prefetch(t.Bytes() + unit * (k.ends[ahead] >> 1));
                __builtin_prefetch(t.Bytes() + unit * (k.ends[ahead] >> 1) + 64);
            } else {
                __builtin_prefetch(&k.keys[ahead]);
            }
        }
        const quint32 row = b[j].row;
        side.rows[j] = row;
        side.entries[j] = k.Entry(row);
        side.ends[j] = k.ends[row];
        side.keys[j] = next ? Text_Order_Key_Of(k.v->texts[side.entries[j]], &side.ends[j]) : k.keys[row];
        b[j].row = static_cast<quint32>(j);
    }
    ++scratch.depth;
    Sort_By_Key(b, e, level, Key_Room{side.keys.data(), side.ends.data(), side.entries.data(), k.v}, scratch);
    --scratch.depth;
    for (Sort_Item* i = b; i < e; ++i) i->row = side.rows[i->row];
}

// From this many ties their keys are copied side by side before the next word is read.
constexpr ptrdiff_t Side_By_Side_From = 4096;

// Items whose earlier key words tie, by word `level` of their keys, then the next ones
// where they tie again: only ties are ever looked at twice.
void Sort_By_Key(Sort_Item* b, Sort_Item* e, int level, const Key_Room& k, Item_Room& scratch) {
    if (e - b < 2) return;
    constexpr int Words = static_cast<int>(std::tuple_size_v<decltype(Text_Order_Key::Prefix)>);
    static_assert(Words * 4 == Text_Order_Key_Slots);
    // Items whose base weights go on past their keys: by the keys of their next ones.
    if (level == Words) return Sort_Side_By_Side(b, e, 0, k, true, scratch);
    bool in_order = true;
    for (Sort_Item* i = b; i < e; ++i) {
        i->w = k.keys[i->row].Prefix[static_cast<size_t>(level)];
        in_order = in_order && (i == b || i[-1].row < i->row);
    }
    Sort_Words(b, e, scratch);
    for (Sort_Item* i = b; i < e;) {
        Sort_Item* j = i + 1;
        while (j < e && j->w == i->w) ++j;
        // An empty last slot: the texts' base weights ended in this word.
        if (j - i > 1) {
            if ((i->w & 0xFFFF) == 0)
                Sort_Fine(i, j, k);
            else if (j - i >= Side_By_Side_From && !(in_order && j - i == e - b) && level + 1 < Words)
                Sort_Side_By_Side(i, j, level + 1, k, false, scratch);
            else
                Sort_By_Key(i, j, level + 1, k, scratch);
        }
        i = j;
    }
}

// From this many entries the work is shared by two threads.
constexpr size_t Two_Halves_From = 16384;

// Entries in the order of Text_Order_Compare (identical texts by their place). Many are
// first parted around the key of a middle one, and each part sorted on a thread of its own.
void Sort_Entries(Sort_Array<Sort_Item>& items, const Column_Values& v) {
    Item_Room scratch;
    const size_t n = items.size();
    const Key_Room k{v.keys.data(), v.ends.data(), nullptr, &v};
    if (n < Two_Halves_From || std::thread::hardware_concurrency() < 2)
        return Sort_By_Key(items.data(), items.data() + n, 0, k, scratch);
    std::vector<Text_Order_Key> sample;
    for (size_t i = 0; i < n; i += n / 255) sample.push_back(v.keys[items[i].row]);
    std::nth_element(sample.begin(), sample.begin() + sample.size() / 2, sample.end());
    const Text_Order_Key middle = sample[sample.size() / 2];
    // A key below the middle one is of a text before every text of the other part; each
    // part keeps the entries' order.
    Sort_Array<Sort_Item> parted;
    parted.reserve(n);
    for (const Sort_Item& i : items)
        if (v.keys[i.row] < middle) parted.push_back(i);
    const size_t lower = parted.size();
    for (const Sort_Item& i : items)
        if (!(v.keys[i.row] < middle)) parted.push_back(i);
    items.swap(parted);
    Sort_Item* b = items.data();
    Sort_Item* m = b + lower;
    Sort_Item* e = b + n;
    std::thread second([m, e, &k] {
        Item_Room own;
        Sort_By_Key(m, e, 0, k, own);
    });
    Sort_By_Key(b, m, 0, k, scratch);
    second.join();
}

// The keys of entries first to last, each with where it ended.
void Key_Entries(Column_Values& v, size_t first, size_t last) {
    // The texts lie apart, each on lines of its own: the next ones are asked for early,
    // both lines a key may need.
    constexpr size_t Ahead = 24;
    for (size_t e = first; e < last; ++e) {
        if (e + Ahead < last) {
            const Text_View& t = v.texts[e + Ahead];
            __builtin_prefetch(t.Bytes());
            __builtin_prefetch(t.Bytes() + 64);
        }
        v.ends[e] = 0;
        v.keys[e] = Text_Order_Key_Of(v.texts[e], &v.ends[e]);
    }
}

// Keys, numbers and kinds of the entries: an entry made from a sort value has its number
// and kind; the others are texts of the store, valued where they lie as Sort_Value_Of
// would value them.
void Value_Entries(Column_Values& v, Sort_Rule rule, const std::vector<Result_Model::Sort_Value>& made,
                   const std::vector<quint32>& made_entries) {
    const size_t m = v.texts.size();
    v.keys.resize(m);
    v.ends.resize(m);
    v.numbers.assign(m, 0);
    v.kinds.assign(m, 0);
    // The keys only read the texts: two halves side by side when there are many.
    if (m >= Two_Halves_From && std::thread::hardware_concurrency() >= 2) {
        std::thread second([&v, m] { Key_Entries(v, m / 2, m); });
        Key_Entries(v, 0, m / 2);
        second.join();
    } else {
        Key_Entries(v, 0, m);
    }
    std::vector<bool> from_value(m);
    for (size_t i = 0; i < made.size(); ++i) {
        const quint32 e = made_entries[i];
        from_value[e] = true;
        v.numbers[e] = made[i].Number;
        v.kinds[e] = made[i].Kind;
        if (made[i].Kind == Number_Kind) v.exact_numbers = false;
    }
    if (rule == Sort_Rule::Text) return;
    for (size_t e = 0; e < m; ++e) {
        if (from_value[e]) continue;
        if (const auto number = Stored_Text_Number(v.texts[e], rule)) {
            v.numbers[e] = *number;
            v.kinds[e] = Number_Kind;
            v.exact_numbers = false;
        } else if (rule == Sort_Rule::Generic) {
            v.kinds[e] = Text_Order_Leads_Before_Digits(v.keys[e]) ? 0 : 2;
        }
    }
}

}  // namespace

Result_Model::Sort_Value Result_Model::Sort_Value_Of(int row, int col, Sort_Rule rule) const {
    Sort_Value v;
    if (row < 0 || row >= Records() || col < 0 || col >= Columns()) return v;
    const Column& c = cols_[static_cast<size_t>(col)];
    double number = 0;
    // A whole number of the store needs no text to compare by.
    const bool stored_number =
        rule != Sort_Rule::Text && !c.Coded && Stored_Number(ids_[static_cast<size_t>(row)], c.Field, number);
    if (stored_number) {
        // Its text and key are those of the number: nothing else to compare by.
        v.Number = number;
        v.Kind = Number_Kind;
        v.Stored_Number = true;
        return v;
    }
    v.Text = Text(row, col);
    v.Key = Text_Order_Key_Of(v.Text);
    switch (rule) {
    case Sort_Rule::Text: break;
    case Sort_Rule::Generic:
        if (const auto n = Text_Number(v.Text)) {
            v.Number = *n;
            v.Kind = Number_Kind;
        } else {
            v.Kind = Text_Order_Leads_Before_Digits(v.Key) ? 0 : 2;
        }
        break;
    case Sort_Rule::Number:
        if (const auto n = Text_Number_Or_Date(v.Text)) {
            v.Number = *n;
            v.Kind = Number_Kind;
        }
        break;
    }
    return v;
}

void Result_Model::Sort_Stable(int col, Sort_Rule rule, bool ascending, std::vector<int>& order) const {
    const size_t n = order.size();
    const Column& c = cols_[static_cast<size_t>(col)];
    // Each distinct text (a text of the store, a label, an empty cell) is one entry,
    // valued and ordered once; the rows are then ordered by their entries' ranks. A whole
    // number of the store needs no entry while no number had to be read from a text.
    Column_Values v;
    std::vector<quint32> entry_of(n, No_Entry);
    std::vector<double> number_of;
    const auto add_entry = [&](Text_View text) {
        v.texts.push_back(text);
        return static_cast<quint32>(v.texts.size() - 1);
    };
    // Entries made from a Sort_Value, and those of the store, valued afterwards.
    std::vector<Sort_Value> made;
    std::vector<quint32> made_entries;
    const auto add_value = [&](Sort_Value&& x) {
        const quint32 e = add_entry(Own(v, std::move(x.Text)));
        made.push_back(std::move(x));
        made_entries.push_back(e);
        return e;
    };
    if (c.Coded) {
        std::vector<quint32> entry_of_label(c.Labels.size(), No_Entry);
        for (size_t r = 0; r < n; ++r) {
            quint32& e = entry_of_label[c.Label_Of_Row[r]];
            if (e == No_Entry) e = add_value(Sort_Value_Of(static_cast<int>(r), col, rule));
            entry_of[r] = e;
        }
        v.exact_numbers = false;
    } else {
        Sort_Array<quint32> entry_of_text;
        quint32 empty_entry = No_Entry;
        size_t texts_of_store = 0;
        for (size_t r = 0; r < n; ++r) {
            const qint64 id = Stored_Text_Id(ids_[r], c.Field);
            if (id >= 0) {
                if (entry_of_text.empty()) entry_of_text.assign(records_->Texts().Count(), No_Entry);
                quint32& seen = entry_of_text[static_cast<size_t>(id)];
                texts_of_store += seen == No_Entry;
                seen = 0;
                entry_of[r] = Text_Of_Store | static_cast<quint32>(id);
                continue;
            }
            // As Sort_Value_Of would find it, without making the rest of a sort value.
            double number = 0;
            if (rule != Sort_Rule::Text && Stored_Number(ids_[r], c.Field, number)) {
                if (number_of.empty()) number_of.resize(n);
                number_of[r] = number;
                continue;
            }
            Sort_Value x = Sort_Value_Of(static_cast<int>(r), col, rule);
            if (x.Text.isEmpty() && x.Kind != Number_Kind) {
                if (empty_entry == No_Entry) empty_entry = add_value(std::move(x));
                entry_of[r] = empty_entry;
            } else {
                entry_of[r] = add_value(std::move(x));
            }
        }
        // The texts of the store in the pool's order, which is where they lie: each is
        // read once, from the first to the last.
        v.texts.reserve(v.texts.size() + texts_of_store);
        for (size_t id = 0; id < entry_of_text.size(); ++id)
            if (entry_of_text[id] != No_Entry)
                entry_of_text[id] = add_entry(records_->Texts().View(static_cast<std::uint32_t>(id)));
        for (quint32& e : entry_of)
            if (e != No_Entry && (e & Text_Of_Store)) e = entry_of_text[e & ~Text_Of_Store];
    }
    Value_Entries(v, rule, made, made_entries);
    if (!v.exact_numbers) {
        // Numbers of the store compare with numbers read from texts by their texts too.
        for (size_t r = 0; r < n; ++r) {
            if (entry_of[r] != No_Entry) continue;
            const Text_View text = Own(v, Text(static_cast<int>(r), col));
            entry_of[r] = add_entry(text);
            v.keys.push_back(Text_Order_Key_Of(text, &v.ends.emplace_back(0)));
            v.numbers.push_back(number_of[r]);
            v.kinds.push_back(Number_Kind);
        }
    }
    std::vector<quint8> kind_of(n, Number_Kind);
    for (size_t r = 0; r < n; ++r) {
        const quint32 e = entry_of[r];
        if (e == No_Entry) continue;
        kind_of[r] = v.kinds[e];
        if (kind_of[r] != Number_Kind) continue;
        if (number_of.empty()) number_of.resize(n);
        number_of[r] = v.numbers[e];
    }

    // The entries in text order; identical texts share a rank.
    const size_t entries = v.texts.size();
    Sort_Array<quint32> rank(entries);
    Sort_Array<Sort_Item> items(entries);
    Item_Room scratch;
    for (size_t e = 0; e < entries; ++e) items[e] = {0, static_cast<quint32>(e), static_cast<quint32>(e)};
    Sort_Entries(items, v);
    quint32 ranks = 0;
    for (size_t i = 0; i < entries; ++i) {
        // The entries' keys are met in text order, from anywhere among them.
        if (i + 8 < entries) __builtin_prefetch(&v.keys[items[i + 8].row]);
        const quint32 e = items[i].row, before = i ? items[i - 1].row : 0;
        if (i && !(v.keys[e] == v.keys[before] && Text_Order_Same(v.texts[e], v.texts[before]))) ++ranks;
        rank[e] = ranks;
    }
    const auto text_word = [&](quint32 row) -> quint64 {
        const quint32 r = rank[entry_of[row]];
        return ascending ? r : ranks - r;
    };

    // Kinds first (texts before the digits, numbers, other texts; reversed when
    // descending), each kept in its present order, then each kind by its values.
    items.clear();
    items.reserve(n);
    const quint8 kinds_in_order[3] = {ascending ? quint8(0) : quint8(2), 1, ascending ? quint8(2) : quint8(0)};
    for (const quint8 kind : kinds_in_order) {
        const size_t start = items.size();
        for (size_t i = 0; i < n; ++i) {
            const auto row = static_cast<quint32>(order[i]);
            if (kind_of[row] == kind) items.push_back({0, row, static_cast<quint32>(i)});
        }
        Sort_Item* b = items.data() + start;
        Sort_Item* e = items.data() + items.size();
        if (kind != Number_Kind) {
            for (Sort_Item* i = b; i < e; ++i) i->w = text_word(i->row);
            Sort_Words_Stable(b, e, scratch);
            continue;
        }
        // Equal numbers written differently ("1", "1.0") by their texts: those first, the
        // numbers over them (each pass keeps the order of the one before within its ties).
        if (!v.exact_numbers) {
            for (Sort_Item* i = b; i < e; ++i) i->w = text_word(i->row);
            Sort_Words_Stable(b, e, scratch);
        }
        for (Sort_Item* i = b; i < e; ++i) {
            const quint64 w = Ordered_Bits(number_of[i->row]);
            i->w = ascending ? w : ~w;
        }
        Sort_Words_Stable(b, e, scratch);
    }
    for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(items[i].row);
}

void Result_Model::Permute_Rows(const std::vector<int>& from) {
    std::vector<qint32> ids(ids_.size());
    for (size_t i = 0; i < from.size(); ++i) ids[i] = ids_[static_cast<size_t>(from[i])];
    ids_.swap(ids);
    for (Column& c : cols_) {
        if (c.Label_Of_Row.empty()) continue;
        std::vector<quint32> labels(c.Label_Of_Row.size());
        for (size_t i = 0; i < from.size(); ++i) labels[i] = c.Label_Of_Row[static_cast<size_t>(from[i])];
        c.Label_Of_Row.swap(labels);
    }
    row_of_record_.clear();
}

void Result_Model::Apply_Order(const std::vector<int>& from) {
    bool moved = false;
    for (size_t i = 0; i < from.size() && !moved; ++i) moved = from[i] != static_cast<int>(i);
    if (!moved) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    Permute_Rows(from);
    if (!before.isEmpty()) {
        std::vector<int> to(from.size());
        for (size_t i = 0; i < from.size(); ++i) to[static_cast<size_t>(from[i])] = static_cast<int>(i);
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& i : before) after << index(to[static_cast<size_t>(i.row())], i.column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

template <class Order_Rows> void Result_Model::Order_Result(Order_Rows order_rows) {
    const auto ordered = [&] {
        std::vector<int> order(ids_.size());
        std::iota(order.begin(), order.end(), 0);
        order_rows(order);
        return order;
    };
    if (!narrowed_) {
        if (Records() >= 2) Apply_Order(ordered());
        return;
    }
    // The sort reads the rows it orders: the whole result's, for the time of it.
    Swap_Result_And_Shown();
    Permute_Rows(ordered());
    Swap_Result_And_Shown();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qint32> records;
    records.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& i : before) records.push_back(Record_At(i.row()));
    Fill_Shown_Rows();
    QModelIndexList after;
    after.reserve(before.size());
    for (size_t i = 0; i < records.size(); ++i)
        after << index(Row_Of(records[i]), before[static_cast<qsizetype>(i)].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void Result_Model::Sort(int col, Sort_Rule rule, bool ascending) {
    if (col < 0 || col >= Columns()) return;
    Order_Result([&](std::vector<int>& order) {
        if (order.size() >= 2) Sort_Stable(col, rule, ascending, order);
    });
}

void Result_Model::Sort(const std::vector<Sort_Key>& keys) {
    Order_Result([&](std::vector<int>& order) {
        if (order.size() < 2) return;
        // The last key first: each stable sort keeps the order of the later keys within its ties.
        for (auto k = keys.rbegin(); k != keys.rend(); ++k)
            if (k->Column >= 0 && k->Column < Columns())
                Sort_Stable(k->Column, Sort_Rule::Generic, k->Ascending, order);
    });
}

// --- quick find ------------------------------------------------------------------------

void Result_Model::Swap_Result_And_Shown() {
    ids_.swap(result_ids_);
    for (size_t c = 0; c < cols_.size(); ++c) cols_[c].Label_Of_Row.swap(result_labels_[c]);
    row_of_record_.clear();
}

void Result_Model::Fill_Shown_Rows() {
    ids_.clear();
    for (Column& c : cols_) c.Label_Of_Row.clear();
    for (size_t r = 0; r < result_ids_.size(); ++r) {
        const auto record = static_cast<size_t>(result_ids_[r]);
        if (record >= kept_.size() || !kept_[record]) continue;
        ids_.push_back(result_ids_[r]);
        for (size_t c = 0; c < cols_.size(); ++c)
            if (!result_labels_[c].empty()) cols_[c].Label_Of_Row.push_back(result_labels_[c][r]);
    }
    row_of_record_.clear();
}

void Result_Model::Show_Only(const std::vector<qint32>& records) {
    beginResetModel();
    if (!narrowed_) {
        narrowed_ = true;
        result_ids_.clear();
        result_labels_.assign(cols_.size(), {});
        Swap_Result_And_Shown();
    }
    qint32 top = 0;
    for (const qint32 r : result_ids_) top = std::max(top, r);
    kept_.assign(static_cast<size_t>(top) + 1, 0);
    for (const qint32 r : records)
        if (r >= 0 && r <= top) kept_[static_cast<size_t>(r)] = 1;
    Fill_Shown_Rows();
    endResetModel();
}

void Result_Model::Show_All() {
    if (!narrowed_) return;
    beginResetModel();
    Swap_Result_And_Shown();
    narrowed_ = false;
    result_ids_.clear();
    result_labels_.clear();
    kept_.clear();
    endResetModel();
}

QString Result_Model::Result_Text(int result_row, int col) const {
    if (!narrowed_) return Text(result_row, col);
    if (result_row < 0 || result_row >= Result_Records() || col < 0 || col >= Columns()) return {};
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded) return c.Labels[result_labels_[static_cast<size_t>(col)][static_cast<size_t>(result_row)]];
    return Stored_Text(result_ids_[static_cast<size_t>(result_row)], c.Field);
}

int Result_Model::Result_Label_Number(int result_row, int col) const {
    if (result_row < 0 || result_row >= Result_Records() || col < 0 || col >= Columns()) return -1;
    const Column& c = cols_[static_cast<size_t>(col)];
    if (!c.Coded) return -1;
    const auto& labels = narrowed_ ? result_labels_[static_cast<size_t>(col)] : c.Label_Of_Row;
    return static_cast<int>(labels[static_cast<size_t>(result_row)]);
}

bool Result_Model::Result_Stored_Text(int result_row, int col, Text_View& text, std::uint32_t& text_id) const {
    if (result_row < 0 || result_row >= Result_Records() || col < 0 || col >= Columns()) return false;
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded) return false;
    const qint64 id = Stored_Text_Id(Result_Record_Ids()[static_cast<size_t>(result_row)], c.Field);
    if (id < 0) return false;
    text_id = static_cast<std::uint32_t>(id);
    text = records_->Texts().View(text_id);
    return true;
}

QString Result_Model::Label(int col, int label_number) const {
    if (col < 0 || col >= Columns()) return {};
    const Column& c = cols_[static_cast<size_t>(col)];
    return label_number >= 0 && static_cast<size_t>(label_number) < c.Labels.size()
               ? c.Labels[static_cast<size_t>(label_number)]
               : QString();
}

// --- Qt's model interface -----------------------------------------------------------------

int Result_Model::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Records(); }

int Result_Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns(); }

QVariant Result_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole: return Text(row, col);
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Record_Role: return Record_At(row);
    case Merged_Above_Role: return Same_As_Above(row, col);
    default: return {};
    }
}

QVariant Result_Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return Heading(section);
    case Arrow_Role: return static_cast<int>(Arrow(section));
    case Key_Number_Role: return Key_Number(section);
    default: return {};
    }
}

Qt::ItemFlags Result_Model::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
