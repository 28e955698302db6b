#include "Search_Window_Access.h"

// Ctrl+F, typing, the count line, Enter to the rows found, Escape; what export and print
// are told; the record Enter or Space on a row opens.
TEST_F(Search_Window_Test, QuickFindNarrowsTheResultUntilEscape) {
    Search_Window& s = Open(true);
    QLineEdit* box = s.Quick_Find_Box;
    EXPECT_FALSE(box->accessibleName().isEmpty() || box->placeholderText().isEmpty());
    const QString all = Count_Line(s);
    const int records = s.Results.Model.Records();
    QTest::keyClick(s.Result_Grid, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(s.focusWidget(), box);

    QTest::keyClicks(box, "LA MOBILITE");
    const Result_Model& m = s.Results.Model;
    ASSERT_GT(m.Records(), 0);
    ASSERT_LT(m.Records(), records);
    EXPECT_EQ(Count_Line(s), QString("%1 of %2 Records found").arg(m.Records()).arg(records));
    EXPECT_TRUE(s.Criteria_Sentence().endsWith(". Quick find: LA MOBILITE")) << s.Criteria_Sentence().toStdString();

    std::vector<int> opened;
    QObject::connect(&s, &Search_Window::Record_Asked, &s, [&](int record) { opened.push_back(record); });
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(s.focusWidget(), s.Result_Grid);
    s.Result_Grid->setCurrentIndex(m.index(0, 0));
    QTest::keyClick(s.Result_Grid, Qt::Key_Return);
    QTest::keyClick(s.Result_Grid, Qt::Key_Space);
    EXPECT_EQ(opened, std::vector<int>(2, m.Record_At(0)));

    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_EQ(Count_Line(s), all);
        EXPECT_EQ(m.Records(), records);
    }
    EXPECT_FALSE(s.Criteria_Sentence().contains("Quick find"));
}
