#include "model/App_Paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& Override() {
    static QString folder;
    return folder;
}
}  // namespace

QString App_Path() {
    if (!Override().isEmpty()) return Override();
    return QCoreApplication::applicationDirPath();
}

void Set_App_Path(const QString& folder) { Override() = folder; }

QString App_File(const QString& name) { return QDir(App_Path()).filePath(name); }
