#include "output/List_Printer.h"

#include "model/Huge_Pages.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "winsupport/Message_Service.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QRegularExpression& Line_Breaks() {
    static const QRegularExpression re(QStringLiteral("\r\n|\r|\n"));
    return re;
}

}  // namespace

List_Printer::List_Printer() = default;

List_Printer::~List_Printer() = default;

QPrinter& List_Printer::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

QString List_Printer::Layouts() {
    const QString one = QStringLiteral("1,2,3\n4\n5\n6\n7\n8\n9\n10\n-11\n-12\n13\n14\n15\n-16\n-17");
    return one + QLatin1Char('\t') + one + QLatin1Char('\t') + one;
}

QString List_Printer::Language_In_Use() const {
    if (!Language.isEmpty()) return Language;
    return Result ? Result->Language() : QString();
}

int List_Printer::Last_Record_Row() const {
    if (!Result) return 0;
    const int last = Result->Records();
    return Last_Row < 0 ? last : std::min(Last_Row, last);
}

QString List_Printer::Cell(int row, int col) const {
    if (!Result) return {};
    return row == 0 ? Result->Heading(col - 1) : Result->Text(row - 1, col - 1);
}

bool List_Printer::Selected(const std::vector<bool>& Column_Export, int col) const {
    return col > 0 && col < static_cast<int>(Column_Export.size()) && Column_Export[static_cast<size_t>(col)];
}

QStringList List_Printer::Lines_Of(const QString& wrapped) {
    // split copies even a single line; most texts are one, and a long job keeps millions.
    if (!wrapped.contains(QLatin1Char('\n'))) return {wrapped};
    return wrapped.split(QLatin1Char('\n'));
}

// ---------------------------------------------------------------- job

bool List_Printer::Print_List(bool preview, int /*PrintType*/, int PrintFormat,
                              const std::vector<bool>& Column_Export) {
    QPrinter& printer = Printer();
    if (!Messages().Show_Print_Setup(Parent, printer)) return false;
    // The copies are printed here, each numbered from page 1, so the printer makes one.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    if (test_device_) return Print_Job(*test_device_, copies, PrintFormat, Column_Export);
    if (preview) {
        QPrintPreviewDialog dialog(&printer, Parent);
        dialog.setWindowTitle(QCoreApplication::translate("List_Printer", "Printout Preview"));
        bool result = true;
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
            Painter_Print_Device device(p, p);
            result = Print_Job(device, 1, PrintFormat, Column_Export);
        });
        dialog.exec();
        return result;
    }
    Painter_Print_Device device(&printer, &printer);
    return Print_Job(device, copies, PrintFormat, Column_Export);
}

bool List_Printer::Print_Job(Print_Device& device, int copies, int PrintFormat,
                             const std::vector<bool>& Column_Export) {
    // Each page is compressed with buffers taken and given back to the heap; kept at its
    // top, they are not faulted in again page after page (a third of a long job's time).
    const Huge_Page_Heap heap(std::size_t(16) << 20);
    out_ = &device;
    const int last = Last_Record_Row();
    // Told before the columns are measured: on a long list that takes a while already.
    if (Progress && !Progress(0, last)) {
        device.Kill_Doc();
        return false;
    }
    Copy_Grid_Font();
    Set_Page_Geometry();
    Measure_Columns(Column_Export);
    for (int copy = 0; copy < std::max(1, copies); ++copy) {
        // A copy starts on a page of its own.
        if (copy > 0 && !device.New_Page()) {
            device.Kill_Doc();
            return false;
        }
        current_row_ = 1;
        page_number_ = 1;
        go_on_ = true;
        do {
            current_y_ = top_margin_;
            if (!Print_List_Header()) {
                device.Kill_Doc();
                return false;
            }
            if (last < 1) break;  // an empty list still gets its headed page
            if (!Print_List_Page(PrintFormat, Column_Export)) {
                device.Kill_Doc();
                return false;
            }
        } while (current_row_ <= last && go_on_);
    }
    return device.End_Doc();
}

void List_Printer::Copy_Grid_Font() {
    // The result's font: the window's, plain.
    out_->Set_Font(Print_Font());
}

void List_Printer::Set_Page_Geometry() {
    left_margin_ = 10;
    top_margin_ = 15;
    bottom_limit_ = out_->Scale_Height() - 2 * top_margin_;
    right_limit_ = out_->Scale_Width() - 2 * left_margin_;
    line_height_ = out_->Text_Height(QStringLiteral("A"));
}

void List_Printer::Measure_Columns(const std::vector<bool>& Column_Export) {
    const int cols = Result ? Result->Columns() + 1 : 0;
    const Record* description = Result ? Result->Table().Description() : nullptr;
    const int M = description ? description->Count() : 0;
    col_of_pos_.assign(static_cast<size_t>(M) + 1, 0);
    pos_of_col_.assign(static_cast<size_t>(std::max(cols, 1)), 0);
    const QString lang = Language_In_Use();
    int c = 0;
    for (int p = 1; p <= M; ++p) {
        const QString& l = description->Fields().Item(p)->Language;
        if (!l.isEmpty() && l != lang) continue;
        ++c;
        if (c < cols) {
            col_of_pos_[static_cast<size_t>(p)] = c;
            pos_of_col_[static_cast<size_t>(c)] = p;
        }
    }
    label_width_.assign(static_cast<size_t>(std::max(cols, 1)), 0);
    value_width_.assign(static_cast<size_t>(std::max(cols, 1)), 0);
    label_text_.assign(static_cast<size_t>(std::max(cols, 1)), QString());
    const int last = Last_Record_Row();
    for (int col = 1; col < cols; ++col) {
        if (!Selected(Column_Export, col)) continue;
        label_text_[static_cast<size_t>(col)] = Cell(0, col) + QLatin1Char(':');
        label_width_[static_cast<size_t>(col)] = out_->Text_Width(Cell(0, col) + QStringLiteral(": "));
        double widest = 0;
        // A value width past the right limit puts the next field on a line of its own,
        // whatever it is: measuring that column further changes nothing.
        for (int r = 1; r <= last && widest <= right_limit_; ++r) {
            const QString& v = Cell(r, col);
            if (v.isEmpty()) continue;
            if (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'))) {
                for (const QString& part : v.split(Line_Breaks())) widest = std::max(widest, out_->Text_Width(part));
            } else {
                widest = std::max(widest, out_->Text_Width(v));
            }
        }
        value_width_[static_cast<size_t>(col)] = widest;
    }
}

// ---------------------------------------------------------------- headers

bool List_Printer::Print_Page_Header() {
    const QDate date = Print_Date.isValid() ? Print_Date : QDate::currentDate();
    if (!out_->Print_Text(left_margin_, top_margin_ / 4, QLocale().toString(date, QLocale::LongFormat))) return false;
    const QString page = QStringLiteral("Page ") + QString::number(page_number_);
    if (!out_->Print_Text(out_->Scale_Width() - left_margin_ - out_->Text_Width(page), top_margin_ / 4, page))
        return false;
    const Print_Font normal = out_->Font();
    Print_Font title = normal;
    title.Size += 4;
    title.Bold = true;
    out_->Set_Font(title);
    const bool ok =
        out_->Print_Text((out_->Scale_Width() - out_->Text_Width(Report_Title)) / 2, top_margin_ / 2, Report_Title);
    out_->Set_Font(normal);
    return ok;
}

bool List_Printer::Print_Lines(double x, double y, const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].isEmpty() && !out_->Print_Text(x, y + (i - 1) * line_height_, lines[i])) return false;
    return true;
}

bool List_Printer::Print_Centred_Block(const QString& text, int& lines) {
    lines = 0;
    if (text.isEmpty()) return true;
    const Wrapped w = Wrap_Text(text, right_limit_ - 2 * Spacing);
    const QStringList l = Lines_Of(w.Text);
    lines = static_cast<int>(l.size());
    return Print_Lines((out_->Scale_Width() - w.Width) / 2, current_y_, l);
}

bool List_Printer::Print_List_Header() {
    if (!Print_Page_Header()) return false;
    current_y_ = top_margin_ + 3 * Spacing;
    int lines = 0;
    if (!Print_Centred_Block(Selection_Criteria, lines)) return false;
    current_y_ += lines * line_height_ + Spacing;
    if (!Print_Centred_Block(Order_By, lines)) return false;
    current_y_ += lines * line_height_ + 2 * Spacing;
    return true;
}

// ---------------------------------------------------------------- records

bool List_Printer::Print_List_Page(int PrintFormat, const std::vector<bool>& Column_Export) {
    const QStringList layouts = Layouts().split(QLatin1Char('\t'));
    // The layout's lines as field positions, read once for the page's records.
    std::vector<std::vector<int>> lines;
    for (const QString& line :
         layouts.value(PrintFormat >= 0 && PrintFormat < layouts.size() ? PrintFormat : 0).split(QLatin1Char('\n'))) {
        std::vector<int>& positions = lines.emplace_back();
        for (const QString& number : line.split(QLatin1Char(','))) {
            bool ok = false;
            const int p = number.trimmed().toInt(&ok);
            if (ok && p != 0 && std::abs(p) < static_cast<int>(col_of_pos_.size())) positions.push_back(p);
        }
    }
    const int last = Last_Record_Row();
    const double page_height = out_->Scale_Height();
    int r = current_row_;
    int printed = 0;
    std::vector<Laid_Field> table;  // kept from record to record: its lists are reused
    for (; r <= last; ++r) {
        // Lay the record out without printing.
        double bottom = current_y_ + 2 * Spacing;
        double last_line_y = bottom;
        int n = 0;
        for (const std::vector<int>& line : lines) {
            bool first = true;
            double x = 0, y = 0, next_x = 0;
            for (const int p : line) {
                const int c = col_of_pos_[static_cast<size_t>(std::abs(p))];
                if (c == 0 || !Selected(Column_Export, c)) continue;
                if (p < 1 && Cell(r, c).trimmed().isEmpty()) continue;
                // A field that would start past the right limit starts a line of its own
                // rather than leaving the paper.
                if (!first && next_x + 5 * Gap + label_width_[static_cast<size_t>(c)] >= right_limit_) first = true;
                if (first) {
                    y = bottom + 2 * Spacing;
                    x = left_margin_ + Gap;
                    last_line_y = y;
                    first = false;
                } else {
                    x = next_x + 4 * Gap;
                }
                ++n;
                double field_bottom = 0;
                Lay_Out_Field(r, c, n, x, y, next_x, field_bottom, table);
                // Fields side by side: the line ends under the tallest.
                bottom = std::max(bottom, field_bottom);
            }
        }
        // The page is full when the record's last line starts below the limit, or when
        // its end would leave the page.
        if (last_line_y > bottom_limit_ || bottom > page_height) break;
        for (int k = 0; k < n; ++k) {
            const Laid_Field& f = table[static_cast<size_t>(k)];
            if (!Print_Lines(f.Label_X, f.Label_Y, f.Label_Lines) ||
                !Print_Lines(f.Value_X, f.Value_Y, f.Value_Lines)) {
                go_on_ = false;
                return false;
            }
        }
        current_y_ = bottom;
        out_->Line(left_margin_, current_y_, left_margin_ + (right_limit_ - 2 * left_margin_) / 8, current_y_,
                   Rule_Colour);
        current_y_ += Spacing;
        ++printed;
    }
    current_row_ = r;
    if (printed == 0 && r <= last) {
        if (Go_On_Without_Row && !Go_On_Without_Row(r)) {
            go_on_ = false;
            return false;
        }
        ++current_row_;
    }
    if (Progress && !Progress(current_row_ - 1, last)) {
        go_on_ = false;
        return false;
    }
    if (current_row_ <= last) {
        ++page_number_;
        if (!out_->New_Page()) {
            go_on_ = false;
            return false;
        }
    }
    return true;
}

void List_Printer::Lay_Out_Field(int Row, int Column, int Field_Position, double PosX, double PosY, double& LenX,
                                 double& Field_Bottom, std::vector<Laid_Field>& Table) {
    if (Field_Position < 1) return;
    if (static_cast<int>(Table.size()) < Field_Position) Table.resize(static_cast<size_t>(Field_Position));
    Laid_Field& f = Table[static_cast<size_t>(Field_Position - 1)];
    const size_t c = static_cast<size_t>(std::max(Column, 0));
    const double label_width = c < label_width_.size() ? label_width_[c] : 0;
    const double value_width = c < value_width_.size() ? value_width_[c] : 0;

    f.Label_X = PosX + Gap;
    f.Label_Y = PosY + Spacing;
    // The job's "label:" when it is still the grid's.
    const QString header = Cell(0, Column);
    const bool cached =
        c < label_text_.size() && label_text_[c].size() == header.size() + 1 && label_text_[c].startsWith(header);
    const Wrapped label = Wrap_Text(cached ? label_text_[c] : header + QLatin1Char(':'), right_limit_ - f.Label_X - 2);
    f.Label_Lines = Lines_Of(label.Text);

    f.Value_X = f.Label_X + std::max(label.Width, label_width) + 2 * Gap;
    const bool beside = f.Value_X <= right_limit_;
    if (beside) {
        f.Value_Y = f.Label_Y;
    } else {
        // Under the label: its first line just below the label's last one.
        f.Value_X = PosX + Gap;
        f.Value_Y = f.Label_Y + line_height_ * f.Label_Lines.size() + Spacing;
    }
    const Wrapped value = Wrap_Text(Cell(Row, Column), right_limit_ - f.Value_X - 2);
    f.Value_Lines = Lines_Of(value.Text);

    LenX = f.Value_X + std::max(value.Width, value_width) + Gap;
    if (LenX > right_limit_) LenX = PosX + Gap;

    const qsizetype lines =
        (beside && f.Label_Lines.size() > f.Value_Lines.size()) ? f.Label_Lines.size() : f.Value_Lines.size();
    Field_Bottom = f.Value_Y + line_height_ * static_cast<double>(lines - 1) + Spacing;
}

// ---------------------------------------------------------------- wrapping

namespace {
// Past the word at start: its non-blanks and the blanks that follow.
int Word_End(const QString& text, int start) {
    int i = start;
    while (i < text.size() && text.at(i) != QLatin1Char(' ')) ++i;
    while (i < text.size() && text.at(i) == QLatin1Char(' ')) ++i;
    return i;
}
}  // namespace

List_Printer::Wrapped List_Printer::Wrap_Text(const QString& text, double limit) {
    Wrapped result;
    if (!out_) out_ = test_device_;
    if (!out_) return {text, 0};
    const bool breaks = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!breaks) {
        const double w = out_->Text_Width(text);
        if (w < limit) return {text, w};
    }
    // A line break of the text itself always ends a line.
    QStringList out;
    for (const QString& paragraph : breaks ? text.split(Line_Breaks()) : QStringList{text}) {
        const double pw = out_->Text_Width(paragraph);
        if (pw < limit) {
            out << paragraph;
            result.Width = std::max(result.Width, pw);
            continue;
        }
        QString line;
        double line_width = 0;  // the line's width, exact or from its words' widths
        auto close = [&] {
            out << line;
            result.Width = std::max(result.Width, out_->Text_Width(line));
        };
        // The words are tried on the line in place: a long text costs no string per word.
        // The width of the line with one more word is its width plus the blank's and the
        // word's; only when that comes near the limit is the line measured whole.
        const double blank = out_->Text_Width(QStringLiteral(" "));
        const double near = limit / 32 + 2 * blank;
        int position = 0;
        while (position < paragraph.size()) {
            const int start = position;
            position = Word_End(paragraph, start);
            int end = position;
            while (end > start && paragraph.at(end - 1).isSpace()) --end;
            const QStringView word = QStringView(paragraph).mid(start, end - start);
            const double word_width = out_->Text_Width(word.toString());
            if (line.isEmpty()) {
                line = word.toString();
                line_width = word_width;
                continue;
            }
            double longer = line_width + blank + word_width;
            if (longer < limit + near && longer >= limit - near) {
                const qsizetype kept = line.size();
                line.append(QLatin1Char(' '));
                line.append(word);
                longer = out_->Text_Width(line);
                line.truncate(kept);
            }
            if (longer >= limit) {
                close();
                line = word.toString();  // a word wider than the line stands alone, unbroken
                line_width = word_width;
            } else {
                line.append(QLatin1Char(' '));
                line.append(word);
                line_width = longer;
            }
        }
        close();
    }
    result.Text = out.join(QLatin1Char('\n'));
    return result;
}

QString Oversized_Row_Question(int row) {
    return QCoreApplication::translate("List_Printer", "Row %1 too large to print: Ignored").arg(row) +
           QStringLiteral("\r\n\r\n") + QCoreApplication::translate("List_Printer", "Do you want to continue ?");
}
