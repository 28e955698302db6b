#include "workbook/Office_Package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include <libdeflate.h>
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

bool Package::Read(string_view name, Part& part) const {
    const auto it = entries_.find(Part_Key(name));
    if (it == entries_.end()) return false;
    const Entry& e = it->second;
    part = Part{};
    // ZIP64 sizes are marked by all bits set; an encrypted entry cannot be read.
    if (e.unpacked == 0xFFFFFFFFu || e.packed == 0xFFFFFFFFu || (e.flags & 1)) Fail(Workbook_Failure::Cannot_Unpack);
    if (e.unpacked > kMax_Part_Bytes) Fail(Workbook_Failure::Too_Large);
    const bool stored = e.method == 0;
    if ((!stored && e.method != 8) || (stored && e.unpacked != e.packed) ||
        (!stored && e.unpacked > (e.packed + 1) * kMax_Deflate_Ratio))
        Fail(Workbook_Failure::Cannot_Unpack);
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

void Release_Parsed(Part& part, std::ptrdiff_t offset) {
#if defined(__linux__)
    constexpr std::size_t kStep = std::size_t(8) << 20;
    if (offset <= 0 || std::size_t(offset) > part.size || std::size_t(offset) < part.released + kStep) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto base = reinterpret_cast<std::uintptr_t>(part.bytes.get());
    const std::uintptr_t from = (base + part.released + page - 1) & ~(page - 1);
    const std::uintptr_t to = (base + std::size_t(offset)) & ~(page - 1);
    if (to <= from) return;
    madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    part.released = std::size_t(to - base);
#else
    (void)part;
    (void)offset;
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
    if (!Character_References_Valid(part.View())) Fail(Workbook_Failure::First_Sheet_Damaged);
    char* const b = part.bytes.get();
    const std::size_t n = part.size;
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
    part.size = written;
    std::memcpy(b + written, kXml_Tail.data(), kXml_Tail.size());
    std::memset(b + written + kXml_Tail.size(), '"', kXml_Padding);
    return written + kXml_Tail.size();
}

void Append_Cell_Text(std::string& text, string_view piece, std::size_t max_bytes) {
    if (piece.size() > max_bytes || text.size() > max_bytes - piece.size()) Fail(Workbook_Failure::Text_Too_Long);
    text.append(piece);
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

// Once a few thousand cells are in (at `offset` in a part of `part_bytes`), room for as many
// as the rest of the part holds at the same density: growing a vector of a million cells step
// by step is a large part of the reading time. In an .ods, the other sheets follow the first
// in the same part, so this may be too much room: that costs address space, no memory.
void Reserve_By_Density(Sheet_Cells& out, std::size_t part_bytes, std::ptrdiff_t offset) {
    if (offset <= 0) return;
    const double expected = double(out.Size()) * double(part_bytes) / double(offset) * 1.05 + 1024;
    try {
        out.Reserve(std::size_t(std::min(expected, double(out.Max_Cells()))));
    } catch (const std::bad_alloc&) {}
}

}  // namespace Office_Package

std::uint64_t Package_Unpacked_Bytes(QByteArrayView data) {
    try {
        return Office_Package::Package(data).Unpacked_Bytes();
    } catch (...) {
        return 0;
    }
}
