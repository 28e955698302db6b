#pragma once
// Ordering the result: the single-field order of the header clicks and the multi-key
// order of the sort dialog. The search window, its sort dialog and the command-line tool
// all sort through these routines; the rows move in Result_Model. Column numbers here
// count from 1, as the sort dialog lists them (column c is model column c - 1).
#include "model/Session.h"
#include "model/Value.h"
#include "search/Result_Model.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

class Record;

// Single-field mode, owned by the search window.
struct Single_Field_Sort {
    // By field number 0..N: 0 not sorted, 3 or 4 by number (ascending, descending),
    // 5 or 6 by text.
    std::vector<qint32> Sort_State;
    qint32 Sort_Field = 0;  // field of the last header click, 0 before any

    Single_Field_Sort() = default;
    explicit Single_Field_Sort(int last_field) : Sort_State(static_cast<size_t>(std::max(last_field, 0)) + 1, 0) {}
};

// The next sort code of a field after a click, by its Data_Type: text kinds ("1", "5",
// "6") 5 then 6, date and number kinds ("2", "3", "4") 3 then 4, others unchanged.
qint32 Next_Sort_Code(qint32 data_type, qint32 code);

// A header click on field Col_Cur (a field number, as number or numeric text): toggles
// its code, clears the others, sets the heading arrows, sorts. A value that is not
// numeric, a field out of range or not shown does nothing.
void Sort_By_Heading(Result_Model& result, Single_Field_Sort& state, const Value& Col_Cur);
// Re-applies the current single-field order (after a search): arrows, then the sort.
void Sort_By_Heading(Result_Model& result, Single_Field_Sort& state);

// Multi-key mode: the keys (Sort_Key_Columns) are the session's.

// The mode box was toggled: arrows and single-field codes go, the keys too. Switched on
// (Multi_On), a single-field order in effect becomes key 1, so that the sort dialog shows
// the order the rows are in.
void Sort_Mode_Toggled(Result_Model& result, Single_Field_Sort& state, Sort_Key_Columns& keys, bool Multi_On = false);

// One key as the sort dialog shows it: Column 0 is "Undefined".
struct Sort_Key_Choice {
    qint32 Column = 0;
    bool Ascending = true;

    bool operator==(const Sort_Key_Choice&) const = default;
};
using Sort_Key_Choices = std::array<Sort_Key_Choice, 4>;

// What the dialog shows for stored keys on a grid whose last column is last_col: once
// a key is undefined (or names a column the grid does not have), so are the later ones.
Sort_Key_Choices Choices_From_Sort_Keys(const Sort_Key_Columns& keys, int last_col);
// What the dialog stores when it closes; keys after an undefined one are dropped.
Sort_Key_Columns Sort_Keys_From_Choices(const Sort_Key_Choices& choices);
// The keys as one order: a key that names the column of an earlier key goes and the later
// ones move up; nothing after the first undefined key.
Sort_Key_Choices Distinct_Choices(const Sort_Key_Choices& choices);
// The multi-key order in words: "Ordered by Country, Year (Descending)"; "" without keys.
QString Sort_Keys_Text(const Result_Model& result, const Sort_Key_Columns& keys);
// The headings show the order: an arrow on each key's column, numbered from 1 when
// there are several keys; no other column keeps an arrow.
void Show_Sort_Keys_On_Headers(Result_Model& result, const Sort_Key_Choices& choices);

// The result side of the sort dialog: Load takes the columns, Apply is the "Sort" button,
// Unload stores the keys shown.
class Multi_Key_Sort {
public:
    enum class Result { Sorted, Nothing_To_Do };

    Multi_Key_Sort() = default;
    Multi_Key_Sort(const Multi_Key_Sort&) = delete;
    Multi_Key_Sort& operator=(const Multi_Key_Sort&) = delete;

    // Load: remembers the result and its last column L. False when already loaded.
    bool Load(Result_Model& result);
    bool Loaded() const { return result_ != nullptr; }
    int Last_Col() const { return last_col_; }
    // Entries of each key list: "Undefined", then the headings of columns 1..L.
    QStringList Key_Entries() const;

    // Sort_Now: sorts by the keys, each by the Generic rule, key 1 first, ties by the
    // next key. Nothing_To_Do when key 1 is undefined (the dialog then says "Nothing to
    // do !" if it is shown).
    Result Apply(const Sort_Key_Choices& choices);

    // Unload: keys = the choices.
    void Unload(const Sort_Key_Choices& choices, Sort_Key_Columns& keys);

private:
    Result_Model* result_ = nullptr;
    int last_col_ = 0;
};

// What a search does in multi-key mode: the stored keys are applied again (and stored
// again, as the dialog would show them).
void Reapply_Sort_Keys(Result_Model& result, Sort_Key_Columns& keys);
