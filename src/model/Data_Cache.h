#pragma once
// Data.dat: the records as last imported, with the identity (name, size, time) of the
// workbook and of Code_Table.dat they came from, so that a later start can skip the import.
// Little-endian; texts Windows-1252; cells column by column (the record index varies
// fastest); nothing after the last cell.
//
// The layout keeps a file's time to the second, which misses a workbook saved again
// within that second at the same size. The stamp beside it, "Data.dat.stamp", holds what
// tells them apart, in five lines of text:
//   Sifa_Soft cache stamp 2
//   cache <bytes of Data.dat> <Size1> <Time1 as 16 hex digits of its bits> <Size2> <Time2 ...> <RowUpper> <ColUpper>
//   source <inode> <size> <modification time in nanoseconds since 1970>
//   refs <inode> <size> <modification time in nanoseconds since 1970>
//   columns <offset of column 0's first cell> ... <offset of the last column's> <bytes of Data.dat>
// The columns line lets the load read columns on two threads without first walking every
// cell to find them. A stamp titled "Sifa_Soft cache stamp 1" has no such line and is read
// too.
// Its "cache" line ties it to the one Data.dat it was written with. While a source is
// there, a cache without a stamp that is whole and its own, or whose source line is not
// the source now, is not trusted (the workbook is imported again, and both are written
// anew). Programs that know only Data.dat read and write it as before.
#include "model/File_Access.h"
#include "model/Records_Table.h"

#include <QByteArray>
#include <QString>
#include <optional>

// R when CacheFile is valid for the current sources and was read into Records, otherwise
// -1 and Records is untouched. A missing source counts as unchanged. When the stamp says
// where the columns begin, each column is read when first asked for, and its cells are
// checked then: a damaged one reads as empty (Records.Damaged()) and the stamp is removed,
// so that the next start imports the workbook again.
qint32 Load_Data_Cache(Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                       const QString& CacheFile);
// What the user is told once a column read that way was found damaged.
QString Damaged_Cache_Text();

enum class Cache_Save { Written, Not_Representable, Write_Failed, Sources_Changed };
// The file name of the workbook CacheFile was made from; nullopt when it cannot be read.
std::optional<QString> Cached_Source_Name(const QString& CacheFile);

// The two sources as the import found them when it began.
struct Source_Stamps {
    std::optional<File_Stamp> Source, Code_Table;
    bool operator==(const Source_Stamps&) const = default;
};
Source_Stamps Take_Source_Stamps(const QString& SourceFile, const QString& RefsFile);

// Writes Records and the identity of both sources as `taken` holds them, then the
// stamp beside it. Not_Representable when a text cannot be stored without loss (outside
// Windows-1252, or too long for its 2-byte length): then nothing is written and the
// workbook stays the source. Sources_Changed, and nothing written, when a source is no
// longer the file that was taken: the records may be the old file's.
Cache_Save Save_Data_Cache(const Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                           const QString& CacheFile, const Source_Stamps& taken);
// The sources as they are now.
Cache_Save Save_Data_Cache(const Records_Table& Records, const QString& SourceFile, const QString& RefsFile,
                           const QString& CacheFile);

// Removes the temporaries a killed cache write left beside CacheFile: regular files of
// its temporary names only, untouched for a minute (a write in progress is younger).
void Remove_Stale_Cache_Temporaries(const QString& CacheFile);

// The layout itself, apart from the files, for tests and tools.
struct Source_Identity {
    QString Name;  // file name without folder
    qint32 Size = 0;
    double Time = 0;  // last modification, local time to the second, as a day number
};
std::optional<Source_Identity> Identity_Of(const QString& file);
Source_Identity Identity_Of(const QString& name, const File_Stamp& stamp);
// nullopt when a text or name cannot be represented.
std::optional<QByteArray> Encode_Data_Cache(const Source_Identity& source, const Source_Identity& refs,
                                            const Records_Table& table);
// Fields 1-10 of the layout; nullopt when they cannot be read.
struct Cache_Header {
    Source_Identity Source, Code_Table;
    qint32 RowUpper = 0, ColUpper = 0;
};
std::optional<Cache_Header> Decode_Cache_Header(const QByteArray& bytes, qsizetype& pos);
// The cells after the header, into a table of out's description; false on a short file, a bad tag or bytes left over.
bool Decode_Cache_Cells(const QByteArray& bytes, qsizetype pos, const Cache_Header& h, Records_Table& out);
