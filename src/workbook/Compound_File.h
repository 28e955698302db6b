#pragma once
// A read-only view of a compound file (the container of .xls and of encrypted Office files)
// held in memory. Every sector number, chain and length read from the file is checked
// against the file itself, so a damaged or hostile file gives a refusal, never a read out
// of bounds, an endless loop or an allocation larger than the file.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

class Compound_File {
public:
    // Whether the data starts with the compound file signature.
    static bool Has_Signature(QByteArrayView data);

    // false when the header, the allocation table or the directory cannot be read.
    // The data must outlive this object.
    bool Open(QByteArrayView data);

    // Whether the top storage holds a stream of that name, letter case ignored.
    bool Has_Stream(QStringView name) const;
    // The stream's bytes; false when it is absent or its sector chain is broken. A stream
    // stored in one piece is not copied: `out` then refers to the data given to Open.
    bool Read_Stream(QStringView name, QByteArray& out) const;

private:
    struct Entry {
        QString name;
        std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    // The bytes of a chain in the big-sector table, at most `limit` of them; in place when
    // the chain is one run of sectors.
    bool Read_Chain(std::uint32_t start, std::uint64_t limit, QByteArray& out) const;
    bool Read_Mini_Chain(std::uint32_t start, std::uint64_t size, QByteArray& out) const;
    const Entry* Find(QStringView name) const;

    const std::uint8_t* data_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint32_t sector_shift_ = 9;
    std::uint32_t sector_count_ = 0;  // sectors that start inside the file
    std::uint32_t mini_fat_start_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> mini_fat_;
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> top_;  // entries directly under the root storage
};
