#pragma once
// The one place from which a search result leaves the program: to the printer, to a
// CSV file or an Excel workbook, or to the clipboard, with a chosen set of fields and format. The window
// produces no text itself; it works out the column selection and hands it on.
#include "search/Search_Run.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class Field_Chooser;
class Name_Selection;
class List_Printer;
class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class Session;

class Export : public QDialog {
    Q_OBJECT
public:
    Export(const Session& session, Search_Results& results, QWidget* parent = nullptr);
    ~Export() override;

    bool For_Printing = false;  // set before Load
    // The search in words, for the printout's page headers.
    QString Criteria_Text;
    QString Order_Text;

    QGroupBox* Destination_Box = nullptr;
    QPushButton* Print_Button = nullptr;
    QPushButton* File_Button = nullptr;
    QPushButton* Clip_Button = nullptr;
    QGroupBox* Field_Set_Box = nullptr;
    std::array<QRadioButton*, 4> Field_Set_Choice{};
    QPushButton* Custom_Button = nullptr;
    QGroupBox* Format_Box = nullptr;
    QCheckBox* With_Labels = nullptr;
    QRadioButton* As_List = nullptr;
    QRadioButton* As_Table = nullptr;
    // What the last destination did ("400 records copied to the clipboard").
    QLabel* Status = nullptr;
    QPushButton* Close_Button = nullptr;

    // Set_Columns[s][c]: result column c (1..N) belongs to set s.
    std::array<std::vector<bool>, 3> Set_Columns;
    std::vector<bool> Column_Export;
    std::vector<int> Column_Field;
    std::unique_ptr<Name_Selection> Columns;

    // Shows the field chooser modally (tests answer it instead).
    std::function<int(Field_Chooser&)> Run_Field_Chooser;
    // Called with the list printer just before it prints (tests give it their device).
    std::function<void(List_Printer&)> Before_Print;
    // How long a print job runs before its progress shows.
    int Print_Progress_Delay_Ms = 500;

    void Load();
    void Unload();
    void Fill_Field_Choices();
    void Field_Set_Chosen(int Index);
    void List_Format_Chosen();
    void Table_Format_Chosen();
    void With_Labels_Toggled();
    void Choose_Fields();
    void Export_To_File();
    void Export_To_Clipboard();
    void Export_To_Printer();

    static constexpr const char* Report_Title = "The Sifa recommendations";
    static constexpr const char* Suggested_File_Name = "Sifa_result.csv";

protected:
    void changeEvent(QEvent* e) override;

private:
    // Every caption in the interface's language.
    void Set_Texts();
    void Init_Field_Sets();
    void Refresh_Destinations();
    QString Column_Label(int c) const;
    int Selected_Set() const;  // -1 when no set is chosen
    std::unique_ptr<QProgressDialog> Make_Print_Progress(int total);
    void Show_Status(const QString& text);
    QString Records_Text() const;  // "400 records", "1 record"

    const Session& session_;
    Search_Results& results_;
    bool unloaded_ = false;
};

// Opens the export dialog modally over parent, for a result and the sentences that
// describe its search on a printout.
void Open_Export_Dialog(const Session& session, Search_Results& results, const QString& Criteria_Text,
                        const QString& Order_Text, bool For_Printing, QWidget* parent);
