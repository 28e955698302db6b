#include "search/Sorting.h"

#include "Grid_Cells.h"

#include "model/Record_Description.h"
#include "search/Text_Order.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>
#include <climits>
#include <numeric>

namespace {

QStringList Pictures(const Text_Grid& g) {
    QStringList out;
    for (int c = 0; c < g.Cols(); ++c) {
        const Grid_Picture p = g.Cell_Picture(0, c);
        out << (p == Grid_Picture::Ascending ? u"asc"_qs : p == Grid_Picture::Descending ? u"desc"_qs : u"-"_qs);
    }
    return out;
}

// Fields 1..7 shown in grid columns 1..7, one of each kind; field 8 not shown.
class Single_Field : public ::testing::Test {
protected:
    void SetUp() override {
        const char* types[] = {"1", "5", "4", "2", "3", "6", "9", "5"};
        for (int i = 0; i < 8; ++i) {
            Champ_Args a;
            a.Nom = QStringLiteral("F%1").arg(i + 1);
            a.Data_Type = QString::fromLatin1(types[i]);
            description.add(a);
        }
        field_grid_col = {-1, 1, 2, 3, 4, 5, 6, 7, -1};
        grid_col_field = {0, 1, 2, 3, 4, 5, 6, 7, 0};
        // Every sortable column orders the records 2, 1, 3 ascending; a case-blind,
        // accent-aware or numeric order is needed for that.
        Fill_Grid(grid, {u"Code"_qs, u"Name"_qs, u"Count"_qs, u"When"_qs, u"Hour"_qs, u"Memo"_qs, u"Odd"_qs},
                  {{u"Espagne"_qs, u"éric"_qs, u"10"_qs, u"2020-01-05"_qs, u"14:00"_qs, u"B"_qs, u"q"_qs},
                   {u"Belgique"_qs, u"Adam"_qs, u"2"_qs, u"2019-03-01"_qs, u"09:15"_qs, u"a"_qs, u"p"_qs},
                   {u"France"_qs, u"zoé"_qs, u"33"_qs, u"2021-07-30"_qs, u"23:59"_qs, u"c"_qs, u"r"_qs}});
    }
    Result_Grid_Ref Ref() { return {grid, field_grid_col, grid_col_field, &description}; }

    Record description;
    std::vector<qint32> field_grid_col, grid_col_field;
    Text_Grid grid;
    Single_Field_Sort state{8};
};

const QStringList Ascending = {u"2"_qs, u"1"_qs, u"3"_qs};
const QStringList Descending = {u"3"_qs, u"1"_qs, u"2"_qs};
const QStringList Unsorted = {u"1"_qs, u"2"_qs, u"3"_qs};

}  // namespace

TEST_F(Single_Field, Header_Clicks_Toggle_By_Data_Type) {
    const struct {
        qint32 field;
        std::vector<qint32> codes;
    } cases[] = {
        {1, {5, 6, 5}}, {2, {5, 6, 5}}, {6, {5, 6, 5}}, {3, {3, 4, 3}}, {4, {3, 4, 3}}, {5, {3, 4, 3}}, {7, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SetUp();
        state = Single_Field_Sort(8);
        for (size_t click = 0; click < c.codes.size(); ++click) {
            DoSort(Ref(), state, Value::Long(c.field));
            const qint32 code = c.codes[click];
            EXPECT_EQ(state.Sort_Field, c.field);
            EXPECT_EQ(state.Sort_State[c.field], code) << "field " << c.field << " click " << click;
            EXPECT_EQ(std::accumulate(state.Sort_State.begin(), state.Sort_State.end(), 0), code);
            QStringList pics(8, u"-"_qs);
            if (code) pics[c.field] = code % 2 ? u"asc"_qs : u"desc"_qs;
            EXPECT_EQ(Pictures(grid), pics) << "field " << c.field;
            EXPECT_EQ(grid.Cell_Picture_Alignment(0, 3), Grid_Alignment::Right_Top);
            EXPECT_EQ(Column(grid, 0), code == 0  ? Unsorted
                                       : code % 2 ? Ascending
                                                  : Descending)
                << "field " << c.field << " click " << click;
        }
    }
}

TEST_F(Single_Field, Another_Column_Takes_Over_And_A_Hidden_Field_Does_Nothing) {
    DoSort(Ref(), state, Value::Long(2));
    DoSort(Ref(), state, Value::Long(3));
    EXPECT_EQ(state.Sort_State[2], 0);
    EXPECT_EQ(state.Sort_State[3], 3);
    EXPECT_EQ(Pictures(grid), (QStringList{u"-"_qs, u"-"_qs, u"-"_qs, u"asc"_qs, u"-"_qs, u"-"_qs, u"-"_qs, u"-"_qs}));
    const QStringList before = Column(grid, 0);
    DoSort(Ref(), state, Value::Long(8));  // not shown
    EXPECT_EQ(state.Sort_Field, 3);
    EXPECT_EQ(Column(grid, 0), before);
}

// Group codes sort in the order of their counters, as texts. How the dialog shows stored keys is
// frmTrier_test.cpp's business.
TEST(Sorting, Group_Codes_Sort_In_Their_Order) {
    for (qint32 n = 1; n < 300; ++n) EXPECT_LT(Text_Order_Compare(Group_Code(n), Group_Code(n + 1)), 0) << n;
    EXPECT_LT(Text_Order_Compare(Group_Code(65534), Group_Code(65535)), 0);
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

// The rows as shown, without the record numbers and the key column.
QStringList Row_Texts(const Text_Grid& g) {
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r) {
        QStringList cells;
        for (int c = 1; c <= 4; ++c) cells << g.Text_Matrix(r, c);
        out << cells.join(u'|');
    }
    return out;
}

// Country ascending, year descending, area ascending, name descending.
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
    Text_Grid g;
    Fill_Grid(g, Headers, rows);
    using C = Sort_Key_Choice;
    const Sort_Key_Choices choices = {C{1, true}, C{2, false}, C{3, true}, C{4, false}};

    Multi_Key_Sort dialog;
    ASSERT_TRUE(dialog.Load(g));
    EXPECT_EQ(g.Cols(), 6);
    EXPECT_EQ(dialog.Key_Col(), 5);
    EXPECT_EQ(g.Col_Width(5), 0);
    EXPECT_EQ(dialog.Key_Entries(), (QStringList{u"Undefined"_qs, u"Country"_qs, u"Year"_qs, u"Area"_qs, u"Name"_qs}));
    g.Set_Redraw(false);
    EXPECT_EQ(dialog.Apply(choices), Multi_Key_Sort::Result::Sorted);
    EXPECT_TRUE(g.Redraw());
    const QStringList shown = Row_Texts(g);
    EXPECT_EQ(shown, Expected_Texts(rows));
    // Column 0 still names each row's record.
    for (int r = 1; r < g.Rows(); ++r) EXPECT_EQ(rows[g.Text_Matrix(r, 0).toInt() - 1].join(u'|'), shown[r - 1]) << r;
    // Pressing "Sort" again gives the same order (the key column starts afresh).
    EXPECT_EQ(dialog.Apply(choices), Multi_Key_Sort::Result::Sorted);
    EXPECT_EQ(Row_Texts(g), Expected_Texts(rows));

    Sort_Keys_T keys{};
    dialog.Unload(choices, keys);
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_EQ(g.Cols(), 5);
    EXPECT_EQ(keys, (Sort_Keys_T{1, -2, 3, -4}));
}
