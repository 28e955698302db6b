#include "Output_Fixture.h"
#include "Test_Files.h"

#include "output/Counts_Window.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPointer>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Counts_Window_Test : Output_Test {
    Search_Results s;
    QWidget owner;
    void SetUp() override {
        Output_Test::SetUp();
        // 30 projects: more values than bars; areas in groups, one record with none.
        std::vector<Hand_Record> rows = Plain_Records(30);
        for (int n = 1; n <= 30; ++n) {
            Hand_Record& r = rows[n - 1];
            r["DomReco1"] = n % 3 ? "H" : "MOB";
            if (n % 2) r["DomReco3"] = "ENV";
        }
        rows.back().remove("DomReco1");
        Fill_Records(rows);
        Search_All(s, "EN");
    }
    static QStringList Categories(const Counts_Window& w) {
        const auto axes = w.Chart_View->chart()->axes(Qt::Vertical);
        return axes.isEmpty() ? QStringList() : static_cast<QBarCategoryAxis*>(axes.first())->categories();
    }
};

}  // namespace

TEST_F(Counts_Window_Test, Shows_A_Column_Group_In_Table_And_Chart_And_Follows_The_Language) {
    const int area3 = Field_Number("DomReco3");
    Counts_Window* w = Show_Counts_Window(s, &owner, area3);
    EXPECT_EQ(w->Field_List->currentText(), "Area of reco");
    EXPECT_EQ(w->windowTitle(), "Sifa_Soft Counts - Area of reco");
    ASSERT_EQ(w->Table->rowCount(), 4);
    const QStringList first{w->Table->item(0, 0)->text(), w->Table->item(0, 1)->text(), w->Table->item(0, 2)->text()};
    EXPECT_EQ(first, (QStringList{"Health", "20", "66.7"}));
    EXPECT_EQ(w->Table->item(3, 0)->text(), "(empty)");
    EXPECT_EQ(w->Table->item(3, 1)->text(), "1");
    EXPECT_EQ(Categories(*w).last(), "Health");  // the top bar is the first line

    // The same window comes forward for the next column; the values past the bars share one.
    EXPECT_EQ(Show_Counts_Window(s, &owner, Field_Number("ProjName")), w);
    EXPECT_EQ(w->Table->rowCount(), 30);
    EXPECT_EQ(Categories(*w).size(), Counts_Window::Max_Bars);
    EXPECT_EQ(Categories(*w).first(), "11 other values");
    w->By_Label->click();
    EXPECT_EQ(w->Table->item(0, 0)->text(), "Project 1");
    EXPECT_EQ(w->Table->item(1, 0)->text(), "Project 10");  // the grid's text order

    Use_Language("FR");
    Search_All(s, "FR");
    w->Field_List->setCurrentIndex(w->Field_List->findData(Field_Number("DomReco1")));
    Refresh_Counts_Window(&owner);
    EXPECT_EQ(w->Field_List->currentText(), "Domaine de la reco");
    EXPECT_EQ(w->Table->horizontalHeaderItem(1)->text(), "Nombre");
    EXPECT_EQ(w->Table->item(0, 0)->text(), "Environnement");  // by label, in French order
    EXPECT_EQ(w->Table->item(2, 0)->text(), "Santé");
    EXPECT_EQ(w->Table->item(2, 2)->text(), "66,7");

    // Copy, CSV, and the chart as PNG and SVG.
    QTest::keyClick(w->Table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Counts_Clip_Text(w->Counts(), "FR"));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Domaine de la reco\tNombre\tPart (%)\r\n"));
    QTemporaryDir dir;
    messages->fileAnswers = {dir.filePath("c.csv"), dir.filePath("c.png"), dir.filePath("c.svg"),
                             dir.filePath("no/c.csv")};
    w->cmdSave_Click();
    EXPECT_EQ(Read_Bytes(dir.filePath("c.csv")), Counts_Csv_Bytes(w->Counts(), "FR"));
    w->cmdSaveChart_Click();
    w->cmdSaveChart_Click();
    EXPECT_TRUE(Read_Bytes(dir.filePath("c.png")).startsWith("\x89PNG"));
    EXPECT_TRUE(Read_Bytes(dir.filePath("c.svg")).contains("<svg"));
    EXPECT_TRUE(messages->shown.empty());
    w->cmdSave_Click();
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].text.contains("could not be written"));

    // Escape closes it.
    w->show();
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}
