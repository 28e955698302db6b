#include "search/Result_Text.h"

#include "model/Cp1252.h"
#include "model/File_Access.h"
#include "model/Record_Description.h"
#include "model/Utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace {

// The six special characters are all below 64: one shift tells them apart.
constexpr quint64 Special_Mask =
    (1ull << '"') | (1ull << ',') | (1ull << ';') | (1ull << '\t') | (1ull << '\r') | (1ull << '\n');
inline bool Is_Special(char16_t c) { return c < 64 && ((Special_Mask >> c) & 1); }

// Where the text goes: a QString, or Windows-1252 bytes straight away (the file
// export of 65,535 records must not build a temporary text per cell, nor the whole
// text twice).
struct Text_Sink {
    QString out;
    bool Append(QStringView v) {
        out += v;
        return true;
    }
    void Append_Char(char c) { out += QLatin1Char(c); }
    void Reserve(qsizetype n) { out.reserve(n); }
};
struct Cp1252_Sink {
    QByteArray out;
    bool Append(QStringView v) {
        if (v.isEmpty()) return true;
        return Cp1252_Encode_Append(v, out);
    }
    void Append_Char(char c) { out += c; }
    void Reserve(qsizetype n) { out.reserve(n); }
};

template <class Sink> bool Append_Quoted(Sink& sink, const QString& v, bool force) {
    const char16_t* p = reinterpret_cast<const char16_t*>(v.constData());
    const qsizetype n = v.size();
    bool quote = force;
    if (!quote)
        for (qsizetype i = 0; i < n && !quote; ++i) quote = Is_Special(p[i]);
    if (!quote) return sink.Append(v);
    const bool quotes = v.contains(QLatin1Char('"'));  // Qt's own search is vectorised
    sink.Append_Char('"');
    if (!quotes) {
        if (!sink.Append(v)) return false;
    } else {
        qsizetype from = 0;
        for (qsizetype i = 0; i < n; ++i)
            if (p[i] == u'"') {
                if (!sink.Append(QStringView(v).mid(from, i - from + 1))) return false;
                sink.Append_Char('"');
                from = i + 1;
            }
        if (!sink.Append(QStringView(v).mid(from))) return false;
    }
    sink.Append_Char('"');
    return true;
}

template <class Sink> bool Build_Selection(Sink& sink, const Search_Results& s, bool Format_Table, bool Aff_Lbl,
                                           const std::vector<int>& cols, const std::vector<bool>& textKind, bool force,
                                           const QString& sep) {
    const Result_Model& m = s.Model;
    const int n = m.Records();
    std::vector<QString> headings;
    for (int c : cols) headings.push_back(m.Heading(c));
    bool ok = true;
    if (Format_Table && Aff_Lbl) {
        for (size_t k = 0; k < cols.size(); ++k) {
            if (k) ok &= sink.Append(sep);
            ok &= Append_Quoted(sink, headings[k], force);
        }
        sink.Append_Char('\r');
        sink.Append_Char('\n');
    }
    for (int r = 0; r < n && ok; ++r) {
        for (size_t k = 0; k < cols.size(); ++k) {
            const QString cell = m.Text(r, cols[k]);
            if (Format_Table) {
                if (k) ok &= sink.Append(sep);
            } else if (Aff_Lbl) {
                ok &= Append_Quoted(sink, headings[k], force);
                ok &= sink.Append(sep);
            }
            ok &= textKind[k] ? Append_Quoted(sink, cell, force) : sink.Append(cell);
            if (!Format_Table) {
                sink.Append_Char('\r');
                sink.Append_Char('\n');
            }
        }
        sink.Append_Char('\r');
        sink.Append_Char('\n');
    }
    return ok;
}

// The exported columns and whether each is of a text kind; false on a size mismatch.
bool Export_Columns(const Search_Results& s, const std::vector<bool>& Column_Export, std::vector<int>& cols,
                    std::vector<bool>& textKind, QString* error) {
    const int L = s.Model.Columns();
    if (static_cast<int>(Column_Export.size()) - 1 != L) {
        if (error) *error = QStringLiteral("Internal Error, number of columns selection mismatch");
        return false;
    }
    for (int c = 1; c <= L; ++c)
        if (Column_Export[c]) {
            cols.push_back(c - 1);
            textKind.push_back(s.Model.Is_Text_Column(c - 1));
        }
    return true;
}

}  // namespace

QString Special_Chars() { return QStringLiteral("\",;\t\r\n"); }

QString Quote_Cell(const QString& text, bool force) {
    Text_Sink sink;
    Append_Quoted(sink, text, force);
    return sink.out;
}

QString Clip_Range_Text(const Result_Model& m, int top, int left, int bottom, int right,
                        const std::function<bool(int)>& shown) {
    top = std::max(top, 0);
    bottom = std::min(bottom, m.Records() - 1);
    std::vector<int> cols;
    for (int c = std::max(left, 0); c <= std::min(right, m.Columns() - 1); ++c)
        if (!shown || shown(c)) cols.push_back(c);
    if (cols.empty() || top > bottom) return {};
    Text_Sink sink;
    const auto append_row = [&](int r) {
        for (size_t k = 0; k < cols.size(); ++k) {
            if (k) sink.Append_Char('\t');
            Append_Quoted(sink, r < 0 ? m.Heading(cols[k]) : m.Text(r, cols[k]), false);
        }
        sink.Append(u"\r\n");
    };
    append_row(-1);
    for (int r = top; r <= bottom; ++r) append_row(r);
    return sink.out;
}

QString Get_Text_Selection(const Search_Results& s, bool Format_Table, bool Aff_Lbl,
                           const std::vector<bool>& Column_Export, bool Force_Guillement, const QString& separateur,
                           QString* error) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    if (!Export_Columns(s, Column_Export, cols, textKind, error)) return {};
    Text_Sink sink;
    Build_Selection(sink, s, Format_Table, Aff_Lbl, cols, textKind, Force_Guillement, separateur);
    return sink.out;
}

QByteArray Export_File_Bytes(const Search_Results& s, bool Format_Table, bool Aff_Lbl,
                             const std::vector<bool>& Column_Export, QString* error) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    if (!Export_Columns(s, Column_Export, cols, textKind, error)) return File_Bytes(QString());
    Cp1252_Sink sink;
    if (Build_Selection(sink, s, Format_Table, Aff_Lbl, cols, textKind, true, QStringLiteral(";")))
        return sink.out + "\r\n";
    return File_Bytes(Get_Text_Selection(s, Format_Table, Aff_Lbl, Column_Export, true, QStringLiteral(";")));
}

QByteArray File_Bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() + 2);
    if (Cp1252_Encode_Append(text, bytes)) return bytes + "\r\n";
    // Nothing may be lost on the way out: a text Windows-1252 cannot hold goes as UTF-8.
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8() + "\r\n";
}

QString ToFile(const QString& Filename, const Search_Results& s, bool Format_Table, bool Aff_Lbl,
               const std::vector<bool>& Column_Export, QString* selectionError) {
    if (Filename.isEmpty()) return {};
    const QByteArray bytes = Export_File_Bytes(s, Format_Table, Aff_Lbl, Column_Export, selectionError);
    return Write_Output_File(Filename, bytes);
}

namespace {
QString Written_Or_Why(Output_File& f, bool opened, const QString& name, const QByteArray& bytes) {
    if (opened && f.Write(bytes) && f.Commit()) return {};
    return QStringLiteral("The file \"%1\" could not be written: %2").arg(QDir::toNativeSeparators(name), f.Failure());
}
}  // namespace

QString Write_Output_File(const QString& Filename, const QByteArray& bytes) {
    Output_File f;
    return Written_Or_Why(f, f.Open(Filename, Link_Rule::Follow), Filename, bytes);
}

QString Write_Output_File_System_Path(const QByteArray& path, const QByteArray& bytes) {
    Output_File f;
    return Written_Or_Why(f, f.Open_System_Path(path, Link_Rule::Follow), QFile::decodeName(path), bytes);
}

QString Clip_Text(const Search_Results& s, bool Format_Table, bool Aff_Lbl, const std::vector<bool>& Column_Export,
                  QString* selectionError) {
    return Get_Text_Selection(s, Format_Table, Aff_Lbl, Column_Export, false, QStringLiteral("\t"), selectionError);
}

QString TexteSelectionCriteria(const std::vector<Criterion_Text>& rows, bool Critere_Oper_And) {
    const QString j = Critere_Oper_And ? QStringLiteral(" And ") : QStringLiteral(" or ");
    QString text;
    for (const Criterion_Text& r : rows) {
        if (!r.Usable) continue;
        if (!text.isEmpty()) text += j;
        text += r.Field;
        if (r.Negation) text += QStringLiteral(" Not");
        text += QLatin1Char(' ') + r.Oper;
        if (r.Oper_Code != Op_Empty)
            text += QStringLiteral(" \"") + (r.Description.isEmpty() ? r.Value : r.Description) + QLatin1Char('"');
    }
    return QStringLiteral("Selection criteria are ") + text;
}

QString TexteOrderBy(const Search_Results& s, const Sort_Keys_T& keys) {
    QString text;
    if (s.AdvancedSort) return Sort_Keys_Text(s.Model, keys);
    for (size_t f = 1; f < s.Sort.Sort_State.size(); ++f) {
        const qint32 code = s.Sort.Sort_State[f];
        if (code == 0) continue;
        text = QStringLiteral("Ordered by ") + s.Model.Heading(s.Model.Column_Of(static_cast<qint32>(f)));
        if (Is_Even(code)) text += QStringLiteral(" (Descending)");
        break;
    }
    return text;
}

bool genere_fichier_export(const QString&, bool, bool, const QString&) { return false; }
