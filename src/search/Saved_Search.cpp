#include "search/Saved_Search.h"

#include "model/File_Access.h"
#include "model/Record_Description.h"
#include "search/Criteria_Form.h"
#include "search/Field_Sets.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>

namespace {

const QString First_Line = QStringLiteral("Sifa_Soft search");
constexpr int Format_Version = 1;

const char* const Keywords[] = {"equal",  "less", "greater",  "equal-or-less", "equal-or-greater",
                                "begins", "ends", "contains", "empty"};

// Values go between double quotes with backslash escapes, so that quotes, line breaks
// and blanks at either end come back as they were.
QString Quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('"');
}

std::optional<QString> Unquoted(const QString& text) {
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"'))) return std::nullopt;
    QString out;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) return std::nullopt;
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= text.size() - 1) return std::nullopt;
        switch (text[i].unicode()) {
        case '\\': out += QLatin1Char('\\'); break;
        case '"': out += QLatin1Char('"'); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 't': out += QLatin1Char('\t'); break;
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<bool> Yes_No(const QString& word) {
    if (word == QLatin1String("yes")) return true;
    if (word == QLatin1String("no")) return false;
    return std::nullopt;
}

QString Sort_Key_Text(const Saved_Sort_Key& k) {
    return k.Field + (k.Descending ? QStringLiteral(" descending") : QString());
}

std::optional<Saved_Sort_Key> Sort_Key_From(const QString& text) {
    Saved_Sort_Key k;
    k.Field = text;
    for (const char* word : {" ascending", " descending"})
        if (text.endsWith(QLatin1String(word))) {
            k.Field = text.chopped(qsizetype(qstrlen(word))).trimmed();
            k.Descending = word[1] == 'd';
        }
    if (k.Field.isEmpty()) return std::nullopt;
    return k;
}

Saved_Search_Problem Problem(Saved_Search_Problem::Kind what, int line, const QString& text = QString()) {
    Saved_Search_Problem p;
    p.What = what;
    p.Line = line;
    p.Text = text;
    return p;
}

// The result column of a field in the language (1..), 0 when it shows none.
int Column_Of_Field(const Record& Desc, const Field_Def* field, const QString& lang) {
    int col = 0;
    for (const Field_Def& f : Desc.Fields()) {
        if (f.Shown_In(lang)) ++col;
        if (&f == field) return f.Shown_In(lang) ? col : 0;
    }
    return 0;
}

}  // namespace

QString Operator_Keyword(qint32 oper) {
    return oper >= 0 && oper <= Last_Operator ? QLatin1String(Keywords[oper]) : QString();
}

std::optional<qint32> Operator_From_Keyword(const QString& keyword) {
    for (qint32 k = 0; k <= Last_Operator; ++k)
        if (keyword == QLatin1String(Keywords[k])) return k;
    return std::nullopt;
}

QByteArray Write_Saved_Search(const Saved_Search& s) {
    QStringList lines{First_Line + QLatin1Char(' ') + QString::number(Format_Version)};
    lines << QStringLiteral("language = ") + s.Language;
    lines << QStringLiteral("combine = ") + (s.Combine_With_And ? QStringLiteral("and") : QStringLiteral("or"));
    lines << QStringLiteral("fields = ") + s.Field_Set;
    if (s.Heading_Sort) lines << QStringLiteral("sort = ") + Sort_Key_Text(*s.Heading_Sort);
    for (const Saved_Sort_Key& k : s.Sort_Keys) lines << QStringLiteral("sort key = ") + Sort_Key_Text(k);
    for (const Saved_Row& r : s.Rows) {
        lines << QString() << QStringLiteral("[row %1]").arg(r.Number);
        lines << QStringLiteral("active = ") + (r.Active ? QStringLiteral("yes") : QStringLiteral("no"));
        lines << QStringLiteral("field = ") + r.Field;
        lines << QStringLiteral("not = ") + (r.Negation ? QStringLiteral("yes") : QStringLiteral("no"));
        lines << QStringLiteral("operator = ") + r.Operator;
        lines << QStringLiteral("value = ") + Quoted(r.Value);
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

std::variant<Saved_Search, Saved_Search_Problem> Read_Saved_Search(const QByteArray& bytes) {
    using K = Saved_Search_Problem::Kind;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);  // editors may put a byte-order mark
    if (body.trimmed().isEmpty()) return Problem(K::Empty, 0);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (utf8.hasError() || text.contains(QChar(0))) return Problem(K::Not_Utf8, 0);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);

    const QString first = lines.first().trimmed();
    if (!first.startsWith(First_Line + QLatin1Char(' '))) return Problem(K::Not_A_Search, 1);
    bool number = false;
    const int version = first.mid(First_Line.size() + 1).toInt(&number);
    if (!number || version < 1) return Problem(K::Not_A_Search, 1);
    if (version > Format_Version) return Problem(K::Newer_Version, 1, QString::number(version));

    Saved_Search s;
    s.Rows.clear();
    Saved_Row* row = nullptr;
    std::vector<int> row_lines;  // the line of each row's heading
    std::vector<std::pair<bool, bool>> row_has;  // field, operator given
    for (int n = 2; n <= lines.size(); ++n) {
        const QString line = lines[n - 1].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        static const QRegularExpression heading(QStringLiteral("^\\[row ([1-3])\\]$"));
        if (const QRegularExpressionMatch m = heading.match(line); m.hasMatch()) {
            const int number = m.captured(1).toInt();
            for (const Saved_Row& r : s.Rows)
                if (r.Number == number) return Problem(K::Bad_Line, n, line);
            Saved_Row added;
            added.Number = number;
            s.Rows.push_back(added);
            row = &s.Rows.back();
            row_lines.push_back(n);
            row_has.emplace_back(false, false);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) return Problem(K::Bad_Line, n, line);
        const QString key = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
        const auto bad_value = [&] { return Problem(K::Bad_Value, n, value); };
        if (row) {
            if (key == QLatin1String("active") || key == QLatin1String("not")) {
                const auto yes = Yes_No(value);
                if (!yes) return bad_value();
                (key == QLatin1String("active") ? row->Active : row->Negation) = *yes;
            } else if (key == QLatin1String("field")) {
                if (value.isEmpty()) return bad_value();
                row->Field = value;
                row_has.back().first = true;
            } else if (key == QLatin1String("operator")) {
                if (!Operator_From_Keyword(value)) return Problem(K::Unknown_Operator, n, value);
                row->Operator = value;
                row_has.back().second = true;
            } else if (key == QLatin1String("value")) {
                const auto v = Unquoted(value);
                if (!v) return bad_value();
                row->Value = *v;
            } else {
                return Problem(K::Bad_Line, n, line);
            }
        } else if (key == QLatin1String("language")) {
            if (value != QLatin1String("EN") && value != QLatin1String("FR")) return bad_value();
            s.Language = value;
        } else if (key == QLatin1String("combine")) {
            if (value != QLatin1String("and") && value != QLatin1String("or")) return bad_value();
            s.Combine_With_And = value == QLatin1String("and");
        } else if (key == QLatin1String("fields")) {
            if (value != QLatin1String("Short") && value != QLatin1String("All") &&
                !value.startsWith(QLatin1String("Custom=")))
                return bad_value();
            s.Field_Set = value;
        } else if (key == QLatin1String("sort") || key == QLatin1String("sort key")) {
            const auto k = Sort_Key_From(value);
            if (!k) return bad_value();
            // One order or the other, as the window is in one mode or the other.
            if (key == QLatin1String("sort")) {
                if (s.Heading_Sort || !s.Sort_Keys.empty()) return Problem(K::Bad_Line, n, line);
                s.Heading_Sort = k;
            } else {
                if (s.Heading_Sort || s.Sort_Keys.size() == 4) return Problem(K::Bad_Line, n, line);
                s.Sort_Keys.push_back(*k);
            }
        } else {
            return Problem(K::Bad_Line, n, line);
        }
    }
    for (size_t i = 0; i < s.Rows.size(); ++i)
        if (!row_has[i].first || !row_has[i].second) {
            Saved_Search_Problem p = Problem(K::Incomplete_Row, row_lines[i]);
            p.Row = s.Rows[i].Number;
            return p;
        }
    std::sort(s.Rows.begin(), s.Rows.end(), [](const Saved_Row& a, const Saved_Row& b) { return a.Number < b.Number; });
    return s;
}

std::variant<Saved_Search, Saved_Search_Problem> Read_Saved_Search_File(const QString& path) {
    // A search is a few hundred bytes; anything much larger is some other file.
    constexpr qint64 Largest = 1 << 20;
    QString why = Unreadable_Reason(path);
    QFile f(path);
    if (why.isEmpty() && !f.open(QIODevice::ReadOnly)) why = f.errorString();
    const QByteArray bytes = why.isEmpty() ? f.read(Largest + 1) : QByteArray();
    if (why.isEmpty() && bytes.size() > Largest) return Problem(Saved_Search_Problem::Kind::Not_A_Search, 0);
    if (why.isEmpty()) return Read_Saved_Search(bytes);
    Saved_Search_Problem p = Problem(Saved_Search_Problem::Kind::Unreadable, 0);
    p.Reason = why;
    return p;
}

QString Saved_Search_Problem_Text(const Saved_Search_Problem& p) {
    using K = Saved_Search_Problem::Kind;
    switch (p.What) {
    case K::Unreadable: return QCoreApplication::translate("Search", "The file cannot be read: %1.").arg(p.Reason);
    case K::Empty: return QCoreApplication::translate("Search", "The file is empty.");
    case K::Not_Utf8: return QCoreApplication::translate("Search", "The file is not UTF-8 text.");
    case K::Not_A_Search:
        return QCoreApplication::translate("Search", "The file is not a saved search: its first line is not \"%1\".")
            .arg(First_Line + QLatin1Char(' ') + QString::number(Format_Version));
    case K::Newer_Version:
        return QCoreApplication::translate("Search",
                                           "The search was saved by a newer version of the program (format %1).")
            .arg(p.Text);
    case K::Bad_Line:
        return QCoreApplication::translate("Search", "Line %1 is not understood: %2").arg(p.Line).arg(p.Text);
    case K::Bad_Value:
        return QCoreApplication::translate("Search", "Line %1: \"%2\" is not a value this line takes.")
            .arg(p.Line)
            .arg(p.Text);
    case K::Unknown_Operator:
        return QCoreApplication::translate("Search", "Line %1: there is no operator \"%2\".").arg(p.Line).arg(p.Text);
    case K::Incomplete_Row:
        return QCoreApplication::translate("Search", "Row %1 has no field or no operator.").arg(p.Row);
    case K::Unknown_Field:
        return QCoreApplication::translate("Search", "Row %1: there is no field \"%2\" in the %3 field list.")
            .arg(p.Row)
            .arg(p.Text, p.Reason);
    case K::Operator_Not_Offered:
        return QCoreApplication::translate("Search", "Row %1: the operator \"%2\" is not offered for \"%3\".")
            .arg(p.Row)
            .arg(p.Text, p.Field);
    case K::Refused_Value:
        return QCoreApplication::translate("Search", "Row %1: the value \"%2\" of \"%3\" is refused: %4")
            .arg(p.Row)
            .arg(p.Text, p.Field, p.Reason);
    case K::Unknown_Sort_Field:
        return QCoreApplication::translate("Search",
                                           "The order names \"%1\", which is not a column of the result in %2.")
            .arg(p.Text, p.Reason);
    case K::Empty_Field_Set:
        return QCoreApplication::translate("Search", "The field set \"%1\" names no column of the result.").arg(p.Text);
    }
    return QString();
}

namespace {

std::variant<Resolved_Search, Saved_Search_Problem> Resolve_In_Language(Session& session, const Saved_Search& s) {
    using K = Saved_Search_Problem::Kind;
    Record& desc = session.Description();
    const QString& lang = s.Language;
    Resolved_Search out;
    out.Language = lang;
    out.Rows.Combine_With_And = s.Combine_With_And;
    out.Texts.resize(Criterion_Row_Count);
    const QList<Field_Entry> entries = Field_Entries(desc, lang);
    for (const Saved_Row& r : s.Rows) {
        const auto problem = [&](K what, const QString& text, const QString& field = QString(),
                                 const QString& reason = QString()) {
            Saved_Search_Problem p = Problem(what, 0, text);
            p.Row = r.Number;
            p.Field = field;
            p.Reason = reason;
            return p;
        };
        std::optional<Field_Entry> entry;
        if (r.Field == QLatin1String("*")) {
            entry = entries.first();
        } else if (const Field_Def* f = desc.Fields().Item(r.Field); f && f->Shown_In(lang)) {
            // A field that shares its search label with others stands for their entry.
            for (const Field_Entry& e : entries)
                if (e.Item != Any_Fields && e.Text == f->Search_Label_In(lang)) entry = e;
        }
        if (!entry) return problem(K::Unknown_Field, r.Field, QString(), lang);
        const qint32 oper = *Operator_From_Keyword(r.Operator);
        if (!Offered_Operators(desc, entry->Item).contains(oper))
            return problem(K::Operator_Not_Offered, r.Operator, entry->Text);
        Criterion_Row& row = out.Rows.Rows[static_cast<size_t>(r.Number - 1)];
        row.Active = r.Active;
        row.Field = entry->Item;
        row.Operator = oper;
        row.Negation = r.Negation;
        if (oper != Op_Empty) {
            const Value_Entry how = Value_Entry_For(desc, entry->Item, oper);
            QString refused;
            if (how.kind == Value_Entry::Kind::Label_List && !r.Value.isEmpty() && !how.List_Labels.contains(r.Value))
                refused = QCoreApplication::translate("Search", "This value is not in the list of the column.");
            else if (how.Max_Length > 0 && r.Value.size() > how.Max_Length)
                refused = QCoreApplication::translate("Search", "It is longer than %1 characters.").arg(how.Max_Length);
            else
                refused = Check_Criterion_Value(desc, entry->Item, oper, r.Value);
            if (!refused.isEmpty()) return problem(K::Refused_Value, r.Value, entry->Text, refused);
            row.Value_Text = r.Value;
        }
        Criterion_Text& t = out.Texts[static_cast<size_t>(r.Number - 1)];
        t.Usable = row.Usable();
        t.Field = entry->Text;
        t.Negation = row.Negation;
        t.Operator = Operator_Label(oper, lang);
        t.Oper_Code = oper;
        t.Value = row.Value_Text;
        t.Description = Value_Description(desc, entry->Item, oper, row.Value_Text);
    }

    const auto column = [&](const Saved_Sort_Key& k) -> std::optional<int> {
        const int c = Column_Of_Field(desc, desc.Fields().Item(k.Field), lang);
        if (c > 0) return c;
        return std::nullopt;
    };
    const auto unknown_sort = [&](const Saved_Sort_Key& k) {
        Saved_Search_Problem p = Problem(K::Unknown_Sort_Field, 0, k.Field);
        p.Reason = lang;
        return p;
    };
    if (s.Heading_Sort) {
        if (!column(*s.Heading_Sort)) return unknown_sort(*s.Heading_Sort);
        int number = 0;
        for (const Field_Def& f : desc.Fields()) {
            ++number;
            if (&f == desc.Fields().Item(s.Heading_Sort->Field)) out.Heading_Field = number;
        }
        out.Heading_Descending = s.Heading_Sort->Descending;
    }
    out.Multi_Key = !s.Sort_Keys.empty();
    for (size_t i = 0; i < s.Sort_Keys.size() && i < out.Keys.size(); ++i) {
        const auto c = column(s.Sort_Keys[i]);
        if (!c) return unknown_sort(s.Sort_Keys[i]);
        out.Keys[i] = s.Sort_Keys[i].Descending ? -*c : *c;
    }

    const Field_Sets sets = Init_Field_Sets(desc, lang);
    if (s.Field_Set == QLatin1String("Short")) {
        out.Field_Set = sets.Sets[0];
    } else if (s.Field_Set == QLatin1String("All")) {
        out.Field_Set = sets.Sets[1];
    } else {
        const QString range = s.Field_Set.mid(s.Field_Set.indexOf(QLatin1Char('=')) + 1);
        out.Field_Set = Field_Set_From_Range(desc, range, lang);
        if (std::find(out.Field_Set.begin(), out.Field_Set.end(), true) == out.Field_Set.end())
            return Problem(K::Empty_Field_Set, 0, s.Field_Set);
    }
    return out;
}

}  // namespace

std::variant<Resolved_Search, Saved_Search_Problem> Resolve_Saved_Search(Session& session, const Saved_Search& s) {
    // Labels and codes are those of the search's language.
    const QString before = session.Language();
    session.Set_Language(s.Language);
    auto out = Resolve_In_Language(session, s);
    if (!before.isEmpty()) session.Set_Language(before);
    return out;
}

QString Saved_Field_Name(Record& Desc, qint32 item) {
    if (item == Any_Fields) return QStringLiteral("*");
    const Field_Def* f = Field_Of_Item(Desc, item);
    return f ? f->Name : QString();
}

void Set_Heading_Order(Single_Field_Sort& state, const Record& Desc, qint32 field, bool descending) {
    std::fill(state.Sort_State.begin(), state.Sort_State.end(), 0);
    state.Sort_Field = field;
    const Field_Def* f = Desc.Fields().Item(static_cast<int>(field));
    if (!f || field < 1 || static_cast<size_t>(field) >= state.Sort_State.size()) return;
    qint32 code = Next_Sort_Code(f->Type(), 0);
    if (descending) code = Next_Sort_Code(f->Type(), code);
    state.Sort_State[static_cast<size_t>(field)] = code;
}

QString Field_Set_Range(const std::vector<bool>& columns, const std::vector<int>& column_field) {
    QStringList positions;
    for (size_t c = 1; c < columns.size() && c < column_field.size(); ++c)
        if (columns[c]) positions << QString::number(column_field[c]);
    return positions.join(QLatin1Char(','));
}
