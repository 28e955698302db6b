// What the real workbooks of the corpus test do not show: values the reference readers
// get wrong or that no sample holds, and the defences against hostile packages.
#include "workbook/Format_Readers.h"
#include "workbook/Isolated_Sheet_Reader.h"

#include "Byte_Files.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Parts = std::vector<std::pair<QByteArray, QByteArray>>;

quint32 Crc32(const QByteArray& d) {
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : d) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void Le(QByteArray& out, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

// A zip package with the parts stored uncompressed, or deflated. `claimed` replaces the
// unpacked size the directory gives for every part, as a hostile file would.
QByteArray Zip(const Parts& parts, quint32 claimed = 0, bool deflate = false) {
    QByteArray out, dir;
    for (const auto& [name, data] : parts) {
        const quint32 offset = quint32(out.size());
        // zlib's stream without its size prefix, header and checksum is raw deflate.
        const QByteArray packed = deflate ? qCompress(data, 1).mid(6).chopped(4) : data;
        for (QByteArray* rec : {&out, &dir}) {
            Le(*rec, rec == &out ? 0x04034b50u : 0x02014b50u, 4);
            if (rec == &dir) Le(*rec, 20, 2);
            Le(*rec, 20, 2), Le(*rec, 0, 2), Le(*rec, deflate ? 8 : 0, 2), Le(*rec, 0, 4);
            Le(*rec, Crc32(data), 4), Le(*rec, quint32(packed.size()), 4);
            Le(*rec, rec == &dir && claimed ? claimed : quint32(data.size()), 4);
            Le(*rec, quint32(name.size()), 2), Le(*rec, 0, 2);
            if (rec == &dir) Le(*rec, 0, 2), Le(*rec, 0, 2), Le(*rec, 0, 2), Le(*rec, 0, 4), Le(*rec, offset, 4);
            rec->append(name);
        }
        out.append(packed);
    }
    const quint32 dir_at = quint32(out.size());
    out.append(dir);
    Le(out, 0x06054b50u, 4), Le(out, 0, 4), Le(out, quint32(parts.size()), 2), Le(out, quint32(parts.size()), 2);
    Le(out, quint32(dir.size()), 4), Le(out, dir_at, 4), Le(out, 0, 2);
    return out;
}

QByteArray Dump(const Sheet_Cells& cells) {
    QByteArray out;
    for (const Sheet_Cell& c : cells.Cells()) out += Dump_Cell_Line(c);
    return out;
}

QByteArray Xlsx(const QByteArray& sheet_data, const QByteArray& shared = {}, bool deflate = false) {
    const QByteArray ns = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray rel =
        R"(<Relationship Id="%1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/%2" Target="%3"/>)";
    auto r = [&](const char* id, const char* type, const char* target) {
        return QString::fromLatin1(rel).arg(QLatin1String(id), QLatin1String(type), QLatin1String(target)).toLatin1();
    };
    return Zip(
        {{"_rels/.rels", "<Relationships>" + r("rId1", "officeDocument", "xl/workbook.xml") + "</Relationships>"},
         {"xl/workbook.xml", "<workbook" + ns +
                                 "><sheets><sheet name=\"C\" sheetId=\"2\" r:id=\"rId9\"/><sheet name=\"S\" "
                                 "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels", "<Relationships>" + r("rId1", "worksheet", "worksheets/sheet1.xml") +
                                            r("rId9", "chartsheet", "chartsheets/sheet1.xml") +
                                            r("rId2", "styles", "/xl/styles.xml") +
                                            r("rId3", "sharedStrings", "sharedStrings.xml") + "</Relationships>"},
         {"xl/styles.xml", "<styleSheet" + ns + R"(><numFmts><numFmt numFmtId="164" formatCode="0.00"/>)" +
                               R"(<numFmt numFmtId="165" formatCode="dd/mm/yyyy"/></numFmts><cellXfs>)" +
                               R"(<xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="165"/><xf numFmtId="164"/>)" +
                               "</cellXfs></styleSheet>"},
         {"xl/sharedStrings.xml", "<sst" + ns + ">" + shared + "</sst>"},
         {"xl/worksheets/sheet1.xml",
          "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<x:sheetData>" +
              sheet_data + "</x:sheetData></x:worksheet>"}},
        0, deflate);
}

QByteArray Ods(const QByteArray& rows, const QByteArray& manifest = "<manifest/>") {
    return Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                {"META-INF/manifest.xml", manifest},
                {"content.xml",
                 "<office:document-content><office:body><office:spreadsheet><table:table table:name=\"A\">" + rows +
                     "</table:table><table:table><table:table-row><table:table-cell office:value-type="
                     "\"float\" office:value=\"9\"/></table:table-row></table:table>"
                     "</office:spreadsheet></office:body></office:document-content>"}});
}

struct Case {
    const char* name;
    QByteArray file;
    bool ods;
    QByteArray dump;  // or the sentence, when `fails`
    bool fails = false;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Package_Reader : public testing::TestWithParam<Case> {};

TEST_P(Package_Reader, Reads_First_Sheet) {
    const Case& c = GetParam();
    Sheet_Cells cells;
    cells.Set_Max_Cells(100000);
    const QString why = Workbook_Failure_Text(c.ods ? Read_Ods(c.file, cells) : Read_Xlsx(c.file, cells));
    EXPECT_EQ(why.isEmpty(), !c.fails) << why.toStdString();
    EXPECT_EQ((c.fails ? why.toUtf8() : Dump(cells)).toStdString(), c.dump.toStdString());
}

const QByteArray kCell = R"(<table:table-cell office:value-type="float" office:value="1"/>)";
const QByteArray kTooLong = "The file is damaged: a cell holds more than 32,767 characters.";
const QByteArray kBeyond = "The file is damaged: it has cells past the last row or column a sheet can have.";
const QByteArray kLongest = QString(32767, QChar(0xE9)).toUtf8();  // é, two bytes each in UTF-8

QByteArray Ods_Text_Cell(const QByteArray& text) {
    return R"(<table:table-cell office:value-type="string"><text:p>)" + text + "</text:p></table:table-cell>";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Package_Reader,
    testing::Values(
        Case{
            "xlsx_kinds",
            Xlsx(
                R"(<x:row r="2"><x:c r="A2" t="b"><x:f>1=1</x:f><x:v>1</x:v></x:c><x:c t="e"><x:f>1/0</x:f><x:v>#DIV/0!</x:v></x:c>)"
                R"(<x:c t="e"><x:v>#SPILL!</x:v></x:c><x:c t="str"><x:f>"a"</x:f><x:v>a_x000D_&#13;b</x:v></x:c>)"
                R"(<x:c t="s"><x:v>0</x:v></x:c><x:c t="inlineStr"><x:is><x:r><x:t>in</x:t></x:r><x:r><x:t>line)"
                "\r\n"
                R"(</x:t></x:r><x:rPh><x:t>IGNORED</x:t></x:rPh></x:is></x:c><x:c t="s"><x:v>7</x:v></x:c></x:row>)"
                "<x:row><x:c s=\"1\"><x:v>2</x:v></x:c><x:c s=\"3\"><x:v>2.5</x:v></x:c><x:c t=\"d\" "
                "s=\"3\"><x:v>1900-03-01T12:00:00</x:v></x:c></x:row>",
                "<si><t>x_x005F_x</t><rPh><t>IGNORED</t></rPh></si>"),
            false,
            "2\t1\tboolean\tTRUE\n2\t2\terror\t#DIV/0!\n2\t3\terror\t#SPILL!\n2\t4\ttext\ta\\r\\rb\n"
            "2\t5\ttext\tx_x\n2\t6\ttext\tinline\\n\n3\t1\tdate\t2\n3\t2\tnumber\t2.5\n3\t3\tdate\t61.5\n"},
        Case{"xlsx_lying_size", Zip({{"xl/workbook.xml", "<workbook/>"}}, 0x7FFFFFFF), false,
             "The file is too large to be read.", true},
        Case{"xlsx_part_past_512_mb", Zip({{"xl/workbook.xml", "<workbook/>"}}, 600 << 20, true), false,
             "The file is too large to be read.", true},
        Case{"xlsx_lying_stored_size", Zip({{"xl/workbook.xml", "<workbook/>"}}, 400000000), false,
             "The file is damaged: its contents could not be unpacked.", true},
        // liborcus's parser aborts the program on the first and reads past its text on the second.
        Case{"xlsx_character_beyond_unicode", Xlsx(R"(<x:row><x:c t="str"><x:v>&#x110000;</x:v></x:c></x:row>)"), false,
             "The file is damaged: its first sheet could not be read.", true},
        Case{"xlsx_unclosed_attribute", Xlsx(R"(<x:row><x:c t="str"><x:v>a</x:v></x:c></x:row><x:row r="2&amp;3)"),
             false, "The file is damaged: its first sheet could not be read.", true},
        Case{"xlsx_not_zip", "PK\3\4 not really", false, "The file is damaged: its contents could not be unpacked.",
             true},
        // Which of the two a reader takes decides what the table holds.
        Case{"xlsx_names_differ_only_in_case", Zip({{"xl/workbook.xml", "<workbook/>"}, {"xl/WorkBook.xml", "<b/>"}}),
             false, "The file is damaged: its contents could not be unpacked.", true},
        Case{"xlsx_longest_text",
             Xlsx("<x:row><x:c t=\"inlineStr\"><x:is><x:t>" + kLongest + "</x:t></x:is></x:c></x:row>"), false,
             "1\t1\ttext\t" + kLongest + "\n"},
        Case{"xlsx_inline_text_too_long",
             Xlsx("<x:row><x:c t=\"inlineStr\"><x:is><x:t>" + kLongest + "x</x:t></x:is></x:c></x:row>"), false,
             kTooLong, true},
        Case{"xlsx_shared_text_too_long",
             Xlsx(R"(<x:row><x:c t="s"><x:v>0</x:v></x:c></x:row>)", "<si><t>x" + kLongest + "</t></si>"), false,
             kTooLong, true},
        // Seven characters of the file make one of the cell: only the text decoded is too long.
        Case{"xlsx_escaped_text_too_long",
             Xlsx("<x:row><x:c t=\"str\"><x:v>" + QByteArray("_x0041_").repeated(32768) + "</x:v></x:c></x:row>"),
             false, kTooLong, true},
        Case{"xlsx_empty_cell_past_last_column",
             Xlsx(R"(<x:row r="1"><x:c r="XFD1"><x:v>1</x:v></x:c><x:c r="XFE1"/></x:row>)"), false,
             "1\t16384\tnumber\t1\n"},
        Case{"xlsx_value_past_last_column", Xlsx(R"(<x:row r="1"><x:c r="XFE1"><x:v>1</x:v></x:c></x:row>)"), false,
             kBeyond, true},
        Case{"xlsx_value_past_last_row", Xlsx(R"(<x:row r="1048577"><x:c r="A1048577"><x:v>1</x:v></x:c></x:row>)"),
             false, kBeyond, true},
        Case{
            "ods_kinds",
            Ods(R"(<table:table-row><table:table-cell office:value-type="percentage" office:value="0.5"/>)"
                R"(<table:table-cell office:value-type="time" office:time-value="PT36H"/>)"
                R"(<table:table-cell office:value-type="date" office:date-value="2021-01-01T06:00:00"/>)"
                R"(<table:table-cell office:value-type="boolean" office:boolean-value="false"/>)"
                R"(<table:table-cell office:value-type="string" office:string-value="" calcext:value-type="error"><text:p>#N/A</text:p></table:table-cell>)"
                R"(<table:covered-table-cell><text:p>a<text:s text:c="2"/><text:span>b</text:span><text:tab/>)"
                R"(<office:annotation><text:p>note</text:p></office:annotation></text:p><text:p>c</text:p></table:covered-table-cell>)"
                R"(</table:table-row>)"),
            true,
            "1\t1\tnumber\t0.5\n1\t2\tdate\t1.5\n1\t3\tdate\t44197.25\n1\t4\tboolean\tFALSE\n1\t5\terror\t#N/A\n"
            "1\t6\ttext\ta  b\\t\\nc\n"},
        // Empty cells and rows past the edge, as the spreadsheet programs write them, only move on.
        Case{
            "ods_repeats",
            Ods(R"(<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="2" )"
                R"(office:value-type="float" office:value="7"/><table:table-cell table:number-columns-repeated="99999"/>)"
                R"(</table:table-row><table:table-row table:number-rows-repeated="1048000"/><table:table-row>)" +
                kCell +
                R"(</table:table-row><table:table-row table:number-rows-repeated="9999999"><table:table-cell )"
                R"(table:number-columns-repeated="99999"/></table:table-row>)"),
            true, "1\t1\tnumber\t7\n1\t2\tnumber\t7\n2\t1\tnumber\t7\n2\t2\tnumber\t7\n1048003\t1\tnumber\t1\n"},
        Case{
            "ods_repeat_bomb",
            Ods(R"(<table:table-row table:number-rows-repeated="1048576"><table:table-cell table:number-columns-repeated=)"
                R"("16384" office:value-type="float" office:value="1"/></table:table-row>)"),
            true, "The first sheet has too many cells to be read.", true},
        Case{"ods_value_past_last_column",
             Ods(R"(<table:table-row><table:table-cell table:number-columns-repeated="16384"/>)" + kCell +
                 "</table:table-row>"),
             true, kBeyond, true},
        Case{"ods_values_repeated_past_last_row",
             Ods(R"(<table:table-row/><table:table-row table:number-rows-repeated="1048576">)" + kCell +
                 "</table:table-row>"),
             true, kBeyond, true},
        Case{"ods_longest_text", Ods("<table:table-row>" + Ods_Text_Cell(kLongest) + "</table:table-row>"), true,
             "1\t1\ttext\t" + kLongest + "\n"},
        Case{"ods_text_too_long", Ods("<table:table-row>" + Ods_Text_Cell(kLongest + "x") + "</table:table-row>"), true,
             kTooLong, true},
        Case{"ods_spaces_too_long",
             Ods("<table:table-row>" + Ods_Text_Cell(R"(a<text:s text:c="99999999"/>)") + "</table:table-row>"), true,
             kTooLong, true},
        Case{"ods_password", Ods("", "<manifest><manifest:encryption-data/></manifest>"), true,
             "The workbook is protected by a password.", true}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A package found only through its relationships: where each part is stored and how the
// relationships name it. The sheet's shared string and date format show that the shared
// strings and styles were found too.
struct Layout {
    const char* name;
    const char* book_target = "wtf/workbook.xml";
    const char* book = "wtf/workbook.xml";
    const char* book_rels = "wtf/_rels/workbook.xml.rels";
    const char* sheet_target = "sheets/data.xml";
    const char* sheet = "wtf/sheets/data.xml";
    const char* strings_target = "strings.xml";
    const char* strings = "wtf/strings.xml";
    const char* styles_target = "/wtf/styles.xml";
    const char* book_root = "workbook";
    const char* types = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    QByteArray want = "1\t1\ttext\tshared\n1\t2\tdate\t45000\n";
};
void PrintTo(const Layout& l, std::ostream* os) { *os << l.name; }

class Package_Layout : public testing::TestWithParam<Layout> {};

TEST_P(Package_Layout, Parts_Are_Found_Through_The_Relationships) {
    const Layout& l = GetParam();
    auto rel = [&](const char* id, const char* type, const char* target) {
        return QByteArray("<Relationship Id=\"") + id + "\" Type=\"" + l.types + type + "\" Target=\"" + target +
               "\"/>";
    };
    const QByteArray file = Zip(
        {{"_rels/.rels", "<Relationships>" + rel("rId1", "officeDocument", l.book_target) + "</Relationships>"},
         {l.book, QByteArray("<") + l.book_root + " xmlns:r=\"x\"><sheets><sheet r:id=\"rId7\"/></sheets></" +
                      l.book_root + ">"},
         {l.book_rels, "<Relationships>" + rel("rId7", "worksheet", l.sheet_target) +
                           rel("rId8", "sharedStrings", l.strings_target) + rel("rId9", "styles", l.styles_target) +
                           "</Relationships>"},
         {"wtf/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
         {l.strings, "<sst><si><t>shared</t></si></sst>"},
         {l.sheet, R"(<worksheet><sheetData><row><c t="s"><v>0</v></c><c s="1"><v>45000</v></c></row>)"
                   "</sheetData></worksheet>"}});
    Sheet_Cells cells;
    const QString why = Workbook_Failure_Text(Read_First_Sheet_Data(file, cells));
    EXPECT_EQ(why.isEmpty() ? Dump(cells).toStdString() : why.toStdString(), l.want.toStdString());
}

const QByteArray kNot_A_Workbook = "The file is not a workbook: only .xls, .xlsx and .ods workbooks can be read.";
const QByteArray kSheet_Damaged = "The file is damaged: its first sheet could not be read.";

INSTANTIATE_TEST_SUITE_P(
    Cases, Package_Layout,
    testing::Values(
        Layout{.name = "other_folder"},
        Layout{.name = "absolute_targets",
               .book_target = "/wtf/workbook.xml",
               .sheet_target = "/data/s.xml",
               .sheet = "data/s.xml",
               .strings_target = "/strings.xml",
               .strings = "strings.xml"},
        Layout{.name = "names_in_other_case",
               .book_target = "/WTF/WorkBook.xml",
               .book_rels = "Wtf/_RELS/workbook.XML.rels",
               .sheet_target = "Sheets/DATA.xml",
               .strings_target = "STRINGS.XML"},
        Layout{.name = "strict_types", .types = "http://purl.oclc.org/ooxml/officeDocument/relationships/"},
        Layout{.name = "parent_folders_within",
               .book_target = "wtf/in/workbook.xml",
               .book = "wtf/in/workbook.xml",
               .book_rels = "wtf/in/_rels/workbook.xml.rels",
               .sheet_target = "../sheets/data.xml",
               .strings_target = "../../strings.xml",
               .strings = "strings.xml",
               .styles_target = "./../styles.xml"},
        // Climbing out of the package names no part, not the part at the top.
        Layout{.name = "sheet_outside_the_package",
               .book_target = "xl/workbook.xml",
               .book = "xl/workbook.xml",
               .book_rels = "xl/_rels/workbook.xml.rels",
               .sheet_target = "../../sheets/data.xml",
               .sheet = "sheets/data.xml",
               .want = kSheet_Damaged},
        Layout{.name = "workbook_outside_the_package", .book_target = "../wtf/workbook.xml", .want = kNot_A_Workbook},
        Layout{.name = "workbook_missing", .book_target = "wtf/book.xml", .want = kNot_A_Workbook},
        Layout{.name = "sheet_missing", .sheet_target = "sheets/none.xml", .want = kSheet_Damaged},
        // A word-processing package names its main part the same way.
        Layout{.name = "main_part_not_a_workbook", .book_root = "document", .want = kNot_A_Workbook}),
    [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// The reader child's room in memory, made small for the test. The address sanitizer's own
// allocator has its space reserved from the start, so no limit on it can show.
struct Reader_Child_Memory_Test : ::testing::Test {
    QTemporaryDir dir;
    std::uint64_t previous = 0;
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "the address sanitizer's allocator ignores the address-space limit";
#endif
        if (!Isolated_Reading_Available()) GTEST_SKIP() << "no child process here";
    }
    void TearDown() override {
        if (previous) Set_Reader_Child_Memory(previous);
    }
    bool Read(const QByteArray& file, std::uint64_t room, Sheet_Cells& cells, QString& why) {
        const QString path = dir.filePath(QStringLiteral("book"));
        Write_Bytes(path, file);
        previous = Set_Reader_Child_Memory(room);
        const Workbook_Result r = Read_Workbook(path, cells, Reader_Place::Child);
        why = r.Why();
        return r.Ok();
    }
};

TEST_F(Reader_Child_Memory_Test, A_Workbook_That_Needs_More_Is_Refused_For_Want_Of_Memory) {
    // Four million cells, 64 MB, from a few bytes.
    const QByteArray rows = R"(<table:table-row table:number-rows-repeated="1000000"><table:table-cell )"
                            R"(table:number-columns-repeated="4" office:value-type="float" office:value="1"/>)"
                            "</table:table-row>";
    Sheet_Cells cells;
    QString why;
    EXPECT_FALSE(Read(Ods(rows), std::uint64_t(48) << 20, cells, why));
    EXPECT_EQ(why, "There is not enough memory to read the file.");
    EXPECT_TRUE(cells.Empty());
}

TEST_F(Reader_Child_Memory_Test, An_Unpacked_Part_Is_Held_Once) {
    // A sheet part of 48 MB, mostly blanks after its data, in a room that holds it once.
    const QByteArray sheet = R"(<x:row><x:c><x:v>5</x:v></x:c></x:row>)" + QByteArray(48 << 20, ' ');
    Sheet_Cells cells;
    QString why;
    EXPECT_TRUE(Read(Xlsx(sheet, {}, true), std::uint64_t(80) << 20, cells, why)) << why.toStdString();
    EXPECT_EQ(Dump(cells), "1\t1\tnumber\t5\n");
}

// The child sends cells while it still reads (every 65,536): a sheet of more, with a row out
// of order that gives a place a second value, comes over as the program reads it itself.
TEST(Package_Reader_Child, A_Large_Sheet_Comes_Over_As_Read_In_The_Program) {
    if (!Isolated_Reading_Available()) GTEST_SKIP() << "no child process here";
    QByteArray rows;
    for (int r = 1; r <= 70000; ++r)
        rows += QStringLiteral(
                    "<x:row r=\"%1\"><x:c t=\"s\"><x:v>%2</x:v></x:c><x:c t=\"inlineStr\"><x:is><x:t>t%1"
                    "</x:t></x:is></x:c></x:row>")
                    .arg(r)
                    .arg(r % 3)
                    .toLatin1();
    rows += R"(<x:row r="5"><x:c r="A5"><x:v>42</x:v></x:c></x:row>)";
    const QByteArray file = Xlsx(rows, "<si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    Write_Bytes(path, file);
    Sheet_Cells in_program, from_child;
    ASSERT_TRUE(Read_Workbook(path, in_program, Reader_Place::In_Process).Ok());
    const Workbook_Result r = Read_Workbook(path, from_child, Reader_Place::Child);
    ASSERT_TRUE(r.Ok()) << r.Why().toStdString();
    EXPECT_EQ(from_child.Size(), 140000u);
    EXPECT_TRUE(Dump(from_child).contains("5\t1\tnumber\t42\n"));
    EXPECT_EQ(Dump(from_child), Dump(in_program));
}

// A part read in pieces: one row larger than the bound is refused as too large once that
// much is unpacked; a row within it reads, whatever the pieces.
TEST(Package_Reader_Memory, A_Row_Past_The_Bound_Is_Refused) {
    const std::size_t piece = Set_Package_Piece_Bytes(4096), most = Set_Package_Element_Bytes(64 << 10);
    for (const int cells : {2000, 4000}) {  // 46 and 92 kB
        QByteArray row = "<x:row>";
        for (int i = 0; i < cells; ++i) row += "<x:c><x:v>1</x:v></x:c>";
        Sheet_Cells out;
        const Workbook_Failure f = Read_Xlsx(Xlsx(row + "</x:row><x:row><x:c><x:v>2</x:v></x:c></x:row>"), out);
        EXPECT_EQ(f, cells == 2000 ? Workbook_Failure::None : Workbook_Failure::Too_Large) << cells;
        EXPECT_EQ(out.Size(), cells == 2000 ? 2001u : 0u);
    }
    Set_Package_Piece_Bytes(piece);
    Set_Package_Element_Bytes(most);
}

TEST(Package_Reader_Memory, A_Text_Repeated_Down_A_Column_Is_Held_Once) {
    const QByteArray row = "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" +
                           QByteArray(16000, 'x') + "</text:p></table:table-cell></table:table-row>";
    Sheet_Cells cells;
    ASSERT_EQ(Read_Ods(Ods(row + row + row), cells), Workbook_Failure::None);
    EXPECT_EQ(cells.Size(), 3u);
    EXPECT_EQ(cells.Shared_Text_Count(), 1u);
}

}  // namespace
