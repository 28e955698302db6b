#include "model/Office_Package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace Office_Package {

[[noreturn]] void Fail(const char* why) { throw Read_Failure{why}; }

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

// The value of each "&#...;" is a character: decimal or hexadecimal digits only, below U+110000.
bool Character_References_Valid(const std::vector<unsigned char>& part) {
    static constexpr std::string_view kStart = "&#";
    auto at = part.begin();
    while ((at = std::search(at, part.end(), kStart.begin(), kStart.end())) != part.end()) {
        at += 2;
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

// The part's text as the parser is given it (see above); `size` is where the parser stops.
std::vector<char> Prepare_Xml_Text(std::vector<unsigned char>& part, std::size_t& size) {
    if (!Character_References_Valid(part)) Fail(kWhy_Damaged);
    std::vector<char> text;
    text.reserve(part.size() + kXml_Tail.size() + kXml_Padding);
    const char* in = reinterpret_cast<const char*>(part.data());
    const char* const end = in + part.size();
    while (in != end) {
        const char* cr = static_cast<const char*>(std::memchr(in, '\r', std::size_t(end - in)));
        text.insert(text.end(), in, cr ? cr : end);
        if (!cr) break;
        text.push_back('\n');
        in = cr + 1;
        if (in != end && *in == '\n') ++in;
    }
    std::vector<unsigned char>().swap(part);
    text.insert(text.end(), kXml_Tail.begin(), kXml_Tail.end());
    size = text.size();
    text.insert(text.end(), kXml_Padding, '"');
    return text;
}

bool Run_Reader(QByteArrayView data, Sheet_Cells& out, QString& why, void (*reader)(const Package&, Sheet_Cells&)) {
    out.Clear();
    why.clear();
    const char* failure = nullptr;
    try {
        std::unique_ptr<Package> pkg;
        try {
            pkg = std::make_unique<Package>(data);
        } catch (const Read_Failure&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            Fail(kWhy_Unpack);
        }
        reader(*pkg, out);
        out.Finish();
        return true;
    } catch (const Read_Failure& f) {
        failure = f.why;
    } catch (const std::bad_alloc&) {
        failure = kWhy_Memory;
    } catch (...) {
        failure = kWhy_Damaged;
    }
    out.Clear();
    why = QString::fromLatin1(failure);
    return false;
}

// Once a few thousand cells are in (at `offset` in a part of `part_bytes`), room for as many
// as the rest of the part holds at the same density: growing a vector of a million cells step
// by step is a large part of the reading time. In an .ods, the other sheets follow the first
// in the same part, so this may be too much room: that costs address space, no memory.
void Reserve_By_Density(Sheet_Cells& out, std::size_t part_bytes, std::ptrdiff_t offset) {
    if (offset <= 0) return;
    const double expected = double(out.Size()) * double(part_bytes) / double(offset) * 1.05 + 1024;
    out.Reserve(std::size_t(std::min(expected, double(out.Max_Cells()))));
}

}  // namespace Office_Package
