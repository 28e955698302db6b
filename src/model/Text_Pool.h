#pragma once
// The texts of the records, each distinct text held once and named by a number. A text
// that Windows-1252 can hold is kept as those bytes, one a character, as Data.dat
// stores it; any other text as UTF-16. So a text read from the cache is never decoded
// until something asks for it as a QString, and a long one is not even copied: it is
// named where it lies in the mapped file (Keep_Bytes, Add_In_Place).
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

// A text of the pool, valid while the pool lives and is not changed.
class Text_View {
public:
    Text_View() = default;
    Text_View(const char* bytes, qsizetype size) : data_(bytes), size_(size), narrow_(true) {}
    Text_View(const char16_t* units, qsizetype size) : data_(units), size_(size), narrow_(false) {}
    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    // Windows-1252 bytes; otherwise UTF-16 units.
    bool Narrow() const { return narrow_; }
    const char* Bytes() const { return static_cast<const char*>(data_); }
    const char16_t* Units() const { return static_cast<const char16_t*>(data_); }
    QString To_String() const;
    // Into `out`, keeping its capacity.
    void Decode_Into(QString& out) const;

private:
    const void* data_ = nullptr;
    qsizetype size_ = 0;
    bool narrow_ = true;
};

class Text_Pool {
public:
    Text_Pool();
    ~Text_Pool();
    Text_Pool(Text_Pool&&) noexcept;
    Text_Pool& operator=(Text_Pool&&) noexcept;

    // The number of the text, added when it is new.
    std::uint32_t Add(QStringView text);
    // The same for Windows-1252 bytes.
    std::uint32_t Add_Narrow(const char* bytes, qsizetype size);
    // The hash Add_Narrow uses, and whether text `id` is these bytes: callers that meet
    // the same few texts again and again look them up themselves first.
    static std::uint64_t Narrow_Hash(const char* bytes, qsizetype size);
    bool Is(std::uint32_t id, const char* bytes, qsizetype size) const;
    std::uint32_t Add_Narrow(const char* bytes, qsizetype size, std::uint64_t hash);
    Text_View View(std::uint32_t id) const;
    std::size_t Count() const { return address_.size(); }
    // Bytes held by the texts.
    std::size_t Bytes() const { return used_total_; }
    // Bytes that stay in place while `keep` lives (a mapped file): texts inside them are
    // named by Add_In_Place without being copied or looked up.
    void Keep_Bytes(const char* base, std::size_t size, std::shared_ptr<const void> keep);
    std::uint32_t Add_In_Place(const char* bytes, qsizetype size);
    // The texts of `other` become ours, numbered from the first number returned, in
    // their order; `other` is left empty. Texts both pools hold keep both numbers.
    std::uint32_t Take_Texts(Text_Pool& other);
    // Room for `texts` more texts, of `bytes` in all, coming from up to `parts` pools
    // taken with Take_Texts: until then what the pool holds never moves, so readers of
    // its texts may go on while they are added.
    void Reserve(std::size_t texts, std::size_t bytes, std::size_t parts);
    // No more texts coming for a while: the lookup index goes (it comes back if needed).
    void Drop_Index();

private:
    std::uint32_t Add_Bytes(const void* data, std::size_t bytes, qsizetype size, bool narrow, std::uint64_t hash);
    char* Room(std::size_t bytes, std::uint64_t& address);
    bool Same(std::uint32_t id, const void* data, std::size_t bytes, bool narrow) const;
    std::uint64_t Hash_Of(std::uint32_t id) const;
    void Grow_Index();
    void Index_Insert(std::uint64_t hash, std::uint32_t id);

    struct Block_Free {
        void operator()(char* p) const;
    };
    std::vector<std::unique_ptr<char, Block_Free>> owned_;
    std::vector<const char*> blocks_;  // by block number: owned blocks and windows on kept bytes
    std::vector<std::shared_ptr<const void>> kept_;
    char* current_ = nullptr;  // the owned block texts are added to
    std::uint32_t current_block_ = 0;
    std::size_t used_ = 0;  // in the current block
    std::size_t block_size_ = 0;  // of the current block
    std::size_t used_total_ = 0;
    // Per text: block number << 32 | offset, with the top bit set for UTF-16; and its size in characters.
    std::vector<std::uint64_t> address_;
    std::vector<std::uint32_t> size_;
    // Open addressing: the hash's lower half << 32 | (id + 1); 0 is a free slot.
    std::vector<std::uint64_t> index_;
    std::size_t indexed_ = 0;
    const char* kept_base_ = nullptr;
    std::size_t kept_size_ = 0;
    std::uint32_t kept_first_block_ = 0;
};
