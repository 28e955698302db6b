#include "workbook/Regular_File.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString Plain_System_Error(int error) {
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("the disk is full");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    case EROFS: return QStringLiteral("the disk is read-only");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("the folder does not exist");
    case EISDIR: return QStringLiteral("it is a folder");
    case EFBIG: return QStringLiteral("the file is too large");
    case EIO: return QStringLiteral("the disk could not be written or read");
    case EPIPE: return QStringLiteral("the output was closed before everything was written");
    case ENAMETOOLONG: return QStringLiteral("the name is too long");
    default: break;
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

#if defined(Q_OS_WIN)

bool Open_Regular_File(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    if (!QFileInfo(path).isFile()) return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly | extra);
}

#else

bool Open_Regular_File(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    // Opened without waiting, then looked at: a check before opening could be raced.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file.open(fd, QIODevice::ReadOnly | extra, QFileDevice::AutoCloseHandle)) return true;
    ::close(fd);
    return false;
}

#endif
