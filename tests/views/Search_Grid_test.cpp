// The result grid of the search window under the mouse and the keys, the events going
// through the window as the screen sends them (they reach whatever lies at the point).
#include "Search_Window.h"

#include "views/DisplayData.h"
#include "views/Grid_Painting.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QWindow>
#include <functional>

namespace {

struct Grid_Mouse_Test : Search_Window_Test {
    Search& Open_Active() {
        Search& s = Open(true);
        QApplication::setActiveWindow(&s);
        QObject::connect(&s, &Search::Record_Asked, &s, [this](int record) {
            opened.push_back(record);
            Show_Record_Window(record, w.get(), w->Data);
        });
        return s;
    }
    QWindow* Win() const { return w->windowHandle(); }
    // A point of a grid cell (row 0: a heading), in the window.
    QPoint Cell(int row, int col) const { return w->Data->mapTo(w.get(), w->Data->Cell_Rect(row, col).center()); }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseMove(Win(), p);
        QTest::mouseClick(Win(), b, {}, p);
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mouseMove(Win(), from);
        QTest::mousePress(Win(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Win(), (from + to) / 2);
        QTest::mouseMove(Win(), to);
        QTest::mouseRelease(Win(), Qt::LeftButton, {}, to);
    }
    // The entries of the menu that opens while act runs (none when none opens).
    static QStringList Menu_During(const std::function<void()>& act) {
        QStringList seen;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : m->actions())
                    if (!a->isSeparator()) seen << Plain_Caption(a->text());
                m->close();
            }
        });
        poll.start();
        act();
        return seen;
    }
    std::vector<int> opened;
};

}  // namespace

TEST_F(Grid_Mouse_Test, A_Click_Opens_The_Record_And_Marks_Its_Row_A_Drag_Selects_And_Copies) {
    Search& s = Open_Active();
    const Text_Grid& g = s.Results.Data;
    Drag(Cell(2, 2), Cell(3, 4));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Record_Window(), nullptr);
    EXPECT_EQ(QList<int>({g.Row(), g.Col(), g.Row_Sel(), g.Col_Sel()}), QList<int>({2, 2, 3, 4}));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QGuiApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(lines.value(0), QStringList({g.Text_Matrix(0, 2), g.Text_Matrix(0, 3), g.Text_Matrix(0, 4)}).join('\t'));
    EXPECT_EQ(lines.size(), 4);  // headings, two rows, the last line's end

    Click(Cell(3, 5));
    const int record = g.Text_Matrix(3, 0).toInt();
    EXPECT_EQ(opened, std::vector<int>{record});
    ASSERT_NE(Record_Window(), nullptr);
    EXPECT_TRUE(Record_Window()->isVisible());
    // The row on display is tinted, the others are not.
    EXPECT_EQ(s.Data->Marked_Key(), QString::number(record));
    const QImage shot = s.Data->grab().toImage();
    const auto colour_in = [&](int row) { return shot.pixel(s.Data->Cell_Rect(row, 7).center() + QPoint(0, 3)); };
    EXPECT_EQ(colour_in(3), Marked_Row_Color(s.Data->palette()).rgb());
    EXPECT_EQ(colour_in(4), s.Data->palette().color(QPalette::Base).rgb());
    Record_Window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.Data->Marked_Key(), QString());
}

TEST_F(Grid_Mouse_Test, Every_Click_On_A_Heading_Sorts_Also_At_The_Same_Pixel) {
    Search& s = Open_Active();
    const Text_Grid& g = s.Results.Data;
    const int col = Grid_Column(s.Results, "Year"), last = g.Rows() - 1;
    const auto ascending = [&] { return g.Text_Matrix(1, col).toInt() < g.Text_Matrix(last, col).toInt(); };
    const QPoint heading = Cell(0, col);
    QTest::mouseMove(Win(), heading);
    QTest::mouseDClick(Win(), Qt::LeftButton, {}, heading);
    EXPECT_FALSE(ascending());  // up, then down
    EXPECT_EQ(g.Cell_Picture(0, col), Grid_Picture::Descending);
    Click(heading);
    EXPECT_TRUE(ascending());
    EXPECT_TRUE(opened.empty());
    // The order survives a new search, which is shown from its top left.
    s.Data->verticalScrollBar()->setValue(s.Data->verticalScrollBar()->maximum());
    s.Submit_Click();
    EXPECT_TRUE(ascending());
    EXPECT_EQ(s.Data->verticalScrollBar()->value(), 0);
}

TEST_F(Grid_Mouse_Test, The_Menu_Opens_On_A_Heading_And_With_Shift_F10_Not_Without_A_Record) {
    Search& s = Open_Active();
    const int col = Grid_Column(s.Results, "DomReco1");
    EXPECT_EQ(Menu_During([&] { Click(Cell(0, col), Qt::RightButton); }), QStringList{"Counts of this column..."});
    s.Results.Data.Set_Row(2);
    s.Results.Data.Set_Col(col);
    s.Data->setFocus();
    EXPECT_EQ(Menu_During([&] { QTest::keyClick(s.Data, Qt::Key_F10, Qt::ShiftModifier); }).value(0),
              "Show only this value");

    // No match: the empty row can be neither chosen nor copied, and its menu offers nothing.
    s.Negation[0]->setChecked(false);
    s.Submit_Click();
    ASSERT_EQ(s.Nb_Records->text(), "No match");
    QGuiApplication::clipboard()->setText("before");
    Click(Cell(1, col));
    EXPECT_FALSE(s.Data->selectionModel()->hasSelection());
    QTest::keyClick(s.Data, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_EQ(Menu_During([&] { Click(Cell(1, col), Qt::RightButton); }), QStringList());
    EXPECT_EQ(Menu_During([&] { Click(Cell(0, col), Qt::RightButton); }), QStringList());
    EXPECT_TRUE(opened.empty());
}

TEST_F(Grid_Mouse_Test, Dragged_Widths_Stop_At_300_Twips_And_Stay_Through_Searches) {
    Search& s = Open_Active();
    const Text_Grid& g = s.Results.Data;
    const int col = Grid_Column(s.Results, "ProjName");
    const auto border = [&] { return s.Data->mapTo(&s, s.Data->Cell_Rect(0, col).topRight() + QPoint(-1, 5)); };
    const int before = s.Data->columnWidth(col);
    Drag(border(), border() + QPoint(90, 0));
    EXPECT_EQ(s.Data->columnWidth(col), before + 90);
    EXPECT_EQ(g.Col_Width(col), Pixels_To_Twips_X(before + 90, &s));
    EXPECT_EQ(g.Cell_Picture(0, col), Grid_Picture::None);  // a drag is no click
    s.Submit_Click();
    EXPECT_EQ(s.Data->columnWidth(col), before + 90);
    Drag(border(), border() - QPoint(before + 80, 0));
    EXPECT_EQ(g.Col_Width(col), 300);
    // Another field set (the other language) starts again from the defaults.
    s.Choosen_Language->setCurrentIndex(s.Choosen_Language->findText("FR"));
    EXPECT_EQ(g.Col_Width(Grid_Column(s.Results, "ProjName")), s.Results.Default_Col_Width);
}

TEST_F(Grid_Mouse_Test, Columns_Share_A_Wide_Grid_By_Their_Texts_And_Cut_Headings_Show_A_Tip) {
    Search& s = Open_Active();
    const Text_Grid& g = s.Results.Data;
    s.resize(2400, s.height());
    QApplication::processEvents();
    const int text = Grid_Column(s.Results, "RecoEN"), year = Grid_Column(s.Results, "Year");
    int total = 0;
    for (int c = 1; c < g.Cols(); ++c) total += s.Data->columnWidth(c);
    EXPECT_LE(total, s.Data->viewport()->width());
    EXPECT_GE(total, s.Data->viewport()->width() - 2);
    EXPECT_GT(s.Data->columnWidth(text), 3 * s.Data->columnWidth(year));

    s.resize(900, s.height());
    QApplication::processEvents();
    const int reco = Grid_Column(s.Results, "Reco#");
    const auto tip_at = [&](int col) {
        QWidget* header = s.Data->Fixed_Rows_Header()->viewport();
        const QPoint at = header->mapFrom(s.Data, s.Data->Cell_Rect(0, col).center());
        QHelpEvent e(QEvent::ToolTip, at, header->mapToGlobal(at));
        QApplication::sendEvent(header, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    ASSERT_LT(s.Data->columnWidth(reco), s.Data->fontMetrics().horizontalAdvance(g.Text_Matrix(0, reco)));
    EXPECT_EQ(tip_at(year), QString());
    EXPECT_EQ(tip_at(reco), g.Text_Matrix(0, reco));
}

// Fitting the cells measures few texts for real: every text, the odd ones too, must fit its cell all the same,
// no column be wider than its widest text needs nor than the grid, and unticking gives one-line rows back.
TEST_F(Grid_Mouse_Test, AdjustCellSizeFitsEveryTextWithinTheGridAndUntickingUndoesIt) {
    Search& s = Open_Active();
    Text_Grid& g = s.Results.Data;
    ASSERT_GT(g.Rows(), 100);
    const char* odd[] = {"two\nlines of text", "tab\there", "東京 and Zürich",
                         "W W W W W W W W W W W W W W W W W W W W W W W W W W", "l’été – 20 € « ok »"};
    for (int k = 0; k < 5; ++k) g.Set_Text_Matrix(5 + k, 4, QString::fromUtf8(odd[k]));
    const int text = Grid_Column(s.Results, "RecoEN");
    g.Set_Text_Matrix(12, text,
                      QString("A paragraph without a line break, as long as a recommendation gets. ").repeated(12));
    const QFontMetrics fm(s.Data->font());
    // The room a cell's text takes, on one line or wrapped at a width in pixels.
    const auto room = [&](int r, int c, int wrap = 0) {
        const int flags = Qt::TextExpandTabs | (wrap ? Qt::TextWordWrap : 0);
        return fm.boundingRect(QRect(0, 0, wrap ? wrap : 1 << 28, 1 << 28), flags, g.Text_Matrix(r, c)).size();
    };
    QTest::mouseClick(s.CellAutoSize, Qt::LeftButton);
    const int grid_width = s.Data->viewport()->width();
    for (int c = 1; c < g.Cols(); ++c) {
        const int width = Twips_To_Pixels_X(g.Col_Width(c), &s);
        int widest = 0;
        for (int r = 0; r < g.Rows(); ++r) widest = std::max(widest, room(r, c).width());
        ASSERT_LE(width, std::min(widest + 3 * fm.averageCharWidth(), grid_width)) << "column " << c;
        const bool wraps = width < widest;
        EXPECT_EQ(wraps, c == text) << "column " << c;
        for (int r = 0; r < g.Rows(); ++r)
            ASSERT_LE(room(r, c, wraps ? width - 6 : 0).height(), Twips_To_Pixels_Y(g.Row_Height(r), &s))
                << "row " << r << " column " << c;
    }

    // One column dragged narrower: rows grow to their texts wrapped at the width.
    g.Set_Col_Width(4, 900);
    s.Resize_Cell(4);
    for (int r = 0; r < g.Rows(); ++r)
        ASSERT_LE(room(r, 4, Twips_To_Pixels_X(900, &s) - 6).height(), Twips_To_Pixels_Y(g.Row_Height(r), &s)) << r;

    QTest::mouseClick(s.CellAutoSize, Qt::LeftButton);
    for (int r = 0; r < g.Rows(); ++r) ASSERT_EQ(g.Row_Height(r), s.Results.Default_Row_Height) << r;
    EXPECT_EQ(s.Data->rowHeight(11), Twips_To_Pixels_Y(s.Results.Default_Row_Height, &s));
    EXPECT_LE(Twips_To_Pixels_X(g.Col_Width(text), &s), grid_width);
}
