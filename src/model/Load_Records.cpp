#include "model/Load_Records.h"

#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Session.h"
#include "model/Spreadsheet_Import.h"

#include <QCoreApplication>
#include <QFileInfo>

Load_Files Default_Load_Files() {
    // The table may have been saved in the newer formats; the classic name comes first.
    const Load_Files files{App_File(QStringLiteral("Sifa_table.xls")), App_File(QStringLiteral("Refs.dat")),
                           App_File(QStringLiteral("Data.dat"))};
    const QStringList names{QStringLiteral("Sifa_table.xls"), QStringLiteral("Sifa_table.xlsx"),
                            QStringLiteral("Sifa_table.ods")};
    for (const QString& name : names)
        if (QFileInfo::exists(App_File(name))) return {App_File(name), files.Code_Table, files.Cache};
    // With no workbook at all the cache alone is the data: the workbook it names.
    const auto cached = Cached_Source_Name(files.Cache);
    if (cached && names.contains(*cached)) return {App_File(*cached), files.Code_Table, files.Cache};
    return files;
}

Import_Result Import_Workbook(Session& session, const QString& path, const bool* Cancel, Load_Progress* Progress,
                              Records_Table* into) {
    Import_Result r;
    r.Rows = Load_Spreadsheet(session, path, r.Errs, Cancel, Progress, {}, into);
    r.Cancelled = Cancel && *Cancel;
    if (!r.Cancelled && r.Rows <= 0) r.Errs << QCoreApplication::translate("Import", "No Data loaded");
    return r;
}

qint32 Load_Records_Host::Load_Cache(Records_Table& into, const Load_Files& files) {
    return Load_Data_Cache(into, files.Source, files.Code_Table, files.Cache);
}

Load_Outcome Load_Records(Records_Table& into, const Load_Files& files, Load_Records_Host& host) {
    Remove_Stale_Cache_Temporaries(files.Cache);
    if (host.Load_Cache(into, files) > 0) {
        host.Cache_Loaded();
        return Load_Outcome::From_Cache;
    }
    if (host.Loading_Cancelled()) return Load_Outcome::Import_Failed;
    // The files the import is about to read: the cache is made only if they are still
    // those files when it is done.
    const Source_Stamps taken = Take_Source_Stamps(files.Source, files.Code_Table);
    host.Before_Import();
    const bool ok = host.Import(files.Source, into);
    host.After_Import();
    if (!ok) return Load_Outcome::Import_Failed;
    // A cache that cannot be written only costs the next start an import.
    Save_Data_Cache(into, files.Source, files.Code_Table, files.Cache, taken);
    return Load_Outcome::Imported;
}
