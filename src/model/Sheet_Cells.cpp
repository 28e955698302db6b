#include "model/Sheet_Cells.h"

#include <algorithm>
#include <cstdio>

bool Sheet_Cells::Add(std::uint32_t row, std::uint32_t col, Value v)
{
    if (v.isEmpty() || (v.isString() && v.rawString().isEmpty())) return true;
    if (row < 1 || col < 1 || row > Sheet_Max_Rows || col > Sheet_Max_Columns) return true;
    if (cells_.size() >= max_) return false;
    if (!cells_.empty()) {
        const Sheet_Cell& last = cells_.back();
        if (row < last.Row || (row == last.Row && col <= last.Col)) ordered_ = false;
    }
    cells_.push_back(Sheet_Cell{row, col, std::move(v)});
    if (progress_ && (cells_.size() & 0xFFFF) == 0) progress_();
    return true;
}

void Sheet_Cells::Finish()
{
    if (ordered_) return;
    // Stable, so that of two values at one place the later one comes last and is kept.
    std::stable_sort(cells_.begin(), cells_.end(), [](const Sheet_Cell& a, const Sheet_Cell& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        if (kept > 0 && cells_[kept - 1].Row == cells_[i].Row && cells_[kept - 1].Col == cells_[i].Col) cells_[kept - 1] = std::move(cells_[i]);
        else if (kept++ != i) cells_[kept - 1] = std::move(cells_[i]);
    }
    cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(kept), cells_.end());
    ordered_ = true;
}

void Sheet_Cells::Clear()
{
    std::vector<Sheet_Cell>().swap(cells_);
    ordered_ = true;
}

std::uint32_t Sheet_Cells::Last_Row_Column_A() const
{
    for (auto it = cells_.rbegin(); it != cells_.rend(); ++it)
        if (it->Col == 1) return it->Row;
    return 0;
}

namespace {

struct Error_Name {
    std::int32_t code;
    const char* text;
};
constexpr Error_Name kErrors[] = {{Xl_Err_Null, "#NULL!"}, {Xl_Err_Div0, "#DIV/0!"}, {Xl_Err_Value, "#VALUE!"},
                                  {Xl_Err_Ref, "#REF!"},   {Xl_Err_Name, "#NAME?"},  {Xl_Err_Num, "#NUM!"},
                                  {Xl_Err_NA, "#N/A"},
                                  // The newer errors of the spreadsheet programs.
                                  {2043, "#GETTING_DATA"}, {2045, "#SPILL!"}, {2046, "#CONNECT!"},
                                  {2047, "#BLOCKED!"}, {2048, "#UNKNOWN!"}, {2049, "#FIELD!"},
                                  {2050, "#CALC!"}, {2051, "#BUSY!"}};

void Append_Number(QByteArray& out, double d)
{
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%.15g", d);
    out.append(buf, n);
}

} // namespace

QString Error_Display_Text(std::int32_t code)
{
    for (const Error_Name& e : kErrors)
        if (e.code == code) return QString::fromLatin1(e.text);
    return QStringLiteral("#ERROR");
}

std::optional<std::int32_t> Error_Code_From_Text(QStringView text)
{
    const QStringView t = text.trimmed();
    for (const Error_Name& e : kErrors)
        if (t.compare(QLatin1String(e.text), Qt::CaseInsensitive) == 0) return e.code;
    return std::nullopt;
}

std::optional<std::int32_t> Error_Code_From_Biff(std::uint8_t b)
{
    for (const Error_Name& e : kErrors)
        if (e.code - 2000 == b) return e.code;
    return std::nullopt;
}

QByteArray Dump_Cell_Line(const Sheet_Cell& c)
{
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
    case VType::Boolean:
        out.append("boolean\t").append(v.rawBool() ? "TRUE" : "FALSE");
        break;
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
