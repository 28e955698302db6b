#include "Search_Fixture.h"
#include "search/Result_Text.h"

namespace {

// The records the result shows, in its order.
std::vector<qint32> Shown(const Search_Results& s) { return s.Model.Record_Ids(); }

}  // namespace

TEST_F(Search_Test, Quick_Find_Matches_Any_Shown_Column_Ignoring_Case_And_Accents) {
    const struct {
        const char* needle;
        bool labels;
        std::vector<qint32> found;
        const char* caption;
    } cases[] = {
        {"", true, {1, 2, 3}, "3 Records found"},
        {"RESEAU", true, {1}, "1 of 3 Records found"},  // accent in the text
        {"müller", true, {1}, "1 of 3 Records found"},  // accent in both
        {"MULL", true, {1}, "1 of 3 Records found"},
        {"germany", true, {1}, "1 of 3 Records found"},  // the label of DE
        {"germany", false, {}, "0 of 3 Records found"},
        {"de", false, {1}, "1 of 3 Records found"},  // the code itself
        {"\"city\"", true, {2}, "1 of 3 Records found"},
        {"t", true, {1, 2, 3}, "3 of 3 Records found"},
        {"2004réseau", true, {}, "0 of 3 Records found"},  // never across two cells
        {"zzz", true, {}, "0 of 3 Records found"},
    };
    for (const auto& c : cases) {
        session.Show_Code_Labels = c.labels;
        Search_Results s{session};
        Run_Search(session, s, Every_Record());
        Apply_Quick_Find(s, QString::fromUtf8(c.needle));
        EXPECT_EQ(Shown(s), c.found) << c.needle;
        EXPECT_EQ(s.Count_Caption, c.caption) << c.needle;
        EXPECT_EQ(s.Output_Enabled, !c.found.empty()) << c.needle;
    }
}

// Typing on, deleting back and sorting meanwhile: each step shows what a fresh quick find
// of its text would, in the order of the whole result.
TEST_F(Search_Test, Quick_Find_Narrows_Widens_And_Keeps_The_Sort) {
    Search_Results s{session};
    Run_Search(session, s, Every_Record());
    const std::vector<std::pair<const char*, std::vector<qint32>>> steps = {
        {"t", {1, 2, 3}}, {"tw", {2}}, {"two", {2}}, {"t", {1, 2, 3}},
        {"th", {3}},      {"thx", {}}, {"th", {3}},  {"", {1, 2, 3}},
    };
    for (const auto& [needle, found] : steps) {
        Apply_Quick_Find(s, QString::fromUtf8(needle));
        EXPECT_EQ(Shown(s), found) << needle;
    }
    Apply_Quick_Find(s, "o");  // "one", "Open", "two", "Dupont"
    ASSERT_EQ(Shown(s), (std::vector<qint32>{1, 2}));
    const int year = Result_Column(s, "Year");
    s.Model.Sort(year, Sort_Rule::Number, true);
    EXPECT_EQ(Shown(s), (std::vector<qint32>{2, 1}));
    EXPECT_EQ(s.Model.Text(0, year), "1999");
    Apply_Quick_Find(s, "");
    EXPECT_EQ(Shown(s), (std::vector<qint32>{2, 1, 3}));
    // A new search shows the records of its result that the text finds.
    Apply_Quick_Find(s, "o");
    Run_Search(session, s, Every_Record());
    EXPECT_EQ(s.Count_Caption, "2 of 3 Records found");
    EXPECT_EQ(With_Quick_Find("Selection criteria are Year Not Empty", s.Quick_Find_Text),
              "Selection criteria are Year Not Empty. Quick find: o");
    EXPECT_EQ(With_Quick_Find("Selection criteria are Year Not Empty", ""), "Selection criteria are Year Not Empty");
}

// A result large enough to be looked through in two halves at once: matches in both, kept
// in order, and texts held as UTF-16, each met in many rows and worked out once a needle.
TEST_F(Search_Test, Quick_Find_Looks_Through_A_Large_Result) {
    std::vector<Hand_Record> rows(30000);
    std::vector<qint32> expected;
    for (int i = 0; i < 30000; ++i) {
        rows[i] = {{"Year", "2000"}, {"ProjName", i % 7 ? QStringLiteral("Project %1").arg(i) : u"Łódź partners"_qs}};
        if (i % 7 == 0) expected.push_back(i + 1);
    }
    rows[29999]["PortName"] = u"Zoë Łódź"_qs;
    Fill_Records(rows);
    Search_Results s{session};
    Run_Search(session, s, Every_Record());
    Apply_Quick_Find(s, "LODZ");
    EXPECT_EQ(Shown(s), [&] { auto e = expected; e.push_back(30000); return e; }());
    Apply_Quick_Find(s, "lodz p");
    EXPECT_EQ(Shown(s), expected);
}
