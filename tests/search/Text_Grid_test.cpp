#include "search/Text_Grid.h"
#include "search/Text_Order.h"

#include "Grid_Cells.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <random>

namespace {

QStringList Reversed(QStringList l) {
    std::reverse(l.begin(), l.end());
    return l;
}

QStringList Sorted_By(const QStringList& texts, int code) {
    std::vector<QStringList> rows;
    for (const QString& t : texts) rows.push_back({t});
    Text_Grid g;
    Fill_Grid(g, {u"Value"_qs}, rows);
    g.Set_Col(1);
    EXPECT_TRUE(g.Sort(code));
    return Column(g, 1);
}

}  // namespace

TEST(Text_Grid, Sort_Codes_On_Mixed_Cells) {
    const QStringList cells = {u"b"_qs, u"10"_qs, u"2"_qs, u""_qs,   u"_a"_qs, u"A"_qs,
                               u"a"_qs, u"é"_qs,  u"e"_qs, u"Éa"_qs, u"eb"_qs, u"1a"_qs};
    // Accents and case only break ties of the base letters: "Éa" < "eb".
    const QStringList text = {u""_qs,  u"_a"_qs, u"10"_qs, u"1a"_qs, u"2"_qs,  u"a"_qs,
                              u"A"_qs, u"b"_qs,  u"e"_qs,  u"é"_qs,  u"Éa"_qs, u"eb"_qs};
    // Numbers by value, as one block where the digits begin.
    const QStringList generic = {u""_qs,  u"_a"_qs, u"2"_qs, u"10"_qs, u"1a"_qs, u"a"_qs,
                                 u"A"_qs, u"b"_qs,  u"e"_qs, u"é"_qs,  u"Éa"_qs, u"eb"_qs};
    // Cells that read as no number first, in text order.
    const QStringList numeric = {u""_qs,  u"_a"_qs, u"1a"_qs, u"a"_qs,  u"A"_qs, u"b"_qs,
                                 u"e"_qs, u"é"_qs,  u"Éa"_qs, u"eb"_qs, u"2"_qs, u"10"_qs};
    const struct {
        int code;
        QStringList expected;
    } cases[] = {
        {1, generic}, {2, Reversed(generic)}, {3, numeric}, {4, Reversed(numeric)}, {5, text}, {6, Reversed(text)},
    };
    for (const auto& c : cases) EXPECT_EQ(Sorted_By(cells, c.code), c.expected) << "code " << c.code;

    EXPECT_EQ(Sorted_By({u"10"_qs, u"-3"_qs, u" 7"_qs, u"1,5"_qs, u"2"_qs}, 3),
              (QStringList{u"-3"_qs, u"1,5"_qs, u"2"_qs, u" 7"_qs, u"10"_qs}));
}

TEST(Text_Grid, Text_Order_Pairs) {
    const struct {
        const char16_t* lower;
        const char16_t* higher;
    } pairs[] = {{u"", u" "},       {u" x", u"-"}, {u"-", u"_"}, {u"_", u"0"},         {u"_____F", u"____10"},
                 {u"9", u"a"},      {u"e", u"é"},  {u"é", u"f"}, {u"c", u"ç"},         {u"ça", u"cb"},
                 {u"oe", u"œ"},     {u"œ", u"of"}, {u"a", u"A"}, {u"Zebre", u"zèbre"}, {u"école", u"Ecoles"},
                 {u"e\u0301", u"é"}};
    for (const auto& p : pairs) {
        const QString a = QString::fromUtf16(p.lower), b = QString::fromUtf16(p.higher);
        EXPECT_LT(Text_Order_Compare(a, b), 0) << a.toStdString() << " < " << b.toStdString();
        EXPECT_GT(Text_Order_Compare(b, a), 0) << b.toStdString() << " > " << a.toStdString();
        EXPECT_LT(Text_Order_Compare(Text_Order_Key_Of(a), a, Text_Order_Key_Of(b), b), 0) << a.toStdString();
    }
    EXPECT_LT(
        Text_Order_Compare(u"préambule du texte de la recommandation A", u"préambule du texte de la recommandation b"),
        0);
    EXPECT_EQ(Text_Order_Compare(u"Même", u"Même"), 0);
}

TEST(Text_Grid, Generic_Sort_Is_A_Total_Order) {
    // Numbers, texts beginning with digits and others, mixed at random: the sort must
    // neither fail nor depend on the order it starts from, and must keep identical
    // texts together (the multi-key sort numbers them as one group).
    const QStringList pieces = {u"1"_qs, u"2"_qs, u"0"_qs, u"a"_qs, u"A"_qs, u"é"_qs,
                                u"_"_qs, u" "_qs, u"."_qs, u"-"_qs, u","_qs, u"e5"_qs};
    QRandomGenerator rng(7);
    QStringList cells;
    for (int i = 0; i < 3000; ++i) {
        QString s;
        for (int n = rng.bounded(5); n > 0; --n) s += pieces[rng.bounded(pieces.size())];
        cells << s;
    }
    for (int code : {1, 2, 3, 5}) {
        const QStringList once = Sorted_By(cells, code);
        QStringList shuffled = cells;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
        EXPECT_EQ(Sorted_By(shuffled, code), once) << "code " << code;
        QSet<QString> closed;
        for (int i = 1; i < once.size(); ++i)
            if (once[i] != once[i - 1]) {
                EXPECT_FALSE(closed.contains(once[i])) << "code " << code << ": " << once[i].toStdString();
                closed.insert(once[i - 1]);
            }
    }
}

TEST(Text_Grid, Ties_Keep_Their_Previous_Order_In_Every_Sort) {
    for (int code = 1; code <= 6; ++code) {
        Text_Grid g;
        Fill_Grid(g, {u"Id"_qs, u"Key"_qs},
                  {{u"1"_qs, u"b"_qs},
                   {u"2"_qs, u"a"_qs},
                   {u"3"_qs, u"b"_qs},
                   {u"4"_qs, u"a"_qs},
                   {u"5"_qs, u"b"_qs},
                   {u"6"_qs, u"a"_qs}});
        g.Set_Col(1);
        ASSERT_TRUE(g.Sort(2));  // the previous order: 6 to 1
        g.Set_Col(2);
        ASSERT_TRUE(g.Sort(code));
        const QStringList a{u"6"_qs, u"4"_qs, u"2"_qs}, b{u"5"_qs, u"3"_qs, u"1"_qs};
        EXPECT_EQ(Column(g, 1), code % 2 ? a + b : b + a) << "code " << code;
    }
}

TEST(Text_Grid, Sort_Moves_Whole_Rows_Below_The_Header) {
    Text_Grid g;
    Fill_Grid(
        g, {u"Name"_qs, u"Year"_qs, u"hidden"_qs},
        {{u"Zoé"_qs, u"2001"_qs, u"h1"_qs}, {u"adam"_qs, u"1999"_qs, u"h2"_qs}, {u"Éric"_qs, u"2010"_qs, u"h3"_qs}});
    g.Set_Col_Width(3, 0);
    g.Set_Row_Height(1, 500);
    g.Set_Cell_Picture(0, 1, Grid_Picture::Ascending);
    g.Set_Col(1);
    ASSERT_TRUE(g.Sort(5));
    EXPECT_EQ(Column(g, 0), (QStringList{u"2"_qs, u"3"_qs, u"1"_qs}));
    EXPECT_EQ(Column(g, 2), (QStringList{u"1999"_qs, u"2010"_qs, u"2001"_qs}));
    EXPECT_EQ(Column(g, 3), (QStringList{u"h2"_qs, u"h3"_qs, u"h1"_qs}));
    EXPECT_EQ(g.Text_Matrix(0, 3), u"hidden"_qs);
    EXPECT_EQ(g.Cell_Picture(0, 1), Grid_Picture::Ascending);
    EXPECT_EQ(g.Row_Height(3), 500);  // Zoé's row kept its height
    EXPECT_EQ(g.Row_Height(1), Text_Grid::Default_Row_Height);
    g.Set_Col(2);
    ASSERT_TRUE(g.Sort(4));
    EXPECT_EQ(Column(g, 0), (QStringList{u"3"_qs, u"1"_qs, u"2"_qs}));

    for (int bad : {0, 7}) EXPECT_FALSE(g.Sort(bad));

    // Dropping and adding rows after a sort keeps the rows as shown.
    g.Set_Rows(3);
    g.Set_Rows(5);
    EXPECT_EQ(Column(g, 0), (QStringList{u"3"_qs, u"1"_qs, u""_qs, u""_qs}));
    EXPECT_EQ(Column(g, 3), (QStringList{u"h3"_qs, u"h1"_qs, u""_qs, u""_qs}));
}

TEST(Text_Grid, Merging_Of_Equal_Cells) {
    Text_Grid g;
    g.Set_Cols(4);
    g.Set_Rows(5);
    g.Set_Fixed_Cols(0);
    for (int r = 1; r < 5; ++r) g.Set_Text_Matrix(r, 1, r < 4 ? u"same"_qs : u"other"_qs);
    g.Set_Text_Matrix(0, 1, u"same"_qs);
    g.Set_Merge_Col(1, true);
    EXPECT_FALSE(g.Merged_With_Above(2, 1));  // merging off for the grid
    g.Set_Merge_Cells(Grid_Merge::Restrict_Columns);
    EXPECT_FALSE(g.Merged_With_Above(1, 1));  // the header never merges with data
    EXPECT_TRUE(g.Merged_With_Above(2, 1));
    EXPECT_TRUE(g.Merged_With_Above(3, 1));
    EXPECT_FALSE(g.Merged_With_Above(4, 1));
    EXPECT_FALSE(g.Merged_With_Above(2, 2));  // column not switched on (both empty)
}
