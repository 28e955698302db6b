#pragma once
// The dual-list window that edits a Name_Selection: names move between "Available" and
// "Selected"; Ok writes both lists back into the field, Cancel leaves it untouched.
#include <QDialog>
#include <QStringList>

class Name_Selection;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

class Field_Chooser : public QDialog {
    Q_OBJECT
public:
    explicit Field_Chooser(QWidget* parent = nullptr);

    Name_Selection* Names = nullptr;  // set before Load
    bool Names_Accepted = false;

    QLabel* Available_Heading = nullptr;
    QListWidget* Available = nullptr;
    QLabel* Selected_Heading = nullptr;
    QListWidget* Selected = nullptr;
    QToolButton* Select = nullptr;
    QToolButton* Select_All = nullptr;
    QToolButton* Unselect = nullptr;
    QToolButton* Unselect_All = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;

    // Fills the lists from Names and lays the window out.
    void Load();
    void Select_Highlighted();
    void Select_Every_Name();
    void Unselect_Highlighted();
    void Unselect_Every_Name();
    void Accept();
    void Cancel_Choice();
    void Refresh_Move_Buttons();
    void Refresh_Ok_Button();

    // The entries of a list, top to bottom.
    static QStringList Entries(const QListWidget* list);
    // Adds a name at its place without regard to letter case; answers its row.
    static int Add_Sorted(QListWidget* list, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // Every caption in the interface's language.
    void Set_Texts();
    // The move buttons' arrows in the palette's caption colours.
    void Draw_Arrows();
    void Move_Highlighted(QListWidget* from, QListWidget* to);
    bool initial_empty_ = true;
    QStringList initial_selection_;
};
