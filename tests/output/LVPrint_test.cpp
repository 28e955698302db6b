#include "output/LVPrint.h"

#include "Output_Fixture.h"
#include "search/Field_Sets.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>

namespace {

using Op = Recording_Print_Device::Text_Op;

struct LVPrint_Test : Output_Test {
    Search_Results s;
    Recording_Print_Device dev;  // 190 x 277 mm; characters 1.65 mm wide, lines 3.3 mm high
    LVPrint p;

    void Search(const std::vector<Hand_Record>& rows, const QString& lang = "EN") {
        if (lang != Current_Language) Use_Language(lang);
        Fill_Records(rows);
        Search_All(s, lang);
        p.Grid = &s.Data;
        p.Last_Row = s.Result_Rows();
        p.ReportTitle = "The Sifa recommendations";
        p.Selection_Criteria = "Selection criteria are Year Not Empty";
        p.Order_By = "Ordered by Year";
        p.Print_Date = QDate(2024, 3, 5);
        p.Set_Output_Device(&dev);
    }
    bool Print(const QString& range = "1-4,8,10-17", int copies = 1) {
        return p.Print_Job(dev, copies, 0, Field_Set_From_Range(range, Current_Language));
    }
    int Count(const QString& text, int page = 0) const {
        return static_cast<int>(std::count_if(dev.Texts.begin(), dev.Texts.end(), [&](const Op& t) {
            return t.Text == text && (page == 0 || t.Page == page);
        }));
    }
};

TEST_F(LVPrint_Test, Page_Header) {
    Search(Plain_Records(1));
    ASSERT_TRUE(Print());
    EXPECT_TRUE(dev.Ended);
    // The date at the left margin, the page number ending at the right one, on one line.
    const Op* date = dev.Find(QLocale().toString(QDate(2024, 3, 5), QLocale::LongFormat));
    const Op* page = dev.Find("Page 1");
    ASSERT_TRUE(date && page);
    EXPECT_DOUBLE_EQ(date->X, 10);
    EXPECT_NEAR(page->X + 6 * 1.65, 190 - 10, 1e-9);
    EXPECT_DOUBLE_EQ(page->Top, date->Top);
    EXPECT_FALSE(page->Bold);
    // Under it the title, bold and larger, then the sentences in the grid font; all centred.
    const Op* title = dev.Find("The Sifa recommendations");
    const Op* criteria = dev.Find("Selection criteria are Year Not Empty");
    const Op* order = dev.Find("Ordered by Year");
    ASSERT_TRUE(title && criteria && order);
    EXPECT_TRUE(title->Bold);
    EXPECT_GT(title->Size, criteria->Size);
    EXPECT_NEAR(title->X, (190 - 24 * 0.2 * 12.25 * 1.1) / 2, 1e-9);  // the device's width of bold text
    EXPECT_GT(title->Top, page->Top);
    EXPECT_NEAR(criteria->X, (190 - 37 * 1.65) / 2, 1e-9);
    EXPECT_DOUBLE_EQ(criteria->Size, 8.25);
    EXPECT_FALSE(criteria->Bold);
    EXPECT_GT(criteria->Top, title->Top);
    EXPECT_NEAR(order->Top - criteria->Top, 3.3 + 1, 1e-9);
}

TEST_F(LVPrint_Test, Which_Labels_Print) {
    Hand_Record no_year = Plain_Record(1), two_areas = Plain_Record(1), area2 = Plain_Record(2);
    no_year.remove("Year");
    two_areas["DomReco2"] = "EMP";
    two_areas["DomReco3"] = "H";
    area2["DomReco2"] = "EMP";
    const struct {
        const char* name;
        std::vector<Hand_Record> rows;
        const char* lang;
        std::vector<std::pair<const char*, int>> counts;
        size_t rules;
    } cases[] = {
        // A positive position prints its label without a value, a negative one only with it; "Short" has no
        // country.
        {"positive and negative positions",
         {no_year, area2},
         "EN",
         {{"Year:", 2},
          {"Area 2 of reco:", 1},
          {"Area 3 of reco:", 0},
          {"Type 2 of recipient:", 0},
          {"Reco Text:", 2},
          {"Texte de la reco:", 0},
          {"MS of coordinator:", 0}},
         2},
        {"a record prints none of the fields of the one before",
         {two_areas, Plain_Record(2), Plain_Record(3)},
         "EN",
         {{"Area 2 of reco:", 1}, {"Area 3 of reco:", 1}, {"Reco Text:", 3}},
         3},
        {"French prints the French text",
         {Plain_Record(1)},
         "FR",
         {{"texte 1", 1}, {"text 1", 0}, {"Texte de la reco:", 1}},
         1},
        {"an empty list prints its header", {}, "EN", {{"The Sifa recommendations", 1}, {"Year:", 0}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dev = Recording_Print_Device();
        Search(c.rows, c.lang);
        ASSERT_TRUE(Print());
        EXPECT_EQ(dev.Pages, 1);
        for (const auto& [text, n] : c.counts) EXPECT_EQ(Count(text), n) << text;
        EXPECT_EQ(dev.Lines.size(), c.rules);
    }
}

TEST_F(LVPrint_Test, Record_Layout) {
    Hand_Record second = Plain_Record(2);
    second["Proj#"] = "123456789";
    Search({Plain_Record(1), second});
    ASSERT_TRUE(Print());
    // Year, project and reco number side by side, aligned across records by the widest value.
    const auto all = [&](const char* text) {
        std::vector<const Op*> out;
        for (const Op& t : dev.Texts)
            if (t.Text == text) out.push_back(&t);
        return out;
    };
    const auto year = all("Year:"), proj = all("Project number:"), reco = all("Reco Number:");
    ASSERT_TRUE(year.size() == 2 && proj.size() == 2 && reco.size() == 2);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_DOUBLE_EQ(year[k]->Top, proj[k]->Top);
        EXPECT_DOUBLE_EQ(proj[k]->Top, reco[k]->Top);
        EXPECT_LT(year[k]->X, proj[k]->X);
        EXPECT_LT(proj[k]->X, reco[k]->X);
    }
    EXPECT_DOUBLE_EQ(proj[0]->X, proj[1]->X);
    EXPECT_DOUBLE_EQ(reco[0]->X, reco[1]->X);
    EXPECT_GT(reco[0]->X, dev.Find("123456789")->X + 9 * 1.65);
    // One short rule under each record, from the left margin.
    ASSERT_EQ(dev.Lines.size(), 2u);
    EXPECT_DOUBLE_EQ(dev.Lines[0].X1, 10);
    EXPECT_LT(dev.Lines[0].X2, 190 / 4);
}

TEST_F(LVPrint_Test, Wrap_Text) {
    Search(Plain_Records(1));
    struct Case {
        const char* text;
        double limit;
        const char* wrapped;
        double width;
    };
    const Case cases[] = {
        {"aaa bbb", 12, "aaa bbb", 7 * 1.65},
        {"aaa bbb ccc", 12, "aaa bbb\nccc", 7 * 1.65},
        {"aaa  bbb   ccc ", 12, "aaa bbb\nccc", 7 * 1.65},
        {"a longwordthatneverfits b", 12, "a\nlongwordthatneverfits\nb", 21 * 1.65},
        {"   aaa bbb", 12, "aaa bbb", 7 * 1.65},  // leading blanks make no empty line
        {"aaa\t bbb ccc", 12, "aaa bbb\nccc", 7 * 1.65},  // any blank ends a word's text
        {"one\r\ntwo", 100, "one\ntwo", 3 * 1.65},
        {"", 12, "", 0},
        {"word", -5, "word", 4 * 1.65},
    };
    for (const Case& c : cases) {
        const LVPrint::Wrapped w = p.Wrap_Text(c.text, c.limit);
        EXPECT_EQ(w.Text, c.wrapped) << c.text;
        EXPECT_NEAR(w.Width, c.width, 1e-9) << c.text;
    }
    int pos = 0;
    EXPECT_EQ(LVPrint::Next_Word("ab  cd", pos), "ab  ");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(LVPrint::Next_Word("ab  cd", pos), "cd");
    EXPECT_EQ(pos, 6);
}

TEST_F(LVPrint_Test, Long_Text_Wraps_Inside_The_Right_Limit) {
    Hand_Record r = Plain_Record(1);
    QString text;
    for (int i = 0; i < 60; ++i) text += QStringLiteral("word%1 ").arg(i);
    r["RecoEN"] = text.trimmed();
    Search({r});
    ASSERT_TRUE(Print());
    int lines = 0;
    for (const Op& t : dev.Texts) {
        if (!t.Text.startsWith("word")) continue;
        ++lines;
        EXPECT_LE(t.X + t.Text.size() * 1.65, p.Right_Limit()) << t.Text.toStdString();
    }
    EXPECT_GT(lines, 2);
}

TEST_F(LVPrint_Test, Pages_Break_Between_Records) {
    Search(Plain_Records(30));
    ASSERT_TRUE(Print());
    ASSERT_GT(dev.Pages, 2);
    EXPECT_EQ(Count("Project name:"), 30);
    for (int page = 1; page <= dev.Pages; ++page) {
        EXPECT_EQ(Count(QStringLiteral("Page %1").arg(page), page), 1);
        EXPECT_EQ(Count("The Sifa recommendations", page), 1);
    }
    for (const Op& t : dev.Texts) EXPECT_LE(t.Top + 3.3, dev.Height) << t.Text.toStdString();

    // One record more than the first page holds goes alone onto page 2.
    const int first_page = Count("Project name:", 1);
    dev = Recording_Print_Device();
    Search(Plain_Records(first_page + 1));
    ASSERT_TRUE(Print());
    EXPECT_EQ(dev.Pages, 2);
    EXPECT_EQ(Count("Project name:", 2), 1);
    EXPECT_EQ(Count("Page 2", 2), 1);
}

TEST_F(LVPrint_Test, Row_Too_Large_To_Print) {
    Hand_Record big = Plain_Record(2);
    QString text;
    for (int i = 0; i < 3000; ++i) text += "many words ";
    big["RecoEN"] = text;
    EXPECT_EQ(Oversized_Row_Question(2), "Row 2 too large to print: Ignored\r\n\r\nDo you want to continue ?");
    for (bool go_on : {false, true}) {
        dev = Recording_Print_Device();
        std::vector<int> asked;
        p.Go_On_Without_Row = [&](int row) {
            asked.push_back(row);
            return go_on;
        };
        Search({Plain_Record(1), big, Plain_Record(3)});
        const bool done = Print();
        EXPECT_EQ(asked, std::vector<int>{2});
        if (!go_on) {
            EXPECT_FALSE(done);
            EXPECT_TRUE(dev.Killed);
            EXPECT_FALSE(dev.Ended);
        } else {
            EXPECT_TRUE(done);
            EXPECT_EQ(Count("Project name:"), 2);  // rows 1 and 3
            EXPECT_NE(dev.Find("Project 3"), nullptr);
            EXPECT_EQ(dev.Find("Project 2"), nullptr);
        }
    }
}

TEST_F(LVPrint_Test, PrintList_Goes_Through_The_Setup_Dialog) {
    Search(Plain_Records(30));
    const auto all = Field_Set_From_Range("1-17", "EN");
    messages->printSetupAnswer = false;
    EXPECT_FALSE(p.PrintList(false, 2, 1, all));
    EXPECT_EQ(messages->printSetupCount, 1);
    EXPECT_TRUE(dev.Texts.empty());
    // Accepted: the copies of the printer's settings, each from its page 1, with every field ("All").
    messages->printSetupAnswer = true;
    p.Printer().setCopyCount(2);
    EXPECT_TRUE(p.PrintList(false, 2, 1, all));
    ASSERT_GT(dev.Pages, 2);
    EXPECT_EQ(dev.Pages % 2, 0);
    EXPECT_EQ(Count("Page 1"), 2);
    EXPECT_EQ(Count("Page 1", dev.Pages / 2 + 1), 1);
    EXPECT_EQ(Count("MS of coordinator:"), 60);
}

TEST_F(LVPrint_Test, Printer_Into_A_File) {
    Search(Plain_Records(3));
    p.Set_Output_Device(nullptr);
    QTemporaryDir dir;
    p.Printer().setOutputFileName(dir.filePath("printed.pdf"));
    messages->printSetupAnswer = true;
    EXPECT_TRUE(p.PrintList(false, 2, 0, Field_Set_From_Range("1-17", "EN")));
    QFile f(dir.filePath("printed.pdf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");

    // A file that cannot be written is a printer error: the job says so.
    p.Printer().setOutputFileName(dir.filePath("missing/printed.pdf"));
    EXPECT_FALSE(p.PrintList(false, 2, 0, Field_Set_From_Range("1-17", "EN")));
}

TEST_F(LVPrint_Test, Bad_Input_Never_Stops_The_Job) {
    Search(Plain_Records(2));
    // A printer error at the first text: the job ends and the document is cancelled.
    dev.Fail_After_Texts = 0;
    EXPECT_FALSE(Print());
    EXPECT_TRUE(dev.Killed);

    // No column chosen: headed pages and a rule per record, nothing else.
    dev = Recording_Print_Device();
    ASSERT_TRUE(p.Print_Job(dev, 1, 2, std::vector<bool>(17, false)));
    EXPECT_EQ(dev.Texts.size(), 5u);
    EXPECT_EQ(dev.Lines.size(), 2u);

    // A column selection of the wrong size prints what it names and nothing more.
    dev = Recording_Print_Device();
    EXPECT_TRUE(p.Print_Job(dev, 1, 0, std::vector<bool>{false, true}));
    EXPECT_EQ(Count("Year:"), 2);

    // A label wider than the page: the value goes under its last line.
    QString label;
    for (int i = 0; i < 40; ++i) label += "Label ";
    s.Data.Set_Text_Matrix(0, Grid_Column(s, "ProjName"), label.trimmed());
    dev = Recording_Print_Device();
    ASSERT_TRUE(Print());
    const Op* value = dev.Find("Project 1");
    ASSERT_NE(value, nullptr);
    double label_bottom = 0;
    for (const Op& t : dev.Texts)
        if (t.Text.startsWith("Label") && t.Top < value->Top + 10 && t.Top < value->Top)
            label_bottom = std::max(label_bottom, t.Top + 3.3);
    EXPECT_GT(label_bottom, 0);
    EXPECT_GE(value->Top, label_bottom);
    for (const Op& t : dev.Texts) EXPECT_LE(t.X + t.Text.size() * 1.65, 190.0 + 1e-9) << t.Text.toStdString();
}

}  // namespace
