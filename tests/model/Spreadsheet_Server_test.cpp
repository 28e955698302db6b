// The FreeXL workbook readers, in this process and in a child process, against small real
// .xls files (tests/data/make_xls_fixtures.py) and against files that are not workbooks:
// both must answer the same.
#include "model/Spreadsheet_Server.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Data(const char* name) { return QStringLiteral(SIFA_TEST_DATA "/") + QString::fromUtf8(name); }

// Day number from 1899-12-30, computed apart from the reader's own arithmetic.
double Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
}

void Expect_Same(const Value& got, const Value& want) {
    ASSERT_EQ(static_cast<int>(got.type()), static_cast<int>(want.type())) << "text of got: " << To_Text(got).toStdString();
    switch (want.type()) {
    case VType::Double: EXPECT_EQ(got.rawDouble(), want.rawDouble()); break;
    case VType::Date: EXPECT_NEAR(got.rawDouble(), want.rawDouble(), 1e-9); break;
    case VType::String: EXPECT_EQ(got.rawString(), want.rawString()); break;
    default: break;
    }
}

struct Reader {
    const char* name;
    std::unique_ptr<Spreadsheet_Server> (*make)();
};
void PrintTo(const Reader& r, std::ostream* os) { *os << r.name; }
const Reader kReaders[] = {{"in_process", &Create_FreeXL_Server}, {"isolated", &Create_Isolated_FreeXL_Server}};

std::unique_ptr<Spreadsheet_Server> Opened(const Reader& reader, const char* name) {
    auto s = reader.make();
    EXPECT_TRUE(s->Open(Data(name))) << name;
    return s;
}

// Tests of one shape run on each reader.
class Spreadsheet_Reader : public ::testing::TestWithParam<Reader> {};
std::string Reader_Name(const testing::TestParamInfo<Reader>& i) { return i.param.name; }
#define ON_EACH_READER(suite) INSTANTIATE_TEST_SUITE_P(Readers, suite, ::testing::ValuesIn(kReaders), Reader_Name)

// ---------------------------------------------------------------- cell values

struct Cell_Case {
    const char* file;
    int row, col;  // 1-based, as the spreadsheet shows them
    Value want;
    const char* what;
};

void PrintTo(const Cell_Case& c, std::ostream* os) { *os << c.file << " R" << c.row << "C" << c.col << " " << c.what; }

class Spreadsheet_Cell : public ::testing::TestWithParam<std::tuple<Reader, Cell_Case>> {};

TEST_P(Spreadsheet_Cell, Reads_The_Value_And_Its_Kind) {
    const Cell_Case& c = std::get<1>(GetParam());
    auto s = Opened(std::get<0>(GetParam()), c.file);
    QList<Value> row;
    ASSERT_TRUE(s->Read_Row(c.row, c.col, c.col, row));
    ASSERT_EQ(row.size(), 1);
    Expect_Same(row[0], c.want);
}

const char* const kValues = "xls_values.xls";

INSTANTIATE_TEST_SUITE_P(
    Fixtures, Spreadsheet_Cell,
    ::testing::Combine(::testing::ValuesIn(kReaders), ::testing::Values(
        Cell_Case{kValues, 1, 1, Value::String("Year"), "header text"},
        Cell_Case{kValues, 2, 1, Value::Double(2012), "whole number comes as a double"},
        Cell_Case{kValues, 2, 2, Value::Double(2.5), "fraction"},
        Cell_Case{kValues, 3, 1, Value::Double(-3), "negative whole number"},
        Cell_Case{kValues, 3, 2, Value::Double(-0.125), "negative fraction"},
        Cell_Case{kValues, 4, 2, Value::Double(123456789012.0), "beyond 32 bits"},
        Cell_Case{kValues, 5, 1, Value::Double(65535), "number"},
        Cell_Case{kValues, 5, 2, Value::Double(0.1), "inexact fraction kept bit for bit"},
        Cell_Case{kValues, 6, 1, Value::Double(0.5), "fraction in column A"},
        Cell_Case{kValues, 6, 2, Value::Double(-1e-300), "tiny negative"},
        Cell_Case{kValues, 2, 3, Value::Date(Day(2012, 3, 4)), "date"},
        Cell_Case{kValues, 3, 3, Value::Date(Day(2012, 3, 4, 13, 14, 15)), "date and time"},
        Cell_Case{kValues, 4, 3, Value::Date(Day(1899, 12, 30, 6, 30, 0)), "time alone"},
        Cell_Case{kValues, 5, 3, Value::Date(Day(2009, 7, 7)), "FreeXL's 24:00:00 carries to the next day"},
        Cell_Case{kValues, 6, 3, Value::Date(Day(1900, 3, 1)), "the 29 February 1900 of the format"},
        Cell_Case{kValues, 2, 4, Value::String(QStringLiteral("Éducation")), "accented capital"},
        Cell_Case{kValues, 2, 5, Value::String(QStringLiteral("Müller")), "umlaut"},
        Cell_Case{kValues, 4, 5, Value::String(QStringLiteral("après")), "accent"},
        Cell_Case{kValues, 3, 4, Value::String("  padded  "), "blanks kept"},
        Cell_Case{kValues, 7, 1, Value::String(" "), "text of blanks only"},
        Cell_Case{kValues, 2, 6, Value::Double(1), "TRUE as FreeXL gives it"},
        Cell_Case{kValues, 3, 6, Value::Double(0), "FALSE as FreeXL gives it"},
        Cell_Case{kValues, 3, 5, Value(), "blank cell inside the row"},
        Cell_Case{kValues, 4, 1, Value(), "gap in column A"},
        Cell_Case{"xls_dates_1904.xls", 1, 1, Value::Date(Day(2012, 3, 4)), "1904 date system"},
        Cell_Case{"xls_dates_1904.xls", 1, 2, Value::Date(Day(1999, 12, 31, 23, 59, 58)), "1904 date and time"})));

// ---------------------------------------------------------------- rows

using Spreadsheet_Row = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Row);

TEST_P(Spreadsheet_Row, Whole_Row_Keeps_Column_Order_And_Blanks) {
    auto s = Opened(GetParam(), kValues);
    QList<Value> row;
    ASSERT_TRUE(s->Read_Row(3, 1, 6, row));
    ASSERT_EQ(row.size(), 6);
    Expect_Same(row[0], Value::Double(-3));
    Expect_Same(row[3], Value::String("  padded  "));
    Expect_Same(row[4], Value());
    Expect_Same(row[5], Value::Double(0));
}

TEST_P(Spreadsheet_Row, Outside_The_Used_Range_Reads_As_Blank) {
    auto s = Opened(GetParam(), kValues);
    QList<Value> row;
    ASSERT_TRUE(s->Read_Row(2, 5, 9, row));  // the sheet is 6 columns wide
    ASSERT_EQ(row.size(), 5);
    Expect_Same(row[0], Value::String(QStringLiteral("Müller")));
    for (int i = 2; i < 5; ++i) Expect_Same(row[i], Value());

    ASSERT_TRUE(s->Read_Row(9, 1, 17, row));  // the sheet is 8 rows high
    ASSERT_EQ(row.size(), 17);
    for (const Value& v : row) EXPECT_TRUE(v.isEmpty());
}

TEST_P(Spreadsheet_Row, Header_Only_Workbook_Has_17_Headers_And_Nothing_Below) {
    auto s = Opened(GetParam(), "xls_header_only.xls");
    QList<Value> row;
    ASSERT_TRUE(s->Read_Row(1, 1, 17, row));
    ASSERT_EQ(row.size(), 17);
    Expect_Same(row[0], Value::String("Year"));
    Expect_Same(row[16], Value::String("Dest3"));
    ASSERT_TRUE(s->Read_Row(2, 1, 17, row));
    for (const Value& v : row) EXPECT_TRUE(v.isEmpty());
}

struct Bad_Range { int row, first, last; };

TEST_P(Spreadsheet_Row, Meaningless_Ranges_Fail_And_Leave_Nothing) {
    auto s = Opened(GetParam(), kValues);
    for (const Bad_Range& b : {Bad_Range{0, 1, 3}, Bad_Range{-1, 1, 3}, Bad_Range{1, 0, 3},
                               Bad_Range{1, 4, 3}, Bad_Range{1, 1, 70000}}) {
        SCOPED_TRACE(testing::Message() << b.row << " " << b.first << ".." << b.last);
        QList<Value> row{Value::String("stale")};
        EXPECT_FALSE(s->Read_Row(b.row, b.first, b.last, row));
        EXPECT_TRUE(row.isEmpty());
    }
}

// ---------------------------------------------------------------- last row

struct Last_Row_Case { const char* file; int want; };

using Spreadsheet_Last_Row = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Last_Row);

TEST_P(Spreadsheet_Last_Row, Scans_Column_A_Of_The_First_Sheet) {
    for (const Last_Row_Case& c : {Last_Row_Case{kValues, 7},  // row 8 has B only; row 7's " " counts
                                   Last_Row_Case{"xls_header_only.xls", 1},
                                   Last_Row_Case{"xls_empty_first_sheet.xls", 0},
                                   Last_Row_Case{"xls_dates_1904.xls", 1}}) {
        SCOPED_TRACE(c.file);
        auto s = Opened(GetParam(), c.file);
        EXPECT_EQ(s->Last_Row_Column_A(), c.want);
    }
}

// ---------------------------------------------------------------- life cycle

using Spreadsheet_Life = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Life);

TEST_P(Spreadsheet_Life, Nothing_Open_After_Close_Or_Quit_Or_Before_Open) {
    QList<Value> row;
    auto fresh = GetParam().make();
    EXPECT_EQ(fresh->Last_Row_Column_A(), 0);
    EXPECT_FALSE(fresh->Read_Row(1, 1, 1, row));

    for (bool quit : {false, true}) {
        auto s = Opened(GetParam(), kValues);
        s->Set_Screen_Updating(false);
        quit ? s->Quit() : s->Close();
        EXPECT_EQ(s->Last_Row_Column_A(), 0);
        EXPECT_FALSE(s->Read_Row(1, 1, 1, row));
        s->Close();  // twice is harmless
    }
}

TEST_P(Spreadsheet_Life, Opening_Another_Workbook_Replaces_The_First) {
    auto s = Opened(GetParam(), kValues);
    ASSERT_TRUE(s->Open(Data("xls_header_only.xls")));
    EXPECT_EQ(s->Last_Row_Column_A(), 1);
}

// ---------------------------------------------------------------- not workbooks

enum class Bad { Text, Empty, Missing, Folder, Truncated_Header, Truncated_Half, Truncated_Tail };

struct Bad_Case { Bad kind; const char* name; };
void PrintTo(const Bad_Case& c, std::ostream* os) { *os << c.name; }

class Spreadsheet_Bad_File : public ::testing::TestWithParam<std::tuple<Reader, Bad_Case>> {};

QString Make_Bad(Bad kind, const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("bad.xls"));
    QFile real(Data(kValues));
    if (!real.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = real.readAll();
    QByteArray content;
    switch (kind) {
    case Bad::Missing: return dir.filePath(QStringLiteral("absent.xls"));
    case Bad::Folder: QDir(dir.path()).mkdir(QStringLiteral("folder.xls")); return dir.filePath(QStringLiteral("folder.xls"));
    case Bad::Text: content = "Year;Amount\r\n2012;3,5\r\n"; break;
    case Bad::Empty: break;
    case Bad::Truncated_Header: content = bytes.left(100); break;
    case Bad::Truncated_Half: content = bytes.left(bytes.size() / 2); break;
    case Bad::Truncated_Tail: content = bytes.left(bytes.size() - 1); break;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(content);
    return path;
}

TEST_P(Spreadsheet_Bad_File, Refused_Without_Harm_And_The_Reader_Stays_Usable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = Make_Bad(std::get<1>(GetParam()).kind, dir);
    ASSERT_FALSE(path.isEmpty());

    auto s = std::get<0>(GetParam()).make();
    EXPECT_FALSE(s->Open(path));
    QList<Value> row;
    EXPECT_EQ(s->Last_Row_Column_A(), 0);
    EXPECT_FALSE(s->Read_Row(1, 1, 3, row));

    // a failed open also drops the workbook that was open before
    ASSERT_TRUE(s->Open(Data(kValues)));
    EXPECT_FALSE(s->Open(path));
    EXPECT_EQ(s->Last_Row_Column_A(), 0);

    ASSERT_TRUE(s->Open(Data(kValues)));
    EXPECT_EQ(s->Last_Row_Column_A(), 7);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Spreadsheet_Bad_File,
    ::testing::Combine(::testing::ValuesIn(kReaders),
                       ::testing::Values(Bad_Case{Bad::Text, "text_named_xls"}, Bad_Case{Bad::Empty, "empty"},
                                         Bad_Case{Bad::Missing, "missing"}, Bad_Case{Bad::Folder, "folder"},
                                         Bad_Case{Bad::Truncated_Header, "truncated_header"},
                                         Bad_Case{Bad::Truncated_Half, "truncated_half"},
                                         Bad_Case{Bad::Truncated_Tail, "truncated_last_byte"})),
    [](const testing::TestParamInfo<std::tuple<Reader, Bad_Case>>& i) {
        return std::string(std::get<0>(i.param).name) + "_" + std::get<1>(i.param).name;
    });

// Damaged bytes anywhere in a real workbook: opening may or may not succeed, but
// whatever opens must be readable cell by cell without crashing.
using Spreadsheet_Damaged = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Damaged);

TEST_P(Spreadsheet_Damaged, Damaged_Bytes_Never_Crash) {
    QFile real(Data(kValues));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray bytes = real.readAll();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("damaged.xls"));
    unsigned seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7fff; };
    auto s = GetParam().make();
    for (int round = 0; round < 200; ++round) {
        QByteArray b = bytes;
        for (int k = 0, n = 1 + next() % 20; k < n; ++k) b[next() % b.size()] = static_cast<char>(next() & 0xff);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
        f.close();
        if (!s->Open(path)) continue;
        const int last = s->Last_Row_Column_A();
        QList<Value> row;
        for (int r = 1; r <= last + 1; ++r) s->Read_Row(r, 1, 17, row);
    }
}

// Workbooks on which FreeXL itself crashes: the isolated reader turns them into a failed
// open or a failed row, and reads the next workbook as usual.
TEST(Spreadsheet_Isolated, Survives_Workbooks_That_Crash_The_Reader) {
    for (const char* name : {"xls_reader_crash_1.xls", "xls_reader_crash_2.xls"}) {
        auto s = Create_Isolated_FreeXL_Server();
        if (s->Open(Data(name))) {
            QList<Value> row;
            const int last = s->Last_Row_Column_A();
            bool all_read = true;
            for (int r = 1; r <= last + 1; ++r) all_read = s->Read_Row(r, 1, 17, row) && all_read;
        }
        ASSERT_TRUE(s->Open(Data(kValues))) << name;
        EXPECT_EQ(s->Last_Row_Column_A(), 7) << name;
    }
}

struct Fault_Case { Reader_Child_Fault fault; int row; const char* name; };
void PrintTo(const Fault_Case& c, std::ostream* os) { *os << c.name; }
class Spreadsheet_Child_Fault : public ::testing::TestWithParam<Fault_Case> {
protected:
    void SetUp() override { previous_timeout_ = Set_Reader_Child_Timeout(300); }
    void TearDown() override {
        Set_Reader_Child_Fault(Reader_Child_Fault::None, 0);
        Set_Reader_Child_Timeout(previous_timeout_);
    }
    int previous_timeout_ = 0;
};

// A child that dies, hangs or talks nonsense: the rows before it read, the rest fail,
// and nothing waits longer than the time out.
TEST_P(Spreadsheet_Child_Fault, Rows_Fail_From_The_Fault_On) {
    const Fault_Case& c = GetParam();
    Set_Reader_Child_Fault(c.fault, c.row);
    auto s = Create_Isolated_FreeXL_Server();
    const bool opened = s->Open(Data(kValues));
    QList<Value> row;
    if (c.row == 0) {
        EXPECT_FALSE(opened && s->Read_Row(1, 1, 3, row));
        return;
    }
    ASSERT_TRUE(opened);
    for (int r = 1; r < c.row; ++r) EXPECT_TRUE(s->Read_Row(r, 1, 3, row)) << "row " << r;
    EXPECT_FALSE(s->Read_Row(c.row, 1, 3, row));
    EXPECT_FALSE(s->Read_Row(c.row + 1, 1, 3, row));
    Set_Reader_Child_Fault(Reader_Child_Fault::None, 0);
    ASSERT_TRUE(s->Open(Data(kValues)));
    EXPECT_TRUE(s->Read_Row(c.row, 1, 3, row));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Spreadsheet_Child_Fault,
    ::testing::Values(Fault_Case{Reader_Child_Fault::Die, 0, "dies_before_open"},
                      Fault_Case{Reader_Child_Fault::Die, 3, "dies_at_row_3"},
                      Fault_Case{Reader_Child_Fault::Garbage, 2, "garbage_at_row_2"},
                      Fault_Case{Reader_Child_Fault::Hang, 4, "hangs_at_row_4"}),
    [](const testing::TestParamInfo<Fault_Case>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------- factory

class Fake_Server : public Spreadsheet_Server {
public:
    bool Open(const QString&) override { return true; }
    int Last_Row_Column_A() override { return 4242; }
    bool Read_Row(int, int, int, QList<Value>&) override { return false; }
    void Set_Screen_Updating(bool) override {}
    void Close() override {}
    void Quit() override {}
};

std::unique_ptr<Spreadsheet_Server> Make_Fake() { return std::make_unique<Fake_Server>(); }

TEST(Spreadsheet_Factory, Installed_Factory_Is_Used_Until_Reset) {
    const Spreadsheet_Server_Factory before = Set_Spreadsheet_Server_Factory(&Make_Fake);
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(Create_Spreadsheet_Server()->Last_Row_Column_A(), 4242);

    EXPECT_EQ(Set_Spreadsheet_Server_Factory(nullptr), &Make_Fake);
    auto s = Create_Spreadsheet_Server();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->Open(Data(kValues)));
    EXPECT_EQ(s->Last_Row_Column_A(), 7);
}

}  // namespace
