#pragma once
// The readers behind Read_Workbook, each on a file already in memory. The programs go
// through Read_Workbook; the fuzz targets and tests reach the readers here.
#include "workbook/Sheet_Cells.h"
#include "workbook/Workbook_Reader.h"

#include <QByteArrayView>
#include <cstdint>

enum class Workbook_Format {
    Unknown,
    Xls,  // compound file (Excel 95 and 97-2003), or a bare BIFF2-4 worksheet stream
    Xlsx,  // zip package whose relationships name a workbook part (.xlsx, .xlsm)
    Ods  // zip package whose mimetype is OpenDocument spreadsheet
};

// The format of a file from its first bytes and, for a zip package, its entry names.
Workbook_Format Sniff_Workbook_Format(QByteArrayView data);

// The .xls reader is ours; .xlsx and .ods go through liborcus's XML parser.
Workbook_Failure Read_Xls(QByteArrayView data, Sheet_Cells& out);
Workbook_Failure Read_Xlsx(QByteArrayView data, Sheet_Cells& out);
Workbook_Failure Read_Ods(QByteArrayView data, Sheet_Cells& out);

// Whether the zip package's relationships name a workbook part that is there, as the .xlsx
// reader finds it.
bool Is_Xlsx_Package(QByteArrayView data);

// The bytes the large parts of a package are read in at a time (4 MiB); returns the previous.
// For tests: small pieces cut a part at every row.
std::size_t Set_Package_Piece_Bytes(std::size_t bytes);
// The most one row or shared string of a part read in pieces may take (64 MiB) before the
// file is refused as too large; returns the previous. For tests and fuzzing, where unpacking
// 64 MiB of a hostile file costs seconds.
std::size_t Set_Package_Element_Bytes(std::size_t bytes);

// What the parts of a zip package claim to unpack to; 0 for a file that is not one.
std::uint64_t Package_Unpacked_Bytes(QByteArrayView data);

// Whichever of them the content asks for.
Workbook_Failure Read_First_Sheet_Data(QByteArrayView data, Sheet_Cells& out);

// The file at `path` read in this process.
Workbook_Result Read_First_Sheet(const QString& path, Sheet_Cells& out);
