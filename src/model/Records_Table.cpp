#include "model/Records_Table.h"

#include "model/Huge_Pages.h"
#include "model/Record_Description.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace {

constexpr std::size_t kRecent = 64;  // texts remembered per column while loading

template <typename To, typename From> To Bits(From f) {
    static_assert(sizeof(To) == sizeof(From));
    To t;
    std::memcpy(&t, &f, sizeof t);
    return t;
}

// A double that a 32-bit payload holds exactly (not -0, whose sign must survive).
bool Fits_Payload(double d) {
    return d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d) && !(d == 0 && std::signbit(d));
}

}  // namespace

Records_Table::Records_Table(Record* description) : description_(description) {}
Records_Table::~Records_Table() = default;
Records_Table::Records_Table(Records_Table&&) noexcept = default;
Records_Table& Records_Table::operator=(Records_Table&&) noexcept = default;

void Records_Table::Resize(int rowUpper, int colUpper) { Shape(rowUpper, colUpper, true); }

void Records_Table::Resize_For_Filling(int rowUpper, int colUpper) { Shape(rowUpper, colUpper, false); }

void Records_Table::Shape(int rowUpper, int colUpper, bool zeroed, int only) {
    Clear();
    if (rowUpper < 0 || colUpper < 0) return;
    rows_ = rowUpper + 1;
    columns_.resize(static_cast<std::size_t>(colUpper) + 1);
    for (int c = 0; c <= colUpper; ++c) {
        Column& col = columns_[static_cast<std::size_t>(c)];
        const Field_Def* field = description_ && c >= 1 ? description_->Fields().Item(c) : nullptr;
        col.code_column = field && field->Type() == Type_Code;
        if (only >= 0 && c != only) continue;
        const auto n = static_cast<std::size_t>(rows_);
        col.kind.reserve(n);
        col.payload.reserve(n);
        Advise_Huge_Pages(col.kind.data(), n);
        Advise_Huge_Pages(col.payload.data(), n * sizeof(std::uint32_t));
        // Unzeroed, a column's pages are first touched, once, by the load that fills them.
        if (zeroed) {
            col.kind.assign(n, 0);
            col.payload.assign(n, 0);
        } else {
            col.kind.resize(n);
            col.payload.resize(n);
        }
    }
}

void Records_Table::Set_Row_Upper(int rowUpper) {
    rows_ = rowUpper + 1;
    const auto n = static_cast<std::size_t>(rows_);
    for (Column& col : columns_) {
        col.kind.resize(n, 0);
        col.payload.resize(n, 0);
    }
}

void Records_Table::Take_Columns(Records_Table& part, int from, int to) {
    const std::uint32_t shift = pool_.Take_Texts(part.pool_);
    // Not through Col: a column being filled is taken while it counts as unfilled.
    for (int c = from; c <= to; ++c) {
        Column& col = columns_[static_cast<std::size_t>(c)];
        col = std::move(part.columns_[static_cast<std::size_t>(c)]);
        // Its texts are numbered after ours now.
        for (std::size_t r = 0; r < col.kind.size(); ++r)
            if (col.kind[r] == static_cast<std::uint8_t>(VType::String)) col.payload[r] += shift;
        for (std::uint32_t& id : col.codes) id += shift;
        std::unordered_map<std::uint32_t, std::int32_t> codes;
        for (const auto& [id, code] : col.code_of_text) codes.emplace(id + shift, code);
        col.code_of_text.swap(codes);
        col.recent.clear();
        col.short_texts.clear();
    }
}

struct Records_Table::Column_Fill {
    Column_Source source;
    std::mutex lock;
    std::condition_variable changed;
    enum State : std::uint8_t { To_Fill, Filling, Filled };
    std::vector<State> state;  // by column
    bool damaged = false;
};

void Records_Table::Clear() {
    rows_ = 0;
    std::vector<Column>().swap(columns_);
    pool_ = Text_Pool();
    fill_.reset();
    filled_.reset();
}

void Records_Table::Swap(Records_Table& other) noexcept {
    std::swap(rows_, other.rows_);
    columns_.swap(other.columns_);
    std::swap(pool_, other.pool_);
    fill_.swap(other.fill_);
    filled_.swap(other.filled_);
}

void Records_Table::Fill_When_Asked(int rowUpper, int colUpper, Column_Source source) {
    Shape(rowUpper, colUpper, false, std::numeric_limits<int>::max());
    if (!Allocated()) return;
    const auto n = static_cast<std::size_t>(colUpper) + 1;
    // Texts are added while other columns are read, maybe on other threads: the pool
    // never moves what it holds.
    pool_.Reserve(source.most_texts, source.text_bytes, n);
    source.bytes.resize(n);
    fill_ = std::make_unique<Column_Fill>();
    fill_->source = std::move(source);
    fill_->state.assign(n, Column_Fill::To_Fill);
    filled_ = std::make_unique<std::atomic<bool>[]>(n);
}

// A column asked for alone is read, then its bytes go at once.
void Records_Table::Fill_Column(int c) const {
    Fill_Claimed({c});
    Give_Back({c});
}

void Records_Table::Give_Back(const std::vector<int>& columns) const {
    if (!fill_ || !fill_->source.give_back) return;
    for (const int c : columns) fill_->source.give_back(c);
}

// Fills the columns of `columns` no other thread is filling, then waits for those it is.
void Records_Table::Fill_Claimed(const std::vector<int>& columns) const {
    Column_Fill& f = *fill_;
    // Filling changes what the table holds, not what it reads as.
    auto& self = const_cast<Records_Table&>(*this);
    std::unique_lock<std::mutex> lock(f.lock);
    for (;;) {
        const auto claim = std::find_if(columns.begin(), columns.end(), [&](int c) {
            return f.state[static_cast<std::size_t>(c)] == Column_Fill::To_Fill;
        });
        if (claim == columns.end()) {
            const bool done = std::all_of(columns.begin(), columns.end(), [&](int c) {
                return f.state[static_cast<std::size_t>(c)] == Column_Fill::Filled;
            });
            if (done) return;
            f.changed.wait(lock);
            continue;
        }
        const int c = *claim;
        auto& state = f.state[static_cast<std::size_t>(c)];
        state = Column_Fill::Filling;
        lock.unlock();
        Records_Table part(description_);
        bool whole = false;
        try {
            part.Shape(Row_Upper(), Col_Upper(), false, c);
            whole = f.source.fill(part, c);
            if (!whole) part.Shape(Row_Upper(), Col_Upper(), true, c);
        } catch (...) {
            lock.lock();
            state = Column_Fill::To_Fill;
            f.changed.notify_all();
            throw;
        }
        lock.lock();
        self.Take_Columns(part, c, c);
        f.damaged = f.damaged || !whole;
        state = Column_Fill::Filled;
        filled_[static_cast<std::size_t>(c)].store(true, std::memory_order_release);
        f.changed.notify_all();
    }
}

void Records_Table::Fill_Columns(const std::vector<int>& columns) const {
    if (!fill_) return;
    const auto unfilled = std::count_if(columns.begin(), columns.end(), [&](int c) {
        return !filled_[static_cast<std::size_t>(c)].load(std::memory_order_acquire);
    });
    if (unfilled == 0) return;
    if (unfilled == 1) return Fill_Claimed(columns);
    // The longest first, so that the two threads end together.
    std::vector<int> order = columns;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return fill_->source.bytes[static_cast<std::size_t>(a)] > fill_->source.bytes[static_cast<std::size_t>(b)];
    });
    // A column the second thread fails on is left for this one, which fills what is left.
    std::jthread second([&] {
        try {
            Fill_Claimed(order);
        } catch (...) {}
    });
    Fill_Claimed(order);
}

bool Records_Table::Damaged() const {
    if (!fill_) return false;
    const std::lock_guard<std::mutex> lock(fill_->lock);
    return fill_->damaged;
}

std::uint32_t Records_Table::Text_Id(int r, int c) const {
    const Column& col = Col(c);
    const std::uint32_t p = col.payload[static_cast<std::size_t>(r)];
    return (col.kind[static_cast<std::size_t>(r)] & Coded) ? col.codes[p] : p;
}

double Records_Table::Number(int r, int c) const {
    const Column& col = Col(c);
    const std::uint8_t k = col.kind[static_cast<std::size_t>(r)];
    const std::uint32_t p = col.payload[static_cast<std::size_t>(r)];
    const std::uint64_t w = (k & Wide) ? col.wide[p] : 0;
    switch (static_cast<VType>(k & Kind_Mask)) {
    case VType::Integer:
    case VType::Long:
    case VType::Error: return static_cast<std::int32_t>(p);
    case VType::Byte: return p;
    case VType::Boolean: return p ? -1 : 0;
    case VType::Single: return Bits<float>(p);
    case VType::Double:
    case VType::Date: return (k & Wide) ? Bits<double>(w) : static_cast<std::int32_t>(p);
    case VType::Currency: return static_cast<double>(static_cast<std::int64_t>(w)) / 10000.0;
    default: return 0;
    }
}

QString Records_Table::Cell_Text(int r, int c) const {
    const Column& col = Col(c);
    const std::uint8_t k = col.kind[static_cast<std::size_t>(r)];
    const std::uint32_t p = col.payload[static_cast<std::size_t>(r)];
    const bool wide = (k & Wide) != 0;
    switch (static_cast<VType>(k & Kind_Mask)) {
    case VType::Empty:
    case VType::Null: return QString();
    case VType::String: return Text(r, c).To_String();
    case VType::Integer:
    case VType::Long: return QString::number(static_cast<std::int32_t>(p));
    case VType::Byte: return QString::number(p);
    // A whole double of 32 bits prints as itself; -0 and the others are wide.
    case VType::Double:
        if (!wide) return QString::number(static_cast<std::int32_t>(p));
        break;
    case VType::Date:
        if (!wide) return Format_Date(static_cast<std::int32_t>(p));
        break;
    default: break;
    }
    return To_Text((*this)(r, c));
}

bool Records_Table::Same_Text(int r1, int r2, int c) const {
    const std::uint32_t a = Text_Id(r1, c), b = Text_Id(r2, c);
    if (a == b) return true;
    // Long texts used in place are not looked up, so one text can have two numbers.
    const Text_View x = pool_.View(a), y = pool_.View(b);
    if (x.size() != y.size() || x.Narrow() != y.Narrow()) return false;
    return std::memcmp(x.Bytes(), y.Bytes(), static_cast<std::size_t>(x.size()) * (x.Narrow() ? 1 : 2)) == 0;
}

Value Records_Table::operator()(int r, int c) const {
    const Column& col = Col(c);
    const std::uint8_t k = col.kind[static_cast<std::size_t>(r)];
    const std::uint32_t p = col.payload[static_cast<std::size_t>(r)];
    switch (static_cast<VType>(k & Kind_Mask)) {
    case VType::Empty: return Value();
    case VType::Null: return Value::Null();
    case VType::Integer: return Value::Integer(static_cast<std::int16_t>(p));
    case VType::Long: return Value::Long(static_cast<std::int32_t>(p));
    case VType::Single: return Value::Single(Bits<float>(p));
    case VType::Double: return Value::Double((k & Wide) ? Bits<double>(col.wide[p]) : static_cast<std::int32_t>(p));
    case VType::Currency: return Value::Currency_Raw(static_cast<std::int64_t>(col.wide[p]));
    case VType::Date: return Value::Date((k & Wide) ? Bits<double>(col.wide[p]) : static_cast<std::int32_t>(p));
    case VType::String: return Value::String(Text(r, c).To_String());
    case VType::Error: return Value::Error(static_cast<std::int32_t>(p));
    case VType::Boolean: return Value::Boolean(p != 0);
    case VType::Byte: return Value::Byte(static_cast<std::uint8_t>(p));
    }
    return Value();
}

void Records_Table::Put_Wide(Column& col, int r, VType t, std::uint64_t bits) {
    col.kind[static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(t) | Wide;
    col.payload[static_cast<std::size_t>(r)] = static_cast<std::uint32_t>(col.wide.size());
    col.wide.push_back(bits);
}

void Records_Table::Set_Boolean(int r, int c, bool b) {
    Column& col = Col(c);
    col.kind[static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(VType::Boolean);
    col.payload[static_cast<std::size_t>(r)] = b ? 1 : 0;
}

void Records_Table::Put_Text_Id(int r, int c, std::uint32_t id) {
    Column& col = Col(c);
    const auto at = static_cast<std::size_t>(r);
    if (!col.code_column) {
        col.kind[at] = static_cast<std::uint8_t>(VType::String);
        col.payload[at] = id;
        return;
    }
    auto it = col.code_of_text.find(id);
    if (it == col.code_of_text.end()) {
        it = col.code_of_text.emplace(id, static_cast<std::int32_t>(col.codes.size())).first;
        col.codes.push_back(id);
    }
    col.kind[at] = static_cast<std::uint8_t>(VType::String) | Coded;
    col.payload[at] = static_cast<std::uint32_t>(it->second);
}

void Records_Table::Set_Narrow_Text(int r, int c, const char* bytes, qsizetype size, bool in_place) {
    Column& col = Col(c);
    const auto at = static_cast<std::size_t>(r);
    if (size <= 8) {
        // Codes: a few short texts fill a column; their bytes alone tell them apart.
        constexpr int kBits = 8;
        std::uint64_t key = 0;
        for (qsizetype i = 0; i < size; ++i)
            key |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
        if (col.short_texts.empty()) col.short_texts.resize(std::size_t(1) << kBits);
        Column::Short_Text& e =
            col.short_texts[((key + static_cast<std::uint64_t>(size)) * 0x9E3779B97F4A7C15ull) >> (64 - kBits)];
        if (e.kind != 0 && e.bytes == key && e.size == size) {
            col.kind[at] = e.kind;
            col.payload[at] = e.payload;
            return;
        }
        Put_Text_Id(r, c, pool_.Add_Narrow(bytes, size));
        e.bytes = key;
        e.size = static_cast<std::uint8_t>(size);
        e.kind = col.kind[at];
        e.payload = col.payload[at];
        return;
    }
    // Codes and names repeat down a column: the last few texts of the column are tried
    // before the pool's own index, which is large and slow to reach.
    // A long text used where it lies costs no memory of ours: it is not looked for.
    if (in_place && size > 64) {
        Put_Text_Id(r, c, pool_.Add_In_Place(bytes, size));
        return;
    }
    const std::uint64_t hash = Text_Pool::Narrow_Hash(bytes, size);
    if (col.recent.empty()) col.recent.assign(kRecent, 0);
    std::uint64_t& slot = col.recent[(hash >> 7) % kRecent];
    std::uint32_t id;
    if (slot != 0 && (slot >> 32) == (hash >> 32) && pool_.Is(static_cast<std::uint32_t>(slot) - 1, bytes, size)) {
        id = static_cast<std::uint32_t>(slot) - 1;
        if (col.code_column) {
            // The same text as the cell above is the same code.
            if (r > 0 && col.kind[at - 1] == (static_cast<std::uint8_t>(VType::String) | Coded) &&
                col.codes[col.payload[at - 1]] == id) {
                col.kind[at] = col.kind[at - 1];
                col.payload[at] = col.payload[at - 1];
                return;
            }
        }
    } else {
        id = in_place ? pool_.Add_In_Place(bytes, size) : pool_.Add_Narrow(bytes, size, hash);
        slot = (hash & 0xFFFFFFFF00000000ull) | (static_cast<std::uint64_t>(id) + 1);
    }
    Put_Text_Id(r, c, id);
}

void Records_Table::Set(int r, int c, const Value& v) {
    Column& col = Col(c);
    const auto at = static_cast<std::size_t>(r);
    const VType t = v.type();
    std::uint32_t p = 0;
    switch (t) {
    case VType::Empty: Set_Empty(r, c); return;
    case VType::Null: break;
    case VType::Integer:
    case VType::Long:
    case VType::Error: p = static_cast<std::uint32_t>(static_cast<std::int32_t>(v.rawInt())); break;
    case VType::Byte: p = static_cast<std::uint8_t>(v.rawInt()); break;
    case VType::Boolean: p = v.rawBool() ? 1 : 0; break;
    case VType::Single: p = Bits<std::uint32_t>(static_cast<float>(v.rawDouble())); break;
    case VType::Double:
    case VType::Date:
        if (!Fits_Payload(v.rawDouble())) {
            Put_Wide(col, r, t, Bits<std::uint64_t>(v.rawDouble()));
            return;
        }
        p = static_cast<std::uint32_t>(static_cast<std::int32_t>(v.rawDouble()));
        break;
    case VType::Currency: Put_Wide(col, r, t, static_cast<std::uint64_t>(v.rawInt())); return;
    case VType::String: Put_Text_Id(r, c, pool_.Add(v.rawString())); return;
    }
    col.kind[at] = static_cast<std::uint8_t>(t);
    col.payload[at] = p;
}
