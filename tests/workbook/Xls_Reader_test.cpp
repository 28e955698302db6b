// The .xls reader on hand-built files, for what real workbooks seldom show: strings cut
// across records, damaged containers and lying lengths. The real files, both date systems
// among them, are compared with reference dumps by the corpus test.
#include "workbook/Format_Readers.h"
#include "workbook/Number_Format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

QByteArray Le16(unsigned v) {
    const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
    return QByteArray(b, 2);
}
QByteArray Le32(quint32 v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
QByteArray Le64(double d) {
    quint64 bits;
    std::memcpy(&bits, &d, 8);
    return Le32(quint32(bits)) + Le32(quint32(bits >> 32));
}
QByteArray Rec(unsigned id, const QByteArray& body) { return Le16(id) + Le16(unsigned(body.size())) + body; }
QByteArray At(unsigned row, unsigned col, unsigned xf) { return Le16(row) + Le16(col) + Le16(xf); }
void Put32(QByteArray& b, int at, quint32 v) { b.replace(at, 4, Le32(v)); }

// Globals, then one worksheet, placed where the BOUNDSHEET record says.
QByteArray Workbook(const QByteArray& globals, const QByteArray& sheet, bool biff5 = false) {
    const QByteArray version = Le16(biff5 ? 0x0500 : 0x0600);
    const QByteArray bof_globals = Rec(0x0809, version + Le16(0x0005) + QByteArray(4, 0));
    const QByteArray name = biff5 ? QByteArray("\x01S") : QByteArray("\x01\x00S", 3);
    const qsizetype sheet_at = bof_globals.size() + globals.size() + 4 + 6 + name.size() + 4;
    return bof_globals + globals + Rec(0x0085, Le32(quint32(sheet_at)) + QByteArray(2, 0) + name) + Rec(0x000A, {}) +
           Rec(0x0809, version + Le16(0x0010) + QByteArray(4, 0)) + sheet + Rec(0x000A, {});
}

// How the test's compound file is laid out: sector size, its allocation table listed in the
// header or in a DIFAT sector of its own, and a stream chain that loops.
struct Layout {
    int sector = 512;
    bool difat_sector = false;
    bool loop = false;
};

// FAT in sector 0, directory in 1, the DIFAT sector (if any) in 2, the stream after.
QByteArray Compound(QByteArray stream, const QString& name = QStringLiteral("Workbook"), Layout l = {}) {
    const int ss = l.sector, first = l.difat_sector ? 3 : 2;
    stream.append(QByteArray(std::max<qsizetype>(0, 4096 - stream.size()), 0));  // not in the mini stream
    stream.append(QByteArray((ss - stream.size() % ss) % ss, 0));
    const int sectors = int(stream.size() / ss);
    QByteArray header(ss, 0);
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    header.replace(0x18, 6, Le16(0x3E) + Le16(ss == 512 ? 3 : 4) + Le16(0xFFFE));
    header.replace(0x1E, 4, Le16(ss == 512 ? 9 : 12) + Le16(6));
    Put32(header, 0x2C, 1);  // FAT sectors
    Put32(header, 0x30, 1);  // first directory sector
    Put32(header, 0x38, 4096);
    Put32(header, 0x3C, 0xFFFFFFFE);  // no mini FAT
    Put32(header, 0x44, l.difat_sector ? 2 : 0xFFFFFFFE);
    Put32(header, 0x48, l.difat_sector ? 1 : 0);
    header.replace(0x4C, 436, QByteArray(436, '\xFF'));
    QByteArray difat(ss, '\xFF');
    Put32(l.difat_sector ? difat : header, l.difat_sector ? 0 : 0x4C, 0);
    Put32(difat, ss - 4, 0xFFFFFFFE);
    QByteArray fat(ss, '\xFF');
    Put32(fat, 0, 0xFFFFFFFD);
    Put32(fat, 4, 0xFFFFFFFE);
    if (l.difat_sector) Put32(fat, 8, 0xFFFFFFFC);
    for (int i = 0; i < sectors; ++i) Put32(fat, 4 * (first + i), i + 1 < sectors ? first + 1 + i : 0xFFFFFFFE);
    if (l.loop) Put32(fat, 4 * (first + 1), first);  // the stream's second sector leads back to its first
    QByteArray dir(ss, 0);
    auto entry = [&](int i, const QString& n, int type, quint32 child, quint32 start, quint32 size) {
        const int at = 128 * i;
        for (int c = 0; c < n.size(); ++c) dir.replace(at + 2 * c, 2, Le16(n[c].unicode()));
        dir.replace(at + 0x40, 2, Le16(unsigned(2 * n.size() + 2)));
        dir[at + 0x42] = char(type);
        for (const auto& [off, v] :
             {std::pair{0x44, 0xFFFFFFFFu}, {0x48, 0xFFFFFFFFu}, {0x4C, child}, {0x74, start}, {0x78, size}})
            Put32(dir, at + off, v);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0);
    entry(1, name, 2, 0xFFFFFFFF, quint32(first), quint32(stream.size()));
    return header + fat + dir + (l.difat_sector ? difat : QByteArray()) + stream;
}

struct Read_Result {
    bool ok = false;
    QString why;
    QByteArray dump;
    Sheet_Cells cells;
};
Read_Result Read(const QByteArray& file) {
    Read_Result r;
    const Workbook_Failure failure = Read_Xls(file, r.cells);
    r.ok = failure == Workbook_Failure::None;
    r.why = Workbook_Failure_Text(failure);
    for (const Sheet_Cell& c : r.cells.Cells()) r.dump += Dump_Cell_Line(c);
    return r;
}

}  // namespace

TEST(Xls_Reader, Shared_Strings_Cut_Across_Records_Change_Width_And_Keep_Runs_Out) {
    // The count is absurd on purpose: the reader reads the strings that are there.
    const QByteArray sst =
        Le32(9) + Le32(0xFFFFFFFF) + Le16(5) + '\0' + "Hello" + Le16(6) + '\0' + "abc";  // cut after 3 characters
    const QByteArray cont1 = QByteArray(1, 1) + Le16(0x3A9) + Le16(0x20AC) + Le16('z') +  // now two bytes each
                             Le16(4) + char(0x0C) + Le16(1) + Le32(6) + "Rich" + Le16(0);  // runs cut in two
    const QByteArray cont2 = Le16(0) + QByteArray(6, 'x') +  // rest of run, phonetic block
                             Le16(4) + '\0' + "Last";
    const QByteArray globals = Rec(0x00FC, sst) + Rec(0x003C, cont1) + Rec(0x003C, cont2);
    QByteArray sheet;
    for (unsigned i = 0; i < 4; ++i) sheet += Rec(0x00FD, At(0, i, 0) + Le32(i));
    sheet += Rec(0x00FD, At(1, 0, 0) + Le32(1)) + Rec(0x00FD, At(1, 1, 0) + Le32(99));  // 99: no such string

    const Read_Result r = Read(Compound(Workbook(globals, sheet)));
    ASSERT_TRUE(r.ok) << r.why.toStdString();
    EXPECT_EQ(r.dump, QByteArray("1\t1\ttext\tHello\n1\t2\ttext\tabc\xCE\xA9\xE2\x82\xACz\n1\t3\ttext\tRich\n"
                                 "1\t4\ttext\tLast\n2\t1\ttext\tabc\xCE\xA9\xE2\x82\xACz\n"));
    // Cells of one shared string share its characters.
    EXPECT_EQ(r.cells.Text_Number_At(1), r.cells.Text_Number_At(4));
}

TEST(Xls_Reader, Excel_95_Texts_Are_In_The_Code_Page_Of_The_Workbook) {
    const QByteArray sheet = Rec(0x0204, At(0, 0, 0) + Le16(6) + "\xCF\xF0\xE8\xE2\xE5\xF2");
    const Read_Result r = Read(Compound(Workbook(Rec(0x0042, Le16(1251)), sheet, true), QStringLiteral("Book")));
    ASSERT_TRUE(r.ok) << r.why.toStdString();
    EXPECT_EQ(r.dump, QByteArray("1\t1\ttext\t\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n"));
}

TEST(Xls_Reader, Damaged_And_Protected_Files_Are_Refused_In_Plain_Words) {
    const QByteArray one_cell = Rec(0x0203, At(0, 0, 0) + Le64(1));
    QByteArray lying_offset = Workbook({}, one_cell);
    lying_offset.replace(12 + 4, 4, Le32(0x7FFFFFF0));  // BOUNDSHEET's offset, beyond the stream
    // One character more than a cell holds, as a LABEL and as a shared string.
    const QByteArray too_long = Le16(32768) + '\0' + QByteArray(32768, 'x');
    const QByteArray sst = Rec(0x00FC, Le32(1) + Le32(1) + too_long);
    struct Case {
        const char* what;
        QByteArray file;
        const char* why;
    } cases[] = {
        {"password", Compound(Workbook(Rec(0x002F, QByteArray(6, 0)), one_cell)),
         "The workbook is protected by a password."},
        {"encrypted package", Compound(QByteArray(10, 0), QStringLiteral("EncryptedPackage")),
         "The file is an encrypted Office document; remove its password and save it again."},
        {"sector chain loop", Compound(Workbook({}, one_cell), QStringLiteral("Workbook"), Layout{512, false, true}),
         "The file is damaged: its sheet could not be read."},
        {"sheet offset", Compound(lying_offset), "The file is damaged: its sheet could not be read."},
        {"no workbook", Compound(Workbook({}, one_cell), QStringLiteral("WordDocument")),
         "The file is not an Excel workbook."},
        {"not a workbook", QByteArray("PK\x03\x04 plainly something else"), "The file is not an Excel workbook."},
        {"label too long", Compound(Workbook({}, Rec(0x0204, At(0, 0, 0) + too_long))),
         "The file is damaged: a cell holds more than 32,767 characters."},
        {"shared string too long", Compound(Workbook(sst, Rec(0x00FD, At(0, 0, 0) + Le32(0)))),
         "The file is damaged: a cell holds more than 32,767 characters."},
        {"cell past the last column", Compound(Workbook({}, Rec(0x0203, At(0, 16384, 0) + Le64(1)))),
         "The file is damaged: it has cells past the last row or column a sheet can have."},
    };
    for (const Case& c : cases) {
        const Read_Result r = Read(c.file);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.why, QString::fromLatin1(c.why)) << c.what;
        EXPECT_TRUE(r.cells.Empty()) << c.what;
    }
}

TEST(Xls_Reader, Container_Layouts_Give_The_Same_Cells) {
    const QByteArray stream = Workbook({}, Rec(0x0203, At(2, 1, 0) + Le64(-0.5)));
    for (const Layout& l : {Layout{512, false}, Layout{512, true}, Layout{4096, false}, Layout{4096, true}}) {
        const Read_Result r = Read(Compound(stream, QStringLiteral("Workbook"), l));
        EXPECT_TRUE(r.ok) << l.sector << ' ' << l.difat_sector << ' ' << r.why.toStdString();
        EXPECT_EQ(r.dump, QByteArray("3\t2\tnumber\t-0.5\n")) << l.sector << ' ' << l.difat_sector;
    }
}

TEST(Xls_Reader, A_Record_Longer_Than_The_Stream_Ends_The_Sheet_Without_Losing_Earlier_Cells) {
    QByteArray stream = Workbook({}, Rec(0x0203, At(0, 0, 0) + Le64(7)) + Rec(0x0203, At(1, 0, 0) + Le64(8)));
    stream.chop(4 + 18);  // the EOF and the second cell
    stream += Le16(0x0203) + Le16(0xFFFF) + At(1, 0, 0);  // claims 64 KiB, holds 6 bytes
    const Read_Result r = Read(Compound(stream, QStringLiteral("wOrKbOoK")));  // letter case of the name ignored
    ASSERT_TRUE(r.ok) << r.why.toStdString();
    EXPECT_EQ(r.dump, QByteArray("1\t1\tnumber\t7\n"));
}

TEST(Number_Format, Date_And_Time_Codes_Are_Told_From_Number_Codes) {
    for (const char* code : {"dd/mm/yyyy", "[$-409]mmm d, yyyy;@", "h:mm AM/PM", "[h]:mm:ss", "[mm]", "yy", "\"Day\" d",
                             "[Red]dd-mm", "ge.m.d", "B2yyyy"})
        EXPECT_TRUE(Is_Date_Format_Code(QString::fromUtf8(code))) << code;
    for (const char* code : {"General", "0.00", "#,##0 \"days\"", "0.00E+00", "@", "[Red]#,##0;[Blue]-#,##0",
                             "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)", "0\\h", "[$€-407] #,##0.00", ""})
        EXPECT_FALSE(Is_Date_Format_Code(QString::fromUtf8(code))) << code;
    for (int id : {14, 22, 27, 36, 45, 47, 50, 58}) EXPECT_TRUE(Is_Builtin_Date_Format(id)) << id;
    for (int id : {0, 13, 23, 26, 37, 44, 48, 49, 59, 164}) EXPECT_FALSE(Is_Builtin_Date_Format(id)) << id;
}
