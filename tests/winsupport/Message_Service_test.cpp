#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

TEST(Show_File_Dialog, PassesTheRequestThroughTheService) {
    Scoped_Recorder rec;
    rec->fileAnswers = {"/tmp/out.csv", ""};
    EXPECT_EQ(Show_File_Dialog(nullptr, 2, "Save as", "/tmp", "out.csv", {"CSV Files", "*.csv"}), "/tmp/out.csv");
    EXPECT_EQ(Show_File_Dialog(nullptr, 1, "Open", "", "", {"Data"}), "");  // cancelled
    ASSERT_EQ(rec->fileRequests.size(), 2u);
    const File_Dialog_Request& save = rec->fileRequests[0];
    EXPECT_FALSE(save.open);
    EXPECT_EQ(QStringList({save.title, save.initialDirectory, save.fileName, save.filter}),
              (QStringList{"Save as", "/tmp", "out.csv", "CSV Files (*.csv)"}));
    EXPECT_TRUE(rec->fileRequests[1].open);
    EXPECT_EQ(rec->fileRequests[1].filter, "Data (*.*)");
}

TEST(Qt_File_Filter, Converts_The_Classic_Pairs) {
    const std::pair<QStringList, QString> cases[] = {
        {{}, ""},
        {{"CSV Files", "*.csv"}, "CSV Files (*.csv)"},
        {{"CSV Files", "*.csv", "All files", "*.*"}, "CSV Files (*.csv);;All files (*.*)"},
        // An odd list is completed with "*.*" for the last description.
        {{"Text", "*.txt", "Anything"}, "Text (*.txt);;Anything (*.*)"},
        // Several patterns of one entry are ';'-separated in the classic filter.
        {{"Data", "*.dat;*.xls"}, "Data (*.dat *.xls)"},
    };
    for (const auto& [pairs, qt] : cases) EXPECT_EQ(Qt_File_Filter(pairs), qt) << pairs.join('|').toStdString();
}

TEST(Qt_File_Filter, A_Name_Without_Extension_Gets_The_Chosen_Filters) {
    const struct {
        const char* name;
        const char* filter;
        const char* result;
    } cases[] = {
        {"/tmp/out_short", "CSV Files (*.csv)", "/tmp/out_short.csv"},
        {"/tmp/a.dir/out", "CSV Files (*.csv)", "/tmp/a.dir/out.csv"},
        {"/tmp/out.txt", "CSV Files (*.csv)", "/tmp/out.txt"},
        {"/tmp/out", "All files (*.*)", "/tmp/out"},
        {"/tmp/out", "Data (*.dat *.xls)", "/tmp/out.dat"},
        {"/tmp/out", "", "/tmp/out"},
    };
    for (const auto& c : cases) EXPECT_EQ(With_Filter_Suffix(c.name, c.filter), c.result) << c.name << " " << c.filter;
}

// The real message box: its caption whole however short its text, and the detail under it.
TEST(Qt_Message_Service, A_Short_Message_Keeps_Its_Caption_Whole) {
    const QString caption = QStringLiteral("A caption far longer than the message it heads");
    int width = 0;
    QString informative;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            width = box->width();
            informative = box->informativeText();
            box->accept();
        }
    });
    Message_Box(QStringLiteral("x"), Msg_Buttons::OK, Msg_Icon::None, caption, nullptr,
                QStringLiteral("/some/file.pdf"));
    // Room for the caption and the frame's icon and buttons around it.
    EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(caption) + 120);
    EXPECT_EQ(informative, "/some/file.pdf");
}
