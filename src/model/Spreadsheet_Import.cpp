#include "model/Spreadsheet_Import.h"

#include "model/Huge_Pages.h"
#include "model/Session.h"
#include "model/Validation.h"
#include "workbook/Sheet_Cells.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

namespace {

bool Is_Cell_Blank_Char(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || u == 0xA0 || u == u'\r' || u == u'\n';
}

void Title(Load_Progress* p, const QString& t) {
    if (p) p->Show_Progress_Title(t);
}

bool Cancelled(const bool* c) { return c && *c; }

// A cell as the records hold it; a text of blanks only is a blank cell.
Value Record_Value(const Cell_Value& cell) {
    switch (cell.Kind) {
    case Cell_Kind::Number: return Value::Double(cell.Number);
    case Cell_Kind::Date: return Value::Date(cell.Number);
    case Cell_Kind::Boolean: return Value::Boolean(cell.Code != 0);
    case Cell_Kind::Error: return Value::Error(cell.Code);
    case Cell_Kind::Text: {
        QString t = Trim_Cell_Text(cell.Text);
        return t.isEmpty() ? Value() : Value::String(std::move(t));
    }
    case Cell_Kind::Empty: break;
    }
    return Value();
}

}  // namespace

QString Trim_Cell_Text(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && Is_Cell_Blank_Char(s[b])) ++b;
    while (e > b && Is_Cell_Blank_Char(s[e - 1])) --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}

QString More_Problems_Line(qint64 more) {
    return (more == 1 ? QCoreApplication::translate("Import", "... and %1 more problem")
                      : QCoreApplication::translate("Import", "... and %1 more problems"))
        .arg(QLocale(QLocale::English).toString(more));
}

qint32 Load_Spreadsheet(Session& session, const QString& FileName, QStringList& Errs, const bool* Cancel,
                        Load_Progress* Progress, const Sheet_Source& source, Records_Table* into) {
    const QString file = FileName.trimmed();
    if (file.isEmpty()) {
        Errs << QCoreApplication::translate("Import", "No input data (empty filename)");
        return 0;
    }
    if (!QFileInfo(file).isFile()) {
        Errs << QCoreApplication::translate("Import", "No input data (no file found)");
        return 0;
    }
    Title(Progress, QCoreApplication::translate("Import", "Initializing..."));
    Title(Progress, QCoreApplication::translate("Import", "Openning data..."));
    // The reader child starts with the same heap: what it takes is ready in large pages too.
    const Huge_Page_Heap heap(static_cast<size_t>(Workbook_Import_Bytes(file)));
    qint32 counted = 0;
    Sheet_Cells sheet;
    const Workbook_Result read = source ? source(file, sheet) : Read_Workbook(file, sheet);
    if (!read.Ok()) {
        Errs << QCoreApplication::translate("Import", "No input data (error openning file)");
        Errs << read.Why();
    } else {
        const int L = static_cast<int>(sheet.Last_Row_Column_A());
        const int N = session.Description().Count();
        if (L > 1 && N > 0) {
            std::vector<const Field_Def*> fields(N + 1, nullptr);
            for (int c = 1; c <= N; ++c) fields[c] = session.Description().Fields().Item(c);

            Records_Table table(&session.Description());
            table.Resize(L - 1, N);
            if (Progress) Progress->Start_Progress(L - 1, QCoreApplication::translate("Import", "Loading..."));
            QString message;
            qint64 more_problems = 0;
            // The same few codes fill a coded column: each distinct text is looked up once.
            std::vector<QHash<QString, QString>> seen(N + 1);
            auto Check = [&](int c, const Value& v, QString& msg) {
                const bool memo = v.isString() && v.rawString().size() <= 24 && fields[c]->Type() == Type_Code;
                if (!memo) return Validate_Value(v, *fields[c], msg);
                auto it = seen[c].constFind(v.rawString());
                if (it == seen[c].constEnd()) {
                    Validate_Value(v, *fields[c], msg);
                    it = seen[c].insert(v.rawString(), msg);
                }
                msg = *it;
                return msg.isEmpty();
            };
            // One walk over the cells, which come in row then column order: every place of
            // the table is checked, a blank one as an empty value.
            std::size_t next = 0;
            const std::size_t cells = sheet.Size();
            int r = 1;
            for (; r <= L - 1; ++r) {
                if (Progress) Progress->Show_Progress(r);
                if (QCoreApplication::instance()) QCoreApplication::processEvents();
                const auto row = static_cast<std::uint32_t>(r + 1);
                while (next < cells && sheet.Row_At(next) < row) ++next;
                for (int c = 1; c <= N; ++c) {
                    Value v;
                    if (next < cells && sheet.Row_At(next) == row && sheet.Col_At(next) == std::uint32_t(c))
                        v = Record_Value(sheet.Value_At(next++));
                    if (Check(c, v, message)) {
                        table.Set(r, c, v);
                    } else if (Errs.size() >= Max_Problem_Lines) {
                        ++more_problems;
                    } else {
                        Errs << QCoreApplication::translate("Import", "Cell %1%2: \"%3\" %4 -> Ignored")
                                    .arg(QChar(64 + c))
                                    .arg(r + 1)
                                    .arg(To_Text(v), message);
                    }
                    if (Cancelled(Cancel)) break;
                }
                ++counted;
                if (Cancelled(Cancel)) break;
            }
            if (Progress) Progress->Show_Progress(std::min(r, L - 1));
            if (more_problems > 0) Errs << More_Problems_Line(more_problems);
            (into ? *into : session.Records()).Swap(table);
        }
        Title(Progress, QCoreApplication::translate("Import", "Closing data..."));
    }
    Title(Progress, QCoreApplication::translate("Import", "Terminating loading..."));
    if (Progress) Progress->Hide_Progress();
    return counted;
}
