#include "model/Load_Records.h"

#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Spreadsheet_Import.h"

#include <QFileInfo>

Load_Files Default_Load_Files()
{
    // The table may have been saved in the newer formats; the classic name comes first.
    QString source = App_File(QStringLiteral("Sifa_table.xls"));
    for (const char* name : {"Sifa_table.xls", "Sifa_table.xlsx", "Sifa_table.ods"}) {
        const QString file = App_File(QString::fromLatin1(name));
        if (QFileInfo::exists(file)) {
            source = file;
            break;
        }
    }
    return {source, App_File(QStringLiteral("Refs.dat")), App_File(QStringLiteral("Data.dat"))};
}

Import_Result Import_Workbook(const QString& path, const bool* Cancel, Load_Progress* Progress)
{
    Import_Result r;
    r.Rows = Load_Spreadsheet(path, r.Errs, Cancel, Progress);
    r.Cancelled = Cancel && *Cancel;
    if (!r.Cancelled && r.Rows <= 0) r.Errs << QStringLiteral("No Data loaded");
    return r;
}

Load_Outcome Load_Records(const Load_Files& files, Load_Records_Host& host)
{
    if (Load_Data_Cache(files.Source, files.Refs, files.Cache) > 0) {
        host.Cache_Loaded();
        return Load_Outcome::From_Cache;
    }
    host.Before_Import();
    const bool ok = host.Import(files.Source);
    host.After_Import();
    if (!ok) return Load_Outcome::Import_Failed;
    // A cache that cannot be written only costs the next start an import.
    Save_Data_Cache(files.Source, files.Refs, files.Cache);
    return Load_Outcome::Imported;
}
