#include "model/Workbook_Reader.h"

#include "model/File_Access.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr char kCompound_Magic[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
constexpr QByteArrayView kOds_Mime("application/vnd.oasis.opendocument.spreadsheet");

bool Starts_With(QByteArrayView data, QByteArrayView head) {
    return data.size() >= head.size() && std::memcmp(data.data(), head.data(), head.size()) == 0;
}

// A worksheet saved by Excel 2.x to 4.0 is a bare record stream starting with its BOF.
bool Is_Bare_Biff(QByteArrayView data) {
    if (data.size() < 8) return false;
    const auto b = reinterpret_cast<const unsigned char*>(data.data());
    const unsigned type = b[0] | (b[1] << 8);
    const unsigned length = b[2] | (b[3] << 8);
    return (type == 0x0009 || type == 0x0209 || type == 0x0409 || type == 0x0809) && length >= 4 && length <= 20;
}

QString Why_Unknown(QByteArrayView data) {
    if (Starts_With(data, "PK\x03\x04") && data.indexOf(QByteArrayView("xl/workbook.bin")) >= 0)
        return QStringLiteral("Excel binary workbooks (.xlsb) are not read; save it as .xlsx, .xls or .ods.");
    if (Starts_With(data, "PK\x03\x04") && data.indexOf(QByteArrayView("application/vnd.oasis.opendocument")) >= 0)
        return QStringLiteral("The file is an OpenDocument file but not a spreadsheet.");
    return QStringLiteral("The file is not a workbook: only .xls, .xlsx and .ods workbooks can be read.");
}

}  // namespace

Workbook_Format Sniff_Workbook_Format(QByteArrayView data) {
    if (Starts_With(data, QByteArrayView(kCompound_Magic, 8)) || Is_Bare_Biff(data)) return Workbook_Format::Xls;
    if (!Starts_With(data, "PK\x03\x04")) return Workbook_Format::Unknown;
    // OpenDocument packages start with their uncompressed "mimetype" entry; look further
    // only for packages written without it first.
    const qsizetype at = data.first(std::min<qsizetype>(data.size(), 200)).indexOf(kOds_Mime);
    if (at >= 0) {
        const QByteArrayView rest = data.sliced(at + kOds_Mime.size());
        return rest.startsWith("-") && !rest.startsWith("-template") ? Workbook_Format::Unknown : Workbook_Format::Ods;
    }
    // Entry names are stored uncompressed, in the local headers and the central directory.
    if (data.indexOf(QByteArrayView("xl/workbook.xml")) >= 0) return Workbook_Format::Xlsx;
    if (data.indexOf(QByteArrayView("content.xml")) >= 0 && data.indexOf(kOds_Mime) >= 0) return Workbook_Format::Ods;
    return Workbook_Format::Unknown;
}

bool Read_First_Sheet_Data(QByteArrayView data, Sheet_Cells& out, QString& why) {
    out.Clear();
    why.clear();
    if (data.isEmpty()) {
        why = QStringLiteral("The file is empty.");
        return false;
    }
    bool ok = false;
    switch (Sniff_Workbook_Format(data)) {
    case Workbook_Format::Xls: ok = Read_Xls(data, out, why); break;
    case Workbook_Format::Xlsx: ok = Read_Xlsx(data, out, why); break;
    case Workbook_Format::Ods: ok = Read_Ods(data, out, why); break;
    case Workbook_Format::Unknown: why = Why_Unknown(data); break;
    }
    if (!ok) {
        out.Clear();
        if (why.isEmpty()) why = QStringLiteral("The file is damaged: its first sheet could not be read.");
        return false;
    }
    out.Finish();
    return true;
}

bool Read_First_Sheet(const QString& path, Sheet_Cells& out, QString& why) {
    out.Clear();
    // Only a regular file: a pipe or a device would block or never end.
    const QFileInfo info(path);
    if (!info.exists()) {
        why = QStringLiteral("The file could not be found.");
        return false;
    }
    QFile file;
    if (!Open_Regular_File(file, path)) {
        why = info.isFile() ? QStringLiteral("The file could not be opened: %1.").arg(Plain_System_Error(errno))
                            : QStringLiteral("It is not a file.");
        return false;
    }
    const qint64 size = file.size();
    if (size <= 0) {
        why = QStringLiteral("The file is empty.");
        return false;
    }
    // Mapped rather than copied: the file's pages are the system's to drop again, even
    // while the rest is read.
    if (uchar* mapped = file.map(0, size)) {
#if defined(__linux__)
        const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        const auto begin = reinterpret_cast<std::uintptr_t>(mapped), end = begin + static_cast<std::uintptr_t>(size);
        out.Set_Input_Release([page, begin, end](const void* from, const void* to) {
            const std::uintptr_t f = (std::max(reinterpret_cast<std::uintptr_t>(from), begin) + page - 1) & ~(page - 1);
            const std::uintptr_t t = std::min(reinterpret_cast<std::uintptr_t>(to), end) & ~(page - 1);
            // A page touched again is read from the file again: nothing is lost.
            if (f < t) madvise(reinterpret_cast<void*>(f), t - f, MADV_DONTNEED);
        });
#endif
        const bool ok = Read_First_Sheet_Data(QByteArrayView(mapped, size), out, why);
        out.Set_Input_Release({});
        file.unmap(mapped);
        return ok;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size) {
        why = QStringLiteral("The file could not be read: %1.").arg(file.errorString());
        return false;
    }
    return Read_First_Sheet_Data(bytes, out, why);
}
