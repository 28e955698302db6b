#pragma once
// Reads one section of an INI file with the contract of the Windows profile reader, so
// code written for that reader (buffer doubling included) works unchanged:
//  - buffer receives the section's lines, each ended by NUL, then one more NUL;
//  - the answer is the number of characters copied, not counting the final NUL;
//  - when the buffer is too small the lines are cut, the buffer still ends with two
//    NULs and the answer is size - 2;
//  - section names are compared without regard to case; the first section of that
//    name counts; blanks and tabs around keys and values are dropped ("a = b" gives
//    "a=b"); blank lines and comment lines (';') are left out; 0 when the file or the
//    section is missing or empty.
// The file is decoded as Decode_Text_File does (Windows-1252 unless it is UTF-8).
#include <QString>
#include <QStringList>

int Get_Private_Profile_Section(const QString& section, char16_t* buffer, int size, const QString& fileName);

// The lines of a section as the reader would give them (for callers that need no buffer).
QStringList Read_Profile_Section_Lines(const QString& section, const QString& fileName);
