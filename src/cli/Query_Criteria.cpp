#include "cli/Query_Criteria.h"

#include "model/File_Access.h"
#include "model/Record_Description.h"
#include "search/Criteria_Form.h"
#include "search/Field_Sets.h"
#include "search/Saved_Search.h"

std::optional<Field_Entry> Resolve_Field_Entry(Record& Desc, const QString& fieldName, const QString& lang,
                                               QString& error) {
    const QList<Field_Entry> entries = Field_Entries(Desc, lang);
    if (fieldName == QLatin1String("*")) return entries.first();
    std::optional<Field_Entry> entry;
    QString label;
    const Field_Def* f = Desc.Fields().Item(fieldName);
    // A field the language does not show is not in its list, even when its search label
    // is that of the language's own field.
    if (f && f->Shown_In(lang)) label = f->Search_Label_In(lang);
    for (const Field_Entry& e : entries)
        if (e.Item != Any_Fields && (e.Text == label || e.Text.compare(fieldName, Qt::CaseInsensitive) == 0)) entry = e;
    if (!entry) error = QStringLiteral("unknown field \"%1\" (not in the field list of %2)").arg(fieldName, lang);
    return entry;
}

std::optional<Resolved_Criterion> Resolve_Criterion(Record& Desc, const QString& criterion, const QString& lang,
                                                    QString& error, bool ignore_accents) {
    QString rest = criterion;
    Resolved_Criterion r;
    r.Row.Active = true;
    if (rest.startsWith(QLatin1Char('!'))) {
        r.Row.Negation = true;
        rest.remove(0, 1);
    }
    const qsizetype c1 = rest.indexOf(QLatin1Char(':'));
    if (c1 < 0) {
        error = QStringLiteral("criterion \"%1\" is not FIELD:OPERATOR[:VALUE]").arg(criterion);
        return std::nullopt;
    }
    const QString fieldName = rest.left(c1).trimmed();
    rest = rest.mid(c1 + 1);
    const qsizetype c2 = rest.indexOf(QLatin1Char(':'));
    const QString operName = (c2 < 0 ? rest : rest.left(c2)).trimmed();
    const QString value = c2 < 0 ? QString() : rest.mid(c2 + 1);

    const std::optional<Field_Entry> entry = Resolve_Field_Entry(Desc, fieldName, lang, error);
    if (!entry) return std::nullopt;
    r.Row.Field = entry->Item;
    r.Text.Field = entry->Text;

    std::optional<qint32> oper;
    bool isNumber = false;
    const int code = operName.toInt(&isNumber);
    if (isNumber) {
        if (code >= 0 && code <= Last_Operator) oper = code;
    } else {
        for (qint32 k = 0; k <= Last_Operator && !oper; ++k)
            if (operName.compare(Operator_Label(k, QStringLiteral("EN")), Qt::CaseInsensitive) == 0 ||
                operName.compare(Operator_Label(k, QStringLiteral("FR")), Qt::CaseInsensitive) == 0)
                oper = k;
    }
    if (!oper || !Offered_Operators(Desc, entry->Item).contains(*oper)) {
        error = QStringLiteral("operator \"%1\" is not offered for \"%2\"").arg(operName, entry->Text);
        return std::nullopt;
    }
    r.Row.Operator = oper;
    r.Text.Operator = Operator_Label(*oper, lang);
    r.Text.Oper_Code = *oper;
    r.Text.Negation = r.Row.Negation;
    r.Text.Usable = true;

    if (*oper != Op_Empty) {
        const Value_Entry how = Value_Entry_For(Desc, entry->Item, oper);
        if (how.kind == Value_Entry::Kind::Label_List && !value.isEmpty() && !how.List_Labels.contains(value)) {
            error = QStringLiteral("\"%1\" is not one of the labels offered for \"%2\"").arg(value, entry->Text);
            return std::nullopt;
        }
        if (how.Max_Length > 0 && value.size() > how.Max_Length) {
            error = QStringLiteral("the value for \"%1\" is longer than %2 characters")
                        .arg(entry->Text)
                        .arg(how.Max_Length);
            return std::nullopt;
        }
        const QString refused = Check_Criterion_Value(Desc, entry->Item, oper, value, ignore_accents);
        if (!refused.isEmpty()) {
            error = QStringLiteral("value \"%1\" for \"%2\": %3").arg(value, entry->Text, refused);
            return std::nullopt;
        }
        r.Row.Value_Text = value;
        r.Text.Value = value;
        r.Text.Description = Value_Description(Desc, entry->Item, oper, value);
    }
    return r;
}

int Grid_Column_Of(Record& Desc, qint32 field, const QString& lang) {
    int col = 0, f = 0;
    for (const Field_Def& ch : Desc.Fields()) {
        ++f;
        const bool shown = ch.Shown_In(lang);
        if (shown) ++col;
        if (f == field) return shown ? col : -1;
    }
    return -1;
}

std::optional<qint32> Resolve_Grid_Field(Record& Desc, const QString& name, const QString& lang, QString& error) {
    int f = 0;
    for (const Field_Def& ch : Desc.Fields()) {
        ++f;
        if ((ch.Name.compare(name, Qt::CaseInsensitive) == 0 ||
             ch.Label_In(lang).compare(name, Qt::CaseInsensitive) == 0) &&
            Grid_Column_Of(Desc, f, lang) > 0)
            return f;
    }
    error = QStringLiteral("unknown field \"%1\" (not a column of the result in %2)").arg(name, lang);
    return std::nullopt;
}

std::optional<std::vector<bool>> Resolve_Fields(Record& Desc, const QString& fields, const QString& lang,
                                                QString& error) {
    const Field_Sets sets = Init_Field_Sets(Desc, lang);
    if (fields.compare(QLatin1String("Short"), Qt::CaseInsensitive) == 0) return sets.Sets[0];
    if (fields.compare(QLatin1String("All"), Qt::CaseInsensitive) == 0) return sets.Sets[1];
    const QString range = fields.mid(fields.indexOf(QLatin1Char('=')) + 1);
    std::vector<bool> set = Field_Set_From_Range(Desc, range, lang);
    if (std::find(set.begin(), set.end(), true) == set.end()) {
        error = QStringLiteral("the range \"%1\" names no column of the result in %2").arg(range, lang);
        return std::nullopt;
    }
    return set;
}

QString Take_Saved_Search(Session& session, Query_Options& o) {
    const QString path = Path_From_System(o.Search_File);
    auto read = Read_Saved_Search_File(path);
    const auto problem = [&](const Saved_Search_Problem& p) {
        return QStringLiteral("the search \"%1\" cannot be opened: %2").arg(path, Saved_Search_Problem_Text(p));
    };
    if (const auto* p = std::get_if<Saved_Search_Problem>(&read)) return problem(*p);
    Saved_Search s = std::get<Saved_Search>(read);
    // What the options give is not checked against the file's parts it replaces.
    if (o.Lang_Given) s.Language = o.Lang;
    if (!o.Criteria.isEmpty()) s.Rows.clear();
    if (o.Sort || o.Sort_Keys) {
        s.Heading_Sort.reset();
        s.Sort_Keys.clear();
    }
    if (o.Fields_Given) s.Field_Set = QStringLiteral("Short");
    const auto resolved = Resolve_Saved_Search(session, s);
    if (const auto* p = std::get_if<Saved_Search_Problem>(&resolved)) return problem(*p);

    o.Lang = s.Language;
    if (!o.And_Given) o.And = s.Combine_With_And;
    if (!o.Fields_Given) o.Fields = s.Field_Set;
    for (const Saved_Row& r : s.Rows) {
        if (!r.Active) continue;
        const qint32 oper = *Operator_From_Keyword(r.Operator);
        QString c = (r.Negation ? QStringLiteral("!") : QString()) + r.Field + QLatin1Char(':') + QString::number(oper);
        if (oper != Op_Empty) c += QLatin1Char(':') + r.Value;
        o.Criteria << c;
    }
    if (s.Heading_Sort)
        o.Sort = s.Heading_Sort->Field + (s.Heading_Sort->Descending ? QStringLiteral(":desc") : QString());
    QStringList keys;
    for (const Saved_Sort_Key& k : s.Sort_Keys) keys << (k.Descending ? QStringLiteral("-") : QString()) + k.Field;
    if (!keys.isEmpty()) o.Sort_Keys = keys.join(QLatin1Char(','));
    return QString();
}
