#include "output/Workbook_Export.h"

#include "Output_Fixture.h"
#include "Test_Files.h"
#include "model/Load_Records.h"
#include "search/Field_Sets.h"
#include "workbook/Workbook_Reader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <map>

namespace {

using Cells = std::map<std::pair<quint32, quint32>, Cell_Value>;

Cells Read_Back(const QString& path) {
    Sheet_Cells sheet;
    const Workbook_Result r = Read_Workbook(path, sheet, Reader_Place::In_Process);
    EXPECT_TRUE(r.Ok()) << r.Why().toStdString();
    Cells cells;
    for (const Sheet_Cell& c : sheet.Cells()) cells[{c.Row, c.Col}] = c.V;
    return cells;
}

// What a reader should find for a result cell: numbers and dates as such, texts as the
// CSV file has them but with a spreadsheet's line breaks (LF alone).
Cell_Value Expected(const Value& v) {
    switch (v.type()) {
    case VType::Date: return Cell_Value::Of_Date(v.rawDouble());
    case VType::String: {
        const QString text = QString(v.rawString()).replace("\r\n", "\n").replace('\r', '\n');
        return text.isEmpty() ? Cell_Value{} : Cell_Value::Of_Text(text);
    }
    case VType::Empty: return {};
    case VType::Integer:
    case VType::Long:
    case VType::Byte: return Cell_Value::Of_Number(static_cast<double>(v.rawInt()));
    default: return Cell_Value::Of_Number(v.rawDouble());
    }
}

struct Workbook_Export_Test : Output_Test {
    Search_Results s{session};
    QTemporaryDir dir;

    std::vector<bool> All_Fields() { return Init_Field_Sets(session.Description(), session.Language()).Sets[1]; }

    // The table of the result with its headings, as the sheet must hold it.
    Cells Expected_Table(const std::vector<bool>& columns) {
        Cells cells;
        quint32 k = 0;
        for (int c = 1; c < static_cast<int>(columns.size()); ++c) {
            if (!columns[c]) continue;
            ++k;
            cells[{1, k}] = Cell_Value::Of_Text(s.Model.Heading(c - 1));
            for (int r = 0; r < s.Model.Records(); ++r) {
                const Cell_Value v = Expected(s.Model.Cell_Value(r, c - 1));
                if (v.Kind != Cell_Kind::Empty) cells[{static_cast<quint32>(r) + 2, k}] = v;
            }
        }
        return cells;
    }

    QString Write(const std::vector<bool>& columns, int* cut = nullptr) {
        const QString file = dir.filePath("result.xlsx");
        const Workbook_Request request{true, true, columns, "Selection criteria are Year Not Empty", ""};
        EXPECT_EQ(Write_Workbook_File(file, s, request, nullptr, cut), "");
        return file;
    }
};

// Every kind a record can hold: dates, times, line breaks, quotes, accents, the
// sequence the format uses for escapes, a number in a text field.
TEST_F(Workbook_Export_Test, Our_Reader_Reads_Back_The_Same_Cells) {
    Fill_Records({"Year", "Proj#", "ProjName", "EM", "PortName", "RecoEN", "RecoFr"},
                 {{"2010", "7", "Line one\r\nline two\rthree", "DE", "Müller; \"Œuvre\"", "a_x000D_b", " 1984 "},
                  {"2011", "8", "Tab\there", "FR", "", "ß€", "x"}});
    Records_Table& t = session.Records();
    t(2, Field_Number("Year")) = Value::Date(40179.0);  // 2010-01-01
    t(2, Field_Number("Proj#")) = Value::Date(40179.75);  // 18:00
    t(1, Field_Number("Proj#")) = Value::Date(0.5);  // a time of day alone
    Search_All(s, "EN");
    const std::vector<bool> columns = All_Fields();
    EXPECT_EQ(Read_Back(Write(columns)), Expected_Table(columns));

    // For the ctest that reads the same file with another reader: the file and the cells.
    const QByteArray copy = qgetenv("SIFA_WORKBOOK_CHECK");
    if (copy.isEmpty()) return;
    QDir().mkpath(QFileInfo(QString::fromLocal8Bit(copy)).path());
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(dir.filePath("result.xlsx"), QString::fromLocal8Bit(copy)));
    QJsonArray expected;
    for (const auto& [place, v] : Expected_Table(columns)) {
        // python3-openpyxl 3.0 leaves the escapes of inline strings as they are: kind 0,
        // a cell not compared.
        const int kind = v.Text.contains("_x") ? 0 : static_cast<int>(v.Kind);
        expected.append(QJsonArray{static_cast<int>(place.first), static_cast<int>(place.second), kind,
                                   v.Kind == Cell_Kind::Text ? QJsonValue(v.Text) : QJsonValue(v.Number)});
    }
    Write_Bytes(QString::fromLocal8Bit(copy) + ".json", QJsonDocument(expected).toJson());
}

TEST_F(Workbook_Export_Test, The_Sample_Workbook_Reads_Back_The_Same) {
    bool cancel = false;
    ASSERT_TRUE(Import_Workbook(session, SIFA_SAMPLE_DATA "/Sifa_table.xls", &cancel, nullptr).Success());
    Search_All(s, "FR");
    const std::vector<bool> columns = All_Fields();
    EXPECT_EQ(Read_Back(Write(columns)), Expected_Table(columns));
}

// A cell holds 32,767 characters: a longer text is cut there (never inside a character
// of two UTF-16 units) and the export says so.
TEST_F(Workbook_Export_Test, Longer_Texts_Are_Cut_And_Said_To_Be) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString long_text(40000, 'a'), split_pair = QString(32766, 'b') + emoji + "tail";
    Fill_Records({"Year", "RecoEN"}, {{"1", long_text}, {"2", split_pair}});
    Search_All(s, "EN");
    int cut = 0;
    const Cells cells = Read_Back(Write(Field_Set_From_Range(session.Description(), "1,14", "EN"), &cut));
    EXPECT_EQ(cut, 2);
    EXPECT_EQ(cells.at({2, 2}).Text, long_text.left(32767));
    EXPECT_EQ(cells.at({3, 2}).Text, split_pair.left(32766));
    EXPECT_EQ(Texts_Cut_Warning(2), "2 texts longer than 32,767 characters were cut to that length.");
}

// A workbook that could not be written whole is a failure in words, never a file.
TEST_F(Workbook_Export_Test, A_Failed_Write_Is_Reported) {
    Fill_Records(Plain_Records(3));
    Search_All(s, "EN");
    const Workbook_Request request{true, true, All_Fields(), "", ""};
    const QString missing = dir.filePath("gone/result.xlsx");
    const QByteArray temp = qgetenv("TMPDIR");
    struct Case {
        QString file, temp_folder, why;
    } cases[] = {{missing, "", "could not be written"},
                 {"/dev/full", "", "could not be written"},
                 {dir.filePath("result.xlsx"), dir.filePath("a file"), "no temporary folder"}};
    Write_Bytes(dir.filePath("a file"), "not a folder");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (!c.temp_folder.isEmpty()) qputenv("TMPDIR", c.temp_folder.toLocal8Bit());
        const QString failure = Write_Workbook_File(c.file, s, request);
        qputenv("TMPDIR", temp);
        if (temp.isNull()) qunsetenv("TMPDIR");
        EXPECT_TRUE(failure.startsWith("The file \"" + c.file + "\" could not be written: ")) << failure.toStdString();
        EXPECT_TRUE(failure.contains(c.why)) << failure.toStdString();
    }
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QFile::exists(dir.filePath("result.xlsx")));
}

}  // namespace
