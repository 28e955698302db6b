#include "search/Criteria_Form.h"

#include "model/Accent_Fold.h"
#include "model/Like.h"
#include "model/Record_Description.h"
#include "model/Validation.h"

#include <QCoreApplication>

namespace {
QString Accents_Off_If(const QString& text, bool ignore_accents) {
    return ignore_accents ? Without_Accents(text) : text;
}

// The code whose code, or else whose label, is the text in any letter case (and with
// any accents, when they are ignored).
const Code_Entry* Named_Entry(const Field_Def& f, const QString& text, bool ignore_accents) {
    if (!f.Codes || text.isEmpty()) return nullptr;
    if (const Code_Entry* r = f.Codes->Item(text)) return r;
    const QString wanted = Accents_Off_If(text, ignore_accents);
    for (const Code_Entry& r : *f.Codes)
        if (Accents_Off_If(r.Label, ignore_accents).compare(wanted, Qt::CaseInsensitive) == 0) return &r;
    return nullptr;
}

// Whether "Equal" with the text can select a value of the table, on its code or its
// label, as the search compares them (both sides lower-cased, after their accents are
// taken off when they are ignored).
bool Fits_An_Entry(const Field_Def& f, const QString& text, bool ignore_accents) {
    if (!f.Codes) return false;
    const auto compared = [ignore_accents](const QString& s) { return Accents_Off_If(s, ignore_accents).toLower(); };
    const Like_Pattern pattern(compared(text));
    for (const Code_Entry& r : *f.Codes)
        if (pattern.matches(compared(r.Code())) || pattern.matches(compared(r.Label))) return true;
    return false;
}
}  // namespace

QList<Field_Entry> Field_Entries(Record& Desc, const QString& Lang) {
    QList<Field_Entry> out{{QCoreApplication::translate("Search", "[Any fields]"), Any_Fields}};
    int number = 0;
    for (Field_Def& f : Desc.Fields()) {
        ++number;
        if (!f.Language.isEmpty() && f.Language != Lang) continue;
        if (f.Search_Label().isEmpty()) continue;
        const QString t = f.Search_Label_In(Lang);
        bool seen = false;
        for (const Field_Entry& e : out) seen = seen || e.Text == t;
        if (seen || !f.Field_Active) continue;
        out.append({t, number});
    }
    return out;
}

Field_Def* Field_Of_Item(Record& Desc, qint32 item) {
    if (item < 1) return nullptr;
    return Desc.Fields().Item(static_cast<int>(item));
}

QList<qint32> Offered_Operators(Record& Desc, qint32 item) {
    const QList<qint32> all{
        Op_Equal,    Op_Inferior, Op_Superior, Op_Equal_Or_Inferior, Op_Equal_Or_Superior, Op_Begin_With,
        Op_End_With, Op_Content,  Op_Empty};
    if (item == Any_Fields) return all;
    const Field_Def* f = Field_Of_Item(Desc, item);
    if (!f) return {};
    if (f->Field_Type == 2) return {Op_Equal};
    switch (f->Type()) {
    case Type_Hour:
    case Type_Whole:
    case Type_Text:
    case Type_Long_Text: return all;
    case Type_Date: return {Op_Equal, Op_Inferior, Op_Superior, Op_Equal_Or_Inferior, Op_Equal_Or_Superior, Op_Empty};
    case Type_Code: return {Op_Equal, Op_Empty};
    default: return {};
    }
}

bool Row_Is_Coded(Record& Desc, qint32 item) {
    const Field_Def* f = Field_Of_Item(Desc, item);
    return f && f->Type() == Type_Code && f->Codes;
}

Value_Entry Value_Entry_For(Record& Desc, qint32 item, std::optional<qint32> oper) {
    Value_Entry e;
    if (item == Any_Fields) {
        qint32 longest = 0;
        for (Field_Def& f : Desc.Fields()) longest = std::max(longest, f.Widest_Code_Length());
        e.Width_Chars = longest + 1;
        e.Max_Length = e.Shown_Length = longest;
        if (oper && *oper != Op_Empty) e.kind = Value_Entry::Kind::Text_Box;
        return e;
    }
    Field_Def* f = Field_Of_Item(Desc, item);
    if (!f || !oper || *oper == Op_Empty) return e;
    const qint32 len = f->Widest_Code_Length();
    e.Width_Chars = len / std::max<qint32>(1, f->Line_Count) + 1;
    e.Max_Length = len;
    e.Shown_Length = len;
    if (f->Type() != Type_Code || !f->Codes) {
        e.kind = Value_Entry::Kind::Text_Box;
    } else if (f->Codes->Only_Value) {
        e.kind = Value_Entry::Kind::Label_List;
        for (const Code_Entry& r : *f->Codes) e.List_Labels << r.Label;
    } else {
        e.kind = Value_Entry::Kind::Text_Box;
        e.Show_Description = true;
        // A label may be typed to find its code: room for its first letters.
        for (const Code_Entry& r : *f->Codes) e.Max_Length = std::max<int>(e.Max_Length, r.Label.size());
        e.Shown_Length = std::min(std::max(len, 8), e.Max_Length);
    }
    return e;
}

QString Check_Criterion_Value(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text,
                              bool ignore_accents) {
    if (text.isEmpty()) return {};
    const Field_Def* f = Field_Of_Item(Desc, item);
    if (!f) return {};
    if (f->Type() == Type_Code) {
        if (oper && *oper == Op_Equal && !Named_Entry(*f, text, ignore_accents) &&
            !Fits_An_Entry(*f, text, ignore_accents))
            return QCoreApplication::translate("Search", "Unkownn code");
        return {};
    }
    QString message;
    if (!Validate_Value(Value::String(text), *f, message)) return message;
    return {};
}

QString Value_As_Table_Spells(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text,
                              bool ignore_accents) {
    const Field_Def* f = Field_Of_Item(Desc, item);
    if (!f || !oper || *oper != Op_Equal || !Value_Entry_For(Desc, item, oper).Takes_Typed_Code()) return text;
    const Code_Entry* r = Named_Entry(*f, text, ignore_accents);
    return r ? r->Code() : text;
}

QList<Code_Choice> Code_Choices(Record& Desc, qint32 item) {
    QList<Code_Choice> out;
    const Field_Def* f = Field_Of_Item(Desc, item);
    if (!f || !Row_Is_Coded(Desc, item)) return out;
    for (const Code_Entry& r : *f->Codes) out.append({r.Code(), r.Label});
    return out;
}

QString Value_Description(Record& Desc, qint32 item, std::optional<qint32> oper, const QString& text) {
    if (!oper || *oper < Op_Equal || *oper > Op_Equal_Or_Superior || !Row_Is_Coded(Desc, item)) return {};
    return To_Text(Field_Of_Item(Desc, item)->Label_Of(text));
}

std::optional<Criterion_Row> Criterion_For_Cell(Record& Desc, qint32 field, const Value& stored, bool Exclude,
                                                const QString& Lang, QString& why) {
    Field_Def* f = Field_Of_Item(Desc, field);
    std::optional<qint32> item;
    if (f && f->Shown_In(Lang)) {
        const QString label = f->Search_Label_In(Lang);
        for (const Field_Entry& e : Field_Entries(Desc, Lang))
            if (e.Item != Any_Fields && !label.isEmpty() && e.Text == label) item = e.Item;
    }
    if (!item) {
        why = QCoreApplication::translate("Search", "This column cannot be used as a search criterion.");
        return std::nullopt;
    }
    Criterion_Row row;
    row.Active = true;
    row.Field = item;
    row.Negation = Exclude;
    const QString text = To_Text(stored);
    const QList<qint32> offered = Offered_Operators(Desc, *item);
    if (text.isEmpty()) {
        if (!offered.contains(Op_Empty)) {
            why = QCoreApplication::translate("Search", "An empty value cannot be searched for in this column.");
            return std::nullopt;
        }
        row.Operator = Op_Empty;
        return row;
    }
    row.Operator = Op_Equal;
    const Value_Entry entry = Value_Entry_For(Desc, *item, Op_Equal);
    if (entry.kind == Value_Entry::Kind::Label_List) {
        row.Value_Text = To_Text(f->Label_Of(text));
        if (!entry.List_Labels.contains(row.Value_Text)) {
            why = QCoreApplication::translate("Search", "This value is not in the list of the column.");
            return std::nullopt;
        }
        return row;
    }
    if (Row_Is_Coded(Desc, *item)) {
        // The code as its table writes it: a stored "fr" is shown as France, but only
        // "FR" passes the value check.
        const QString code = f->Codes ? To_Text(f->Spelling_Of(text)) : QString();
        row.Value_Text = code.isEmpty() ? text : code;
    } else {
        // Wildcards match themselves in brackets; a line break, which a value box cannot
        // hold, is matched by "?".
        for (QChar c : text) {
            if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
                row.Value_Text += QLatin1Char('[') + c + QLatin1Char(']');
            else if (c == u'\r' || c == u'\n')
                row.Value_Text += QLatin1Char('?');
            else
                row.Value_Text += c;
        }
    }
    if (entry.Max_Length > 0 && row.Value_Text.size() > entry.Max_Length) {
        why = QCoreApplication::translate(
                  "Search", "This value is too long to be used as a search criterion (at most %1 characters).")
                  .arg(entry.Max_Length);
        return std::nullopt;
    }
    const QString refused = Check_Criterion_Value(Desc, *item, Op_Equal, row.Value_Text);
    if (!refused.isEmpty()) {
        why = refused;
        return std::nullopt;
    }
    return row;
}
