#pragma once
// Reading the first sheet of a workbook file into Sheet_Cells, the format told by the
// file's content, not its name. Each reader answers false with `why`, one sentence in plain
// words for the person who chose the file ("The workbook is protected by a password.").
#include "model/Sheet_Cells.h"

#include <QByteArrayView>
#include <QString>

enum class Workbook_Format {
    Unknown,
    Xls,  // compound file (Excel 95 and 97-2003), or a bare BIFF2-4 worksheet stream
    Xlsx,  // zip package holding xl/workbook.xml (.xlsx, .xlsm)
    Ods  // zip package whose mimetype is OpenDocument spreadsheet
};

// The format of a file from its first bytes and, for a zip package, its entry names.
Workbook_Format Sniff_Workbook_Format(QByteArrayView data);

// Sentences all the readers give alike.
namespace Reader_Failure {
inline constexpr const char* Text_Too_Long = "The file is damaged: a cell holds more than 32,767 characters.";
inline constexpr const char* Beyond_Sheet =
    "The file is damaged: it has cells past the last row or column a sheet can have.";
inline constexpr const char* No_Memory = "There is not enough memory to read the file.";
}  // namespace Reader_Failure

// The first worksheet (tab order) of the file at `path`, in whichever format it is.
bool Read_First_Sheet(const QString& path, Sheet_Cells& out, QString& why);

// The readers behind it. The .xls reader is ours; .xlsx and .ods go through liborcus.
bool Read_Xls(QByteArrayView data, Sheet_Cells& out, QString& why);
bool Read_Xlsx(QByteArrayView data, Sheet_Cells& out, QString& why);
bool Read_Ods(QByteArrayView data, Sheet_Cells& out, QString& why);

// The same on a file already in memory.
bool Read_First_Sheet_Data(QByteArrayView data, Sheet_Cells& out, QString& why);
