// The members of a field descriptor that work on its code table.
#include "model/Profile_Reader.h"
#include "model/Record_Description.h"

#include <algorithm>
#include <vector>

qint32 Field_Def::Load_Codes_From_Section(const QString& ini_file, const QString& section, qint32 Code_Length,
                                          bool Only_Code, qint32 Label_Length, const QString& Prefix_Err,
                                          QStringList* Errs, bool Verbose) {
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
        QString code, label_text;
        bool accepted = true;
        if (Only_Code) {
            code = label_text = line.trimmed().toString();
        } else {
            const qsizetype first = line.indexOf(QLatin1Char('='));
            if (first < 0) {
                accepted = false;
                code = line.trimmed().toString();
            } else {
                code = line.left(first).trimmed().toString();
                label_text = line.mid(line.lastIndexOf(QLatin1Char('=')) + 1).trimmed().toString();
            }
        }
        if (accepted && Code_Length != 0 && code.size() != Code_Length) accepted = false;
        if (accepted && Label_Length != 0 && label_text.size() != Label_Length) accepted = false;
        if (!accepted) {
            ++rejected;
            if (Verbose && Errs)
                Errs->append(QStringLiteral("%1: Transcode \"%2\" -> \"%3\" Unloaded item (incorect length)")
                                 .arg(Prefix_Err, code, label_text));
            continue;
        }
        if (!Codes) Codes = std::make_shared<Code_Table>();
        Codes->Only_Value = Only_Code;
        ++loaded;
        Codes->add(code, label_text);  // a code already present keeps its first entry
    }
    if (Errs && rejected > 0)
        Errs->append(QStringLiteral("%1: Total of %2 unloaded items (incorect length)").arg(Prefix_Err).arg(rejected));
    if (Verbose && Errs)
        Errs->append(QStringLiteral("%1: Total of %2 successfully loaded item").arg(Prefix_Err).arg(loaded));
    return loaded;
}

void Field_Def::Drop_Codes() { Codes.reset(); }

Value Field_Def::Get_Data(const QString& Code, const QString& What) const {
    if (Code.isEmpty()) return Value::String(QString());
    const bool label = What == QLatin1String("V");
    if (Codes) {
        if (const Code_Entry* r = Codes->Item(Code)) {
            const QString& found = label ? r->Label : r->Code();
            if (!found.isEmpty()) return Value::String(found);
        }
    }
    if (!Multi_Part_Codes) return Value::String(QString());
    const qsizetype dot = Code.indexOf(QLatin1Char('.'));
    const QString part1 = dot < 0 ? Code : Code.left(dot);
    const QString part2 = dot < 0 ? QString() : Code.mid(dot + 1);
    if (part1.isEmpty() || !Codes) return Value();
    const auto n1 = Is_Numeric_Text(part1) ? To_Whole(Value::String(part1)) : std::nullopt;
    const auto n2 = Is_Numeric_Text(part2) ? To_Whole(Value::String(part2)) : std::nullopt;
    if (!n1) return Value();
    for (const Code_Entry& r : *Codes) {
        if (!r.Major_Is_Numeric() || r.Major_Number() != *n1) continue;
        bool match;
        if (!part2.isEmpty() && !r.Minor().isEmpty()) {
            if (n2 && r.Minor_Is_Numeric())
                match = r.Minor_Number() == *n2;
            else
                match = part2 == r.Minor();
        } else {
            match = part2.isEmpty() && r.Minor().isEmpty();
        }
        if (match) return Value::String(label ? r.Label : r.Code());
    }
    return Value();
}

bool Field_Def::Selected_By_Contains(const Code_Entry& r, const QString& Code, const QString& Data) const {
    return (Code.isEmpty() || r.Code().contains(Code, Qt::CaseInsensitive)) &&
           (Data.isEmpty() || r.Label.contains(Data, Qt::CaseInsensitive));
}

std::shared_ptr<Code_Table> Field_Def::Codes_Containing(const QString& Code, const QString& Data) const {
    auto out = std::make_shared<Code_Table>();
    if (!Codes) return out;
    for (const Code_Entry& r : *Codes)
        if (Selected_By_Contains(r, Code, Data)) out->add(r.Code(), r.Label);
    return out;
}

qint32 Field_Def::Widest_Code_Length() {
    qint32 width = Length;
    if (width == 0) {
        if (Max_Length == 0 && Codes) {
            qint32 longest = 0;
            for (const Code_Entry& r : *Codes) longest = std::max<qint32>(longest, r.Code().size());
            Max_Length = longest;
        }
        width = Max_Length;
    }
    return Type() == Type_Date ? width + 2 : width;
}
