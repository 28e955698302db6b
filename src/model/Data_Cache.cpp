#include "model/Data_Cache.h"

#include "model/Cp1252.h"
#include "model/File_Access.h"
#include "model/Huge_Pages.h"
#include "model/Record_Description.h"
#include "workbook/Sheet_Cells.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#define SIFA_MAP_CACHE 1
#endif
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace {

enum Tag : quint16 {
    T_Empty = 0,
    T_Null = 1,
    T_Integer = 2,
    T_Long = 3,
    T_Single = 4,
    T_Double = 5,
    T_Currency = 6,
    T_Date = 7,
    T_String = 8,
    T_Error = 10,
    T_Boolean = 11,
    T_Byte = 17
};

// The length is read back as a signed 16-bit number.
constexpr int Max_Text_Length = std::numeric_limits<qint16>::max();

class Writer {
public:
    explicit Writer(QByteArray& out) : out_(out) {}
    template <typename T> void Put(T v) {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        out_.append(b, sizeof(T));
    }
    void Put_Double(double d) {
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        Put(bits);
    }
    void Put_Float(float f) {
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        Put(bits);
    }
    void Put_Bytes(const QByteArray& b) { out_.append(b); }
    void Put_Raw(const char* b, qsizetype n) { out_.append(b, n); }
    // One Windows-1252 byte per character, so the length written before holds.
    bool Put_Text(const QString& s) { return Cp1252_Encode_Append(s, out_); }

private:
    QByteArray& out_;
};

// Reads bytes held in memory, or streams them from a device through a small window
// so that a large file never sits in memory whole.
class Reader {
public:
    Reader(const QByteArray& in, qsizetype pos) : p_(in.constData()), n_(in.size()), pos_(pos) {}
    Reader(const char* in, qsizetype size, qsizetype pos) : p_(in), n_(size), pos_(pos) {}
    explicit Reader(QIODevice& dev) : dev_(&dev), p_(nullptr), n_(0), pos_(0) {}
    template <typename T> bool Get(T& v) {
        if (!Need(sizeof(T))) return false;
        v = qFromLittleEndian<T>(p_ + pos_);
        pos_ += sizeof(T);
        return true;
    }
    bool Get_Double(double& d) {
        quint64 bits;
        if (!Get(bits)) return false;
        std::memcpy(&d, &bits, 8);
        return true;
    }
    bool Get_Float(float& f) {
        quint32 bits;
        if (!Get(bits)) return false;
        std::memcpy(&f, &bits, 4);
        return true;
    }
    bool Get_Text(qsizetype len, QString& s) {
        if (len < 0 || !Need(len)) return false;
        // Codes and names repeat from record to record, and one long text may fill a
        // whole column: each distinct text is held once.
        const std::string_view bytes(p_ + pos_, static_cast<size_t>(len));
        if (len <= Short_Text_Length) {
            auto it = short_.find(bytes);
            if (it == short_.end()) it = short_.emplace(std::string(bytes), Cp1252_Decode(bytes.data(), len)).first;
            s = it->second;
        } else {
            // Cells come column by column: a text met again is most often one of the
            // last few of its column, and a length compared first rules out the rest.
            const auto same =
                std::find_if(recent_.begin(), recent_.end(), [&](const QString& t) { return Same_Text(t, bytes); });
            if (same != recent_.end()) {
                s = *same;
            } else {
                s = Cp1252_Decode(bytes.data(), len);
                recent_[next_recent_] = s;
                next_recent_ = (next_recent_ + 1) % recent_.size();
            }
        }
        pos_ += len;
        return true;
    }
    // `len` bytes in place, valid until the next read.
    bool Get_Span(qsizetype len, const char*& bytes) {
        if (len < 0 || !Need(len)) return false;
        bytes = p_ + pos_;
        pos_ += len;
        return true;
    }
    // Bytes not read yet, the device's included.
    qsizetype Left() const { return n_ - pos_ + (dev_ ? static_cast<qsizetype>(dev_->bytesAvailable()) : 0); }
    qsizetype Pos() const { return pos_; }

private:
    bool Need(qsizetype n) { return n_ - pos_ >= n || Refill(n); }
    bool Refill(qsizetype n) {
        if (!dev_) return false;
        constexpr qsizetype kWindow = qsizetype(1) << 20;
        const qsizetype kept = n_ - pos_;
        // A length pointing past the end is refused before anything is allocated for it.
        if (n > Left()) return false;
        // No larger than what is left of a small file.
        const qsizetype wanted = std::max(std::min(kWindow, Left()), n);
        if (window_.size() < wanted) {
            QByteArray bigger(wanted, Qt::Uninitialized);
            if (kept > 0) std::memcpy(bigger.data(), p_ + pos_, static_cast<size_t>(kept));
            window_.swap(bigger);
        } else {
            if (kept > 0) std::memmove(window_.data(), p_ + pos_, static_cast<size_t>(kept));
        }
        p_ = window_.constData();
        n_ = kept;
        pos_ = 0;
        while (n_ < n) {
            const qint64 got = dev_->read(window_.data() + n_, window_.size() - n_);
            if (got <= 0) return false;
            n_ += static_cast<qsizetype>(got);
        }
        return true;
    }

    static bool Same_Text(const QString& text, std::string_view bytes) {
        if (text.size() != static_cast<qsizetype>(bytes.size())) return false;
        const char16_t* u = reinterpret_cast<const char16_t*>(text.constData());
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (u[i] != (b < 0x80 ? char16_t(b) : Cp1252_To_Unicode(b))) return false;
        }
        return true;
    }
    struct Text_Hash {
        using is_transparent = void;
        size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
    };
    static constexpr qsizetype Short_Text_Length = 24;

    QIODevice* dev_ = nullptr;
    QByteArray window_;
    const char* p_;
    qsizetype n_;
    qsizetype pos_;
    std::unordered_map<std::string, QString, Text_Hash, std::equal_to<>> short_;
    std::array<QString, 4> recent_;
    size_t next_recent_ = 0;
};

bool Put_Name(Writer& w, const Source_Identity& id) {
    QByteArray name;
    if (!Cp1252_Encode(id.Name, name)) return false;
    w.Put<qint32>(static_cast<qint32>(name.size()));
    w.Put_Bytes(name);
    w.Put<qint32>(id.Size);
    w.Put_Double(id.Time);
    return true;
}

bool Get_Name(Reader& r, Source_Identity& id) {
    qint32 len = 0;
    return r.Get(len) && r.Get_Text(len, id.Name) && r.Get(id.Size) && r.Get_Double(id.Time);
}

bool Put_Cell(Writer& w, const Value& v) {
    switch (v.type()) {
    case VType::Empty: w.Put<quint16>(T_Empty); return true;
    case VType::Null: w.Put<quint16>(T_Null); return true;
    case VType::Integer:
        w.Put<quint16>(T_Integer);
        w.Put<qint16>(static_cast<qint16>(v.rawInt()));
        return true;
    case VType::Long:
        w.Put<quint16>(T_Long);
        w.Put<qint32>(static_cast<qint32>(v.rawInt()));
        return true;
    case VType::Single:
        w.Put<quint16>(T_Single);
        w.Put_Float(static_cast<float>(v.rawDouble()));
        return true;
    case VType::Double:
        w.Put<quint16>(T_Double);
        w.Put_Double(v.rawDouble());
        return true;
    case VType::Currency:
        w.Put<quint16>(T_Currency);
        w.Put<qint64>(v.rawInt());
        return true;
    case VType::Date:
        w.Put<quint16>(T_Date);
        w.Put_Double(v.rawDouble());
        return true;
    case VType::Error:
        w.Put<quint16>(T_Error);
        w.Put<qint32>(static_cast<qint32>(v.rawInt()));
        return true;
    case VType::Boolean:
        w.Put<quint16>(T_Boolean);
        w.Put<qint16>(v.rawBool() ? -1 : 0);
        return true;
    case VType::Byte:
        w.Put<quint16>(T_Byte);
        w.Put<quint8>(static_cast<quint8>(v.rawInt()));
        return true;
    case VType::String: {
        const QString& text = v.rawString();
        if (text.size() > Max_Text_Length) return false;
        w.Put<quint16>(T_String);
        w.Put<qint16>(static_cast<qint16>(text.size()));
        return w.Put_Text(text);
    }
    }
    return false;
}

bool Put_Cell(Writer& w, const Records_Table& t, int r, int c) {
    const VType type = t.Type(r, c);
    if (type != VType::String) return Put_Cell(w, t(r, c));
    const Text_View text = t.Text(r, c);
    // A text kept as UTF-16 is one Windows-1252 cannot hold.
    if (text.size() > Max_Text_Length || !text.Narrow()) return false;
    w.Put<quint16>(T_String);
    w.Put<qint16>(static_cast<qint16>(text.size()));
    w.Put_Raw(text.Bytes(), text.size());
    return true;
}

bool Get_Cell(Reader& r, Records_Table& t, int row, int c, bool in_place) {
    Value v;
    quint16 tag = 0;
    if (!r.Get(tag)) return false;
    switch (tag) {
    case T_Empty: t.Set_Empty(row, c); return true;
    case T_Null: v = Value::Null(); break;
    case T_Integer: {
        qint16 x;
        if (!r.Get(x)) return false;
        v = Value::Integer(x);
        break;
    }
    case T_Long: {
        qint32 x;
        if (!r.Get(x)) return false;
        v = Value::Long(x);
        break;
    }
    case T_Single: {
        float x;
        if (!r.Get_Float(x)) return false;
        v = Value::Single(x);
        break;
    }
    case T_Double: {
        double x;
        if (!r.Get_Double(x)) return false;
        v = Value::Double(x);
        break;
    }
    case T_Currency: {
        qint64 x;
        if (!r.Get(x)) return false;
        v = Value::Currency_Raw(x);
        break;
    }
    case T_Date: {
        double x;
        if (!r.Get_Double(x)) return false;
        v = Value::Date(x);
        break;
    }
    case T_Error: {
        qint32 x;
        if (!r.Get(x)) return false;
        v = Value::Error(x);
        break;
    }
    case T_Boolean: {
        qint16 x;
        if (!r.Get(x)) return false;
        v = Value::Boolean(x != 0);
        break;
    }
    case T_Byte: {
        quint8 x;
        if (!r.Get(x)) return false;
        v = Value::Byte(x);
        break;
    }
    case T_String: {
        qint16 len = 0;
        const char* bytes = nullptr;
        if (!r.Get(len) || !r.Get_Span(len, bytes)) return false;
        t.Set_Narrow_Text(row, c, bytes, len, in_place);
        return true;
    }
    default: return false;
    }
    t.Set(row, c, v);
    return true;
}

qint32 Field_Count(const Records_Table& table) { return table.Description() ? table.Description()->Count() : 0; }

}  // namespace

Source_Identity Identity_Of(const QString& name, const File_Stamp& stamp) {
    // Milliseconds rounded down, as the file's time is read everywhere else.
    const qint64 ms = stamp.Modified_Ns >= 0 ? stamp.Modified_Ns / 1000000 : -((-stamp.Modified_Ns + 999999) / 1000000);
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    Source_Identity id;
    id.Name = name;
    id.Size = static_cast<qint32>(stamp.Size);
    id.Time = Date_Serial(d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second());
    return id;
}

std::optional<Source_Identity> Identity_Of(const QString& file) {
    const auto stamp = Stamp_Of_Path(file);
    if (!stamp || stamp->Size > std::numeric_limits<qint32>::max()) return std::nullopt;
    return Identity_Of(QFileInfo(file).fileName(), *stamp);
}

namespace {

// Encodes into `buf`, handing it to `flush` (which empties it) each time it holds a
// piece; false when a text cannot be represented or `flush` fails. `starts`, when given,
// receives where each column begins in the whole output, then where the last one ends.
bool Encode_Into(const Source_Identity& source, const Source_Identity& refs, const Records_Table& table,
                 QByteArray& buf, const std::function<bool(QByteArray&)>& flush,
                 std::vector<qint64>* starts = nullptr) {
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    Writer w(buf);
    if (!Put_Name(w, source) || !Put_Name(w, refs)) return false;
    const int R = table.Row_Upper(), N = table.Col_Upper();
    w.Put<qint32>(R);
    w.Put<qint32>(N);
    qint64 flushed = 0;
    const auto put_piece = [&] {
        flushed += buf.size();
        return flush(buf);
    };
    for (int c = 0; c <= N; ++c) {
        if (starts) starts->push_back(flushed + buf.size());
        for (int r = 0; r <= R; ++r) {
            if (!Put_Cell(w, table, r, c)) return false;
            if (flush && buf.size() >= kPiece && !put_piece()) return false;
        }
    }
    if (starts) starts->push_back(flushed + buf.size());
    return !flush || buf.isEmpty() || put_piece();
}

}  // namespace

std::optional<QByteArray> Encode_Data_Cache(const Source_Identity& source, const Source_Identity& refs,
                                            const Records_Table& table) {
    QByteArray out;
    const int R = table.Row_Upper(), N = table.Col_Upper();
    qsizetype textBytes = 0;
    for (int r = 0; r <= R; ++r)
        for (int c = 0; c <= N; ++c)
            if (table.Is_Text(r, c)) textBytes += table.Text(r, c).size();
    out.reserve(64 + static_cast<qsizetype>(R + 1) * (N + 1) * 10 + textBytes);
    Advise_Huge_Pages(out.data(), static_cast<size_t>(out.capacity()));
    if (!Encode_Into(source, refs, table, out, {})) return std::nullopt;
    return out;
}

namespace {

std::optional<Cache_Header> Read_Header(Reader& r) {
    Cache_Header h;
    if (!Get_Name(r, h.Source) || !Get_Name(r, h.Code_Table) || !r.Get(h.RowUpper) || !r.Get(h.ColUpper))
        return std::nullopt;
    return h;
}

// `mapped`: the file's bytes, mapped, that r reads; texts stay where they lie.
struct Mapped_File {
    const char* bytes = nullptr;
    qsizetype size = 0;
    std::shared_ptr<const void> keep;
};

// Where each column's cells begin and, last, where they end, from the tags and lengths
// alone: a cell is skipped in a few steps. Empty when the cells do not fill the rest of
// the bytes exactly, or when asked to stop.
std::vector<qsizetype> Column_Starts(const char* p, qsizetype size, qsizetype pos, const Cache_Header& h,
                                     std::stop_token stop) {
    std::vector<qsizetype> starts;
    starts.reserve(static_cast<size_t>(h.ColUpper) + 2);
    for (int c = 0; c <= h.ColUpper; ++c) {
        if (stop.stop_requested()) return {};
        starts.push_back(pos);
        for (int row = 0; row <= h.RowUpper; ++row) {
            if (size - pos < 2) return {};
            const auto tag = qFromLittleEndian<quint16>(p + pos);
            pos += 2;
            qsizetype n = 0;
            switch (tag) {
            case T_Empty:
            case T_Null: n = 0; break;
            case T_Byte: n = 1; break;
            case T_Integer:
            case T_Boolean: n = 2; break;
            case T_Long:
            case T_Single:
            case T_Error: n = 4; break;
            case T_Double:
            case T_Currency:
            case T_Date: n = 8; break;
            case T_String:
                if (size - pos < 2) return {};
                n = 2 + qFromLittleEndian<qint16>(p + pos);
                if (n < 2) return {};
                break;
            default: return {};
            }
            if (size - pos < n) return {};
            pos += n;
        }
    }
    if (pos != size) return {};
    starts.push_back(pos);
    return starts;
}

// The pages of cells read are given back: their texts come in again from the file when
// something asks for them, so a search of one language never holds the other
// language's texts.
void Give_Back(const Mapped_File& mapped, qsizetype from, qsizetype to) {
#if defined(SIFA_MAP_CACHE)
    const auto page = static_cast<qsizetype>(sysconf(_SC_PAGESIZE));
    const qsizetype a = (from + page - 1) / page * page, b = to / page * page;
    if (b > a) ::madvise(const_cast<char*>(mapped.bytes) + a, static_cast<size_t>(b - a), MADV_DONTNEED);
#else
    (void)mapped;
    (void)from;
    (void)to;
#endif
}

// The pages of bytes about to be read, mapped at once rather than one fault at a time
// (and so that the lines asked for ahead are there to be fetched).
void Populate(const Mapped_File& mapped, qsizetype from, qsizetype to) {
#if defined(SIFA_MAP_CACHE) && defined(MADV_POPULATE_READ)
    const auto page = static_cast<qsizetype>(sysconf(_SC_PAGESIZE));
    const qsizetype a = from / page * page;
    if (to > a) ::madvise(const_cast<char*>(mapped.bytes) + a, static_cast<size_t>(to - a), MADV_POPULATE_READ);
#else
    (void)mapped;
    (void)from;
    (void)to;
#endif
}

// `give_back`: the pages read are given back at once.
bool Read_Column(Reader& r, Records_Table& t, const Cache_Header& h, int c, const Mapped_File* mapped,
                 bool give_back = true) {
    const qsizetype from = r.Pos();
    // Where a cell begins is known only once the one before is read: the lines ahead are
    // asked for early, so that a column of long texts is not read one wait per cell.
    constexpr qsizetype Ahead = 4096;
    qsizetype asked = from;
    for (int row = 0; row <= h.RowUpper; ++row) {
#if defined(__GNUC__)
        if (mapped) {
            const qsizetype until = std::min(r.Pos() + Ahead, mapped->size);
            for (; asked < until; asked += 64) __builtin_prefetch(mapped->bytes + asked);
        }
#endif
        if (!Get_Cell(r, t, row, c, mapped != nullptr)) return false;
    }
    if (mapped && give_back) Give_Back(*mapped, from, r.Pos());
    return true;
}

// Whether the stamp's offsets of the columns fit this file: each column at least its
// tags, the first where the cells begin, the last ending with the file.
bool Columns_Fit(const std::vector<qint64>& known, const Cache_Header& h, qsizetype cells_from, qsizetype size) {
    const qint64 least = 2 * (static_cast<qint64>(h.RowUpper) + 1);
    bool fits =
        known.size() == static_cast<size_t>(h.ColUpper) + 2 && known.front() == cells_from && known.back() == size;
    for (size_t i = 1; fits && i < known.size(); ++i) fits = known[i] - known[i - 1] >= least;
    return fits;
}

// Columns are independent: on a mapped file a second thread finds where each begins,
// then reads them from the last one down, into a table of its own, while this thread
// reads from the first one up; the two meet in the middle.
// `known`: where the columns begin and end as the stamp gives them, trusted only when
// they fit this file (a column read must still end where the next begins).
bool Read_Columns_On_Two_Threads(Reader& r, const Cache_Header& h, Records_Table& t, const Mapped_File& mapped,
                                 const std::vector<qint64>& known) {
    Records_Table part(t.Description());
    part.Resize_For_Filling(h.RowUpper, h.ColUpper);
    part.Keep_Bytes(mapped.bytes, static_cast<size_t>(mapped.size), mapped.keep);
    std::mutex claims;
    int next_up = 0, next_down = h.ColUpper;  // the next column each thread takes
    int helper_from = h.ColUpper + 1;  // the helper's columns: helper_from..ColUpper
    bool helper_failed = false;
    std::vector<qsizetype> starts;
    const qsizetype cells_from = r.Pos();
    const bool fits = Columns_Fit(known, h, cells_from, mapped.size);
    if (fits) starts.assign(known.begin(), known.end());
    std::jthread helper([&](std::stop_token stop) {
        try {
            if (!fits) starts = Column_Starts(mapped.bytes, mapped.size, cells_from, h, stop);
            if (starts.empty()) return;
            for (;;) {
                int c;
                {
                    const std::lock_guard<std::mutex> lock(claims);
                    if (next_up > next_down || stop.stop_requested()) return;
                    c = next_down--;
                    helper_from = c;
                }
                Reader cr(mapped.bytes, mapped.size, starts[static_cast<size_t>(c)]);
                if (!Read_Column(cr, part, h, c, &mapped) || cr.Pos() != starts[static_cast<size_t>(c) + 1]) {
                    const std::lock_guard<std::mutex> lock(claims);
                    helper_failed = true;
                    return;
                }
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(claims);
            helper_failed = true;
        }
    });
    bool ok = true;
    for (;;) {
        int c;
        {
            const std::lock_guard<std::mutex> lock(claims);
            if (next_up > next_down) break;
            c = next_up++;
        }
        if (!Read_Column(r, t, h, c, &mapped)) {
            ok = false;
            break;
        }
    }
    helper.request_stop();
    helper.join();
    if (!ok || helper_failed) return false;
    if (helper_from > h.ColUpper) return r.Left() == 0;
    if (r.Pos() != starts[static_cast<size_t>(helper_from)]) return false;
    t.Take_Columns(part, helper_from, h.ColUpper);
    return true;
}

// What a column found damaged long after the load does: the stamp goes, so that the next
// start imports the workbook again, unless the cache is no longer the file read.
struct Damage_Report {
    QString cache;
    std::optional<File_Stamp> read;
    void operator()() const {
        const auto now = Stamp_Of_Path(cache);
        if (now && read && now->Inode == read->Inode && now->Size == read->Size &&
            now->Modified_Ns == read->Modified_Ns)
            QFile::remove(cache + QStringLiteral(".stamp"));
    }
};

bool Read_Cells(Reader& r, const Cache_Header& h, Records_Table& out, const Mapped_File* mapped = nullptr,
                const std::vector<qint64>& columns = {}, const Damage_Report& damage = {}) {
    // No workbook holds more records than its rows under the header.
    if (h.RowUpper < 0 || h.ColUpper < 0 || static_cast<quint32>(h.RowUpper) > Sheet_Max_Rows - 1) return false;
    // Every cell takes at least its 2-byte tag: refuse sizes the file cannot hold
    // before allocating anything.
    const qint64 cells = (static_cast<qint64>(h.RowUpper) + 1) * (static_cast<qint64>(h.ColUpper) + 1);
    if (cells * 2 > r.Left()) return false;
    Records_Table t(out.Description());
    if (mapped && Columns_Fit(columns, h, r.Pos(), mapped->size)) {
        // Each column is read when something first asks for it: the texts of the other
        // language, and fields no one shows or searches, are never read. Its cells are
        // checked then, and a damaged column reads as empty.
        const Mapped_File m = *mapped;
        Records_Table::Column_Source source;
        source.fill = [m, columns, h, damage](Records_Table& part, int c) {
            part.Keep_Bytes(m.bytes, static_cast<size_t>(m.size), m.keep);
            Populate(m, columns[static_cast<size_t>(c)], columns[static_cast<size_t>(c) + 1]);
            Reader cr(m.bytes, m.size, columns[static_cast<size_t>(c)]);
            if (Read_Column(cr, part, h, c, &m, false) && cr.Pos() == columns[static_cast<size_t>(c) + 1]) return true;
            damage();
            return false;
        };
        source.give_back = [m, columns](int c) {
            Give_Back(m, columns[static_cast<size_t>(c)], columns[static_cast<size_t>(c) + 1]);
        };
        for (size_t c = 0; c + 1 < columns.size(); ++c)
            source.bytes.push_back(static_cast<size_t>(columns[c + 1] - columns[c]));
        source.most_texts = static_cast<size_t>(cells);
        source.text_bytes = static_cast<size_t>(m.size);
        t.Fill_When_Asked(h.RowUpper, h.ColUpper, std::move(source));
        out.Swap(t);
        return true;
    }
    // Every cell is written below, or the load fails.
    t.Resize_For_Filling(h.RowUpper, h.ColUpper);
    if (mapped) Populate(*mapped, r.Pos(), mapped->size);
    if (mapped && h.ColUpper >= 1) {
        t.Keep_Bytes(mapped->bytes, static_cast<size_t>(mapped->size), mapped->keep);
        if (!Read_Columns_On_Two_Threads(r, h, t, *mapped, columns)) return false;
    } else {
        if (mapped) t.Keep_Bytes(mapped->bytes, static_cast<size_t>(mapped->size), mapped->keep);
        for (int c = 0; c <= h.ColUpper; ++c)
            if (!Read_Column(r, t, h, c, mapped)) return false;
        if (r.Left() != 0) return false;
    }
    t.Done_Loading();
    out.Swap(t);
    return true;
}

}  // namespace

std::optional<Cache_Header> Decode_Cache_Header(const QByteArray& bytes, qsizetype& pos) {
    Reader r(bytes, pos);
    const auto h = Read_Header(r);
    if (h) pos = r.Pos();
    return h;
}

bool Decode_Cache_Cells(const QByteArray& bytes, qsizetype pos, const Cache_Header& h, Records_Table& out) {
    Reader r(bytes, pos);
    return Read_Cells(r, h, out);
}

namespace {

QByteArray Time_Bits(double t) {
    quint64 bits;
    std::memcpy(&bits, &t, 8);
    return QByteArray::number(bits, 16).rightJustified(16, '0');
}

// What ties a stamp to the one cache it was written with.
QByteArray Cache_Key(const Cache_Header& h, qint64 cacheBytes) {
    return QByteArray::number(cacheBytes) + ' ' + QByteArray::number(h.Source.Size) + ' ' + Time_Bits(h.Source.Time) +
           ' ' + QByteArray::number(h.Code_Table.Size) + ' ' + Time_Bits(h.Code_Table.Time) + ' ' +
           QByteArray::number(h.RowUpper) + ' ' + QByteArray::number(h.ColUpper);
}

constexpr char Stamp_Title[] = "Sifa_Soft cache stamp 2";
// A stamp without the line of columns, as the first programs wrote it.
constexpr char Stamp_Title_Without_Columns[] = "Sifa_Soft cache stamp 1";

// The part of a file's stamp that survives a copy of the folder kept on the same disk:
// not its device number (a disk may come back under another) nor its change time (a
// change of owner or of links changes no byte).
struct Fine_Identity {
    quint64 Inode = 0;
    qint64 Size = 0, Modified_Ns = 0;
    bool Is(const File_Stamp& s) const { return Inode == s.Inode && Size == s.Size && Modified_Ns == s.Modified_Ns; }
};

QByteArray Stamp_Line(const char* what, const File_Stamp& s) {
    return QByteArray(what) + ' ' + QByteArray::number(s.Inode) + ' ' + QByteArray::number(s.Size) + ' ' +
           QByteArray::number(s.Modified_Ns) + '\n';
}

std::optional<Fine_Identity> Parse_Stamp_Line(const QByteArray& line, const char* what) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 4 || parts[0] != what) return std::nullopt;
    bool ok[3] = {};
    Fine_Identity id{parts[1].toULongLong(&ok[0]), parts[2].toLongLong(&ok[1]), parts[3].toLongLong(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2]) return std::nullopt;
    return id;
}

QByteArray Columns_Line(const std::vector<qint64>& starts) {
    QByteArray line("columns");
    for (const qint64 at : starts) line += ' ' + QByteArray::number(at);
    return line + '\n';
}

// Empty when the line is not one of offsets.
std::vector<qint64> Parse_Columns_Line(const QByteArray& line) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() < 2 || parts[0] != "columns") return {};
    std::vector<qint64> starts;
    starts.reserve(static_cast<size_t>(parts.size()) - 1);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        bool ok = false;
        starts.push_back(parts[i].toLongLong(&ok));
        if (!ok) return {};
    }
    return starts;
}

struct Cache_Stamp {
    Fine_Identity Source, Code_Table;
    std::vector<qint64> Columns;  // where each column begins, then the end; may be empty
};

// nullopt when the stamp is missing, damaged or another cache's.
std::optional<Cache_Stamp> Read_Cache_Stamp(const QString& file, const QByteArray& key) {
    QFile f;
    if (!Open_Regular_File(f, file)) return std::nullopt;
    // Eleven digits and a space for each of up to a few hundred columns.
    const QList<QByteArray> lines = f.read(qint64(1) << 16).split('\n');
    const bool with_columns = lines.size() == 6 && lines[0] == Stamp_Title;
    const bool without = lines.size() == 5 && lines[0] == Stamp_Title_Without_Columns;
    if ((!with_columns && !without) || !lines.back().isEmpty() || lines[1] != "cache " + key) return std::nullopt;
    const auto source = Parse_Stamp_Line(lines[2], "source");
    const auto refs = Parse_Stamp_Line(lines[3], "refs");
    if (!source || !refs) return std::nullopt;
    Cache_Stamp stamp{*source, *refs, {}};
    if (with_columns) {
        stamp.Columns = Parse_Columns_Line(lines[4]);
        if (stamp.Columns.empty()) return std::nullopt;
    }
    return stamp;
}

// "Data.dat.stamp" beside "Data.dat".
QString Cache_Stamp_File(const QString& CacheFile) { return CacheFile + QStringLiteral(".stamp"); }

}  // namespace

qint32 Load_Data_Cache(Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                       const QString& CacheFile) {
    QFile f;
    if (!Open_Regular_File(f, CacheFile, QIODevice::Unbuffered)) return -1;
    Reader r(f);
    const auto h = Read_Header(r);
    if (!h) return -1;

    // A missing source counts as unchanged, so Data.dat alone is enough to run: its size
    // and time stand in, but not its name. A pipe or a device in its place is no source.
    const auto sourceNow = Stamp_Of_Path(SourceFile);
    const auto refsNow = Stamp_Of_Path(RefsFile);
    const auto current = [](const QString& file, const std::optional<File_Stamp>& now,
                            const Source_Identity& stored) -> std::optional<Source_Identity> {
        if (now) {
            if (now->Size > std::numeric_limits<qint32>::max()) return std::nullopt;
            return Identity_Of(QFileInfo(file).fileName(), *now);
        }
        Source_Identity id = stored;
        id.Name = QFileInfo(file).fileName();
        return id;
    };
    const auto source = current(SourceFile, sourceNow, h->Source);
    const auto refs = current(RefsFile, refsNow, h->Code_Table);
    const bool valid = source && refs && h->Source.Size == source->Size && h->Source.Time == source->Time &&
                       h->Code_Table.Size == refs->Size && h->Code_Table.Time == refs->Time &&
                       h->ColUpper == Field_Count(Records) && h->Source.Name == source->Name &&
                       h->Code_Table.Name == refs->Name;
    if (!valid) return -1;
    const auto stamp = Read_Cache_Stamp(Cache_Stamp_File(CacheFile), Cache_Key(*h, f.size()));
    if (sourceNow || refsNow) {
        if (!stamp || (sourceNow && !stamp->Source.Is(*sourceNow)) || (refsNow && !stamp->Code_Table.Is(*refsNow)))
            return -1;
    }
#if defined(SIFA_MAP_CACHE)
    // Mapped, the file's texts are used where they lie: no copy of them, and no fresh
    // memory for the system to clear. Ours are written through a new file and a rename,
    // so the mapped one stays as it was.
    const qint64 size = f.size();
    if (size > 0 && size <= std::numeric_limits<qsizetype>::max()) {
        void* m = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, f.handle(), 0);
        if (m != MAP_FAILED) {
            const Mapped_File mapped{static_cast<const char*>(m), static_cast<qsizetype>(size),
                                     std::shared_ptr<const void>(m, [size](const void* p) {
                                         ::munmap(const_cast<void*>(p), static_cast<size_t>(size));
                                     })};
            Reader mr(mapped.bytes, mapped.size, 0);
            if (!Read_Header(mr) ||
                !Read_Cells(mr, *h, Records, &mapped, stamp ? stamp->Columns : std::vector<qint64>{},
                            Damage_Report{CacheFile, Stamp_Of(f)}))
                return -1;
            return h->RowUpper;
        }
    }
#endif
    if (!Read_Cells(r, *h, Records)) return -1;
    return h->RowUpper;
}

QString Damaged_Cache_Text() {
    return QCoreApplication::translate("Data_Cache",
                                       "The cache Data.dat is damaged: some values could not be read and show as "
                                       "empty. The records will be read again from the workbook at the next start.");
}

std::optional<QString> Cached_Source_Name(const QString& CacheFile) {
    QFile f;
    if (!Open_Regular_File(f, CacheFile, QIODevice::Unbuffered)) return std::nullopt;
    Reader r(f);
    Source_Identity source;
    if (!Get_Name(r, source)) return std::nullopt;
    return source.Name;
}

Source_Stamps Take_Source_Stamps(const QString& SourceFile, const QString& RefsFile) {
    return {Stamp_Of_Path(SourceFile), Stamp_Of_Path(RefsFile)};
}

Cache_Save Save_Data_Cache(const Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                           const QString& CacheFile) {
    return Save_Data_Cache(Records, SourceFile, RefsFile, CacheFile, Take_Source_Stamps(SourceFile, RefsFile));
}

Cache_Save Save_Data_Cache(const Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                           const QString& CacheFile, const Source_Stamps& taken) {
    // Without both identities the cache could never be recognised as valid.
    constexpr qint64 Largest = std::numeric_limits<qint32>::max();
    if (!taken.Source || !taken.Code_Table || taken.Source->Size > Largest || taken.Code_Table->Size > Largest)
        return Cache_Save::Write_Failed;
    Cache_Header h;
    h.Source = Identity_Of(QFileInfo(SourceFile).fileName(), *taken.Source);
    h.Code_Table = Identity_Of(QFileInfo(RefsFile).fileName(), *taken.Code_Table);
    h.RowUpper = Records.Row_Upper();
    h.ColUpper = Records.Col_Upper();
    // Written piece by piece as it is encoded: no second copy of the records in memory.
    // Until commit the old file stays as it was, whatever goes wrong; a link or a special
    // file in its place is not ours to replace.
    Output_File f;
    const bool opened = f.Open(CacheFile, Link_Rule::Refuse);
    QByteArray piece;
    piece.reserve(qsizetype(2) << 20);
    qint64 written = 0;
    const auto flush = [&](QByteArray& b) {
        // Unwritable: the rest is still encoded, to tell a text that cannot be stored.
        if (opened) f.Write(b);
        written += b.size();
        b.resize(0);
        return true;
    };
    std::vector<qint64> columns;
    if (!Encode_Into(h.Source, h.Code_Table, Records, piece, flush, &columns)) return Cache_Save::Not_Representable;
    if (!opened) return Cache_Save::Write_Failed;
    if (Take_Source_Stamps(SourceFile, RefsFile) != taken) return Cache_Save::Sources_Changed;
    // The old stamp goes first: whatever happens next, it never vouches for the new cache.
    const QString stampFile = Cache_Stamp_File(CacheFile);
    if (Is_Regular_File(stampFile) && !QFileInfo(stampFile).isSymLink() && !QFile::remove(stampFile))
        return Cache_Save::Write_Failed;
    if (!f.Commit()) return Cache_Save::Write_Failed;
    Output_File stamp;
    const QByteArray text = QByteArray(Stamp_Title) + "\ncache " + Cache_Key(h, written) + '\n' +
                            Stamp_Line("source", *taken.Source) + Stamp_Line("refs", *taken.Code_Table) +
                            Columns_Line(columns);
    if (!stamp.Open(stampFile, Link_Rule::Refuse) || !stamp.Write(text) || !stamp.Commit())
        return Cache_Save::Write_Failed;
    return Cache_Save::Written;
}

void Remove_Stale_Cache_Temporaries(const QString& CacheFile) {
    const QFileInfo cache(CacheFile);
    // The names Output_File gives the temporaries of the cache and of its stamp.
    const QRegularExpression own(
        QStringLiteral("^\\.%1(\\.stamp)?\\.[0-9a-z]+\\.tmp$").arg(QRegularExpression::escape(cache.fileName())));
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QFileInfoList found =
        cache.dir().entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : found)
        if (own.match(f.fileName()).hasMatch() && f.isFile() && !f.isSymLink() && f.lastModified() < stale)
            QFile::remove(f.filePath());
}
