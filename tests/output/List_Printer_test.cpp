#include "output/List_Printer.h"

#include "Output_Fixture.h"
#include "Test_Files.h"
#include "search/Field_Sets.h"

#include <QPrinter>

namespace {

using Op = Recording_Print_Device::Text_Op;

struct List_Printer_Test : Output_Test {
    Search_Results s{session};
    Recording_Print_Device dev;  // 190 x 277 mm; characters 1.65 mm wide, lines 3.3 mm high
    List_Printer p;

    void Search_Window(const std::vector<Hand_Record>& rows, const QString& lang = "EN") {
        if (lang != session.Language()) Use_Language(lang);
        Fill_Records(rows);
        Search_All(s, lang);
        p.Result = &s.Model;
        p.Last_Row = s.Result_Rows();
        p.Report_Title = "The Sifa recommendations";
        p.Selection_Criteria = "Selection criteria are Year Not Empty";
        p.Order_By = "Ordered by Year";
        p.Print_Date = QDate(2024, 3, 5);
        p.Set_Output_Device(&dev);
    }
    bool Print(const QString& range = "1-4,8,10-17", int copies = 1) {
        return p.Print_Job(dev, copies, 0, Field_Set_From_Range(session.Description(), range, session.Language()));
    }
    // The texts printed, on a page or on any (0).
    std::vector<const Op*> All(const QString& text, int page = 0) const {
        std::vector<const Op*> out;
        for (const Op& t : dev.Texts)
            if (t.Text == text && (page == 0 || t.Page == page)) out.push_back(&t);
        return out;
    }
    int Count(const QString& text, int page = 0) const { return static_cast<int>(All(text, page).size()); }
};

TEST_F(List_Printer_Test, Page_Header) {
    Search_Window(Plain_Records(1));
    ASSERT_TRUE(Print());
    EXPECT_TRUE(dev.Ended);
    // The date left and the page number right on one line; under it the title, bold and
    // larger, then the sentences, centred.
    const Op* date = dev.Find(QLocale().toString(QDate(2024, 3, 5), QLocale::LongFormat));
    const Op* page = dev.Find("Page 1");
    const Op* title = dev.Find("The Sifa recommendations");
    const Op* criteria = dev.Find("Selection criteria are Year Not Empty");
    const Op* order = dev.Find("Ordered by Year");
    ASSERT_TRUE(date && page && title && criteria && order);
    EXPECT_TRUE(page->Top == date->Top && page->X > 190 / 2);
    EXPECT_TRUE(title->Bold && !criteria->Bold && title->Size > criteria->Size);
    EXPECT_NEAR(criteria->X, (190 - 37 * 1.65) / 2, 1e-9);
    EXPECT_TRUE(page->Top < title->Top && title->Top < criteria->Top && criteria->Top < order->Top);
}

TEST_F(List_Printer_Test, Which_Labels_Print) {
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
        Search_Window(c.rows, c.lang);
        ASSERT_TRUE(Print());
        EXPECT_EQ(dev.Pages, 1);
        for (const auto& [text, n] : c.counts) EXPECT_EQ(Count(text), n) << text;
        EXPECT_EQ(dev.Lines.size(), c.rules);
    }
}

TEST_F(List_Printer_Test, Record_Layout) {
    Hand_Record second = Plain_Record(2);
    second["Proj#"] = "123456789";
    Search_Window({Plain_Record(1), second});
    ASSERT_TRUE(Print());
    // Year, project and reco number side by side, aligned across records by the widest value.
    const auto year = All("Year:"), proj = All("Project number:"), reco = All("Reco Number:");
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
    EXPECT_EQ(dev.Lines.size(), 2u);  // a rule under each record
}

TEST_F(List_Printer_Test, Wrap_Text) {
    Search_Window(Plain_Records(1));
    const struct {
        const char* text;
        double limit;
        const char* wrapped;
        double width;
    } cases[] = {
        {"aaa bbb ccc", 12, "aaa bbb\nccc", 7 * 1.65},
        {"a longwordthatneverfits b", 12, "a\nlongwordthatneverfits\nb", 21 * 1.65},
        {"   aaa bbb", 12, "aaa bbb", 7 * 1.65},  // leading blanks make no empty line
        {"aaa\t bbb ccc", 12, "aaa bbb\nccc", 7 * 1.65},  // any blank ends a word's text
        {"one\r\ntwo", 100, "one\ntwo", 3 * 1.65},
        {"word", -5, "word", 4 * 1.65},
    };
    for (const auto& c : cases) {
        const List_Printer::Wrapped w = p.Wrap_Text(c.text, c.limit);
        EXPECT_EQ(w.Text, c.wrapped) << c.text;
        EXPECT_NEAR(w.Width, c.width, 1e-9) << c.text;
    }
}

TEST_F(List_Printer_Test, Pages_Break_Between_Records) {
    Search_Window(Plain_Records(30));
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
    Search_Window(Plain_Records(first_page + 1));
    ASSERT_TRUE(Print());
    EXPECT_EQ(dev.Pages, 2);
    EXPECT_EQ(Count("Project name:", 2), 1);
    EXPECT_EQ(Count("Page 2", 2), 1);
}

TEST_F(List_Printer_Test, Row_Too_Large_To_Print) {
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
        Search_Window({Plain_Record(1), big, Plain_Record(3)});
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

TEST_F(List_Printer_Test, PrintList_Goes_Through_The_Setup_Dialog) {
    Search_Window(Plain_Records(30));
    const auto all = Field_Set_From_Range(session.Description(), "1-17", "EN");
    messages->printSetupAnswer = false;
    EXPECT_FALSE(p.Print_List(false, 2, 1, all));
    EXPECT_EQ(messages->printSetupCount, 1);
    EXPECT_TRUE(dev.Texts.empty());
    // Accepted: the copies of the printer's settings, each from its page 1, with every field ("All").
    messages->printSetupAnswer = true;
    p.Printer().setCopyCount(2);
    EXPECT_TRUE(p.Print_List(false, 2, 1, all));
    ASSERT_GT(dev.Pages, 2);
    EXPECT_EQ(dev.Pages % 2, 0);
    EXPECT_EQ(Count("Page 1"), 2);
    EXPECT_EQ(Count("Page 1", dev.Pages / 2 + 1), 1);
    EXPECT_EQ(Count("MS of coordinator:"), 60);
}

TEST_F(List_Printer_Test, Bad_Input_Never_Stops_The_Job) {
    Search_Window(Plain_Records(2));
    // A printer error at the first text: the job ends and the document is cancelled.
    dev.Fail_After_Texts = 0;
    EXPECT_FALSE(Print());
    EXPECT_TRUE(dev.Killed);

    dev = Recording_Print_Device();
    ASSERT_TRUE(Print());
    for (const Op& t : dev.Texts) EXPECT_LE(t.X + t.Text.size() * 1.65, 190.0 + 1e-9) << t.Text.toStdString();
}

}  // namespace
