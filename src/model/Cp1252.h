#pragma once
// The one Windows-1252 table of the program: Refs.dat, the texts of Data.dat and CSV files.
#include <QByteArray>
#include <QString>

QString Cp1252_Decode(const QByteArray& bytes);
QString Cp1252_Decode(const char* data, qsizetype size);
// Encodes s; false (and out unchanged) when a character has no Windows-1252 byte.
bool Cp1252_Encode(const QString& s, QByteArray& out);
bool Cp1252_Can_Encode(const QString& s);
// Appends the encoding of s to out; false (and out unchanged) as above.
bool Cp1252_Encode_Append(QStringView s, QByteArray& out);
// Code point of one byte. The five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, so every byte
// round-trips and nothing read is lost.
char16_t Cp1252_To_Unicode(unsigned char b);

// Text of a file as editors save it: UTF-16 of either byte order when it starts with
// its byte-order mark; otherwise each line on its own is UTF-8 when it is valid UTF-8
// and Windows-1252 when not. Line ends are kept as they are.
QString Decode_Text_File(const QByteArray& bytes);
