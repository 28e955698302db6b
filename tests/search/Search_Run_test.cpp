#include "Search_Fixture.h"

#include "search/Criteria_Form.h"

TEST_F(Search_Test, Counts_Captions_And_Grid) {
    const struct {
        const char* name;
        Criterion_Row row;
        const char* caption;
        int gridRows;
    } cases[] = {
        {"no usable row", {}, "No match", 2},
        {"one", {true, 1, Op_Equal, "2004", false}, "1 Record found", 2},
        {"two", {true, 1, Op_Superior, "2000", false}, "2 Records found", 3},
        {"none", {true, 1, Op_Equal, "1800", false}, "No match", 2},
    };
    for (const auto& c : cases) {
        Search_Results s;
        Criteria cr;
        cr.Rows[0] = c.row;
        Run_Search(s, cr, "EN");
        EXPECT_EQ(s.Nb_Records_Caption, c.caption) << c.name;
        EXPECT_EQ(s.Data.Rows(), c.gridRows) << c.name;
        EXPECT_EQ(s.Output_Enabled, s.Result_Rows() > 0) << c.name;
    }
}

// The field lists follow the language (Search_test.cpp); the operators follow the field's kind.
TEST_F(Search_Test, Operators_Offered_By_Field) {
    const struct {
        qint32 item;
        QList<qint32> ops;
    } cases[] = {
        {Any_Fields, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {1, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {7, {0, 8}},
        {99, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Offered_Operators(c.item), c.ops) << c.item;
}

// How the value box looks is the search window tests' business (Search_test.cpp).
TEST_F(Search_Test, Value_Check_And_Description) {
    const struct {
        qint32 item;
        std::optional<qint32> oper;
        const char* text;
        const char* refused;
        const char* description;
    } cases[] = {
        {7, Op_Equal, "DE", "", "Germany"},     {7, Op_Equal, "D", "Unkownn code", ""},
        {7, Op_Empty, "whatever", "", ""},      {1, Op_Equal, "19x8", "Not numeric", ""},
        {1, Op_Equal, "-3", "Below Zero", ""},  {1, Op_Equal, "", "", ""},
        {Any_Fields, Op_Equal, "19x8", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check_Criterion_Value(c.item, c.oper, c.text), c.refused) << c.item << c.text;
        EXPECT_EQ(Value_Description(c.item, c.oper, c.text), c.description) << c.item << c.text;
    }
}
