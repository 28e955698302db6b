#include "search/Result_Text.h"

#include "model/Cp1252.h"
#include "model/File_Access.h"
#include "model/Record_Description.h"
#include "model/Utils.h"

#include <QBuffer>
#include <QCoreApplication>
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
    bool Row_Done() { return true; }
};
struct Cp1252_Sink {
    QByteArray out;
    bool Append(QStringView v) {
        if (v.isEmpty()) return true;
        return Cp1252_Encode_Append(v, out);
    }
    void Append_Char(char c) { out += c; }
    void Reserve(qsizetype n) { out.reserve(n); }
    bool Row_Done() { return true; }
};
// Windows-1252 or UTF-8 bytes handed to a device in pieces of about 64 KB.
struct Device_Sink {
    QIODevice& device;
    bool utf8 = false;
    QByteArray out{};
    bool failed = false;
    bool Append(QStringView v) {
        if (v.isEmpty()) return true;
        if (!utf8) return Cp1252_Encode_Append(v, out);
        out += v.toUtf8();
        return true;
    }
    void Append_Char(char c) { out += c; }
    void Reserve(qsizetype) {}
    bool Row_Done() { return out.size() < (1 << 16) || Flush(); }
    bool Flush() {
        if (!failed && !out.isEmpty()) failed = device.write(out) != out.size();
        out.truncate(0);
        return !failed;
    }
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

// The export's one walk over the result: lines of items, each a heading or a cell, as the
// file and the clipboard lay them out (List: one line a field and a blank line after each
// record). The visitor is a template parameter: the CSV of 65,535 records pays no call per item.
template <class Visitor>
bool Walk_Items(const Result_Model& m, bool Format_Table, bool With_Labels, std::size_t fields, Visitor& v) {
    bool ok = true;
    if (Format_Table && With_Labels) {
        for (std::size_t k = 0; k < fields; ++k) ok &= v.Heading(k);
        ok &= v.Line_End();
    }
    for (int r = 0; r < m.Records() && ok; ++r) {
        for (std::size_t k = 0; k < fields; ++k) {
            if (!Format_Table && With_Labels) ok &= v.Heading(k);
            ok &= v.Cell(r, k);
            if (!Format_Table) ok &= v.Line_End();
        }
        ok &= v.Line_End();
        ok &= v.Record_Done();
    }
    return ok;
}

// The walk's items as separated, quoted text.
template <class Sink> struct Text_Items {
    Sink& sink;
    const Result_Model& m;
    const std::vector<int>& cols;
    const std::vector<bool>& textKind;
    bool force;
    const QString& sep;
    std::vector<QString> headings;
    bool line_start = true;

    bool Separate() {
        const bool ok = line_start || sink.Append(sep);
        line_start = false;
        return ok;
    }
    bool Heading(std::size_t k) { return Separate() & Append_Quoted(sink, headings[k], force); }
    bool Cell(int r, std::size_t k) {
        const QString cell = m.Text(r, cols[k]);
        return Separate() & (textKind[k] ? Append_Quoted(sink, cell, force) : sink.Append(cell));
    }
    bool Line_End() {
        sink.Append_Char('\r');
        sink.Append_Char('\n');
        line_start = true;
        return true;
    }
    bool Record_Done() { return sink.Row_Done(); }
};

template <class Sink> bool Build_Selection(Sink& sink, const Search_Results& s, bool Format_Table, bool With_Labels,
                                           const std::vector<int>& cols, const std::vector<bool>& textKind, bool force,
                                           const QString& sep) {
    Text_Items<Sink> items{sink, s.Model, cols, textKind, force, sep, {}};
    for (int c : cols) items.headings.push_back(s.Model.Heading(c));
    return Walk_Items(s.Model, Format_Table, With_Labels, cols.size(), items);
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

// Whether every text the export writes has a Windows-1252 byte per character.
bool Fits_Cp1252(const Search_Results& s, bool With_Labels, const std::vector<int>& cols) {
    QByteArray scratch;
    for (int c : cols) {
        scratch.truncate(0);
        if (With_Labels && !Cp1252_Encode_Append(s.Model.Heading(c), scratch)) return false;
        if (!s.Model.Fits_Cp1252(c)) return false;
    }
    return true;
}

}  // namespace

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

QString Get_Text_Selection(const Search_Results& s, bool Format_Table, bool With_Labels,
                           const std::vector<bool>& Column_Export, bool Force_Guillement, const QString& separateur,
                           QString* error) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    if (!Export_Columns(s, Column_Export, cols, textKind, error)) return {};
    Text_Sink sink;
    Build_Selection(sink, s, Format_Table, With_Labels, cols, textKind, Force_Guillement, separateur);
    return sink.out;
}

bool Write_Export_File(QIODevice& out, const Search_Results& s, bool Format_Table, bool With_Labels,
                       const std::vector<bool>& Column_Export, QString* error) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    Device_Sink sink{out};
    bool ok = true;
    if (Export_Columns(s, Column_Export, cols, textKind, error)) {
        // Nothing may be lost on the way out: a text Windows-1252 cannot hold makes the
        // whole file UTF-8, which has to be known before its first byte is written.
        sink.utf8 = !Fits_Cp1252(s, With_Labels, cols);
        if (sink.utf8) sink.out = QByteArrayLiteral("\xEF\xBB\xBF");
        ok = Build_Selection(sink, s, Format_Table, With_Labels, cols, textKind, true, QStringLiteral(";"));
    }
    sink.Append_Char('\r');
    sink.Append_Char('\n');
    return sink.Flush() && ok;
}

QByteArray Export_File_Bytes(const Search_Results& s, bool Format_Table, bool With_Labels,
                             const std::vector<bool>& Column_Export, QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Write_Export_File(buffer, s, Format_Table, With_Labels, Column_Export, error);
    return buffer.buffer();
}

QByteArray File_Bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() + 2);
    if (Cp1252_Encode_Append(text, bytes)) return bytes + "\r\n";
    // Nothing may be lost on the way out: a text Windows-1252 cannot hold goes as UTF-8.
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8() + "\r\n";
}

QString File_Button(const QString& Filename, const Search_Results& s, bool Format_Table, bool With_Labels,
                    const std::vector<bool>& Column_Export, QString* selectionError) {
    if (Filename.isEmpty()) return {};
    return Write_Output_File(Filename, [&](QIODevice& out) {
        return Write_Export_File(out, s, Format_Table, With_Labels, Column_Export, selectionError);
    });
}

namespace {

// The file being written, as a device: what is written goes through it unbuffered.
class Output_File_Device : public QIODevice {
public:
    explicit Output_File_Device(Output_File& file) : file_(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override { return file_.Write(data, size) ? size : -1; }

private:
    Output_File& file_;
};

QString Written_Or_Why(Output_File& f, bool opened, const QString& name, const Output_Writer& write) {
    if (opened) {
        Output_File_Device device(f);
        if (write(device) && f.Commit()) return {};
    }
    return QStringLiteral("The file \"%1\" could not be written: %2").arg(QDir::toNativeSeparators(name), f.Failure());
}

Output_Writer Bytes_Writer(const QByteArray& bytes) {
    return [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); };
}

}  // namespace

QString Write_Output_File(const QString& Filename, const Output_Writer& write) {
    Output_File f;
    return Written_Or_Why(f, f.Open(Filename, Link_Rule::Follow), Filename, write);
}

QString Write_Output_File_System_Path(const QByteArray& path, const Output_Writer& write) {
    Output_File f;
    return Written_Or_Why(f, f.Open_System_Path(path, Link_Rule::Follow), QFile::decodeName(path), write);
}

QString Write_Output_File(const QString& Filename, const QByteArray& bytes) {
    return Write_Output_File(Filename, Bytes_Writer(bytes));
}

QString Write_Output_File_System_Path(const QByteArray& path, const QByteArray& bytes) {
    return Write_Output_File_System_Path(path, Bytes_Writer(bytes));
}

namespace {
struct Item_Calls {
    Export_Items& items;
    const std::vector<int>& cols;
    bool Heading(std::size_t k) { return items.Heading(cols[k]); }
    bool Cell(int r, std::size_t k) { return items.Cell(r, cols[k]); }
    bool Line_End() { return items.Line_End(); }
    bool Record_Done() { return true; }
};
}  // namespace

bool Walk_Export(const Search_Results& s, bool Format_Table, bool With_Labels, const std::vector<bool>& Column_Export,
                 Export_Items& items, QString* error) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    if (!Export_Columns(s, Column_Export, cols, textKind, error)) return false;
    Item_Calls calls{items, cols};
    return Walk_Items(s.Model, Format_Table, With_Labels, cols.size(), calls);
}

QString Clip_Text(const Search_Results& s, bool Format_Table, bool With_Labels, const std::vector<bool>& Column_Export,
                  QString* selectionError) {
    return Get_Text_Selection(s, Format_Table, With_Labels, Column_Export, false, QStringLiteral("\t"), selectionError);
}

bool Write_Clip_Text(QIODevice& out, const Search_Results& s, bool Format_Table, bool With_Labels,
                     const std::vector<bool>& Column_Export, QString* selectionError) {
    std::vector<int> cols;
    std::vector<bool> textKind;
    if (!Export_Columns(s, Column_Export, cols, textKind, selectionError)) return true;
    Device_Sink sink{out, true};
    Build_Selection(sink, s, Format_Table, With_Labels, cols, textKind, false, QStringLiteral("\t"));
    return sink.Flush();
}

QString Criteria_Sentence_Of(const std::vector<Criterion_Text>& rows, bool Combine_With_And) {
    const QString j = Combine_With_And ? QStringLiteral(" And ") : QStringLiteral(" or ");
    QString text;
    for (const Criterion_Text& r : rows) {
        if (!r.Usable) continue;
        if (!text.isEmpty()) text += j;
        text += r.Field;
        if (r.Negation) text += QStringLiteral(" Not");
        text += QLatin1Char(' ') + r.Operator;
        if (r.Oper_Code != Op_Empty)
            text += QStringLiteral(" \"") + (r.Description.isEmpty() ? r.Value : r.Description) + QLatin1Char('"');
    }
    return QStringLiteral("Selection criteria are ") + text;
}

QString With_Quick_Find(const QString& sentence, const QString& quick_find_text) {
    if (quick_find_text.isEmpty()) return sentence;
    return sentence + QStringLiteral(". ") +
           QCoreApplication::translate("Search", "Quick find: %1").arg(quick_find_text);
}

QString Order_Sentence(const Search_Results& s, const Sort_Key_Columns& keys) {
    QString text;
    if (s.Multi_Key_Box) return Sort_Keys_Text(s.Model, keys);
    for (size_t f = 1; f < s.Sort.Sort_State.size(); ++f) {
        const qint32 code = s.Sort.Sort_State[f];
        if (code == 0) continue;
        text = QStringLiteral("Ordered by ") + s.Model.Heading(s.Model.Column_Of(static_cast<qint32>(f)));
        if (Is_Even(code)) text += QStringLiteral(" (Descending)");
        break;
    }
    return text;
}
