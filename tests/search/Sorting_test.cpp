#include "search/Sorting.h"

#include "Result_Cells.h"

#include "search/Text_Order.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>
#include <climits>
#include <numeric>

namespace {

QStringList Arrows(const Result_Model& m) {
    QStringList out;
    for (int c = 0; c < m.Columns(); ++c) {
        const Sort_Arrow a = m.Arrow(c);
        out << (a == Sort_Arrow::Ascending ? u"asc"_qs : a == Sort_Arrow::Descending ? u"desc"_qs : u"-"_qs);
    }
    return out;
}

// Fields 1..7 in columns 0..6, one of each kind; every sortable column orders the records
// 2, 1, 3 ascending, for which a case-blind, accent-aware or numeric order is needed.
std::unique_ptr<Hand_Result> Seven_Kinds() {
    return std::make_unique<Hand_Result>(
        QStringList{u"1"_qs, u"5"_qs, u"4"_qs, u"2"_qs, u"3"_qs, u"6"_qs, u"9"_qs},
        QStringList{u"Code"_qs, u"Name"_qs, u"Count"_qs, u"When"_qs, u"Hour"_qs, u"Memo"_qs, u"Odd"_qs},
        std::vector<QStringList>{{u"Espagne"_qs, u"éric"_qs, u"10"_qs, u"2020-01-05"_qs, u"14:00"_qs, u"B"_qs, u"q"_qs},
                                 {u"Belgique"_qs, u"Adam"_qs, u"2"_qs, u"2019-03-01"_qs, u"09:15"_qs, u"a"_qs, u"p"_qs},
                                 {u"France"_qs, u"zoé"_qs, u"33"_qs, u"2021-07-30"_qs, u"23:59"_qs, u"c"_qs, u"r"_qs}});
}

struct Single_Field : ::testing::Test {
    std::unique_ptr<Hand_Result> result = Seven_Kinds();
    Result_Model& m = result->Model;
    Single_Field_Sort state{8};
};

const QStringList Ascending = {u"2"_qs, u"1"_qs, u"3"_qs};
const QStringList Descending = {u"3"_qs, u"1"_qs, u"2"_qs};
const QStringList Unsorted = {u"1"_qs, u"2"_qs, u"3"_qs};

}  // namespace

TEST_F(Single_Field, Header_Clicks_Toggle_By_Data_Type) {
    const std::pair<qint32, std::vector<qint32>> cases[] = {
        {1, {5, 6, 5}}, {2, {5, 6, 5}}, {6, {5, 6, 5}}, {3, {3, 4, 3}}, {4, {3, 4, 3}}, {5, {3, 4, 3}}, {7, {0, 0, 0}},
    };
    for (const auto& [field, codes] : cases) {
        state = Single_Field_Sort(8);
        const auto fresh = Seven_Kinds();
        Result_Model& m = fresh->Model;
        for (size_t click = 0; click < codes.size(); ++click) {
            SCOPED_TRACE(testing::Message() << "field " << field << " click " << click);
            Sort_By_Heading(m, state, Value::Long(field));
            const qint32 code = codes[click];
            EXPECT_EQ(state.Sort_Field, field);
            EXPECT_EQ(state.Sort_State[field], code);
            EXPECT_EQ(std::accumulate(state.Sort_State.begin(), state.Sort_State.end(), 0), code);
            QStringList arrows(7, u"-"_qs);
            if (code) arrows[field - 1] = code % 2 ? u"asc"_qs : u"desc"_qs;
            EXPECT_EQ(Arrows(m), arrows);
            EXPECT_EQ(Ids(m), code == 0 ? Unsorted : code % 2 ? Ascending : Descending);
        }
    }
}

TEST_F(Single_Field, Another_Column_Takes_Over_And_A_Field_Not_Shown_Does_Nothing) {
    Sort_By_Heading(m, state, Value::Long(2));
    Sort_By_Heading(m, state, Value::Long(3));
    EXPECT_EQ(state.Sort_State[2], 0);
    EXPECT_EQ(state.Sort_State[3], 3);
    EXPECT_EQ(Arrows(m), (QStringList{u"-"_qs, u"-"_qs, u"asc"_qs, u"-"_qs, u"-"_qs, u"-"_qs, u"-"_qs}));
    const QStringList before = Ids(m);
    Sort_By_Heading(m, state, Value::Long(8));  // no such column
    EXPECT_EQ(state.Sort_Field, 3);
    EXPECT_EQ(Ids(m), before);
    EXPECT_EQ(Choices_From_Sort_Keys({INT_MIN, 1, 0, 0}, 5), Sort_Key_Choices{});
}

namespace {

const QStringList Headers = {"Country", "Year", "Area", "Name"};

// Rows of a country, a year, an area and a name, with many ties.
std::vector<QStringList> Make_Rows(int n) {
    const QStringList countries = {u"France"_qs, u"éire"_qs, u"Eire"_qs, u"Belgique"_qs, u"Österreich"_qs};
    const QStringList areas = {u"Eau"_qs, u"air"_qs, u"Sol"_qs};
    QRandomGenerator rng(11);
    std::vector<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({countries[rng.bounded(countries.size())], QString::number(2000 + rng.bounded(25)),
                        areas[rng.bounded(areas.size())], QStringLiteral("Projet %1").arg(rng.bounded(40))});
    return rows;
}

QStringList Row_Texts(const Result_Model& m) {
    QStringList out;
    for (int r = 0; r < m.Records(); ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c) cells << m.Text(r, c);
        out << cells.join(u'|');
    }
    return out;
}

// Country ascending, year descending, area ascending, name descending; ties in record order.
QStringList Expected_Texts(std::vector<QStringList> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
        if (const int c = Text_Order_Compare(a[0], b[0])) return c < 0;
        if (a[1] != b[1]) return a[1].toInt() > b[1].toInt();
        if (const int c = Text_Order_Compare(a[2], b[2])) return c < 0;
        return Text_Order_Compare(a[3], b[3]) > 0;
    });
    QStringList out;
    for (const QStringList& r : rows) out << r.join(u'|');
    return out;
}

}  // namespace

TEST(Sorting, Four_Keys_With_Ties_And_Descending_Keys) {
    const std::vector<QStringList> rows = Make_Rows(400);
    Hand_Result r({u"5"_qs, u"4"_qs, u"5"_qs, u"5"_qs}, Headers, rows);
    Result_Model& m = r.Model;
    using C = Sort_Key_Choice;
    const Sort_Key_Choices choices = {C{1, true}, C{2, false}, C{3, true}, C{4, false}};

    Multi_Key_Sort dialog;
    ASSERT_TRUE(dialog.Load(m));
    EXPECT_EQ(dialog.Key_Entries(), (QStringList{u"Undefined"_qs, u"Country"_qs, u"Year"_qs, u"Area"_qs, u"Name"_qs}));
    EXPECT_EQ(dialog.Apply(choices), Multi_Key_Sort::Result::Sorted);
    const QStringList shown = Row_Texts(m);
    EXPECT_EQ(shown, Expected_Texts(rows));
    // Each row still names its record.
    for (int i = 0; i < m.Records(); ++i) EXPECT_EQ(rows[m.Record_At(i) - 1].join(u'|'), shown[i]) << i;
    EXPECT_EQ(m.Key_Number(1), 2);
    EXPECT_EQ(m.Arrow(1), Sort_Arrow::Descending);

    Sort_Key_Columns keys{};
    dialog.Unload(choices, keys);
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(keys, (Sort_Key_Columns{1, -2, 3, -4}));
}
