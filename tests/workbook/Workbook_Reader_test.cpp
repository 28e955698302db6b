// Read_Workbook, in this process and in a child process, against small .xls files of
// ours (tests/data/make_xls_fixtures.py) and files that are not workbooks: both must
// answer the same. Real files of other programs are compared cell by cell in
// Workbook_Corpus_test.cpp.
#include "workbook/Workbook_Reader.h"
#include "workbook/Isolated_Sheet_Reader.h"

#include "Byte_Files.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDate>

namespace {

QString Data(const char* name) { return QStringLiteral(SIFA_TEST_DATA "/") + QString::fromUtf8(name); }

// Day number from 1899-12-30, computed apart from the reader's own arithmetic.
double Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
}

Cell_Value At(const Sheet_Cells& cells, std::uint32_t row, std::uint32_t col) {
    for (const Sheet_Cell& c : cells.Cells())
        if (c.Row == row && c.Col == col) return c.V;
    return {};
}

void Expect_Same(const Cell_Value& got, const Cell_Value& want) {
    ASSERT_EQ(static_cast<int>(got.Kind), static_cast<int>(want.Kind)) << "text of got: " << got.Text.toStdString();
    if (want.Kind == Cell_Kind::Date)
        EXPECT_NEAR(got.Number, want.Number, 1e-9);
    else
        EXPECT_EQ(got, want);
}

struct Reader {
    const char* name;
    Reader_Place place;
};
void PrintTo(const Reader& r, std::ostream* os) { *os << r.name; }
const Reader kReaders[] = {{"in_process", Reader_Place::In_Process}, {"isolated", Reader_Place::Child}};

class Workbook_Reading : public ::testing::TestWithParam<Reader> {
protected:
    Workbook_Result Read(const QString& path, Sheet_Cells& cells) const {
        return Read_Workbook(path, cells, GetParam().place);
    }
};
INSTANTIATE_TEST_SUITE_P(Readers, Workbook_Reading, ::testing::ValuesIn(kReaders),
                         [](const testing::TestParamInfo<Reader>& i) { return std::string(i.param.name); });

const char* const kValues = "xls_values.xls";

TEST_P(Workbook_Reading, Reads_The_Value_And_Its_Kind) {
    const struct {
        const char* file;
        std::uint32_t row, col;  // 1-based, as the spreadsheet shows them
        Cell_Value want;
    } cases[] = {
        {kValues, 1, 1, Cell_Value::Of_Text("Year")},
        {kValues, 2, 1, Cell_Value::Of_Number(2012)},
        {kValues, 3, 2, Cell_Value::Of_Number(-0.125)},
        {kValues, 6, 2, Cell_Value::Of_Number(-1e-300)},
        {kValues, 3, 3, Cell_Value::Of_Date(Day(2012, 3, 4, 13, 14, 15))},
        {kValues, 5, 3, Cell_Value::Of_Date(40000.999999)},  // kept as stored, not rounded to the second
        {kValues, 6, 3, Cell_Value::Of_Date(60)},  // the 29 February 1900 of the format
        {kValues, 2, 4, Cell_Value::Of_Text(QStringLiteral("Éducation"))},
        {kValues, 3, 4, Cell_Value::Of_Text("  padded  ")},
        {kValues, 7, 1, Cell_Value::Of_Text(" ")},
        {kValues, 2, 6, Cell_Value::Of_Boolean(true)},
        {kValues, 3, 6, Cell_Value::Of_Boolean(false)},
        {kValues, 3, 5, Cell_Value()},
        {"xls_dates_1904.xls", 1, 2, Cell_Value::Of_Date(Day(1999, 12, 31, 23, 59, 58))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " R" << c.row << "C" << c.col);
        Sheet_Cells cells;
        const Workbook_Result r = Read(Data(c.file), cells);
        ASSERT_TRUE(r.Ok()) << r.Why().toStdString();
        Expect_Same(At(cells, c.row, c.col), c.want);
    }
}

TEST_P(Workbook_Reading, Last_Row_Scans_Column_A_Of_The_First_Sheet) {
    for (const auto& [file, want] : {std::pair{kValues, 7},  // row 8 has B only; row 7's " " counts
                                     {"xls_header_only.xls", 1},
                                     {"xls_empty_first_sheet.xls", 0},
                                     {"xls_dates_1904.xls", 1}}) {
        Sheet_Cells cells;
        ASSERT_TRUE(Read(Data(file), cells).Ok()) << file;
        EXPECT_EQ(cells.Last_Row_Column_A(), std::uint32_t(want)) << file;
    }
}

// A file that cannot be read is refused in plain words with no cells; a cut-off tail may
// still read, as a spreadsheet program would read it. None crashes.
TEST_P(Workbook_Reading, Bad_Files_Are_Refused_In_Plain_Words) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder.xls"));
    const QByteArray good = Read_Bytes(Data(kValues));
    const struct {
        const char* name;
        QByteArray bytes;  // written to bad.xls unless `path` names a file
        const char* path = nullptr;
        const char* why = nullptr;  // null: some reason, or it may read
    } cases[] = {
        {"text named .xls", "Year;Amount\r\n2012;3,5\r\n", nullptr,
         "The file is not a workbook: only .xls, .xlsx and .ods workbooks can be read."},
        {"empty", "", nullptr, "The file is empty."},
        {"missing", {}, "absent.xls", "The file could not be found."},
        {"folder", {}, "folder.xls", "It is not a file."},
        {"truncated half", good.left(good.size() / 2)},
        {"last byte cut", good.chopped(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.path) Write_Bytes(dir.filePath(QStringLiteral("bad.xls")), c.bytes);
        Sheet_Cells cells;
        const Workbook_Result r = Read(dir.filePath(QString::fromLatin1(c.path ? c.path : "bad.xls")), cells);
        EXPECT_TRUE(!c.why || r.Why() == QString::fromLatin1(c.why)) << r.Why().toStdString();
        if (!r.Ok()) {
            EXPECT_FALSE(r.Why().isEmpty());
            EXPECT_TRUE(cells.Empty());
        }
    }
}

// The reader's memory is given back before the records are built: by the time the read
// answers, the child has ended.
TEST(Workbook_Child, Has_Ended_When_The_Read_Returns) {
    const QString children = QStringLiteral("/proc/%1/task/%2/children").arg(getpid()).arg(gettid());
    if (!QFile::exists(children)) GTEST_SKIP() << "no list of child processes here";
    Sheet_Cells cells;
    ASSERT_TRUE(Read_Workbook(Data(kValues), cells, Reader_Place::Child).Ok());
    QFile list(children);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll().trimmed(), QByteArray());
    EXPECT_EQ(cells.Last_Row_Column_A(), 7u);
}

struct Workbook_Child_Fault : ::testing::Test {
    const int previous_timeout = Set_Reader_Child_Timeout(300);
    ~Workbook_Child_Fault() override {
        Set_Reader_Child_Fault(Reader_Child_Fault::None, 0);
        Set_Reader_Child_Timeout(previous_timeout);
    }
};

// A child that dies, hangs or talks nonsense at any point: the read fails with a reason,
// nothing half read is kept, nothing waits longer than the time-out, and the next read
// goes as usual.
TEST_F(Workbook_Child_Fault, The_Read_Fails_Whole) {
    using F = Reader_Child_Fault;
    const QString stopped = QStringLiteral("The workbook reader stopped unexpectedly; the file may be damaged.");
    const QString hung = QStringLiteral("The workbook reader did not answer; the file may be damaged.");
    for (const auto& [fault, cell, why] :
         {std::tuple{F::Die, 0, stopped}, {F::Die, 3, stopped}, {F::Garbage, 2, stopped}, {F::Hang, 4, hung}}) {
        SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(fault) << " at cell " << cell);
        Set_Reader_Child_Fault(fault, cell);
        Sheet_Cells cells;
        EXPECT_EQ(Read_Workbook(Data(kValues), cells, Reader_Place::Child).Why(), why);
        EXPECT_TRUE(cells.Empty());
        Set_Reader_Child_Fault(F::None, 0);
        ASSERT_TRUE(Read_Workbook(Data(kValues), cells, Reader_Place::Child).Ok());
        EXPECT_EQ(cells.Last_Row_Column_A(), 7u);
    }
}

}  // namespace
