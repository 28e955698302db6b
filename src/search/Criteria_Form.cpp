#include "search/Criteria_Form.h"

#include "model/Record_Description.h"
#include "model/Validation.h"

QList<Field_Entry> Field_Entries(const QString& Lang)
{
    QList<Field_Entry> out{{QStringLiteral("[Any fields]"), Any_Fields}};
    if (!Record_Description) return out;
    int number = 0;
    for (Champ& f : Record_Description->Get_Champs()) {
        ++number;
        if (!f.Language.isEmpty() && f.Language != Lang) continue;
        if (f.Libelle_de_Recherche().isEmpty()) continue;
        const QString t = f.Get_Libelle_de_Recherche_In_Langue(Lang);
        bool seen = false;
        for (const Field_Entry& e : out) seen = seen || e.Text == t;
        if (seen || !f.Field_Active) continue;
        out.append({t, number});
    }
    return out;
}

Champ* Field_Of_Item(qint32 item)
{
    if (item < 1 || !Record_Description) return nullptr;
    return Record_Description->Get_Champs().Item(static_cast<int>(item));
}

QList<qint32> Offered_Operators(qint32 item)
{
    const QList<qint32> all{0, 1, 2, 3, 4, 5, 6, 7, 8};
    if (item == Any_Fields) return all;
    const Champ* f = Field_Of_Item(item);
    if (!f) return {};
    if (f->Field_Type == 2) return {0};
    const QString& t = f->Data_Type;
    if (t == QLatin1String("3") || t == QLatin1String("4") || t == QLatin1String("5") || t == QLatin1String("6"))
        return all;
    if (t == QLatin1String("2")) return {0, 1, 2, 3, 4, 8};
    if (t == QLatin1String("1")) return {0, 8};
    return {};
}

bool Row_Is_Coded(qint32 item)
{
    const Champ* f = Field_Of_Item(item);
    return f && f->Data_Type == QLatin1String("1") && f->Ref_Listes;
}

Value_Entry Value_Entry_For(qint32 item, std::optional<qint32> oper)
{
    Value_Entry e;
    if (item == Any_Fields) {
        qint32 longest = 0;
        if (Record_Description)
            for (Champ& f : Record_Description->Get_Champs()) longest = std::max(longest, f.Longueur_Czi());
        e.Width_Twips = longest * 100 + 100;
        e.Max_Length = longest;
        if (oper && *oper != Op_Empty) e.kind = Value_Entry::Kind::Text_Box;
        return e;
    }
    Champ* f = Field_Of_Item(item);
    if (!f || !oper || *oper == Op_Empty) return e;
    const qint32 len = f->Longueur_Czi();
    e.Width_Twips = len / std::max<qint32>(1, f->Nb_Ligne) * 100 + 100;
    e.Max_Length = len;
    if (f->Data_Type != QLatin1String("1") || !f->Ref_Listes) {
        e.kind = Value_Entry::Kind::Text_Box;
    } else if (f->Ref_Listes->Only_Value) {
        e.kind = Value_Entry::Kind::Label_List;
        for (const Ref& r : *f->Ref_Listes) e.List_Labels << r.Valeur;
    } else {
        e.kind = Value_Entry::Kind::Text_Box;
        e.Show_Description = true;
    }
    return e;
}

QString Check_Criterion_Value(qint32 item, std::optional<qint32> oper, const QString& text)
{
    if (text.isEmpty()) return {};
    const Champ* f = Field_Of_Item(item);
    if (!f) return {};
    if (f->Data_Type == QLatin1String("1")) {
        if (oper && *oper == Op_Equal && !f->Any_Exists_Match(text, std::nullopt, 1))
            return QStringLiteral("Unkownn code");
        return {};
    }
    QString message;
    if (!Validate_Value(Value::String(text), *f, message)) return message;
    return {};
}

QString Value_Description(qint32 item, std::optional<qint32> oper, const QString& text)
{
    if (!oper || *oper < Op_Equal || *oper > Op_Equal_Or_Superior || !Row_Is_Coded(item)) return {};
    return To_Text(Field_Of_Item(item)->Get_Data(text, QStringLiteral("V")));
}
