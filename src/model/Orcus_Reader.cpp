// The .xlsx and .ods readers: liborcus unpacks the package and parses the XML; the handlers
// here pick the first worksheet's cell values out of it.
//
// liborcus 0.17's spreadsheet import filters drop several kinds of values (inline strings,
// error cells, boolean and error formula results, ISO dates, the 1904 date system; in .ods
// booleans, percentages, currencies, times, text formula results and repeated rows), so the
// readers work one layer lower, on its zip archive and SAX parser.
#include "model/Number_Format.h"
#include "model/Workbook_Reader.h"

#include <orcus/sax_parser.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using std::string_view;

// The most one part of a package may unpack to: room for a full million-row sheet, and a
// bound on what a small hostile file can make us allocate.
constexpr std::uint64_t kMax_Part_Bytes = std::uint64_t(1) << 30;
// The longest text an .ods cell's spacing elements may make (the spreadsheet programs hold
// far less in a cell).
constexpr std::size_t kMax_Cell_Text = std::size_t(1) << 20;
// Deflate cannot expand data by more than about 1032 to 1: a larger claim is a lie.
constexpr std::uint64_t kMax_Deflate_Ratio = 1032;

const char* const kWhy_Damaged = "The file is damaged: its first sheet could not be read.";
const char* const kWhy_Unpack = "The file is damaged: its contents could not be unpacked.";
const char* const kWhy_Too_Large = "The file is too large to be read.";
const char* const kWhy_Too_Many_Cells = "The first sheet has too many cells to be read.";
const char* const kWhy_Memory = "There is not enough memory to read the file.";
const char* const kWhy_Password = "The workbook is protected by a password.";
const char* const kWhy_No_Sheet = "The workbook has no worksheet.";

// Thrown out of a handler to stop reading, with the sentence to hand back.
struct Read_Failure {
    const char* why;
};
// Thrown out of a handler once it has all it needs, to skip the rest of the part.
struct Stop_Parsing {};

[[noreturn]] void Fail(const char* why) { throw Read_Failure{why}; }

std::uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t Le16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

char Ascii_Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// A part name as looked up: letter case ignored, and the backslashes some writers put in
// entry names read as slashes.
std::string Part_Key(string_view s)
{
    std::string out(s);
    for (char& c : out) c = c == '\\' ? '/' : Ascii_Lower(c);
    return out;
}

bool Equals_No_Case(string_view a, string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Ascii_Lower(a[i]) != Ascii_Lower(b[i])) return false;
    return true;
}

string_view Trim(string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool Parse_Double(string_view s, double& out)
{
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

// A non-negative whole number; false when absent, malformed or too large.
bool Parse_Unsigned(string_view s, std::uint64_t& out)
{
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
std::int64_t Days_From_1899_12_30(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468 + 25569;  // 1970-01-01 is day 25569
}

// "hh:mm[:ss[.fff]]" as a fraction of a day.
bool Parse_Clock(string_view s, double& day_fraction)
{
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
bool Parse_Iso_Date_Time(string_view s, double& out)
{
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
    double day = double(Days_From_1899_12_30(negative_year ? -std::int64_t(y) : std::int64_t(y), unsigned(m), unsigned(d)));
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
std::int32_t Error_Code(string_view text)
{
    const QString t = From_Utf8(text);
    if (const auto code = Error_Code_From_Text(t)) return *code;
    return Xl_Err_Value;
}

// ---------------------------------------------------------------- package

class Package {
public:
    explicit Package(QByteArrayView data)
        : data_(data), stream_(reinterpret_cast<const std::uint8_t*>(data.data()), std::size_t(data.size())),
          archive_(&stream_)
    {
        Scan_Directory();
        archive_.load();
        // Both must see the same entries, or the checks above were made on others.
        if (archive_.get_file_entry_count() != names_.size()) Fail(kWhy_Unpack);
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (!names_.count(std::string(archive_.get_file_entry_name(i)))) Fail(kWhy_Unpack);
    }

    bool Has(string_view name) const { return entries_.count(Part_Key(name)) != 0; }

    // The unpacked part, or false when the package has no such part.
    bool Read(string_view name, std::vector<unsigned char>& buf) const
    {
        const auto it = entries_.find(Part_Key(name));
        if (it == entries_.end()) return false;
        const Entry& e = it->second;
        // ZIP64 sizes, which liborcus does not read, are marked by all bits set.
        if (e.unpacked == 0xFFFFFFFFu || e.packed == 0xFFFFFFFFu) Fail(kWhy_Unpack);
        if (e.unpacked > kMax_Part_Bytes) Fail(kWhy_Too_Large);
        const bool stored = e.method == 0;
        if (!In_Bounds(e) || (stored && e.unpacked != e.packed) ||
            (!stored && e.unpacked > (e.packed + 1) * kMax_Deflate_Ratio))
            Fail(kWhy_Unpack);
        buf.clear();
        if (!archive_.read_file_entry(e.name, buf)) Fail(kWhy_Unpack);
        // liborcus adds a terminating zero after the data.
        if (buf.size() > e.unpacked) buf.resize(std::size_t(e.unpacked));
        return true;
    }

private:
    struct Entry {
        std::string name;
        std::uint64_t packed = 0, unpacked = 0, local_header = 0;
        std::uint16_t method = 0;
    };

    // The central directory as liborcus will find it (the last end record, its entries for
    // as long as their signature follows), checked here first: liborcus neither bounds its
    // reads by the size of the data nor questions the size an entry claims before it
    // allocates that much.
    void Scan_Directory()
    {
        const auto* b = reinterpret_cast<const unsigned char*>(data_.data());
        const std::size_t n = std::size_t(data_.size());
        if (n < 22) Fail(kWhy_Unpack);
        const std::size_t lowest = n > 22 + 65535 ? n - 22 - 65535 : 0;
        std::size_t at = n - 4;
        while (Le32(b + at) != 0x06054b50)
            if (at-- == lowest) Fail(kWhy_Unpack);
        // A single-disk archive, as all packages are: with the disk numbers at zero, liborcus's
        // search cannot pass over this record.
        if (n - at < 22 || Le32(b + at + 4) != 0) Fail(kWhy_Unpack);
        std::size_t p = Le32(b + at + 16);
        while (true) {
            if (p > n || n - p < 4) Fail(kWhy_Unpack);
            if (Le32(b + p) != 0x02014b50) break;
            if (n - p < 46) Fail(kWhy_Unpack);
            Entry e;
            e.method = Le16(b + p + 10);
            e.packed = Le32(b + p + 20);
            e.unpacked = Le32(b + p + 24);
            e.local_header = Le32(b + p + 42);
            const std::size_t name_len = Le16(b + p + 28);
            const std::size_t skip = std::size_t(46) + name_len + Le16(b + p + 30) + Le16(b + p + 32);
            if (n - p < skip || name_len == 0) Fail(kWhy_Unpack);
            e.name.assign(reinterpret_cast<const char*>(b + p + 46), name_len);
            // liborcus cuts a name at a zero byte.
            if (e.name.find('\0') != std::string::npos) Fail(kWhy_Unpack);
            // Which of two entries of one name liborcus would take is not for us to guess.
            if (!names_.insert(e.name).second) Fail(kWhy_Unpack);
            entries_.emplace(Part_Key(e.name), std::move(e));
            p += skip;
        }
    }

    // The entry's data lies within the file, after a local header of its own.
    bool In_Bounds(const Entry& e) const
    {
        const auto* b = reinterpret_cast<const unsigned char*>(data_.data());
        const std::uint64_t n = std::uint64_t(data_.size());
        if (e.local_header > n || n - e.local_header < 30 || Le32(b + e.local_header) != 0x04034b50) return false;
        const std::uint64_t start = e.local_header + 30 + Le16(b + e.local_header + 26) + Le16(b + e.local_header + 28);
        return start <= n && n - start >= e.packed;
    }

    QByteArrayView data_;
    orcus::zip_archive_stream_blob stream_;
    orcus::zip_archive archive_;
    std::unordered_map<std::string, Entry> entries_;
    std::unordered_set<std::string> names_;
};

// liborcus 0.17's XML parser asserts (aborting the program) or reads past the end of its text
// on some malformed input; the text it is given is prepared so that it cannot:
//  - after an attribute value with a character reference and no closing quote it steps past
//    the end: the text gets a tail of alternating quotes, never reached in a well-formed part
//    (the parser stops at the end of the root element), on which it stops with an error;
//  - a comment cut short near the end fails an assertion: the tail makes it long enough;
//  - a character reference beyond U+10FFFF fails an assertion: such a part is refused.
constexpr std::string_view kXml_Tail = "\"'\"'\"'\"'";
constexpr std::size_t kXml_Padding = 16;

// The value of each "&#...;" is a character: decimal or hexadecimal digits only, below U+110000.
bool Character_References_Valid(const std::vector<unsigned char>& part)
{
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
            const int d = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0 || digits > 8) return false;
            value = value * (hex ? 16 : 10) + std::uint32_t(d);
        }
        if (value >= 0x110000) return false;
    }
    return true;
}

// Parses a whole part with `handler`; a Stop_Parsing from it ends the part early. The text is
// copied first: line ends turned into single LFs as XML wants it (the parser leaves them alone;
// a CR written as "&#13;" stays a CR), the tail and padding above after it.
template <typename Handler>
void Parse_Xml(std::vector<unsigned char>& part, Handler& handler)
{
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
    const std::size_t size = text.size();
    text.insert(text.end(), kXml_Padding, '"');
    try {
        orcus::sax_parser<Handler> parser(text.data(), size, handler);
        parser.parse();
    } catch (const Stop_Parsing&) {
    }
}

// The attributes of the element being opened: the parser reports them before the element
// itself, and their values stay valid until the element's start has been handled.
struct Attributes {
    struct Item {
        string_view prefix, name, value;
    };
    std::vector<Item> items;

    string_view Get(string_view name) const
    {
        for (const Item& a : items)
            if (a.name == name) return a.value;
        return {};
    }
    string_view Get(string_view prefix, string_view name) const
    {
        for (const Item& a : items)
            if (a.name == name && a.prefix == prefix) return a.value;
        return {};
    }
};

class Handler_Base : public orcus::sax_handler {
public:
    void attribute(const orcus::sax::parser_attribute& a) { attrs_.items.push_back({a.ns, a.name, a.value}); }
    void end_declaration(string_view) { attrs_.items.clear(); }

protected:
    Attributes attrs_;
};

// ---------------------------------------------------------------- .xlsx

// "xl/worksheets/sheet1.xml" from the folder of the part holding the relationship and its
// target ("worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml", "../media/x.xml").
std::string Resolve_Target(string_view base_dir, string_view target)
{
    std::string path;
    if (!target.empty() && target.front() == '/') target.remove_prefix(1);
    else path = std::string(base_dir);
    std::vector<std::string> parts;
    auto push_all = [&parts](string_view s) {
        while (!s.empty()) {
            const std::size_t slash = s.find_first_of("/\\");
            const string_view piece = s.substr(0, slash);
            if (piece == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!piece.empty() && piece != ".") {
                parts.emplace_back(piece);
            }
            if (slash == string_view::npos) break;
            s.remove_prefix(slash + 1);
        }
    };
    push_all(path);
    push_all(target);
    std::string out;
    for (const std::string& p : parts) {
        if (!out.empty()) out += '/';
        out += p;
    }
    return out;
}

struct Relationship {
    std::string id, type, target;
};

// A .rels part: each relationship's id, the last word of its type and its resolved target.
class Rels_Handler : public Handler_Base {
public:
    Rels_Handler(string_view base_dir, std::vector<Relationship>& out) : base_dir_(base_dir), out_(out) {}

    void start_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "Relationship" && attrs_.Get("TargetMode") != "External") {
            string_view type = attrs_.Get("Type");
            type = type.substr(type.rfind('/') + 1);
            out_.push_back({std::string(attrs_.Get("Id")), std::string(type), Resolve_Target(base_dir_, attrs_.Get("Target"))});
        }
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element&) {}

private:
    std::string base_dir_;
    std::vector<Relationship>& out_;
};

std::vector<Relationship> Read_Rels(const Package& pkg, string_view part)
{
    std::vector<Relationship> rels;
    const std::size_t slash = part.rfind('/');
    const string_view dir = slash == string_view::npos ? string_view() : part.substr(0, slash);
    const std::string rels_part = std::string(dir) + (dir.empty() ? "" : "/") + "_rels/" +
                                  std::string(slash == string_view::npos ? part : part.substr(slash + 1)) + ".rels";
    std::vector<unsigned char> buf;
    if (!pkg.Read(rels_part, buf)) return rels;
    Rels_Handler h(dir, rels);
    Parse_Xml(buf, h);
    return rels;
}

const Relationship* Find_Rel_By_Type(const std::vector<Relationship>& rels, string_view type)
{
    for (const Relationship& r : rels)
        if (r.type == type) return &r;
    return nullptr;
}

// workbook.xml: the date system and the relationship ids of the sheets in tab order.
class Workbook_Handler : public Handler_Base {
public:
    bool date1904 = false;
    std::vector<std::string> sheet_ids;

    void start_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "workbookPr") {
            const string_view v = Trim(attrs_.Get("date1904"));
            date1904 = v == "1" || Equals_No_Case(v, "true");
        } else if (e.name == "sheet") {
            for (const Attributes::Item& a : attrs_.items)
                if (a.name == "id" && !a.prefix.empty()) sheet_ids.emplace_back(a.value);
        }
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "sheets") throw Stop_Parsing{};
    }
};

// Turns "_x000D_" (the way these files escape characters XML cannot hold) back into the character.
QString Unescape_Xml_Chars(QString s)
{
    if (!s.contains(QLatin1String("_x"))) return s;
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == QLatin1Char('_') && i + 6 < n && s[i + 1] == QLatin1Char('x') && s[i + 6] == QLatin1Char('_')) {
            char16_t code = 0;
            qsizetype k = i + 2;
            for (; k < i + 6; ++k) {
                const char16_t h = s[k].unicode();
                const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                if (digit < 0) break;
                code = char16_t(code * 16 + digit);
            }
            if (k == i + 6) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// styles.xml: for each cell format (the cells' s attribute), whether it shows a date.
class Styles_Handler : public Handler_Base {
public:
    void start_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "numFmt") {
            std::uint64_t id = 0;
            if (Parse_Unsigned(attrs_.Get("numFmtId"), id)) codes_[id] = std::string(attrs_.Get("formatCode"));
        } else if (e.name == "cellXfs") {
            in_cell_xfs_ = true;
        } else if (e.name == "xf" && in_cell_xfs_) {
            std::uint64_t id = 0;
            xf_formats_.push_back(Parse_Unsigned(attrs_.Get("numFmtId"), id) ? id : 0);
        }
        attrs_.items.clear();
    }
    void end_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "cellXfs") in_cell_xfs_ = false;
    }

    std::vector<bool> Date_Formats() const
    {
        std::vector<bool> dates;
        dates.reserve(xf_formats_.size());
        for (std::uint64_t id : xf_formats_) {
            const auto it = codes_.find(id);
            dates.push_back(it != codes_.end() ? Is_Date_Format_Code(From_Utf8(it->second))
                                               : id < 1000 && Is_Builtin_Date_Format(int(id)));
        }
        return dates;
    }

private:
    std::unordered_map<std::uint64_t, std::string> codes_;
    std::vector<std::uint64_t> xf_formats_;
    bool in_cell_xfs_ = false;
};

// sharedStrings.xml: each item's text, its rich-text runs joined, its phonetic guide left out.
class Shared_Strings_Handler : public Handler_Base {
public:
    Shared_Strings_Handler(std::vector<QString>& out, std::size_t max) : out_(out), max_(max) {}

    void start_element(const orcus::sax::parser_element& e)
    {
        attrs_.items.clear();
        if (e.name == "si") {
            text_.clear();
            in_item_ = true;
        } else if (e.name == "rPh") {
            ++phonetic_;
        } else if (e.name == "t" && in_item_ && !phonetic_) {
            in_text_ = true;
        }
    }
    void end_element(const orcus::sax::parser_element& e)
    {
        if (e.name == "t") {
            in_text_ = false;
        } else if (e.name == "rPh") {
            if (phonetic_) --phonetic_;
        } else if (e.name == "si" && in_item_) {
            in_item_ = false;
            if (out_.size() >= max_) Fail(kWhy_Too_Many_Cells);
            out_.push_back(Unescape_Xml_Chars(From_Utf8(text_)));
        }
    }
    void characters(string_view s, bool)
    {
        if (in_text_) text_.append(s);
    }

private:
    std::vector<QString>& out_;
    std::size_t max_;
    std::string text_;
    bool in_item_ = false, in_text_ = false;
    int phonetic_ = 0;
};

// Once a few thousand cells are in (at `offset` in a part of `part_bytes`), room for as many
// as the rest of the part holds at the same density: growing a vector of a million cells step
// by step is a large part of the reading time. In an .ods, the other sheets follow the first
// in the same part, so this may be too much room: that costs address space, no memory.
void Reserve_By_Density(Sheet_Cells& out, std::size_t part_bytes, std::ptrdiff_t offset)
{
    if (offset <= 0) return;
    const double expected = double(out.Cells().size()) * double(part_bytes) / double(offset) * 1.05 + 1024;
    out.Cells().reserve(std::size_t(std::min(expected, double(out.Max_Cells()))));
}

// "AB12" as 1-based row and column; false when it is not a cell reference.
bool Parse_Cell_Ref(string_view s, std::uint32_t& row, std::uint32_t& col)
{
    std::size_t i = 0;
    std::uint32_t c = 0;
    while (i < s.size() && i < 4) {
        const char ch = char(s[i] | 0x20);
        if (ch < 'a' || ch > 'z') break;
        c = c * 26 + std::uint32_t(ch - 'a' + 1);
        ++i;
    }
    if (i == 0) return false;
    std::uint64_t r = 0;
    if (!Parse_Unsigned(s.substr(i), r) || r == 0 || r > 0xFFFFFFFFu) return false;
    row = std::uint32_t(r);
    col = c;
    return true;
}

// One worksheet part: each cell's saved value.
class Sheet_Handler : public Handler_Base {
public:
    Sheet_Handler(Sheet_Cells& out, const std::vector<QString>& strings, const std::vector<bool>& date_xfs, bool date1904,
                  std::size_t part_bytes)
        : out_(out), strings_(strings), date_xfs_(date_xfs), date_shift_(date1904 ? Days_1904_Shift : 0.0),
          part_bytes_(part_bytes)
    {
    }

    void start_element(const orcus::sax::parser_element& e)
    {
        const string_view name = e.name;
        if (in_cell_) {
            if (name == "v") {
                in_value_ = true;
                has_value_ = true;
            } else if (name == "is") {
                in_inline_ = true;
                has_inline_ = true;
            } else if (name == "rPh") {
                ++phonetic_;
            } else if (name == "t" && in_inline_ && !phonetic_) {
                in_text_ = true;
            }
        } else if (name == "c" && in_data_) {
            Start_Cell();
        } else if (name == "row" && in_data_) {
            if (!reserved_ && out_.Cells().size() >= 4096) {
                Reserve_By_Density(out_, part_bytes_, e.begin_pos);
                reserved_ = true;
            }
            std::uint64_t r = 0;
            row_ = Parse_Unsigned(attrs_.Get("r"), r) && r > 0 ? std::uint32_t(std::min<std::uint64_t>(r, 0xFFFFFFFFu)) : row_ + 1;
            col_ = 0;
        } else if (name == "sheetData") {
            in_data_ = true;
        }
        attrs_.items.clear();
    }

    void end_element(const orcus::sax::parser_element& e)
    {
        const string_view name = e.name;
        if (!in_cell_) {
            if (name == "sheetData") throw Stop_Parsing{};
            return;
        }
        if (name == "v") {
            in_value_ = false;
        } else if (name == "t") {
            in_text_ = false;
        } else if (name == "rPh") {
            if (phonetic_) --phonetic_;
        } else if (name == "is") {
            in_inline_ = false;
        } else if (name == "c") {
            in_cell_ = false;
            End_Cell();
        }
    }

    void characters(string_view s, bool)
    {
        if (in_value_) value_.append(s);
        else if (in_text_) inline_.append(s);
    }

private:
    enum class Kind { Number, Shared, Text, Inline, Boolean, Error, Date };

    void Start_Cell()
    {
        in_cell_ = true;
        in_value_ = in_inline_ = in_text_ = has_value_ = has_inline_ = false;
        phonetic_ = 0;
        value_.clear();
        inline_.clear();
        std::uint32_t r = 0, c = 0;
        if (Parse_Cell_Ref(attrs_.Get("r"), r, c)) {
            cell_row_ = r;
            col_ = c;
        } else {
            cell_row_ = row_;
            ++col_;
        }
        const string_view t = attrs_.Get("t");
        kind_ = t.empty() || t == "n" ? Kind::Number
                : t == "s"           ? Kind::Shared
                : t == "str"         ? Kind::Text
                : t == "inlineStr"   ? Kind::Inline
                : t == "b"           ? Kind::Boolean
                : t == "e"           ? Kind::Error
                : t == "d"           ? Kind::Date
                                     : Kind::Number;
        std::uint64_t s = 0;
        xf_ = Parse_Unsigned(attrs_.Get("s"), s) ? s : 0;
    }

    void End_Cell()
    {
        Value v;
        switch (kind_) {
        case Kind::Number: {
            double d = 0;
            if (!has_value_ || !Parse_Double(value_, d)) return;
            if (xf_ < date_xfs_.size() && date_xfs_[std::size_t(xf_)]) v = Value::Date(d + date_shift_);
            else v = Value::Double(d);
            break;
        }
        case Kind::Shared: {
            std::uint64_t i = 0;
            if (!Parse_Unsigned(value_, i) || i >= strings_.size()) return;
            v = Value::String(strings_[std::size_t(i)]);
            break;
        }
        case Kind::Text:
            v = Value::String(Unescape_Xml_Chars(From_Utf8(value_)));
            break;
        case Kind::Inline:
            v = Value::String(Unescape_Xml_Chars(From_Utf8(has_inline_ ? string_view(inline_) : string_view(value_))));
            break;
        case Kind::Boolean: {
            const string_view b = Trim(value_);
            if (b.empty()) return;
            v = Value::Boolean(b != "0" && !Equals_No_Case(b, "false"));
            break;
        }
        case Kind::Error:
            if (Trim(value_).empty()) return;
            v = Value::Error(Error_Code(value_));
            break;
        case Kind::Date: {
            double d = 0;
            if (!Parse_Iso_Date_Time(value_, d)) return;
            v = Value::Date(d);
            break;
        }
        }
        if (!out_.Add(cell_row_, col_, std::move(v))) Fail(kWhy_Too_Many_Cells);
    }

    Sheet_Cells& out_;
    const std::vector<QString>& strings_;
    const std::vector<bool>& date_xfs_;
    const double date_shift_;
    const std::size_t part_bytes_;

    std::uint32_t row_ = 0, col_ = 0, cell_row_ = 0;
    bool in_data_ = false, in_cell_ = false, in_value_ = false, in_inline_ = false, in_text_ = false;
    bool has_value_ = false, has_inline_ = false, reserved_ = false;
    int phonetic_ = 0;
    Kind kind_ = Kind::Number;
    std::uint64_t xf_ = 0;
    std::string value_, inline_;
};

void Read_Xlsx_Package(const Package& pkg, Sheet_Cells& out)
{
    // Without a readable package relationship, the workbook is where it always is.
    std::string workbook_part = "xl/workbook.xml";
    try {
        const std::vector<Relationship> package_rels = Read_Rels(pkg, "");
        if (const Relationship* r = Find_Rel_By_Type(package_rels, "officeDocument"); r && pkg.Has(r->target))
            workbook_part = r->target;
    } catch (const orcus::parse_error&) {
    }

    std::vector<unsigned char> buf;
    if (!pkg.Read(workbook_part, buf)) Fail(kWhy_Damaged);
    Workbook_Handler wb;
    Parse_Xml(buf, wb);

    const std::vector<Relationship> rels = Read_Rels(pkg, workbook_part);
    // The first worksheet in tab order: chart sheets and the like hold no cells.
    const Relationship* sheet = nullptr;
    bool other_sheets = false;
    for (const std::string& id : wb.sheet_ids) {
        for (const Relationship& r : rels) {
            if (r.id != id) continue;
            if (r.type == "worksheet") sheet = &r;
            else other_sheets = true;
            break;
        }
        if (sheet) break;
    }
    if (!sheet) Fail(other_sheets || wb.sheet_ids.empty() ? kWhy_No_Sheet : kWhy_Damaged);

    std::vector<bool> date_xfs;
    if (const Relationship* r = Find_Rel_By_Type(rels, "styles"); r && pkg.Read(r->target, buf)) {
        Styles_Handler h;
        Parse_Xml(buf, h);
        date_xfs = h.Date_Formats();
    }
    std::vector<QString> strings;
    if (const Relationship* r = Find_Rel_By_Type(rels, "sharedStrings"); r && pkg.Read(r->target, buf)) {
        Shared_Strings_Handler h(strings, out.Max_Cells());
        Parse_Xml(buf, h);
    }

    if (!pkg.Read(sheet->target, buf)) Fail(kWhy_Damaged);
    Sheet_Handler h(out, strings, date_xfs, wb.date1904, buf.size());
    Parse_Xml(buf, h);
}

// ---------------------------------------------------------------- .ods

// "PT12H30M05.5S" (also with days, "-" in front) as a day number.
bool Parse_Duration(string_view s, double& out)
{
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() != 'P') return false;
    s.remove_prefix(1);
    double seconds = 0;
    bool in_time = false, any = false;
    while (!s.empty()) {
        if (s.front() == 'T') {
            in_time = true;
            s.remove_prefix(1);
            continue;
        }
        std::size_t n = 0;
        while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || s[n] == '.')) ++n;
        if (n == 0 || n == s.size()) return false;
        double v = 0;
        if (!Parse_Double(s.substr(0, n), v)) return false;
        const char unit = s[n];
        if (unit == 'D' && !in_time) seconds += v * 86400;
        else if (unit == 'H' && in_time) seconds += v * 3600;
        else if (unit == 'M' && in_time) seconds += v * 60;
        else if (unit == 'S' && in_time) seconds += v;
        else return false;
        any = true;
        s.remove_prefix(n + 1);
    }
    if (!any) return false;
    out = (negative ? -seconds : seconds) / 86400.0;
    return true;
}

// content.xml: the first table's cells, repetitions expanded within the largest sheet.
class Content_Handler : public Handler_Base {
public:
    Content_Handler(Sheet_Cells& out, std::size_t part_bytes) : out_(out), part_bytes_(part_bytes) {}

    bool Found_Table() const { return found_table_; }

    void start_element(const orcus::sax::parser_element& e)
    {
        const string_view name = e.name;
        if (skip_) {
            ++skip_;
        } else if (in_cell_) {
            Start_In_Cell(name);
        } else if (table_depth_ > 0) {
            if (name == "table") {
                ++table_depth_;
            } else if (table_depth_ == 1) {
                if (name == "table-row") {
                    if (!reserved_ && out_.Cells().size() >= 4096) {
                        Reserve_By_Density(out_, part_bytes_, e.begin_pos);
                        reserved_ = true;
                    }
                    Start_Row();
                }
                else if ((name == "table-cell" || name == "covered-table-cell") && in_row_) Start_Cell();
            }
        } else if (name == "table" && e.ns == "table") {
            table_depth_ = 1;
            found_table_ = true;
        }
        attrs_.items.clear();
    }

    void end_element(const orcus::sax::parser_element& e)
    {
        const string_view name = e.name;
        if (skip_) {
            --skip_;
        } else if (in_cell_) {
            if (name == "table-cell" || name == "covered-table-cell") End_Cell();
            else if (name == "p" || name == "h") in_paragraph_ = false;
        } else if (table_depth_ > 0) {
            if (name == "table" && --table_depth_ == 0) {
                Flush_Row();
                throw Stop_Parsing{};
            }
            if (table_depth_ == 1 && name == "table-row") End_Row();
        }
    }

    void characters(string_view s, bool)
    {
        if (in_paragraph_ && !skip_) text_.append(s);
    }

private:
    void Start_Row()
    {
        Flush_Row();
        in_row_ = true;
        col_ = 0;
        std::uint64_t n = 1;
        if (!Parse_Unsigned(attrs_.Get("table", "number-rows-repeated"), n) || n == 0) n = 1;
        rows_repeated_ = n;
    }

    void End_Row()
    {
        in_row_ = false;
        Flush_Row();
    }

    // The row's cells, once per repetition; an empty row only moves on.
    void Flush_Row()
    {
        if (!rows_repeated_) return;
        const std::uint64_t first = row_ + 1;
        const std::uint64_t last = std::min<std::uint64_t>(row_ + rows_repeated_, Sheet_Max_Rows);
        // A repetition that cannot fit fails at once rather than after filling the memory.
        if (first <= last && row_cells_.size() * (last - first + 1) > out_.Max_Cells() - out_.Cells().size())
            Fail(kWhy_Too_Many_Cells);
        for (std::uint64_t r = first; r <= last && !row_cells_.empty(); ++r)
            for (const Sheet_Cell& c : row_cells_)
                if (!out_.Add(std::uint32_t(r), c.Col, c.V)) Fail(kWhy_Too_Many_Cells);
        row_ = std::min<std::uint64_t>(row_ + rows_repeated_, std::uint64_t(Sheet_Max_Rows) + 1);
        rows_repeated_ = 0;
        row_cells_.clear();
    }

    void Start_Cell()
    {
        in_cell_ = true;
        in_paragraph_ = false;
        paragraphs_ = 0;
        text_.clear();
        std::uint64_t n = 1;
        if (!Parse_Unsigned(attrs_.Get("table", "number-columns-repeated"), n) || n == 0) n = 1;
        cols_repeated_ = n;
        const string_view value_type = attrs_.Get("office", "value-type");
        error_ = attrs_.Get("calcext", "value-type") == "error";
        has_value_ = false;
        has_string_value_ = false;
        string_value_.clear();
        if (value_type == "float" || value_type == "percentage" || value_type == "currency") {
            has_value_ = Parse_Double(attrs_.Get("office", "value"), number_);
            kind_ = VType::Double;
        } else if (value_type == "date") {
            has_value_ = Parse_Iso_Date_Time(attrs_.Get("office", "date-value"), number_);
            kind_ = VType::Date;
        } else if (value_type == "time") {
            has_value_ = Parse_Duration(attrs_.Get("office", "time-value"), number_);
            kind_ = VType::Date;
        } else if (value_type == "boolean") {
            const string_view b = Trim(attrs_.Get("office", "boolean-value"));
            has_value_ = !b.empty();
            number_ = (Equals_No_Case(b, "true") || b == "1") ? 1 : 0;
            kind_ = VType::Boolean;
        } else {
            kind_ = VType::String;
            for (const Attributes::Item& a : attrs_.items)
                if (a.prefix == "office" && a.name == "string-value") {
                    string_value_.assign(a.value);
                    has_string_value_ = true;
                }
        }
    }

    void Start_In_Cell(string_view name)
    {
        if (!in_paragraph_) {
            if (name == "p" || name == "h") {
                if (paragraphs_++) text_ += '\n';
                in_paragraph_ = true;
            } else {
                skip_ = 1;  // annotations, drawings, nested tables
            }
            return;
        }
        if (name == "s") {
            std::uint64_t n = 1;
            if (!Parse_Unsigned(attrs_.Get("text", "c"), n)) n = 1;
            // Bounded: a few bytes of "<text:s text:c=...>" must not become gigabytes of blanks.
            if (text_.size() < kMax_Cell_Text) text_.append(std::size_t(std::min<std::uint64_t>(n, kMax_Cell_Text - text_.size())), ' ');
        } else if (name == "tab") {
            text_ += '\t';
        } else if (name == "line-break") {
            text_ += '\n';
        } else if (name == "annotation" || name == "note" || name == "frame" || name == "custom-shape") {
            skip_ = 1;
        }
        // Spans, links and fields give their text.
    }

    void End_Cell()
    {
        in_cell_ = false;
        in_paragraph_ = false;
        const std::uint64_t first = col_ + 1;
        col_ = std::min<std::uint64_t>(col_ + cols_repeated_, std::uint64_t(Sheet_Max_Columns) + 1);
        Value v;
        if (error_) {
            // The error's name is the shown text; the string value beside it is left empty.
            v = Value::Error(Error_Code(text_.empty() ? string_view(string_value_) : string_view(text_)));
        } else if (kind_ == VType::String) {
            const string_view t = has_string_value_ ? string_view(string_value_) : string_view(text_);
            if (t.empty()) return;
            v = Value::String(From_Utf8(t));
        } else if (!has_value_) {
            return;
        } else if (kind_ == VType::Double) {
            v = Value::Double(number_);
        } else if (kind_ == VType::Date) {
            v = Value::Date(number_);
        } else {
            v = Value::Boolean(number_ != 0);
        }
        if (row_ >= Sheet_Max_Rows) return;
        for (std::uint64_t c = first; c <= col_ && c <= Sheet_Max_Columns; ++c)
            row_cells_.push_back(Sheet_Cell{0, std::uint32_t(c), v});
    }

    Sheet_Cells& out_;
    const std::size_t part_bytes_;
    bool reserved_ = false;
    std::vector<Sheet_Cell> row_cells_;
    std::uint64_t row_ = 0, col_ = 0, rows_repeated_ = 0, cols_repeated_ = 1;
    int table_depth_ = 0, skip_ = 0, paragraphs_ = 0;
    bool found_table_ = false, in_row_ = false, in_cell_ = false, in_paragraph_ = false;
    bool error_ = false, has_value_ = false, has_string_value_ = false;
    VType kind_ = VType::String;
    double number_ = 0;
    std::string text_, string_value_;
};

void Read_Ods_Package(const Package& pkg, Sheet_Cells& out)
{
    std::vector<unsigned char> buf;
    if (pkg.Read("META-INF/manifest.xml", buf)) {
        static constexpr string_view kEncrypted = "encryption-data";
        if (std::search(buf.begin(), buf.end(), kEncrypted.begin(), kEncrypted.end()) != buf.end()) Fail(kWhy_Password);
    }
    if (!pkg.Read("content.xml", buf)) Fail(kWhy_Damaged);
    Content_Handler h(out, buf.size());
    Parse_Xml(buf, h);
    if (!h.Found_Table()) Fail(kWhy_No_Sheet);
}

// Runs a reader, turning whatever it or liborcus throws into a sentence.
template <typename Reader>
bool Run(QByteArrayView data, Sheet_Cells& out, QString& why, Reader reader)
{
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

} // namespace

bool Read_Xlsx(QByteArrayView data, Sheet_Cells& out, QString& why)
{
    return Run(data, out, why, Read_Xlsx_Package);
}

bool Read_Ods(QByteArrayView data, Sheet_Cells& out, QString& why)
{
    return Run(data, out, why, Read_Ods_Package);
}
