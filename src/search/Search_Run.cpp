#include "search/Search_Run.h"

#include "model/Session.h"

#include <QCoreApplication>

Search_Results::Search_Results(const Session& session) : Sort(session.Description().Count()) {}

QString Cell_Text(const Field_Def& field, const Value& stored, bool show_labels) {
    if (field.Codes && show_labels) return To_Text(field.Label_Of(To_Text(stored)));
    return To_Text(stored);
}

std::vector<qint32> Find_Records(Session& session, const Criteria& c) {
    const qint32 S = Mark_Selection(session, c);
    const Records_Table& table = session.Records();
    std::vector<qint32> ids;
    ids.reserve(static_cast<size_t>(std::max(S, 0)));
    const int R = table.Row_Upper();
    for (int i = 1; i <= R; ++i) {
        const Value& mark = table(i, Selection_Mark);
        if (mark.type() == VType::Boolean && mark.rawBool()) ids.push_back(i);
    }
    return ids;
}

qint32 Run_Search(Session& session, Search_Results& s, const Criteria& c) {
    const int N = session.Description().Count();
    if (s.Sort.Sort_State.size() < static_cast<size_t>(N) + 1) s.Sort.Sort_State.resize(static_cast<size_t>(N) + 1, 0);
    s.Model.Load(session, Find_Records(session, c));
    if (s.Multi_Key_Box)
        Reapply_Sort_Keys(s.Model, session.Sort_Keys);
    else
        Sort_By_Heading(s.Model, s.Sort);
    Apply_Quick_Find(s, s.Quick_Find_Text);
    return s.Model.Result_Records();
}

void Apply_Quick_Find(Search_Results& s, const QString& text) {
    s.Quick_Find_Text = text;
    Result_Model& m = s.Model;
    if (text.isEmpty())
        m.Show_All();
    else if (m.Result_Records() > 0)
        m.Show_Only(s.Finder.Matching(m, text));
    const qint32 all = m.Result_Records(), shown = m.Records();
    s.Output_Enabled = shown > 0;
    // The windows show it in their language; sifa-query installs no translation.
    if (all == 0)
        s.Count_Caption = QCoreApplication::translate("Search", "No match");
    else if (m.Narrowed())
        s.Count_Caption = QCoreApplication::translate("Search", "%1 of %2 Records found").arg(shown).arg(all);
    else
        s.Count_Caption = (all == 1 ? QCoreApplication::translate("Search", "%1 Record found")
                                    : QCoreApplication::translate("Search", "%1 Records found"))
                              .arg(all);
}
