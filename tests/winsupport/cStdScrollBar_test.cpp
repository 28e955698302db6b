// The record window scrolls through this bar (DisplayData_test.cpp); here, the clamping of
// every request and the wheel over a control that scrolls by itself.
#include "winsupport/cStdScrollBar.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QWheelEvent>

namespace {

struct Std_Scroll : ::testing::Test {
    QWidget window;
    cStdScrollBar sb;
    QList<std::pair<char, qint32>> seen;  // 'C'hange or 'S'croll events and their positions
    void SetUp() override {
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        sb.SubClass(&window);
        for (auto signal : {&cStdScrollBar::VChange, &cStdScrollBar::HChange})
            QObject::connect(&sb, signal, [this](qint32 p) { seen.append({'C', p}); });
        for (auto signal : {qOverload<qint32>(&cStdScrollBar::VScroll), qOverload<qint32>(&cStdScrollBar::HScroll)})
            QObject::connect(&sb, signal, [this](qint32 p) { seen.append({'S', p}); });
    }
    // Range 0..1000 with a page of 100: positions 0..901.
    void Set_Up(Qt::Orientation o, qint32 pos) {
        const bool v = o == Qt::Vertical;
        v ? sb.Set_VScroll(true) : sb.Set_HScroll(true);
        v ? sb.Set_VMax(1000) : sb.Set_HMax(1000);
        v ? sb.Set_VPage(100) : sb.Set_HPage(100);
        v ? sb.Set_VSmallChange(10) : sb.Set_HSmallChange(10);
        v ? sb.Set_VPos(pos) : sb.Set_HPos(pos);
        seen.clear();
    }
};

}  // namespace

TEST_F(Std_Scroll, Turns_Each_Request_Into_A_Clamped_Position_And_Its_Event) {
    const struct {
        int code;
        qint32 from;
        char event;  // 0: none
        qint32 to;
    } cases[] = {
        {cStdScrollBar::Line_Up, 500, 'C', 490},     {cStdScrollBar::Page_Up, 500, 'C', 400},
        {cStdScrollBar::Bottom, 500, 'C', 901},      {cStdScrollBar::Line_Up, 5, 'C', 0},
        {cStdScrollBar::Page_Down, 850, 'C', 901},   {cStdScrollBar::Line_Down, 901, 'C', 901},
        {cStdScrollBar::Thumb_Track, 500, 'S', 500}, {cStdScrollBar::End_Scroll, 500, 0, 500},
    };
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << o << " code " << c.code << " from " << c.from);
            Set_Up(o, c.from);
            EXPECT_EQ(sb.Handle_Scroll(o, c.code), 0);
            EXPECT_EQ(o == Qt::Vertical ? sb.VPos() : sb.HPos(), c.to);
            EXPECT_EQ((o == Qt::Vertical ? sb.Vertical_Bar() : sb.Horizontal_Bar())->value(), c.to);
            EXPECT_EQ(seen, (c.event ? decltype(seen){{c.event, c.to}} : decltype(seen){}));
        }
    }
}

TEST_F(Std_Scroll, A_Control_That_Scrolls_By_Itself_Keeps_The_Wheel) {
    Set_Up(Qt::Vertical, 500);
    auto* editor = new QTextEdit(&window);
    editor->setGeometry(10, 50, 100, 60);
    editor->setPlainText(QStringLiteral("line\n").repeated(50));
    editor->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor->verticalScrollBar()->isVisible());
    QWheelEvent wheel(QPointF(5, 5), editor->viewport()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(editor->viewport(), &wheel);
    EXPECT_TRUE(seen.isEmpty());
    EXPECT_GT(editor->verticalScrollBar()->value(), 0);
    // A bar that is not shown leaves the keys to the window.
    sb.Set_HScroll(false);
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_TRUE(seen.isEmpty());
}
