// The section reader against its contract, with buffers from 1 character up.
// Input: one byte choosing the buffer size, the section name up to the first line feed,
// then the file.
#include "Fuzz_Support.h"
#include "model/Profile_Reader.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const int kSizes[] = {1, 2, 3, 4, 5, 7, 8, 16, 33, 64, 1024};
    constexpr int kFixed = sizeof kSizes / sizeof kSizes[0];
    const int choice = data[0];
    const int bufSize = choice < kFixed ? kSizes[choice] : choice - kFixed + 1;
    const uint8_t* rest = data + 1;
    const size_t restSize = size - 1;
    size_t nl = 0;
    while (nl < restSize && rest[nl] != '\n') ++nl;
    const QString section = QString::fromUtf8(reinterpret_cast<const char*>(rest), static_cast<qsizetype>(nl));
    const QString& file = Fuzz_Temp_File();
    const size_t skip = nl < restSize ? nl + 1 : restSize;
    Fuzz_Write_File(file, rest + skip, restSize - skip);

    const QStringList lines = Read_Profile_Section_Lines(section, file);
    std::u16string full;  // what an unbounded buffer holds, before the final NUL
    for (const QString& line : lines) {
        FUZZ_CHECK(!line.isEmpty());
        FUZZ_CHECK(!line.startsWith(QLatin1Char(';')) && !line.startsWith(QLatin1Char('[')));
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')));
        for (const char blank : {' ', '\t'})
            FUZZ_CHECK(!line.startsWith(QLatin1Char(blank)) && !line.endsWith(QLatin1Char(blank)));
        full.append(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<size_t>(line.size()));
        full.push_back(0);
    }

    FUZZ_CHECK(Get_Private_Profile_Section(section, nullptr, 16, file) == 0);
    char16_t none = 0xAAAA;
    FUZZ_CHECK(Get_Private_Profile_Section(section, &none, 0, file) == 0 && none == 0xAAAA);

    // Exactly bufSize elements: any write past them is caught by the address sanitizer.
    std::vector<char16_t> buf(static_cast<size_t>(bufSize), char16_t(0xAAAA));
    const int got = Get_Private_Profile_Section(section, buf.data(), bufSize, file);
    if (bufSize < 2) {
        FUZZ_CHECK(got == 0 && buf[0] == 0);
        return 0;
    }
    const size_t total = full.size();
    if (total + 1 <= static_cast<size_t>(bufSize)) {  // fits with its final NUL
        FUZZ_CHECK(got == static_cast<int>(total));
        FUZZ_CHECK(std::u16string(buf.data(), total) == full);
        FUZZ_CHECK(buf[total] == 0);
        if (total == 0) FUZZ_CHECK(buf[1] == 0);
    } else {  // cut: the sign of a buffer too small, and still two NULs at its end
        FUZZ_CHECK(got == bufSize - 2);
        FUZZ_CHECK(buf[bufSize - 2] == 0 && buf[bufSize - 1] == 0);
        FUZZ_CHECK(full.compare(0, static_cast<size_t>(got), buf.data(), static_cast<size_t>(got)) == 0);
    }
    return 0;
}
