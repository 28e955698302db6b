#include "model/Profile_Reader.h"

#include "model/Cp1252.h"
#include "model/File_Access.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <algorithm>

namespace {

QString Trim_Blanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == QLatin1Char(' ') || s[b] == QLatin1Char('\t'))) ++b;
    while (e > b && (s[e - 1] == QLatin1Char(' ') || s[e - 1] == QLatin1Char('\t'))) --e;
    return s.mid(b, e - b).toString();
}

// Every section of one file, the first of each name, by case-folded name.
using Sections = QHash<QString, QStringList>;

Sections Parse_Sections(const QString& text) {
    Sections sections;
    QStringList* current = nullptr;
    // Blank lines are left out, so CR LF, LF and a lone CR all end a line.
    for (qsizetype at = 0, end = 0; at < text.size(); at = end + 1) {
        end = at;
        while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r')) ++end;
        const QString line = Trim_Blanks(QStringView(text).mid(at, end - at));
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = Trim_Blanks(QStringView(line).mid(1, close < 0 ? -1 : close - 1)).toCaseFolded();
            // Only the first section of a name counts.
            current = sections.contains(name) ? nullptr : &sections[name];
            continue;
        }
        if (!current || line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            *current << line;
        else
            *current << Trim_Blanks(QStringView(line).left(eq)) + QLatin1Char('=') +
                            Trim_Blanks(QStringView(line).mid(eq + 1));
    }
    return sections;
}

// The last file read, parsed: loading the tables asks for each section several times
// (a buffer grown by doubling, every field, the version check), and reading the whole
// file each time made start-up grow with the square of its size.
struct Parsed_File {
    QString Path;
    File_Stamp Stamp;
    bool Recent = true;  // changed too lately for its stamp to tell a later change
    QByteArray Bytes;
    Sections Content;
};

Sections Read_Sections(const QString& fileName) {
    static QMutex mutex;
    static Parsed_File last;
    QFile f;
    if (!Open_Regular_File(f, fileName)) return {};
    const auto stamp = Stamp_Of(f);
    const QMutexLocker lock(&mutex);
    if (stamp && last.Path == fileName && last.Stamp == *stamp && !last.Recent) return last.Content;
    QByteArray bytes = f.readAll();
    // File times move in coarse steps: a file changed within the last seconds may change
    // again without a new stamp, so its bytes are compared.
    const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000000;
    const bool recent = !stamp || now - std::max(stamp->Modified_Ns, stamp->Changed_Ns) < qint64(2000000000);
    if (last.Path != fileName || last.Bytes != bytes) last.Content = Parse_Sections(Decode_Text_File(bytes));
    last.Path = fileName;
    last.Stamp = stamp.value_or(File_Stamp{});
    last.Recent = recent;
    last.Bytes = std::move(bytes);
    return last.Content;
}

}  // namespace

QStringList Read_Profile_Section_Lines(const QString& section, const QString& fileName) {
    return Read_Sections(fileName).value(section.trimmed().toCaseFolded());
}

int Get_Private_Profile_Section(const QString& section, char16_t* buffer, int size, const QString& fileName) {
    if (!buffer || size <= 0) return 0;
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    const QStringList lines = Read_Profile_Section_Lines(section, fileName);
    int pos = 0;
    for (const QString& line : lines) {
        // Room for this line, its NUL and the final NUL.
        if (pos + line.size() + 2 > size) {
            const int room = size - 2 - pos;
            for (int i = 0; i < room; ++i) buffer[pos + i] = line[i].unicode();
            buffer[size - 2] = 0;
            buffer[size - 1] = 0;
            return size - 2;
        }
        for (const QChar c : line) buffer[pos++] = c.unicode();
        buffer[pos++] = 0;
    }
    buffer[pos] = 0;
    if (pos == 0 && size > 1) buffer[1] = 0;
    return pos;
}
