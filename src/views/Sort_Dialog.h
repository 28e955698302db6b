#pragma once
// The sort dialog: up to four keys over the columns of the result grid, each ascending
// or descending, a column in one key at most. "Sort" orders the grid and leaves the
// dialog open; "Cancel" (or Escape) closes it and keeps the order in effect; the close
// box stores the keys shown. The grid side is Multi_Key_Sort.
//
// Caller: Sort_Dialog dlg(grid, session.Sort_Keys, parent); dlg.exec(). Load runs when the
// dialog is first shown unless called before; Unload runs once when it closes
// (or is destroyed).
#include "search/Sorting.h"

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class Sort_Dialog : public QDialog {
    Q_OBJECT
public:
    Sort_Dialog(Result_Model& Data, Sort_Key_Columns& Keys, QWidget* parent = nullptr);
    ~Sort_Dialog() override;

    std::array<QGroupBox*, 4> Key_Box{};
    std::array<QComboBox*, 4> Key_Column{};
    // Key_Order[2k] "Ascending", Key_Order[2k + 1] "Descending" of key k.
    std::array<QRadioButton*, 8> Key_Order{};
    QPushButton* Ok_Button = nullptr;
    QPushButton* Cancel_Button = nullptr;
    QLabel* Order_In_Effect = nullptr;  // the order in effect, in words

    // False when loading failed (the message box has been shown).
    bool Load();
    void Key_Column_Chosen(int Index);
    void Key_Column_Dropped_Down(int Index);
    // "Sort"; also run by the search without showing the dialog.
    Multi_Key_Sort::Result Sort_Now();
    void Cancel_Sort();
    void Came_Forward();
    void Unload();
    // Opened from a header click on grid column col: that column's key gets the focus,
    // or the column becomes the next key when it is none yet.
    void Preselect_Column(int col);

    // The keys as the controls show them.
    Sort_Key_Choices Choices() const;
    bool Loaded() const { return loaded_; }
    const Multi_Key_Sort& Sorter() const { return sort_; }

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void done(int r) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Build();
    void Set_Key_Enabled(int k, bool on);
    // Fills the four lists for the keys: each list offers the columns no earlier key took.
    void Show_Choices(const Sort_Key_Choices& choices);
    void Show_Order_In_Effect();
    // Every caption in the interface's language.
    void Set_Texts();

    Result_Model& data_;
    Sort_Key_Columns& keys_;
    Multi_Key_Sort sort_;
    bool loaded_ = false;  // Key_Column_Chosen acts from now on
    bool shown_ = false;
    bool unloaded_ = false;
    bool cancelled_ = false;
    Sort_Key_Choices in_effect_{};  // the keys the grid is ordered by
};
