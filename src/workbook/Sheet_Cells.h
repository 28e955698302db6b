#pragma once
// The first sheet of a workbook as a reader hands it over, whatever the file format:
// every non-empty cell with the value the spreadsheet application would give for it.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The largest sheet any of the formats can hold.
constexpr std::uint32_t Sheet_Max_Rows = 1048576;
constexpr std::uint32_t Sheet_Max_Columns = 16384;
// The longest text a cell can hold in any of the formats; readers refuse a longer one as
// damaged before they copy it.
constexpr qsizetype Sheet_Max_Text = 32767;
// Days between the 1904 and the 1900 date systems.
constexpr double Days_1904_Shift = 1462.0;

// A cell's value: a number; a number whose cell format is a date or time format is a
// Date (day number from 1899-12-30; 1904 workbooks are shifted into it by the reader); a
// text; a boolean; an error with its automation code (2000 #NULL!, 2007 #DIV/0!, 2015
// #VALUE!, 2023 #REF!, 2029 #NAME?, 2036 #NUM!, 2042 #N/A). A formula cell gives its saved
// result in the same way. The records have a value type of their own; the import turns
// one into the other.
enum class Cell_Kind : std::uint8_t { Empty, Number, Date, Text, Boolean, Error };

struct Cell_Value {
    Cell_Kind Kind = Cell_Kind::Empty;
    double Number = 0;  // a Number or a Date
    std::int32_t Code = 0;  // an Error's code; 1 for a TRUE Boolean
    QString Text;

    static Cell_Value Of_Number(double d) { return {Cell_Kind::Number, d, 0, {}}; }
    static Cell_Value Of_Date(double day) { return {Cell_Kind::Date, day, 0, {}}; }
    static Cell_Value Of_Text(QString s) { return {Cell_Kind::Text, 0, 0, std::move(s)}; }
    static Cell_Value Of_Boolean(bool b) { return {Cell_Kind::Boolean, 0, b ? 1 : 0, {}}; }
    static Cell_Value Of_Error(std::int32_t code) { return {Cell_Kind::Error, 0, code, {}}; }
    bool operator==(const Cell_Value&) const = default;
};

struct Sheet_Cell {
    std::uint32_t Row = 0;  // 1-based
    std::uint32_t Col = 0;  // 1-based
    Cell_Value V;
};

class Sheet_Cells {
    // 16 bytes a cell, texts apart: a full sheet holds about a million cells, and the
    // import holds them and the records at once.
    struct Packed {
        std::uint32_t row;
        std::uint16_t col;
        Cell_Kind kind;
        std::uint8_t spare;
        union {
            double number;  // Number, Date
            std::int64_t whole;  // the other kinds; a text's index in texts_
        };
    };
    static_assert(sizeof(Packed) == 16);

public:
    // Blank cells (an Empty value or a text of no characters) are not kept. A later value at
    // the same place replaces the earlier one. false once Max_Cells() cells are held, or for
    // a cell past the largest sheet (Beyond_Sheet()): the reader should give up.
    bool Add(std::uint32_t row, std::uint32_t col, const Cell_Value& v);
    // A text cell from its UTF-8, kept as those bytes until the text is asked for: the formats
    // stored in XML hand their texts over so, and half the room of UTF-16 holds them. No
    // longer than Sheet_Max_Text characters (the reader checks).
    bool Add_Utf8_Text(std::uint32_t row, std::uint32_t col, std::string_view utf8);
    // A workbook's shared-string table kept once: each entry added gets a number, and a cell
    // that shows it refers to that number instead of holding a text of its own.
    std::size_t Add_Shared_Text(QStringView s);
    std::size_t Add_Shared_Utf8(std::string_view utf8);
    std::size_t Shared_Text_Count() const { return texts_.size(); }
    bool Add_Shared_Text_Cell(std::uint32_t row, std::uint32_t col, std::size_t entry);
    // Row order, then column order; the last value given for a place wins. Readers call it
    // once they are done; it costs nothing when the cells came in order.
    void Finish();
    void Clear();
    // Clear() that keeps the room it had, for the next batch of about as many cells.
    void Clear_Keeping_Room();

    // A cell past the largest sheet was refused since the last Clear().
    bool Beyond_Sheet() const { return beyond_sheet_; }

    std::size_t Size() const { return cells_.size(); }
    bool Empty() const { return cells_.empty(); }
    std::uint32_t Row_At(std::size_t i) const { return cells_[i].row; }
    std::uint32_t Col_At(std::size_t i) const { return cells_[i].col; }
    Cell_Value Value_At(std::size_t i) const;
    Cell_Kind Kind_At(std::size_t i) const { return cells_[i].kind; }
    // A Text cell's number among the texts held (Add_Shared_Text's numbers; cells that share
    // a text share its number), and the text of a number as it is held: the cells can be
    // passed on without a copy of a text for each.
    std::size_t Text_Number_At(std::size_t i) const { return static_cast<std::size_t>(cells_[i].whole); }
    struct Held_Text {
        const char* data;
        std::size_t bytes;
        bool utf16;  // UTF-16 units in native order; otherwise UTF-8
    };
    Held_Text Text_Held(std::size_t number) const {
        const Text_Ref& t = texts_[number];
        return {t.data, t.bytes, t.utf16 != 0};
    }
    QString Text_Of(std::size_t number) const;
    Sheet_Cell At(std::size_t i) const { return Sheet_Cell{Row_At(i), Col_At(i), Value_At(i)}; }
    void Reserve(std::size_t n) { cells_.reserve(n); }

    // The cells in order, each made when it is reached: for (const Sheet_Cell& c : s.Cells()).
    class Range {
    public:
        class Iterator {
        public:
            Iterator(const Sheet_Cells* s, std::size_t i) : s_(s), i_(i) {}
            Sheet_Cell operator*() const { return s_->At(i_); }
            Iterator& operator++() {
                ++i_;
                return *this;
            }
            bool operator!=(const Iterator& o) const { return i_ != o.i_; }

        private:
            const Sheet_Cells* s_;
            std::size_t i_;
        };
        explicit Range(Sheet_Cells* s) : s_(s) {}
        Iterator begin() const { return Iterator(s_, 0); }
        Iterator end() const { return Iterator(s_, s_->Size()); }

    private:
        Sheet_Cells* s_;
    };
    Range Cells() const { return Range(const_cast<Sheet_Cells*>(this)); }

    // 1-based row of the last non-empty cell of column A; 0 when column A is empty. After Finish.
    std::uint32_t Last_Row_Column_A() const;

    // Bound on the cells a reader may add, so that a small hostile file (a repetition count,
    // a bomb) cannot make the program take all the memory. Default: room for the largest real
    // table and a good margin.
    void Set_Max_Cells(std::size_t n) { max_ = n; }
    std::size_t Max_Cells() const { return max_; }
    // Called every 65,536 cells added, each complete with its text, so that a reader that
    // takes long can be seen alive and the cells read so far can be passed on.
    void Set_Progress(std::function<void()> f) { progress_ = std::move(f); }
    // For cells passed on while they are read: Finish leaves them in the order they came (the
    // receiver puts its copy in order), so that those passed on keep their numbers.
    void Keep_Arrival_Order() { keep_arrival_order_ = true; }
    // The cells passed on so far are let go, with the texts of their own (not the shared-string
    // table's), so that a sheet read and passed on in batches is never held whole; the bound
    // on the cells and the check of their order count those let go.
    void Drop_Cells();
    // A reader says it is done with the input bytes [from, to): a mapped file gives their
    // pages back while the rest is read (most of an .xls is its string table).
    void Release_Input(const void* from, const void* to) const {
        if (release_) release_(from, to);
    }
    void Set_Input_Release(std::function<void(const void*, const void*)> f) { release_ = std::move(f); }
    // How far the reader is through the sheet, in thousandths, where it can tell (a part
    // unpacked as it is read); -1 where it cannot. Set from the thread that unpacks.
    int Thousandths_Read() const {
        return std::atomic_ref<int>(thousandths_read_).load(std::memory_order_relaxed);
    }
    void Set_Thousandths_Read(int t) const {
        std::atomic_ref<int>(thousandths_read_).store(t, std::memory_order_relaxed);
    }

private:
    enum class Placed { Kept, Dropped, Full, Beyond };
    // Adds the cell at its place; Dropped at row or column 0, Beyond past the largest sheet,
    // Full at Max_Cells().
    Placed Place(std::uint32_t row, std::uint32_t col, Packed p);
    // The cell placed last is complete.
    void Added() const {
        if (progress_ && (cells_.size() & 0xFFFF) == 0) progress_();
    }
    bool Add_Text(std::uint32_t row, std::uint32_t col, const char* data, std::size_t bytes, bool utf16);
    std::size_t Add_Shared(const char* data, std::size_t bytes, bool utf16);
    std::size_t Store_Text(const char* data, std::size_t bytes, bool utf16);
    // Forgets the texts from number `keep` on; the room they took is used again.
    void Keep_Texts(std::size_t keep);

    // The texts' bytes lie in large blocks, never moved: one allocation per text would
    // cost more than most texts hold.
    struct Text_Ref {
        const char* data;
        std::uint32_t bytes;
        std::uint32_t block : 31;
        std::uint32_t utf16 : 1;
    };
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size = 0, used = 0;
    };
    static constexpr std::size_t kNo_Text = static_cast<std::size_t>(-1);
    std::vector<Packed> cells_;
    std::vector<Text_Ref> texts_;
    std::vector<Block> blocks_;
    std::size_t block_ = 0;  // the block texts go into
    std::vector<std::size_t> last_text_;  // by column: the text its last text cell holds
    std::size_t max_ = 40'000'000;
    std::function<void()> progress_;
    std::function<void(const void*, const void*)> release_;
    alignas(std::atomic_ref<int>::required_alignment) mutable int thousandths_read_ = -1;
    std::size_t dropped_ = 0;  // cells let go by Drop_Cells
    std::size_t shared_texts_ = 0;  // texts_ [0, shared_texts_) are the shared-string table's
    bool own_texts_ = false;  // a cell's own text has been added
    bool texts_mixed_ = false;  // a table text came after a cell's own: no text is let go
    std::uint32_t last_row_ = 0, last_col_ = 0;  // of the cell placed last
    bool ordered_ = true;
    bool beyond_sheet_ = false;
    bool keep_arrival_order_ = false;
};

// Automation error codes and the texts a spreadsheet shows for them.
enum : std::int32_t {
    Xl_Err_Null = 2000,
    Xl_Err_Div0 = 2007,
    Xl_Err_Value = 2015,
    Xl_Err_Ref = 2023,
    Xl_Err_Name = 2029,
    Xl_Err_Num = 2036,
    Xl_Err_NA = 2042
};
// "#N/A" for 2042; "#ERROR" for a code not in the list.
QString Error_Display_Text(std::int32_t code);
// 2042 for "#N/A" (letter case ignored, blanks around allowed); nullopt for any other text.
std::optional<std::int32_t> Error_Code_From_Text(QStringView text);

// One line of `sifa-query --dump-sheet`: ROW TAB COL TAB KIND TAB VALUE, newline, in UTF-8.
// KIND is number, text, date, boolean or error; numbers and dates as C's "%.15g"; texts with
// backslash, tab, LF and CR escaped as \\ \t \n \r; booleans TRUE/FALSE; errors as shown.
QByteArray Dump_Cell_Line(const Sheet_Cell& c);
