#include "model/Text_Pool.h"

#include "model/Cp1252.h"
#include "model/Huge_Pages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kBlock = std::size_t(16) << 20;
constexpr std::size_t kAlign = std::size_t(2) << 20;
constexpr std::uint64_t kWide = std::uint64_t(1) << 63;
// Kept bytes are seen through windows of 2 GiB, as many block numbers.
constexpr unsigned kWindow_Bits = 31;
// Texts that look alike to the hash (same length, same sampled bytes) and still differ
// are compared at most this many times; past it a text is kept without being shared,
// so no input can make adding quadratic.
constexpr int kMost_Compares = 8;

std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h * 0xFF51AFD7ED558CCDull;
}

std::uint64_t Word(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

std::uint64_t Tail(const unsigned char* p, std::size_t n) {
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < n; ++i) w |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return w;
}

// Long texts are told apart by their length and three samples: hashing every byte of
// every text would cost as much as reading them.
std::uint64_t Hash_Bytes(const void* data, std::size_t bytes, bool narrow) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint64_t h = Mix(bytes * 2 + (narrow ? 1 : 0), 0x2545F4914F6CDD1Dull);
    if (bytes <= 48) {
        std::size_t i = 0;
        for (; i + 8 <= bytes; i += 8) h = Mix(h, Word(p + i));
        if (i < bytes) h = Mix(h, Tail(p + i, bytes - i));
    } else {
        const std::size_t spots[3] = {0, bytes / 2 - 8, bytes - 16};
        for (std::size_t s : spots) h = Mix(Mix(h, Word(p + s)), Word(p + s + 8));
    }
    return h ^ (h >> 29);
}

bool Narrow_Form(QStringView text, char* out) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out[i] = static_cast<char>(c);
            continue;
        }
        int b = -1;
        for (int k = 0x80; k < 0xA0; ++k)
            if (Cp1252_To_Unicode(static_cast<unsigned char>(k)) == c) b = k;
        if (b < 0) return false;
        out[i] = static_cast<char>(b);
    }
    return true;
}

}  // namespace

QString Text_View::To_String() const {
    QString s;
    Decode_Into(s);
    return s;
}

void Text_View::Decode_Into(QString& out) const {
    out.resize(size_);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    if (!narrow_) {
        if (size_) std::memcpy(o, Units(), static_cast<std::size_t>(size_) * 2);
        return;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(Bytes());
    for (qsizetype i = 0; i < size_; ++i) o[i] = b[i] < 0x80 ? char16_t(b[i]) : Cp1252_To_Unicode(b[i]);
}

void Text_Pool::Block_Free::operator()(char* p) const { std::free(p); }

Text_Pool::Text_Pool() = default;
Text_Pool::~Text_Pool() = default;
Text_Pool::Text_Pool(Text_Pool&&) noexcept = default;
Text_Pool& Text_Pool::operator=(Text_Pool&&) noexcept = default;

char* Text_Pool::Room(std::size_t bytes, std::uint64_t& address) {
    if (!current_ || block_size_ - used_ < bytes) {
        const std::size_t size = std::max(kBlock, (bytes + kAlign - 1) / kAlign * kAlign);
        char* p = static_cast<char*>(std::aligned_alloc(kAlign, size));
        if (!p) throw std::bad_alloc();
        Advise_Huge_Pages(p, size);
        owned_.emplace_back(p);
        current_ = p;
        current_block_ = static_cast<std::uint32_t>(blocks_.size());
        blocks_.push_back(p);
        block_size_ = size;
        used_ = 0;
    }
    address = (static_cast<std::uint64_t>(current_block_) << 32) | used_;
    char* at = current_ + used_;
    // UTF-16 texts stay aligned for their units.
    used_ += (bytes + 1) & ~std::size_t(1);
    used_total_ += bytes;
    return at;
}

Text_View Text_Pool::View(std::uint32_t id) const {
    const std::uint64_t a = address_[id];
    const char* p = blocks_[static_cast<std::size_t>((a & ~kWide) >> 32)] + (a & 0xFFFFFFFFu);
    if (a & kWide) return Text_View(reinterpret_cast<const char16_t*>(p), size_[id]);
    return Text_View(p, size_[id]);
}

bool Text_Pool::Same(std::uint32_t id, const void* data, std::size_t bytes, bool narrow) const {
    const Text_View v = View(id);
    if (v.Narrow() != narrow) return false;
    const std::size_t have = static_cast<std::size_t>(v.size()) * (narrow ? 1 : 2);
    return have == bytes &&
           (bytes == 0 || std::memcmp(narrow ? static_cast<const void*>(v.Bytes()) : v.Units(), data, bytes) == 0);
}

std::uint64_t Text_Pool::Hash_Of(std::uint32_t id) const {
    const Text_View v = View(id);
    return v.Narrow() ? Hash_Bytes(v.Bytes(), static_cast<std::size_t>(v.size()), true)
                      : Hash_Bytes(v.Units(), static_cast<std::size_t>(v.size()) * 2, false);
}

void Text_Pool::Index_Insert(std::uint64_t hash, std::uint32_t id) {
    const std::size_t mask = index_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    while (index_[i] != 0) i = (i + 1) & mask;
    index_[i] = (hash << 32) | (static_cast<std::uint64_t>(id) + 1);
    ++indexed_;
}

void Text_Pool::Grow_Index() {
    const std::size_t size = std::max<std::size_t>(1024, std::size_t(1) << (64 - __builtin_clzll(Count() * 2 + 1)));
    std::vector<std::uint64_t> old;
    old.swap(index_);
    index_.assign(size, 0);
    indexed_ = 0;
    if (old.empty()) {
        // Rebuilt after Drop_Index: every text is indexed again.
        for (std::uint32_t id = 0; id < Count(); ++id) Index_Insert(Hash_Of(id), id);
        return;
    }
    // A slot keeps the lower half of its text's hash, all that places it.
    for (std::uint64_t slot : old)
        if (slot) Index_Insert(slot >> 32, static_cast<std::uint32_t>((slot & 0xFFFFFFFFu) - 1));
}

std::uint32_t Text_Pool::Take_Texts(Text_Pool& other) {
    const auto shift = static_cast<std::uint32_t>(Count());
    const auto block_shift = static_cast<std::uint64_t>(blocks_.size()) << 32;
    address_.reserve(address_.size() + other.address_.size());
    for (std::uint64_t a : other.address_) address_.push_back(a + block_shift);
    size_.insert(size_.end(), other.size_.begin(), other.size_.end());
    blocks_.insert(blocks_.end(), other.blocks_.begin(), other.blocks_.end());
    for (auto& block : other.owned_) owned_.push_back(std::move(block));
    for (auto& keep : other.kept_) kept_.push_back(std::move(keep));
    used_total_ += other.used_total_;
    if (!kept_base_ && other.kept_base_) {
        kept_base_ = other.kept_base_;
        kept_size_ = other.kept_size_;
        kept_first_block_ = other.kept_first_block_ + static_cast<std::uint32_t>(block_shift >> 32);
    }
    // Rebuilt from every text when a text is added next.
    Drop_Index();
    other = Text_Pool();
    return shift;
}

void Text_Pool::Reserve(std::size_t texts, std::size_t bytes, std::size_t parts) {
    address_.reserve(address_.size() + texts);
    size_.reserve(size_.size() + texts);
    // Each part brings its windows on the kept bytes and its own blocks, each block but
    // its last full.
    blocks_.reserve(blocks_.size() + parts * ((bytes >> kWindow_Bits) + 3) + bytes / kBlock);
}

void Text_Pool::Drop_Index() {
    std::vector<std::uint64_t>().swap(index_);
    indexed_ = 0;
}

std::uint32_t Text_Pool::Add_Bytes(const void* data, std::size_t bytes, qsizetype size, bool narrow,
                                   std::uint64_t hash) {
    if (index_.empty() || 2 * (indexed_ + 1) > index_.size()) Grow_Index();
    const std::size_t mask = index_.size() - 1;
    const std::uint64_t upper = hash << 32;
    int compares = 0;
    bool shareable = true;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (; index_[i] != 0; i = (i + 1) & mask) {
        if ((index_[i] & 0xFFFFFFFF00000000ull) != upper) continue;
        const auto id = static_cast<std::uint32_t>((index_[i] & 0xFFFFFFFFu) - 1);
        if (Same(id, data, bytes, narrow)) return id;
        if (++compares >= kMost_Compares) {
            shareable = false;
            break;
        }
    }
    std::uint64_t address = 0;
    char* at = Room(bytes, address);
    if (bytes) std::memcpy(at, data, bytes);
    const auto id = static_cast<std::uint32_t>(address_.size());
    address_.push_back(narrow ? address : address | kWide);
    size_.push_back(static_cast<std::uint32_t>(size));
    if (shareable) {
        index_[i] = upper | (static_cast<std::uint64_t>(id) + 1);
        ++indexed_;
    }
    return id;
}

void Text_Pool::Keep_Bytes(const char* base, std::size_t size, std::shared_ptr<const void> keep) {
    kept_.push_back(std::move(keep));
    kept_base_ = base;
    kept_size_ = size;
    kept_first_block_ = static_cast<std::uint32_t>(blocks_.size());
    for (std::size_t at = 0; at < size || at == 0; at += std::size_t(1) << kWindow_Bits) blocks_.push_back(base + at);
}

std::uint32_t Text_Pool::Add_In_Place(const char* bytes, qsizetype size) {
    const auto offset = static_cast<std::size_t>(bytes - kept_base_);
    const std::uint64_t block = kept_first_block_ + (offset >> kWindow_Bits);
    const auto id = static_cast<std::uint32_t>(address_.size());
    address_.push_back((block << 32) | (offset & ((std::size_t(1) << kWindow_Bits) - 1)));
    size_.push_back(static_cast<std::uint32_t>(size));
    used_total_ += static_cast<std::size_t>(size);
    return id;
}

std::uint64_t Text_Pool::Narrow_Hash(const char* bytes, qsizetype size) {
    return Hash_Bytes(bytes, static_cast<std::size_t>(size), true);
}

bool Text_Pool::Is(std::uint32_t id, const char* bytes, qsizetype size) const {
    return Same(id, bytes, static_cast<std::size_t>(size), true);
}

std::uint32_t Text_Pool::Add_Narrow(const char* bytes, qsizetype size, std::uint64_t hash) {
    return Add_Bytes(bytes, static_cast<std::size_t>(size), size, true, hash);
}

std::uint32_t Text_Pool::Add_Narrow(const char* bytes, qsizetype size) {
    return Add_Narrow(bytes, size, Narrow_Hash(bytes, size));
}

std::uint32_t Text_Pool::Add(QStringView text) {
    constexpr qsizetype kStack = 256;
    char stack[kStack] = {};
    std::unique_ptr<char[]> heap;
    char* narrow = stack;
    if (text.size() > kStack) {
        heap.reset(new char[static_cast<std::size_t>(text.size())]);
        narrow = heap.get();
    }
    if (Narrow_Form(text, narrow)) return Add_Narrow(narrow, text.size());
    const std::size_t bytes = static_cast<std::size_t>(text.size()) * 2;
    return Add_Bytes(text.utf16(), bytes, text.size(), false, Hash_Bytes(text.utf16(), bytes, false));
}
