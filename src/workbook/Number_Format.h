#pragma once
// Whether a cell's number format shows a date or a time, as the spreadsheet programs
// decide it: a number in such a cell is handed over as a date.
#include <QStringView>

// A format code such as "dd/mm/yyyy", "[$-409]mmm d, yyyy;@", "h:mm AM/PM" or "[h]:mm:ss":
// true when, outside quoted text, escaped characters and bracketed parts other than elapsed
// time ([h], [mm], [ss]), it holds a date or time letter (d, m, y, h, s, e, g, b).
// "General", "0.00", "#,##0 \"days\"" and "0.00E+00" are not dates.
bool Is_Date_Format_Code(QStringView code);

// The built-in formats every file format numbers the same way (14-22 and 45-47 are dates and
// times; 27-36 and 50-58 are the East Asian date formats).
bool Is_Builtin_Date_Format(int id);
