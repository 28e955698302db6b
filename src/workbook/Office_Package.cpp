#include "workbook/Office_Package.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include <libdeflate.h>
#include <zlib.h>
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace Office_Package {

namespace {

// After a part's bytes: the parser's tail and padding.
constexpr std::size_t kPart_Room = kXml_Tail.size() + kXml_Padding;

// Raw deflate data into exactly `unpacked` bytes: more or less is a damaged entry. Whole
// buffer at once (libdeflate): about twice as fast as a stream, and the size is known.
void Inflate(const unsigned char* in, std::uint64_t packed, char* out, std::uint64_t unpacked) {
    struct Free_Decompressor {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    const std::unique_ptr<libdeflate_decompressor, Free_Decompressor> d(libdeflate_alloc_decompressor());
    if (!d) throw std::bad_alloc();
    if (libdeflate_deflate_decompress(d.get(), in, std::size_t(packed), out, std::size_t(unpacked), nullptr) !=
        LIBDEFLATE_SUCCESS)
        Fail(Workbook_Failure::Cannot_Unpack);
}

}  // namespace

[[noreturn]] void Fail(Workbook_Failure why) { throw Read_Failure{why}; }

std::uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t Le16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

char Ascii_Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// A part name as looked up: letter case ignored, and the backslashes some writers put in
// entry names read as slashes.
std::string Part_Key(string_view s) {
    std::string out(s);
    for (char& c : out) c = c == '\\' ? '/' : Ascii_Lower(c);
    return out;
}

bool Equals_No_Case(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Ascii_Lower(a[i]) != Ascii_Lower(b[i])) return false;
    return true;
}

string_view Trim(string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool Parse_Double(string_view s, double& out) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

// A non-negative whole number; false when absent, malformed or too large.
bool Parse_Unsigned(string_view s, std::uint64_t& out) {
    s = Trim(s);
    if (s.empty()) return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        if (v > (std::uint64_t(1) << 40)) return false;
        v = v * 10 + std::uint64_t(c - '0');
    }
    out = v;
    return true;
}

QString From_Utf8(string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Day number from 1899-12-30 of a proleptic Gregorian date.
std::int64_t Days_From_1899_12_30(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468 + 25569;  // 1970-01-01 is day 25569
}

// "hh:mm[:ss[.fff]]" as a fraction of a day.
bool Parse_Clock(string_view s, double& day_fraction) {
    std::uint64_t h = 0, m = 0;
    double sec = 0;
    const std::size_t c1 = s.find(':');
    if (c1 == string_view::npos || !Parse_Unsigned(s.substr(0, c1), h)) return false;
    s.remove_prefix(c1 + 1);
    const std::size_t c2 = s.find(':');
    if (!Parse_Unsigned(s.substr(0, c2), m)) return false;
    if (c2 != string_view::npos && !Parse_Double(s.substr(c2 + 1), sec)) return false;
    day_fraction = (double(h) * 3600 + double(m) * 60 + sec) / 86400.0;
    return true;
}

// ISO 8601 "yyyy-mm-dd", "yyyy-mm-ddThh:mm:ss[.fff]" (a time zone is ignored) or a time alone,
// as a day number from 1899-12-30.
bool Parse_Iso_Date_Time(string_view s, double& out) {
    s = Trim(s);
    if (s.empty()) return false;
    if (s.size() >= 3 && s[2] == ':') return Parse_Clock(s, out);
    bool negative_year = false;
    if (s.front() == '-') {
        negative_year = true;
        s.remove_prefix(1);
    }
    const std::size_t d1 = s.find('-');
    if (d1 == string_view::npos || d1 + 3 > s.size() || s[d1 + 3] != '-') return false;
    std::uint64_t y = 0, m = 0, d = 0;
    if (!Parse_Unsigned(s.substr(0, d1), y) || !Parse_Unsigned(s.substr(d1 + 1, 2), m)) return false;
    string_view rest = s.substr(d1 + 4);
    const std::size_t t = rest.find_first_of("T ");
    if (!Parse_Unsigned(rest.substr(0, std::min<std::size_t>(2, t)), d)) return false;
    if (y > 200000 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    double day =
        double(Days_From_1899_12_30(negative_year ? -std::int64_t(y) : std::int64_t(y), unsigned(m), unsigned(d)));
    if (t != string_view::npos) {
        string_view clock = rest.substr(t + 1);
        const std::size_t zone = clock.find_first_of("Z+-");
        if (zone != string_view::npos) clock = clock.substr(0, zone);
        double fraction = 0;
        if (!clock.empty() && !Parse_Clock(clock, fraction)) return false;
        day += fraction;
    }
    out = day;
    return true;
}

// The automation code of an error as written in a cell ("#N/A"), the newer errors included;
// any other name (the "Err:502" some programs write) is taken as #VALUE!, so that no error
// becomes text.
std::int32_t Error_Code(string_view text) {
    const QString t = From_Utf8(text);
    if (const auto code = Error_Code_From_Text(t)) return *code;
    return Xl_Err_Value;
}

// The central directory (the last end record, its entries for as long as their signature
// follows), checked before anything is unpacked: no entry may claim more than the file can
// hold or than deflate can make of it, and no two entries may be taken for one.
void Package::Scan_Directory() {
    const auto* b = reinterpret_cast<const unsigned char*>(data_.data());
    const std::size_t n = std::size_t(data_.size());
    if (n < 22) Fail(Workbook_Failure::Cannot_Unpack);
    const std::size_t lowest = n > 22 + 65535 ? n - 22 - 65535 : 0;
    std::size_t at = n - 4;
    while (Le32(b + at) != 0x06054b50)
        if (at-- == lowest) Fail(Workbook_Failure::Cannot_Unpack);
    // A single-disk archive, as all packages are.
    if (n - at < 22 || Le32(b + at + 4) != 0) Fail(Workbook_Failure::Cannot_Unpack);
    std::size_t p = Le32(b + at + 16);
    while (true) {
        if (p > n || n - p < 4) Fail(Workbook_Failure::Cannot_Unpack);
        if (Le32(b + p) != 0x02014b50) break;
        if (n - p < 46) Fail(Workbook_Failure::Cannot_Unpack);
        Entry e;
        e.flags = Le16(b + p + 8);
        e.method = Le16(b + p + 10);
        e.packed = Le32(b + p + 20);
        e.unpacked = Le32(b + p + 24);
        e.local_header = Le32(b + p + 42);
        const std::size_t name_len = Le16(b + p + 28);
        const std::size_t skip = std::size_t(46) + name_len + Le16(b + p + 30) + Le16(b + p + 32);
        if (n - p < skip || name_len == 0) Fail(Workbook_Failure::Cannot_Unpack);
        e.name.assign(reinterpret_cast<const char*>(b + p + 46), name_len);
        if (e.name.find('\0') != std::string::npos) Fail(Workbook_Failure::Cannot_Unpack);
        // Parts are looked up without regard to letter case: of two names that differ only
        // in it, which one is the workbook's is not for us to guess.
        if (!entries_.emplace(Part_Key(e.name), std::move(e)).second) Fail(Workbook_Failure::Cannot_Unpack);
        p += skip;
    }
}

std::uint64_t Package::Unpacked_Bytes() const {
    std::uint64_t total = 0;
    for (const auto& [key, e] : entries_) total += std::min(e.unpacked, kMax_Part_Bytes);
    return total;
}

std::uint64_t Package::Data_Start(const Entry& e) const {
    const auto* b = reinterpret_cast<const unsigned char*>(data_.data());
    const std::uint64_t n = std::uint64_t(data_.size());
    if (e.local_header > n || n - e.local_header < 30 || Le32(b + e.local_header) != 0x04034b50)
        Fail(Workbook_Failure::Cannot_Unpack);
    const std::uint64_t start = e.local_header + 30 + Le16(b + e.local_header + 26) + Le16(b + e.local_header + 28);
    if (start > n || n - start < e.packed) Fail(Workbook_Failure::Cannot_Unpack);
    return start;
}

bool Package::Check_Entry(const Entry& e, std::uint64_t most) {
    // ZIP64 sizes are marked by all bits set; an encrypted entry cannot be read.
    if (e.unpacked == 0xFFFFFFFFu || e.packed == 0xFFFFFFFFu || (e.flags & 1)) Fail(Workbook_Failure::Cannot_Unpack);
    if (e.unpacked > most) Fail(Workbook_Failure::Too_Large);
    const bool stored = e.method == 0;
    if ((!stored && e.method != 8) || (stored && e.unpacked != e.packed) ||
        (!stored && e.unpacked > (e.packed + 1) * kMax_Deflate_Ratio))
        Fail(Workbook_Failure::Cannot_Unpack);
    return stored;
}

bool Package::Read(string_view name, Part& part) const {
    const auto it = entries_.find(Part_Key(name));
    if (it == entries_.end()) return false;
    const Entry& e = it->second;
    part = Part{};
    const bool stored = Check_Entry(e, kMax_Part_Bytes);
    const auto* in = reinterpret_cast<const unsigned char*>(data_.data()) + Data_Start(e);
    part.bytes.reset(new char[std::size_t(e.unpacked) + kPart_Room]);
    part.size = std::size_t(e.unpacked);
    Advise_Huge_Pages(part);
    if (stored)
        std::memcpy(part.bytes.get(), in, part.size);
    else if (part.size > 0)
        Inflate(in, e.packed, part.bytes.get(), e.unpacked);
    return true;
}

struct Part_Stream::Inflater {
    z_stream z{};
    bool open = false;
    ~Inflater() {
        if (open) inflateEnd(&z);
    }
};

Part_Stream::Part_Stream() = default;
Part_Stream::~Part_Stream() = default;

bool Package::Open(string_view name, Part_Stream& stream) const {
    const auto it = entries_.find(Part_Key(name));
    if (it == entries_.end()) return false;
    const Entry& e = it->second;
    stream.stored_ = Check_Entry(e, 0xFFFFFFFEu);
    stream.in_ = reinterpret_cast<const unsigned char*>(data_.data()) + Data_Start(e);
    stream.packed_ = e.packed;
    stream.size_ = e.unpacked;
    stream.done_ = stream.released_ = 0;
    stream.z_ = std::make_unique<Part_Stream::Inflater>();
    if (!stream.stored_) {
        if (inflateInit2(&stream.z_->z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
        stream.z_->open = true;
        stream.z_->z.next_in = const_cast<unsigned char*>(stream.in_);
        stream.z_->z.avail_in = static_cast<uInt>(e.packed);
    }
    return true;
}

std::size_t Part_Stream::Read(char* to, std::size_t room) {
    if (!z_ || done_ == size_ || room == 0) {
        // All the bytes claimed have come: the data must end there too.
        if (z_ && !stored_ && done_ == size_ && z_->open) {
            unsigned char extra = 0;
            z_->z.next_out = &extra;
            z_->z.avail_out = 1;
            const int r = inflate(&z_->z, Z_NO_FLUSH);
            if (r != Z_STREAM_END || z_->z.avail_out != 1) Fail(Workbook_Failure::Cannot_Unpack);
            inflateEnd(&z_->z);
            z_->open = false;
        }
        return 0;
    }
    const std::size_t want = std::size_t(std::min<std::uint64_t>(room, size_ - done_));
    if (stored_) {
        std::memcpy(to, in_ + done_, want);
        done_ += want;
        Tell_Share_Read();
        return want;
    }
    z_stream& z = z_->z;
    z.next_out = reinterpret_cast<unsigned char*>(to);
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(want, std::size_t(1) << 30));
    const uInt asked = z.avail_out;
    const int r = inflate(&z, Z_NO_FLUSH);
    const std::size_t got = asked - z.avail_out;
    if ((r != Z_OK && r != Z_STREAM_END) || (r == Z_STREAM_END && done_ + got != size_) || (r == Z_OK && got == 0))
        Fail(Workbook_Failure::Cannot_Unpack);
    done_ += got;
    Tell_Share_Read();
    const std::uint64_t consumed = std::uint64_t(z.next_in - in_);
    if (release_to_ && consumed >= released_ + (std::uint64_t(8) << 20)) {
        release_to_->Release_Input(in_ + released_, z.next_in);
        released_ = consumed;
    }
    if (r == Z_STREAM_END) {
        inflateEnd(&z);
        z_->open = false;
    }
    return got;
}

void Part_Stream::Tell_Share_Read() const {
    if (release_to_ && size_ > 0)
        release_to_->Set_Thousandths_Read(int(std::min<std::uint64_t>(done_, size_) * 1000 / size_));
}

// A large part is written once from end to end: in 2 MiB pages that is a few hundred page
// faults instead of tens of thousands, each of which costs much on a virtual machine.
void Advise_Huge_Pages(Part& part) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const auto base = reinterpret_cast<std::uintptr_t>(part.bytes.get());
    const std::uintptr_t from = (base + kHuge - 1) & ~(kHuge - 1), to = (base + part.size) & ~(kHuge - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)part;
#endif
}

// The value of each "&#...;" is a character: decimal or hexadecimal digits only, below U+110000.
bool Character_References_Valid(string_view part) {
    // Found through memchr: the whole part is scanned, and most of it holds no '&'.
    std::size_t found = 0;
    while ((found = part.find("&#", found)) != string_view::npos) {
        found += 2;
        auto at = part.begin() + std::ptrdiff_t(found);
        const bool hex = at != part.end() && *at == 'x';
        if (hex) ++at;
        std::uint32_t value = 0;
        int digits = 0;
        for (; at != part.end() && *at != ';'; ++at, ++digits) {
            const unsigned char c = *at;
            const int d = c >= '0' && c <= '9'          ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
            if (d < 0 || digits > 8) return false;
            value = value * (hex ? 16 : 10) + std::uint32_t(d);
        }
        if (value >= 0x110000) return false;
    }
    return true;
}

std::size_t Prepare_Xml_Text(Part& part) {
    const std::size_t length = Prepare_Xml_Text(part.bytes.get(), part.size);
    part.size = length - kXml_Tail.size();
    return length;
}

std::size_t Prepare_Xml_Text(char* const b, const std::size_t n) {
    if (!Character_References_Valid(string_view(b, n))) Fail(Workbook_Failure::First_Sheet_Damaged);
    // Line ends only ever get shorter: the text is moved down over itself.
    std::size_t read = 0, written = 0;
    while (read < n) {
        const auto* cr = static_cast<const char*>(std::memchr(b + read, '\r', n - read));
        const std::size_t end = cr ? std::size_t(cr - b) : n;
        if (written != read) std::memmove(b + written, b + read, end - read);
        written += end - read;
        if (!cr) break;
        b[written++] = '\n';
        read = end + 1;
        if (read < n && b[read] == '\n') ++read;
    }
    std::memcpy(b + written, kXml_Tail.data(), kXml_Tail.size());
    std::memset(b + written + kXml_Tail.size(), '"', kXml_Padding);
    return written + kXml_Tail.size();
}

namespace {

constexpr string_view kPiece_Open = "<p>";
// Room before a piece for kPiece_Open.
constexpr std::size_t kPiece_Lead = 8;

const char* Find(const char* from, const char* to, string_view what) {
    if (to <= from) return nullptr;
    return static_cast<const char*>(memmem(from, std::size_t(to - from), what.data(), what.size()));
}

// After a byte-order mark, blanks and the XML declaration at the start of a part.
std::size_t Skip_Declaration(const char* b, std::size_t n) {
    std::size_t at = 0;
    if (n >= 3 && std::memcmp(b, "\xEF\xBB\xBF", 3) == 0) at = 3;
    while (at < n && (b[at] == ' ' || b[at] == '\t' || b[at] == '\r' || b[at] == '\n')) ++at;
    if (n - at >= 2 && b[at] == '<' && b[at + 1] == '?') {
        const char* end = Find(b + at, b + n, "?>");
        return end ? std::size_t(end - b) + 2 : n;
    }
    return at;
}

// Whether "<!" or "<?" occurs in [from, to): looked for by the '!' and '?', rare in a sheet's text.
bool Has_Special_Tag(const char* from, const char* to) {
    for (const char mark : {'!', '?'}) {
        for (const char* p = from; p < to;) {
            const auto* hit = static_cast<const char*>(std::memchr(p, mark, std::size_t(to - p)));
            if (!hit) break;
            if (hit > from && hit[-1] == '<') return true;
            p = hit + 1;
        }
    }
    return false;
}

std::atomic<std::size_t> g_piece_bytes{std::size_t(4) << 20};
std::atomic<std::size_t> g_element_bytes{std::size_t(64) << 20};

bool Is_Name_Char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

}  // namespace

struct Xml_Pieces::Filler {
    std::thread thread;
    std::mutex lock;
    std::condition_variable changed;
    bool asked = false, answered = false, stop = false, pending = false;
    int buffer = 0;
    std::size_t from = 0, filled = 0;
    bool ended = false;
    std::exception_ptr failure;
};

Xml_Pieces::Xml_Pieces(Part_Stream& in, string_view element)
    : in_(in), element_(element), capacity_(std::max<std::size_t>(g_piece_bytes.load(), 64)) {}

Xml_Pieces::~Xml_Pieces() {
    if (!filler_ || !filler_->thread.joinable()) return;
    {
        const std::lock_guard<std::mutex> hold(filler_->lock);
        filler_->stop = true;
    }
    filler_->changed.notify_all();
    filler_->thread.join();
}

void Xml_Pieces::Fill(int b, std::size_t from, std::size_t& filled, bool& ended) {
    char* const at = buffers_[b].data() + kPiece_Lead;
    filled = from;
    ended = false;
    while (filled < capacity_ && !ended) {
        const std::size_t got = in_.Read(at + filled, capacity_ - filled);
        if (got == 0) ended = true;
        filled += got;
    }
}

void Xml_Pieces::Run_Filler() {
    Filler& f = *filler_;
    std::unique_lock<std::mutex> hold(f.lock);
    while (true) {
        f.changed.wait(hold, [&f] { return f.asked || f.stop; });
        if (f.stop) return;
        f.asked = false;
        const int b = f.buffer;
        const std::size_t from = f.from;
        hold.unlock();
        std::size_t filled = 0;
        bool ended = false;
        std::exception_ptr failure;
        try {
            Fill(b, from, filled, ended);
        } catch (...) {
            failure = std::current_exception();
        }
        hold.lock();
        f.filled = filled;
        f.ended = ended;
        f.failure = failure;
        f.answered = true;
        f.changed.notify_all();
    }
}

void Xml_Pieces::Fill_Behind(int b, std::size_t from) {
    if (!filler_) filler_ = std::make_unique<Filler>();
    Filler& f = *filler_;
    {
        const std::lock_guard<std::mutex> hold(f.lock);
        f.buffer = b;
        f.from = from;
        f.asked = true;
        f.answered = false;
        f.pending = true;
    }
    if (!f.thread.joinable()) f.thread = std::thread([this] { Run_Filler(); });
    f.changed.notify_all();
}

void Xml_Pieces::Wait_For_Fill() {
    if (!filler_ || !filler_->pending) return;
    Filler& f = *filler_;
    std::unique_lock<std::mutex> hold(f.lock);
    f.changed.wait(hold, [&f] { return f.answered; });
    f.pending = false;
    if (f.failure) std::rethrow_exception(f.failure);
    filled_ = f.filled;
    ended_ = f.ended;
}

std::size_t Xml_Pieces::Cut(const char* b, std::size_t size) {
    // Comments, CDATA sections and processing instructions are not looked into: from the
    // first of them on, the part is read whole.
    const std::size_t from = first_ ? Skip_Declaration(b, size) : 0;
    if (Has_Special_Tag(b + from, b + size)) {
        whole_ = true;
        return string_view::npos;
    }
    const std::string tail = element_ + '>';
    std::size_t end = size;
    while (end > from) {
        const string_view text(b + from, end - from);
        const std::size_t at = text.rfind(tail);
        if (at == string_view::npos) return string_view::npos;
        // "</row>" or "</x:row>".
        std::size_t before = from + at;
        if (before > 0 && b[before - 1] == ':') {
            --before;
            while (before > 0 && Is_Name_Char(b[before - 1])) --before;
        }
        if (before >= 2 && b[before - 1] == '/' && b[before - 2] == '<') return from + at + tail.size();
        end = from + at;
    }
    return string_view::npos;
}

void Xml_Pieces::Grow() {
    // One row or shared string of more than 64 MiB is no real table's: a small file that
    // unpacks into one endless element is refused before it fills the child's room.
    const std::size_t most = whole_ ? kMax_Part_Bytes : g_element_bytes.load();
    if (capacity_ >= most) Fail(Workbook_Failure::Too_Large);
    capacity_ = std::min<std::size_t>(capacity_ * 2, most);
    buffers_[current_].resize(kPiece_Lead + capacity_ + kPart_Room);
}

bool Xml_Pieces::Next() {
    Wait_For_Fill();
    if (ended_ && filled_ == 0) return false;
    // Kept as it was: it holds the start of this piece.
    buffers_[current_].resize(kPiece_Lead + capacity_ + kPart_Room);
    std::size_t cut = string_view::npos;
    while (true) {
        if (filled_ < capacity_ && !ended_) Fill(current_, filled_, filled_, ended_);
        if (ended_) {
            cut = filled_;
            break;
        }
        char* const at = buffers_[current_].data() + kPiece_Lead;
        if (!whole_) cut = Cut(at, filled_);
        if (cut != string_view::npos) break;
        // Text without a tag after a repeated element's end lies between two of them, where
        // the handler takes no text (a part padded with blanks): it is let go unparsed.
        if (!whole_ && !first_ && !std::memchr(at, '<', filled_)) {
            filled_ = 0;
            continue;
        }
        Grow();
    }
    char* const b = buffers_[current_].data() + kPiece_Lead;
    // What follows the cut starts the next piece, in the other buffer, unpacked further while
    // this one is parsed.
    const std::size_t rest = filled_ - cut;
    const int other = 1 - current_;
    buffers_[other].resize(kPiece_Lead + capacity_ + kPart_Room);
    if (rest > 0) std::memcpy(buffers_[other].data() + kPiece_Lead, b + cut, rest);
    filled_ = rest;
    if (!ended_) Fill_Behind(other, rest);
    size_ = Prepare_Xml_Text(b, cut);
    if (first_) {
        text_ = b;
    } else {
        std::memcpy(b - kPiece_Open.size(), kPiece_Open.data(), kPiece_Open.size());
        text_ = b - kPiece_Open.size();
        size_ += kPiece_Open.size();
    }
    first_ = false;
    current_ = other;
    return true;
}

void Append_Cell_Text(std::string& text, string_view piece, std::size_t max_bytes) {
    if (piece.size() > max_bytes || text.size() > max_bytes - piece.size()) Fail(Workbook_Failure::Text_Too_Long);
    text.append(piece);
}

void Check_Cell_Text_Length(string_view utf8) {
    if (utf8.size() > std::size_t(Sheet_Max_Text)) Checked_Cell_Text(From_Utf8(utf8));
}

QString Checked_Cell_Text(QString text) {
    if (text.size() > Sheet_Max_Text) Fail(Workbook_Failure::Text_Too_Long);
    return text;
}

Workbook_Failure Run_Reader(QByteArrayView data, Sheet_Cells& out, void (*reader)(const Package&, Sheet_Cells&)) {
    out.Clear();
    Workbook_Failure failure = Workbook_Failure::None;
    try {
        std::unique_ptr<Package> pkg;
        try {
            pkg = std::make_unique<Package>(data);
        } catch (const Read_Failure&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            Fail(Workbook_Failure::Cannot_Unpack);
        }
        reader(*pkg, out);
        out.Finish();
        return Workbook_Failure::None;
    } catch (const Read_Failure& f) {
        failure = f.why;
    } catch (const std::bad_alloc&) {
        failure = Workbook_Failure::No_Memory;
    } catch (...) {
        failure = Workbook_Failure::First_Sheet_Damaged;
    }
    out.Clear();
    return failure;
}

}  // namespace Office_Package

std::size_t Set_Package_Piece_Bytes(std::size_t bytes) { return Office_Package::g_piece_bytes.exchange(bytes); }

std::size_t Set_Package_Element_Bytes(std::size_t bytes) { return Office_Package::g_element_bytes.exchange(bytes); }

std::uint64_t Package_Unpacked_Bytes(QByteArrayView data) {
    try {
        return Office_Package::Package(data).Unpacked_Bytes();
    } catch (...) {
        return 0;
    }
}
