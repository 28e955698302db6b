#include "model/Sheet_Cells.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

bool Sheet_Cells::Add(std::uint32_t row, std::uint32_t col, const Value& v) {
    if (v.isEmpty() || (v.isString() && v.rawString().isEmpty())) return true;
    // What a spreadsheet hands over for the numbers of a damaged file: no number at all is
    // #NUM!, and a date past 9999-12-31 (or before year 100) is only a number.
    if (v.type() == VType::Double || v.type() == VType::Date) {
        const double d = v.rawDouble();
        if (!std::isfinite(d)) return Add(row, col, Value::Error(Xl_Err_Num));
        if (v.type() == VType::Date && !(d >= -657434.0 && d < 2958466.0)) return Add(row, col, Value::Double(d));
    }
    if (v.isString()) return Add_Text(row, col, v.rawString());
    Packed p{};
    p.kind = v.type();
    switch (v.type()) {
    case VType::String: p.whole = static_cast<std::int64_t>(texts_.size()); break;
    case VType::Single:
    case VType::Double:
    case VType::Date: p.number = v.rawDouble(); break;
    default: p.whole = v.rawInt(); break;
    }
    const Placed placed = Place(row, col, p);
    return placed == Placed::Kept || placed == Placed::Dropped;
}

bool Sheet_Cells::Add_Text(std::uint32_t row, std::uint32_t col, const QString& text) {
    // A text repeated down a column (a note copied into every row) is held once; a
    // comparison that fails most often fails at its length.
    if (col >= last_text_.size()) last_text_.resize(std::min<std::size_t>(col, Sheet_Max_Columns) + 1, kNo_Text);
    const std::size_t last = col < last_text_.size() ? last_text_[col] : kNo_Text;
    if (last != kNo_Text && texts_[last] == text) return Add_Shared_Text_Cell(row, col, last);
    Packed p{};
    p.kind = VType::String;
    p.whole = static_cast<std::int64_t>(texts_.size());
    const Placed placed = Place(row, col, p);
    if (placed == Placed::Kept) {
        last_text_[col] = texts_.size();
        texts_.push_back(text);
    }
    return placed == Placed::Kept || placed == Placed::Dropped;
}

Sheet_Cells::Placed Sheet_Cells::Place(std::uint32_t row, std::uint32_t col, Packed p) {
    if (row < 1 || col < 1) return Placed::Dropped;
    if (row > Sheet_Max_Rows || col > Sheet_Max_Columns) {
        beyond_sheet_ = true;
        return Placed::Beyond;
    }
    if (cells_.size() >= max_) return Placed::Full;
    if (!cells_.empty()) {
        const Packed& last = cells_.back();
        if (row < last.row || (row == last.row && col <= last.col)) ordered_ = false;
    }
    p.row = row;
    p.col = static_cast<std::uint16_t>(col);
    cells_.push_back(p);
    if (progress_ && (cells_.size() & 0xFFFF) == 0) progress_();
    return Placed::Kept;
}

std::size_t Sheet_Cells::Add_Shared_Text(QString s) {
    texts_.push_back(std::move(s));
    return texts_.size() - 1;
}

bool Sheet_Cells::Add_Shared_Text_Cell(std::uint32_t row, std::uint32_t col, std::size_t entry) {
    if (entry >= texts_.size() || texts_[entry].isEmpty()) return true;
    Packed p{};
    p.kind = VType::String;
    p.whole = static_cast<std::int64_t>(entry);
    const Placed placed = Place(row, col, p);
    return placed == Placed::Kept || placed == Placed::Dropped;
}

Value Sheet_Cells::Value_At(std::size_t i) const {
    const Packed& p = cells_[i];
    switch (p.kind) {
    case VType::String: return Value::String(texts_[static_cast<std::size_t>(p.whole)]);
    case VType::Double: return Value::Double(p.number);
    case VType::Date: return Value::Date(p.number);
    case VType::Single: return Value::Single(static_cast<float>(p.number));
    case VType::Boolean: return Value::Boolean(p.whole != 0);
    case VType::Error: return Value::Error(static_cast<std::int32_t>(p.whole));
    case VType::Integer: return Value::Integer(static_cast<std::int16_t>(p.whole));
    case VType::Long: return Value::Long(static_cast<std::int32_t>(p.whole));
    case VType::Currency: return Value::Currency_Raw(p.whole);
    case VType::Byte: return Value::Byte(static_cast<std::uint8_t>(p.whole));
    case VType::Null: return Value::Null();
    default: return Value();
    }
}

void Sheet_Cells::Finish() {
    if (ordered_) return;
    // Stable, so that of two values at one place the later one comes last and is kept.
    std::stable_sort(cells_.begin(), cells_.end(),
                     [](const Packed& a, const Packed& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        if (kept > 0 && cells_[kept - 1].row == cells_[i].row && cells_[kept - 1].col == cells_[i].col)
            cells_[kept - 1] = cells_[i];
        else
            cells_[kept++] = cells_[i];
    }
    cells_.resize(kept);
    ordered_ = true;
}

void Sheet_Cells::Clear() {
    std::vector<Packed>().swap(cells_);
    std::deque<QString>().swap(texts_);
    std::vector<std::size_t>().swap(last_text_);
    ordered_ = true;
    beyond_sheet_ = false;
}

std::uint32_t Sheet_Cells::Last_Row_Column_A() const {
    for (auto it = cells_.rbegin(); it != cells_.rend(); ++it)
        if (it->col == 1) return it->row;
    return 0;
}

namespace {

struct Error_Name {
    std::int32_t code;
    const char* text;
};
constexpr Error_Name kErrors[] = {{Xl_Err_Null, "#NULL!"},
                                  {Xl_Err_Div0, "#DIV/0!"},
                                  {Xl_Err_Value, "#VALUE!"},
                                  {Xl_Err_Ref, "#REF!"},
                                  {Xl_Err_Name, "#NAME?"},
                                  {Xl_Err_Num, "#NUM!"},
                                  {Xl_Err_NA, "#N/A"},
                                  // The newer errors of the spreadsheet programs.
                                  {2043, "#GETTING_DATA"},
                                  {2045, "#SPILL!"},
                                  {2046, "#CONNECT!"},
                                  {2047, "#BLOCKED!"},
                                  {2048, "#UNKNOWN!"},
                                  {2049, "#FIELD!"},
                                  {2050, "#CALC!"},
                                  {2051, "#BUSY!"}};

void Append_Number(QByteArray& out, double d) {
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%.15g", d);
    out.append(buf, n);
}

}  // namespace

QString Error_Display_Text(std::int32_t code) {
    for (const Error_Name& e : kErrors)
        if (e.code == code) return QString::fromLatin1(e.text);
    return QStringLiteral("#ERROR");
}

std::optional<std::int32_t> Error_Code_From_Text(QStringView text) {
    const QStringView t = text.trimmed();
    for (const Error_Name& e : kErrors)
        if (t.compare(QLatin1String(e.text), Qt::CaseInsensitive) == 0) return e.code;
    return std::nullopt;
}

std::optional<std::int32_t> Error_Code_From_Biff(std::uint8_t b) {
    for (const Error_Name& e : kErrors)
        if (e.code - 2000 == b) return e.code;
    return std::nullopt;
}

QByteArray Dump_Cell_Line(const Sheet_Cell& c) {
    QByteArray out;
    out.append(QByteArray::number(c.Row)).append('\t').append(QByteArray::number(c.Col)).append('\t');
    const Value& v = c.V;
    switch (v.type()) {
    case VType::Date:
        out.append("date\t");
        Append_Number(out, v.rawDouble());
        break;
    case VType::String: {
        out.append("text\t");
        const QByteArray u = v.rawString().toUtf8();
        out.reserve(out.size() + u.size() + 8);
        for (char ch : u) {
            switch (ch) {
            case '\\': out.append("\\\\"); break;
            case '\t': out.append("\\t"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            default: out.append(ch);
            }
        }
        break;
    }
    case VType::Boolean: out.append("boolean\t").append(v.rawBool() ? "TRUE" : "FALSE"); break;
    case VType::Error:
        out.append("error\t").append(Error_Display_Text(static_cast<std::int32_t>(v.rawInt())).toLatin1());
        break;
    default: {
        out.append("number\t");
        Append_Number(out, To_Number(v).value_or(0.0));
        break;
    }
    }
    out.append('\n');
    return out;
}
