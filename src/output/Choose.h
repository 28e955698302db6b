#pragma once
// The dual-list window that edits a Field: names move between "Available" and
// "Selected"; Ok writes both lists back into the field, Cancel leaves it untouched.
#include <QDialog>
#include <QStringList>

class Field;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

class Choose : public QDialog {
    Q_OBJECT
public:
    explicit Choose(QWidget* parent = nullptr);

    Field* current_field = nullptr;  // set before Form_Load
    bool choose_ok = false;

    QLabel* Lib_Available = nullptr;
    QListWidget* Available = nullptr;
    QLabel* Lib_Selected = nullptr;
    QListWidget* Selected = nullptr;
    QToolButton* Select = nullptr;
    QToolButton* Select_All = nullptr;
    QToolButton* Unselect = nullptr;
    QToolButton* Unselect_All = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;

    // Fills the lists from current_field and lays the window out.
    void Form_Load();
    void Select_Click();
    void Select_All_Click();
    void Unselect_Click();
    void Unselect_All_Click();
    void Ok_Click();
    void Cancel_Click();
    void Refresh_Move_Buttons();
    void Refresh_Ok_Button();

    // The entries of a list, top to bottom.
    static QStringList Entries(const QListWidget* list);
    // Adds a name at its place without regard to letter case; answers its row.
    static int Add_Sorted(QListWidget* list, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Move_Highlighted(QListWidget* from, QListWidget* to);
    bool initial_empty_ = true;
    QStringList initial_selection_;
};
