#pragma once
// The workbook reader behind the import. It stands where a spreadsheet automation
// server used to, so it keeps that call sequence; the default reader parses .xls
// files with FreeXL.
#include "model/Value.h"
#include <QList>
#include <QString>
#include <memory>
#include <unordered_map>

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
// FreeXL in this process: what Windows uses, and the measure of FreeXL itself.
std::unique_ptr<Spreadsheet_Server> Create_FreeXL_Server();

// FreeXL in a child process (POSIX; nullptr elsewhere), so that a damaged workbook that
// crashes or hangs FreeXL is a failed open or read, not the end of the program. It reads
// forward only: the child streams rows 1 to Last_Row_Column_A() of the first sheet once,
// in order, and Open returns when it has sent them all and ended (or died, or hung). Read_Row may skip ahead (the rows in between are dropped); a row already passed,
// or one below Last_Row_Column_A() that is still inside the sheet, answers false. Rows below
// the sheet read as blank at any time. Once the child dies, hangs (no byte for the time
// out) or sends anything malformed, Read_Row answers false. The default reader on POSIX.
std::unique_ptr<Spreadsheet_Server> Create_Isolated_FreeXL_Server();

// Test hooks of the isolated reader: the child misbehaves on purpose just before it streams
// row `row` (0: before it reports the open). The child takes the setting in force at Open.
enum class Reader_Child_Fault { None, Die, Garbage, Hang };
void Set_Reader_Child_Fault(Reader_Child_Fault fault, int row);
// Milliseconds without a byte from the child before it counts as hung; returns the previous.
int Set_Reader_Child_Timeout(int ms);

// ---------------------------------------------------------------- FreeXL, shared parts
// The pieces both FreeXL readers are built of, so that they answer the same. Plain C++ over
// FreeXL (no Qt) apart from the converter: the isolated reader's child uses FreeXL_Sheet.

// One cell as FreeXL gives it. Kind is FreeXL's cell type code (FREEXL_CELL_*); Text, for
// the text and date kinds, is NUL-terminated and owned by the sheet.
struct FreeXL_Cell {
    int Kind = 0;
    double Number = 0;
    const char* Text = nullptr;
};

// The first sheet of a workbook opened with FreeXL.
class FreeXL_Sheet {
public:
    FreeXL_Sheet() = default;
    FreeXL_Sheet(const FreeXL_Sheet&) = delete;
    FreeXL_Sheet& operator=(const FreeXL_Sheet&) = delete;
    ~FreeXL_Sheet() { Close(); }
    bool Open(const char* nativePath);  // false when it is not a readable workbook
    void Close();
    bool Is_Open() const { return handle_ != nullptr; }
    unsigned Rows() const { return rows_; }  // counts, 0 when nothing is open
    unsigned Columns() const { return cols_; }
    unsigned Last_Row_Column_A() const;      // 1-based; 0 when column A is empty
    // 0-based cell inside Rows() x Columns(); false when FreeXL cannot read it.
    bool Cell(unsigned row0, unsigned col0, FreeXL_Cell& out) const;

private:
    const void* handle_ = nullptr;
    unsigned rows_ = 0;
    unsigned cols_ = 0;
};

// How a FreeXL cell becomes a Value: numbers as doubles, date kinds as dates, texts as
// QString. Shared-string texts of at most Shared_Max UTF-8 bytes (codes, names) are
// converted once per string-table entry and then shared.
class FreeXL_Cell_Converter {
public:
    static constexpr int Shared_Max = 24;
    static Value Number(double v) { return Value::Double(v); }
    // Any text or date kind; `text` need not be NUL-terminated.
    static Value Text(int kind, const char* text, qsizetype length);
    // A short shared-string text; `key` names its entry in the string table, and a key seen
    // before answers its first text.
    Value Shared_Text(quintptr key, const char* text, qsizetype length);
    // The in-process reader's cell: shared-string entries are keyed by their address.
    Value Convert(const FreeXL_Cell& c);
    void Clear() { shared_.clear(); }

private:
    std::unordered_map<quintptr, QString> shared_;
};
