#pragma once
// The workbook reader behind the import. It stands where a spreadsheet automation
// server used to, so it keeps that call sequence; Open reads the whole first sheet
// (Workbook_Reader.h), and the calls after it answer from the cells read.
#include "model/Sheet_Cells.h"
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
    // Why the last Open failed, one sentence in plain words; empty when it did not.
    virtual QString Open_Failure() const { return {}; }
    // 1-based row number of the last non-empty cell of column A on the first sheet; 0 when the column is empty or nothing is open.
    virtual int Last_Row_Column_A() = 0;
    // Cell values of row `row` (1-based), columns firstCol..lastCol (1-based) of the first sheet.
    // Blank/missing cells are empty Values. false on a read failure.
    virtual bool Read_Row(int row, int firstCol, int lastCol, QList<Value>& out) = 0;
    // Every non-empty cell of the open sheet, in row order; nullptr when nothing is open.
    virtual const Sheet_Cells* Cells() const { return nullptr; }
    virtual void Set_Screen_Updating(bool on) = 0;  // nothing to do for a file reader; kept for the import's sequence
    virtual void Close() = 0;  // close without saving
    virtual void Quit() = 0;
};

// The reader in use; nullptr when it cannot be started. Tests may install a factory.
using Spreadsheet_Server_Factory = std::unique_ptr<Spreadsheet_Server> (*)();
std::unique_ptr<Spreadsheet_Server> Create_Spreadsheet_Server();
Spreadsheet_Server_Factory Set_Spreadsheet_Server_Factory(
    Spreadsheet_Server_Factory f);  // returns previous; nullptr restores the default

// The default reader. Our own .xls reader runs in this process; liborcus, which reads
// .xlsx and .ods, runs in a child process where there is fork() (Isolated_Sheet_Reader.h).
std::unique_ptr<Spreadsheet_Server> Create_Workbook_Server();
// Every format read in this process: what Windows uses, and what the benchmarks measure.
std::unique_ptr<Spreadsheet_Server> Create_In_Process_Workbook_Server();
// Every format read in a child process (POSIX); nullptr elsewhere.
std::unique_ptr<Spreadsheet_Server> Create_Isolated_Workbook_Server();
