#include "search/Record_Lines.h"

#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Search_Run.h"

std::optional<QList<Record_Line>> Record_Lines(const Value& recordNumber, const QString& lang)
{
    if (recordNumber.isEmpty() || !Is_Numeric(recordNumber)) return std::nullopt;
    const auto r = To_Whole(recordNumber);
    if (!r || *r < 0 || *r > Records_Table.Row_Upper()) return std::nullopt;
    if (!Record_Description || Record_Description->Count() == 0) return std::nullopt;
    QList<Record_Line> lines;
    int f = 0;
    for (const Champ& ch : Record_Description->Get_Champs()) {
        ++f;
        if (!ch.Language.isEmpty() && ch.Language != lang) continue;
        const Value& v = f <= Records_Table.Col_Upper() ? Records_Table(*r, f) : Value();
        lines.append({ch.Get_Libelle_In_Langue(lang) + QStringLiteral(": "), Cell_Text(ch, v)});
    }
    return lines;
}
