#pragma once
// Reading the first sheet of a workbook file into Sheet_Cells, the format told by the
// file's content, not its name: the one door of the workbook library.
#include "workbook/Sheet_Cells.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>

// Why a workbook was not read; Workbook_Failure_Text words each for the person who chose
// the file.
enum class Workbook_Failure : std::uint8_t {
    None,
    Not_Found,
    Not_A_File,
    Cannot_Open,  // with the system's error number
    Cannot_Read,  // with the system's error number
    Empty_File,
    Not_A_Workbook,
    Binary_Workbook,  // .xlsb
    Not_A_Spreadsheet,  // an OpenDocument file of another kind
    Not_An_Excel_File,  // a compound file without a workbook stream
    Encrypted_Package,
    Password,
    Old_Workbook,  // several sheets of Excel 2.x to 4.0
    Sheet_Damaged,  // .xls
    First_Sheet_Damaged,
    Cannot_Unpack,
    Too_Large,
    Too_Many_Cells_Xls,
    Too_Many_Cells,
    Text_Too_Long,
    Beyond_Sheet,
    No_Memory,
    No_Worksheet,
    Reader_Not_Started,
    Reader_Stopped,
    Reader_Hung,
};

// One sentence in plain words ("The workbook is protected by a password."); empty for None.
QString Workbook_Failure_Text(Workbook_Failure failure, int system_error = 0);

// A read's outcome: the failure, and for a file the system would not open or read, why not.
struct Workbook_Result {
    Workbook_Failure Failure = Workbook_Failure::None;
    int System_Error = 0;
    bool Ok() const { return Failure == Workbook_Failure::None; }
    QString Why() const { return Workbook_Failure_Text(Failure, System_Error); }
};

// Where the readers run. Our own .xls reader is fuzzed and bounded, so it runs in the
// program; liborcus, under the .xlsx and .ods readers, is not ours and runs in a child
// process where there is fork() (Isolated_Sheet_Reader.h).
enum class Reader_Place {
    Usual,  // as just said
    In_Process,  // every format here: what the benchmarks and fuzz targets measure
    Child,  // every format in a child (POSIX; elsewhere as Usual)
};

// About the memory an import of the workbook at `path` fills, for the caller to make ready
// beforehand in large pages: three times the file for an .xls, twice what the parts of a
// package unpack to; 0 when the file cannot be opened.
std::uint64_t Workbook_Import_Bytes(const QString& path);

// Cells handed over while a sheet is still read: called with each batch as it comes (about
// 65,536 cells, in the order the file holds them, not sorted), which is then let go; false
// stops the reading (the read then fails).
using Sheet_Batches = std::function<bool(const Sheet_Cells& batch)>;

// The first worksheet (tab order) of the file at `path`, whatever its format; `out` holds
// its cells, in row then column order, or nothing when the read failed. With `batches`, a
// sheet read in a child process comes in batches and `out` ends with the last of them, in
// the order they came; a sheet read in the program still comes whole in `out`.
Workbook_Result Read_Workbook(const QString& path, Sheet_Cells& out, Reader_Place place = Reader_Place::Usual,
                              const Sheet_Batches& batches = {});
