#include "search/Saved_Search.h"
#include "Search_Fixture.h"

namespace {

Saved_Search Read_Ok(const QByteArray& bytes) {
    auto r = Read_Saved_Search(bytes);
    if (auto* p = std::get_if<Saved_Search_Problem>(&r)) ADD_FAILURE() << Saved_Search_Problem_Text(*p).toStdString();
    return std::holds_alternative<Saved_Search>(r) ? std::get<Saved_Search>(r) : Saved_Search{};
}

// A refusal of the kind named, whose sentence says `said`.
template <typename Answer>
void Expect_Problem(const Answer& r, Saved_Search_Problem::Kind kind, const char* said, const char* name) {
    ASSERT_TRUE(std::holds_alternative<Saved_Search_Problem>(r)) << name;
    const QString text = Saved_Search_Problem_Text(std::get<Saved_Search_Problem>(r));
    EXPECT_EQ(std::get<Saved_Search_Problem>(r).What, kind) << name;
    EXPECT_TRUE(text.contains(said)) << name << ": " << text.toStdString();
}

}  // namespace

TEST(Saved_Search_File, Round_Trip_Keeps_Every_Part) {
    const std::pair<const char*, QString> values[] = {
        {"wildcards", "*ville?[#]"},
        {"quotes and backslashes", "a \"b\" \\ c\\\""},
        {"line breaks and tabs", "one\r\ntwo\nthree\tfour"},
        {"blanks at both ends", "  spaced  "},
        {"non-ASCII", "Œuvre de Müller, ß, été 🌍"},
        {"empty", ""},
    };
    for (const auto& [name, value] : values) {
        Saved_Search s;
        s.Language = "FR";
        s.Field_Set = "Custom=1-4,8";
        s.Heading_Sort = Saved_Sort_Key{"Proj#", true};
        s.Rows = {{1, true, "ProjName", "contains", true, value},
                  {2, true, "EM", "equal", false, "DE"},
                  {3, false, "*", "begins", false, value}};
        EXPECT_EQ(Read_Ok(Write_Saved_Search(s)), s) << name;
    }
    // Written by hand: a byte-order mark, CR LF, comments and blank lines are taken.
    const Saved_Search hand = Read_Ok(
        "\xEF\xBB\xBFSifa_Soft search 1\r\n# mine\r\n\r\ncombine = or\r\n"
        "[row 2]\r\nfield = Year\r\noperator = greater\r\nvalue = \"2000\"\r\n");
    ASSERT_EQ(hand.Rows.size(), 1u);
    EXPECT_EQ(hand.Rows[0], (Saved_Row{2, true, "Year", "greater", false, "2000"}));
}

TEST(Saved_Search_File, Refusals_Say_What_Is_Wrong) {
    using K = Saved_Search_Problem::Kind;
    const QByteArray head = "Sifa_Soft search 1\n";
    const struct {
        const char* name;
        QByteArray bytes;
        K kind;
        const char* said;
    } cases[] = {
        {"empty", "", K::Empty, "empty"},
        {"not UTF-8", head + "language = \xE9t\xE9\n", K::Not_Utf8, "UTF-8"},
        {"another file", "[Country]\nDE=Germany\n", K::Not_A_Search, "Sifa_Soft search 1"},
        {"newer format", "Sifa_Soft search 2\n", K::Newer_Version, "format 2"},
        {"unknown line", head + "colour = red\n", K::Bad_Line, "Line 2 is not understood: colour = red"},
        {"operator by caption", head + "[row 1]\nfield = Year\noperator = Equal\n", K::Unknown_Operator, "\"Equal\""},
        {"language", head + "language = DE\n", K::Bad_Value, "\"DE\""},
        {"yes or no", head + "[row 1]\nnot = maybe\n", K::Bad_Value, "Line 3"},
        {"unquoted value", head + "[row 1]\nvalue = FR\n", K::Bad_Value, "\"FR\""},
        {"row twice", head + "[row 1]\n[row 1]\n", K::Bad_Line, "Line 3"},
        {"row without operator", head + "[row 2]\nfield = Year\n", K::Incomplete_Row, "Row 2"},
        {"five keys", head + QByteArray("sort key = Year\n").repeated(5), K::Bad_Line, "Line 6"},
        {"both orders", head + "sort = Year\nsort key = EM\n", K::Bad_Line, "Line 3"},
    };
    for (const auto& c : cases) Expect_Problem(Read_Saved_Search(c.bytes), c.kind, c.said, c.name);
}

TEST_F(Search_Test, A_Saved_Search_Resolves_To_The_Rows_Its_Names_Give) {
    Saved_Search s;
    s.Language = "FR";
    s.Combine_With_And = true;
    s.Sort_Keys = {{"EM", false}, {"Year", true}};
    s.Field_Set = "All";
    s.Rows = {{1, true, "DomReco2", "equal", true, "H"}, {3, false, "*", "contains", false, "x"}};
    const auto r = Resolve_Saved_Search(session, s);
    ASSERT_TRUE(std::holds_alternative<Resolved_Search>(r)) << Saved_Search_Problem_Text(std::get<1>(r)).toStdString();
    const Resolved_Search& got = std::get<Resolved_Search>(r);
    // A field of a group stands for the group's entry, under the French label.
    EXPECT_EQ(got.Rows.Rows[0].Field, Field_Number("DomReco1"));
    EXPECT_EQ(got.Texts[0].Field, "Domaine de la reco");
    EXPECT_FALSE(got.Rows.Rows[1].Usable());
    EXPECT_EQ(got.Rows.Rows[2].Field, Any_Fields);
    EXPECT_FALSE(got.Rows.Rows[2].Active);
    EXPECT_EQ(got.Keys[0], Field_Number("EM"));  // the fields before EM are all shown
    EXPECT_LT(got.Keys[1], 0);
    EXPECT_EQ(std::count(got.Field_Set.begin(), got.Field_Set.end(), true), 16);
    EXPECT_EQ(session.Language(), "EN");  // the session's language is put back
}

TEST_F(Search_Test, A_Saved_Search_Naming_What_Does_Not_Exist_Is_Refused) {
    using K = Saved_Search_Problem::Kind;
    const struct {
        const char* name;
        Saved_Row row;
        QString fields;
        const char* said;
        K kind;
    } cases[] = {
        {"unknown field",
         {2, true, "Contry", "equal", false, "DE"},
         "Short",
         "Row 2: there is no field \"Contry\"",
         K::Unknown_Field},
        {"field of the other language",
         {1, true, "RecoFr", "contains", false, "x"},
         "Short",
         "\"RecoFr\" in the EN",
         K::Unknown_Field},
        {"operator not offered",
         {1, true, "EM", "contains", false, "D"},
         "Short",
         "\"contains\" is not offered",
         K::Operator_Not_Offered},
        {"unknown code",
         {3, false, "EM", "equal", false, "XQ"},
         "Short",
         "\"XQ\" of \"MS of coordinator\" is refused",
         K::Refused_Value},
        {"not a year", {1, true, "Year", "equal", false, "soon"}, "Short", "\"soon\"", K::Refused_Value},
        {"empty field set", {1, true, "Year", "empty", false, ""}, "Custom=99", "\"Custom=99\"", K::Empty_Field_Set},
    };
    for (const auto& c : cases) {
        Saved_Search s;
        s.Rows = {c.row};
        s.Field_Set = c.fields;
        Expect_Problem(Resolve_Saved_Search(session, s), c.kind, c.said, c.name);
    }
    Saved_Search s;
    s.Heading_Sort = Saved_Sort_Key{"RecoFr", false};
    const auto r = Resolve_Saved_Search(session, s);
    ASSERT_TRUE(std::holds_alternative<Saved_Search_Problem>(r));
    EXPECT_EQ(Saved_Search_Problem_Text(std::get<1>(r)),
              "The order names \"RecoFr\", which is not a column of the result in EN.");
}
