#include "model/File_Access.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
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

bool Is_Regular_File(const QString& path) { return QFileInfo(path).isFile(); }

#if defined(Q_OS_WIN)

bool Open_Regular_File(QFile& file, const QString& path, QIODevice::OpenMode extra) {
    if (!Is_Regular_File(path)) return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly | extra);
}

std::optional<File_Stamp> Stamp_Of(const QFile& opened) {
    const QFileInfo info(opened.fileName());
    if (!info.exists()) return std::nullopt;
    File_Stamp s;
    s.Size = info.size();
    s.Modified_Ns = info.lastModified().toMSecsSinceEpoch() * 1000000;
    s.Changed_Ns = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return s;
}

Output_File::~Output_File() { Cancel(); }

bool Output_File::Fail(int) { return false; }

bool Output_File::Open(const QString& path, Link_Rule rule) {
    failure_.clear();
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || (rule == Link_Rule::Refuse && info.isSymLink()))) {
        failure_ = QStringLiteral("it is not a regular file");
        return false;
    }
    file_ = std::make_unique<QSaveFile>(path);
    if (file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return true;
    failure_ = file_->error() == QFileDevice::PermissionsError ? Plain_System_Error(EACCES) : file_->errorString();
    file_.reset();
    return false;
}

bool Output_File::Write(const char* data, qsizetype size) {
    if (!file_ || !failure_.isEmpty()) return false;
    if (file_->write(data, size) == size) return true;
    failure_ = file_->error() == QFileDevice::ResourceError ? Plain_System_Error(ENOSPC) : file_->errorString();
    return false;
}

bool Output_File::Commit() {
    if (!file_ || !failure_.isEmpty()) {
        Cancel();
        return false;
    }
    const bool ok = file_->commit();
    if (!ok)
        failure_ = file_->error() == QFileDevice::ResourceError ? Plain_System_Error(ENOSPC) : file_->errorString();
    file_.reset();
    return ok;
}

void Output_File::Cancel() {
    if (file_) file_->cancelWriting();
    file_.reset();
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

std::optional<File_Stamp> Stamp_Of(const QFile& opened) {
    struct stat st {};
    if (opened.handle() < 0 || ::fstat(opened.handle(), &st) != 0) return std::nullopt;
    File_Stamp s;
    s.Device = static_cast<quint64>(st.st_dev);
    s.Inode = static_cast<quint64>(st.st_ino);
    s.Size = static_cast<qint64>(st.st_size);
    s.Modified_Ns = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.Changed_Ns = static_cast<qint64>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

Output_File::~Output_File() { Cancel(); }

bool Output_File::Fail(int error) {
    if (failure_.isEmpty()) failure_ = Plain_System_Error(error);
    return false;
}

bool Output_File::Open(const QString& path, Link_Rule rule) {
    Cancel();
    failure_.clear();
    target_ = QFile::encodeName(path);
    mode_t mode = 0666;  // the umask applies, as to any new file
    struct stat st {};
    if (::lstat(target_.constData(), &st) == 0) {
        if (S_ISLNK(st.st_mode) && rule == Link_Rule::Follow) {
            char* real = ::realpath(target_.constData(), nullptr);
            if (!real) return Fail(errno);
            target_ = real;
            std::free(real);
            if (::stat(target_.constData(), &st) != 0) return Fail(errno);
        }
        if (!S_ISREG(st.st_mode)) {
            failure_ = S_ISDIR(st.st_mode) ? Plain_System_Error(EISDIR) : QStringLiteral("it is not a regular file");
            return false;
        }
        mode = st.st_mode & 07777;
    }
    const qsizetype slash = target_.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target_.left(slash);
    const QByteArray name = target_.mid(slash + 1);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = folder + "/." + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ < 0 && errno != EEXIST) {
            temp_.clear();
            return Fail(errno);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        return Fail(EEXIST);
    }
    // A file replaced keeps its permissions, whatever the umask.
    if (mode != 0666) ::fchmod(fd_, mode);
    return true;
}

bool Output_File::Write(const char* data, qsizetype size) {
    if (fd_ < 0 || !failure_.isEmpty()) return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
        data += n;
        size -= n;
    }
    return true;
}

bool Output_File::Commit() {
    if (fd_ < 0 || !failure_.isEmpty()) {
        Cancel();
        return false;
    }
    // Some file systems only tell of a full disk when the file is closed.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 || ::rename(temp_.constData(), target_.constData()) != 0) {
        Fail(errno);
        Cancel();
        return false;
    }
    temp_.clear();
    return true;
}

void Output_File::Cancel() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
}

#endif
