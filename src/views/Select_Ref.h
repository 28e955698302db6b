#pragma once
// The code picker: a coded field's code table as a list of codes and labels, narrowed
// by a code filter and a label filter; OK writes the chosen code into the value box
// the picker was opened from.
//
// Caller: set Cur_Control and Cur_Champ, call Form_Load, then exec(). Ok, Cancel, a
// double click or the close box unload the window (Form_Unload runs once).
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <memory>

class Champ;
class Refs;
class QLabel;
class QPushButton;
class QTableWidget;
class Session;

class Select_Ref : public QDialog {
    Q_OBJECT
public:
    // Its caption names the field in the session's language.
    explicit Select_Ref(const Session& session, QWidget* parent = nullptr);
    ~Select_Ref() override;

    // Set by the caller before Form_Load. Cur_Control follows the box: it reads
    // nullptr once the box is gone.
    QPointer<QLineEdit> Cur_Control;
    Champ* Cur_Champ = nullptr;
    // Read by the caller after the window has closed.
    bool c_est_ok = false;
    QString valeur_de_retour;

    QLineEdit* Code_Search;
    QLineEdit* Val_Search;
    // Column 0 the code, column 1 the label; one whole row is chosen at a time.
    QTableWidget* List;
    QLabel* Code_Selected;
    QLabel* Val_Selected;
    QPushButton* Cancel;
    QPushButton* Ok;

    // What the list shows now.
    const Refs* Shown_Refs() const { return Filtered_Refs.get(); }
    // True once the window has been unloaded (Ok, Cancel, Escape or the close box).
    bool Unloaded() const { return unloaded_; }

    void Form_Load();
    void Code_Search_Change();
    void Val_Search_Change();
    void List_RowColChange();
    void List_DblClick();
    void Ok_Click();
    void Cancel_Click();
    void Form_Unload();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    const Session& session_;
    void Fill_Code_List();
    void Unload_Window(int result);
    void Choose_Row(int row);

    std::shared_ptr<Refs> Filtered_Refs;
    bool only_value_ = false;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool filling_ = false;
};
