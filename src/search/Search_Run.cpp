#include "search/Search_Run.h"

#include "model/Record_Description.h"
#include "model/Records_Table.h"

#include <QHash>

Search_Results::Search_Results() {
    const int n = Record_Description ? Record_Description->Count() : 0;
    Field_Grid_Col.assign(static_cast<size_t>(n) + 1, -1);
    Sort = Single_Field_Sort(n);
}

QString Cell_Text(const Champ& field, const Value& stored) {
    if (field.Ref_Listes && Show_Code_Labels) return To_Text(field.Get_Data(To_Text(stored), QStringLiteral("V")));
    return To_Text(stored);
}

qint32 Run_Search(Search_Results& s, const Criteria& c, const QString& lang) {
    const qint32 S = Mark_Selection(c, lang);
    Record* desc = Record_Description.get();
    const int N = desc ? desc->Count() : 0;
    const int R = Records_Table.Row_Upper();

    // The shown fields of the language, in description order.
    std::vector<const Champ*> shown;
    std::vector<qint32> shownNumbers;
    if (s.Field_Grid_Col.size() < static_cast<size_t>(N) + 1) s.Field_Grid_Col.resize(static_cast<size_t>(N) + 1, -1);
    if (s.Sort.Sort_State.size() < static_cast<size_t>(N) + 1) s.Sort.Sort_State.resize(static_cast<size_t>(N) + 1, 0);
    for (int f = 1; f <= N; ++f) {
        const Champ* ch = desc->Get_Champs().Item(f);
        if (ch->Shown_In(lang)) {
            shown.push_back(ch);
            shownNumbers.push_back(f);
            s.Field_Grid_Col[f] = static_cast<qint32>(shown.size());
        } else {
            s.Field_Grid_Col[f] = -1;
        }
    }
    const int C = static_cast<int>(shown.size());

    Text_Grid& g = s.Data;
    g.Set_Redraw(false);
    g.Clear();
    g.Set_Rows(S > 0 ? S + 1 : 2);
    g.Set_Cols(C + 1);
    s.Grid_Col_Field.assign(static_cast<size_t>(C) + 2, 0);
    g.Set_Fixed_Cols(0);
    g.Set_Fixed_Rows(1);
    g.Set_Merge_Cells(Grid_Merge::Restrict_Columns);
    g.Set_Row_Height(0, s.Default_Row_Height);
    g.Set_Col_Width(0, 0);
    g.Set_Merge_Col(0, false);
    for (int c = 1; c <= C; ++c) {
        g.Set_Merge_Col(c, true);
        g.Set_Text_Matrix(0, c, shown[c - 1]->Get_Libelle_In_Langue(lang));
        g.Set_Col_Alignment(c, Grid_Alignment::Left_Center);
        g.Set_Col_Width(c, s.Default_Col_Width);
        s.Grid_Col_Field[c] = shownNumbers[c - 1];
    }

    // Each distinct code of a column is decoded once.
    std::vector<QHash<QString, QString>> decoded(static_cast<size_t>(C) + 1);
    int row = 0;
    for (int i = 1; i <= R; ++i) {
        const Value& mark = Records_Table(i, Selection_Mark);
        if (mark.type() != VType::Boolean || !mark.rawBool()) continue;
        ++row;
        g.Set_Row_Height(row, s.Default_Row_Height);
        g.Set_Text_Matrix(row, 0, QString::number(i));
        for (int c = 1; c <= C; ++c) {
            const qint32 f = shownNumbers[c - 1];
            if (f > Records_Table.Col_Upper()) continue;
            const Value& v = Records_Table(i, f);
            const Champ& ch = *shown[c - 1];
            if (ch.Ref_Listes && Show_Code_Labels) {
                const QString code = To_Text(v);
                auto it = decoded[c].constFind(code);
                if (it == decoded[c].constEnd()) it = decoded[c].insert(code, Cell_Text(ch, v));
                g.Set_Text_Matrix(row, c, *it);
            } else {
                g.Set_Text_Matrix(row, c, To_Text(v));
            }
        }
    }

    if (S > 0) {
        s.Output_Enabled = true;
        s.Nb_Records_Caption =
            QString::number(S) + (S == 1 ? QStringLiteral(" Record found") : QStringLiteral(" Records found"));
    } else {
        s.Output_Enabled = false;
        s.Nb_Records_Caption = QStringLiteral("No match");
    }
    s.Nb_Records_Tag = QString::number(S);

    if (s.AdvancedSort)
        Reapply_Sort_Keys(g, Sort_Keys);
    else
        DoSort(s.Grid_Ref(), s.Sort);
    g.Set_Redraw(true);
    return S;
}
