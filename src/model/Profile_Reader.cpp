#include "model/Profile_Reader.h"

#include "model/Cp1252.h"

#include <QFile>

namespace {

QString Trim_Blanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == QLatin1Char(' ') || s[b] == QLatin1Char('\t'))) ++b;
    while (e > b && (s[e - 1] == QLatin1Char(' ') || s[e - 1] == QLatin1Char('\t'))) --e;
    return s.mid(b, e - b).toString();
}

}  // namespace

QStringList Read_Profile_Section_Lines(const QString& section, const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString text = Decode_Text_File(f.readAll());
    const QString wanted = section.trimmed();
    QStringList lines;
    bool inSection = false, found = false;
    for (QStringView raw : QStringView(text).tokenize(QLatin1Char('\n'))) {
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        const QString line = Trim_Blanks(raw);
        if (line.startsWith(QLatin1Char('['))) {
            if (found) break;  // only the first section of that name counts
            qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = Trim_Blanks(QStringView(line).mid(1, close < 0 ? -1 : close - 1));
            inSection = name.compare(wanted, Qt::CaseInsensitive) == 0;
            found = inSection;
            continue;
        }
        if (!inSection || line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) lines << line;
        else lines << Trim_Blanks(QStringView(line).left(eq)) + QLatin1Char('=') + Trim_Blanks(QStringView(line).mid(eq + 1));
    }
    return lines;
}

int Get_Private_Profile_Section(const QString& section, char16_t* buffer, int size, const QString& fileName) {
    if (!buffer || size <= 0) return 0;
    if (size < 2) { buffer[0] = 0; return 0; }
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
