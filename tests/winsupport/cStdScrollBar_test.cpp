#include "winsupport/cStdScrollBar.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QWheelEvent>
#include <QWidget>
#include <memory>
#include <tuple>

namespace {

struct Std_Scroll : ::testing::Test {
    QWidget window;
    cStdScrollBar sb;
    void SetUp() override {
        window.resize(300, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        sb.SubClass(&window);
    }
    // Range 0..1000 with a page of 100: positions 0..901.
    void Set_Up(Qt::Orientation o, qint32 pos, qint32 small = 10) {
        const bool v = o == Qt::Vertical;
        v ? sb.Set_VScroll(true) : sb.Set_HScroll(true);
        v ? sb.Set_VMin(0) : sb.Set_HMin(0);
        v ? sb.Set_VMax(1000) : sb.Set_HMax(1000);
        v ? sb.Set_VPage(100) : sb.Set_HPage(100);
        v ? sb.Set_VSmallChange(small) : sb.Set_HSmallChange(small);
        v ? sb.Set_VPos(pos) : sb.Set_HPos(pos);
    }
    QScrollBar* Bar(Qt::Orientation o) const { return o == Qt::Vertical ? sb.Vertical_Bar() : sb.Horizontal_Bar(); }
    qint32 Pos(Qt::Orientation o) const { return o == Qt::Vertical ? sb.VPos() : sb.HPos(); }
};

void Wheel_Down(QWidget* w) {
    QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// The change and scroll events of one bar, in order: 'C' or 'S' and the position.
struct Events {
    QList<std::pair<char, qint32>> seen;
    QObject context;  // the connections end with the recorder
    Events(cStdScrollBar& sb, Qt::Orientation o) {
        auto change = [this](qint32 p) { seen.append({'C', p}); };
        auto scroll = [this](qint32 p) { seen.append({'S', p}); };
        if (o == Qt::Vertical) {
            QObject::connect(&sb, &cStdScrollBar::VChange, &context, change);
            QObject::connect(&sb, qOverload<qint32>(&cStdScrollBar::VScroll), &context, scroll);
        } else {
            QObject::connect(&sb, &cStdScrollBar::HChange, &context, change);
            QObject::connect(&sb, qOverload<qint32>(&cStdScrollBar::HScroll), &context, scroll);
        }
    }
};

}  // namespace

TEST_F(Std_Scroll, Turns_Each_Request_Into_A_Clamped_Position_And_Its_Event) {
    struct Case {
        int code;
        qint32 from;
        char event;  // 0: none
        qint32 to;
    };
    const Case cases[] = {
        {cStdScrollBar::Line_Up, 500, 'C', 490},
        {cStdScrollBar::Line_Down, 500, 'C', 510},
        {cStdScrollBar::Page_Up, 500, 'C', 400},
        {cStdScrollBar::Page_Down, 500, 'C', 600},
        {cStdScrollBar::Top, 500, 'C', 0},
        {cStdScrollBar::Bottom, 500, 'C', 901},
        {cStdScrollBar::Line_Up, 5, 'C', 0},
        {cStdScrollBar::Page_Down, 850, 'C', 901},
        {cStdScrollBar::Line_Down, 901, 'C', 901},
        {cStdScrollBar::Thumb_Track, 500, 'S', 500},
        {cStdScrollBar::Thumb_Position, 500, 'S', 500},
        {cStdScrollBar::End_Scroll, 500, 0, 500},
        {42, 500, 0, 500},
    };
    for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << (o == Qt::Vertical ? "V" : "H") << " code " << c.code << " from " << c.from);
            Set_Up(o, c.from);
            Events ev(sb, o);
            EXPECT_EQ(sb.Handle_Scroll(o, c.code), 0);
            EXPECT_EQ(Pos(o), c.to);
            EXPECT_EQ(Bar(o)->value(), c.to);
            using Seen = QList<std::pair<char, qint32>>;
            EXPECT_EQ(ev.seen, (c.event ? Seen{{c.event, c.to}} : Seen{}));
        }
    }
}

TEST_F(Std_Scroll, Wheel_And_Keys_Of_The_Window_Scroll_Through_The_Same_Requests) {
    Set_Up(Qt::Vertical, 500);
    Set_Up(Qt::Horizontal, 500);
    sb.WheelChange = 20;
    Events v(sb, Qt::Vertical);
    Events h(sb, Qt::Horizontal);
    // The wheel over a control that does not scroll is the window's.
    auto* child = new QLabel(QStringLiteral("text"), &window);
    child->setGeometry(10, 10, 100, 30);
    child->show();
    Wheel_Down(child);
    const qint32 oneNotch = 500 + QApplication::wheelScrollLines() * 20;
    ASSERT_EQ(v.seen.size(), 1);
    EXPECT_EQ(v.seen[0], std::make_pair('C', oneNotch));

    // A control that scrolls by itself keeps it.
    auto* editor = new QTextEdit(&window);
    editor->setGeometry(10, 50, 100, 60);
    editor->setPlainText(QStringLiteral("line\n").repeated(50));
    editor->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor->verticalScrollBar()->isVisible());
    Wheel_Down(editor->viewport());
    EXPECT_EQ(v.seen.size(), 1);
    EXPECT_GT(editor->verticalScrollBar()->value(), 0);

    const std::tuple<Qt::Key, Events*, qint32> keys[] = {
        {Qt::Key_Down, &v, oneNotch + 20},
        {Qt::Key_Up, &v, oneNotch},
        {Qt::Key_PageDown, &v, oneNotch + 100},
        {Qt::Key_Home, &v, 0},
        {Qt::Key_End, &v, 901},
        {Qt::Key_Right, &h, 520},
        {Qt::Key_Left, &h, 500},
    };
    for (const auto& [key, events, to] : keys) {
        SCOPED_TRACE(key);
        QTest::keyClick(&window, key);
        EXPECT_EQ(events->seen.last(), std::make_pair('C', to));
    }
    // A bar that is not shown leaves the keys to the window.
    sb.Set_HScroll(false);
    const auto before = h.seen.size();
    QTest::keyClick(&window, Qt::Key_Right);
    EXPECT_EQ(h.seen.size(), before);
}

TEST_F(Std_Scroll, Shows_A_Bar_Disabled_Or_Hides_It_When_The_Page_Holds_The_Range) {
    for (const bool disableNoScroll : {true, false}) {
        SCOPED_TRACE(disableNoScroll);
        Set_Up(Qt::Vertical, 0);
        ASSERT_TRUE(sb.Vertical_Bar()->isVisible());
        sb.Set_VDisableNoScroll(disableNoScroll);
        sb.Set_VMax(50);
        EXPECT_EQ(sb.Vertical_Bar()->isVisible(), disableNoScroll);
        EXPECT_FALSE(sb.Vertical_Bar()->isEnabled() && disableNoScroll);
        EXPECT_EQ(sb.Client_Rect().width(), disableNoScroll ? 300 - sb.Vertical_Bar()->width() : 300);
        if (!disableNoScroll) {
            // Hidden by the range, the flag stays on: writing it again does nothing.
            sb.Set_VScroll(true);
            EXPECT_FALSE(sb.Vertical_Bar()->isVisible());
        }
        // The range grows past the page again: the bar comes back, enabled.
        sb.Set_VMax(1000);
        EXPECT_TRUE(sb.Vertical_Bar()->isVisible());
        EXPECT_TRUE(sb.Vertical_Bar()->isEnabled());
    }
}

TEST_F(Std_Scroll, Takes_A_Window_Once_And_Gives_It_Back) {
    EXPECT_EQ(cStdScrollBar::From_Window(&window), &sb);
    EXPECT_EQ(window.findChildren<QScrollBar*>().size(), 2);

    // A second SubClass, by this object or another, changes nothing.
    sb.SubClass(&window);
    cStdScrollBar other;
    other.SubClass(&window);
    EXPECT_EQ(cStdScrollBar::From_Window(&window), &sb);
    EXPECT_EQ(other.Window(), nullptr);
    EXPECT_EQ(window.findChildren<QScrollBar*>().size(), 2);

    Set_Up(Qt::Vertical, 500);
    Events ev(sb, Qt::Vertical);
    sb.Release();
    EXPECT_EQ(cStdScrollBar::From_Window(&window), nullptr);
    EXPECT_EQ(window.findChildren<QScrollBar*>().size(), 0);
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_TRUE(ev.seen.isEmpty());
    // Given back, the window can be subclassed again.
    other.SubClass(&window);
    EXPECT_EQ(cStdScrollBar::From_Window(&window), &other);
}

TEST(Std_Scroll_Lifetime, Ends_Quietly_After_Its_Window) {
    auto sb = std::make_unique<cStdScrollBar>();
    {
        QWidget w;
        sb->SubClass(&w);
        sb->Set_VScroll(true);
    }
    EXPECT_EQ(sb->Window(), nullptr);
    EXPECT_EQ(sb->Vertical_Bar(), nullptr);
    sb->Set_VMax(500);  // no window: kept, nothing shown
    EXPECT_EQ(sb->VMax(), 500);
    sb.reset();
}
