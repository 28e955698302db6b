#include "model/Cp1252.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace {
// The platform's own converter for one byte; nullopt when it refuses the byte.
std::optional<char32_t> Iconv_Decode(unsigned char b) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* ip = in;
    char* op = out;
    size_t il = 1, ol = sizeof out;
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || ol != 4) return std::nullopt;
    return static_cast<char32_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8 |
                                 static_cast<unsigned char>(out[2]) << 16);
}
}  // namespace

TEST(Cp1252, Every_Byte_Decodes_As_Iconv_Does_And_Round_Trips) {
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        const char16_t ours = Cp1252_To_Unicode(static_cast<unsigned char>(b));
        const auto theirs = Iconv_Decode(static_cast<unsigned char>(b));
        if (theirs) {
            EXPECT_EQ(static_cast<char32_t>(ours), *theirs) << "byte " << b;
        } else {
            // Bytes iconv leaves undefined keep their own number as a C1 control.
            EXPECT_EQ(ours, b) << "byte " << b;
            ++undefined;
        }
        QByteArray back;
        ASSERT_TRUE(Cp1252_Encode(QString(QChar(ours)), back));
        EXPECT_EQ(back, QByteArray(1, static_cast<char>(b)));
    }
    EXPECT_EQ(undefined, 5);
}

// Plain UTF-8, Windows-1252 and UTF-16LE files are read through the profile reader in
// Profile_Reader_test.cpp; here, the harder cases.
TEST(Cp1252, Text_Files_In_The_Encodings_Editors_Save) {
    const std::pair<QByteArray, QString> cases[] = {
        // Octal escapes: a hex one would swallow the letter after it.
        {"\357\273\277Ann\303\251e", QStringLiteral("Année")},
        // A lone lead byte or an overlong form is not UTF-8.
        {"\303", QStringLiteral("Ã")},
        {"\300\257", QString(QChar(0xC0)) + QChar(0xAF)},
        // One stray byte garbles no other line, whatever the line ends.
        {"A=\303\251t\303\251\rB=\351t\351\r\nC=\303\251\n", QStringLiteral("A=été\rB=été\r\nC=é\n")},
        {QByteArray("\376\377\0A\0=\0\351\0\r", 10), QStringLiteral("A=é\r")},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(Decode_Text_File(bytes), text) << bytes.toHex().constData();
}
