// Real workbooks written by many spreadsheet programs (tests/data/workbooks, see NOTICE
// there), read as the import reads them and compared cell by cell with the dumps that
// reference readers made of them (tools/make_reference_dumps.py).
#include "workbook/Format_Readers.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <iostream>
#include <map>

namespace {

const QString kCorpus = QStringLiteral(SIFA_TEST_DATA "/workbooks");

// Files on which we and the reference differ, each looked at in a spreadsheet program;
// the reason says who is right.
const std::map<QString, const char*> kKnown_Differences = {};

QByteArray Our_Dump(const Sheet_Cells& cells) {
    QByteArray out;
    for (const Sheet_Cell& c : cells.Cells()) out += Dump_Cell_Line(c);
    return out;
}

// Equal lines, or the same cell and kind with numbers equal to the last bit or two that a
// reference loses when it converts a date to its own date type and back.
bool Same_Line(const QByteArray& ours, const QByteArray& ref) {
    if (ours == ref) return true;
    const QList<QByteArray> a = ours.split('\t'), b = ref.split('\t');
    if (a.size() != 4 || b.size() != 4 || a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) return false;
    if (a[2] != "number" && a[2] != "date") return false;
    bool okA = false, okB = false;
    const double x = a[3].toDouble(&okA), y = b[3].toDouble(&okB);
    return okA && okB && std::fabs(x - y) <= 1e-9 * std::max(1.0, std::fabs(y));
}

// The first differing line, or "" when the dumps agree.
QString First_Difference(const QByteArray& ours, const QByteArray& ref) {
    const QList<QByteArray> a = ours.split('\n'), b = ref.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QByteArray x = a.value(i), y = b.value(i);
        if (!Same_Line(x, y))
            return QStringLiteral("line %1: ours \"%2\", reference \"%3\"")
                .arg(i + 1)
                .arg(QString::fromUtf8(x.left(120)), QString::fromUtf8(y.left(120)));
    }
    return {};
}

QString Format_Of(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == QLatin1String("xlsm") ? QStringLiteral("xlsx") : ext;
}

TEST(Workbook_Corpus, Reads_What_The_Reference_Readers_Read) {
    struct Tally {
        int compared = 0, same = 0;
    };
    std::map<QString, Tally> tally;
    QStringList unexpected;
    QDirIterator it(kCorpus, {"*.xls", "*.xlsx", "*.xlsm", "*.ods"}, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(kCorpus).relativeFilePath(path);
        ++files;
        Sheet_Cells cells;
        const Workbook_Result result = Read_First_Sheet(path, cells);
        const bool read = result.Ok();
        const QString why = result.Why();
        // Cut into pieces at every row, the large parts of a package read the same.
        const std::size_t usual = Set_Package_Piece_Bytes(64);
        Sheet_Cells in_pieces;
        EXPECT_EQ(Read_First_Sheet(path, in_pieces).Why(), why) << name.toStdString();
        Set_Package_Piece_Bytes(usual);
        EXPECT_EQ(Our_Dump(in_pieces), Our_Dump(cells)) << name.toStdString();
        EXPECT_TRUE(read || !why.isEmpty()) << name.toStdString();
        if (name.contains(QLatin1String("pass_protected")) || name.contains(QLatin1String("password"))) {
            EXPECT_FALSE(read) << name.toStdString();
            EXPECT_TRUE(why.contains(QLatin1String("password"))) << name.toStdString() << ": " << why.toStdString();
            continue;
        }
        QFile ref(path + QStringLiteral(".dump"));
        if (!ref.open(QIODevice::ReadOnly)) continue;  // the reference could not read it either
        Tally& t = tally[Format_Of(path)];
        ++t.compared;
        const QString diff =
            read ? First_Difference(Our_Dump(cells), ref.readAll()) : QStringLiteral("not read: ") + why;
        if (diff.isEmpty()) ++t.same;
        const bool known = kKnown_Differences.count(name) > 0;
        if (!diff.isEmpty() && !known) unexpected << name + QStringLiteral(": ") + diff;
        if (diff.isEmpty() && known) unexpected << name + QStringLiteral(": now agrees; take it off the known list");
    }
    ASSERT_GT(files, 100);
    for (const auto& [format, t] : tally) {
        std::cout << format.toStdString() << ": " << t.same << " of " << t.compared
                  << " workbooks read as the reference reads them\n";
        EXPECT_GE(t.same * 100, t.compared * 95) << format.toStdString();
    }
    EXPECT_TRUE(unexpected.isEmpty()) << unexpected.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
