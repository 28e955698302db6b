#include "workbook/Sheet_Cells.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

bool Sheet_Cells::Add(std::uint32_t row, std::uint32_t col, const Cell_Value& v) {
    if (v.Kind == Cell_Kind::Empty || (v.Kind == Cell_Kind::Text && v.Text.isEmpty())) return true;
    // What a spreadsheet hands over for the numbers of a damaged file: no number at all is
    // #NUM!, and a date past 9999-12-31 (or before year 100) is only a number.
    if (v.Kind == Cell_Kind::Number || v.Kind == Cell_Kind::Date) {
        const double d = v.Number;
        if (!std::isfinite(d)) return Add(row, col, Cell_Value::Of_Error(Xl_Err_Num));
        if (v.Kind == Cell_Kind::Date && !(d >= -657434.0 && d < 2958466.0))
            return Add(row, col, Cell_Value::Of_Number(d));
    }
    if (v.Kind == Cell_Kind::Text)
        return Add_Text(row, col, reinterpret_cast<const char*>(v.Text.constData()),
                        std::size_t(v.Text.size()) * sizeof(QChar), true);
    Packed p{};
    p.kind = v.Kind;
    if (v.Kind == Cell_Kind::Number || v.Kind == Cell_Kind::Date)
        p.number = v.Number;
    else
        p.whole = v.Code;
    const Placed placed = Place(row, col, p);
    if (placed == Placed::Kept) Added();
    return placed == Placed::Kept || placed == Placed::Dropped;
}

bool Sheet_Cells::Add_Utf8_Text(std::uint32_t row, std::uint32_t col, std::string_view utf8) {
    if (utf8.empty()) return true;
    return Add_Text(row, col, utf8.data(), utf8.size(), false);
}

bool Sheet_Cells::Add_Text(std::uint32_t row, std::uint32_t col, const char* data, std::size_t bytes, bool utf16) {
    // A text repeated down a column (a note copied into every row) is held once; a
    // comparison that fails most often fails at its length.
    if (col >= last_text_.size()) last_text_.resize(std::min<std::size_t>(col, Sheet_Max_Columns) + 1, kNo_Text);
    const std::size_t last = col < last_text_.size() ? last_text_[col] : kNo_Text;
    if (last != kNo_Text) {
        const Text_Ref& t = texts_[last];
        if (t.bytes == bytes && t.utf16 == utf16 && std::memcmp(t.data, data, bytes) == 0)
            return Add_Shared_Text_Cell(row, col, last);
    }
    Packed p{};
    p.kind = Cell_Kind::Text;
    p.whole = static_cast<std::int64_t>(texts_.size());
    const Placed placed = Place(row, col, p);
    if (placed == Placed::Kept) {
        last_text_[col] = Store_Text(data, bytes, utf16);
        own_texts_ = true;
        Added();
    }
    return placed == Placed::Kept || placed == Placed::Dropped;
}

std::size_t Sheet_Cells::Store_Text(const char* data, std::size_t bytes, bool utf16) {
    // UTF-16 units on their natural boundary, after a UTF-8 text of an odd length.
    if (utf16 && block_ < blocks_.size() && blocks_[block_].used < blocks_[block_].size)
        blocks_[block_].used += blocks_[block_].used & 1;
    while (block_ < blocks_.size() && blocks_[block_].size - blocks_[block_].used < bytes) ++block_;
    if (block_ == blocks_.size()) {
        constexpr std::size_t kBlock_Bytes = std::size_t(1) << 20;
        const std::size_t size = std::max(bytes, kBlock_Bytes);
        blocks_.push_back({std::make_unique_for_overwrite<char[]>(size), size, 0});
    }
    Block& b = blocks_[block_];
    char* at = b.data.get() + b.used;
    if (bytes > 0) std::memcpy(at, data, bytes);
    b.used += bytes;
    texts_.push_back({at, std::uint32_t(bytes), std::uint32_t(block_), utf16});
    return texts_.size() - 1;
}

void Sheet_Cells::Keep_Texts(std::size_t keep) {
    if (keep >= texts_.size()) return;
    // The texts are stored in order: the room from the first one forgotten on is free.
    const Text_Ref& first = texts_[keep];
    block_ = first.block;
    blocks_[block_].used = std::size_t(first.data - blocks_[block_].data.get());
    for (std::size_t k = block_ + 1; k < blocks_.size(); ++k) blocks_[k].used = 0;
    texts_.resize(keep);
}

QString Sheet_Cells::Text_Of(std::size_t number) const {
    const Text_Ref& t = texts_[number];
    return t.utf16 != 0 ? QString(reinterpret_cast<const QChar*>(t.data), qsizetype(t.bytes / sizeof(QChar)))
                        : QString::fromUtf8(t.data, qsizetype(t.bytes));
}

Sheet_Cells::Placed Sheet_Cells::Place(std::uint32_t row, std::uint32_t col, Packed p) {
    if (row < 1 || col < 1) return Placed::Dropped;
    if (row > Sheet_Max_Rows || col > Sheet_Max_Columns) {
        beyond_sheet_ = true;
        return Placed::Beyond;
    }
    if (dropped_ + cells_.size() >= max_) return Placed::Full;
    if (row < last_row_ || (row == last_row_ && col <= last_col_)) ordered_ = false;
    last_row_ = row;
    last_col_ = col;
    p.row = row;
    p.col = static_cast<std::uint16_t>(col);
    cells_.push_back(p);
    return Placed::Kept;
}

std::size_t Sheet_Cells::Add_Shared_Text(QStringView s) {
    return Add_Shared(reinterpret_cast<const char*>(s.data()), std::size_t(s.size()) * sizeof(QChar), true);
}

std::size_t Sheet_Cells::Add_Shared_Utf8(std::string_view utf8) { return Add_Shared(utf8.data(), utf8.size(), false); }

std::size_t Sheet_Cells::Add_Shared(const char* data, std::size_t bytes, bool utf16) {
    // Once cells have texts of their own, the table's texts are no longer apart from them.
    if (own_texts_)
        texts_mixed_ = true;
    else
        shared_texts_ = texts_.size() + 1;
    return Store_Text(data, bytes, utf16);
}

bool Sheet_Cells::Add_Shared_Text_Cell(std::uint32_t row, std::uint32_t col, std::size_t entry) {
    if (entry >= texts_.size() || texts_[entry].bytes == 0) return true;
    Packed p{};
    p.kind = Cell_Kind::Text;
    p.whole = static_cast<std::int64_t>(entry);
    const Placed placed = Place(row, col, p);
    if (placed == Placed::Kept) Added();
    return placed == Placed::Kept || placed == Placed::Dropped;
}

Cell_Value Sheet_Cells::Value_At(std::size_t i) const {
    const Packed& p = cells_[i];
    switch (p.kind) {
    case Cell_Kind::Text: return Cell_Value::Of_Text(Text_Of(static_cast<std::size_t>(p.whole)));
    case Cell_Kind::Number: return Cell_Value::Of_Number(p.number);
    case Cell_Kind::Date: return Cell_Value::Of_Date(p.number);
    case Cell_Kind::Boolean: return Cell_Value::Of_Boolean(p.whole != 0);
    case Cell_Kind::Error: return Cell_Value::Of_Error(static_cast<std::int32_t>(p.whole));
    case Cell_Kind::Empty: break;
    }
    return {};
}

void Sheet_Cells::Finish() {
    if (ordered_ || keep_arrival_order_) return;
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

void Sheet_Cells::Drop_Cells() {
    dropped_ += cells_.size();
    cells_.clear();
    if (texts_mixed_ || texts_.size() == shared_texts_) return;
    Keep_Texts(shared_texts_);
    own_texts_ = false;
    std::fill(last_text_.begin(), last_text_.end(), kNo_Text);
}

void Sheet_Cells::Clear() {
    std::vector<Packed>().swap(cells_);
    std::vector<Text_Ref>().swap(texts_);
    std::vector<Block>().swap(blocks_);
    std::vector<std::size_t>().swap(last_text_);
    Clear_Keeping_Room();
}

void Sheet_Cells::Clear_Keeping_Room() {
    cells_.clear();
    Keep_Texts(0);
    std::fill(last_text_.begin(), last_text_.end(), kNo_Text);
    block_ = 0;
    dropped_ = shared_texts_ = 0;
    own_texts_ = texts_mixed_ = false;
    last_row_ = last_col_ = 0;
    ordered_ = true;
    beyond_sheet_ = false;
    Set_Thousandths_Read(-1);
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

QByteArray Dump_Cell_Line(const Sheet_Cell& c) {
    QByteArray out;
    out.append(QByteArray::number(c.Row)).append('\t').append(QByteArray::number(c.Col)).append('\t');
    const Cell_Value& v = c.V;
    switch (v.Kind) {
    case Cell_Kind::Date:
        out.append("date\t");
        Append_Number(out, v.Number);
        break;
    case Cell_Kind::Text: {
        out.append("text\t");
        const QByteArray u = v.Text.toUtf8();
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
    case Cell_Kind::Boolean: out.append("boolean\t").append(v.Code != 0 ? "TRUE" : "FALSE"); break;
    case Cell_Kind::Error: out.append("error\t").append(Error_Display_Text(v.Code).toLatin1()); break;
    case Cell_Kind::Number:
    case Cell_Kind::Empty:
        out.append("number\t");
        Append_Number(out, v.Number);
        break;
    }
    out.append('\n');
    return out;
}
