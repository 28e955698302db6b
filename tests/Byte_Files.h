#pragma once
// Writing and reading fixture files byte for byte.
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

inline QByteArray Read_Bytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// Data.dat with the first cell of column c given a tag no cell has. Its stamp still says where
// each column begins, so the damage is met only when something first reads that column.
inline void Damage_Cache_Column(const QString& cache, int c) {
    const QByteArray stamp = Read_Bytes(cache + QStringLiteral(".stamp"));
    const QList<QByteArray> at = stamp.mid(stamp.indexOf("columns ") + 8).trimmed().split(' ');
    QByteArray bytes = Read_Bytes(cache);
    const qsizetype pos = at.value(c).toLongLong();
    if (at.size() < 3 || pos <= 0 || pos + 2 > bytes.size()) throw std::runtime_error("no columns line in the stamp");
    bytes[pos] = 9;
    bytes[pos + 1] = 0;
    Write_Bytes(cache, bytes);
}
