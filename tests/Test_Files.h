#pragma once
// Writing fixture files into a temporary folder.
#include "model/Cp1252.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <stdexcept>

inline void Write_Bytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write fixture");
    f.write(bytes);
}

// Text written as Windows-1252, the format of the original's files.
inline void Write_Cp1252(const QString& path, const QString& text) {
    QByteArray bytes;
    if (!Cp1252_Encode(text, bytes)) throw std::runtime_error("fixture text not in Windows-1252");
    Write_Bytes(path, bytes);
}

inline QByteArray Read_Bytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}
