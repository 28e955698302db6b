#include "search/Sorting.h"

#include "model/Record_Description.h"
#include "model/Utils.h"

#include <cstdlib>

Sort_Keys_T Sort_Keys{};

namespace {

qint32 At(const std::vector<qint32>& v, qint64 i, qint32 absent) {
    return i >= 0 && i < static_cast<qint64>(v.size()) ? v[static_cast<size_t>(i)] : absent;
}

qint32 Data_Type_Of(Record* description, qint32 field) {
    Record* d = description ? description : Record_Description.get();
    if (!d) return Type_None;
    const Champ* c = d->Get_Champs().Item(field);
    return c ? c->Type() : Type_None;
}

void Do_Sort(const Result_Grid_Ref& g, Single_Field_Sort& st, const Value* Col_Cur) {
    qint64 f = st.Sort_Field;
    if (Col_Cur) {
        const auto whole = To_Whole(*Col_Cur);
        if (!whole) return;
        f = *whole;
    }
    if (f < 1 || f >= static_cast<qint64>(st.Sort_State.size()) || At(g.Field_Grid_Col, f, -1) == -1) return;
    qint32& code = st.Sort_State[static_cast<size_t>(f)];
    if (Col_Cur) {
        st.Sort_Field = static_cast<qint32>(f);
        code = Next_Sort_Code(Data_Type_Of(g.Description, st.Sort_Field), code);
        for (size_t i = 0; i < st.Sort_State.size(); ++i)
            if (static_cast<qint64>(i) != f) st.Sort_State[i] = 0;
    }
    Text_Grid& grid = g.Data;
    if (grid.Set_Row(0)) {
        for (int j = 0; j < grid.Cols(); ++j) {
            grid.Set_Col(j);
            grid.Set_Cell_Picture_Alignment(0, j, Grid_Alignment::Right_Top);
            Grid_Picture p = Grid_Picture::None;
            if (At(g.Grid_Col_Field, j, 0) == f && code != 0)
                p = Is_Even(code) ? Grid_Picture::Descending : Grid_Picture::Ascending;
            grid.Set_Cell_Picture(0, j, p);
        }
    }
    // A map that names a column the grid lacks must not sort whatever column is current.
    if (code != 0 && grid.Set_Col(At(g.Field_Grid_Col, f, -1))) grid.Sort(code);
}

}  // namespace

qint32 Next_Sort_Code(qint32 data_type, qint32 code) {
    if (Is_Text_Type(data_type)) return code == 5 ? 6 : 5;
    if (data_type == Type_Date || data_type == Type_Hour || data_type == Type_Whole) return code == 3 ? 4 : 3;
    return code;
}

void DoSort(const Result_Grid_Ref& grid, Single_Field_Sort& state, const Value& Col_Cur) {
    Do_Sort(grid, state, &Col_Cur);
}

void DoSort(const Result_Grid_Ref& grid, Single_Field_Sort& state) { Do_Sort(grid, state, nullptr); }

void AdvancedSort_Click(const Result_Grid_Ref& g, Single_Field_Sort& state, Sort_Keys_T& keys, bool Multi_On) {
    keys.fill(0);
    for (size_t i = 0; i < state.Sort_State.size(); ++i) {
        if (state.Sort_State[i] == 0) continue;
        const qint32 c = At(g.Field_Grid_Col, static_cast<qint64>(i), -1);
        if (Multi_On && c > 0) keys[0] = Is_Even(state.Sort_State[i]) ? -c : c;
        state.Sort_State[i] = 0;
    }
    // Multi-key arrows and numbers go too.
    if (g.Data.Rows() > 0)
        for (int c = 0; c < g.Data.Cols(); ++c) {
            g.Data.Set_Cell_Picture(0, c, Grid_Picture::None);
            g.Data.Set_Cell_Picture_Number(0, c, 0);
        }
    if (keys[0] != 0)
        Show_Sort_Keys_On_Headers(g.Data, Choices_From_Sort_Keys(keys, g.Data.Cols() - 1), g.Data.Cols() - 1);
}

Sort_Key_Choices Distinct_Choices(const Sort_Key_Choices& choices) {
    Sort_Key_Choices out{};
    size_t n = 0;
    for (const Sort_Key_Choice& c : choices) {
        if (c.Column <= 0) break;
        bool taken = false;
        for (size_t k = 0; k < n; ++k) taken = taken || out[k].Column == c.Column;
        if (!taken) out[n++] = c;
    }
    return out;
}

QString Sort_Keys_Text(const Text_Grid& Data, const Sort_Keys_T& keys) {
    QString text;
    for (qint32 k : keys) {
        if (k == 0) break;
        text += text.isEmpty() ? QStringLiteral("Ordered by ") : QStringLiteral(", ");
        text += Data.Text_Matrix(0, std::abs(k));
        if (k < 0) text += QStringLiteral(" (Descending)");
    }
    return text;
}

void Show_Sort_Keys_On_Headers(Text_Grid& Data, const Sort_Key_Choices& choices, int last_col) {
    if (Data.Rows() < 1) return;
    int keys = 0;
    while (keys < static_cast<int>(choices.size()) && choices[static_cast<size_t>(keys)].Column > 0) ++keys;
    for (int c = 1; c <= last_col && c < Data.Cols(); ++c) {
        Grid_Picture p = Grid_Picture::None;
        int number = 0;
        for (int k = 0; k < keys; ++k) {
            if (choices[static_cast<size_t>(k)].Column != c) continue;
            p = choices[static_cast<size_t>(k)].Ascending ? Grid_Picture::Ascending : Grid_Picture::Descending;
            number = keys > 1 ? k + 1 : 0;
            break;
        }
        Data.Set_Cell_Picture_Alignment(0, c, Grid_Alignment::Right_Top);
        Data.Set_Cell_Picture(0, c, p);
        Data.Set_Cell_Picture_Number(0, c, number);
    }
}

Sort_Key_Choices Choices_From_Sort_Keys(const Sort_Keys_T& keys, int last_col) {
    Sort_Key_Choices choices{};
    for (size_t k = 0; k < keys.size(); ++k) {
        const qint64 c = keys[k] < 0 ? -static_cast<qint64>(keys[k]) : keys[k];
        if (c == 0 || c > last_col) break;
        choices[k] = {static_cast<qint32>(c), keys[k] >= 0};
    }
    return choices;
}

Sort_Keys_T Sort_Keys_From_Choices(const Sort_Key_Choices& choices) {
    Sort_Keys_T keys{};
    for (size_t k = 0; k < choices.size(); ++k) {
        if (choices[k].Column <= 0) break;
        keys[k] = choices[k].Ascending ? choices[k].Column : -choices[k].Column;
    }
    return keys;
}

namespace {
// The rightmost six characters of "______" followed by the counter in hexadecimal.
QStringView Write_Group_Code(qint32 counter, std::array<char16_t, 6>& buf) {
    quint32 n = static_cast<quint32>(counter);
    for (int i = 5; i >= 0; --i) {
        if (n == 0 && i < 5) {
            buf[i] = u'_';
            continue;
        }
        const quint32 d = n % 16;
        buf[i] = static_cast<char16_t>(d < 10 ? u'0' + d : u'A' + d - 10);
        n /= 16;
    }
    return QStringView(buf.data(), 6);
}
// Exact comparison; shared texts (labels of a code table) need no reading.
bool Same_Text(const QString& a, const QString& b) {
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}
}  // namespace

QString Group_Code(qint32 counter) {
    std::array<char16_t, 6> buf;
    return Write_Group_Code(counter, buf).toString();
}

Multi_Key_Sort::~Multi_Key_Sort() { Restore_Columns(); }

bool Multi_Key_Sort::Load(Text_Grid& Data) {
    if (data_) return false;
    last_col_ = Data.Cols() - 1;
    last_row_ = Data.Rows() - 1;
    Data.Set_Cols(last_col_ + 2);
    Data.Set_Col_Width(Key_Col(), 0);
    data_ = &Data;
    return true;
}

QStringList Multi_Key_Sort::Key_Entries() const {
    QStringList entries{QStringLiteral("Undefined")};
    if (data_)
        for (int c = 1; c <= last_col_; ++c) entries << data_->Text_Matrix(0, c);
    return entries;
}

Multi_Key_Sort::Result Multi_Key_Sort::Apply(const Sort_Key_Choices& choices) {
    auto defined = [&](size_t k) {
        return k < choices.size() && choices[k].Column >= 1 && choices[k].Column <= last_col_;
    };
    if (!data_ || !defined(0)) return Result::Nothing_To_Do;
    Text_Grid& grid = *data_;
    const int key_col = Key_Col();
    const int first = grid.Fixed_Rows();
    const int last = std::min(last_row_, grid.Rows() - 1);
    size_t keys = 0;
    while (defined(keys)) ++keys;
    // Room for every group code up front: the codes are then appended in place.
    for (int r = first; r <= last; ++r) {
        QString room;
        if (keys > 1) room.reserve(static_cast<qsizetype>(6 * keys));
        grid.Set_Text_Matrix(r, key_col, std::move(room));
    }
    grid.Set_Redraw(false);

    bool single = false;
    for (size_t k = 0; k < choices.size() && defined(k); ++k) {
        const int c = choices[k].Column;
        grid.Set_Col(c);
        grid.Sort(choices[k].Ascending ? 1 : 2);
        if (k == 0 && !defined(1)) {
            single = true;
            break;
        }
        qint32 counter = 0;
        std::array<char16_t, 6> buf;
        QStringView code;
        for (int r = first; r <= last; ++r) {
            if (r == first || !Same_Text(grid.Text_Matrix(r, c), grid.Text_Matrix(r - 1, c)))
                code = Write_Group_Code(++counter, buf);
            grid.Append_Text_Matrix(r, key_col, code);
        }
    }
    if (!single) {
        grid.Set_Col(key_col);
        grid.Sort(1);
    }
    Show_Sort_Keys_On_Headers(grid, choices, last_col_);
    grid.Set_Redraw(true);
    return Result::Sorted;
}

void Multi_Key_Sort::Restore_Columns() {
    if (data_) data_->Set_Cols(last_col_ + 1);
    data_ = nullptr;
}

void Multi_Key_Sort::Unload(const Sort_Key_Choices& choices, Sort_Keys_T& keys) {
    Restore_Columns();
    keys = Sort_Keys_From_Choices(choices);
}

void Reapply_Sort_Keys(Text_Grid& Data, Sort_Keys_T& keys) {
    Multi_Key_Sort dialog;
    dialog.Load(Data);
    const Sort_Key_Choices choices = Choices_From_Sort_Keys(keys, dialog.Last_Col());
    dialog.Apply(choices);
    dialog.Unload(choices, keys);
}
