#include "model/Spreadsheet_Import.h"

#include "model/Huge_Pages.h"
#include "model/Session.h"
#include "model/Validation.h"
#include "workbook/Sheet_Cells.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <memory>

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

namespace {

// The cells turned into records as they come, in row then column order: rows 2.. of the sheet
// become records 1.. up to the last row with a cell in column A. When the cells come in
// batches that last row is known only at the end, so the problems of rows past the last one
// seen so far are held back until a later row has a cell in column A, and dropped at the end.
class Row_Import {
public:
    Row_Import(Session& session, QStringList& errs, const bool* cancel, Load_Progress* progress)
        : errs_(errs),
          cancel_(cancel),
          progress_(progress),
          n_(session.Description().Count()),
          fields_(std::size_t(std::max(n_, 0)) + 1, nullptr),
          seen_(fields_.size()),
          row_(fields_.size()),
          table_(&session.Description()) {
        for (int c = 1; c <= n_; ++c) fields_[std::size_t(c)] = session.Description().Fields().Item(c);
    }

    // The next cells; `whole`: they are all the sheet's cells and the first given. False when
    // the import stops: cancelled, or a cell out of row and column order (Out_Of_Order()).
    bool Take(const Sheet_Cells& cells, bool whole) {
        if (whole) {
            last_known_ = true;
            last_a_ = cells.Last_Row_Column_A();
            if (last_a_ <= 1 || n_ <= 0) return true;
            table_.Resize(int(last_a_) - 1, n_);
            Start(int(last_a_) - 1);
        } else if (!started_) {
            // The number of records is not known yet: the bar shows how far through the sheet
            // the reader is, where it can tell, and otherwise only that it is busy.
            by_share_ = cells.Thousandths_Read() >= 0;
            table_.Resize(0, n_);
            Start(by_share_ ? 1000 : 0);
        }
        const std::size_t count = cells.Size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t row = cells.Row_At(i), col = cells.Col_At(i);
            if (row < cell_row_ || (row == cell_row_ && col <= cell_col_)) {
                out_of_order_ = true;
                return false;
            }
            cell_row_ = row;
            cell_col_ = col;
            if (last_known_ && row > last_a_) break;
            if (row > 1 && !Advance_To(row)) return false;
            if (col == 1 && !last_known_) {
                last_a_ = row;
                Commit_Held();
            }
            if (row > 1 && col <= std::uint32_t(n_)) row_[col] = Record_Value(cells.Value_At(i));
        }
        if (by_share_ && progress_ && cells.Thousandths_Read() >= 0) progress_->Show_Progress(cells.Thousandths_Read());
        return true;
    }

    // The rows not done yet, up to the last with a cell in column A; the records go `into`.
    // Answers the number of sheet rows processed.
    qint32 Finish(Records_Table& into) {
        if (last_a_ <= 1 || n_ <= 0 || !started_) return counted_;
        // Not the rows past the last one that were read.
        if (!stopped_ && Advance_To(last_a_ + 1)) counted_ = int(last_a_) - 1;
        if (!last_known_) table_.Set_Row_Upper(int(last_a_) - 1);
        if (progress_) progress_->Show_Progress(by_share_ ? 1000 : std::min(done_, int(last_a_) - 1));
        if (more_problems_ > 0) errs_ << More_Problems_Line(more_problems_);
        into.Swap(table_);
        return counted_;
    }

    bool Out_Of_Order() const { return out_of_order_; }

private:
    void Start(int total) {
        started_ = true;
        if (progress_) progress_->Start_Progress(total, QCoreApplication::translate("Import", "Loading..."));
    }

    // Every row before sheet row `row` processed; false when cancelled.
    bool Advance_To(std::uint32_t row) {
        while (next_row_ < row && !stopped_) {
            if (last_known_ && next_row_ > last_a_) return true;
            Process_Row(next_row_);
            ++next_row_;
        }
        return !stopped_;
    }

    void Process_Row(std::uint32_t sheet_row) {
        const int r = int(sheet_row) - 1;
        done_ = r;
        if (progress_ && !by_share_) progress_->Show_Progress(r);
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        if (r > table_.Row_Upper()) table_.Set_Row_Upper(std::max(r, table_.Row_Upper() * 2));
        for (int c = 1; c <= n_; ++c) {
            Value& v = row_[std::size_t(c)];
            if (Check(c, v, message_))
                table_.Set(r, c, v);
            else
                Problem(sheet_row, QCoreApplication::translate("Import", "Cell %1%2: \"%3\" %4 -> Ignored")
                                       .arg(QChar(64 + c))
                                       .arg(r + 1)
                                       .arg(To_Text(v), message_));
            if (Cancelled(cancel_)) break;
        }
        for (Value& v : row_) v = Value();
        ++counted_;
        if (Cancelled(cancel_)) stopped_ = true;
    }

    // The same few codes fill a coded column: each distinct text is looked up once.
    bool Check(int c, const Value& v, QString& msg) {
        const Field_Def& field = *fields_[std::size_t(c)];
        const bool memo = v.isString() && v.rawString().size() <= 24 && field.Type() == Type_Code;
        if (!memo) return Validate_Value(v, field, msg);
        auto& seen = seen_[std::size_t(c)];
        auto it = seen.constFind(v.rawString());
        if (it == seen.constEnd()) {
            Validate_Value(v, field, msg);
            it = seen.insert(v.rawString(), msg);
        }
        msg = *it;
        return msg.isEmpty();
    }

    // A problem of a row past the last one known to have a cell in column A waits.
    void Problem(std::uint32_t sheet_row, QString line) {
        const bool held = sheet_row > last_a_;
        if (errs_.size() + held_.size() >= Max_Problem_Lines)
            ++(held ? held_more_ : more_problems_);
        else
            (held ? held_ : errs_) << std::move(line);
    }
    void Commit_Held() {
        errs_ << held_;
        held_.clear();
        more_problems_ += held_more_;
        held_more_ = 0;
    }

    QStringList& errs_;
    const bool* cancel_;
    Load_Progress* progress_;
    const int n_;
    std::vector<const Field_Def*> fields_;
    std::vector<QHash<QString, QString>> seen_;
    std::vector<Value> row_;  // the cells of the row being read, by column
    Records_Table table_;
    QString message_;
    QStringList held_;
    qint64 held_more_ = 0, more_problems_ = 0;
    std::uint32_t last_a_ = 0;  // the last sheet row with a cell in column A
    std::uint32_t next_row_ = 2;  // the next sheet row to process
    std::uint32_t cell_row_ = 0, cell_col_ = 0;  // of the cell taken last
    int done_ = 0;
    qint32 counted_ = 0;
    bool last_known_ = false, started_ = false, stopped_ = false, out_of_order_ = false;
    bool by_share_ = false;  // the bar counts thousandths of the sheet read, not records
};

}  // namespace

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
    Sheet_Cells sheet;
    auto import = std::make_unique<Row_Import>(session, Errs, Cancel, Progress);
    const Sheet_Source read_sheet =
        source ? source : [](const QString& path, Sheet_Cells& out, const Sheet_Batches& batches) {
            return Read_Workbook(path, out, Reader_Place::Usual, batches);
        };
    // A sheet read in a child comes in batches, turned into records while the rest is read.
    bool batched = false;
    const qsizetype errs_before = Errs.size();
    Workbook_Result read = read_sheet(file, sheet, [&](const Sheet_Cells& batch) {
        batched = true;
        return import->Take(batch, false);
    });
    if (batched && Cancelled(Cancel))
        read = {};
    else if (batched && read.Ok())
        import->Take(sheet, false);  // the last batch
    if (batched && import->Out_Of_Order()) {
        // Cells out of order (rare): read again whole, then put in order.
        Errs.erase(Errs.begin() + errs_before, Errs.end());
        import = std::make_unique<Row_Import>(session, Errs, Cancel, Progress);
        batched = false;
        sheet.Clear();
        read = read_sheet(file, sheet, {});
    }
    qint32 counted = 0;
    if (!read.Ok()) {
        // The problems of the cells read before the file was refused are not the file's story.
        Errs.erase(Errs.begin() + errs_before, Errs.end());
        Errs << QCoreApplication::translate("Import", "No input data (error openning file)");
        Errs << read.Why();
    } else {
        if (!batched) import->Take(sheet, true);
        counted = import->Finish(into ? *into : session.Records());
        Title(Progress, QCoreApplication::translate("Import", "Closing data..."));
    }
    Title(Progress, QCoreApplication::translate("Import", "Terminating loading..."));
    if (Progress) Progress->Hide_Progress();
    return counted;
}
