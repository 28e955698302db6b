#pragma once
// Ordering the result grid: the single-field order of the header clicks and the
// multi-key order of the sort dialog. The search window, its sort dialog and the
// command-line tool all sort through these routines.
#include "model/Value.h"
#include "search/Text_Grid.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

class Record;

// The result grid and its column maps as the last search left them.
struct Result_Grid_Ref {
    Text_Grid& Data;
    const std::vector<qint32>& Field_Grid_Col;  // by field number; -1 = not shown
    const std::vector<qint32>& Grid_Col_Field;  // by grid column; 0 = no field
    Record* Description = nullptr;  // field types; nullptr = Record_Description
};

// Single-field mode, owned by the search window.
struct Single_Field_Sort {
    std::vector<qint32> Sort_State;  // by field number 0..N: 0 or the grid sort code 3..6
    qint32 Sort_Field = 0;  // field of the last header click, 0 before any

    Single_Field_Sort() = default;
    explicit Single_Field_Sort(int last_field) : Sort_State(static_cast<size_t>(std::max(last_field, 0)) + 1, 0) {}
};

// The next sort code of a field after a click, by its Data_Type: text kinds ("1", "5",
// "6") 5 then 6, date and number kinds ("2", "3", "4") 3 then 4, others unchanged.
qint32 Next_Sort_Code(qint32 data_type, qint32 code);

// A header click on field Col_Cur (a field number, as number or numeric text): toggles
// its code, clears the others, sets the header pictures, sorts. A value that is not
// numeric, a field out of range or not shown does nothing.
void DoSort(const Result_Grid_Ref& grid, Single_Field_Sort& state, const Value& Col_Cur);
// Re-applies the current single-field order (after a search): pictures, then the sort.
void DoSort(const Result_Grid_Ref& grid, Single_Field_Sort& state);

// Multi-key mode: four grid column numbers, key 1 first, negative for descending,
// 0 for no key (and no key after a 0). Application-wide.
using Sort_Keys_T = std::array<qint32, 4>;
extern Sort_Keys_T Sort_Keys;

// The mode box was toggled: header pictures and single-field codes go, the keys too.
// Switched on (Multi_On), a single-field order in effect becomes key 1, so that the sort
// dialog shows the order the rows are in.
void AdvancedSort_Click(const Result_Grid_Ref& grid, Single_Field_Sort& state, Sort_Keys_T& keys,
                        bool Multi_On = false);

// One key as the sort dialog shows it: Column 0 is "Undefined".
struct Sort_Key_Choice {
    qint32 Column = 0;
    bool Ascending = true;

    bool operator==(const Sort_Key_Choice&) const = default;
};
using Sort_Key_Choices = std::array<Sort_Key_Choice, 4>;

// What the dialog shows for stored keys on a grid whose last column is last_col: once
// a key is undefined (or names a column the grid does not have), so are the later ones.
Sort_Key_Choices Choices_From_Sort_Keys(const Sort_Keys_T& keys, int last_col);
// What the dialog stores when it closes; keys after an undefined one are dropped.
Sort_Keys_T Sort_Keys_From_Choices(const Sort_Key_Choices& choices);
// The keys as one order: a key that names the column of an earlier key goes and the later
// ones move up; nothing after the first undefined key.
Sort_Key_Choices Distinct_Choices(const Sort_Key_Choices& choices);
// The multi-key order in words: "Ordered by Country, Year (Descending)"; "" without keys.
QString Sort_Keys_Text(const Text_Grid& Data, const Sort_Keys_T& keys);
// The header row shows the order: an arrow on each key's column, numbered from 1 when
// there are several keys; no other column of 1..last_col keeps a picture.
void Show_Sort_Keys_On_Headers(Text_Grid& Data, const Sort_Key_Choices& choices, int last_col);

// The group code of a counter: upper-case hexadecimal after underscores, six
// characters ("_____1", "____1A"), so that codes order as their counters in text order.
QString Group_Code(qint32 counter);

// The grid side of the sort dialog: Load adds the hidden key column, Apply is the
// "Sort" button, Unload takes the key column away and stores the keys shown.
// A Multi_Key_Sort destroyed while loaded takes the key column away too.
class Multi_Key_Sort {
public:
    enum class Result { Sorted, Nothing_To_Do };

    Multi_Key_Sort() = default;
    Multi_Key_Sort(const Multi_Key_Sort&) = delete;
    Multi_Key_Sort& operator=(const Multi_Key_Sort&) = delete;
    ~Multi_Key_Sort();

    // Form_Load: remembers the last column L and last row R, adds column L + 1 of
    // width 0. False when already loaded.
    bool Load(Text_Grid& Data);
    bool Loaded() const { return data_ != nullptr; }
    int Last_Col() const { return last_col_; }
    int Last_Row() const { return last_row_; }
    int Key_Col() const { return last_col_ + 1; }
    // Entries of each key list: "Undefined", then the header texts of columns 1..L.
    QStringList Key_Entries() const;

    // cmdOk_Click: sorts by the keys (each by the grid's generic order), numbering the
    // groups of equal texts of each key into the key column, then sorts by that column.
    // Nothing_To_Do when key 1 is undefined (the dialog then says "Nothing to do !" if
    // it is shown). Redraw is on afterwards.
    Result Apply(const Sort_Key_Choices& choices);

    // Form_Unload: the grid gets back its former columns; keys = the choices.
    void Unload(const Sort_Key_Choices& choices, Sort_Keys_T& keys);

private:
    void Restore_Columns();
    Text_Grid* data_ = nullptr;
    int last_col_ = 0;
    int last_row_ = 0;
};

// What a search does in multi-key mode: load the dialog unseen, apply the stored keys,
// unload it (which stores them again, as shown).
void Reapply_Sort_Keys(Text_Grid& Data, Sort_Keys_T& keys);
