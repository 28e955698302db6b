#include "Query_Fixture.h"
#include "search/Saved_Search.h"

namespace {

QString Search_File(const Saved_Search& s) {
    static int n = 0;
    const QString path = Query::dir->filePath(QStringLiteral("search%1.sifasearch").arg(++n));
    Write_Bytes(path, Write_Saved_Search(s));
    return path;
}

}  // namespace

// The file and its overrides give what the same search given by options gives: the
// export bytes, and the criteria and order sentences.
TEST_F(Query, A_Saved_Search_Runs_As_The_Same_Options) {
    Saved_Search french;
    french.Language = "FR";
    french.Combine_With_And = true;
    french.Heading_Sort = Saved_Sort_Key{"Proj#", true};
    french.Field_Set = "All";
    french.Rows = {{1, true, "EM", "equal", false, "FR"},
                   {2, false, "Year", "less", false, "1990"},
                   {3, true, "ProjName", "contains", true, "a*e"}};
    Saved_Search keys;
    keys.Sort_Keys = {{"EM", false}, {"Year", true}};
    keys.Field_Set = "Custom=1-4,9";
    keys.Rows = {{2, true, "DomReco2", "equal", false, "H"}, {3, true, "*", "begins", false, "Ré"}};
    const struct {
        const char* name;
        Saved_Search search;
        QStringList extra, same;
    } cases[] = {
        {"heading order, And, NOT, French",
         french,
         {},
         {"--lang", "FR", "--and", "--sort", "Proj#:desc", "--fields", "All", "-c", "EM:0:FR", "-c",
          "!ProjName:7:a*e"}},
        {"sort keys, Or, a custom set",
         keys,
         {},
         {"--sort-keys", "EM,-Year", "--fields", "Custom=1-4,9", "-c", "DomReco1:0:H", "-c", "*:5:Ré"}},
        {"options override its parts",
         french,
         {"--lang", "EN", "--or", "-c", "Year:Superior:2000", "--sort-keys", "Year", "--fields", "Short"},
         {"--lang", "EN", "--or", "-c", "Year:Superior:2000", "--sort-keys", "Year", "--fields", "Short"}},
    };
    for (const auto& c : cases) {
        const QStringList file{"--search", Search_File(c.search)};
        for (const QStringList& mode : {QStringList{}, QStringList{"--describe"}}) {
            const Query_Run a = Sifa_Query(file + c.extra + mode), b = Sifa_Query(c.same + mode);
            EXPECT_EQ(a.code, 0) << c.name << a.err.toStdString();
            EXPECT_GT(a.out.count('\n'), 1) << c.name;
            EXPECT_EQ(a.out, b.out) << c.name;
        }
    }
}

TEST_F(Query, A_Saved_Search_That_Does_Not_Fit_Is_A_Usage_Error) {
    Saved_Search unknown;
    unknown.Rows = {{2, true, "Contry", "equal", false, "FR"}};
    const std::pair<QString, const char*> cases[] = {
        {Search_File(unknown), "Row 2: there is no field \"Contry\""},
        {dir->filePath("none.sifasearch"), "the file is missing"},
    };
    for (const auto& [file, said] : cases) {
        const Query_Run r = Sifa_Query({"--search", file, "--count"});
        EXPECT_EQ(r.code, 2) << said;
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(said)) << r.err.toStdString();
    }
}
