#include "Test_Files.h"
#include "model/App_Paths.h"
#include "model/Record_Description.h"
#include "shell/DisplayError.h"
#include "shell/Start_Up.h"
#include "winsupport/Message_Service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>
#include <QTimer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// Master tables and their French versions; `frCountry` replaces the French member states.
QString Refs_Text(const QString& frCountry) {
    return QString(
               "[Country]\r\nFR=France\r\nDE=Germany\r\nBE=Belgium\r\n"
               "[Country (FR)]\r\n%1"
               "[TypeEmet]\r\nAU=Authority\r\n[TypeEmet (FR)]\r\nAU=Autorité\r\n"
               "[DomReco]\r\n1=Design\r\n2=Operations\r\n[DomReco (FR)]\r\n1=Conception\r\n2=Exploitation\r\n"
               "[TypeDest]\r\nA=Manufacturer\r\n[TypeDest (FR)]\r\nA=Constructeur\r\n")
        .arg(frCountry);
}

// What the error window showed, answered by a timer while it runs modally.
struct Seen_Error_Window {
    int count = 0;
    QStringList listErreurs;
    QString text;
    bool onTop = false;
};

class Error_Window_Answerer {
public:
    explicit Error_Window_Answerer(Seen_Error_Window& seen) : seen_(seen) {
        clock_.start();
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<DisplayError*>(modal)) {
            ++seen_.count;
            seen_.listErreurs = w->List_Erreurs;
            seen_.text = w->Text_Err->toPlainText();
            seen_.onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            w->OKButton->click();
        } else if (modal && clock_.elapsed() > 10000) {
            modal->close();  // some other window: never leave a test waiting
        }
    }
    Seen_Error_Window& seen_;
    QTimer timer_;
    QElapsedTimer clock_;
};

class Start_Up : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        Set_App_Path(dir_.path());
    }
    void TearDown() override { Set_App_Path(QString()); }
    void Write_Refs(const QString& text) { Write_Cp1252(dir_.filePath("Refs.dat"), text); }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(Start_Up, MissingFrenchKeyShowsTheErrorWindowAndEnds) {
    Write_Refs(Refs_Text("FR=France\r\nBE=Belgique\r\n"));
    Scoped_Recorder rec;
    Seen_Error_Window seen;
    Start_Result result;
    {
        Error_Window_Answerer answer(seen);
        result = Main();
    }
    EXPECT_EQ(result, Start_Result::Ended);
    EXPECT_EQ(App_Title(), "Sifa_Soft");
    ASSERT_EQ(seen.count, 1);
    const QStringList expected{"Table Country: key \"DE\" is missing in FR version",
                               "Can't launch application... Exiting."};
    EXPECT_EQ(seen.listErreurs, expected);
    QString text = seen.text;
    text.replace("\r\n", "\n");
    EXPECT_EQ(text.split('\n'), expected);
    EXPECT_TRUE(seen.onTop);
    EXPECT_TRUE(rec->shown.empty());
    // The master tables were loaded for the coded fields.
    ASSERT_TRUE(Record_Description);
    const Champ* em = Record_Description->Get_Champs().Item("EM");
    ASSERT_TRUE(em && em->Ref_Listes);
    EXPECT_EQ(em->Ref_Listes->Count(), 3);
}

TEST_F(Start_Up, EmptyRecordDescriptionEndsWithAMessage) {
    Write_Refs(Refs_Text("FR=France\r\n"));
    Scoped_Recorder rec;
    Seen_Error_Window seen;
    Start_Result result;
    {
        Error_Window_Answerer answer(seen);
        result = Main([] { Record_Description = std::make_unique<Record>(); });
    }
    EXPECT_EQ(result, Start_Result::Ended);
    ASSERT_EQ(rec->shown.size(), 1u);
    EXPECT_EQ(rec->shown[0].text, "No record description !!!!\r\nExit...");
    EXPECT_EQ(rec->shown[0].caption, "Sifa_Soft");
    EXPECT_EQ(rec->shown[0].buttons, Msg_Buttons::OK);
    EXPECT_EQ(seen.count, 0);  // stops before the code-table check
    Build_Record_Description();
}
