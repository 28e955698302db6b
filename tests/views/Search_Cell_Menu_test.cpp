#include "Search_Window_Access.h"

TEST_F(Search_Window_Test, CellMenuFiltersOnTheStoredValueAndAsksForCounts) {
    Search_Window& s = Open(true);
    Scoped_Recorder rec;
    std::vector<qint32> counts_asked;
    QObject::connect(&s, &Search_Window::Counts_Asked, [&](qint32 f) { counts_asked.push_back(f); });
    const int area1 = Field_Number("DomReco1");
    const int col = Result_Column(s.Results, "DomReco1");
    const Result_Model& m = s.Results.Model;
    const auto actions = [&](int row) {
        std::unique_ptr<QMenu> menu(s.Build_Cell_Menu(row, col, &s));
        QStringList texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) texts << Plain_Caption(a->text());
        return texts;
    };
    const auto run = [&](int row, const QString& text) {
        std::unique_ptr<QMenu> menu(s.Build_Cell_Menu(row, col, &s));
        for (QAction* a : menu->actions())
            if (Plain_Caption(a->text()) == text) a->trigger();
    };
    EXPECT_EQ(actions(-1), QStringList{"Counts of this column..."});
    EXPECT_EQ(actions(0),
              (QStringList{"Show only this value", "Exclude this value", "Copy", "Counts of this column..."}));
    run(-1, "Counts of this column...");
    EXPECT_EQ(counts_asked, std::vector<qint32>{area1});

    // Which records the row selects: Value_Counts_test.cpp.
    const int all = s.Results.Result_Rows();
    int row = 0;
    while (m.Text(row, col).isEmpty()) ++row;
    const QString code = To_Text(session.Records()(m.Record_At(row), area1));
    run(row, "Show only this value");
    EXPECT_TRUE(s.Rows->Active[1]->isChecked() && !s.Rows->Negation[1]->isChecked() && s.Combine_With_And->isChecked());
    EXPECT_EQ(QStringList(
                  {s.Rows->Field[1]->currentText(), s.Rows->Operator[1]->currentText(), s.Rows->Value_Text[1]->text()}),
              QStringList({"Area of reco", "Equal", code.toUpper()}));
    EXPECT_LT(s.Results.Result_Rows(), all);

    // Excluding a second area of the result narrows it further.
    int other = 0;
    while (m.Text(other, col).isEmpty() || m.Text(other, col) == m.Text(row, col)) ++other;
    const int before = s.Results.Result_Rows();
    run(other, "Exclude this value");
    EXPECT_TRUE(s.Rows->Negation[2]->isChecked());
    EXPECT_LT(s.Results.Result_Rows(), before);

    // No inactive row left: a message, and nothing changes.
    const int now = s.Results.Result_Rows();
    run(1, "Show only this value");
    ASSERT_EQ(rec->shown.size(), 1u);
    EXPECT_TRUE(rec->shown[0].text.contains("all active"));
    EXPECT_EQ(s.Results.Result_Rows(), now);
}
