#pragma once
// The code picker: a coded field's code table as a list of codes and labels, narrowed
// by a code filter and a label filter; OK writes the chosen code into the value box
// the picker was opened from.
//
// Caller: set Target_Box and Coded_Field, call Load, then exec(). Ok, Cancel, a
// double click or the close box unload the window (Unload runs once).
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <memory>

class Field_Def;
class Code_Table;
class QLabel;
class QPushButton;
class QTableWidget;
class Session;

class Code_Picker : public QDialog {
    Q_OBJECT
public:
    // Its caption names the field in the session's language.
    explicit Code_Picker(const Session& session, QWidget* parent = nullptr);
    ~Code_Picker() override;

    // Set by the caller before Load. Target_Box follows the box: it reads
    // nullptr once the box is gone.
    QPointer<QLineEdit> Target_Box;
    Field_Def* Coded_Field = nullptr;
    // Read by the caller after the window has closed.
    bool Code_Chosen = false;
    QString Chosen_Code;

    QLineEdit* Code_Filter;
    QLineEdit* Label_Filter;
    // Column 0 the code, column 1 the label; one whole row is chosen at a time.
    QTableWidget* Code_List;
    QLabel* Chosen_Code_Label;
    QLabel* Chosen_Label_Label;
    QPushButton* Cancel;
    QPushButton* Ok;
    // True once the window has been unloaded (Ok, Cancel, Escape or the close box).
    bool Unloaded() const { return unloaded_; }

    void Load();
    void Code_Filter_Edited();
    void Label_Filter_Edited();
    void Row_Changed();
    void Row_Double_Clicked();
    void Accept();
    void Cancel_Picking();
    void Unload();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    void changeEvent(QEvent* e) override;

private:
    // Every caption in the interface's language.
    void Set_Texts();
    const Session& session_;
    void Fill_Code_List();
    void Unload_Window(int result);
    void Choose_Row(int row);

    std::shared_ptr<Code_Table> Filtered_Codes;
    bool only_value_ = false;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool filling_ = false;
};
