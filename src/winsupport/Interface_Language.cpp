#include "winsupport/Interface_Language.h"

#include "winsupport/Window_Utils.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace {
// The translators belong to the application object, found again by their names.
const char* const Own_Texts = "Sifa_French_Texts";
const char* const Qt_Texts = "Qt_French_Texts";
const QString Language_Key = QStringLiteral("Interface/Language");

QTranslator* Installed(const char* name) { return qApp->findChild<QTranslator*>(QLatin1String(name)); }

void Install(const char* name, const QString& file, const QString& folder) {
    auto* t = new QTranslator(qApp);
    t->setObjectName(QLatin1String(name));
    // Without Qt's French files, Qt's dialogs simply stay English.
    if (t->load(file, folder))
        QCoreApplication::installTranslator(t);
    else
        delete t;
}
}  // namespace

QString Interface_Language() { return qApp && Installed(Own_Texts) ? QStringLiteral("FR") : QStringLiteral("EN"); }

void Set_Interface_Language(const QString& lang) {
    if (!qApp || lang == Interface_Language()) return;
    if (lang == QLatin1String("FR")) {
        Install(Qt_Texts, QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        Install(Own_Texts, QStringLiteral("sifa_fr"), QStringLiteral(":/i18n"));
    } else {
        for (const char* name : {Own_Texts, Qt_Texts})
            while (QTranslator* t = Installed(name)) {
                QCoreApplication::removeTranslator(t);
                delete t;
            }
    }
    // The windows change now, not at the next turn of the event loop: whoever switched
    // reads the new texts straight after.
    QCoreApplication::sendPostedEvents(qApp, QEvent::LanguageChange);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

QString Start_Interface_Language() {
    const QString kept = QSettings(Settings_Path(), QSettings::IniFormat).value(Language_Key).toString();
    if (kept == QLatin1String("EN") || kept == QLatin1String("FR")) return kept;
    return QLocale::system().language() == QLocale::French ? QStringLiteral("FR") : QStringLiteral("EN");
}

void Remember_Interface_Language(const QString& lang) {
    QSettings(Settings_Path(), QSettings::IniFormat).setValue(Language_Key, lang);
}
