#include "search/Sorting.h"

#include "model/Record_Description.h"
#include "model/Utils.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {

void Apply_Heading_Sort(Result_Model& result, Single_Field_Sort& st, const Value* Col_Cur) {
    qint64 f = st.Sort_Field;
    if (Col_Cur) {
        const auto whole = To_Whole(*Col_Cur);
        if (!whole) return;
        f = *whole;
    }
    if (f < 1 || f >= static_cast<qint64>(st.Sort_State.size())) return;
    const int col = result.Column_Of(static_cast<qint32>(f));
    if (col < 0) return;
    qint32& code = st.Sort_State[static_cast<size_t>(f)];
    if (Col_Cur) {
        st.Sort_Field = static_cast<qint32>(f);
        const Record* d = result.Table().Description();
        const Field_Def* ch = d ? d->Fields().Item(st.Sort_Field) : nullptr;
        code = Next_Sort_Code(ch ? ch->Type() : Type_None, code);
        for (size_t i = 0; i < st.Sort_State.size(); ++i)
            if (static_cast<qint64>(i) != f) st.Sort_State[i] = 0;
    }
    result.Clear_Arrows();
    if (code < 3 || code > 6) return;
    result.Set_Arrow(col, Is_Even(code) ? Sort_Arrow::Descending : Sort_Arrow::Ascending);
    result.Sort(col, code <= 4 ? Sort_Rule::Number : Sort_Rule::Text, !Is_Even(code));
}

}  // namespace

qint32 Next_Sort_Code(qint32 data_type, qint32 code) {
    if (Is_Text_Type(data_type)) return code == 5 ? 6 : 5;
    if (data_type == Type_Date || data_type == Type_Hour || data_type == Type_Whole) return code == 3 ? 4 : 3;
    return code;
}

void Sort_By_Heading(Result_Model& result, Single_Field_Sort& state, const Value& Col_Cur) {
    Apply_Heading_Sort(result, state, &Col_Cur);
}

void Sort_By_Heading(Result_Model& result, Single_Field_Sort& state) { Apply_Heading_Sort(result, state, nullptr); }

void Sort_Mode_Toggled(Result_Model& result, Single_Field_Sort& state, Sort_Key_Columns& keys, bool Multi_On) {
    keys.fill(0);
    for (size_t i = 0; i < state.Sort_State.size(); ++i) {
        if (state.Sort_State[i] == 0) continue;
        const int c = result.Column_Of(static_cast<qint32>(i)) + 1;
        if (Multi_On && c > 0) keys[0] = Is_Even(state.Sort_State[i]) ? -c : c;
        state.Sort_State[i] = 0;
    }
    result.Clear_Arrows();
    if (keys[0] != 0) Show_Sort_Keys_On_Headers(result, Choices_From_Sort_Keys(keys, result.Columns()));
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

QString Sort_Keys_Text(const Result_Model& result, const Sort_Key_Columns& keys) {
    QString text;
    for (qint32 k : keys) {
        if (k == 0) break;
        text += text.isEmpty() ? QCoreApplication::translate("Search", "Ordered by ") : QStringLiteral(", ");
        text += result.Heading(std::abs(k) - 1);
        if (k < 0) text += QCoreApplication::translate("Search", " (Descending)");
    }
    return text;
}

void Show_Sort_Keys_On_Headers(Result_Model& result, const Sort_Key_Choices& choices) {
    int keys = 0;
    while (keys < static_cast<int>(choices.size()) && choices[static_cast<size_t>(keys)].Column > 0) ++keys;
    for (int c = 1; c <= result.Columns(); ++c) {
        Sort_Arrow arrow = Sort_Arrow::None;
        int number = 0;
        for (int k = 0; k < keys; ++k) {
            if (choices[static_cast<size_t>(k)].Column != c) continue;
            arrow = choices[static_cast<size_t>(k)].Ascending ? Sort_Arrow::Ascending : Sort_Arrow::Descending;
            number = keys > 1 ? k + 1 : 0;
            break;
        }
        result.Set_Arrow(c - 1, arrow, number);
    }
}

Sort_Key_Choices Choices_From_Sort_Keys(const Sort_Key_Columns& keys, int last_col) {
    Sort_Key_Choices choices{};
    for (size_t k = 0; k < keys.size(); ++k) {
        const qint64 c = keys[k] < 0 ? -static_cast<qint64>(keys[k]) : keys[k];
        if (c == 0 || c > last_col) break;
        choices[k] = {static_cast<qint32>(c), keys[k] >= 0};
    }
    return choices;
}

Sort_Key_Columns Sort_Keys_From_Choices(const Sort_Key_Choices& choices) {
    Sort_Key_Columns keys{};
    for (size_t k = 0; k < choices.size(); ++k) {
        if (choices[k].Column <= 0) break;
        keys[k] = choices[k].Ascending ? choices[k].Column : -choices[k].Column;
    }
    return keys;
}

bool Multi_Key_Sort::Load(Result_Model& result) {
    if (result_) return false;
    result_ = &result;
    last_col_ = result.Columns();
    return true;
}

QStringList Multi_Key_Sort::Key_Entries() const {
    QStringList entries{QCoreApplication::translate("Search", "Undefined")};
    if (result_)
        for (int c = 1; c <= last_col_; ++c) entries << result_->Heading(c - 1);
    return entries;
}

Multi_Key_Sort::Result Multi_Key_Sort::Apply(const Sort_Key_Choices& choices) {
    auto defined = [&](size_t k) {
        return k < choices.size() && choices[k].Column >= 1 && choices[k].Column <= last_col_;
    };
    if (!result_ || !defined(0)) return Result::Nothing_To_Do;
    std::vector<Result_Model::Sort_Key> keys;
    for (size_t k = 0; defined(k); ++k) keys.push_back({choices[k].Column - 1, choices[k].Ascending});
    result_->Sort(keys);
    Show_Sort_Keys_On_Headers(*result_, choices);
    return Result::Sorted;
}

void Multi_Key_Sort::Unload(const Sort_Key_Choices& choices, Sort_Key_Columns& keys) {
    result_ = nullptr;
    keys = Sort_Keys_From_Choices(choices);
}

void Reapply_Sort_Keys(Result_Model& result, Sort_Key_Columns& keys) {
    Multi_Key_Sort dialog;
    dialog.Load(result);
    const Sort_Key_Choices choices = Choices_From_Sort_Keys(keys, dialog.Last_Col());
    dialog.Apply(choices);
    dialog.Unload(choices, keys);
}
