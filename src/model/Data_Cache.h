#pragma once
// Data.dat: the records as last imported, with the identity (name, size, time) of the
// workbook and of Refs.dat they came from, so that a later start can skip the import.
// Little-endian; texts Windows-1252; cells column by column (the record index varies
// fastest); nothing after the last cell.
#include "model/Records_Table.h"

#include <QByteArray>
#include <QString>
#include <optional>

// R when CacheFile is valid for the current sources and was read into Records_Table,
// otherwise -1 and Records_Table is untouched. A missing source counts as unchanged.
qint32 Load_Data_Cache(const QString& SourceFile, const QString& RefsFile, const QString& CacheFile);

enum class Cache_Save { Written, Not_Representable, Write_Failed };
// The file name of the workbook CacheFile was made from; nullopt when it cannot be read.
std::optional<QString> Cached_Source_Name(const QString& CacheFile);

// Writes Records_Table and the identity of both sources. Not_Representable when a
// text cannot be stored without loss (outside Windows-1252, or too long for its
// 2-byte length): then nothing is written and the workbook stays the source.
Cache_Save Save_Data_Cache(const QString& SourceFile, const QString& RefsFile, const QString& CacheFile);

// The layout itself, apart from the files, for tests and tools.
struct Source_Identity {
    QString Name;  // file name without folder
    qint32 Size = 0;
    double Time = 0;  // last modification, local time to the second, as a day number
};
std::optional<Source_Identity> Identity_Of(const QString& file);
// nullopt when a text or name cannot be represented.
std::optional<QByteArray> Encode_Data_Cache(const Source_Identity& source, const Source_Identity& refs,
                                            const Records_Table_T& table);
// Fields 1-10 of the layout; nullopt when they cannot be read.
struct Cache_Header {
    Source_Identity Source, Refs;
    qint32 RowUpper = 0, ColUpper = 0;
};
std::optional<Cache_Header> Decode_Cache_Header(const QByteArray& bytes, qsizetype& pos);
// The cells after the header; false on a short file, a bad tag or bytes left over.
bool Decode_Cache_Cells(const QByteArray& bytes, qsizetype pos, const Cache_Header& h, Records_Table_T& out);
