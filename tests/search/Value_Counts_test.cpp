#include "Result_Cells.h"
#include "Search_Fixture.h"

#include "model/Cp1252.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "search/Value_Counts.h"

namespace {

// Every record of the fixture, with its areas set per record.
struct Counts_Test : Search_Test {
    Search_Results s{session};
    void SetUp() override {
        Search_Test::SetUp();
        const char* areas[3][3] = {{"INC", "inc", "MOB"}, {"MOB", "", ""}, {"", "", ""}};
        for (int r = 1; r <= 3; ++r)
            for (int k = 0; k < 3; ++k)
                if (*areas[r - 1][k])
                    session.Records()(r, Field_Number("DomReco1") + k) =
                        Value::String(QString::fromLatin1(areas[r - 1][k]));
        Search_All(s, "EN");
    }
    static QStringList Lines(const Value_Counts& c) {
        QStringList out;
        for (const Value_Count& v : c.Rows) out << QStringLiteral("%1=%2").arg(v.Label).arg(v.Count);
        return out;
    }
};

}  // namespace

TEST_F(Counts_Test, Groups_Empty_Values_Orders_And_Languages) {
    const struct {
        const char* field;
        const char* lang;
        Count_Order order;
        QStringList lines;
    } cases[] = {
        // Any area stands for the three; "INC" and "inc" in one record count once.
        {"DomReco2", "EN", Count_Order::By_Count, {"Mobility and transport=2", "Social inclusion=1", "=1"}},
        {"DomReco1", "FR", Count_Order::By_Label, {"Inclusion sociale=1", "Mobilité et transports=2", "=1"}},
        {"EM", "EN", Count_Order::By_Count, {"Belgium=1", "France=1", "Germany=1"}},
        {"PortName", "EN", Count_Order::By_Label, {"Dupont=1", "Müller=1", "=1"}},
    };
    for (const auto& c : cases) {
        Use_Language(c.lang);
        ASSERT_EQ(Search_All(s, c.lang), 3);
        const Value_Counts counts = Count_Values(s, Field_Number(c.field), c.lang, c.order);
        EXPECT_EQ(Lines(counts), c.lines) << c.field;
        EXPECT_EQ(counts.Records, 3);
    }
}

// The areas of record 3 are all empty, record 2 holds one of three: "Empty" on the group finds
// record 3 alone, and the counts of either result agree with it on the empty line.
TEST_F(Counts_Test, Empty_Group_Search_And_Its_Counts_Agree) {
    for (const bool negation : {false, true}) {
        Criteria c;
        c.Rows[0] = {true, Field_Number("DomReco1"), Op_Empty, QString(), negation};
        ASSERT_EQ(Run_Search(session, s, c), negation ? 2 : 1);
        const Value_Counts counts = Count_Values(s, Field_Number("DomReco1"), "EN");
        if (negation)
            EXPECT_EQ(Lines(counts), (QStringList{"Mobility and transport=2", "Social inclusion=1"}));
        else
            EXPECT_EQ(Lines(counts), QStringList{"=1"});
    }
}

TEST_F(Counts_Test, Csv_And_Clipboard_Text) {
    Use_Language("FR");
    Search_All(s, "FR");
    const Value_Counts names = Count_Values(s, Field_Number("ProjName"), "FR", Count_Order::By_Label);
    EXPECT_EQ(Cp1252_Decode(Counts_Csv_Bytes(names, "FR")),
              "\"Value\";\"Count\";\"Share\"\r\n\"Open \"\"City\"\"\";1;33,3\r\n\"Plain\";1;33,3\r\n"
              "\"Réseau; ville\";1;33,3\r\n");
    const Value_Counts areas = Count_Values(s, Field_Number("DomReco1"), "EN", Count_Order::By_Count);
    EXPECT_TRUE(Counts_Csv_Bytes(areas, "EN").endsWith("\r\n\"\";1;33.3\r\n"));
    EXPECT_EQ(Counts_Clip_Text(names, "EN"),
              "Nom du Projet\tCount\tShare (%)\r\n\"Open \"\"City\"\"\"\t1\t33.3\r\n"
              "Plain\t1\t33.3\r\n\"Réseau; ville\"\t1\t33.3\r\n");
    // A label Windows-1252 cannot hold makes the file UTF-8, marked as such.
    session.Records()(1, Field_Number("ProjName")) = Value::String(QStringLiteral("Ελλάδα"));
    Search_All(s, "FR");
    EXPECT_TRUE(Counts_Csv_Bytes(Count_Values(s, Field_Number("ProjName"), "FR"), "FR")
                    .startsWith("\xEF\xBB\xBF\"Value\";"));
}

TEST_F(Counts_Test, A_Cell_Criterion_Selects_The_Records_Holding_That_Value) {
    session.Records()(1, Field_Number("ProjName")) = Value::String("a*b?c#d[e");
    session.Records()(2, Field_Number("ProjName")) = Value::String("aXbYc1d[e");
    session.Records()(3, Field_Number("ProjName")) = Value::String(QString(300, u'x'));
    const struct {
        const char* field;
        int record;
        bool exclude;
        std::vector<int> selected;  // empty: refused
    } cases[] = {
        {"ProjName", 1, false, {1}},  // wildcards match themselves
        {"ProjName", 2, true, {1, 3}},  {"DomReco2", 1, false, {1}},  // "inc": the areas' entry, any area
        {"DomReco1", 2, false, {1, 2}},  // MOB
        {"EM", 2, true, {1, 3}},  // "fr"
        {"PortName", 3, false, {3}},  // empty: the "Empty" operator
        {"PortName", 3, true, {1, 2}},  {"ProjName", 3, false, {}},  // longer than a criterion may be
    };
    for (const auto& c : cases) {
        QString why;
        const auto row = Criterion_For_Cell(session.Description(), Field_Number(c.field),
                                            session.Records()(c.record, Field_Number(c.field)), c.exclude, "EN", why);
        if (c.selected.empty()) {
            EXPECT_FALSE(row) << c.field;
            EXPECT_TRUE(why.contains("too long")) << why.toStdString();
            continue;
        }
        ASSERT_TRUE(row) << c.field << " " << why.toStdString();
        Criteria crit;
        crit.Rows[0] = *row;
        Mark_Selection(session, crit);
        std::vector<int> selected;
        for (int r = 1; r <= 3; ++r)
            if (session.Records()(r, Selection_Mark).rawBool()) selected.push_back(r);
        EXPECT_EQ(selected, c.selected) << c.field << " " << row->Value_Text.toStdString();
    }
}

TEST_F(Counts_Test, Copied_Cells_Come_With_Their_Headings) {
    Hand_Result r({"5", "5", "5"}, {"Name", "Hidden", "Note"}, {{"Plain", "x", "a\tb"}, {"Open \"City\"", "y", "c"}});
    const auto shown = [](int col) { return col != 1; };
    const QString both = "Name\tNote\r\nPlain\t\"a\tb\"\r\n\"Open \"\"City\"\"\"\tc\r\n";
    EXPECT_EQ(Clip_Range_Text(r.Model, 0, 0, 1, 2, shown), both);
    EXPECT_EQ(Clip_Range_Text(r.Model, 1, 2, 1, 2, shown), "Note\r\nc\r\n");
    EXPECT_EQ(Clip_Range_Text(r.Model, 0, 1, 0, 1, shown), "");  // only a hidden column
}

TEST_F(Counts_Test, Counts_Open_On_A_Column_Whose_Chart_Tells_Something) {
    session.Records()(2, Field_Number("RecoEN")) = Value::String(QString(Short_Text_Length + 1, QLatin1Char('x')));
    const struct {
        const char* lang;
        const char* current;  // "" : no column
        const char* opened;
    } cases[] = {
        {"EN", "Year", "Year"},
        {"EN", "EM", "EM"},
        {"EN", "DomReco2", "DomReco2"},
        {"EN", "ProjName", "ProjName"},
        {"EN", "RecoEN", "EM"},  // a paragraph: the first coded field
        {"EN", "", "EM"},
        {"FR", "RecoFr", "RecoFr"},  // short texts in French
    };
    for (const auto& c : cases) {
        Search_All(s, c.lang);
        const qint32 current = *c.current ? Field_Number(c.current) : 0;
        EXPECT_EQ(Counts_Opening_Field(s, current, c.lang), Field_Number(c.opened)) << c.lang << " " << c.current;
    }
}
