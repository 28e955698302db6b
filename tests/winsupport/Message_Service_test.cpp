#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <gtest/gtest.h>

TEST(Recording_Message_Service, AnswersFromTheScriptThenByDefault) {
    Scoped_Recorder rec;
    rec->answers = {Msg_Answer::No, Msg_Answer::Cancel};
    EXPECT_EQ(Message_Box("first", Msg_Buttons::YesNo), Msg_Answer::No);
    EXPECT_EQ(Message_Box("second", Msg_Buttons::OKCancel), Msg_Answer::Cancel);
    // Script used up: the affirmative answer of the buttons shown.
    EXPECT_EQ(Message_Box("third", Msg_Buttons::YesNoCancel), Msg_Answer::Yes);
    EXPECT_EQ(Message_Box("fourth", Msg_Buttons::OKCancel, Msg_Icon::Critical), Msg_Answer::OK);
    EXPECT_EQ(rec->texts(), (QStringList{"first", "second", "third", "fourth"}));
    EXPECT_EQ(rec->shown[0].buttons, Msg_Buttons::YesNo);
    EXPECT_EQ(rec->shown[3].icon, Msg_Icon::Critical);
}

TEST(Recording_Message_Service, ScopedRecorderPutsThePreviousServiceBack) {
    Scoped_Recorder outer;
    {
        Scoped_Recorder inner;
        Message_Box("inner");
        EXPECT_EQ(inner->texts(), QStringList{"inner"});
    }
    Message_Box("outer");
    EXPECT_EQ(outer->texts(), QStringList{"outer"});
    EXPECT_EQ(&Messages(), &*outer);
}

TEST(Message_Box, CaptionDefaultsToTheApplicationTitle) {
    const QString saved = App_Title();
    Set_App_Title("Sifa_Soft");
    Scoped_Recorder rec;
    Message_Box("a");
    Message_Box("b", Msg_Buttons::OK, Msg_Icon::None, "Own caption");
    Set_App_Title(saved);
    ASSERT_EQ(rec->shown.size(), 2u);
    EXPECT_EQ(rec->shown[0].caption, "Sifa_Soft");
    EXPECT_EQ(rec->shown[1].caption, "Own caption");
}

TEST(Show_File_Dialog, PassesTheRequestThroughTheService) {
    Scoped_Recorder rec;
    rec->fileAnswers = {"/tmp/out.csv", ""};
    EXPECT_EQ(Show_File_Dialog(nullptr, 2, "Save as", "/tmp", "out.csv", {"CSV Files", "*.csv"}), "/tmp/out.csv");
    EXPECT_EQ(Show_File_Dialog(nullptr, 1, "Open", "", "", {"Data"}), "");  // cancelled
    EXPECT_EQ(Show_File_Dialog(nullptr, 1, "Again", "", "", {}), "");      // script used up: cancel
    ASSERT_EQ(rec->fileRequests.size(), 3u);
    const File_Dialog_Request& save = rec->fileRequests[0];
    EXPECT_FALSE(save.open);
    EXPECT_EQ(save.title, "Save as");
    EXPECT_EQ(save.initialDirectory, "/tmp");
    EXPECT_EQ(save.fileName, "out.csv");
    EXPECT_EQ(save.filter, "CSV Files (*.csv)");
    EXPECT_TRUE(rec->fileRequests[1].open);
    EXPECT_EQ(rec->fileRequests[1].filter, "Data (*.*)");
}

struct Filter_Case {
    QStringList pairs;
    QString qt;
};

class Qt_File_Filter_Test : public ::testing::TestWithParam<Filter_Case> {};

TEST_P(Qt_File_Filter_Test, Converts) { EXPECT_EQ(Qt_File_Filter(GetParam().pairs), GetParam().qt); }

INSTANTIATE_TEST_SUITE_P(
    Pairs, Qt_File_Filter_Test,
    ::testing::Values(Filter_Case{{}, ""},
                      Filter_Case{{"CSV Files", "*.csv"}, "CSV Files (*.csv)"},
                      Filter_Case{{"CSV Files", "*.csv", "All files", "*.*"}, "CSV Files (*.csv);;All files (*.*)"},
                      // An odd list is completed with "*.*" for the last description.
                      Filter_Case{{"Text", "*.txt", "Anything"}, "Text (*.txt);;Anything (*.*)"},
                      // Several patterns of one entry are ';'-separated in the classic filter.
                      Filter_Case{{"Data", "*.dat;*.xls"}, "Data (*.dat *.xls)"}));
