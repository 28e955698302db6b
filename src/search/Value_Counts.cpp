#include "search/Value_Counts.h"

#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Criteria.h"
#include "search/Result_Text.h"
#include "search/Text_Order.h"

#include <QHash>
#include <algorithm>

std::vector<qint32> Counted_Fields(Record& Desc, qint32 field, const QString& lang) {
    if (field < 1 || field > Desc.Count()) return {};
    const Field_Groups groups = Build_Field_Groups(Desc, lang);
    const std::vector<qint32>& members = groups.Members(field);
    if (members.size() > 1) return members;
    return {field};
}

namespace {
QString Counted_Label(const Field_Def& field, size_t members, const QString& lang) {
    return members > 1 ? field.Search_Label_In(lang) : field.Label_In(lang);
}
}  // namespace

std::vector<Countable_Field> Countable_Fields(Record& Desc, const QString& lang) {
    std::vector<Countable_Field> out;
    const Field_Groups groups = Build_Field_Groups(Desc, lang);
    std::vector<bool> listed(static_cast<size_t>(Desc.Count()) + 1, false);
    for (int f = 1; f <= Desc.Count(); ++f) {
        const Field_Def& ch = *Desc.Fields().Item(f);
        if (!ch.Shown_In(lang) || listed[static_cast<size_t>(f)]) continue;
        const std::vector<qint32>& members = groups.Members(f);
        for (qint32 m : members) listed[static_cast<size_t>(m)] = true;
        out.push_back({f, Counted_Label(ch, members.size(), lang)});
    }
    return out;
}

qint32 Counts_Opening_Field(const Search_Results& s, qint32 field, const QString& lang) {
    Record* desc = s.Model.Table().Description();
    if (!desc) return field;
    const Field_Defs& field_defs = desc->Fields();
    const auto worth_a_chart = [&](qint32 f) {
        if (f < 1 || f > desc->Count() || !field_defs.Item(f)->Shown_In(lang)) return false;
        const qint32 type = field_defs.Item(f)->Type();
        if (type == Type_Long_Text) return false;
        if (type != Type_Text) return true;
        const int col = s.Model.Column_Of(f);
        if (col < 0) return false;
        for (int r = 0; r < s.Model.Records(); ++r)
            if (s.Model.Text(r, col).size() > Short_Text_Length) return false;
        return true;
    };
    if (worth_a_chart(field)) return field;
    for (const Countable_Field& c : Countable_Fields(*desc, lang))
        if (field_defs.Item(c.Field)->Type() == Type_Code) return c.Field;
    return field;
}

Value_Counts Count_Values(const Search_Results& s, qint32 field, const QString& lang, Count_Order order) {
    Value_Counts out;
    out.Field = field;
    const Records_Table& table = s.Model.Table();
    if (!table.Description()) return out;
    out.Members = Counted_Fields(*table.Description(), field, lang);
    if (out.Members.empty()) return out;
    const Field_Defs& field_defs = table.Description()->Fields();
    const Field_Def& first = *field_defs.Item(field);
    out.Field_Label = Counted_Label(first, out.Members.size(), lang);
    std::vector<const Field_Def*> member_fields;
    for (qint32 m : out.Members)
        if (m <= table.Col_Upper()) member_fields.push_back(field_defs.Item(m));

    // Slot per distinct stored text, in order of first sight.
    QHash<QString, int> slot_of;
    std::vector<Value_Count> found;
    qint32 empty = 0;
    const int R = table.Row_Upper();
    std::vector<int> seen;  // the values of the record at hand, by slot
    // The slot of a code, by its number in each member's column, and of a text, by its
    // number in the pool: each is looked up by its text once.
    std::vector<std::vector<int>> slot_of_code(member_fields.size());
    std::vector<int> slot_of_text;
    for (const qint32 r : s.Model.Record_Ids()) {
        if (r < 1 || r > R) continue;
        ++out.Records;
        seen.clear();
        for (size_t k = 0; k < member_fields.size(); ++k) {
            const qint32 col = out.Members[k];
            if (table.Is_Empty(r, col)) continue;
            int* known = nullptr;
            if (const int code = table.Code(r, col); code >= 0) {
                std::vector<int>& by_code = slot_of_code[k];
                if (by_code.size() <= static_cast<size_t>(code))
                    by_code.resize(static_cast<size_t>(table.Code_Count(col)), -1);
                known = &by_code[static_cast<size_t>(code)];
            } else if (table.Is_Text(r, col) && !member_fields[k]->Codes) {
                const std::uint32_t id = table.Text_Id(r, col);
                if (slot_of_text.size() <= id) slot_of_text.resize(table.Texts().Count(), -1);
                known = &slot_of_text[id];
            }
            int slot;
            if (known && *known >= 0) {
                slot = *known;
            } else {
                const Value v = table.Cell(r, col);
                QString text = To_Text(v);
                if (text.isEmpty()) continue;
                // Codes are looked up and searched for whatever their letter case: "fr" is
                // France as "FR" is.
                if (member_fields[k]->Codes) text = text.toUpper();
                auto it = slot_of.constFind(text);
                if (it == slot_of.constEnd()) {
                    slot = static_cast<int>(found.size());
                    slot_of.insert(text, slot);
                    found.push_back({text, Cell_Text(*member_fields[k], v, s.Model.Shows_Code_Labels()), 0, 0});
                } else {
                    slot = *it;
                }
                if (known) *known = slot;
            }
            if (std::find(seen.begin(), seen.end(), slot) != seen.end()) continue;
            seen.push_back(slot);
            ++found[static_cast<size_t>(slot)].Count;
        }
        if (seen.empty()) ++empty;
    }

    if (order == Count_Order::By_Count) {
        std::stable_sort(found.begin(), found.end(), [](const Value_Count& a, const Value_Count& b) {
            if (a.Count != b.Count) return a.Count > b.Count;
            return Text_Order_Compare(a.Label, b.Label) < 0;
        });
    } else {
        std::stable_sort(found.begin(), found.end(), [](const Value_Count& a, const Value_Count& b) {
            return Text_Order_Compare(a.Label, b.Label) < 0;
        });
    }
    if (empty > 0) found.push_back({QString(), QString(), empty, 0});
    for (Value_Count& v : found) v.Share = out.Records > 0 ? 100.0 * v.Count / out.Records : 0;
    out.Rows = std::move(found);
    return out;
}

QString Share_Text(double share, const QString& lang) {
    QString t = QString::number(share, 'f', 1);
    if (lang == QLatin1String("FR")) t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

QString Count_Heading(const QString& lang) {
    return lang == QLatin1String("FR") ? QStringLiteral("Nombre") : QStringLiteral("Count");
}

QString Share_Heading(const QString& lang) {
    return lang == QLatin1String("FR") ? QStringLiteral("Part (%)") : QStringLiteral("Share (%)");
}

QString Empty_Value_Label(const QString& lang) {
    return lang == QLatin1String("FR") ? QStringLiteral("(vide)") : QStringLiteral("(empty)");
}

QString Counts_Clip_Text(const Value_Counts& c, const QString& lang) {
    const QString tab = QStringLiteral("\t"), eol = QStringLiteral("\r\n");
    QString out = Quote_Cell(c.Field_Label, false) + tab + Quote_Cell(Count_Heading(lang), false) + tab +
                  Quote_Cell(Share_Heading(lang), false) + eol;
    for (const Value_Count& v : c.Rows)
        out += Quote_Cell(v.Code.isEmpty() ? Empty_Value_Label(lang) : v.Label, false) + tab +
               QString::number(v.Count) + tab + Share_Text(v.Share, lang) + eol;
    return out;
}

QByteArray Counts_Csv_Bytes(const Value_Counts& c, const QString& lang) {
    QString out = QStringLiteral("\"Value\";\"Count\";\"Share\"");
    for (const Value_Count& v : c.Rows)
        out += QStringLiteral("\r\n") + Quote_Cell(v.Label, true) + QLatin1Char(';') + QString::number(v.Count) +
               QLatin1Char(';') + Share_Text(v.Share, lang);
    return File_Bytes(out);
}
