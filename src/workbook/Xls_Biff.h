#pragma once
// The record stream under the .xls reader: record ids, little-endian fields, a record
// read with the CONTINUE records after it, and the code page of 8-bit texts.
#include "workbook/Windows_1252.h"

#include <QStringDecoder>
#include <QtEndian>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace Biff {

enum : std::uint16_t {
    Rec_Bof2 = 0x0009,
    Rec_Bof3 = 0x0209,
    Rec_Bof4 = 0x0409,
    Rec_Bof = 0x0809,
    Rec_Eof = 0x000A,
    Rec_Continue = 0x003C,
    Rec_Filepass = 0x002F,
    Rec_Codepage = 0x0042,
    Rec_Datemode = 0x0022,
    Rec_Boundsheet = 0x0085,
    Rec_Sst = 0x00FC,
    Rec_Xf2 = 0x0043,
    Rec_Xf3 = 0x0243,
    Rec_Xf4 = 0x0443,
    Rec_Xf = 0x00E0,
    Rec_Format2 = 0x001E,
    Rec_Format = 0x041E,
    Rec_Integer2 = 0x0002,
    Rec_Number2 = 0x0003,
    Rec_Label2 = 0x0004,
    Rec_Boolerr2 = 0x0005,
    Rec_Formula2 = 0x0006,
    Rec_String2 = 0x0007,
    Rec_Number = 0x0203,
    Rec_Label = 0x0204,
    Rec_Boolerr = 0x0205,
    Rec_Formula = 0x0006,
    Rec_Formula3 = 0x0206,
    Rec_Formula4 = 0x0406,
    Rec_String = 0x0207,
    Rec_Rk = 0x027E,
    Rec_Mulrk = 0x00BD,
    Rec_Labelsst = 0x00FD,
    Rec_Rstring = 0x00D6,
};

enum : std::uint16_t { Bof_Globals = 0x0005, Bof_Worksheet = 0x0010, Bof_Workspace = 0x0100 };

inline std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline double F64(const std::uint8_t* p) {
    const std::uint64_t bits = qFromLittleEndian<quint64>(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The packed number of RK records: a 30-bit integer or the high 30 bits of a double,
// possibly to be divided by 100.
inline double Rk_Value(std::uint32_t rk) {
    double d;
    if (rk & 2) {
        d = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&d, &bits, sizeof d);
    }
    return (rk & 1) ? d / 100.0 : d;
}

struct Record {
    std::uint16_t id = 0;
    std::uint16_t size = 0;
    const std::uint8_t* data = nullptr;
};

// A record body and the CONTINUE records after it, read as one sequence. A Unicode string
// cut by a record boundary inside its characters starts again with its option byte, the
// characters on either side of the cut may differ in width.
class Pieces {
public:
    void Clear() {
        spans_.clear();
        index_ = 0;
        p_ = end_ = nullptr;
    }
    void Add(const std::uint8_t* p, std::size_t n) {
        spans_.push_back({p, n});
        if (spans_.size() == 1) {
            p_ = p;
            end_ = p + n;
        }
    }
    std::size_t Total() const {
        std::size_t n = 0;
        for (const Span& s : spans_) n += s.size;
        return n;
    }
    bool Byte(std::uint8_t& b) {
        if (!Fill()) return false;
        b = *p_++;
        return true;
    }
    bool Bytes(std::uint8_t* out, std::size_t n) {
        while (n) {
            if (!Fill()) return false;
            const std::size_t k = std::min<std::size_t>(n, static_cast<std::size_t>(end_ - p_));
            std::memcpy(out, p_, k);
            out += k;
            p_ += k;
            n -= k;
        }
        return true;
    }
    bool Word(std::uint16_t& w) {
        std::uint8_t b[2];
        if (!Bytes(b, 2)) return false;
        w = U16(b);
        return true;
    }
    bool Dword(std::uint32_t& d) {
        std::uint8_t b[4];
        if (!Bytes(b, 4)) return false;
        d = U32(b);
        return true;
    }
    bool Skip(std::uint64_t n) {
        while (n) {
            if (!Fill()) return false;
            const std::uint64_t k = std::min<std::uint64_t>(n, static_cast<std::uint64_t>(end_ - p_));
            p_ += k;
            n -= k;
        }
        return true;
    }
    // `count` characters of a Unicode string, one byte each (the low half of UTF-16) or two.
    bool Chars(std::uint32_t count, bool wide, QString& out) {
        if (count == 0) {
            out = QString();
            return true;
        }
        out = QString(static_cast<qsizetype>(count), Qt::Uninitialized);
        char16_t* d = reinterpret_cast<char16_t*>(out.data());
        std::uint32_t done = 0;
        while (done < count) {
            if (p_ == end_) {
                if (!Next()) {
                    out.truncate(done);
                    return false;
                }
                wide = (*p_++ & 1) != 0;
                continue;
            }
            const std::size_t available = static_cast<std::size_t>(end_ - p_);
            if (wide) {
                const std::size_t k = std::min<std::size_t>(count - done, available / 2);
                if (k == 0) {  // half a character before the cut: not a real file's doing
                    p_ = end_;
                    continue;
                }
                qFromLittleEndian<quint16>(p_, static_cast<qsizetype>(k), d + done);
                p_ += 2 * k;
                done += static_cast<std::uint32_t>(k);
            } else {
                const std::size_t k = std::min<std::size_t>(count - done, available);
                for (std::size_t i = 0; i < k; ++i) d[done + i] = p_[i];
                p_ += k;
                done += static_cast<std::uint32_t>(k);
            }
        }
        return true;
    }

private:
    struct Span {
        const std::uint8_t* data;
        std::size_t size;
    };
    bool Next() {
        while (index_ + 1 < spans_.size()) {
            ++index_;
            p_ = spans_[index_].data;
            end_ = p_ + spans_[index_].size;
            if (p_ != end_) return true;
        }
        return false;
    }
    bool Fill() { return p_ != end_ || Next(); }

    std::vector<Span> spans_;
    std::size_t index_ = 0;
    const std::uint8_t* p_ = nullptr;
    const std::uint8_t* end_ = nullptr;
};

// The 8-bit texts of Excel 95 and older are in the workbook's code page.
class Code_Page {
public:
    void Set(std::uint16_t page) {
        decoder_.reset();
        page_ = page;
        const char* name = nullptr;
        switch (page) {
        case 874: name = "windows-874"; break;
        case 932: name = "windows-932"; break;
        case 936: name = "windows-936"; break;
        case 949: name = "windows-949"; break;
        case 950: name = "windows-950"; break;
        case 1250: name = "windows-1250"; break;
        case 1251: name = "windows-1251"; break;
        case 1253: name = "windows-1253"; break;
        case 1254: name = "windows-1254"; break;
        case 1255: name = "windows-1255"; break;
        case 1256: name = "windows-1256"; break;
        case 1257: name = "windows-1257"; break;
        case 1258: name = "windows-1258"; break;
        case 10000:
        case 32768: name = "macintosh"; break;
        case 65001: name = "UTF-8"; break;
        default: break;
        }
        if (name) {
            decoder_.emplace(name, QStringConverter::Flag::Stateless);
            if (!decoder_->isValid()) decoder_.reset();
        }
    }
    QString Decode(const char* p, qsizetype n) {
        if (decoder_) return decoder_->decode(QByteArrayView(p, n));
        // 367 is ASCII, 1200 (Unicode) leaves only Latin-1 bytes; anything unknown is
        // taken as the Western code page, Excel's own default.
        if (page_ == 367 || page_ == 1200) return QString::fromLatin1(p, n);
        return Cp1252_Decode(p, n);
    }

private:
    std::uint16_t page_ = 1252;
    std::optional<QStringDecoder> decoder_;
};

}  // namespace Biff
