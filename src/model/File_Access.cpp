#include "model/File_Access.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool Is_Regular_File(const QString& path) { return QFileInfo(path).isFile(); }

#if defined(Q_OS_WIN)

QString Unreadable_Reason(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("the file is missing");
    if (!info.isFile()) return QStringLiteral("it is not a file");
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString() : Plain_System_Error(EACCES);
}

// Windows hands the program its arguments in UTF-16: nothing is lost on the way.
QString Path_From_System(const QByteArray& path) { return QFile::decodeName(path); }

void Keep_Standard_Descriptors_Taken() {}

std::optional<File_Stamp> Stamp_Of_Path(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    return Stamp_Of(QFile(path));
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

bool Output_File::Open_System_Path(const QByteArray& path, Link_Rule rule) {
    return Open(QFile::decodeName(path), rule);
}

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

QString Unreadable_Reason(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return QStringLiteral("the file is missing");
        return Plain_System_Error(error);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? QString() : QStringLiteral("it is not a file");
}

QString Path_From_System(const QByteArray& path) {
    const QString name = QFile::decodeName(path);
    if (QFile::encodeName(name) == path) return name;
#if defined(Q_OS_LINUX)
    // Kept open for the life of the process; /proc/PID (not /proc/self) so that the
    // workbook reader's child reaches it too.
    const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
    if (fd >= 0) return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(fd);
#endif
    return name;
}

void Keep_Standard_Descriptors_Taken() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number, so this one: the lower ones are open by now.
        const int got = ::open("/dev/null", O_RDONLY);
        if (got >= 0 && got != fd) {
            ::dup2(got, fd);
            ::close(got);
        }
    }
}

namespace {

File_Stamp Stamp_From(const struct stat& st) {
    File_Stamp s;
    s.Device = static_cast<quint64>(st.st_dev);
    s.Inode = static_cast<quint64>(st.st_ino);
    s.Size = static_cast<qint64>(st.st_size);
    s.Modified_Ns = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.Changed_Ns = static_cast<qint64>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

// The temporaries being written, for the handler of a signal that ends the program:
// plain memory it can read without locks or allocation.
constexpr int Guarded_Slots = 8;
struct Guarded_Temporary {
    std::atomic<int> state{0};  // 0 free, 1 being filled in, 2 to be removed
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);
Guarded_Temporary g_temporaries[Guarded_Slots];
constexpr int Ending_Signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void Remove_Temporaries_Then_End(int sig) {
    const int saved = errno;
    for (Guarded_Temporary& t : g_temporaries)
        if (t.state.load() == 2) ::unlink(t.path);
    // Ends as the signal would have ended it, so that the caller sees which one: the
    // signal is blocked until the handler returns, then taken with its default action.
    struct sigaction original {};
    original.sa_handler = SIG_DFL;
    sigemptyset(&original.sa_mask);
    ::sigaction(sig, &original, nullptr);
    ::raise(sig);
    errno = saved;
}

// Only where the signal would end the program: one ignored or handled by someone else
// is left to them.
void Handle_Ending_Signals() {
    for (const int sig : Ending_Signals) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) continue;
        struct sigaction mine {};
        mine.sa_handler = Remove_Temporaries_Then_End;
        sigemptyset(&mine.sa_mask);
        for (const int other : Ending_Signals) sigaddset(&mine.sa_mask, other);
        ::sigaction(sig, &mine, nullptr);
    }
}

int Guard_Temporary(const QByteArray& path) {
    if (path.size() >= PATH_MAX) return -1;
    Handle_Ending_Signals();
    for (int i = 0; i < Guarded_Slots; ++i) {
        int expected = 0;
        if (!g_temporaries[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_temporaries[i].path, path.constData(), static_cast<size_t>(path.size()) + 1);
        g_temporaries[i].state.store(2);
        return i;
    }
    return -1;  // unguarded: the next start removes it when it is the cache's
}

void Release_Guard(int& slot) {
    if (slot >= 0) g_temporaries[slot].state.store(0);
    slot = -1;
}

// The user may write the file: the rights of the file itself, not only those of its
// folder (which let any file in it be replaced). Root may write anything, so for root a
// file no one may write counts as protected.
int Write_Refusal(const QByteArray& path, const struct stat& st) {
    if (::geteuid() == 0) return (st.st_mode & 0222) ? 0 : EACCES;
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// The standard output or error the file is (as /dev/stdout names it), -1 when neither.
int Standard_Descriptor_Of(const struct stat& st) {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat out {};
        if (::fstat(fd, &out) == 0 && out.st_dev == st.st_dev && out.st_ino == st.st_ino) return fd;
    }
    return -1;
}

}  // namespace

std::optional<File_Stamp> Stamp_Of(const QFile& opened) {
    struct stat st {};
    if (opened.handle() < 0 || ::fstat(opened.handle(), &st) != 0) return std::nullopt;
    return Stamp_From(st);
}

std::optional<File_Stamp> Stamp_Of_Path(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return Stamp_From(st);
}

Output_File::~Output_File() { Cancel(); }

bool Output_File::Fail(int error) {
    if (failure_.isEmpty()) failure_ = Plain_System_Error(error);
    return false;
}

bool Output_File::Fail_With(const QString& why) {
    if (failure_.isEmpty()) failure_ = why;
    return false;
}

bool Output_File::Open(const QString& path, Link_Rule rule) { return Open_System_Path(QFile::encodeName(path), rule); }

bool Output_File::Open_System_Path(const QByteArray& path, Link_Rule rule) {
    Cancel();
    failure_.clear();
    way_ = Way::Replace;
    target_ = path;
    const bool follow = rule != Link_Rule::Refuse;
    bool exists = false;
    struct stat st {};
    if (::lstat(target_.constData(), &st) == 0) {
        exists = true;
        if (S_ISLNK(st.st_mode) && follow) {
            // stat, not realpath: /dev/stdout leads to "pipe:[...]", which is no path.
            if (::stat(target_.constData(), &st) != 0)
                return errno == ENOENT ? Fail_With(QStringLiteral("the link's target is missing")) : Fail(errno);
            if (S_ISREG(st.st_mode)) {
                char* real = ::realpath(target_.constData(), nullptr);
                if (!real) return Fail(errno);
                target_ = real;
                std::free(real);
            }
        }
        if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
        const int standard = Standard_Descriptor_Of(st);
        if (rule == Link_Rule::Follow && (!S_ISREG(st.st_mode) || standard >= 0)) {
            way_ = Way::Stream;
            if (standard >= 0) {
                // As `-o /dev/stdout` names it: written where the shell put it (appended
                // where it appends).
                fd_ = ::fcntl(standard, F_DUPFD_CLOEXEC, 3);
            } else {
                // Without a reader a pipe would hold the program for ever.
                fd_ = ::open(target_.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
                if (fd_ < 0 && errno == ENXIO) return Fail_With(QStringLiteral("no program reads from the pipe"));
                if (fd_ >= 0) ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
            }
            return fd_ >= 0 || Fail(errno);
        }
        if (!S_ISREG(st.st_mode)) return Fail_With(QStringLiteral("it is not a regular file"));
        // The program's own files (the cache) are always replaced whole: a reader never
        // meets one half written.
        if (follow) {
            if (const int refusal = Write_Refusal(target_, st)) return Fail(refusal);
            if (st.st_nlink > 1 || st.st_uid != ::geteuid()) way_ = Way::Copy_Into;
        }
    }
    const qsizetype slash = target_.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target_.left(slash);
    const QByteArray name = target_.mid(slash + 1);
    const mode_t mode = exists ? (st.st_mode & 07777) : 0666;  // a new file: the umask applies
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = folder + "/." + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        // Guarded before it exists: a signal right after its creation still removes it.
        guard_slot_ = Guard_Temporary(temp_);
        fd_ = ::open(temp_.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0666);
        if (fd_ >= 0) break;
        const int error = errno;
        Release_Guard(guard_slot_);
        if (error != EEXIST) {
            temp_.clear();
            return Fail(error);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        return Fail(EEXIST);
    }
    if (exists && way_ == Way::Replace) {
        // A file replaced keeps its group (where we may give it) and permissions, whatever the umask.
        if (st.st_gid != ::getegid()) (void)::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
        ::fchmod(fd_, mode);
    }
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

bool Output_File::Copy_Into_Target() {
    const off_t size = ::lseek(fd_, 0, SEEK_END);
    if (size < 0) return Fail(errno);
    const int out = ::open(target_.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (out < 0) return Fail(errno);
    bool ok = true;
#if defined(Q_OS_LINUX)
    // Room for all of it before the first byte changes: a disk that fills up half way
    // would leave the file cut short.
    if (size > 0 && ::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno == ENOSPC) ok = Fail(ENOSPC);
#endif
    QByteArray buffer(qsizetype(1) << 16, Qt::Uninitialized);
    for (off_t at = 0; ok && at < size;) {
        const ssize_t got = ::pread(fd_, buffer.data(), static_cast<size_t>(buffer.size()), at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = Fail(got < 0 ? errno : EIO);
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::pwrite(out, buffer.constData() + done, static_cast<size_t>(got - done), at + done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) ok = Fail(put < 0 ? errno : ENOSPC);
            done += std::max<ssize_t>(put, 0);
        }
        at += got;
    }
    if (ok && ::ftruncate(out, size) != 0) ok = Fail(errno);
    if (::close(out) != 0 && ok) ok = Fail(errno);
    return ok;
}

bool Output_File::Commit() {
    if (fd_ < 0 || !failure_.isEmpty()) {
        Cancel();
        return false;
    }
    if (way_ == Way::Stream) {
        const int closed = ::close(fd_);
        fd_ = -1;
        return closed == 0 || Fail(errno);
    }
    if (way_ == Way::Copy_Into) {
        const bool copied = Copy_Into_Target();
        Cancel();
        return copied;
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
    Release_Guard(guard_slot_);
    return true;
}

void Output_File::Remove_Temporary() {
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
    Release_Guard(guard_slot_);
}

void Output_File::Cancel() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    Remove_Temporary();
}

#endif
