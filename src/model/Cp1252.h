#pragma once
// Windows-1252, the encoding of Code_Table.dat, the texts of Data.dat and CSV files. Its one
// table, and decoding, are in the workbook library, whose old .xls files use it too.
#include "workbook/Windows_1252.h"

#include <QByteArray>
#include <QString>

// Encodes s; false (and out unchanged) when a character has no Windows-1252 byte.
bool Cp1252_Encode(const QString& s, QByteArray& out);
// Appends the encoding of s to out; false (and out unchanged) as above.
bool Cp1252_Encode_Append(QStringView s, QByteArray& out);

// Text of a file as editors save it: UTF-16 of either byte order when it starts with
// its byte-order mark; otherwise each line on its own is UTF-8 when it is valid UTF-8
// and Windows-1252 when not. Line ends are kept as they are.
QString Decode_Text_File(const QByteArray& bytes);
