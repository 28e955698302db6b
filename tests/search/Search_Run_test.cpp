#include "Search_Fixture.h"

TEST_F(Search_Test, Counts_Captions_And_Rows) {
    const struct {
        const char* name;
        Criterion_Row row;
        const char* caption;
        int rows;
    } cases[] = {
        {"no usable row", {}, "No match", 0},
        {"one", {true, 1, Op_Equal, "2004", false}, "1 Record found", 1},
        {"two", {true, 1, Op_Superior, "2000", false}, "2 Records found", 2},
        {"none", {true, 1, Op_Equal, "1800", false}, "No match", 0},
    };
    for (const auto& c : cases) {
        Search_Results s{session};
        Criteria cr;
        cr.Rows[0] = c.row;
        Run_Search(session, s, cr);
        EXPECT_EQ(s.Count_Caption, c.caption) << c.name;
        EXPECT_EQ(s.Model.rowCount(), c.rows) << c.name;
        EXPECT_EQ(s.Output_Enabled, s.Result_Rows() > 0) << c.name;
    }
}

// A code column's cells show their labels; the cells left empty show nothing, not a label.
TEST_F(Search_Test, Rows_Show_Labels_And_Empty_Cells_Blank) {
    Search_Results s{session};
    Run_Search(session, s, Every_Record());
    QStringList third;
    for (int c = 0; c < s.Model.columnCount(); ++c)
        if (!s.Model.Text(2, c).isEmpty()) third << s.Model.Text(2, c);
    EXPECT_EQ(third.join(u'|'), "2010|Plain|Belgium|text three");
}
