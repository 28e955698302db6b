#include "workbook/Compound_File.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t End_Of_Chain = 0xFFFFFFFEu;
constexpr std::uint32_t Free_Sector = 0xFFFFFFFFu;
constexpr std::uint32_t No_Entry = 0xFFFFFFFFu;
constexpr std::uint32_t Header_Size = 512;
constexpr std::uint32_t Header_Difat_Count = 109;
constexpr std::uint32_t Mini_Sector_Size = 64;
constexpr std::uint64_t Mini_Stream_Cutoff = 4096;
constexpr std::uint32_t Entry_Size = 128;

constexpr unsigned char Signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

bool Compound_File::Has_Signature(QByteArrayView data) {
    return data.size() >= 8 && std::memcmp(data.data(), Signature, 8) == 0;
}

bool Compound_File::Read_Chain(std::uint32_t start, std::uint64_t limit, QByteArray& out) const {
    out.clear();
    limit = std::min<std::uint64_t>(limit, size_);
    const std::uint64_t sector_size = std::uint64_t(1) << sector_shift_;
    // A chain visits a sector at most once; a second visit is a loop.
    std::vector<bool> seen(sector_count_, false);
    // Runs of neighbouring sectors: a large stream is mostly one run.
    struct Run {
        std::uint64_t offset, length;
    };
    std::vector<Run> runs;
    std::uint64_t taken = 0;
    for (std::uint32_t sector = start; sector != End_Of_Chain && taken < limit; sector = fat_[sector]) {
        if (sector >= sector_count_ || sector >= fat_.size() || seen[sector]) return false;
        seen[sector] = true;
        const std::uint64_t offset = (std::uint64_t(sector) + 1) << sector_shift_;
        const std::uint64_t take = std::min({sector_size, size_ - offset, limit - taken});
        if (!runs.empty() && runs.back().offset + runs.back().length == offset)
            runs.back().length += take;
        else
            runs.push_back({offset, take});
        taken += take;
    }
    // One run is handed out in place, without a copy.
    if (runs.size() == 1) {
        out = QByteArray::fromRawData(reinterpret_cast<const char*>(data_ + runs[0].offset),
                                      static_cast<qsizetype>(runs[0].length));
        return true;
    }
    out.reserve(static_cast<qsizetype>(taken));
    for (const Run& r : runs)
        out.append(reinterpret_cast<const char*>(data_ + r.offset), static_cast<qsizetype>(r.length));
    return true;
}

bool Compound_File::Read_Mini_Chain(std::uint32_t start, std::uint64_t size, QByteArray& out) const {
    out.clear();
    if (size == 0) return true;
    const Entry& root = entries_[0];
    QByteArray mini_stream, mini_fat_bytes;
    if (!Read_Chain(root.start, root.size, mini_stream)) return false;
    if (!Read_Chain(mini_fat_start_, size_, mini_fat_bytes)) return false;
    const auto* fat = reinterpret_cast<const std::uint8_t*>(mini_fat_bytes.constData());
    const std::uint32_t fat_count = static_cast<std::uint32_t>(mini_fat_bytes.size() / 4);
    const std::uint32_t sectors = static_cast<std::uint32_t>(mini_stream.size() / Mini_Sector_Size);
    std::vector<bool> seen(fat_count, false);
    out.reserve(static_cast<qsizetype>(std::min<std::uint64_t>(size, mini_stream.size())));
    for (std::uint32_t sector = start; sector != End_Of_Chain && std::uint64_t(out.size()) < size;
         sector = U32(fat + 4 * std::size_t(sector))) {
        if (sector >= fat_count || sector >= sectors || seen[sector]) return false;
        seen[sector] = true;
        const std::uint64_t take = std::min<std::uint64_t>(Mini_Sector_Size, size - out.size());
        out.append(mini_stream.constData() + std::size_t(sector) * Mini_Sector_Size, static_cast<qsizetype>(take));
    }
    return std::uint64_t(out.size()) == size;
}

bool Compound_File::Open(QByteArrayView data) {
    *this = Compound_File();
    if (data.size() < qsizetype(Header_Size) || !Has_Signature(data)) return false;
    data_ = reinterpret_cast<const std::uint8_t*>(data.data());
    size_ = static_cast<std::uint64_t>(data.size());
    const std::uint8_t* h = data_;
    sector_shift_ = U16(h + 0x1E);
    if ((sector_shift_ != 9 && sector_shift_ != 12) || U16(h + 0x20) != 6) return false;
    const std::uint64_t sector_size = std::uint64_t(1) << sector_shift_;
    // The header fills the first sector; sector n starts at (n + 1) * sector size. A last
    // sector cut short by the end of the file still counts: some writers do not pad it.
    if (size_ <= sector_size) return false;
    sector_count_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>((size_ - sector_size + sector_size - 1) / sector_size, 0xFFFFFFF0u));
    const std::uint32_t per_sector = static_cast<std::uint32_t>(sector_size / 4);

    // The allocation table only needs entries for sectors inside the file.
    const std::uint32_t fat_sectors_needed = (sector_count_ + per_sector - 1) / per_sector;
    std::vector<std::uint32_t> fat_sectors;
    auto take_difat_entry = [&](std::uint32_t s) {
        if (s < sector_count_ && fat_sectors.size() < fat_sectors_needed) fat_sectors.push_back(s);
    };
    for (std::uint32_t i = 0; i < Header_Difat_Count; ++i) take_difat_entry(U32(h + 0x4C + 4 * i));
    // The rest of the list is in a chain of its own sectors, each ending with the next one's number.
    std::uint32_t difat = U32(h + 0x44);
    for (std::uint32_t steps = 0;
         difat < sector_count_ && fat_sectors.size() < fat_sectors_needed && steps < sector_count_; ++steps) {
        const std::uint64_t offset = (std::uint64_t(difat) + 1) << sector_shift_;
        if (offset + sector_size > size_) break;
        for (std::uint32_t i = 0; i + 1 < per_sector; ++i) take_difat_entry(U32(data_ + offset + 4 * i));
        difat = U32(data_ + offset + 4 * (per_sector - 1));
    }
    fat_.assign(sector_count_, Free_Sector);
    for (std::size_t k = 0; k < fat_sectors.size(); ++k) {
        const std::uint64_t offset = (std::uint64_t(fat_sectors[k]) + 1) << sector_shift_;
        const std::uint64_t first = std::uint64_t(k) * per_sector;
        for (std::uint32_t i = 0; i < per_sector && first + i < fat_.size() && offset + 4 * i + 4 <= size_; ++i)
            fat_[first + i] = U32(data_ + offset + 4 * i);
    }

    QByteArray directory;
    if (!Read_Chain(U32(h + 0x30), size_, directory)) return false;
    const auto* d = reinterpret_cast<const std::uint8_t*>(directory.constData());
    const std::size_t entry_count = std::size_t(directory.size()) / Entry_Size;
    if (entry_count == 0) return false;
    entries_.resize(entry_count);
    for (std::size_t i = 0; i < entry_count; ++i) {
        const std::uint8_t* e = d + i * Entry_Size;
        Entry& entry = entries_[i];
        const std::uint16_t name_bytes = std::min<std::uint16_t>(U16(e + 0x40), 64);
        const qsizetype chars = name_bytes >= 2 ? name_bytes / 2 - 1 : 0;
        entry.name.resize(chars);
        for (qsizetype c = 0; c < chars; ++c) entry.name[c] = QChar(U16(e + 2 * c));
        entry.type = e[0x42];
        entry.left = U32(e + 0x44);
        entry.right = U32(e + 0x48);
        entry.child = U32(e + 0x4C);
        entry.start = U32(e + 0x74);
        // Files of 512-byte sectors may leave garbage in the high half of the size.
        entry.size = sector_shift_ == 9 ? U32(e + 0x78) : (U32(e + 0x78) | std::uint64_t(U32(e + 0x7C)) << 32);
    }
    if (entries_[0].type != 5) return false;
    mini_fat_start_ = U32(h + 0x3C);

    // The root's children form a tree through their left and right links.
    std::vector<bool> visited(entry_count, false);
    std::vector<std::uint32_t> pending{entries_[0].child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == No_Entry || id >= entry_count || visited[id]) continue;
        visited[id] = true;
        top_.push_back(id);
        pending.push_back(entries_[id].left);
        pending.push_back(entries_[id].right);
    }
    return true;
}

const Compound_File::Entry* Compound_File::Find(QStringView name) const {
    for (std::uint32_t id : top_) {
        const Entry& e = entries_[id];
        if (e.type == 2 && QStringView(e.name).compare(name, Qt::CaseInsensitive) == 0) return &e;
    }
    return nullptr;
}

bool Compound_File::Has_Stream(QStringView name) const { return Find(name) != nullptr; }

bool Compound_File::Read_Stream(QStringView name, QByteArray& out) const {
    out.clear();
    const Entry* e = Find(name);
    if (!e || e->size > size_) return false;
    // A small stream lives in the mini stream; a few writers put it in big sectors all the same.
    if (e->size < Mini_Stream_Cutoff && Read_Mini_Chain(e->start, e->size, out)) return true;
    return Read_Chain(e->start, e->size, out) && std::uint64_t(out.size()) == e->size;
}
