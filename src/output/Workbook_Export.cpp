#include "output/Workbook_Export.h"

#include "model/Value.h"
#include "search/Result_Text.h"

#include <xlsxwriter.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr lxw_row_t Sheet_Rows = 1048576;
// Column widths in characters: wide enough for a date, never wider than a screen's
// reading width (longer texts wrap).
constexpr double Narrowest_Column = 6;
constexpr double Widest_Column = 60;
// The heading's filter button takes about three characters.
constexpr double Filter_Button_Width = 3;

// Day numbers a spreadsheet shows as the dates we show: times of day, and days from
// 1900-03-01 (before it, its day numbers are one off ours) up to the year 9999.
bool Shown_As_Date(double day) { return (day > 0 && day < 1) || (day >= 61 && day < 2958466); }

// The formats of the dates as the grid shows them: a day, a day and time, a time alone.
constexpr const char* Date_Formats[] = {"yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss", "hh:mm:ss"};

std::size_t Date_Format_Of(double day) {
    const double whole = std::trunc(day);
    const auto seconds = std::llround((day - whole) * 86400.0);
    if (whole == 0) return 2;
    return seconds == 0 || seconds == 86400 ? 0 : 1;
}

// The longest line of a text, in characters.
int Longest_Line(const QString& text) {
    int longest = 0, line = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            line = 0;
        } else {
            longest = std::max(longest, ++line);
        }
    }
    return longest;
}

// "_x000D_" in a cell's text stands for a character; a text that holds such a sequence
// itself has its underscore escaped ("_x005F_"), so that it reads back as written.
QString Escape_Sequences(const QString& text) {
    // Most texts hold no "_x": a search for the underscore alone tells it fastest.
    bool may_hold = false;
    for (qsizetype i = text.indexOf(QLatin1Char('_')); i >= 0 && i + 1 < text.size() && !may_hold;
         i = text.indexOf(QLatin1Char('_'), i + 1))
        may_hold = text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X');
    if (!may_hold) return text;
    static const QRegularExpression sequence(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    QString out = text;
    return out.replace(sequence, QStringLiteral("_x005F_\\1"));
}

// Writes the export's items as cells of one sheet, a line a row.
class Sheet_Items : public Export_Items {
public:
    Sheet_Items(lxw_workbook* book, lxw_worksheet* sheet, const Result_Model& model, bool header)
        : sheet_(sheet), model_(model), header_(header) {
        bold_ = workbook_add_format(book);
        format_set_bold(bold_);
        format_set_align(bold_, LXW_ALIGN_VERTICAL_TOP);
        text_ = workbook_add_format(book);
        format_set_text_wrap(text_);
        format_set_align(text_, LXW_ALIGN_VERTICAL_TOP);
        number_ = workbook_add_format(book);
        format_set_align(number_, LXW_ALIGN_VERTICAL_TOP);
        for (const char* f : Date_Formats) {
            lxw_format* date = workbook_add_format(book);
            format_set_num_format(date, f);
            format_set_align(date, LXW_ALIGN_VERTICAL_TOP);
            dates_.push_back(date);
        }
    }

    bool Heading(int col) override {
        if (!Put_Text(model_.Heading(col), bold_)) return false;
        if (header_ && row_ == 0) widths_[col_ - 1] += Filter_Button_Width;
        return true;
    }

    bool Cell(int row, int col) override {
        const Value v = model_.Cell_Value(row, col);
        switch (v.type()) {
        case VType::Empty:
        case VType::Null: return Skip();
        case VType::Integer:
        case VType::Long:
        case VType::Byte: return Put_Number(static_cast<double>(v.rawInt()), To_Text(v));
        case VType::Currency: return Put_Number(static_cast<double>(v.rawInt()) / 10000.0, To_Text(v));
        // A single is written as it is shown (7 digits), not with its binary tail.
        case VType::Single: return Put_Number(To_Text(v).toDouble(), To_Text(v));
        case VType::Double: return Put_Number(v.rawDouble(), To_Text(v));
        case VType::Date: return Put_Date(v);
        case VType::Boolean: {
            const lxw_error e = worksheet_write_boolean(sheet_, row_, col_, v.rawBool(), number_);
            return Written(e, 5);
        }
        case VType::String: return Put_Text(v.rawString(), text_);
        default: return Put_Text(To_Text(v), text_);
        }
    }

    bool Line_End() override {
        columns_ = std::max(columns_, col_);
        col_ = 0;
        ++row_;
        return true;
    }

    // Widths from the content, the header frozen and filtered.
    void Finish() {
        for (lxw_col_t c = 0; c < widths_.size(); ++c)
            worksheet_set_column(sheet_, c, c, std::clamp(widths_[c] + 1, Narrowest_Column, Widest_Column), nullptr);
        if (header_ && columns_ > 0) {
            worksheet_freeze_panes(sheet_, 1, 0);
            worksheet_autofilter(sheet_, 0, 0, std::max<lxw_row_t>(row_, 1) - 1, columns_ - 1);
        }
    }

    int Texts_Cut() const { return texts_cut_; }
    const QString& Failure() const { return failure_; }

private:
    bool Skip() {
        ++col_;
        return true;
    }
    bool Fail(const QString& why) {
        if (failure_.isEmpty()) failure_ = why;
        return false;
    }
    bool Written(lxw_error e, qsizetype width) {
        if (e == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE && row_ >= Sheet_Rows)
            return Fail(QStringLiteral("the result takes more than the 1,048,576 rows of a sheet"));
        if (e != LXW_NO_ERROR) return Fail(QString::fromUtf8(lxw_strerror(e)));
        if (widths_.size() <= col_) widths_.resize(col_ + 1, 0);
        widths_[col_] = std::max(widths_[col_], static_cast<double>(width));
        ++col_;
        return true;
    }
    bool Put_Number(double number, const QString& shown) {
        // A spreadsheet holds no infinity nor NaN: such a number goes as its text.
        if (!std::isfinite(number)) return Put_Text(shown, text_);
        return Written(worksheet_write_number(sheet_, row_, col_, number, number_), shown.size());
    }
    bool Put_Date(const Value& v) {
        const double day = v.rawDouble();
        if (!Shown_As_Date(day)) return Put_Text(To_Text(v), text_);
        const std::size_t f = Date_Format_Of(day);
        return Written(worksheet_write_number(sheet_, row_, col_, day, dates_[f]), qstrlen(Date_Formats[f]));
    }
    bool Put_Text(QString text, lxw_format* format) {
        if (text.isEmpty()) return Skip();
        // A line break in a cell is LF alone; a CR would stay in the cell as a character.
        if (text.contains(QLatin1Char('\r')))
            text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text.size() > Workbook_Max_Text) {
            // Never half of a character that takes two UTF-16 units.
            text.truncate(Workbook_Max_Text - (text[Workbook_Max_Text - 1].isHighSurrogate() ? 1 : 0));
            ++texts_cut_;
        }
        QByteArray bytes = Escape_Sequences(text).toUtf8();
        lxw_error e = worksheet_write_string(sheet_, row_, col_, bytes.constData(), format);
        // Escaped underscores may take a text at the edge over it: a few characters more go.
        while (e == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED && text.size() > 1) {
            text.chop(std::max<qsizetype>(16, text.size() / 64));
            bytes = Escape_Sequences(text).toUtf8();
            e = worksheet_write_string(sheet_, row_, col_, bytes.constData(), format);
        }
        return Written(e, Longest_Line(text));
    }

    lxw_worksheet* sheet_;
    const Result_Model& model_;
    const bool header_;
    lxw_format* bold_ = nullptr;
    lxw_format* text_ = nullptr;
    lxw_format* number_ = nullptr;
    std::vector<lxw_format*> dates_;  // as Date_Formats
    lxw_row_t row_ = 0;
    lxw_col_t col_ = 0, columns_ = 0;
    std::vector<double> widths_;
    int texts_cut_ = 0;
    QString failure_;
};

// Rows a sheet holds in constant-memory mode go to a temporary file as they are written;
// a write that failed there (a full disk) is found before the file is packed.
bool Sheet_Stored(lxw_worksheet* sheet) {
    FILE* f = sheet ? sheet->optimize_tmpfile : nullptr;
    return !f || (std::fflush(f) == 0 && !std::ferror(f));
}

}  // namespace

bool Result_Workbook::Make(const Search_Results& s, const Workbook_Request& request, QString* selection_error) {
    failure_.clear();
    texts_cut_ = 0;
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid())
        return failure_ = QStringLiteral("no temporary folder could be made in %1 (%2)")
                              .arg(QDir::toNativeSeparators(QDir::tempPath()), dir_->errorString()),
               false;
    file_ = dir_->filePath(QStringLiteral("result.xlsx"));
    const QByteArray path = QFile::encodeName(file_);
    QByteArray temp_folder = QFile::encodeName(dir_->path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = temp_folder.data();
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    lxw_worksheet* records = book ? workbook_add_worksheet(book, Workbook_Records_Sheet) : nullptr;
    lxw_worksheet* criteria = book ? workbook_add_worksheet(book, Workbook_Criteria_Sheet) : nullptr;
    if (!records || !criteria) {
        if (book) workbook_close(book);
        return failure_ = QStringLiteral("the workbook could not be started in %1")
                              .arg(QDir::toNativeSeparators(dir_->path())),
               false;
    }

    Sheet_Items items(book, records, s.Model, request.Format_Table && request.With_Labels);
    QString error;
    Walk_Export(s, request.Format_Table, request.With_Labels, request.Column_Export, items, &error);
    if (selection_error) *selection_error = error;
    items.Finish();
    texts_cut_ = items.Texts_Cut();
    failure_ = items.Failure();
    if (failure_.isEmpty()) {
        lxw_format* wrap = workbook_add_format(book);
        format_set_text_wrap(wrap);
        format_set_align(wrap, LXW_ALIGN_VERTICAL_TOP);
        worksheet_set_column(criteria, 0, 0, 100, nullptr);
        const QString lines[] = {request.Criteria, request.Order};
        lxw_row_t row = 0;
        // Sentences of a few lines: half a cell leaves room for escaped underscores.
        for (const QString& line : lines)
            if (!line.isEmpty())
                worksheet_write_string(criteria, row++, 0,
                                       Escape_Sequences(line.left(Workbook_Max_Text / 2)).toUtf8().constData(), wrap);
    }
    if (failure_.isEmpty() && (!Sheet_Stored(records) || !Sheet_Stored(criteria)))
        failure_ =
            QStringLiteral("the temporary folder %1 could not hold it").arg(QDir::toNativeSeparators(dir_->path()));
    const lxw_error closed = workbook_close(book);
    if (failure_.isEmpty() && closed != LXW_NO_ERROR) failure_ = QString::fromUtf8(lxw_strerror(closed));
    return failure_.isEmpty();
}

bool Result_Workbook::Copy_To(QIODevice& out) const {
    QFile in(file_);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QByteArray piece;
    while (!in.atEnd()) {
        piece = in.read(1 << 20);
        if (piece.isEmpty() || out.write(piece) != piece.size()) return false;
    }
    return true;
}

bool Is_Workbook_Name(const QString& name) { return name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive); }

namespace {
template <class Write_File> QString Write_Workbook(const QString& name, const Search_Results& s,
                                                   const Workbook_Request& request, QString* selection_error,
                                                   int* texts_cut, Write_File write_file) {
    Result_Workbook book;
    const bool made = book.Make(s, request, selection_error);
    if (texts_cut) *texts_cut = book.Texts_Cut();
    if (!made)
        return QStringLiteral("The file \"%1\" could not be written: %2")
            .arg(QDir::toNativeSeparators(name), book.Failure());
    return write_file([&book](QIODevice& out) { return book.Copy_To(out); });
}
}  // namespace

QString Write_Workbook_File(const QString& Filename, const Search_Results& s, const Workbook_Request& request,
                            QString* selection_error, int* texts_cut) {
    return Write_Workbook(Filename, s, request, selection_error, texts_cut,
                          [&](const Output_Writer& w) { return Write_Output_File(Filename, w); });
}

QString Write_Workbook_File_System_Path(const QByteArray& path, const Search_Results& s,
                                        const Workbook_Request& request, QString* selection_error, int* texts_cut) {
    return Write_Workbook(QFile::decodeName(path), s, request, selection_error, texts_cut,
                          [&](const Output_Writer& w) { return Write_Output_File_System_Path(path, w); });
}

QString Texts_Cut_Warning(int texts_cut) {
    if (texts_cut <= 0) return {};
    if (texts_cut == 1)
        return QCoreApplication::translate("Workbook_Export",
                                           "1 text longer than 32,767 characters was cut to that length.");
    return QCoreApplication::translate("Workbook_Export",
                                       "%1 texts longer than 32,767 characters were cut to that length.")
        .arg(texts_cut);
}
