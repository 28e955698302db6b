// The .ods reader: the first table's cell values from the package's content.xml.
#include "workbook/Format_Readers.h"
#include "workbook/Number_Format.h"
#include "workbook/Office_Package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using namespace Office_Package;

// "PT12H30M05.5S" (also with days, "-" in front) as a day number.
bool Parse_Duration(string_view s, double& out) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() != 'P') return false;
    s.remove_prefix(1);
    double seconds = 0;
    bool in_time = false, any = false;
    while (!s.empty()) {
        if (s.front() == 'T') {
            in_time = true;
            s.remove_prefix(1);
            continue;
        }
        std::size_t n = 0;
        while (n < s.size() && ((s[n] >= '0' && s[n] <= '9') || s[n] == '.')) ++n;
        if (n == 0 || n == s.size()) return false;
        double v = 0;
        if (!Parse_Double(s.substr(0, n), v)) return false;
        const char unit = s[n];
        if (unit == 'D' && !in_time)
            seconds += v * 86400;
        else if (unit == 'H' && in_time)
            seconds += v * 3600;
        else if (unit == 'M' && in_time)
            seconds += v * 60;
        else if (unit == 'S' && in_time)
            seconds += v;
        else
            return false;
        any = true;
        s.remove_prefix(n + 1);
    }
    if (!any) return false;
    out = (negative ? -seconds : seconds) / 86400.0;
    return true;
}

// A cell's text in UTF-8 before it is decoded: each of its UTF-16 characters takes three
// bytes at the most.
constexpr std::size_t kMax_Text_Bytes = 3 * std::size_t(Sheet_Max_Text);

// content.xml: the first table's cells. A repetition of cells that hold a value is expanded;
// one of empty cells or rows only moves the place on, as far past the sheet's edge as the
// file says. A value past the largest sheet refuses the file.
class Content_Handler : public Handler_Base {
public:
    explicit Content_Handler(Sheet_Cells& out) : out_(out) {}

    bool Found_Table() const { return found_table_; }

    void start_element(const orcus::sax::parser_element& e) {
        const string_view name = e.name;
        if (skip_) {
            ++skip_;
        } else if (in_cell_) {
            Start_In_Cell(name);
        } else if (table_depth_ > 0) {
            if (name == "table") {
                ++table_depth_;
            } else if (table_depth_ == 1) {
                if (name == "table-row") {
                    Start_Row();
                } else if ((name == "table-cell" || name == "covered-table-cell") && in_row_)
                    Start_Cell();
            }
        } else if (name == "table" && e.ns == "table") {
            table_depth_ = 1;
            found_table_ = true;
        }
        attrs_.items.clear();
    }

    void end_element(const orcus::sax::parser_element& e) {
        const string_view name = e.name;
        if (skip_) {
            --skip_;
        } else if (in_cell_) {
            if (name == "table-cell" || name == "covered-table-cell")
                End_Cell();
            else if (name == "p" || name == "h")
                in_paragraph_ = false;
        } else if (table_depth_ > 0) {
            if (name == "table" && --table_depth_ == 0) {
                Flush_Row();
                throw Stop_Parsing{};
            }
            if (table_depth_ == 1 && name == "table-row") End_Row();
        }
    }

    void characters(string_view s, bool) {
        if (in_paragraph_ && !skip_) Append_Cell_Text(text_, s, kMax_Text_Bytes);
    }

private:
    void Start_Row() {
        Flush_Row();
        in_row_ = true;
        col_ = 0;
        std::uint64_t n = 1;
        if (!Parse_Unsigned(attrs_.Get("table", "number-rows-repeated"), n) || n == 0) n = 1;
        rows_repeated_ = n;
    }

    void End_Row() {
        in_row_ = false;
        Flush_Row();
    }

    // The row's cells, once per repetition; an empty row only moves on.
    void Flush_Row() {
        if (!rows_repeated_) return;
        if (!row_cells_.empty()) {
            const std::uint64_t first = row_ + 1, last = row_ + rows_repeated_;
            if (last > Sheet_Max_Rows) Fail(Workbook_Failure::Beyond_Sheet);
            // A repetition that cannot fit fails at once rather than after filling the memory.
            if (row_cells_.size() * (last - first + 1) > out_.Max_Cells() - out_.Size())
                Fail(Workbook_Failure::Too_Many_Cells);
            for (std::uint64_t r = first; r <= last; ++r)
                for (const Sheet_Cell& c : row_cells_)
                    if (!(c.V.Kind == Cell_Kind::Text
                              ? out_.Add_Utf8_Text(std::uint32_t(r), c.Col, row_texts_[std::size_t(c.V.Code)])
                              : out_.Add(std::uint32_t(r), c.Col, c.V)))
                        Fail(Workbook_Failure::Too_Many_Cells);
        }
        // Saturated: rows past the edge hold nothing, or the file was refused above.
        row_ = std::min<std::uint64_t>(row_ + rows_repeated_, std::uint64_t(Sheet_Max_Rows) + 1);
        rows_repeated_ = 0;
        row_cells_.clear();
        row_texts_.clear();
    }

    void Start_Cell() {
        in_cell_ = true;
        in_paragraph_ = false;
        paragraphs_ = 0;
        text_.clear();
        std::uint64_t n = 1;
        if (!Parse_Unsigned(attrs_.Get("table", "number-columns-repeated"), n) || n == 0) n = 1;
        cols_repeated_ = n;
        const string_view value_type = attrs_.Get("office", "value-type");
        error_ = attrs_.Get("calcext", "value-type") == "error";
        has_value_ = false;
        has_string_value_ = false;
        string_value_.clear();
        if (value_type == "float" || value_type == "percentage" || value_type == "currency") {
            has_value_ = Parse_Double(attrs_.Get("office", "value"), number_);
            kind_ = Cell_Kind::Number;
        } else if (value_type == "date") {
            has_value_ = Parse_Iso_Date_Time(attrs_.Get("office", "date-value"), number_);
            kind_ = Cell_Kind::Date;
        } else if (value_type == "time") {
            has_value_ = Parse_Duration(attrs_.Get("office", "time-value"), number_);
            kind_ = Cell_Kind::Date;
        } else if (value_type == "boolean") {
            const string_view b = Trim(attrs_.Get("office", "boolean-value"));
            has_value_ = !b.empty();
            number_ = (Equals_No_Case(b, "true") || b == "1") ? 1 : 0;
            kind_ = Cell_Kind::Boolean;
        } else {
            kind_ = Cell_Kind::Text;
            for (const Attributes::Item& a : attrs_.items)
                if (a.prefix == "office" && a.name == "string-value") {
                    if (a.value.size() > kMax_Text_Bytes) Fail(Workbook_Failure::Text_Too_Long);
                    string_value_.assign(a.value);
                    has_string_value_ = true;
                }
        }
    }

    void Start_In_Cell(string_view name) {
        if (!in_paragraph_) {
            if (name == "p" || name == "h") {
                if (paragraphs_++) text_ += '\n';
                in_paragraph_ = true;
            } else {
                skip_ = 1;  // annotations, drawings, nested tables
            }
            return;
        }
        if (name == "s") {
            std::uint64_t n = 1;
            if (!Parse_Unsigned(attrs_.Get("text", "c"), n)) n = 1;
            // Bounded: a few bytes of "<text:s text:c=...>" must not become gigabytes of blanks.
            if (n > kMax_Text_Bytes - std::min(text_.size(), kMax_Text_Bytes)) Fail(Workbook_Failure::Text_Too_Long);
            text_.append(std::size_t(n), ' ');
        } else if (name == "tab") {
            text_ += '\t';
        } else if (name == "line-break") {
            text_ += '\n';
        } else if (name == "annotation" || name == "note" || name == "frame" || name == "custom-shape") {
            skip_ = 1;
        }
        // Spans, links and fields give their text.
    }

    void End_Cell() {
        in_cell_ = false;
        in_paragraph_ = false;
        const std::uint64_t first = col_ + 1;
        col_ = std::min<std::uint64_t>(col_ + cols_repeated_, std::uint64_t(Sheet_Max_Columns) + 1);
        Cell_Value v;
        if (error_) {
            // The error's name is the shown text; the string value beside it is left empty.
            v = Cell_Value::Of_Error(Error_Code(text_.empty() ? string_view(string_value_) : string_view(text_)));
        } else if (kind_ == Cell_Kind::Text) {
            const string_view t = has_string_value_ ? string_view(string_value_) : string_view(text_);
            if (t.empty()) return;
            if (t.size() > kMax_Text_Bytes) Fail(Workbook_Failure::Text_Too_Long);
            Check_Cell_Text_Length(t);
            // Kept as the UTF-8 it is, beside the row's cells, which name it by its number.
            v.Kind = Cell_Kind::Text;
            v.Code = std::int32_t(row_texts_.size());
            row_texts_.emplace_back(t);
        } else if (!has_value_) {
            return;
        } else if (kind_ == Cell_Kind::Number) {
            v = Cell_Value::Of_Number(number_);
        } else if (kind_ == Cell_Kind::Date) {
            v = Cell_Value::Of_Date(number_);
        } else {
            v = Cell_Value::Of_Boolean(number_ != 0);
        }
        if (row_ >= Sheet_Max_Rows || col_ > Sheet_Max_Columns) Fail(Workbook_Failure::Beyond_Sheet);
        for (std::uint64_t c = first; c <= col_; ++c) row_cells_.push_back(Sheet_Cell{0, std::uint32_t(c), v});
    }

    Sheet_Cells& out_;
    std::vector<Sheet_Cell> row_cells_;
    std::vector<std::string> row_texts_;  // the row's texts, in UTF-8
    std::uint64_t row_ = 0, col_ = 0, rows_repeated_ = 0, cols_repeated_ = 1;
    int table_depth_ = 0, skip_ = 0, paragraphs_ = 0;
    bool found_table_ = false, in_row_ = false, in_cell_ = false, in_paragraph_ = false;
    bool error_ = false, has_value_ = false, has_string_value_ = false;
    Cell_Kind kind_ = Cell_Kind::Text;
    double number_ = 0;
    std::string text_, string_value_;
};

void Read_Ods_Package(const Package& pkg, Sheet_Cells& out) {
    Part part;
    if (pkg.Read("META-INF/manifest.xml", part) && part.View().find("encryption-data") != string_view::npos)
        Fail(Workbook_Failure::Password);
    // The largest part by far (182 MB for 65,535 records), read a row at a time.
    Part_Stream stream;
    stream.Release_Read_Input(&out);
    if (!pkg.Open("content.xml", stream)) Fail(Workbook_Failure::First_Sheet_Damaged);
    Content_Handler h(out);
    Parse_Xml_In_Pieces(stream, "table-row", h);
    if (!h.Found_Table()) Fail(Workbook_Failure::No_Worksheet);
}

}  // namespace

Workbook_Failure Read_Ods(QByteArrayView data, Sheet_Cells& out) { return Run_Reader(data, out, Read_Ods_Package); }
