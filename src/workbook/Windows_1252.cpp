#include "workbook/Windows_1252.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t Cp1252_To_Unicode(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b); }

QString Cp1252_Decode(const char* data, qsizetype size) {
    // Latin-1 agrees with Windows-1252 outside 0x80-0x9F, and Qt converts Latin-1 fast.
    QString s = QString::fromLatin1(data, size);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    char16_t* out = nullptr;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {  // skip plain ASCII eight bytes at a time
        quint64 x;
        std::memcpy(&x, p + i, 8);
        if (x & 0x8080808080808080ull) break;
    }
    for (; i < size; ++i) {
        if (p[i] >= 0x80 && p[i] < 0xA0) {
            if (!out) out = reinterpret_cast<char16_t*>(s.data());
            out[i] = kHigh[p[i] - 0x80];
        }
    }
    return s;
}

QString Cp1252_Decode(const QByteArray& bytes) { return Cp1252_Decode(bytes.constData(), bytes.size()); }
