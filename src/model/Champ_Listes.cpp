// The members of a field descriptor that work on its code table.
#include "model/Profile_Reader.h"
#include "model/Record_Description.h"

#include <algorithm>
#include <vector>

qint32 Champ::Load_Listes_From_Ini_Section(const QString& ini_file, const QString& section, qint32 Cle_len,
                                           bool Only_Cle, qint32 Val_len, const QString& Prefix_Err, QStringList* Errs,
                                           bool Verbose) {
    int size = 1024;
    std::vector<char16_t> buffer(size);
    int got = Get_Private_Profile_Section(section, buffer.data(), size, ini_file);
    if (got == 0) return 0;
    while (got == size - 2) {
        size = got * 2;
        buffer.assign(size, 0);
        got = Get_Private_Profile_Section(section, buffer.data(), size, ini_file);
    }
    const QString text = QString::fromUtf16(buffer.data(), got);
    qint32 loaded = 0, rejected = 0;
    for (QStringView line : QStringView(text).split(QChar(0))) {
        if (line.isEmpty()) continue;
        QString cle, valeur;
        bool accepted = true;
        if (Only_Cle) {
            cle = valeur = line.trimmed().toString();
        } else {
            const qsizetype first = line.indexOf(QLatin1Char('='));
            if (first < 0) {
                accepted = false;
                cle = line.trimmed().toString();
            } else {
                cle = line.left(first).trimmed().toString();
                valeur = line.mid(line.lastIndexOf(QLatin1Char('=')) + 1).trimmed().toString();
            }
        }
        if (accepted && Cle_len != 0 && cle.size() != Cle_len) accepted = false;
        if (accepted && Val_len != 0 && valeur.size() != Val_len) accepted = false;
        if (!accepted) {
            ++rejected;
            if (Verbose && Errs)
                Errs->append(QStringLiteral("%1: Transcode \"%2\" -> \"%3\" Unloaded item (incorect length)")
                                 .arg(Prefix_Err, cle, valeur));
            continue;
        }
        if (!Ref_Listes) Ref_Listes = std::make_shared<Refs>();
        Ref_Listes->Only_Value = Only_Cle;
        ++loaded;
        Ref_Listes->add(cle, valeur);  // a code already present keeps its first entry
    }
    if (Errs && rejected > 0)
        Errs->append(QStringLiteral("%1: Total of %2 unloaded items (incorect length)").arg(Prefix_Err).arg(rejected));
    if (Verbose && Errs)
        Errs->append(QStringLiteral("%1: Total of %2 successfully loaded item").arg(Prefix_Err).arg(loaded));
    return loaded;
}

void Champ::Reset_Listes() { Ref_Listes.reset(); }

Value Champ::Get_Data(const QString& Cle, const QString& What) const {
    if (Cle.isEmpty()) return Value::String(QString());
    const bool label = What == QLatin1String("V");
    if (Ref_Listes) {
        if (const Ref* r = Ref_Listes->Item(Cle)) {
            const QString& found = label ? r->Valeur : r->Cle();
            if (!found.isEmpty()) return Value::String(found);
        }
    }
    if (!Ref_MultiPart) return Value::String(QString());
    const qsizetype dot = Cle.indexOf(QLatin1Char('.'));
    const QString part1 = dot < 0 ? Cle : Cle.left(dot);
    const QString part2 = dot < 0 ? QString() : Cle.mid(dot + 1);
    if (part1.isEmpty() || !Ref_Listes) return Value();
    const auto n1 = Is_Numeric_Text(part1) ? To_Whole(Value::String(part1)) : std::nullopt;
    const auto n2 = Is_Numeric_Text(part2) ? To_Whole(Value::String(part2)) : std::nullopt;
    if (!n1) return Value();
    for (const Ref& r : *Ref_Listes) {
        if (!r.Major_isnumeric() || r.Major_lng() != *n1) continue;
        bool match;
        if (!part2.isEmpty() && !r.Minor().isEmpty()) {
            if (n2 && r.Minor_isnumeric())
                match = r.Minor_lng() == *n2;
            else
                match = part2 == r.Minor();
        } else {
            match = part2.isEmpty() && r.Minor().isEmpty();
        }
        if (match) return Value::String(label ? r.Valeur : r.Cle());
    }
    return Value();
}

bool Champ::Selected_By_Contains(const Ref& r, const QString& Cle, const QString& Data) const {
    return (Cle.isEmpty() || r.Cle().contains(Cle, Qt::CaseInsensitive)) &&
           (Data.isEmpty() || r.Valeur.contains(Data, Qt::CaseInsensitive));
}

std::shared_ptr<Refs> Champ::Get_List_Filtered(const QString& Cle, const QString& Data) const {
    auto out = std::make_shared<Refs>();
    if (!Ref_Listes) return out;
    for (const Ref& r : *Ref_Listes)
        if (Selected_By_Contains(r, Cle, Data)) out->add(r.Cle(), r.Valeur);
    return out;
}

qint32 Champ::Longueur_Czi() {
    qint32 width = Longueur;
    if (width == 0) {
        if (Longueur_Max == 0 && Ref_Listes) {
            qint32 longest = 0;
            for (const Ref& r : *Ref_Listes) longest = std::max<qint32>(longest, r.Cle().size());
            Longueur_Max = longest;
        }
        width = Longueur_Max;
    }
    return Type() == Type_Date ? width + 2 : width;
}
