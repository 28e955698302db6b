#pragma once
// How the program meets files it did not make: it reads only regular files (a pipe or a
// device named like a data file would block or never end), a file it writes appears
// whole or not at all, and a failure is told in plain words.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>
#if defined(Q_OS_WIN)
#include <QSaveFile>
#endif

// Opens path for reading when it is a regular file (a link to one counts); false
// otherwise, without ever waiting on a pipe or a device.
bool Open_Regular_File(QFile& file, const QString& path, QIODevice::OpenMode extra = {});
// path names a regular file (links followed).
bool Is_Regular_File(const QString& path);

// What changes when a file is rewritten in place: two equal stamps mean the same content.
struct File_Stamp {
    quint64 Device = 0, Inode = 0;
    qint64 Size = 0, Modified_Ns = 0, Changed_Ns = 0;
    bool operator==(const File_Stamp&) const = default;
};
std::optional<File_Stamp> Stamp_Of(const QFile& opened);

// An operating-system error number in a few plain words ("the disk is full").
QString Plain_System_Error(int error);

enum class Link_Rule {
    Follow,  // the user named the file: a link is followed and its target replaced
    Refuse,  // the program writes it on its own: a link or special file in its place is left alone
};

// Written under a temporary name beside its final one and put in place by Commit, so
// that a failure leaves the old file as it was; never opened through a link in the
// temporary's place.
class Output_File {
public:
    Output_File() = default;
    ~Output_File();
    Output_File(const Output_File&) = delete;
    Output_File& operator=(const Output_File&) = delete;

    bool Open(const QString& path, Link_Rule rule);
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
    int fd_ = -1;
    QByteArray temp_, target_;
#endif
};
