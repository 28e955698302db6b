#pragma once
// What the .xlsx and .ods readers share: the zip package, its directory checked and each
// part unpacked (libdeflate) into one buffer; each XML part parsed in that buffer with liborcus's
// SAX parser, on a text prepared so that the parser cannot fail on it; small parsers of the
// values in the parts.
//
// liborcus 0.17's spreadsheet import filters drop several kinds of values (inline strings,
// error cells, boolean and error formula results, ISO dates, the 1904 date system; in .ods
// booleans, percentages, currencies, times, text formula results and repeated rows), so the
// readers work one layer lower, on its SAX parser.
#include "workbook/Sheet_Cells.h"
#include "workbook/Workbook_Reader.h"

#include <orcus/sax_parser.hpp>

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Office_Package {

using std::string_view;

// The most one part of a package may unpack to: nearly three times the largest real one (the
// 182 MB content.xml of the 65,535 records as .ods), more than the reader child could parse
// in its room beside the cells it makes, and a bound on what a small hostile file can make
// us allocate and scan where no child is used (the fuzz targets).
inline constexpr std::uint64_t kMax_Part_Bytes = std::uint64_t(512) << 20;
// Deflate cannot expand data by more than about 1032 to 1: a larger claim is a lie.
inline constexpr std::uint64_t kMax_Deflate_Ratio = 1032;
// A worksheet, shared-string or .ods content part is read a piece at a time (Parse_Xml_In_Pieces) and may
// be larger than kMax_Part_Bytes: it is never held whole, the cells it makes are bounded by
// Sheet_Cells::Max_Cells() and each text by Sheet_Max_Text, and without 64-bit sizes (refused)
// no entry claims more than 4 GiB, eight times the 1,048,575 records of the largest real table
// in inline strings (1.7 GB).

// Thrown out of a handler to stop reading, with the failure to hand back.
struct Read_Failure {
    Workbook_Failure why;
};
// Thrown out of a handler once it has all it needs, to skip the rest of the part.
struct Stop_Parsing {};

[[noreturn]] void Fail(Workbook_Failure why);

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

// liborcus 0.17's XML parser asserts (aborting the program) or reads past the end of its text
// on some malformed input; the text it is given is prepared so that it cannot:
//  - after an attribute value with a character reference and no closing quote it steps past
//    the end: the text gets a tail of alternating quotes, never reached in a well-formed part
//    (the parser stops at the end of the root element), on which it stops with an error;
//  - a comment cut short near the end fails an assertion: the tail makes it long enough;
//  - a character reference beyond U+10FFFF fails an assertion: such a part is refused.
inline constexpr std::string_view kXml_Tail = "\"'\"'\"'\"'";
inline constexpr std::size_t kXml_Padding = 16;

// One unpacked part, held once: it is prepared and parsed where it lies, in a buffer with
// room for the tail and padding above after its bytes.
struct Part {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    string_view View() const { return {bytes.get(), size}; }
};

void Advise_Huge_Pages(Part& part);

// A part unpacked a piece at a time (zlib), for parts too large to be held whole.
class Part_Stream {
public:
    Part_Stream();
    ~Part_Stream();
    Part_Stream(const Part_Stream&) = delete;
    Part_Stream& operator=(const Part_Stream&) = delete;
    // Up to `room` more bytes of the part into `to`; 0 once all have come. Damaged data, or
    // data that unpacks to more or fewer bytes than the entry claims, is refused.
    std::size_t Read(char* to, std::size_t room);
    std::uint64_t Size() const { return size_; }
    // Told of the packed bytes read so far, a few megabytes at a time: a mapped file gives
    // their pages back (Sheet_Cells::Release_Input), so that reading a large part does not
    // hold the file whole. Told too how far through the part the reading is.
    void Release_Read_Input(const Sheet_Cells* cells) { release_to_ = cells; }

private:
    friend class Package;
    struct Inflater;
    void Tell_Share_Read() const;
    std::unique_ptr<Inflater> z_;
    const unsigned char* in_ = nullptr;
    std::uint64_t packed_ = 0, size_ = 0, done_ = 0, released_ = 0;
    bool stored_ = false;
    const Sheet_Cells* release_to_ = nullptr;
};

class Package {
public:
    // Checks the central directory; throws Read_Failure when the package cannot be trusted.
    explicit Package(QByteArrayView data) : data_(data) { Scan_Directory(); }

    bool Has(string_view name) const { return entries_.count(Part_Key(name)) != 0; }
    // What all the parts claim to unpack to.
    std::uint64_t Unpacked_Bytes() const;

    // The unpacked part, or false when the package has no such part. The part held before
    // is let go first.
    bool Read(string_view name, Part& part) const;
    // The part opened to be read a piece at a time, or false when the package has no such part.
    bool Open(string_view name, Part_Stream& stream) const;

private:
    struct Entry {
        std::string name;
        std::uint64_t packed = 0, unpacked = 0, local_header = 0;
        std::uint16_t method = 0, flags = 0;
    };

    void Scan_Directory();
    // Where the entry's data starts, after a local header of its own, all within the file.
    std::uint64_t Data_Start(const Entry& e) const;
    // The entry's sizes and method checked; whether it is stored rather than deflated.
    static bool Check_Entry(const Entry& e, std::uint64_t most);

    QByteArrayView data_;
    std::unordered_map<std::string, Entry> entries_;
};

bool Character_References_Valid(string_view part);
// Turns the part into the parser's text in place (see Parse_Xml); answers the length the
// parser is to read.
std::size_t Prepare_Xml_Text(Part& part);
// The same on the `size` bytes at `text`, which have the room after them that a Part has.
std::size_t Prepare_Xml_Text(char* text, std::size_t size);

// Parses a whole part with `handler`; a Stop_Parsing from it ends the part early. The part is
// prepared first: line ends turned into single LFs as XML wants it (the parser leaves them
// alone; a CR written as "&#13;" stays a CR), the tail and padding above after it.
template <typename Handler> void Parse_Xml(Part& part, Handler& handler) {
    const std::size_t size = Prepare_Xml_Text(part);
    try {
        orcus::sax_parser<Handler> parser(part.bytes.get(), size, handler);
        parser.parse();
    } catch (const Stop_Parsing&) {}
}

// A large part in pieces of a few megabytes, each ending just after the end tag of one of the
// part's repeated elements (a worksheet's rows, the shared strings' items), so that no
// element the handler looks at is ever cut; each piece after the first is put inside an
// element of its own ("<p>"), so that the parser never meets the end of its top element. A
// part with comments, CDATA sections or processing instructions, where such a tag could be
// text, is read whole from the first of them on (within kMax_Part_Bytes).
class Xml_Pieces {
public:
    Xml_Pieces(Part_Stream& in, string_view element);
    ~Xml_Pieces();
    Xml_Pieces(const Xml_Pieces&) = delete;
    Xml_Pieces& operator=(const Xml_Pieces&) = delete;
    // The next piece, prepared as Prepare_Xml_Text prepares a part; false once all are done.
    // While it is parsed, the next one is unpacked on a thread of its own.
    bool Next();
    const char* Text() const { return text_; }
    std::size_t Size() const { return size_; }

private:
    // Where the piece [0, size) of the current buffer may end: just after the last end tag of
    // the element outside a comment or the like; npos when there is none.
    std::size_t Cut(const char* b, std::size_t size);
    void Grow();
    // Buffer `b` filled from `from` on, as far as its room or the part go.
    void Fill(int b, std::size_t from, std::size_t& filled, bool& ended);
    void Fill_Behind(int b, std::size_t from);
    void Wait_For_Fill();
    void Run_Filler();

    Part_Stream& in_;
    const std::string element_;
    std::vector<char> buffers_[2];
    int current_ = 0;
    std::size_t capacity_ = 0, filled_ = 0;
    bool first_ = true, ended_ = false, whole_ = false;
    const char* text_ = nullptr;
    std::size_t size_ = 0;
    // The filler thread, and what it is asked and answers.
    struct Filler;
    std::unique_ptr<Filler> filler_;
};

// Parses a part read a piece at a time with `handler`, which keeps its state from one piece to
// the next; a Stop_Parsing from it ends the part early.
template <typename Handler> void Parse_Xml_In_Pieces(Part_Stream& in, string_view element, Handler& handler) {
    Xml_Pieces pieces(in, element);
    try {
        while (pieces.Next()) {
            orcus::sax_parser<Handler> parser(pieces.Text(), pieces.Size(), handler);
            parser.parse();
        }
    } catch (const Stop_Parsing&) {}
}

// A cell's text as it comes in pieces from the parser: `max_bytes` bounds what is held before
// the text is decoded, so that a huge text is refused before it is copied.
void Append_Cell_Text(std::string& text, string_view piece, std::size_t max_bytes);
// The decoded text; refused when longer than a cell can hold.
QString Checked_Cell_Text(QString text);
// The same check of a text still in UTF-8: a UTF-16 unit takes at least one byte, so only a
// long text is decoded to be measured.
void Check_Cell_Text_Length(string_view utf8);

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

// Runs a reader of the package, turning whatever it or liborcus throws into a failure.
Workbook_Failure Run_Reader(QByteArrayView data, Sheet_Cells& out, void (*reader)(const Package&, Sheet_Cells&));

}  // namespace Office_Package
