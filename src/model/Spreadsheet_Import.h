#pragma once
// Importing the records from the workbook: every cell checked against its field.
#include "model/Load_Progress.h"

#include <QString>
#include <QStringList>

// Reads the first sheet of FileName into Records_Table (rows 2.. of the sheet become
// records 1..). Problems go to Errs. *Cancel is read after every cell and every row;
// Progress may be null. Returns the number of sheet rows processed.
qint32 Load_Spreadsheet(const QString& FileName, QStringList& Errs, const bool* Cancel, Load_Progress* Progress);

// Trims blanks, no-break spaces, CR and LF at both ends.
QString Trim_Cell_Text(const QString& s);
