#pragma once
// How the program meets files it did not make: it reads only regular files (a pipe or a
// device named like a data file would block or never end), a file it writes appears
// whole or not at all, and a failure is told in plain words.
#include "workbook/Regular_File.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>
#if defined(Q_OS_WIN)
#include <QSaveFile>
#endif

// path names a regular file (links followed).
bool Is_Regular_File(const QString& path);
// Why path cannot be read as a regular file, in a few words ("the file is missing",
// "permission denied", "it is not a file"); "" when it can.
QString Unreadable_Reason(const QString& path);

// A path as the system gave it (a command-line argument), as a name Qt's file functions
// reach the same file by. Qt reads names as UTF-8: a name with other bytes (Latin-1 file
// names) is reached through an open descriptor of this process (Linux), when it exists.
QString Path_From_System(const QByteArray& path);

// Descriptors 0-2 closed when the program starts are given /dev/null, read-only: the
// files the program opens cannot take their numbers (a "standard output" that is
// really some other file), and a write to a closed output still fails, with EBADF.
void Keep_Standard_Descriptors_Taken();

// What changes when a file is rewritten in place: two equal stamps mean the same content.
struct File_Stamp {
    quint64 Device = 0, Inode = 0;
    qint64 Size = 0, Modified_Ns = 0, Changed_Ns = 0;
    bool operator==(const File_Stamp&) const = default;
};
std::optional<File_Stamp> Stamp_Of(const QFile& opened);
// The same for a file by its name (links followed); nullopt when it is not a regular file.
std::optional<File_Stamp> Stamp_Of_Path(const QString& path);

enum class Link_Rule {
    // The user named the file: a link is followed; a pipe or a device is written to as a
    // shell would (a pipe only while some program reads it).
    Follow,
    Follow_To_File,  // as Follow, but only a regular file will do (a PDF is no stream)
    Refuse,  // the program writes it on its own: a link or special file in its place is left alone
};

// Written under a temporary name beside its final one and put in place by Commit, so
// that a failure leaves the old file as it was; never opened through a link in the
// temporary's place. A file the user names and may not write is refused, even where the
// folder would let it be replaced; one with other names (hard links) or of another owner
// is written into at Commit, once the temporary holds all of it, so that it stays the
// same file. The temporary is removed when SIGINT, SIGTERM or SIGHUP ends the program.
class Output_File {
public:
    Output_File() = default;
    ~Output_File();
    Output_File(const Output_File&) = delete;
    Output_File& operator=(const Output_File&) = delete;

    bool Open(const QString& path, Link_Rule rule);
    // path in the system's own bytes, as a command line gives it.
    bool Open_System_Path(const QByteArray& path, Link_Rule rule);
    bool Write(const char* data, qsizetype size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    bool Commit();
    void Cancel();
    // The first failure in plain words; empty while all went well.
    const QString& Failure() const { return failure_; }

private:
    bool Fail(int error);
    QString failure_;
#if defined(Q_OS_WIN)
    std::unique_ptr<QSaveFile> file_;
#else
    bool Fail_With(const QString& why);
    bool Copy_Into_Target();
    void Remove_Temporary();
    enum class Way {
        Replace,  // the temporary is renamed over the target
        Copy_Into,  // the temporary is copied into the target, which keeps its inode
        Stream  // a pipe or a device, written straight
    };
    int fd_ = -1;
    Way way_ = Way::Replace;
    int guard_slot_ = -1;
    QByteArray temp_, target_;
#endif
};
