#include "output/Export.h"

#include "Output_Fixture.h"
#include "Test_Files.h"
#include "output/Field_Chooser.h"
#include "output/List_Printer.h"
#include "search/Field_Sets.h"
#include "search/Name_Selection.h"
#include "search/Result_Text.h"
#include "winsupport/Window_Utils.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

struct Export_Test : Output_Test {
    Search_Results s{session};
    std::unique_ptr<Export> e;

    void Open(bool For_Printing, const QString& lang = "EN", int records = 2) {
        if (lang != session.Language()) Use_Language(lang);
        Fill_Records(Plain_Records(records));
        Search_All(s, lang);
        e = std::make_unique<Export>(session, s);
        e->For_Printing = For_Printing;
        e->Criteria_Text = "Selection criteria are Year Not Empty";
        e->Load();
    }
};

TEST_F(Export_Test, Opens_On_What_Its_Button_Is_For) {
    for (const bool printing : {false, true}) {
        SCOPED_TRACE(printing);
        Open(printing);
        EXPECT_EQ(e->windowTitle(), "Sifa_Soft Print/Export");
        // Print opens on the list form, Export on the table; only a list with labels prints.
        EXPECT_EQ(e->As_List->isChecked(), printing);
        EXPECT_EQ(e->As_Table->isChecked(), !printing);
        EXPECT_TRUE(e->With_Labels->isChecked());
        EXPECT_EQ(e->Print_Button->isEnabled(), printing);
        EXPECT_TRUE(e->Field_Set_Choice[0]->isChecked() && !e->Custom_Button->isEnabled());
        EXPECT_FALSE(e->Field_Set_Choice[3]->isVisibleTo(e.get()));
        EXPECT_EQ(e->Columns->Available.Count(), 16);
    }
    for (const bool labels : {false, true}) {
        e->With_Labels->setChecked(labels);
        e->With_Labels_Toggled();
        EXPECT_EQ(e->Print_Button->isEnabled(), labels);
    }
    e->As_Table->setChecked(true);
    e->Table_Format_Chosen();
    EXPECT_FALSE(e->As_List->isChecked());
    EXPECT_FALSE(e->Print_Button->isEnabled());
}

TEST_F(Export_Test, Custom_Set_Through_The_Chooser) {
    Open(false);
    e->Field_Set_Chosen(2);
    EXPECT_TRUE(e->Custom_Button->isEnabled());
    // Before any "Select...": no column, so nowhere to send it.
    EXPECT_FALSE(e->Clip_Button->isEnabled() || e->File_Button->isEnabled() || e->Print_Button->isEnabled());

    QStringList opened_with;
    e->Run_Field_Chooser = [&](Field_Chooser& c) {
        opened_with = Field_Chooser::Entries(c.Selected);
        for (int i = 0; i < c.Available->count(); ++i)
            c.Available->item(i)->setSelected(c.Available->item(i)->text() == "Year" ||
                                              c.Available->item(i)->text() == "Reco Text");
        c.Select_Highlighted();
        c.Accept();
        return 1;
    };
    e->Choose_Fields();
    EXPECT_TRUE(opened_with.isEmpty());
    EXPECT_TRUE(e->Clip_Button->isEnabled());
    e->Export_To_Clipboard();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Year\tReco Text\r\n1991\ttext 1\r\n"));
    EXPECT_EQ(e->Status->text(), "2 records copied to the clipboard");

    // "Short" and back: the custom set is still there; a cancelled chooser keeps it.
    e->Field_Set_Chosen(0);
    EXPECT_FALSE(e->Custom_Button->isEnabled());
    e->Field_Set_Chosen(2);
    e->Run_Field_Chooser = [&](Field_Chooser& c) {
        opened_with = Field_Chooser::Entries(c.Selected);
        c.Unselect_Every_Name();
        c.Cancel_Choice();
        return 0;
    };
    e->Choose_Fields();
    EXPECT_EQ(opened_with, QStringList({"Reco Text", "Year"}));
    QGuiApplication::clipboard()->clear();
    e->Export_To_Clipboard();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Year\tReco Text\r\n"));
}

TEST_F(Export_Test, To_File) {
    Open(false);
    QTemporaryDir dir;
    const QString file = dir.filePath("out.csv");
    messages->fileAnswers = {QString(), file, dir.filePath("missing/folder/out.csv")};
    e->Export_To_File();  // cancelled
    ASSERT_EQ(messages->fileRequests.size(), 1u);
    const File_Dialog_Request asked = messages->fileRequests[0];
    EXPECT_FALSE(asked.open);
    EXPECT_EQ(asked.title, "Documents to create");
    EXPECT_EQ(asked.filter, "CSV Files (*.csv);;Excel workbook (*.xlsx);;All files (*.*)");
    EXPECT_EQ(asked.fileName, "Sifa_result.csv");
    EXPECT_TRUE(QFileInfo(asked.initialDirectory).isDir());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(e->Status->toolTip().isEmpty());

    e->Export_To_File();
    EXPECT_EQ(Read_Bytes(file),
              Export_File_Bytes(s, true, true, Field_Set_From_Range(session.Description(), "1-4,8,10-17", "EN")));
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(e->Status->toolTip(), "2 records written to " + QDir::toNativeSeparators(file));

    e->Export_To_File();  // a folder that does not exist
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_FALSE(messages->shown[0].text.isEmpty());
    EXPECT_EQ(messages->shown[0].icon, Msg_Icon::Exclamation);
    EXPECT_TRUE(e->Status->toolTip().isEmpty());
    // It started where the last file went: a folder kept in the user's settings.
    EXPECT_EQ(messages->fileRequests[2].initialDirectory, dir.path());
    EXPECT_TRUE(QFile::exists(Settings_Path()));

    // A name ending in .xlsx: a workbook (Workbook_Export_test.cpp checks its cells).
    const QString book = dir.filePath("out.xlsx");
    messages->fileAnswers = {book};
    e->Export_To_File();
    EXPECT_TRUE(Read_Bytes(book).startsWith("PK\x03\x04"));
    EXPECT_EQ(e->Status->toolTip(), "2 records written to " + QDir::toNativeSeparators(book));
}

// The real file dialog on a file that exists: after "Yes" to its question the export
// dialog has the keyboard again.
TEST_F(Export_Test, After_The_Overwrite_Question_The_Dialog_Has_The_Keys) {
    Open(false);
    QTemporaryDir dir;
    const QString file = dir.filePath("Sifa_result.csv");
    Write_Bytes(file, "old");
    Remember_Folder(dir.path());
    e->show();
    QApplication::setActiveWindow(e.get());
    auto recorder = Install_Message_Service(nullptr);
    QString question;
    QTimer::singleShot(0, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!files) return;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            }
        });
        // Save: its suggested name in the folder used last.
        if (auto* buttons = files->findChild<QDialogButtonBox*>())
            QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
        if (files->isVisible()) files->reject();
    });
    e->Export_To_File();
    Install_Message_Service(std::move(recorder));
    EXPECT_TRUE(question.contains("already exists")) << question.toStdString();
    EXPECT_NE(Read_Bytes(file), "old");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == e.get(); }, 2000));
}

// Print sends the list of the "Short" fields; quick find narrows what goes out, and the
// sentence says so.
TEST_F(Export_Test, Takes_The_Rows_Quick_Find_Shows) {
    Open(true, "EN", 3);
    Apply_Quick_Find(s, "PROJECT 2");
    e->Criteria_Text = With_Quick_Find(e->Criteria_Text, s.Quick_Find_Text);
    Recording_Print_Device dev;
    messages->printSetupAnswer = true;
    e->Before_Print = [&](List_Printer& p) { p.Set_Output_Device(&dev); };
    e->Export_To_Printer();
    EXPECT_TRUE(dev.Ended);
    EXPECT_NE(dev.Find("The Sifa recommendations"), nullptr);
    EXPECT_NE(dev.Find("Selection criteria are Year Not Empty. Quick find: PROJECT 2"), nullptr);
    EXPECT_EQ(dev.Find("MS of coordinator:"), nullptr);
    EXPECT_NE(dev.Find("Project 2"), nullptr);
    EXPECT_EQ(dev.Find("Project 1"), nullptr);
    EXPECT_EQ(dev.Find("Project 3"), nullptr);
    const QString csv = QString::fromLatin1(
        Export_File_Bytes(s, true, true, Field_Set_From_Range(session.Description(), "1-4,8,10-17", "EN")));
    EXPECT_TRUE(csv.contains("Project 2") && !csv.contains("Project 1") && !csv.contains("Project 3"));
}

TEST_F(Export_Test, A_Long_Print_Job_Shows_Its_Progress_And_Cancel_Stops_It) {
    Open(true, "EN", 300);
    messages->printSetupAnswer = true;
    e->Print_Progress_Delay_Ms = 0;
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel);
        Recording_Print_Device dev;
        int calls = 0;
        bool shown = false;
        e->Before_Print = [&](List_Printer& p) {
            p.Set_Output_Device(&dev);
            p.Progress = [&, report = p.Progress](int done, int total) {
                auto* dialog = e->findChild<QProgressDialog*>();
                shown = shown || (dialog && dialog->isVisible());
                if (cancel && ++calls == 3) dialog->cancel();  // the start, then two pages
                return report(done, total);
            };
        };
        e->Export_To_Printer();
        EXPECT_TRUE(shown);
        EXPECT_EQ(dev.Killed, cancel);
        EXPECT_EQ(dev.Ended, !cancel);
        EXPECT_EQ(e->Status->text(), cancel ? "Printing stopped: nothing printed" : "300 records sent to the printer");
        if (cancel)
            EXPECT_EQ(dev.Pages, 2);  // the second page was its last
        else
            EXPECT_GT(dev.Pages, 3);
    }
}

// Print... as a person does it: the real print dialog, looked at for longer than a job
// takes to show its progress, then "Print to File (PDF)" and Print.
TEST_F(Export_Test, The_Real_Print_Dialog_Prints_Into_A_File_After_A_Pause) {
    Open(true, "EN", 60);
    e->Print_Progress_Delay_Ms = 100;
    auto recorder = Install_Message_Service(nullptr);  // the program's own dialogs
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    bool blocked = true, accepted = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        // Longer than a progress box waits before it shows, Qt's own 4 s included.
        QTest::qWait(4500);
        blocked = QApplication::activeModalWidget() != dialog;
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file_name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (printers && file_name && buttons) {
            printers->setCurrentIndex(printers->findText(QStringLiteral("Print to File (PDF)")));
            file_name->setText(pdf);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        }
        accepted = !dialog->isVisible();
        if (!accepted) dialog->reject();  // a dialog that took no click must not hang the test
    });
    e->Export_To_Printer();
    Install_Message_Service(std::move(recorder));
    EXPECT_FALSE(blocked);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(e->Status->toolTip(), "60 records printed into " + QDir::toNativeSeparators(pdf));

    QProcess info, text;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(info.waitForFinished(60000) && text.waitForFinished(60000));
    const QString pages =
        QString::fromUtf8(info.readAllStandardOutput()).section(QStringLiteral("Pages:"), 1).trimmed();
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_GE(pages.section(QLatin1Char('\n'), 0, 0).toInt(), 3) << pages.toStdString();
    EXPECT_TRUE(printed.contains("The Sifa recommendations"));
    for (const char* project : {"Project 1\n", "Project 60\n"}) EXPECT_TRUE(printed.contains(project)) << project;
}

}  // namespace
