#pragma once
// Shared by the fuzz targets: a scratch file per process (libFuzzer's -jobs/-fork run
// several at once) and a check that stops the run as a crash.
#include <unistd.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// The scratch file of this process under the temporary folder, removed when it ends.
inline const QString& Fuzz_Temp_File() {
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("sifa_fuzz_%1.tmp").arg(getpid()));
        static const QByteArray native = QFile::encodeName(p);
        std::atexit([] { std::remove(native.constData()); });
        return p;
    }();
    return path;
}

inline void Fuzz_Write_File(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size));
}

// Some Qt services want an application object; one for the whole run.
inline void Fuzz_Init_Qt() {
    static int argc = 1;
    static char arg0[] = "fuzz";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}
