#include "model/Cp1252.h"

#include <QStringDecoder>
#include <cstring>

namespace {

int Encode_One(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252_To_Unicode(static_cast<unsigned char>(b)) == c) return b;
    return -1;
}

bool Is_Valid_Utf8(const QByteArray& bytes, bool& hasNonAscii) {
    hasNonAscii = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        hasNonAscii = true;
        int len = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else
            return false;
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

}  // namespace

bool Cp1252_Encode_Append(QStringView s, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + s.size());
    char* w = out.data() + start;
    const char16_t* in = reinterpret_cast<const char16_t*>(s.constData());
    qsizetype i = 0;
    for (; i + 4 <= s.size(); i += 4) {  // plain ASCII four characters at a time
        quint64 x;
        std::memcpy(&x, in + i, 8);
        if (x & 0xFF80FF80FF80FF80ull) break;
        w[i] = static_cast<char>(in[i]);
        w[i + 1] = static_cast<char>(in[i + 1]);
        w[i + 2] = static_cast<char>(in[i + 2]);
        w[i + 3] = static_cast<char>(in[i + 3]);
    }
    for (; i < s.size(); ++i) {
        const int b = Encode_One(in[i]);
        if (b < 0) {
            out.truncate(start);
            return false;
        }
        w[i] = static_cast<char>(b);
    }
    return true;
}

bool Cp1252_Encode(const QString& s, QByteArray& out) {
    QByteArray r;
    if (!Cp1252_Encode_Append(s, r)) return false;
    out = std::move(r);
    return true;
}

QString Decode_Text_File(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) return QStringDecoder(QStringConverter::Utf16LE).decode(bytes);
    if (bytes.startsWith("\xFE\xFF")) return QStringDecoder(QStringConverter::Utf16BE).decode(bytes);
    const qsizetype skip = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    // Decided line by line, so that one stray byte garbles only its own line.
    QString out;
    out.reserve(bytes.size() - skip);
    const char* p = bytes.constData();
    for (qsizetype at = skip, n = bytes.size(); at < n;) {
        qsizetype end = at;
        bool nonAscii = false;
        while (end < n && p[end] != '\n' && p[end] != '\r') nonAscii |= static_cast<unsigned char>(p[end++]) >= 0x80;
        if (end < n) ++end;  // the line end goes with its line
        const QByteArray line = QByteArray::fromRawData(p + at, end - at);
        bool ignored = false;
        if (!nonAscii)
            out += QLatin1StringView(line);
        else if (Is_Valid_Utf8(line, ignored))
            out += QString::fromUtf8(line);
        else
            out += Cp1252_Decode(line);
        at = end;
    }
    return out;
}
