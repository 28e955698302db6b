#include "model/Spreadsheet_Import.h"
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "model/Spreadsheet_Server.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

namespace {

// A workbook held in memory: rows of the first sheet from row 1 (the header).
struct Fake_Book {
    QList<QList<Value>> rows;
    bool opens = true;
    int failAtRow = 0;  // Read_Row of this sheet row fails
    QStringList calls;
};
Fake_Book* book = nullptr;

class Fake_Server : public Spreadsheet_Server {
public:
    bool Open(const QString&) override {
        book->calls << "Open";
        return book->opens;
    }
    QString Open_Failure() const override { return book->opens ? QString() : QStringLiteral("Not a workbook."); }
    int Last_Row_Column_A() override {
        for (int r = book->rows.size(); r > 0; --r)
            if (!book->rows[r - 1].isEmpty() && !book->rows[r - 1][0].isEmpty()) return r;
        return 0;
    }
    bool Read_Row(int row, int first, int last, QList<Value>& out) override {
        if (row == book->failAtRow) return false;
        out.clear();
        for (int c = first; c <= last; ++c)
            out << (row <= book->rows.size() && c <= book->rows[row - 1].size() ? book->rows[row - 1][c - 1] : Value());
        return true;
    }
    void Set_Screen_Updating(bool on) override { book->calls << (on ? "Screen on" : "Screen off"); }
    void Close() override { book->calls << "Close"; }
    void Quit() override { book->calls << "Quit"; }
};

std::unique_ptr<Spreadsheet_Server> Make_Fake() { return std::make_unique<Fake_Server>(); }
std::unique_ptr<Spreadsheet_Server> Make_None() { return nullptr; }

struct Progress_Log : Load_Progress {
    QStringList calls;
    std::function<void(int)> onValue;
    void do_barre_titre_visible(const std::optional<QString>& t) override { calls << "title " + t.value_or("-"); }
    void do_barre_init_val(int n, const std::optional<QString>& t) override {
        calls << QStringLiteral("init %1 %2").arg(n).arg(t.value_or("-"));
    }
    void do_barre_affiche(int n, const std::optional<QString>&) override {
        calls << QStringLiteral("value %1").arg(n);
        if (onValue) onValue(n);
    }
    void do_barre_hide_all() override { calls << "hide"; }
};

// A row of 17 cells that passes every check of the sample code tables.
QList<Value> Good_Row(int year) {
    QList<Value> r;
    r << Value::Double(year) << Value::Double(12) << Value::Double(1) << Value::String("Réseau") << Value() << Value()
      << Value::String("DE") << Value::String("Müller") << Value::String("PA") << Value() << Value() << Value()
      << Value::String("texte") << Value::String("text") << Value() << Value() << Value();
    return r;
}

struct Import : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Sifa_table.xls"));
    Fake_Book fake;
    Spreadsheet_Server_Factory previous = nullptr;
    QStringList errs;

    void SetUp() override {
        Build_Record_Description();
        Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
        Write_Bytes(file, "stands for a workbook");
        book = &fake;
        previous = Set_Spreadsheet_Server_Factory(&Make_Fake);
        fake.rows << QList<Value>{Value::String("Year")};
        Records_Table.Clear();
    }
    void TearDown() override {
        Set_Spreadsheet_Server_Factory(previous);
        book = nullptr;
        Records_Table.Clear();
    }
};

}  // namespace

TEST_F(Import, Unusable_Sources_Give_One_Line_Each) {
    const struct {
        const char* name;
        QString path;
        Spreadsheet_Server_Factory factory;
        bool opens;
        QStringList lines;
    } cases[] = {
        {"blank name", QStringLiteral("  "), &Make_Fake, true, {"No input data (empty filename)"}},
        {"no file", dir.filePath("none.xls"), &Make_Fake, true, {"No input data (no file found)"}},
        {"a folder", dir.path(), &Make_Fake, true, {"No input data (no file found)"}},
        {"no reader", file, &Make_None, true, {"No input data (excel not found)"}},
        {"not a workbook", file, &Make_Fake, false, {"No input data (error openning file)", "Not a workbook."}},
    };
    for (const auto& c : cases) {
        errs.clear();
        fake.opens = c.opens;
        Set_Spreadsheet_Server_Factory(c.factory);
        EXPECT_EQ(Load_Spreadsheet(c.path, errs, nullptr, nullptr), 0) << c.name;
        EXPECT_EQ(errs, c.lines) << c.name;
    }
}

TEST_F(Import, Rows_Are_Checked_Cell_By_Cell) {
    QList<Value> bad = Good_Row(1998);
    bad[0] = Value::String("19x8");
    QList<Value> negative = Good_Row(2001);
    negative[0] = Value::Double(-1);
    negative[8] = Value::String("pa");
    QList<Value> padded = Good_Row(2002);
    padded[3] = Value::String(QString::fromUtf8(" \xc2\xa0\r\nTrimmed\n "));
    padded[6] = Value::String("ZZ");
    padded[9] = Value::String("   ");
    // Kinds a spreadsheet hands over besides numbers and texts.
    QList<Value> kinds = Good_Row(2003);
    kinds[1] = Value::Error(2042);
    kinds[12] = Value::Boolean(true);
    kinds[2] = Value::Boolean(false);
    fake.rows << Good_Row(2000) << Good_Row(2000) << Good_Row(2000) << bad << negative << padded << kinds;

    Progress_Log log;
    EXPECT_EQ(Load_Spreadsheet(file, errs, nullptr, &log), 7);
    EXPECT_EQ(errs, (QStringList{"Cell A5: \"19x8\" Not numeric -> Ignored", "Cell A6: \"-1\" Below Zero -> Ignored",
                                 "Cell G7: \"ZZ\" Unknown code -> Ignored",
                                 "Cell B8: \"Error 2042\" Not numeric -> Ignored"}));
    ASSERT_EQ(Records_Table.Row_Upper(), 7);
    ASSERT_EQ(Records_Table.Col_Upper(), 17);
    EXPECT_EQ(Records_Table(1, 1), Value::Double(2000));
    EXPECT_TRUE(Records_Table(4, 1).isEmpty());
    EXPECT_TRUE(Records_Table(5, 1).isEmpty());
    EXPECT_EQ(Records_Table(5, 2), Value::Double(12));  // the rest of the row is kept
    EXPECT_EQ(Records_Table(5, 9), Value::String("pa"));  // stored as the sheet spells it
    EXPECT_EQ(Records_Table(6, 4), Value::String("Trimmed"));
    EXPECT_TRUE(Records_Table(6, 10).isEmpty());  // blanks only: a blank cell
    EXPECT_EQ(Records_Table(7, 13), Value::Boolean(true));  // a text column takes any value
    EXPECT_EQ(Records_Table(7, 3), Value::Boolean(false));  // FALSE is the number 0
    EXPECT_EQ(log.calls, (QStringList{"title Initializing...", "title Openning data...", "init 7 Loading...", "value 1",
                                      "value 2", "value 3", "value 4", "value 5", "value 6", "value 7", "value 7",
                                      "title Closing data...", "title Terminating loading...", "hide"}));
    EXPECT_EQ(fake.calls, (QStringList{"Open", "Screen off", "Close", "Quit"}));
}

// However many cells are refused, the lines stop at a thousand and the last one counts the rest.
TEST_F(Import, Problem_Lines_Stop_At_A_Thousand) {
    const struct {
        int bad;
        QString last;
    } cases[] = {{1000, "Cell A1001: \"x\" Not numeric -> Ignored"},
                 {1001, "... and 1 more problem"},
                 {2600, "... and 1,600 more problems"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bad);
        fake.rows.resize(1);
        QList<Value> bad = Good_Row(2000);
        bad[0] = Value::String("x");
        for (int i = 0; i < c.bad; ++i) fake.rows << bad;
        errs.clear();
        EXPECT_EQ(Load_Spreadsheet(file, errs, nullptr, nullptr), c.bad);
        EXPECT_EQ(errs.size(), std::min(c.bad, 1001));
        EXPECT_EQ(errs.last(), c.last);
    }
}

TEST_F(Import, Header_Only_Reads_Nothing) {
    const Import_Result r = Import_Workbook(file, nullptr, nullptr);
    EXPECT_EQ(r.Rows, 0);
    EXPECT_EQ(r.Errs, QStringList{"No Data loaded"});
    EXPECT_FALSE(Records_Table.Allocated());
}

TEST_F(Import, Cancel_Stops_After_The_Current_Cell) {
    for (int i = 0; i < 5; ++i) fake.rows << Good_Row(2000 + i);
    fake.rows[2][0] = Value::String("bad");
    fake.rows[2][1] = Value::String("bad");
    bool cancel = false;
    Progress_Log log;
    log.onValue = [&](int n) {
        if (n == 2) cancel = true;
    };
    const Import_Result r = Import_Workbook(file, &cancel, &log);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_FALSE(r.Success());
    EXPECT_EQ(r.Rows, 2);  // the row being read counts
    EXPECT_EQ(r.Errs, QStringList{"Cell A3: \"bad\" Not numeric -> Ignored"});
    EXPECT_TRUE(Records_Table(2, 2).isEmpty());
}

TEST_F(Import, A_Read_Failure_Ends_Quietly_With_What_Was_Read) {
    for (int i = 0; i < 4; ++i) fake.rows << Good_Row(2000 + i);
    fake.failAtRow = 4;
    EXPECT_EQ(Load_Spreadsheet(file, errs, nullptr, nullptr), 2);
    EXPECT_TRUE(errs.isEmpty());
    EXPECT_EQ(Records_Table(2, 1), Value::Double(2001));
    EXPECT_TRUE(fake.calls.contains("Close"));
}
