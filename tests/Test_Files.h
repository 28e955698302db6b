#pragma once
// Writing fixture files into a temporary folder.
#include "Byte_Files.h"
#include "model/Cp1252.h"

// Text written as Windows-1252, the format of the program's data files.
inline void Write_Cp1252(const QString& path, const QString& text) {
    QByteArray bytes;
    if (!Cp1252_Encode(text, bytes)) throw std::runtime_error("fixture text not in Windows-1252");
    Write_Bytes(path, bytes);
}
