#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

// What a save dialog is asked is checked where the export opens it (Export_test.cpp).
TEST(Qt_File_Filter, Converts_Name_And_Pattern_Pairs) {
    const std::pair<QStringList, QString> cases[] = {
        {{}, ""},
        {{"CSV Files", "*.csv"}, "CSV Files (*.csv)"},
        {{"CSV Files", "*.csv", "All files", "*.*"}, "CSV Files (*.csv);;All files (*.*)"},
        // An odd list is completed with "*.*" for the last description.
        {{"Text", "*.txt", "Anything"}, "Text (*.txt);;Anything (*.*)"},
        // Several patterns of one entry are ';'-separated in the Windows filter.
        {{"Data", "*.dat;*.xls"}, "Data (*.dat *.xls)"},
    };
    for (const auto& [pairs, qt] : cases) EXPECT_EQ(Qt_File_Filter(pairs), qt) << pairs.join('|').toStdString();
}

TEST(Qt_File_Filter, A_Name_Without_Extension_Gets_The_Chosen_Filters) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/tmp/out_short", "CSV Files (*.csv)", "/tmp/out_short.csv"},
        {"/tmp/a.dir/out", "CSV Files (*.csv)", "/tmp/a.dir/out.csv"},
        {"/tmp/out.txt", "CSV Files (*.csv)", "/tmp/out.txt"},
        {"/tmp/out", "All files (*.*)", "/tmp/out"},
        {"/tmp/out", "Data (*.dat *.xls)", "/tmp/out.dat"},
        {"/tmp/out", "", "/tmp/out"},
    };
    for (const auto& [name, filter, result] : cases)
        EXPECT_EQ(With_Filter_Suffix(name, filter), result) << name << " " << filter;
}

// The real message box: its text whole however long, its caption whole however short
// the text, and the detail under it.
TEST(Qt_Message_Service, Shows_Its_Whole_Text_And_Caption) {
    const QString long_caption = QStringLiteral("A caption far longer than the message it heads");
    const struct {
        QString text, caption;
    } cases[] = {
        {"x", long_caption},
        {"The three criterion rows are all active: untick one to add a filter.", "Sifa_Soft"},
        {QStringLiteral("The active rows are combined by \"Any active (Or)\": a filter would widen the result. ")
             .repeated(6),
         "Sifa_Soft"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        int width = 0;
        bool whole = false;
        QString informative;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            width = box->width();
            informative = box->informativeText();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                whole = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                          : label->width() >= label->fontMetrics().horizontalAdvance(c.text);
            box->accept();
        });
        Message_Box(c.text, Msg_Buttons::OK, Msg_Icon::Exclamation, c.caption, nullptr,
                    QStringLiteral("/some/file.pdf"));
        EXPECT_TRUE(whole);
        // Room for the caption and the frame's icon and buttons around it.
        EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(c.caption) + 120);
        EXPECT_EQ(informative, "/some/file.pdf");
    }
}
