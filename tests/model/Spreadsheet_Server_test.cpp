// The workbook reader as the import drives it, in this process and in a child process,
// against small .xls files of ours (tests/data/make_xls_fixtures.py) and files that are
// not workbooks: both must answer the same. Real files of other programs are compared
// cell by cell in Workbook_Corpus_test.cpp.
#include "model/Spreadsheet_Server.h"
#include "model/Isolated_Sheet_Reader.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDate>

namespace {

QString Data(const char* name) { return QStringLiteral(SIFA_TEST_DATA "/") + QString::fromUtf8(name); }

// Day number from 1899-12-30, computed apart from the reader's own arithmetic.
double Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
}

void Expect_Same(const Value& got, const Value& want) {
    ASSERT_EQ(static_cast<int>(got.type()), static_cast<int>(want.type()))
        << "text of got: " << To_Text(got).toStdString();
    if (want.type() == VType::Date)
        EXPECT_NEAR(got.rawDouble(), want.rawDouble(), 1e-9);
    else
        EXPECT_EQ(got, want);
}

struct Reader {
    const char* name;
    std::unique_ptr<Spreadsheet_Server> (*make)();
};
void PrintTo(const Reader& r, std::ostream* os) { *os << r.name; }
const Reader kReaders[] = {{"in_process", &Create_In_Process_Workbook_Server},
                           {"isolated", &Create_Isolated_Workbook_Server}};

std::unique_ptr<Spreadsheet_Server> Opened(const Reader& reader, const char* name) {
    auto s = reader.make();
    EXPECT_TRUE(s->Open(Data(name))) << name << ": " << s->Open_Failure().toStdString();
    return s;
}

class Spreadsheet_Reader : public ::testing::TestWithParam<Reader> {};
INSTANTIATE_TEST_SUITE_P(Readers, Spreadsheet_Reader, ::testing::ValuesIn(kReaders),
                         [](const testing::TestParamInfo<Reader>& i) { return std::string(i.param.name); });

const char* const kValues = "xls_values.xls";

TEST_P(Spreadsheet_Reader, Reads_The_Value_And_Its_Kind) {
    const struct {
        const char* file;
        int row, col;  // 1-based, as the spreadsheet shows them
        Value want;
    } cases[] = {
        {kValues, 1, 1, Value::String("Year")},
        {kValues, 2, 1, Value::Double(2012)},
        {kValues, 3, 2, Value::Double(-0.125)},
        {kValues, 6, 2, Value::Double(-1e-300)},
        {kValues, 3, 3, Value::Date(Day(2012, 3, 4, 13, 14, 15))},
        {kValues, 5, 3, Value::Date(40000.999999)},  // kept as stored, not rounded to the second
        {kValues, 6, 3, Value::Date(60)},  // the 29 February 1900 of the format
        {kValues, 2, 4, Value::String(QStringLiteral("Éducation"))},
        {kValues, 3, 4, Value::String("  padded  ")},
        {kValues, 7, 1, Value::String(" ")},
        {kValues, 2, 6, Value::Boolean(true)},
        {kValues, 3, 5, Value()},
        {"xls_dates_1904.xls", 1, 2, Value::Date(Day(1999, 12, 31, 23, 59, 58))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " R" << c.row << "C" << c.col);
        auto s = Opened(GetParam(), c.file);
        QList<Value> row;
        ASSERT_TRUE(s->Read_Row(c.row, c.col, c.col, row));
        ASSERT_EQ(row.size(), 1);
        Expect_Same(row[0], c.want);
    }
}

TEST_P(Spreadsheet_Reader, Ranges_Keep_Column_Order_Blanks_And_Any_Order_Of_Rows) {
    auto s = Opened(GetParam(), kValues);
    QList<Value> row;
    ASSERT_TRUE(s->Read_Row(3, 1, 6, row));
    EXPECT_EQ(row, (QList<Value>{Value::Double(-3), Value::Double(-0.125), row[2], Value::String("  padded  "), Value(),
                                 Value::Boolean(false)}));
    ASSERT_TRUE(s->Read_Row(2, 5, 9, row));  // back up, and past the sheet's columns
    EXPECT_EQ(row,
              (QList<Value>{Value::String(QStringLiteral("Müller")), Value::Boolean(true), Value(), Value(), Value()}));
    ASSERT_TRUE(s->Read_Row(9, 1, 17, row));  // below the sheet
    EXPECT_EQ(row, QList<Value>(17));
}

// One reader opening each workbook in turn: each open replaces the one before, and a
// closed reader answers nothing.
TEST_P(Spreadsheet_Reader, Last_Row_Scans_Column_A_Of_The_First_Sheet) {
    auto s = GetParam().make();
    QList<Value> row;
    EXPECT_EQ(s->Last_Row_Column_A(), 0);
    EXPECT_FALSE(s->Read_Row(1, 1, 1, row));
    for (const auto& [file, want] : {std::pair{kValues, 7},  // row 8 has B only; row 7's " " counts
                                     {"xls_header_only.xls", 1},
                                     {"xls_empty_first_sheet.xls", 0},
                                     {"xls_dates_1904.xls", 1},
                                     {kValues, 7}}) {
        ASSERT_TRUE(s->Open(Data(file))) << file;
        EXPECT_EQ(s->Last_Row_Column_A(), want) << file;
        ASSERT_NE(s->Cells(), nullptr);
    }
}

// A file that cannot be read is refused with a reason and drops the workbook open before;
// a cut-off tail may still read, as a spreadsheet program would read it. None crashes.
TEST_P(Spreadsheet_Reader, Bad_Files_Are_Refused_With_A_Reason_And_The_Reader_Stays_Usable) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder.xls"));
    const QByteArray good = Read_Bytes(Data(kValues));
    const struct {
        const char* name;
        QByteArray bytes;  // written to bad.xls unless `path` names a file
        const char* path = nullptr;
        bool may_read = false;
    } cases[] = {
        {"text named .xls", "Year;Amount\r\n2012;3,5\r\n"},
        {"missing", {}, "absent.xls"},
        {"folder", {}, "folder.xls"},
        {"truncated half", good.left(good.size() / 2)},
        {"last byte cut", good.chopped(1), nullptr, true},
    };
    auto s = GetParam().make();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.path) Write_Bytes(dir.filePath(QStringLiteral("bad.xls")), c.bytes);
        ASSERT_TRUE(s->Open(Data(kValues)));
        const bool opened = s->Open(dir.filePath(QString::fromLatin1(c.path ? c.path : "bad.xls")));
        EXPECT_TRUE(c.may_read || !opened);
        if (!opened) {
            EXPECT_FALSE(s->Open_Failure().isEmpty());
            EXPECT_EQ(s->Last_Row_Column_A(), 0);
        }
        ASSERT_TRUE(s->Open(Data(kValues)));
        EXPECT_TRUE(s->Open_Failure().isEmpty());
        EXPECT_EQ(s->Last_Row_Column_A(), 7);
    }
}

// The reader's memory is given back before the records are built: by the time Open
// answers, the child has ended.
TEST(Spreadsheet_Isolated, The_Child_Has_Ended_When_Open_Returns) {
    const QString children = QStringLiteral("/proc/%1/task/%2/children").arg(getpid()).arg(gettid());
    if (!QFile::exists(children)) GTEST_SKIP() << "no list of child processes here";
    auto s = Create_Isolated_Workbook_Server();
    ASSERT_TRUE(s->Open(Data(kValues)));
    QFile list(children);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll().trimmed(), QByteArray());
    EXPECT_EQ(s->Last_Row_Column_A(), 7);
}

struct Spreadsheet_Child_Fault : ::testing::Test {
    const int previous_timeout = Set_Reader_Child_Timeout(300);
    ~Spreadsheet_Child_Fault() override {
        Set_Reader_Child_Fault(Reader_Child_Fault::None, 0);
        Set_Reader_Child_Timeout(previous_timeout);
    }
};

// A child that dies, hangs or talks nonsense at any point: the open fails with a reason,
// nothing half read is kept, nothing waits longer than the time-out, and the next open
// reads as usual.
TEST_F(Spreadsheet_Child_Fault, The_Open_Fails_Whole) {
    using F = Reader_Child_Fault;
    for (const auto& [fault, cell] : {std::pair{F::Die, 0}, {F::Die, 3}, {F::Garbage, 2}, {F::Hang, 4}}) {
        SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(fault) << " at cell " << cell);
        Set_Reader_Child_Fault(fault, cell);
        auto s = Create_Isolated_Workbook_Server();
        EXPECT_FALSE(s->Open(Data(kValues)));
        EXPECT_FALSE(s->Open_Failure().isEmpty());
        EXPECT_EQ(s->Last_Row_Column_A(), 0);
        Set_Reader_Child_Fault(F::None, 0);
        ASSERT_TRUE(s->Open(Data(kValues)));
        EXPECT_EQ(s->Last_Row_Column_A(), 7);
    }
}

}  // namespace
