#include "search/Result_Model.h"
#include "search/Text_Order.h"

#include "Result_Cells.h"

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

// The rules as the sort codes the orders were first known by: 1/2 generic, 3/4 by
// number, 5/6 by text, odd ascending.
QStringList Sorted_By(const QStringList& texts, int code) {
    std::vector<QStringList> rows;
    for (const QString& t : texts) rows.push_back({t});
    Hand_Result r({u"5"_qs}, {u"Value"_qs}, rows);
    const Sort_Rule rule = code <= 2 ? Sort_Rule::Generic : code <= 4 ? Sort_Rule::Number : Sort_Rule::Text;
    r.Model.Sort(0, rule, code % 2 == 1);
    return Column(r.Model, 0);
}

}  // namespace

TEST(Result_Model, Sort_Rules_On_Mixed_Cells) {
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
    const std::pair<int, QStringList> cases[] = {
        {1, generic}, {2, Reversed(generic)}, {3, numeric}, {4, Reversed(numeric)}, {5, text}, {6, Reversed(text)},
    };
    for (const auto& [code, expected] : cases) EXPECT_EQ(Sorted_By(cells, code), expected) << "code " << code;

    EXPECT_EQ(Sorted_By({u"10"_qs, u"-3"_qs, u" 7"_qs, u"1,5"_qs, u"2"_qs}, 3),
              (QStringList{u"-3"_qs, u"1,5"_qs, u"2"_qs, u" 7"_qs, u"10"_qs}));
}

TEST(Result_Model, Text_Order_Pairs) {
    const std::pair<const char16_t*, const char16_t*> pairs[] = {
        {u"", u" "},       {u" x", u"-"}, {u"-", u"_"}, {u"_", u"0"},         {u"_____F", u"____10"},
        {u"9", u"a"},      {u"e", u"é"},  {u"é", u"f"}, {u"c", u"ç"},         {u"ça", u"cb"},
        {u"oe", u"œ"},     {u"œ", u"of"}, {u"a", u"A"}, {u"Zebre", u"zèbre"}, {u"école", u"Ecoles"},
        {u"e\u0301", u"é"}};
    for (const auto& [lower, higher] : pairs) {
        const QString a = QString::fromUtf16(lower), b = QString::fromUtf16(higher);
        EXPECT_LT(Text_Order_Compare(a, b), 0) << a.toStdString() << " < " << b.toStdString();
        EXPECT_GT(Text_Order_Compare(b, a), 0) << b.toStdString() << " > " << a.toStdString();
        EXPECT_LT(Text_Order_Compare(Text_Order_Key_Of(a), a, Text_Order_Key_Of(b), b), 0) << a.toStdString();
    }
    EXPECT_LT(
        Text_Order_Compare(u"préambule du texte de la recommandation A", u"préambule du texte de la recommandation b"),
        0);
    EXPECT_EQ(Text_Order_Compare(u"Même", u"Même"), 0);
}

TEST(Result_Model, Every_Sort_Is_A_Total_Order) {
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

TEST(Result_Model, Large_Text_Sorts_Follow_The_Text_Order) {
    // Enough distinct texts to be sorted on two threads; texts of the store held as
    // Windows-1252 bytes or as UTF-16 ("ő", "Ω"), many sharing more than a key's worth of
    // base letters, so that their order is decided further on, two of them by the second
    // letter of an "œ" that straddles the end of a key.
    const QStringList words = {u"énergie"_qs, u"Energie"_qs, u"energie"_qs, u"œuvre"_qs, u"Ő"_qs,
                               u"ő"_qs,       u"Ω"_qs,       u"_x"_qs,      u"10"_qs,    u" "_qs};
    const QString prefix = u"Recommandation générale numéro "_qs;
    QRandomGenerator rng(11);
    QStringList cells;
    for (int i = 0; i < 20000; ++i) {
        QString s = rng.bounded(2) ? prefix : QString();
        for (int n = 4 + rng.bounded(3); n > 0; --n) s += words[rng.bounded(words.size())];
        cells << s;
    }
    const QString before_end(Text_Order_Key_Slots - 1, u'x');
    cells << before_end + u"opéra"_qs << before_end + u"œuvre"_qs;
    for (int code : {5, 6}) {
        QStringList expected = cells;
        std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
            const int c = Text_Order_Compare(a, b);
            return code == 5 ? c < 0 : c > 0;
        });
        EXPECT_EQ(Sorted_By(cells, code), expected) << "code " << code;
    }
}

TEST(Result_Model, Ties_Keep_Their_Previous_Order_In_Every_Sort) {
    std::vector<QStringList> rows;  // ids 1 to 6, keys b and a in turn
    for (int id = 1; id <= 6; ++id) rows.push_back({QString::number(id), id % 2 ? u"b"_qs : u"a"_qs});
    for (int code = 1; code <= 6; ++code) {
        Hand_Result r({u"4"_qs, u"5"_qs}, {u"Id"_qs, u"Key"_qs}, rows);
        r.Model.Sort(0, Sort_Rule::Number, false);  // the previous order: 6 to 1
        const Sort_Rule rule = code <= 2 ? Sort_Rule::Generic : code <= 4 ? Sort_Rule::Number : Sort_Rule::Text;
        r.Model.Sort(1, rule, code % 2 == 1);
        const QStringList a{u"6"_qs, u"4"_qs, u"2"_qs}, b{u"5"_qs, u"3"_qs, u"1"_qs};
        EXPECT_EQ(Ids(r.Model), code % 2 ? a + b : b + a) << "code " << code;
        // Each row keeps its record, its cells and its place in the lookups.
        EXPECT_EQ(Column(r.Model, 0), Ids(r.Model));
        EXPECT_EQ(r.Model.Row_Of(r.Model.Record_At(4)), 4);
    }
}

TEST(Result_Model, Identical_Neighbours_Merge_And_Rows_Name_Their_Records) {
    Hand_Result r({u"5"_qs, u"5"_qs}, {u"A"_qs, u"B"_qs},
                  {{u"same"_qs, u""_qs}, {u"same"_qs, u""_qs}, {u"same"_qs, u"x"_qs}, {u"other"_qs, u"x"_qs}});
    const Result_Model& m = r.Model;
    const QModelIndex cell = m.index(2, 0);
    EXPECT_EQ(m.data(cell).toString(), u"same"_qs);
    EXPECT_EQ(m.data(cell, Result_Model::Record_Role).toInt(), 3);
    EXPECT_TRUE(m.data(cell, Result_Model::Merged_Above_Role).toBool());
    EXPECT_FALSE(m.Same_As_Above(0, 0));  // nothing above the first row
    EXPECT_FALSE(m.Same_As_Above(3, 0));
    EXPECT_TRUE(m.Same_As_Above(1, 1));
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), u"B"_qs);
    EXPECT_EQ(m.Record_At(4), 0);
    EXPECT_EQ(m.Row_Of(9), -1);
}
