#pragma once
// The workbook reader behind the import. It stands where a spreadsheet automation
// server used to, so it keeps that call sequence; the default reader parses .xls
// files with FreeXL.
#include "model/Value.h"
#include <QList>
#include <QString>
#include <memory>

// Only what the import asks of a spreadsheet reader.
class Spreadsheet_Server {
public:
    virtual ~Spreadsheet_Server() = default;
    // Opens the workbook read-only (links never updated); false when it is not a readable workbook.
    virtual bool Open(const QString& path) = 0;
    // 1-based row number of the last non-empty cell of column A on the first sheet; 0 when the column is empty or nothing is open.
    virtual int Last_Row_Column_A() = 0;
    // Cell values of row `row` (1-based), columns firstCol..lastCol (1-based) of the first sheet.
    // Blank/missing cells are empty Values. false on a read failure.
    virtual bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) = 0;
    virtual void Set_Screen_Updating(bool on) = 0;   // nothing to do for a file reader; kept for the import's sequence
    virtual void Close() = 0;                        // close without saving
    virtual void Quit() = 0;
};

// The reader in use; nullptr when it cannot be started. Tests may install a factory.
using Spreadsheet_Server_Factory = std::unique_ptr<Spreadsheet_Server> (*)();
std::unique_ptr<Spreadsheet_Server> Create_Spreadsheet_Server();
Spreadsheet_Server_Factory Set_Spreadsheet_Server_Factory(Spreadsheet_Server_Factory f); // returns previous; nullptr restores FreeXL
std::unique_ptr<Spreadsheet_Server> Create_FreeXL_Server();
