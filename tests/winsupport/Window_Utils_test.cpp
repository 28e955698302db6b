#include "winsupport/Window_Utils.h"
#include "winsupport/Twips.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QWidget>

TEST(Twips, ConvertAtTheScreensResolution) {
    const QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    const double dpiX = s->logicalDotsPerInchX(), dpiY = s->logicalDotsPerInchY();
    EXPECT_EQ(Twips_To_Pixels_X(1440), qRound(dpiX));  // one inch
    EXPECT_EQ(Twips_To_Pixels_Y(-1440), -qRound(dpiY));
    if (qFuzzyCompare(dpiX, 96.0)) EXPECT_EQ(Twips_To_Pixels_X(10), 1);  // two thirds of a pixel: rounded, not cut
    // Whole pixels survive the round trip.
    for (int px : {1, 7, 33, 640, 1919}) EXPECT_EQ(Twips_To_Pixels_Y(Pixels_To_Twips_Y(px)), px) << px;
}

namespace {
struct Window_With_List {
    QWidget window;
    QComboBox* list;
    explicit Window_With_List(int items) {
        window.resize(400, 600);
        list = new QComboBox(&window);
        list->setGeometry(10, 50, 200, 24);
        for (int i = 0; i < items; ++i) list->addItem(QString("Item %1").arg(i));
        window.show();
    }
    int entry() const { return std::max(1, list->view()->sizeHintForRow(0)); }
    // The limit, in twips, leaving room for n entries below the list.
    int limit_for(int n) const { return Pixels_To_Twips_Y(50 + 24 + n * entry() + entry() / 2, list); }
};
}  // namespace

TEST(Fit_Drop_Down_List, LongerListsShowWhatFitsAboveTheLimit) {
    // Eight entries or fewer are left alone, whatever the limit.
    struct Case {
        int items, room, expected;
    };
    for (const Case c : {Case{0, 0, 5}, Case{8, 0, 5}, Case{30, 12, 12}, Case{30, 40, 30}, Case{9, 3, 3},
                         Case{30, 0, 1}, Case{30, -5, 1}}) {
        Window_With_List w(c.items);
        w.list->setMaxVisibleItems(5);
        const int limit = c.items <= 8 ? 100 : w.limit_for(c.room);
        EXPECT_EQ(Fit_Drop_Down_List(w.list, limit), c.expected) << c.items << " " << c.room;
        EXPECT_EQ(w.list->maxVisibleItems(), c.expected);
    }
    // A list without a window is ignored.
    QComboBox alone;
    for (int i = 0; i < 20; ++i) alone.addItem("x");
    EXPECT_EQ(Fit_Drop_Down_List(&alone, 100000), 0);
    EXPECT_EQ(Fit_Drop_Down_List(nullptr, 100000), 0);
}

TEST(Fit_To_Screen, No_Window_Opens_Larger_Than_The_Screen) {
    Keep_Windows_On_Screen();
    QWidget big;
    big.setMinimumSize(9000, 9000);
    big.resize(12000, 12000);
    big.show();
    const QRect free = big.screen()->availableGeometry();
    EXPECT_LE(big.width(), free.width());
    EXPECT_LE(big.height(), free.height());
    EXPECT_LE(big.minimumWidth(), free.width());
    // A window that fits is left as it is.
    QWidget small;
    small.resize(200, 100);
    small.show();
    EXPECT_EQ(small.size(), QSize(200, 100));
}

TEST(Add_Mnemonics, Each_Caption_Gets_A_Letter_Of_Its_Own) {
    QWidget window;
    std::vector<QAbstractButton*> buttons;
    for (const char* caption : {"Submit", "Sort", "Select...", "Close", "Cancel", "Adjust Cell Size", ""})
        buttons.push_back(new QPushButton(QString::fromUtf8(caption), &window));
    buttons.push_back(new QCheckBox(QStringLiteral("Multi-Columns Sort"), &window));
    Add_Mnemonics(&window);
    Add_Mnemonics(&window);  // again: nothing changes
    QSet<QChar> letters;
    const QStringList plain{"Submit",           "Sort", "Select...",         "Close", "Cancel",
                            "Adjust Cell Size", "",     "Multi-Columns Sort"};
    for (size_t i = 0; i < buttons.size(); ++i) {
        const QString text = buttons[i]->text();
        EXPECT_EQ(Plain_Caption(text), plain[static_cast<qsizetype>(i)]);
        if (plain[static_cast<qsizetype>(i)].isEmpty()) continue;
        const QKeySequence key = QKeySequence::mnemonic(text);
        ASSERT_FALSE(key.isEmpty()) << text.toStdString();
        EXPECT_FALSE(letters.contains(QChar(key[0].key()))) << text.toStdString();
        letters.insert(QChar(key[0].key()));
    }
    EXPECT_EQ(buttons[0]->text(), "&Submit");  // a word's first letter when it is free
}
