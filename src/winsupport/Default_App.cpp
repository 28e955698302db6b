#include "winsupport/Default_App.h"

#include "model/File_Access.h"
#include "winsupport/Message_Service.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <shellapi.h>
#include <windows.h>
#endif

namespace {

std::unique_ptr<Default_App_Backend>& Backend() {
    static std::unique_ptr<Default_App_Backend> b = Create_Platform_Default_App_Backend();
    return b;
}

#ifndef Q_OS_WIN

// Desktop entries and mimeapps.list files, searched as the XDG rules order them.
QStringList Config_Dirs() {
    QStringList dirs;
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
    dirs << home;
    const QString sys = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    dirs << sys.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs;
}

QStringList Data_Dirs() {
    QStringList dirs;
    dirs << qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    const QString sys = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    dirs << sys.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs;
}

// Keys of one group of an .ini-like file; QSettings would mangle ';' lists.
QStringList Group_Values(const QString& file, const QString& group, const QString& key) {
    QFile f;
    if (!Open_Regular_File(f, file, QIODevice::Text)) return {};
    bool in = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            in = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        if (!in) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

QString Find_Desktop_File(const QString& id) {
    for (const QString& d : Data_Dirs()) {
        const QString path = d + QStringLiteral("/applications/") + id;
        if (QFileInfo(path).isFile()) return path;
        // Entries in subfolders have ids with '-' for '/'.
        const QString nested =
            d + QStringLiteral("/applications/") + QString(id).replace(QLatin1Char('-'), QLatin1Char('/'));
        if (QFileInfo(nested).isFile()) return nested;
    }
    return {};
}

QString Entry_Value(const QString& desktopFile, const QString& key) {
    const QStringList v = Group_Values(desktopFile, QStringLiteral("Desktop Entry"), key);
    return v.join(QLatin1Char(';'));
}

class Linux_Backend final : public Default_App_Backend {
public:
    Command Find_Executable(const QString& file) override {
        const QMimeDatabase db;
        const QMimeType mime = db.mimeTypeForFile(file);
        QStringList types;
        if (!mime.isDefault()) types << mime.name() << mime.parentMimeTypes();
        // A desktop without the shared MIME database still knows the documents we open.
        static const QHash<QString, QString> known{{QStringLiteral("pdf"), QStringLiteral("application/pdf")},
                                                   {QStringLiteral("csv"), QStringLiteral("text/csv")},
                                                   {QStringLiteral("txt"), QStringLiteral("text/plain")}};
        const QString bySuffix = known.value(QFileInfo(file).suffix().toLower());
        if (!bySuffix.isEmpty() && !types.contains(bySuffix)) types << bySuffix;

        QStringList mimeapps;
        for (const QString& d : Config_Dirs()) mimeapps << d + QStringLiteral("/mimeapps.list");
        for (const QString& d : Data_Dirs()) mimeapps << d + QStringLiteral("/applications/mimeapps.list");
        QStringList caches;
        for (const QString& d : Data_Dirs()) caches << d + QStringLiteral("/applications/mimeinfo.cache");

        for (const QString& type : types) {
            QStringList candidates;
            for (const QString& f : mimeapps)
                candidates << Group_Values(f, QStringLiteral("Default Applications"), type);
            for (const QString& f : caches) candidates << Group_Values(f, QStringLiteral("MIME Cache"), type);
            for (const QString& id : candidates) {
                const QString entry = Find_Desktop_File(id);
                if (entry.isEmpty() || Entry_Value(entry, QStringLiteral("Hidden")) == QLatin1String("true")) continue;
                const QStringList args = Desktop_Exec_Arguments(Entry_Value(entry, QStringLiteral("Exec")), file);
                if (args.isEmpty()) continue;
                const QString& program = args.first();
                const bool runnable = QFileInfo(program).isAbsolute()
                                          ? QFileInfo(program).isExecutable()
                                          : !QStandardPaths::findExecutable(program).isEmpty();
                if (!runnable) continue;
                return {program, args.mid(1)};
            }
        }
        return {};
    }

    bool Start(const Command& c) override { return QProcess::startDetached(c.program, c.arguments); }
};

#else

class Windows_Backend final : public Default_App_Backend {
public:
    Command Find_Executable(const QString& file) override {
        wchar_t result[MAX_PATH + 1] = {};
        const std::wstring f = QDir::toNativeSeparators(file).toStdWString();
        const auto r = reinterpret_cast<INT_PTR>(FindExecutableW(f.c_str(), nullptr, result));
        if (r <= 32) return {};
        return {QString::fromWCharArray(result), {QDir::toNativeSeparators(file)}};
    }
    bool Start(const Command& c) override {
        const std::wstring exe = c.program.toStdWString();
        const std::wstring param = (QLatin1Char('"') + c.arguments.value(0) + QLatin1Char('"')).toStdWString();
        const auto r = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", exe.c_str(), param.c_str(), nullptr, SW_SHOWNORMAL));
        return r > 32;
    }
};

#endif

}  // namespace

QStringList Desktop_Exec_Arguments(const QString& exec, const QString& file) {
    // Split on blanks outside double quotes; inside quotes \" \` \$ \\ are escapes.
    QStringList words;
    QString cur;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                cur += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                cur += c;
        } else if (c == QLatin1Char('"')) {
            quoted = any = true;
        } else if (c.isSpace()) {
            if (any) words << cur;
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (quoted) return {};
    if (any) words << cur;

    QStringList out;
    bool placed = false;
    for (const QString& w : words) {
        QString r;
        bool dropWord = false;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w[i] != QLatin1Char('%') || i + 1 >= w.size()) {
                r += w[i];
                continue;
            }
            const QChar code = w[++i];
            switch (code.toLatin1()) {
            case 'f':
            case 'F':
                r += file;
                placed = true;
                break;
            case 'u':
            case 'U':
                r += QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
                placed = true;
                break;
            case '%': r += QLatin1Char('%'); break;
            default:  // %i %c %k and the deprecated codes stand for nothing here
                if (w.size() == 2) dropWord = true;
                break;
            }
        }
        if (!dropWord && !(r.isEmpty() && w.startsWith(QLatin1Char('%')))) out << r;
    }
    if (out.isEmpty()) return {};
    if (!placed) out << file;
    return out;
}

std::unique_ptr<Default_App_Backend> Create_Platform_Default_App_Backend() {
#ifdef Q_OS_WIN
    return std::make_unique<Windows_Backend>();
#else
    return std::make_unique<Linux_Backend>();
#endif
}

std::unique_ptr<Default_App_Backend> Install_Default_App_Backend(std::unique_ptr<Default_App_Backend> backend) {
    if (!backend) backend = Create_Platform_Default_App_Backend();
    std::swap(backend, Backend());
    return backend;
}

bool Open_With_Default_App(const QString& FileName) {
    if (!QFileInfo(FileName).isFile()) {
        Message_Box(QCoreApplication::translate("Default_App", "Could not find file"), Msg_Buttons::OK,
                    Msg_Icon::Exclamation, QCoreApplication::translate("Default_App", "File Not Found"), nullptr,
                    QDir::toNativeSeparators(FileName));
        return false;
    }
    const Default_App_Backend::Command c = Backend()->Find_Executable(FileName);
    if (c.program.isEmpty()) {
        Message_Box(QCoreApplication::translate("Default_App", "Could not find associated application"),
                    Msg_Buttons::OK, Msg_Icon::Exclamation,
                    QCoreApplication::translate("Default_App", "Application Not Found"), nullptr,
                    QDir::toNativeSeparators(FileName));
        return false;
    }
    if (!Backend()->Start(c)) {
        Message_Box(QCoreApplication::translate("Default_App", "Can't open file"), Msg_Buttons::OK,
                    Msg_Icon::Exclamation, QCoreApplication::translate("Default_App", "Open Failed"), nullptr,
                    QDir::toNativeSeparators(FileName));
        return false;
    }
    return true;
}

bool Open_Web_Address(const QUrl& url) {
    if (QDesktopServices::openUrl(url)) return true;
    Message_Box(QCoreApplication::translate("Default_App", "Can't open file"), Msg_Buttons::OK, Msg_Icon::Exclamation,
                QCoreApplication::translate("Default_App", "Open Failed"), nullptr, url.toString());
    return false;
}
