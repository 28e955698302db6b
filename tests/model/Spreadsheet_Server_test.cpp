// The FreeXL workbook readers, in this process and in a child process, against small real
// .xls files (tests/data/make_xls_fixtures.py) and against files that are not workbooks:
// both must answer the same.
#include "model/Spreadsheet_Server.h"

#include "Test_Files.h"

#include <QDate>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

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

// Rows of a range: the listed cells as given, the others blank when the case says so.
struct Row_Case {
    const char* file;
    int row, first, last;
    std::vector<std::pair<int, Value>> cells;  // index in the row, value
    bool restBlank;
};

using Spreadsheet_Row = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Row);

TEST_P(Spreadsheet_Row, Ranges_Keep_Column_Order_And_Blanks) {
    const Row_Case cases[] = {
        {kValues, 3, 1, 6, {{0, Value::Double(-3)}, {3, Value::String("  padded  ")}, {4, Value()}, {5, Value::Double(0)}}, false},
        {kValues, 2, 5, 9, {{0, Value::String(QStringLiteral("Müller"))}, {1, Value::Double(1)}}, true},  // 6 columns wide
        {kValues, 9, 1, 17, {}, true},                                                               // 8 rows high
        {"xls_header_only.xls", 1, 1, 17, {{0, Value::String("Year")}, {16, Value::String("Dest3")}}, false},
        {"xls_header_only.xls", 2, 1, 17, {}, true},
    };
    for (const Row_Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " row " << c.row);
        auto s = Opened(GetParam(), c.file);
        QList<Value> row;
        ASSERT_TRUE(s->Read_Row(c.row, c.first, c.last, row));
        ASSERT_EQ(row.size(), c.last - c.first + 1);
        std::vector<bool> listed(row.size(), false);
        for (const auto& [i, v] : c.cells) { Expect_Same(row[i], v); listed[i] = true; }
        for (qsizetype i = 0; i < row.size(); ++i) EXPECT_TRUE(!c.restBlank || listed[i] || row[i].isEmpty()) << i;
    }
}

TEST_P(Spreadsheet_Row, Meaningless_Ranges_Fail_And_Leave_Nothing) {
    auto s = Opened(GetParam(), kValues);
    for (const auto& [r, first, last] : {std::tuple{0, 1, 3}, {-1, 1, 3}, {1, 0, 3}, {1, 4, 3}, {1, 1, 70000}}) {
        SCOPED_TRACE(testing::Message() << r << " " << first << ".." << last);
        QList<Value> row{Value::String("stale")};
        EXPECT_FALSE(s->Read_Row(r, first, last, row));
        EXPECT_TRUE(row.isEmpty());
    }
}

using Spreadsheet_Life = Spreadsheet_Reader;
ON_EACH_READER(Spreadsheet_Life);

// One reader opening each workbook in turn: each open replaces the one before.
TEST_P(Spreadsheet_Life, Last_Row_Scans_Column_A_Of_The_First_Sheet) {
    auto s = GetParam().make();
    for (const auto& [file, want] : {std::pair{kValues, 7},  // row 8 has B only; row 7's " " counts
                                     {"xls_header_only.xls", 1}, {"xls_empty_first_sheet.xls", 0},
                                     {"xls_dates_1904.xls", 1}, {kValues, 7}}) {
        ASSERT_TRUE(s->Open(Data(file))) << file;
        EXPECT_EQ(s->Last_Row_Column_A(), want) << file;
    }
}

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

enum class Bad { Text, Empty, Missing, Folder, Truncated_Header, Truncated_Half, Truncated_Tail };
struct Bad_Case { Bad kind; const char* name; };
class Spreadsheet_Bad_File : public ::testing::TestWithParam<std::tuple<Reader, Bad_Case>> {};

QString Make_Bad(Bad kind, const QTemporaryDir& dir) {
    const QByteArray bytes = Read_Bytes(Data(kValues));
    const QString path = dir.filePath(QStringLiteral("bad.xls"));
    switch (kind) {
    case Bad::Missing: return dir.filePath(QStringLiteral("absent.xls"));
    case Bad::Folder: QDir(dir.path()).mkdir(QStringLiteral("folder.xls")); return dir.filePath(QStringLiteral("folder.xls"));
    case Bad::Text: Write_Bytes(path, "Year;Amount\r\n2012;3,5\r\n"); break;
    case Bad::Empty: Write_Bytes(path, {}); break;
    case Bad::Truncated_Header: Write_Bytes(path, bytes.left(100)); break;
    case Bad::Truncated_Half: Write_Bytes(path, bytes.left(bytes.size() / 2)); break;
    case Bad::Truncated_Tail: Write_Bytes(path, bytes.left(bytes.size() - 1)); break;
    }
    return path;
}

TEST_P(Spreadsheet_Bad_File, Refused_Without_Harm_And_The_Reader_Stays_Usable) {
    QTemporaryDir dir;
    const QString path = Make_Bad(std::get<1>(GetParam()).kind, dir);
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
    const QByteArray bytes = Read_Bytes(Data(kValues));
    ASSERT_FALSE(bytes.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.xls"));
    unsigned seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7fff; };
    auto s = GetParam().make();
    for (int round = 0; round < 200; ++round) {
        QByteArray b = bytes;
        for (int k = 0, n = 1 + next() % 20; k < n; ++k) b[next() % b.size()] = static_cast<char>(next() & 0xff);
        Write_Bytes(path, b);
        if (!s->Open(path)) continue;
        QList<Value> row;
        for (int r = 1, last = s->Last_Row_Column_A(); r <= last + 1; ++r) s->Read_Row(r, 1, 17, row);
    }
}

// Workbooks on which FreeXL itself crashes: the isolated reader turns them into a failed
// open or a failed row, and reads the next workbook as usual.
TEST(Spreadsheet_Isolated, Survives_Workbooks_That_Crash_The_Reader) {
    for (const char* name : {"xls_reader_crash_1.xls", "xls_reader_crash_2.xls"}) {
        auto s = Create_Isolated_FreeXL_Server();
        QList<Value> row;
        if (s->Open(Data(name)))
            for (int r = 1, last = s->Last_Row_Column_A(); r <= last + 1; ++r) s->Read_Row(r, 1, 17, row);
        ASSERT_TRUE(s->Open(Data(kValues))) << name;
        EXPECT_EQ(s->Last_Row_Column_A(), 7) << name;
    }
}

// FreeXL's memory is given back before the records are built: by the time Open answers,
// the reader's child has ended, and its rows are still all there.
TEST(Spreadsheet_Isolated, The_Child_Has_Ended_When_Open_Returns) {
    const QString children = QStringLiteral("/proc/%1/task/%2/children").arg(getpid()).arg(gettid());
    if (!QFile::exists(children)) GTEST_SKIP() << "no list of child processes here";
    auto s = Create_Isolated_FreeXL_Server();
    ASSERT_TRUE(s->Open(Data(kValues)));
    QFile list(children);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll().trimmed(), QByteArray());
    QList<Value> row;
    for (int r = 1; r <= s->Last_Row_Column_A(); ++r) EXPECT_TRUE(s->Read_Row(r, 1, 3, row)) << "row " << r;
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

}  // namespace
