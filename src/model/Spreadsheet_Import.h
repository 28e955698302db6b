#pragma once
// Importing the records from the workbook: every cell checked against its field.
#include "model/Load_Progress.h"
#include "workbook/Workbook_Reader.h"

#include <QString>
#include <QStringList>
#include <functional>

class Records_Table;
class Session;

// The most problem lines an import lists; the rest are counted on one last line.
constexpr qsizetype Max_Problem_Lines = 1000;

// Where the import gets the first sheet's cells: Read_Workbook unless told otherwise (the
// fuzz target reads every format in its own process; tests hand over cells of their own),
// in batches as Read_Workbook hands them over when `batches` is given.
using Sheet_Source =
    std::function<Workbook_Result(const QString& path, Sheet_Cells& out, const Sheet_Batches& batches)>;

// Reads the first sheet of FileName into the session's records, or into `into` (rows 2.. of
// the sheet become records 1..). Problems go to Errs, which then holds at most Max_Problem_Lines lines and
// the line saying how many more there were. *Cancel is read after every cell and every
// row; Progress may be null. Returns the number of sheet rows processed.
qint32 Load_Spreadsheet(Session& session, const QString& FileName, QStringList& Errs, const bool* Cancel,
                        Load_Progress* Progress, const Sheet_Source& source = {}, Records_Table* into = nullptr);

// "... and 491,520 more problems".
QString More_Problems_Line(qint64 more);

// Trims blanks, no-break spaces, CR and LF at both ends.
QString Trim_Cell_Text(const QString& s);
