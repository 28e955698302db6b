#include "search/Selection_Items.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

namespace {

TEST(Collection, Keeps_Names_Sorted_Without_Regard_To_Case) {
    const struct {
        const char* name;
        bool plage;
        QStringList adds;
        QString expected;
    } cases[] = {
        {"any order", false, {"b", "C", "a"}, "a|b|C"},
        {"blanks trimmed", false, {"  Year ", "area 2", "Area 1"}, "Area 1|area 2|Year"},
        {"only blanks add nothing", false, {"   ", ""}, ""},
        {"a duplicate in another case leaves the first", false, {"Year", "YEAR", "year"}, "Year"},
        {"range names", true, {"3-5", "1, 7"}, "1|3|4|5|7"},
        {"range with text and empty elements", true, {"x,,2-1, y "}, "x|y"},
        {"range text kept whole without plage", false, {"1-3"}, "1-3"},
    };
    for (const auto& c : cases) {
        Field f;
        f.Plage = c.plage;
        for (const QString& n : c.adds) f.Available.add(n);
        EXPECT_EQ(f.Available.Name_List("|"), c.expected) << c.name;
        EXPECT_EQ(f.Available.Count(), c.expected.isEmpty() ? 0 : c.expected.count('|') + 1) << c.name;
    }
}

TEST(Collection, Lookups) {
    Field f;
    for (const char* n : {"Year", "Project name", "Reco Text"}) f.Available.add(n);
    EXPECT_EQ(f.Available.indice("reco text"), 2);
    EXPECT_EQ(f.Available.indice("Nothing"), -1);
    ASSERT_NE(f.Available.Item(3), nullptr);
    EXPECT_EQ(f.Available.Item(3)->Nom(), "Year");
    EXPECT_EQ(f.Available.Item(0), nullptr);
    EXPECT_EQ(f.Available.Item(4), nullptr);
    EXPECT_TRUE(f.Available.exists("YEAR"));
    EXPECT_TRUE(f.Available.exists("year", true));
    EXPECT_FALSE(f.Available.exists("Years"));
    EXPECT_EQ(f.Available.add("year")->Nom(), "Year");  // the one held
    EXPECT_TRUE(f.Available.Remove(1));
    EXPECT_FALSE(f.Available.Remove("Nothing"));
    EXPECT_EQ(f.Available.Name_List(","), "Reco Text,Year");
    // With Plage, a range exists as soon as one of its elements is held.
    f.Plage = true;
    f.Selected.add("4,9");
    EXPECT_TRUE(f.Selected.exists("1-4"));
    EXPECT_FALSE(f.Selected.exists("5-8"));
    EXPECT_TRUE(f.exists("8-10"));
}

TEST(Field, Exists_By_Auto_Add) {
    struct Case {
        int auto_add;
        bool answer;
        int available, selected;
    };
    for (const Case& c : {Case{0, false, 1, 0}, Case{1, true, 2, 0}, Case{2, true, 1, 1}}) {
        Field f;
        f.Auto_Add = c.auto_add;
        f.Available.add("Held");
        EXPECT_TRUE(f.exists("held"));
        EXPECT_EQ(f.exists("New"), c.answer) << c.auto_add;
        EXPECT_EQ(f.Available.Count(), c.available) << c.auto_add;
        EXPECT_EQ(f.Selected.Count(), c.selected) << c.auto_add;
    }
}

TEST(Field, Moves_Between_The_Collections) {
    Field f;
    for (const char* n : {"c", "A", "b"}) f.Available.add(n);
    f.SelectItem("B");
    f.SelectItem("nothing");
    EXPECT_EQ(f.Available.Name_List(",") + "/" + f.Selected.Name_List(","), "A,c/b");
    f.SelectAll();
    EXPECT_EQ(f.Available.Name_List(",") + "/" + f.Selected.Name_List(","), "/A,b,c");
    f.DeSelectItem("c");
    EXPECT_EQ(f.Available.Name_List(",") + "/" + f.Selected.Name_List(","), "c/A,b");
    f.DeSelectAll();
    EXPECT_EQ(f.Available.Name_List(",") + "/" + f.Selected.Name_List(","), "A,b,c/");
}

TEST(Collection, Load_From_Ini_Section) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Lists.ini");
    // A section longer than the first buffer of 1024 characters.
    QString big = "[Big]\r\n";
    for (int i = 0; i < 300; ++i) big += QStringLiteral("Key%1 = value number %1\r\n").arg(i, 3, 10, QLatin1Char('0'));
    Write_Cp1252(file, "[Names]\r\nzeta=1\r\n; a comment\r\nAlpha = 2\r\nbeta\r\n=only value\r\n\r\n" + big);
    Field f;
    EXPECT_EQ(f.Available.Load_From_Ini_Section(file, "names"), 4);
    EXPECT_EQ(f.Available.Name_List(","), "Alpha,beta,zeta");
    EXPECT_EQ(f.Selected.Load_From_Ini_Section(file, "Big"), 300);
    EXPECT_EQ(f.Selected.Count(), 300);
    EXPECT_EQ(f.Selected.Item(300)->Nom(), "Key299");
    EXPECT_EQ(f.Selected.Load_From_Ini_Section(dir.filePath("none.ini"), "Big"), 0);
}

}  // namespace
