#include "Search_Fixture.h"

#include "search/Criteria_Form.h"

TEST_F(Search_Test, Counts_Captions_And_Grid) {
    struct Case {
        const char* name;
        Criterion_Row row;
        const char* caption;
        int gridRows;
    };
    const Case cases[] = {
        {"no usable row", {}, "No match", 2},
        {"one", {true, 1, Op_Equal, "2004", false}, "1 Record found", 2},
        {"two", {true, 1, Op_Superior, "2000", false}, "2 Records found", 3},
        {"none", {true, 1, Op_Equal, "1800", false}, "No match", 2},
    };
    for (const Case& c : cases) {
        Search_Results s;
        Criteria cr;
        cr.Rows[0] = c.row;
        Run_Search(s, cr, "EN");
        EXPECT_EQ(s.Nb_Records_Caption, c.caption) << c.name;
        EXPECT_EQ(s.Data.Rows(), c.gridRows) << c.name;
        EXPECT_EQ(s.Output_Enabled, s.Result_Rows() > 0) << c.name;
    }
}

TEST_F(Search_Test, Grid_Shows_The_Language_And_Decoded_Codes) {
    Search_Results s;
    for (const auto& [lang, year, em, shown, gone, text] :
         {std::tuple{"EN", "Year", "Germany", "RecoEN", "RecoFr", "text two"},
          {"FR", "Année", "Allemagne", "RecoFr", "RecoEN", "texte deux"}}) {
        Use_Language(lang);
        Search_All(s, lang);
        ASSERT_EQ(s.Data.Cols(), 17);
        EXPECT_EQ(s.Data.Text_Matrix(0, 1), year);
        EXPECT_EQ(s.Data.Text_Matrix(1, Grid_Column(s, "EM")), em);
        EXPECT_EQ(s.Data.Text_Matrix(1, 0), "1");  // record number, hidden
        EXPECT_EQ(s.Data.Col_Width(0), 0);
        EXPECT_EQ(Grid_Column(s, gone), -1);
        EXPECT_EQ(s.Data.Text_Matrix(2, Grid_Column(s, shown)), text);
    }
}

TEST_F(Search_Test, Sort_Survives_A_New_Search) {
    Search_Results s;
    Search_All(s, "EN");
    for (int click = 0; click < 2; ++click) DoSort(s.Grid_Ref(), s.Sort, Value::Long(1));  // descending
    Search_All(s, "EN");
    EXPECT_EQ(Column(s.Data, 1), (QStringList{"2010", "2004", "1999"}));
    EXPECT_EQ(Column(s.Data, 0), (QStringList{"3", "1", "2"}));  // the record numbers moved with their rows
}

TEST_F(Search_Test, Field_Entries_And_Operators) {
    const QList<Field_Entry> en = Field_Entries("EN");
    QStringList texts;
    for (const Field_Entry& e : en) texts << e.Text;
    EXPECT_EQ(texts.first(), "[Any fields]");
    EXPECT_EQ(texts.count("Area of reco"), 1);  // shared search label once
    EXPECT_TRUE(texts.contains("Reco Text"));
    EXPECT_FALSE(texts.contains("Texte de la reco"));
    EXPECT_EQ(en[1].Item, 1);

    struct Case {
        qint32 item;
        QList<qint32> ops;
    };
    const Case cases[] = {
        {Any_Fields, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {1, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {7, {0, 8}},
        {99, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Offered_Operators(c.item), c.ops) << c.item;
    Record_Description->Get_Champs().Item(4)->Data_Type = "2";
    EXPECT_EQ(Offered_Operators(4), (QList<qint32>{0, 1, 2, 3, 4, 8}));
    Record_Description->Get_Champs().Item(4)->Field_Type = 2;
    EXPECT_EQ(Offered_Operators(4), QList<qint32>{0});
}

TEST_F(Search_Test, Value_Entry_And_Check) {
    struct Case {
        qint32 item;
        std::optional<qint32> oper;
        const char* text;
        const char* refused;
        const char* description;
    };
    const Case cases[] = {
        {7, Op_Equal, "DE", "", "Germany"},     {7, Op_Equal, "D", "Unkownn code", ""},
        {7, Op_Empty, "whatever", "", ""},      {1, Op_Equal, "19x8", "Not numeric", ""},
        {1, Op_Equal, "-3", "Below Zero", ""},  {1, Op_Equal, "", "", ""},
        {Any_Fields, Op_Equal, "19x8", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check_Criterion_Value(c.item, c.oper, c.text), c.refused) << c.item << c.text;
        EXPECT_EQ(Value_Description(c.item, c.oper, c.text), c.description) << c.item << c.text;
    }
    const Value_Entry any = Value_Entry_For(Any_Fields, Op_Content);
    EXPECT_EQ(any.kind, Value_Entry::Kind::Text_Box);
    EXPECT_EQ(any.Max_Length, 255);  // the longest field
    EXPECT_EQ(Value_Entry_For(7, Op_Empty).kind, Value_Entry::Kind::Hidden);
    EXPECT_TRUE(Value_Entry_For(7, Op_Equal).Show_Description);
    Record_Description->Get_Champs().Item(7)->Ref_Listes->Only_Value = true;
    const Value_Entry list = Value_Entry_For(7, Op_Equal);
    EXPECT_EQ(list.kind, Value_Entry::Kind::Label_List);
    EXPECT_EQ(list.List_Labels.first(), "Austria");
}
