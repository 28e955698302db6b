#pragma once
// The one Windows-1252 table of the program: the texts of old .xls files, and through
// model/Cp1252.h those of Code_Table.dat, Data.dat and CSV files.
#include <QByteArray>
#include <QString>

QString Cp1252_Decode(const QByteArray& bytes);
QString Cp1252_Decode(const char* data, qsizetype size);
// Code point of one byte. The five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, so every byte
// round-trips and nothing read is lost.
char16_t Cp1252_To_Unicode(unsigned char b);
