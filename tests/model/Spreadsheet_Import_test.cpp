#include "model/Spreadsheet_Import.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "workbook/Sheet_Cells.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

Cell_Value Number(double d) { return Cell_Value::Of_Number(d); }
Cell_Value Text(const QString& s) { return Cell_Value::Of_Text(s); }

// The first sheet as a reader would hand it over: rows from row 1 (the header), whole or in
// batches of `batch` cells as the reader child does (telling how far through the sheet it is
// when `shares`), and with a late second value for A3.
struct Fake_Book {
    QList<QList<Cell_Value>> rows;
    Workbook_Failure failure = Workbook_Failure::None;
    int batch = 0;
    bool shares = false;
    bool late_cell = false;
    Workbook_Result operator()(const QString&, Sheet_Cells& out, const Sheet_Batches& batches) const {
        auto added = [&] {
            if (!batches || batch == 0 || out.Size() < std::size_t(batch)) return true;
            if (shares) out.Set_Thousandths_Read(int(1000 * out.Row_At(out.Size() - 1) / rows.size()));
            const bool go_on = batches(out);
            out.Clear();
            return go_on;
        };
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                if (!out.Add(std::uint32_t(r + 1), std::uint32_t(c + 1), rows[r][c]) || !added())
                    return {Workbook_Failure::Reader_Stopped};
        if (late_cell) out.Add(3, 1, Number(1999));
        out.Finish();
        return {failure};
    }
};

struct Progress_Log : Load_Progress {
    QStringList calls;
    std::function<void(int)> onValue;
    void Show_Progress_Title(const std::optional<QString>& t) override { calls << "title " + t.value_or("-"); }
    void Start_Progress(int n, const std::optional<QString>& t) override {
        calls << QStringLiteral("init %1 %2").arg(n).arg(t.value_or("-"));
    }
    void Show_Progress(int n, const std::optional<QString>&) override {
        calls << QStringLiteral("value %1").arg(n);
        if (onValue) onValue(n);
    }
    void Hide_Progress() override { calls << "hide"; }
};

// A row of 17 cells that passes every check of the sample code tables, but for the cells
// `changed` puts in (by their index from 0).
QList<Cell_Value> Good_Row(int year, std::initializer_list<std::pair<int, Cell_Value>> changed = {}) {
    QList<Cell_Value> r;
    r << Number(year) << Number(12) << Number(1) << Text("Réseau") << Cell_Value() << Cell_Value() << Text("DE")
      << Text("Müller") << Text("PA") << Cell_Value() << Cell_Value() << Cell_Value() << Text("texte") << Text("text")
      << Cell_Value() << Cell_Value() << Cell_Value();
    for (const auto& [c, v] : changed) r[c] = v;
    return r;
}

struct Import : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Sifa_table.xls"));
    Fake_Book fake;
    QStringList errs;

    void SetUp() override {
        session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
        Write_Bytes(file, "stands for a workbook");
        fake.rows << QList<Cell_Value>{Text("Year")};
    }
    qint32 Load(const QString& path, Load_Progress* progress = nullptr, const bool* cancel = nullptr) {
        return Load_Spreadsheet(session, path, errs, cancel, progress, std::cref(fake));
    }
};

}  // namespace

TEST_F(Import, Unusable_Sources_Give_Their_Lines) {
    const struct {
        const char* name;
        QString path;
        Workbook_Failure failure;
        QStringList lines;
    } cases[] = {
        {"blank name", QStringLiteral("  "), Workbook_Failure::None, {"No input data (empty filename)"}},
        {"no file", dir.filePath("none.xls"), Workbook_Failure::None, {"No input data (no file found)"}},
        {"a folder", dir.path(), Workbook_Failure::None, {"No input data (no file found)"}},
        {"not a workbook",
         file,
         Workbook_Failure::Password,
         {"No input data (error openning file)", "The workbook is protected by a password."}},
    };
    for (const auto& c : cases) {
        errs.clear();
        fake.failure = c.failure;
        EXPECT_EQ(Load(c.path), 0) << c.name;
        EXPECT_EQ(errs, c.lines) << c.name;
    }
}

TEST_F(Import, Rows_Are_Checked_Cell_By_Cell) {
    const QList<Cell_Value> bad = Good_Row(1998, {{0, Text("19x8")}});
    const QList<Cell_Value> negative = Good_Row(2001, {{0, Number(-1)}, {8, Text("pa")}});
    const QList<Cell_Value> padded =
        Good_Row(2002, {{3, Text(QString::fromUtf8(" \xc2\xa0\r\nTrimmed\n "))}, {6, Text("ZZ")}, {9, Text("   ")}});
    // Kinds a spreadsheet hands over besides numbers and texts, and a date where none goes.
    QList<Cell_Value> kinds = Good_Row(2003, {{1, Cell_Value::Of_Error(2042)},
                                              {12, Cell_Value::Of_Boolean(true)},
                                              {2, Cell_Value::Of_Boolean(false)},
                                              {13, Cell_Value::Of_Date(40972)}});
    kinds << Text("past the last field");
    fake.rows << Good_Row(2000) << Good_Row(2000) << Good_Row(2000) << bad << negative << padded << kinds;
    fake.rows[2][0] = Cell_Value();  // a blank cell in a column of numbers counts as 0

    Progress_Log log;
    EXPECT_EQ(Load(file, &log), 7);
    EXPECT_EQ(errs, (QStringList{"Cell A5: \"19x8\" Not numeric -> Ignored", "Cell A6: \"-1\" Below Zero -> Ignored",
                                 "Cell G7: \"ZZ\" Unknown code -> Ignored",
                                 "Cell B8: \"Error 2042\" Not numeric -> Ignored"}));
    ASSERT_EQ(session.Records().Row_Upper(), 7);
    ASSERT_EQ(session.Records().Col_Upper(), 17);
    EXPECT_EQ(session.Records()(1, 1), Value::Double(2000));
    EXPECT_TRUE(session.Records()(4, 1).isEmpty());
    EXPECT_TRUE(session.Records()(5, 1).isEmpty());
    EXPECT_EQ(session.Records()(5, 2), Value::Double(12));  // the rest of the row is kept
    EXPECT_EQ(session.Records()(5, 9), Value::String("pa"));  // stored as the sheet spells it
    EXPECT_EQ(session.Records()(6, 4), Value::String("Trimmed"));
    EXPECT_TRUE(session.Records()(6, 10).isEmpty());  // blanks only: a blank cell
    EXPECT_EQ(session.Records()(7, 13), Value::Boolean(true));  // a text column takes any value
    EXPECT_EQ(session.Records()(7, 3), Value::Boolean(false));  // FALSE is the number 0
    EXPECT_EQ(session.Records()(7, 14), Value::Date(40972));
    EXPECT_TRUE(session.Records()(2, 1).isEmpty());
    EXPECT_EQ(log.calls, (QStringList{"title Initializing...", "title Openning data...", "init 7 Loading...", "value 1",
                                      "value 2", "value 3", "value 4", "value 5", "value 6", "value 7", "value 7",
                                      "title Closing data...", "title Terminating loading...", "hide"}));
}

// However many cells are refused, the lines stop at a thousand and the last one counts the rest.
TEST_F(Import, Problem_Lines_Stop_At_A_Thousand) {
    const std::pair<int, QString> cases[] = {{1000, "Cell A1001: \"x\" Not numeric -> Ignored"},
                                             {1001, "... and 1 more problem"},
                                             {2600, "... and 1,600 more problems"}};
    for (const auto& [bad, last] : cases) {
        SCOPED_TRACE(bad);
        fake.rows.resize(1);
        for (int i = 0; i < bad; ++i) fake.rows << Good_Row(2000, {{0, Text("x")}});
        errs.clear();
        EXPECT_EQ(Load(file), bad);
        EXPECT_EQ(errs.size(), std::min(bad, 1001));
        EXPECT_EQ(errs.last(), last);
    }
}

// Cells handed over in batches while the sheet is read make the records and lines the whole
// sheet makes: the problems of rows past the last with a year are not told, and a cell out of
// order has the sheet read again whole.
TEST_F(Import, Batches_Make_What_The_Whole_Sheet_Makes) {
    using Rows = QList<QList<Cell_Value>>;
    const QList<Cell_Value> bad = Good_Row(2000, {{0, Text("x")}}),
                            no_year = Good_Row(2000, {{0, Cell_Value()}, {6, Text("ZZ")}});
    const struct {
        const char* name;
        Rows rows;
        bool late_cell;
    } cases[] = {
        {"rows without a year last", {Good_Row(2000), no_year, bad, no_year, no_year}, false},
        {"over a thousand problems", Rows(600, bad) + Rows(600, no_year) + Rows{bad} + Rows(9, no_year), false},
        {"a cell out of order", {Good_Row(2000), bad, Good_Row(2001)}, true},
    };
    for (const auto& c : cases) {
        QStringList outcome[2];
        for (const int batch : {0, 7}) {
            fake.rows = Rows{{Text("Year")}} + c.rows;
            fake.batch = batch;
            fake.late_cell = c.late_cell;
            errs.clear();
            session.Records().Clear();
            QStringList& o = outcome[batch != 0];
            o << QString::number(Load(file)) << errs << QString::number(session.Records().Row_Upper());
            for (int r = 1; r <= session.Records().Row_Upper(); ++r)
                for (int col = 1; col <= 17; ++col) o << To_Text(session.Records()(r, col));
        }
        EXPECT_EQ(outcome[1], outcome[0]) << c.name;
        EXPECT_GT(outcome[0].size(), 20) << c.name;
    }
}

TEST_F(Import, Header_Only_Reads_Nothing) {
    EXPECT_EQ(Load(file), 0);
    EXPECT_TRUE(errs.isEmpty());
    EXPECT_FALSE(session.Records().Allocated());
}

TEST_F(Import, Cancel_Stops_After_The_Current_Cell) {
    for (int i = 0; i < 5; ++i) fake.rows << Good_Row(2000 + i);
    fake.rows[2][0] = Text("bad");
    fake.rows[2][1] = Text("bad");
    bool cancel = false;
    Progress_Log log;
    log.onValue = [&](int n) {
        if (n == 2) cancel = true;
    };
    EXPECT_EQ(Load(file, &log, &cancel), 2);  // the row being read counts
    EXPECT_EQ(errs, QStringList{"Cell A3: \"bad\" Not numeric -> Ignored"});
    EXPECT_TRUE(session.Records()(2, 2).isEmpty());
}

// A sheet read in batches shows how far through it the reader is: the number of records is
// known only at the end.
TEST_F(Import, Batches_Show_How_Far_Through_The_Sheet) {
    for (int i = 0; i < 9; ++i) fake.rows << Good_Row(2000 + i);
    fake.batch = 18;  // nine cells a row
    fake.shares = true;
    Progress_Log log;
    EXPECT_EQ(Load(file, &log), 9);
    EXPECT_EQ(log.calls.filter(QRegularExpression("^(init|value)")),
              (QStringList{"init 1000 Loading...", "value 300", "value 500", "value 700", "value 900", "value 1000"}));
}
