#pragma once
// The records in memory: rows 0..R (row r is workbook row r + 1, row 0 holds no
// record), columns 0..N (column c is the field at Position c, column 0 is free for
// the search's selection mark). Replaced as a whole by each load.
//
// Stored by column, five bytes a cell and nothing allocated per cell: a kind, and a
// 32-bit payload that holds the number itself (whole numbers, 16- and 32-bit values,
// singles), the number of a text in the table's Text_Pool, the number of a code in its
// column's code list (columns of coded fields), or where a wider number sits in the
// column's list of 8-byte values. Every kind a cell of the cache can hold is kept
// exactly, so what is written back is what was read.
#include "model/Text_Pool.h"
#include "model/Value.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

class Record;

class Records_Table {
public:
    // Columns of the description's coded fields keep their texts as codes.
    explicit Records_Table(Record* description = nullptr);
    ~Records_Table();
    Records_Table(Records_Table&&) noexcept;
    Records_Table& operator=(Records_Table&&) noexcept;

    // All cells empty. rowUpper/colUpper are upper bounds, as R and N.
    void Resize(int rowUpper, int colUpper);
    // The same shape with the cells left unwritten (not even zeroed): for a load that
    // writes every cell, kind and payload, before anything reads one.
    void Resize_For_Filling(int rowUpper, int colUpper);
    // More or fewer rows, the cells of the rows kept as they were and new rows empty: for a
    // load that learns the number of records only at its end.
    void Set_Row_Upper(int rowUpper);
    // Columns from..to of `part`, a table of the same shape that was filled there, become
    // ours, with its texts; `part` is left without them.
    void Take_Columns(Records_Table& part, int from, int to);
    void Clear();  // back to "no table"
    bool Allocated() const { return rows_ > 0; }
    int Row_Upper() const { return rows_ - 1; }  // -1 when there is no table
    int Col_Upper() const { return static_cast<int>(columns_.size()) - 1; }
    // Number of records R, 0 when there is no table.
    int Record_Count() const { return rows_ > 0 ? rows_ - 1 : 0; }
    void Swap(Records_Table& other) noexcept;  // the cells, not the description
    Record* Description() const { return description_; }

    // --- reading, without building a Value
    VType Type(int r, int c) const { return static_cast<VType>(Col(c).kind[r] & Kind_Mask); }
    bool Is_Empty(int r, int c) const { return Col(c).kind[r] == 0; }
    bool Is_Text(int r, int c) const { return Type(r, c) == VType::String; }
    // The text of a String cell.
    Text_View Text(int r, int c) const { return pool_.View(Text_Id(r, c)); }
    // The pool number of a String cell's text (the same text has the same number).
    std::uint32_t Text_Id(int r, int c) const;
    // The code number of a String cell in a code column (0.. Code_Count(c) - 1: each
    // distinct spelling met in the column once); -1 for any other cell.
    int Code(int r, int c) const {
        const Column& col = Col(c);
        return col.kind[r] == (static_cast<std::uint8_t>(VType::String) | Coded) ? static_cast<int>(col.payload[r])
                                                                                 : -1;
    }
    int Code_Count(int c) const { return static_cast<int>(Col(c).codes.size()); }
    // A number cell's value (Integer, Long, Single, Double, Currency as its amount, Date,
    // Byte, Error, Boolean as -1/0); 0 for any other cell.
    double Number(int r, int c) const;
    const Text_Pool& Texts() const { return pool_; }
    // A cell's shown text, as To_Text writes it, without building a Value for the kinds
    // a table is made of.
    QString Cell_Text(int r, int c) const;
    // Whether two String cells of a column hold the same text, without decoding them.
    bool Same_Text(int r1, int r2, int c) const;

    // A cell as a Value, built on demand (a text cell decodes its text).
    Value operator()(int r, int c) const;
    Value Cell(int r, int c) const { return (*this)(r, c); }
    // The same on a table that may be written: `table(r, c) = value` stores a value.
    class Cell_Ref : public Value {
    public:
        Cell_Ref(Records_Table& t, int r, int c) : Value(t.Cell(r, c)), t_(t), r_(r), c_(c) {}
        Cell_Ref& operator=(const Value& v) {
            t_.Set(r_, c_, v);
            Value::operator=(v);
            return *this;
        }

    private:
        Records_Table& t_;
        int r_, c_;
    };
    Cell_Ref operator()(int r, int c) { return Cell_Ref(*this, r, c); }

    // --- writing
    void Set(int r, int c, const Value& v);
    void Set_Empty(int r, int c) {
        Column& col = Col(c);
        col.kind[r] = 0;
        col.payload[r] = 0;
    }
    void Set_Boolean(int r, int c, bool b);
    // A text given as Windows-1252 bytes; `in_place`: bytes inside those given to
    // Keep_Bytes, used where they lie (a long text met again far down its column is then
    // not looked for: it costs no memory of ours).
    void Set_Narrow_Text(int r, int c, const char* bytes, qsizetype size, bool in_place = false);
    void Keep_Bytes(const char* base, std::size_t size, std::shared_ptr<const void> keep) {
        pool_.Keep_Bytes(base, size, std::move(keep));
    }
    // All texts are in: the pool's lookup index is given back.
    void Done_Loading() { pool_.Drop_Index(); }

    // --- columns filled when first asked for
    struct Column_Source {
        // Fills column c of `part`, a table of this shape whose other columns have no
        // cells; false when the bytes it reads are damaged (the column's cells then read
        // as empty, and Damaged() says so). Called on any thread, for several columns at once.
        std::function<bool(Records_Table& part, int c)> fill;
        // The bytes column c was filled from need no longer be at hand.
        std::function<void(int c)> give_back;
        std::vector<std::size_t> bytes;  // by column: how many bytes filling it reads
        std::size_t most_texts = 0, text_bytes = 0;  // at most, in all the columns
    };
    void Fill_When_Asked(int rowUpper, int colUpper, Column_Source source);
    // The given columns filled now, on two threads, the longest first, their bytes kept at
    // hand until Give_Back: for a search about to read them all.
    void Fill_Columns(const std::vector<int>& columns) const;
    void Give_Back(const std::vector<int>& columns) const;
    bool Damaged() const;

private:
    static constexpr std::uint8_t Kind_Mask = 0x1F;
    static constexpr std::uint8_t Wide = 0x40;  // payload: index into the column's 8-byte values
    static constexpr std::uint8_t Coded = 0x80;  // payload: index into the column's codes
    // Resizing leaves the numbers as they were (not zeroed): Resize writes them itself.
    template <typename T> struct Unfilled : std::allocator<T> {
        template <typename U> struct rebind { using other = Unfilled<U>; };
        template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
        template <typename U, typename... A> void construct(U* p, A&&... a) {
            ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
        }
    };
    struct Column {
        std::vector<std::uint8_t, Unfilled<std::uint8_t>> kind;
        std::vector<std::uint32_t, Unfilled<std::uint32_t>> payload;
        std::vector<std::uint64_t> wide;
        bool code_column = false;
        std::vector<std::uint32_t> codes;  // text ids
        // While texts come in: the codes by text id, and the last texts met by their hash.
        std::unordered_map<std::uint32_t, std::int32_t> code_of_text;
        std::vector<std::uint64_t> recent;  // hash's upper half << 32 | (text id + 1)
        struct Short_Text {
            std::uint64_t bytes = 0;
            std::uint32_t payload = 0;
            std::uint8_t size = 0, kind = 0;  // kind 0: a free entry
        };
        std::vector<Short_Text> short_texts;  // texts of up to 8 bytes, by their bytes
    };
    const Column& Col(int c) const {
        if (fill_ && !filled_[static_cast<std::size_t>(c)].load(std::memory_order_acquire)) [[unlikely]]
            Fill_Column(c);
        return columns_[static_cast<std::size_t>(c)];
    }
    Column& Col(int c) {
        static_cast<const Records_Table*>(this)->Col(c);
        return columns_[static_cast<std::size_t>(c)];
    }
    void Put_Text_Id(int r, int c, std::uint32_t id);
    void Put_Wide(Column& col, int r, VType t, std::uint64_t bits);
    // `only`: the one column given cells (-1: all of them).
    void Shape(int rowUpper, int colUpper, bool zeroed, int only = -1);
    void Fill_Column(int c) const;
    void Fill_Claimed(const std::vector<int>& columns) const;

    Record* description_ = nullptr;
    int rows_ = 0;
    std::vector<Column> columns_;
    Text_Pool pool_;
    struct Column_Fill;  // set while some columns are still to be filled
    std::unique_ptr<Column_Fill> fill_;
    std::unique_ptr<std::atomic<bool>[]> filled_;  // by column, while fill_ is set
};
