#pragma once
// What the .xlsx and .ods readers share: the zip package as liborcus unpacks it, checked
// before liborcus is let near it; each XML part parsed with liborcus's SAX parser on a text
// prepared so that the parser cannot fail on it; small parsers of the values in the parts.
//
// liborcus 0.17's spreadsheet import filters drop several kinds of values (inline strings,
// error cells, boolean and error formula results, ISO dates, the 1904 date system; in .ods
// booleans, percentages, currencies, times, text formula results and repeated rows), so the
// readers work one layer lower, on its zip archive and SAX parser.
#include "model/Sheet_Cells.h"

#include <orcus/sax_parser.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Office_Package {

using std::string_view;

// The most one part of a package may unpack to: room for a full million-row sheet, and a
// bound on what a small hostile file can make us allocate.
inline constexpr std::uint64_t kMax_Part_Bytes = std::uint64_t(1) << 30;
// The longest text an .ods cell's spacing elements may make (the spreadsheet programs hold
// far less in a cell).
inline constexpr std::size_t kMax_Cell_Text = std::size_t(1) << 20;
// Deflate cannot expand data by more than about 1032 to 1: a larger claim is a lie.
inline constexpr std::uint64_t kMax_Deflate_Ratio = 1032;

inline constexpr const char* kWhy_Damaged = "The file is damaged: its first sheet could not be read.";
inline constexpr const char* kWhy_Unpack = "The file is damaged: its contents could not be unpacked.";
inline constexpr const char* kWhy_Too_Large = "The file is too large to be read.";
inline constexpr const char* kWhy_Too_Many_Cells = "The first sheet has too many cells to be read.";
inline constexpr const char* kWhy_Memory = "There is not enough memory to read the file.";
inline constexpr const char* kWhy_Password = "The workbook is protected by a password.";
inline constexpr const char* kWhy_No_Sheet = "The workbook has no worksheet.";

// Thrown out of a handler to stop reading, with the sentence to hand back.
struct Read_Failure {
    const char* why;
};
// Thrown out of a handler once it has all it needs, to skip the rest of the part.
struct Stop_Parsing {};

[[noreturn]] void Fail(const char* why);

std::uint32_t Le32(const unsigned char* p);

std::uint16_t Le16(const unsigned char* p);

char Ascii_Lower(char c);

// A part name as looked up: letter case ignored, and the backslashes some writers put in
// entry names read as slashes.
std::string Part_Key(string_view s);

bool Equals_No_Case(string_view a, string_view b);

string_view Trim(string_view s);

bool Parse_Double(string_view s, double& out);

// A non-negative whole number; false when absent, malformed or too large.
bool Parse_Unsigned(string_view s, std::uint64_t& out);

QString From_Utf8(string_view s);

// Day number from 1899-12-30 of a proleptic Gregorian date.
std::int64_t Days_From_1899_12_30(std::int64_t y, unsigned m, unsigned d);

// "hh:mm[:ss[.fff]]" as a fraction of a day.
bool Parse_Clock(string_view s, double& day_fraction);

// ISO 8601 "yyyy-mm-dd", "yyyy-mm-ddThh:mm:ss[.fff]" (a time zone is ignored) or a time alone,
// as a day number from 1899-12-30.
bool Parse_Iso_Date_Time(string_view s, double& out);

// The automation code of an error as written in a cell ("#N/A"), the newer errors included;
// any other name (the "Err:502" some programs write) is taken as #VALUE!, so that no error
// becomes text.
std::int32_t Error_Code(string_view text);

class Package {
public:
    explicit Package(QByteArrayView data)
        : data_(data),
          stream_(reinterpret_cast<const std::uint8_t*>(data.data()), std::size_t(data.size())),
          archive_(&stream_) {
        Scan_Directory();
        archive_.load();
        // Both must see the same entries, or the checks above were made on others.
        if (archive_.get_file_entry_count() != names_.size()) Fail(kWhy_Unpack);
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (!names_.count(std::string(archive_.get_file_entry_name(i)))) Fail(kWhy_Unpack);
    }

    bool Has(string_view name) const { return entries_.count(Part_Key(name)) != 0; }

    // The unpacked part, or false when the package has no such part.
    bool Read(string_view name, std::vector<unsigned char>& buf) const {
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
    void Scan_Directory() {
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
    bool In_Bounds(const Entry& e) const {
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
inline constexpr std::string_view kXml_Tail = "\"'\"'\"'\"'";
inline constexpr std::size_t kXml_Padding = 16;

// Once a few thousand cells are in (at `offset` in a part of `part_bytes`), room for as many
// as the rest of the part holds at the same density: growing a vector of a million cells step
// by step is a large part of the reading time. In an .ods, the other sheets follow the first
// in the same part, so this may be too much room: that costs address space, no memory.
void Reserve_By_Density(Sheet_Cells& out, std::size_t part_bytes, std::ptrdiff_t offset);

bool Character_References_Valid(const std::vector<unsigned char>& part);
std::vector<char> Prepare_Xml_Text(std::vector<unsigned char>& part, std::size_t& size);

// Parses a whole part with `handler`; a Stop_Parsing from it ends the part early. The text is
// copied first: line ends turned into single LFs as XML wants it (the parser leaves them alone;
// a CR written as "&#13;" stays a CR), the tail and padding above after it.
template <typename Handler> void Parse_Xml(std::vector<unsigned char>& part, Handler& handler) {
    std::size_t size = 0;
    std::vector<char> text = Prepare_Xml_Text(part, size);
    try {
        orcus::sax_parser<Handler> parser(text.data(), size, handler);
        parser.parse();
    } catch (const Stop_Parsing&) {}
}

// The attributes of the element being opened: the parser reports them before the element
// itself, and their values stay valid until the element's start has been handled.
struct Attributes {
    struct Item {
        string_view prefix, name, value;
    };
    std::vector<Item> items;

    string_view Get(string_view name) const {
        for (const Item& a : items)
            if (a.name == name) return a.value;
        return {};
    }
    string_view Get(string_view prefix, string_view name) const {
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

// Runs a reader of the package, turning whatever it or liborcus throws into a sentence.
bool Run_Reader(QByteArrayView data, Sheet_Cells& out, QString& why, void (*reader)(const Package&, Sheet_Cells&));

}  // namespace Office_Package
