#pragma once
// The loading sequence: the cache when it is still valid, otherwise the workbook,
// whose clean import is cached for the next start.
#include "model/Load_Progress.h"

#include <QString>
#include <QStringList>

class Records_Table;
class Session;

struct Load_Files {
    QString Source;  // the workbook
    QString Code_Table;  // the code tables
    QString Cache;  // Data.dat
};
// The three files of the program's folder.
Load_Files Default_Load_Files();

// The outcome of one workbook import.
struct Import_Result {
    qint32 Rows = 0;
    QStringList Errs;
    bool Cancelled = false;
    bool Success() const { return !Cancelled && Rows > 0 && Errs.isEmpty(); }
};
// Load_Spreadsheet plus the "No Data loaded" rule; into the session's records unless `into`
// is given.
Import_Result Import_Workbook(Session& session, const QString& path, const bool* Cancel, Load_Progress* Progress,
                              Records_Table* into = nullptr);

// Who runs the sequence: the welcome window or the command-line tool.
class Load_Records_Host {
public:
    virtual ~Load_Records_Host() = default;
    virtual void Cache_Loaded() {}
    // Reads the cache into `into` as Load_Data_Cache does (R, or -1 when it is not used).
    // A window runs it on another thread so as to stay painted meanwhile.
    virtual qint32 Load_Cache(Records_Table& into, const Load_Files& files);
    // The user stopped the loading: nothing more is read.
    virtual bool Loading_Cancelled() const { return false; }
    // Imports the workbook into `into` and shows its problems; true when it may be cached.
    virtual bool Import(const QString& source, Records_Table& into) = 0;
    virtual void Before_Import() {}
    virtual void After_Import() {}
};

enum class Load_Outcome { From_Cache, Imported, Import_Failed };
// The records go to `into`: the session's at start, a table of their own on a reload, so that
// the records in use stay whole until the new ones are all there.
Load_Outcome Load_Records(Records_Table& into, const Load_Files& files, Load_Records_Host& host);
