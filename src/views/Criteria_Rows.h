#pragma once
// The three criterion rows of the search window under their headings: a row's field and
// operator lists, how its value is entered (a box, a list of labels, a code with its "?"
// picker and its label beside it), and the check a value box makes when it is left.
#include "search/Criteria.h"
#include "search/Result_Text.h"
#include "views/Sized_Controls.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QCompleter;
class QEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;
class Session;
struct Value_Entry;

class Criteria_Rows : public QWidget {
    Q_OBJECT

public:
    static constexpr int Row_Count = Criterion_Row_Count;

    // chars(n): the width of n average characters of the window's font, in pixels;
    // row_height: the height of a row, in pixels.
    Criteria_Rows(Session& session, const std::function<int(double)>& chars, int row_height, QWidget* parent);

    Session& Session_In_Use;  // its description and language

    std::array<QCheckBox*, Row_Count> Active{};
    std::array<Drop_Down_List*, Row_Count> Field{};
    std::array<QCheckBox*, Row_Count> Negation{};
    std::array<Drop_Down_List*, Row_Count> Operator{};
    std::array<QLineEdit*, Row_Count> Value_Text{};
    std::array<Drop_Down_List*, Row_Count> Value_List{};
    std::array<QLabel*, Row_Count> Value_Description_Label{};
    // "?" beside the value box of each coded row: opens the code picker.
    std::array<QPushButton*, Row_Count> Picker_Button{};
    QLabel* Active_Heading = nullptr;
    QLabel* Field_Heading = nullptr;
    QLabel* Not_Heading = nullptr;
    QLabel* Operator_Heading = nullptr;
    QLabel* Value_Heading = nullptr;
    std::array<QFrame*, 2> Separators{};

    QLineEdit* Last_Value_Box = nullptr;  // the value box that last lost the focus
    // A control to which the focus may go from a value box without its check (the
    // window's Close).
    std::function<bool(const QWidget*)> Leaves_Unchecked;
    // The search ignores accents: a coded value is then accepted by its label without them.
    bool Ignore_Accents = false;

    // A row as the search reads it, and in the words a printout gives it.
    Criterion_Row Read_Row(int Index) const;
    Criterion_Text Row_Text(int Index) const;
    // Item number of the selected Field entry, operator code of the selected Operator entry.
    std::optional<qint32> Field_Item(int Index) const;
    std::optional<qint32> Oper_Code(int Index) const;
    // Row of a value box, -1 when it is none of ours.
    int Row_Of(const QWidget* box) const;

    // Every row inactive and empty but the first, the field lists filled.
    void Clear_Rows();
    // The first row as the window opens: every record whose year is not empty.
    void Set_Initial_Query();
    // The first inactive row, -1 when all three are active.
    int First_Inactive_Row() const;
    // Row Index becomes the criterion c, its value taken as checked.
    void Fill_Row(int Index, const Criterion_Row& c);

    void Fill_Field_Lists();
    // The headings and tips in the interface's language.
    void Set_Texts();
    void Field_Chosen(int Index);
    void Operator_Chosen(int Index);
    void Active_Toggled(int Index);
    void Value_List_Chosen(int Index);
    void Value_Edited(int Index);
    // Cancel set: the value is refused and the focus must stay in the box.
    void Check_Value_On_Leave(int Index, bool& Cancel);
    void Value_Box_Left_Focus(int Index);
    void Open_Code_Picker(int Index);
    // The leave check of a value box: true when accepted; otherwise the message has
    // been shown and the focus is back in the box.
    bool Leave_Check(int Index);
    // Events of any control of the window: a value box left by focus, Tab or a click
    // elsewhere is checked first. True when the event is to be dropped.
    bool Focus_Event(QObject* watched, QEvent* e);

private:
    void Build_Layout(const std::function<int(double)>& chars, int row_height);
    void Connect_Controls();
    void Value_Box_Left(int Index, QWidget* next, Qt::FocusReason reason);
    bool Skips_Value_Check(const QWidget* w, int Index) const;
    // The value boxes ask for the width their field does; the layout keeps them within
    // the window.
    void Apply_Value_Box_Width(int Index);
    // Offers the codes of a coded row as its value box is typed into; none otherwise.
    void Set_Code_Completer(int Index, qint32 item, const Value_Entry& e);
    void Fit_List(Drop_Down_List* list) const;

    std::function<int(double)> chars_;
    std::array<double, Row_Count> value_width_{};  // average characters, as the field asks
    std::array<int, Row_Count> shown_length_{};  // characters a value box shows whole
    std::array<QCompleter*, Row_Count> code_completer_{};  // the codes of a coded row
    std::array<QSpacerItem*, Row_Count> description_gap_{};  // between a row's value and its description
    std::array<QString, Row_Count> accepted_{};  // text that last passed the leave check
    bool validating_ = false;
    bool filling_fields_ = false;
};
