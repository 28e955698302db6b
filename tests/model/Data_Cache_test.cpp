#include "model/Data_Cache.h"
#include "model/Session.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QFileInfo>
#include <QtEndian>
#include <cstdio>
#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif

namespace {

struct Cache : ::testing::Test {
    Session session;
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("Sifa_table.xls"));
    QString refs = dir.filePath(QStringLiteral("Refs.dat"));
    QString cache = dir.filePath(QStringLiteral("Data.dat"));

    void SetUp() override {
        Make_Sources();
        session.Records().Resize(2, 17);
        session.Records()(1, 1) = Value::Double(2024);
        session.Records()(2, 4) = Value::String(QStringLiteral("Réseau"));
    }
    void Make_Sources() {
        source = dir.filePath(QStringLiteral("Sifa_table.xls"));
        Write_Bytes(source, QByteArray(1000, 'x'));
        Write_Bytes(refs, QByteArray("[Country]\r\n"));
        Set_Time(source, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 890)));
        Set_Time(refs, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59)));
    }

    static void Set_Time(const QString& file, const QDateTime& t) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    }
    qint32 Load() { return Load_Data_Cache(session.Records(), source, refs, cache); }
};

// A change made to the files, named for the failure message.
struct Change {
    const char* name;
    std::function<void()> make;
};

// Little-endian building blocks of the expected bytes.
template <typename T> QByteArray LE(T v) {
    QByteArray b(sizeof(T), '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray LE_Double(double d) {
    quint64 bits;
    std::memcpy(&bits, &d, 8);
    return LE(bits);
}

}  // namespace

TEST_F(Cache, Layout_Byte_For_Byte) {
    session.Records().Resize(1, 1);
    // Each value in turn at [1, 1], after its tag; the other three cells empty.
    const std::pair<Value, QByteArray> cells[] = {
        {Value(), LE<quint16>(0)},
        {Value::Null(), LE<quint16>(1)},
        {Value::Integer(-2), LE<quint16>(2) + LE<qint16>(-2)},
        {Value::Long(70000), LE<quint16>(3) + LE<qint32>(70000)},
        {Value::Single(1.5f), LE<quint16>(4) + QByteArray("\x00\x00\xc0\x3f", 4)},
        {Value::Double(0.1), LE<quint16>(5) + LE_Double(0.1)},
        {Value::Double(-0.0), LE<quint16>(5) + LE_Double(-0.0)},
        {Value::Currency_Raw(123456), LE<quint16>(6) + LE<qint64>(123456)},
        {Value::Date(45000.25), LE<quint16>(7) + LE_Double(45000.25)},
        {Value::String(QStringLiteral("é")), LE<quint16>(8) + LE<qint16>(1) + "\xe9"},
        {Value::Error(9), LE<quint16>(10) + LE<qint32>(9)},
        {Value::Boolean(true), LE<quint16>(11) + LE<qint16>(-1)},
        {Value::Byte(200), LE<quint16>(17) + QByteArray(1, '\xc8')},
    };
    const QByteArray header = LE<qint32>(14) + "Sifa_table.xls" + LE<qint32>(1000) +
                              LE_Double(46085.0 + (5 * 3600 + 6 * 60 + 7) / 86400.0) + LE<qint32>(8) + "Refs.dat" +
                              LE<qint32>(11) + LE_Double(46022.0 + 86399 / 86400.0) + LE<qint32>(1) + LE<qint32>(1) +
                              LE<quint16>(0) + LE<quint16>(0) + LE<quint16>(0);  // [0,0] [1,0] [0,1]
    for (const auto& [v, cell] : cells) {
        session.Records()(1, 1) = v;
        ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
        const QByteArray bytes = Read_Bytes(cache);
        EXPECT_EQ(bytes.toHex(), (header + cell).toHex()) << To_Text(v).toStdString();
        qsizetype pos = 0;
        const auto h = Decode_Cache_Header(bytes, pos);
        ASSERT_TRUE(h);
        Records_Table back;
        ASSERT_TRUE(Decode_Cache_Cells(bytes, pos, *h, back));
        EXPECT_EQ(back(1, 1), v);
        EXPECT_EQ(back(0, 1), Value());
    }
}

// Files of several MB are written and read in pieces: every cell comes back, texts straddle the
// pieces, the file matches the layout encoded in memory, and one byte short is still refused.
TEST_F(Cache, Large_Files_Read_And_Write_In_Pieces) {
    const auto expected = [](int r, int c) {
        if (r == 0) return Value();
        if (c == 1) return Value::Double(r);
        if (c == 3) return Value::String(QStringLiteral("C%1").arg(r % 7));
        if (c == 5) return Value::String(QString((r * 37) % 3001 + 1, QChar(u'a' + r % 26)) + QStringLiteral("é"));
        // The last columns are read on a second thread, with texts of their own (a free-text field).
        if (c == 14) return Value::String(QStringLiteral("D%1").arg(r % 5));
        return Value();
    };
    session.Records().Resize(2000, 17);
    for (int r = 1; r <= 2000; ++r)
        for (int c : {1, 3, 5, 14}) session.Records()(r, c) = expected(r, c);
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    const QByteArray file = Read_Bytes(cache);
    ASSERT_GT(file.size(), 2 << 20);
    const auto encoded = Encode_Data_Cache(*Identity_Of(source), *Identity_Of(refs), session.Records());
    ASSERT_TRUE(encoded);
    EXPECT_TRUE(file == *encoded);

    const auto check_all = [&] {
        for (int r = 0; r <= 2000; ++r)
            for (int c = 0; c <= 17; ++c) ASSERT_EQ(session.Records()(r, c), expected(r, c)) << r << "," << c;
    };
    // Read when asked for, several columns on two threads, each with texts of its own.
    session.Records().Clear();
    ASSERT_EQ(Load(), 2000);
    session.Records().Fill_Columns({5, 1, 14, 3, 0});
    check_all();

    // A columns line one offset short is not trusted: the columns are found from the cells.
    const QString stamp = cache + QStringLiteral(".stamp");
    const QByteArray good_stamp = Read_Bytes(stamp);
    const qsizetype at = good_stamp.indexOf("columns ") + 8;
    Write_Bytes(stamp, good_stamp.left(at) + good_stamp.mid(good_stamp.indexOf(' ', at) + 1));
    session.Records().Clear();
    ASSERT_EQ(Load(), 2000);
    check_all();
    // One copy of a text repeated down a column, not one per record.
    EXPECT_EQ(session.Records().Text_Id(1, 3), session.Records().Text_Id(8, 3));

    Write_Bytes(cache, file.left(file.size() - 1));
    EXPECT_EQ(Load(), -1);
}

TEST_F(Cache, Invalid_Cache_Is_Ignored_And_Table_Untouched) {
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    const QByteArray good = Read_Bytes(cache);
    const qsizetype cellsAt = 4 + 14 + 4 + 8 + 4 + 8 + 4 + 8 + 8;
    auto patch = [&](qsizetype at, auto v) {
        QByteArray b = good;
        qToLittleEndian(v, b.data() + at);
        Write_Bytes(cache, b);
    };
    const Change cases[] = {
        {"missing", [&] { QFile::remove(cache); }},
        {"truncated", [&] { Write_Bytes(cache, good.left(good.size() - 1)); }},
        {"one byte longer", [&] { Write_Bytes(cache, good + '\0'); }},
        {"other field count", [&] { patch(cellsAt - 4, qint32(16)); }},
        {"name length past the end", [&] { patch(0, qint32(0x7fffffff)); }},
        {"row count past the end", [&] { patch(cellsAt - 8, qint32(100000000)); }},
        {"more records than a workbook has rows",
         [&] {
             // Every cell an empty one: only the row bound refuses it.
             QByteArray b = good.left(cellsAt) + QByteArray(qsizetype(1048577) * 18 * 2, '\0');
             qToLittleEndian(qint32(1048576), b.data() + cellsAt - 8);
             Write_Bytes(cache, b);
         }},
        {"workbook touched", [&] { Set_Time(source, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 8))); }},
        {"workbook grew", [&] { Write_Bytes(source, QByteArray(1001, 'x')); }},
        {"other workbook name",
         [&] {
             QFile::copy(source, dir.filePath(QStringLiteral("Other.xls")));
             source = dir.filePath(QStringLiteral("Other.xls"));
         }},
        {"workbook gone, another named",
         [&] {
             QFile::remove(source);
             source = dir.filePath(QStringLiteral("Other.xls"));
         }},
    };
    for (const Change& c : cases) {
        Write_Bytes(cache, good);
        Make_Sources();
        ASSERT_GT(Load(), 0) << c.name;  // sound before spoiling
        session.Records().Resize(5, 3);
        session.Records()(5, 3) = Value::String(QStringLiteral("kept"));
        c.make();
        EXPECT_EQ(Load(), -1) << c.name;
        EXPECT_EQ(session.Records().Row_Upper(), 5) << c.name;
        EXPECT_EQ(session.Records()(5, 3), Value::String(QStringLiteral("kept"))) << c.name;
    }
}

TEST_F(Cache, Nothing_Is_Written_That_Would_Come_Back_Wrong) {
    const std::pair<const char*, QString> cases[] = {
        {"outside Windows-1252", QStringLiteral("Ελλάδα")},
        {"too long for its length", QString(40000, QLatin1Char('a'))},
    };
    for (const auto& [name, text] : cases) {
        Write_Bytes(cache, "old");
        session.Records()(2, 5) = Value::String(text);
        EXPECT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Not_Representable) << name;
        EXPECT_EQ(Read_Bytes(cache), QByteArray("old")) << name;
    }
}

TEST_F(Cache, Only_A_Regular_File_Is_Read_Or_Replaced) {
    // Not writable in place: no cache, and whatever stands there is left as it was.
    const QString blocked = dir.filePath(QStringLiteral("not_a_folder"));
    Write_Bytes(blocked, "x");
    EXPECT_EQ(Save_Data_Cache(session.Records(), source, refs, blocked + QStringLiteral("/Data.dat")),
              Cache_Save::Write_Failed);
#if !defined(Q_OS_WIN)
    const QString victim = dir.filePath(QStringLiteral("someone's file"));
    Write_Bytes(victim, "theirs");
    ASSERT_TRUE(QFile::link(victim, cache));
    EXPECT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Write_Failed);
    EXPECT_EQ(Read_Bytes(victim), QByteArray("theirs"));
    EXPECT_TRUE(QFileInfo(cache).isSymLink());

    // A pipe in place of any of the three files never blocks: as the cache it is
    // invalid, as a source it counts as missing.
    QFile::remove(cache);
    ASSERT_EQ(mkfifo(QFile::encodeName(cache).constData(), 0600), 0);
    EXPECT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Write_Failed);
    EXPECT_EQ(Load(), -1);
    QFile::remove(cache);
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    for (QString* file : {&source, &refs}) {
        QFile::remove(*file);
        ASSERT_EQ(mkfifo(QFile::encodeName(*file).constData(), 0600), 0);
    }
    EXPECT_EQ(Load(), 2);
#endif
}

// The stamp is trusted only for the cache it was written with; without it, the cache
// stands only when the sources are gone. A workbook changed within the second the cache's
// layout keeps, at the same size, is told by its time to the nanosecond and its inode,
// which the stamp keeps.
TEST_F(Cache, The_Stamp_Beside_The_Cache) {
    const QString stamp = cache + QStringLiteral(".stamp");
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    const QByteArray good = Read_Bytes(stamp), goodCache = Read_Bytes(cache);
    ASSERT_TRUE(good.startsWith("Sifa_Soft cache stamp 2\n")) << good.toStdString();
    session.Records().Resize(3, 17);
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    const QByteArray otherCache = Read_Bytes(stamp);
    Write_Bytes(cache, goodCache);
    const Change cases[] = {
        {"missing", [&] { QFile::remove(stamp); }},
        {"cut short", [&] { Write_Bytes(stamp, good.left(good.size() - 3)); }},
        {"a number spoilt", [&] { Write_Bytes(stamp, QByteArray(good).replace(" 1000 ", " 10x0 ")); }},
        {"of another cache", [&] { Write_Bytes(stamp, otherCache); }},
        {"workbook rewritten in place",
         [&] {
             Write_Bytes(source, QByteArray(1000, 'y'));
             Set_Time(source, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 891)));
         }},
        // Last: the workbook is another file from then on.
        {"workbook replaced by another file of the same time",
         [&] {
             const QString other = dir.filePath(QStringLiteral("other"));
             Write_Bytes(other, QByteArray(1000, 'y'));
             Set_Time(other, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 890)));
             ASSERT_TRUE(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(source).constData()) == 0);
         }},
    };
    for (const auto& c : cases) {
        Write_Bytes(stamp, good);
        Make_Sources();
        ASSERT_EQ(Load(), 2) << c.name;
        c.make();
        EXPECT_EQ(Load(), -1) << c.name;
        QFile::rename(source, source + QStringLiteral(".away"));
        QFile::rename(refs, refs + QStringLiteral(".away"));
        EXPECT_EQ(Load(), 2) << c.name;  // only the cache is left: it is the data
        QFile::rename(source + QStringLiteral(".away"), source);
        QFile::rename(refs + QStringLiteral(".away"), refs);
    }
}

// The stamp's line of columns helps the load and is never a source of records: a stamp of the first
// kind (without it) and a line that does not fit the file still load. With it, each column is read
// when first asked for: offsets that fit but lie, or a bad tag, are caught by the cells then; the
// column reads as empty and the stamp goes, so that the next start imports the workbook again.
TEST_F(Cache, The_Columns_Line_Of_The_Stamp) {
    const QString stamp = cache + QStringLiteral(".stamp");
    ASSERT_EQ(Save_Data_Cache(session.Records(), source, refs, cache), Cache_Save::Written);
    const QByteArray good = Read_Bytes(stamp), head = good.left(good.indexOf("columns ")),
                     goodCache = Read_Bytes(cache);
    const QList<QByteArray> at = good.mid(head.size() + 8).trimmed().split(' ');
    ASSERT_EQ(at.size(), 19);  // 18 columns and the end
    EXPECT_EQ(at.last().toLongLong(), QFileInfo(cache).size());
    // Column 1 said to begin one empty cell late: both columns still read without a bad tag.
    QByteArray moved = head + "columns";
    for (qsizetype i = 0; i < at.size(); ++i) moved += ' ' + QByteArray::number(at[i].toLongLong() + (i == 1 ? 2 : 0));
    QByteArray badTag = goodCache;
    qToLittleEndian(quint16(9), badTag.data() + at[1].toLongLong());
    const struct {
        QByteArray stamp, cache;
        qint32 loaded;
        bool damaged;
    } cases[] = {
        {good, goodCache, 2, false},
        {QByteArray(head).replace("stamp 2", "stamp 1"), goodCache, 2, false},  // the first kind
        {QByteArray(good).replace(" " + at.last() + "\n", "\n"), goodCache, 2, false},  // one offset too few
        {moved + '\n', goodCache, 2, true},
        {good, badTag, 2, true},
        {QByteArray(head).replace("stamp 2", "stamp 1"), badTag, -1, false},  // read whole at the load
        {head + "columns x\n", goodCache, -1, false},
        {QByteArray(good).replace("stamp 2", "stamp 1"), goodCache, -1, false},
    };
    for (const auto& c : cases) {
        Write_Bytes(stamp, c.stamp);
        Write_Bytes(cache, c.cache);
        ASSERT_EQ(Load(), c.loaded) << c.stamp.toStdString();
        if (c.loaded < 0) continue;
        const Records_Table& t = session.Records();
        EXPECT_EQ(t(2, 4), Value::String(QStringLiteral("Réseau")));
        EXPECT_EQ(t(1, 1), c.damaged ? Value() : Value::Double(2024)) << c.stamp.toStdString();
        EXPECT_EQ(t.Damaged(), c.damaged);
        EXPECT_EQ(QFileInfo::exists(stamp), !c.damaged);
        if (c.damaged) { EXPECT_EQ(Load(), -1); }  // the workbook is imported again
    }
}
