#include "workbook/Workbook_Reader.h"

#include "workbook/Format_Readers.h"
#include "workbook/Isolated_Sheet_Reader.h"
#include "workbook/Regular_File.h"

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

Workbook_Failure Why_Unknown(QByteArrayView data) {
    if (Starts_With(data, "PK\x03\x04") && data.indexOf(QByteArrayView("xl/workbook.bin")) >= 0)
        return Workbook_Failure::Binary_Workbook;
    if (Starts_With(data, "PK\x03\x04") && data.indexOf(QByteArrayView("application/vnd.oasis.opendocument")) >= 0)
        return Workbook_Failure::Not_A_Spreadsheet;
    return Workbook_Failure::Not_A_Workbook;
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
    // A workbook part elsewhere, found as the reader finds it.
    return Is_Xlsx_Package(data) ? Workbook_Format::Xlsx : Workbook_Format::Unknown;
}

Workbook_Failure Read_First_Sheet_Data(QByteArrayView data, Sheet_Cells& out) {
    out.Clear();
    if (data.isEmpty()) return Workbook_Failure::Empty_File;
    Workbook_Failure failure = Workbook_Failure::None;
    switch (Sniff_Workbook_Format(data)) {
    case Workbook_Format::Xls: failure = Read_Xls(data, out); break;
    case Workbook_Format::Xlsx: failure = Read_Xlsx(data, out); break;
    case Workbook_Format::Ods: failure = Read_Ods(data, out); break;
    case Workbook_Format::Unknown: failure = Why_Unknown(data); break;
    }
    if (failure != Workbook_Failure::None) {
        out.Clear();
        return failure;
    }
    out.Finish();
    return failure;
}

Workbook_Result Read_First_Sheet(const QString& path, Sheet_Cells& out) {
    out.Clear();
    // Only a regular file: a pipe or a device would block or never end.
    const QFileInfo info(path);
    if (!info.exists()) return {Workbook_Failure::Not_Found};
    QFile file;
    if (!Open_Regular_File(file, path))
        return info.isFile() ? Workbook_Result{Workbook_Failure::Cannot_Open, errno}
                             : Workbook_Result{Workbook_Failure::Not_A_File};
    const qint64 size = file.size();
    if (size <= 0) return {Workbook_Failure::Empty_File};
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
        const Workbook_Failure failure = Read_First_Sheet_Data(QByteArrayView(mapped, size), out);
        out.Set_Input_Release({});
        file.unmap(mapped);
        return {failure};
    }
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size) return {Workbook_Failure::Cannot_Read, errno};
    return {Read_First_Sheet_Data(bytes, out)};
}

std::uint64_t Workbook_Import_Bytes(const QString& path) {
    QFile file;
    if (!Open_Regular_File(file, path)) return 0;
    const qint64 size = file.size();
    if (size <= 0) return 0;
    const auto three_times = std::uint64_t(size) * 3;
    // A package holds its content packed: the records made of it take about twice its parts.
    uchar* mapped = file.map(0, size);
    if (!mapped) return three_times;
    const QByteArrayView data(mapped, size);
    const std::uint64_t unpacked = Starts_With(data, "PK\x03\x04") ? Package_Unpacked_Bytes(data) : 0;
    file.unmap(mapped);
    return std::max(three_times, unpacked * 2);
}

Workbook_Result Read_Workbook(const QString& path, Sheet_Cells& out, Reader_Place place, const Sheet_Batches& batches) {
    bool child = false;
    if (place != Reader_Place::In_Process && Isolated_Reading_Available()) {
        QFile f;
        child = place == Reader_Place::Child ||
                (Open_Regular_File(f, path) && Sniff_Workbook_Format(f.read(4096)) != Workbook_Format::Xls);
    }
    return child ? Read_First_Sheet_Isolated(path, out, batches) : Read_First_Sheet(path, out);
}

QString Workbook_Failure_Text(Workbook_Failure failure, int system_error) {
    using F = Workbook_Failure;
    switch (failure) {
    case F::None: return {};
    case F::Not_Found: return QStringLiteral("The file could not be found.");
    case F::Not_A_File: return QStringLiteral("It is not a file.");
    case F::Cannot_Open:
        return QStringLiteral("The file could not be opened: %1.").arg(Plain_System_Error(system_error));
    case F::Cannot_Read:
        return QStringLiteral("The file could not be read: %1.")
            .arg(QString::fromLocal8Bit(std::strerror(system_error ? system_error : EIO)));
    case F::Empty_File: return QStringLiteral("The file is empty.");
    case F::Not_A_Workbook:
        return QStringLiteral("The file is not a workbook: only .xls, .xlsx and .ods workbooks can be read.");
    case F::Binary_Workbook:
        return QStringLiteral("Excel binary workbooks (.xlsb) are not read; save it as .xlsx, .xls or .ods.");
    case F::Not_A_Spreadsheet: return QStringLiteral("The file is an OpenDocument file but not a spreadsheet.");
    case F::Not_An_Excel_File: return QStringLiteral("The file is not an Excel workbook.");
    case F::Encrypted_Package:
        return QStringLiteral("The file is an encrypted Office document; remove its password and save it again.");
    case F::Password: return QStringLiteral("The workbook is protected by a password.");
    case F::Old_Workbook:
        return QStringLiteral(
            "Workbooks saved by Excel 2.x to 4.0 are not read; save it as Excel 97-2003 (.xls), .xlsx or .ods.");
    case F::Sheet_Damaged: return QStringLiteral("The file is damaged: its sheet could not be read.");
    case F::First_Sheet_Damaged: return QStringLiteral("The file is damaged: its first sheet could not be read.");
    case F::Cannot_Unpack: return QStringLiteral("The file is damaged: its contents could not be unpacked.");
    case F::Too_Large: return QStringLiteral("The file is too large to be read.");
    case F::Too_Many_Cells_Xls: return QStringLiteral("The sheet holds more cells than the program can take.");
    case F::Too_Many_Cells: return QStringLiteral("The first sheet has too many cells to be read.");
    case F::Text_Too_Long: return QStringLiteral("The file is damaged: a cell holds more than 32,767 characters.");
    case F::Beyond_Sheet:
        return QStringLiteral("The file is damaged: it has cells past the last row or column a sheet can have.");
    case F::No_Memory: return QStringLiteral("There is not enough memory to read the file.");
    case F::No_Worksheet: return QStringLiteral("The workbook has no worksheet.");
    case F::Reader_Not_Started: return QStringLiteral("The workbook reader could not be started.");
    case F::Reader_Stopped: return QStringLiteral("The workbook reader stopped unexpectedly; the file may be damaged.");
    case F::Reader_Hung: return QStringLiteral("The workbook reader did not answer; the file may be damaged.");
    }
    return QStringLiteral("The file is damaged: its first sheet could not be read.");
}
