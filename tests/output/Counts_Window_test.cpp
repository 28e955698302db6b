#include "Output_Fixture.h"
#include "Test_Files.h"

#include "output/Counts_Window.h"

#include <QBarCategoryAxis>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace {

struct Counts_Window_Test : Output_Test {
    Search_Results s{session};
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
        QStringList out = axes.isEmpty() ? QStringList() : static_cast<QBarCategoryAxis*>(axes.first())->categories();
        for (QString& c : out) c.remove(QChar(0x200B));
        return out;
    }
    // The chart laid out again after a resize, and drawn anew with the bars that fit.
    static void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // The texts the chart shows left of its plot (the bars' labels) and inside it (the
    // counts beside the bars).
    static void Shown_Texts(const Counts_Window& w, QStringList& labels, QList<QRectF>& counts) {
        const QRectF plot = w.Chart_View->chart()->plotArea();
        for (QGraphicsItem* i : w.Chart_View->scene()->items()) {
            auto* t = qgraphicsitem_cast<QGraphicsTextItem*>(i);
            if (!t || !t->isVisible()) continue;
            const QRectF r = t->sceneBoundingRect();
            if (r.right() <= plot.left() + 1) labels << t->toPlainText();
            if (plot.contains(r.center())) counts << r;
        }
    }
};

}  // namespace

TEST_F(Counts_Window_Test, Shows_A_Column_Group_In_Table_And_Chart_And_Follows_The_Language) {
    const int area3 = Field_Number("DomReco3");
    Counts_Window* w = Show_Counts_Window(session, s, &owner, area3);
    EXPECT_EQ(w->Field_List->currentText(), "Area of reco");
    EXPECT_EQ(w->windowTitle(), "Sifa_Soft Counts - Area of reco");
    ASSERT_EQ(w->Table->rowCount(), 4);
    const QStringList first{w->Table->item(0, 0)->text(), w->Table->item(0, 1)->text(), w->Table->item(0, 2)->text()};
    EXPECT_EQ(first, (QStringList{"Health", "20", "66.7"}));
    EXPECT_EQ(w->Table->item(3, 0)->text(), "(empty)");
    EXPECT_EQ(w->Table->item(3, 1)->text(), "1");
    EXPECT_EQ(Categories(*w).last(), "Health");  // the top bar is the first line

    // The same window comes forward for the next column; the values past the bars share one.
    EXPECT_EQ(Show_Counts_Window(session, s, &owner, Field_Number("ProjName")), w);
    EXPECT_EQ(w->Table->rowCount(), 30);
    Settle();
    const int bars = Categories(*w).size();
    EXPECT_GT(bars, 5);
    EXPECT_LE(bars, Counts_Window::Max_Bars);
    EXPECT_EQ(Categories(*w).first(), QStringLiteral("%1 other values").arg(30 - bars + 1));
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
    w->Save_Counts();
    EXPECT_EQ(Read_Bytes(dir.filePath("c.csv")), Counts_Csv_Bytes(w->Counts(), "FR"));
    w->Save_Chart();
    w->Save_Chart();
    EXPECT_TRUE(Read_Bytes(dir.filePath("c.png")).startsWith("\x89PNG"));
    EXPECT_TRUE(Read_Bytes(dir.filePath("c.svg")).contains("<svg"));
    EXPECT_TRUE(messages->shown.empty());
    w->Save_Counts();
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].text.contains("could not be written"));

    // Save dialogs suggest a name in the folder used last.
    ASSERT_EQ(messages->fileRequests.size(), 4u);
    EXPECT_EQ(messages->fileRequests[0].fileName, "Sifa_counts.csv");
    EXPECT_EQ(messages->fileRequests[1].fileName, "Sifa_chart.png");
    EXPECT_EQ(messages->fileRequests[1].initialDirectory, dir.path());
}

// Every bar shows its label and its count, none dropped or cut to "...", the counts
// apart, however low the window (a scale factor of 2 on 1366x768 leaves about 660x340).
TEST_F(Counts_Window_Test, Every_Bar_Shows_Its_Label_And_Count) {
    Counts_Window* w = Show_Counts_Window(session, s, &owner, Field_Number("Year"));
    for (const QSize size : {QSize(920, 540), QSize(660, 340), QSize(920, 900)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        w->resize(size);
        Settle();
        const QStringList categories = Categories(*w);
        ASSERT_GE(categories.size(), 2);
        EXPECT_EQ(categories.first(), QStringLiteral("%1 other values").arg(30 - categories.size() + 1));
        QStringList labels;
        QList<QRectF> counts;
        Shown_Texts(*w, labels, counts);
        for (const QString& c : categories) EXPECT_TRUE(labels.contains(c)) << c.toStdString();
        EXPECT_EQ(counts.size(), categories.size());
        for (int i = 0; i < counts.size(); ++i)
            for (int j = i + 1; j < counts.size(); ++j)
                EXPECT_FALSE(counts[i].adjusted(1, 1, -1, -1).intersects(counts[j].adjusted(1, 1, -1, -1)));
        // The saved chart is the one shown.
        QTemporaryDir dir;
        messages->fileAnswers = {dir.filePath("c.svg")};
        w->Save_Chart();
        const QByteArray svg = Read_Bytes(dir.filePath("c.svg"));
        for (const QString& c : categories) EXPECT_TRUE(svg.contains(">" + c.toUtf8() + "<")) << c.toStdString();
    }
}
