#include "search/Search_Run.h"

#include "model/Record_Description.h"
#include "model/Records_Table.h"

Search_Results::Search_Results() {
    const int n = Record_Description ? Record_Description->Count() : 0;
    Sort = Single_Field_Sort(n);
}

QString Cell_Text(const Champ& field, const Value& stored) {
    if (field.Ref_Listes && Show_Code_Labels) return To_Text(field.Get_Data(To_Text(stored), QStringLiteral("V")));
    return To_Text(stored);
}

std::vector<qint32> Find_Records(const Criteria& c, const QString& lang) {
    const qint32 S = Mark_Selection(c, lang);
    std::vector<qint32> ids;
    ids.reserve(static_cast<size_t>(std::max(S, 0)));
    const int R = Records_Table.Row_Upper();
    for (int i = 1; i <= R; ++i) {
        const Value& mark = Records_Table(i, Selection_Mark);
        if (mark.type() == VType::Boolean && mark.rawBool()) ids.push_back(i);
    }
    return ids;
}

qint32 Run_Search(Search_Results& s, const Criteria& c, const QString& lang) {
    const int N = Record_Description ? Record_Description->Count() : 0;
    if (s.Sort.Sort_State.size() < static_cast<size_t>(N) + 1) s.Sort.Sort_State.resize(static_cast<size_t>(N) + 1, 0);
    s.Model.Load(Find_Records(c, lang), lang);
    const qint32 S = s.Model.Records();
    if (S > 0) {
        s.Output_Enabled = true;
        s.Nb_Records_Caption =
            QString::number(S) + (S == 1 ? QStringLiteral(" Record found") : QStringLiteral(" Records found"));
    } else {
        s.Output_Enabled = false;
        s.Nb_Records_Caption = QStringLiteral("No match");
    }
    if (s.AdvancedSort)
        Reapply_Sort_Keys(s.Model, Sort_Keys);
    else
        DoSort(s.Model, s.Sort);
    return S;
}
