#include "model/Code_Tables.h"

#include "model/App_Paths.h"
#include "model/File_Access.h"
#include "model/Record_Description.h"

#include <QDir>

bool Check_Code_Table_Versions(const QString& Tables, const QString& Versions, const QString& Master, QStringList& Errs,
                               const QString& refsFile) {
    if (Master.isEmpty()) return true;
    const QStringList tables = Tables.split(QLatin1Char('\n'));
    const QStringList versions = Versions.split(QLatin1Char('\n'));
    for (const QString& t : tables) {
        Field_Def master;
        master.Load_Codes_From_Section(refsFile, t, 0, false, 0, QString(), nullptr, false);
        for (const QString& v : versions) {
            if (v == Master) continue;
            Field_Def version;
            version.Load_Codes_From_Section(refsFile, t + QStringLiteral(" (") + v + QLatin1Char(')'), 0, false, 0,
                                            QString(), nullptr, false);
            const auto missing = [&](const QString& code) {
                Errs << QStringLiteral("Table %1: key \"%2\" is missing in %3 version").arg(t, code, v);
            };
            const auto extra = [&](const QString& code) {
                Errs << QStringLiteral("Table %1: key \"%2\" exist in %3 version but not in master table")
                            .arg(t, code, v);
            };
            if (version.Codes && master.Codes) {
                for (const Code_Entry& m : *master.Codes) {
                    if (!version.Codes->Remove(m.Code())) missing(m.Code());
                }
                for (const Code_Entry& left : *version.Codes) extra(left.Code());
            } else if (version.Codes) {
                for (const Code_Entry& e : *version.Codes) extra(e.Code());
            } else if (master.Codes) {
                for (const Code_Entry& m : *master.Codes) missing(m.Code());
            }
        }
    }
    return Errs.isEmpty();
}

bool Check_Code_Tables_At_Start_Up(QStringList& Errs) {
    const QString refsFile = App_File(QStringLiteral("Refs.dat"));
    const QString unreadable = Unreadable_Reason(refsFile);
    if (!unreadable.isEmpty())
        Errs << QStringLiteral("The code tables could not be read from \"%1\": %2")
                    .arg(QDir::toNativeSeparators(refsFile), unreadable);
    else
        Check_Code_Table_Versions(QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest"), QStringLiteral("EN\nFR"),
                                  QStringLiteral("EN"), Errs, refsFile);
    if (Errs.isEmpty()) return true;
    Errs << QStringLiteral("Can't launch application... Exiting.");
    return false;
}
