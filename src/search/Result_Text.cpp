#include "search/Result_Text.h"

#include "model/Cp1252.h"
#include "model/Record_Description.h"
#include "model/Utils.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdlib>

namespace {

bool Is_Text_Kind(const Search_Results& s, int col)
{
    const qint32 f = col < static_cast<int>(s.Grid_Col_Field.size()) ? s.Grid_Col_Field[col] : 0;
    const Champ* ch = (f > 0 && Record_Description) ? Record_Description->Get_Champs().Item(f) : nullptr;
    if (!ch) return false;
    const QString& t = ch->Data_Type;
    return t == QLatin1String("1") || t == QLatin1String("5") || t == QLatin1String("6");
}

const QString CRLF = QStringLiteral("\r\n");

} // namespace

QString Special_Chars()
{
    return QStringLiteral("\",;\t\r\n");
}

QString Get_Text_Selection(const Search_Results& s, bool Format_Table, bool Aff_Lbl,
                           const std::vector<bool>& Column_Export, bool Force_Guillement,
                           const QString& separateur, QString* error)
{
    const Text_Grid& g = s.Data;
    const int L = g.Cols() - 1;
    if (static_cast<int>(Column_Export.size()) - 1 != L) {
        if (error) *error = QStringLiteral("Internal Error, number of columns selection mismatch");
        return {};
    }
    const QString special = Special_Chars();
    std::vector<int> cols;
    std::vector<bool> textKind;
    for (int c = 1; c <= L; ++c)
        if (Column_Export[c]) {
            cols.push_back(c);
            textKind.push_back(Is_Text_Kind(s, c));
        }

    QString out;
    const int n = std::min(s.Result_Rows(), g.Rows() - 1);
    out.reserve(static_cast<qsizetype>(n + 1) * static_cast<qsizetype>(cols.size()) * 16);
    if (Format_Table && Aff_Lbl) {
        for (size_t k = 0; k < cols.size(); ++k) {
            if (k) out += separateur;
            out += Quote_Value(g.Text_Matrix(0, cols[k]), Force_Guillement, special);
        }
        out += CRLF;
    }
    for (int r = 1; r <= n; ++r) {
        for (size_t k = 0; k < cols.size(); ++k) {
            const QString& cell = g.Text_Matrix(r, cols[k]);
            const QString v = textKind[k] ? Quote_Value(cell, Force_Guillement, special) : cell;
            if (Format_Table) {
                if (k) out += separateur;
                out += v;
            } else {
                if (Aff_Lbl) out += Quote_Value(g.Text_Matrix(0, cols[k]), Force_Guillement, special) + separateur;
                out += v + CRLF;
            }
        }
        out += CRLF;
    }
    return out;
}

QByteArray File_Bytes(const QString& text)
{
    const QString all = text + CRLF;
    QByteArray bytes;
    if (Cp1252_Encode(all, bytes)) return bytes;
    // Nothing may be lost on the way out: a text Windows-1252 cannot hold goes as UTF-8.
    return QByteArrayLiteral("\xEF\xBB\xBF") + all.toUtf8();
}

QString ToFile(const QString& Filename, const Search_Results& s, bool Format_Table, bool Aff_Lbl,
               const std::vector<bool>& Column_Export, QString* selectionError)
{
    if (Filename.isEmpty()) return {};
    const QString text = Get_Text_Selection(s, Format_Table, Aff_Lbl, Column_Export, true, QStringLiteral(";"),
                                            selectionError);
    const QByteArray bytes = File_Bytes(text);
    const QString shown = QDir::toNativeSeparators(Filename);
    QSaveFile f(Filename);
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("The file \"%1\" could not be written: %2").arg(shown, f.errorString());
    if (f.write(bytes) != bytes.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        return QStringLiteral("The file \"%1\" could not be written: %2").arg(shown, why);
    }
    if (!f.commit()) return QStringLiteral("The file \"%1\" could not be written: %2").arg(shown, f.errorString());
    return {};
}

QString Clip_Text(const Search_Results& s, bool Format_Table, bool Aff_Lbl, const std::vector<bool>& Column_Export,
                  QString* selectionError)
{
    return Get_Text_Selection(s, Format_Table, Aff_Lbl, Column_Export, false, QStringLiteral("\t"), selectionError);
}

QString TexteSelectionCriteria(const std::vector<Criterion_Text>& rows, bool Critere_Oper_And)
{
    const QString j = Critere_Oper_And ? QStringLiteral(" And ") : QStringLiteral(" or ");
    QString text;
    for (const Criterion_Text& r : rows) {
        if (!r.Usable) continue;
        if (!text.isEmpty()) text += j;
        text += r.Field;
        if (r.Negation) text += QStringLiteral(" Not");
        text += QLatin1Char(' ') + r.Oper;
        if (r.Oper_Code != 8)
            text += QStringLiteral(" \"") + (r.Description.isEmpty() ? r.Value : r.Description) + QLatin1Char('"');
    }
    return QStringLiteral("Selection criteria are ") + text;
}

QString TexteOrderBy(const Search_Results& s, const Sort_Keys_T& keys)
{
    const Text_Grid& g = s.Data;
    QString text;
    if (s.AdvancedSort) {
        for (qint32 k : keys) {
            if (k == 0) break;
            text += text.isEmpty() ? QStringLiteral("Ordered by ") : QStringLiteral(", ");
            text += g.Text_Matrix(0, std::abs(k));
            if (k < 0) text += QStringLiteral(" (Descending)");
        }
        return text;
    }
    for (size_t f = 1; f < s.Sort.Sort_State.size(); ++f) {
        const qint32 code = s.Sort.Sort_State[f];
        if (code == 0) continue;
        const qint32 col = f < s.Field_Grid_Col.size() ? s.Field_Grid_Col[f] : -1;
        text = QStringLiteral("Ordered by ") + g.Text_Matrix(0, col);
        if (Is_Even(code)) text += QStringLiteral(" (Descending)");
        break;
    }
    return text;
}

bool genere_fichier_export(const QString&, bool, bool, const QString&)
{
    return false;
}
