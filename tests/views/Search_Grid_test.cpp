// The result grid of the search window under the mouse and the keys, the events going
// through the window as the screen sends them (they reach whatever lies at the point).
#include "Search_Window_Access.h"

#include "views/Record_Window.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWindow>
#include <functional>

namespace {

struct Grid_Mouse_Test : Search_Window_Test {
    Search_Window& Open_Active() {
        Search_Window& s = Open(true);
        QApplication::setActiveWindow(&s);
        QObject::connect(&s, &Search_Window::Record_Asked, &s, [this](int record) {
            opened.push_back(record);
            Show_Record_Window(session, record, w.get(), w->Result_Grid);
        });
        return s;
    }
    QWindow* Win() const { return w->windowHandle(); }
    // A point of a cell (row -1: a heading), in the window.
    QPoint Cell(int row, int col) const { return w->Result_Grid->mapTo(w.get(), Cell_Point(row, col)); }
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
    Search_Window& s = Open_Active();
    const Result_Model& m = s.Results.Model;
    Drag(Cell(1, 1), Cell(2, 3));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Current_Record_Window(), nullptr);
    EXPECT_EQ(s.Result_Grid->Selected_Range(), QRect(QPoint(1, 1), QPoint(3, 2)));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QGuiApplication::clipboard()->text().split("\r\n");
    EXPECT_EQ(lines.value(0), QStringList({m.Heading(1), m.Heading(2), m.Heading(3)}).join('\t'));
    EXPECT_EQ(lines.size(), 4);  // headings, two rows, the last line's end

    Click(Cell(2, 4));
    const int record = m.Record_At(2);
    EXPECT_EQ(opened, std::vector<int>{record});
    ASSERT_NE(Current_Record_Window(), nullptr);
    EXPECT_TRUE(Current_Record_Window()->isVisible());
    // The row on display is tinted, the others are not.
    EXPECT_EQ(s.Result_Grid->Marked_Record(), record);
    const QImage shot = s.Result_Grid->viewport()->grab().toImage();
    const auto colour_in = [&](int row) {
        return shot.pixel(s.Result_Grid->Cell_Rect(row, 6).center() + QPoint(0, 3));
    };
    EXPECT_EQ(colour_in(2), Marked_Row_Colour(s.Result_Grid->palette()).rgb());
    EXPECT_EQ(colour_in(3), s.Result_Grid->palette().color(QPalette::Base).rgb());
    Current_Record_Window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.Result_Grid->Marked_Record(), 0);
}

TEST_F(Grid_Mouse_Test, Every_Click_On_A_Heading_Sorts_Also_At_The_Same_Pixel) {
    Search_Window& s = Open_Active();
    const Result_Model& m = s.Results.Model;
    const int col = Result_Column(s.Results, "Year"), last = m.Records() - 1;
    const auto ascending = [&] { return m.Text(0, col).toInt() < m.Text(last, col).toInt(); };
    const QPoint heading = Cell(-1, col);
    QTest::mouseMove(Win(), heading);
    QTest::mouseDClick(Win(), Qt::LeftButton, {}, heading);
    EXPECT_FALSE(ascending());  // up, then down
    EXPECT_EQ(m.Arrow(col), Sort_Arrow::Descending);
    Click(heading);
    EXPECT_TRUE(ascending());
    EXPECT_TRUE(opened.empty());
    // The order survives a new search, which is shown from its top left.
    s.Result_Grid->verticalScrollBar()->setValue(s.Result_Grid->verticalScrollBar()->maximum());
    s.Run_Search_Now();
    EXPECT_TRUE(ascending());
    EXPECT_EQ(s.Result_Grid->verticalScrollBar()->value(), 0);
}

TEST_F(Grid_Mouse_Test, The_Menu_Opens_On_A_Heading_And_With_Shift_F10_Not_Without_A_Record) {
    Search_Window& s = Open_Active();
    const int col = Result_Column(s.Results, "DomReco1");
    EXPECT_EQ(Menu_During([&] { Click(Cell(-1, col), Qt::RightButton); }), QStringList{"Counts of this column..."});
    s.Result_Grid->setCurrentIndex(s.Results.Model.index(1, col));
    s.Result_Grid->setFocus();
    EXPECT_EQ(Menu_During([&] { QTest::keyClick(s.Result_Grid, Qt::Key_F10, Qt::ShiftModifier); }).value(0),
              "Show only this value");

    // No match: no row to choose or copy, and the menu offers nothing.
    s.Rows->Negation[0]->setChecked(false);
    s.Run_Search_Now();
    ASSERT_EQ(Count_Line(s), "No match");
    EXPECT_FALSE(Button(s, "Export_Button")->isEnabled() || Button(s, "Print_Button")->isEnabled());
    QGuiApplication::clipboard()->setText("before");
    const QPoint below = s.Result_Grid->mapTo(&s, Cell_Point(-1, col) + QPoint(0, 40));
    Click(below);
    EXPECT_FALSE(s.Result_Grid->selectionModel()->hasSelection());
    QTest::keyClick(s.Result_Grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_EQ(Menu_During([&] { Click(below, Qt::RightButton); }), QStringList());
    EXPECT_EQ(Menu_During([&] { Click(Cell(-1, col), Qt::RightButton); }), QStringList());
    EXPECT_TRUE(opened.empty());
}

TEST_F(Grid_Mouse_Test, Dragged_Widths_Stay_Through_Searches_And_Windows_For_The_Same_Columns_Down_To_A_Minimum) {
    Open_Active();
    const int col = Result_Column(w->Results, "ProjName");
    const auto border = [&] {
        QHeaderView* h = w->Result_Grid->horizontalHeader();
        return h->mapTo(w.get(), QPoint(h->sectionViewportPosition(col) + h->sectionSize(col) - 1, 5));
    };
    const int dragged = w->Result_Grid->columnWidth(col) + 90;
    Drag(border(), border() + QPoint(90, 0));
    EXPECT_EQ(w->Result_Grid->columnWidth(col), dragged);
    EXPECT_EQ(w->Results.Model.Arrow(col), Sort_Arrow::None);  // a drag is no click
    w->Run_Search_Now();
    EXPECT_EQ(w->Result_Grid->columnWidth(col), dragged);
    QTest::mouseClick(w->Adjust_Cell_Size_Box, Qt::LeftButton);
    w.reset();

    // The next window keeps both; the other language shows other columns, whose widths are their own.
    Search_Window& s = Open_Active();
    EXPECT_TRUE(s.Adjust_Cell_Size_Box->isChecked());
    EXPECT_EQ(s.Result_Grid->columnWidth(col), dragged);
    s.Language_Box->setCurrentIndex(s.Language_Box->findText("FR"));
    EXPECT_EQ(s.Hand_Set_Widths.Of(s.Field_Of_Col(Result_Column(s.Results, "ProjName"))), std::nullopt);
    s.Language_Box->setCurrentIndex(s.Language_Box->findText("EN"));
    EXPECT_EQ(s.Result_Grid->columnWidth(col), dragged);
    Drag(border(), border() - QPoint(dragged + 80, 0));
    EXPECT_EQ(s.Result_Grid->columnWidth(col), s.Result_Grid->horizontalHeader()->minimumSectionSize());
}

TEST_F(Grid_Mouse_Test, Columns_Share_A_Wide_Grid_By_Their_Texts_And_Cut_Headings_Show_A_Tip) {
    Search_Window& s = Open_Active();
    const Result_Model& m = s.Results.Model;
    s.resize(2400, s.height());
    QApplication::processEvents();
    const int text = Result_Column(s.Results, "RecoEN"), year = Result_Column(s.Results, "Year");
    int total = 0;
    for (int c = 0; c < m.Columns(); ++c) total += s.Result_Grid->columnWidth(c);
    EXPECT_LE(total, s.Result_Grid->viewport()->width());
    EXPECT_GE(total, s.Result_Grid->viewport()->width() - 2);
    EXPECT_GT(s.Result_Grid->columnWidth(text), 3 * s.Result_Grid->columnWidth(year));

    s.resize(900, s.height());
    QApplication::processEvents();
    const int reco = Result_Column(s.Results, "Reco#");
    const auto tip_at = [&](int col) {
        QWidget* header = s.Result_Grid->horizontalHeader()->viewport();
        const QPoint at = header->mapFrom(s.Result_Grid, Cell_Point(-1, col));
        QHelpEvent e(QEvent::ToolTip, at, header->mapToGlobal(at));
        QApplication::sendEvent(header, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    ASSERT_LT(s.Result_Grid->columnWidth(reco), s.Result_Grid->fontMetrics().horizontalAdvance(m.Heading(reco)));
    EXPECT_EQ(tip_at(year), QString());
    EXPECT_EQ(tip_at(reco), m.Heading(reco));
}

// Fitting the cells measures few texts for real: every text, the odd ones too, must fit its cell all the same,
// no column be wider than its widest text needs nor than the view, and unticking gives one-line rows back.
TEST_F(Grid_Mouse_Test, AdjustCellSizeFitsEveryTextWithinTheGridAndUntickingUndoesIt) {
    Search_Window& s = Open_Active();
    const Result_Model& m = s.Results.Model;
    ASSERT_GT(m.Records(), 100);
    // Odd texts in the records of rows 4..8 and a long paragraph in row 11.
    const char* odd[] = {"two\nlines of text", "tab\there", "東京 and Zürich",
                         "W W W W W W W W W W W W W W W W W W W W W W W W W W", "l’été – 20 € « ok »"};
    for (int k = 0; k < 5; ++k)
        session.Records()(m.Record_At(4 + k), Field_Number("PortName")) = Value::String(QString::fromUtf8(odd[k]));
    session.Records()(m.Record_At(11), Field_Number("RecoEN")) =
        Value::String(QString("A paragraph without a line break, as long as a recommendation gets. ").repeated(12));
    const int text = Result_Column(s.Results, "RecoEN"), name = Result_Column(s.Results, "PortName");
    const QFontMetrics fm(s.Result_Grid->font());
    // The room a cell's text takes (row -1: the heading), on one line or wrapped at a width in pixels.
    const auto room = [&](int r, int c, int wrap = 0) {
        const int flags = Qt::TextExpandTabs | (wrap ? Qt::TextWordWrap : 0);
        return fm.boundingRect(QRect(0, 0, wrap ? wrap : 1 << 28, 1 << 28), flags, r < 0 ? m.Heading(c) : m.Text(r, c))
            .size();
    };
    const auto height = [&](int r) {
        return r < 0 ? s.Result_Grid->horizontalHeader()->height() : s.Result_Grid->rowHeight(r);
    };
    QTest::mouseClick(s.Adjust_Cell_Size_Box, Qt::LeftButton);
    const int grid_width = s.Result_Grid->viewport()->width();
    for (int c = 0; c < m.Columns(); ++c) {
        const int width = s.Result_Grid->columnWidth(c);
        int widest = 0;
        for (int r = -1; r < m.Records(); ++r) widest = std::max(widest, room(r, c).width());
        ASSERT_LE(width, std::min(widest + 3 * fm.averageCharWidth(), grid_width)) << "column " << c;
        const bool wraps = width < widest;
        EXPECT_EQ(wraps, c == text) << "column " << c;
        for (int r = -1; r < m.Records(); ++r)
            ASSERT_LE(room(r, c, wraps ? width - 6 : 0).height(), height(r)) << "row " << r << " column " << c;
    }

    // One column dragged narrower: rows grow to their texts wrapped at the width.
    s.Result_Grid->setColumnWidth(name, 60);
    s.Resize_Cell(name);
    for (int r = -1; r < m.Records(); ++r) ASSERT_LE(room(r, name, 60 - 6).height(), height(r)) << r;

    QTest::mouseClick(s.Adjust_Cell_Size_Box, Qt::LeftButton);
    for (int r = 0; r < m.Records(); ++r) ASSERT_EQ(s.Result_Grid->rowHeight(r), s.Default_Row_Height) << r;
    EXPECT_LE(s.Result_Grid->columnWidth(text), grid_width);
}
