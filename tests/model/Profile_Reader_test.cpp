#include "model/Profile_Reader.h"

#include "Test_Files.h"

#include <gtest/gtest.h>
#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif
#include <vector>

// The answer of a buffer too small, and of a missing file or section, is what the code
// tables' loading relies on: tested through it in Code_Tables_test.cpp.
namespace {
struct Reader_Fixture : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Refs.dat"));
    // The NUL-separated buffer content up to the answer, NULs shown as '|'.
    QString Read(const QString& section, int size, int* answer = nullptr) {
        std::vector<char16_t> buf(size, u'#');
        const int n = Get_Private_Profile_Section(section, buf.data(), size, file);
        if (answer) *answer = n;
        QString s = QString::fromUtf16(buf.data(), std::min(n + 1, size));
        s.replace(QChar(0), QLatin1Char('|'));
        return s;
    }
};
}  // namespace

TEST_F(Reader_Fixture, Lines_Of_One_Section_Trimmed_Without_Comments_Or_Blank_Lines) {
    Write_Cp1252(file, QStringLiteral("; code tables\r\n[Other]\r\nX=1\r\n[country]\r\n  FR = France  \r\n\r\n; "
                                      "comment\r\nDE=Allemagne\r\nnoequals\r\n[Next]\r\nY=2\r\n"));
    int n = 0;
    EXPECT_EQ(Read(QStringLiteral("COUNTRY"), 1024, &n), QStringLiteral("FR=France|DE=Allemagne|noequals||"));
    EXPECT_EQ(n, 32);
}

TEST_F(Reader_Fixture, Every_Line_End_And_Encoding_Reads_Alike_And_A_Change_Is_Seen_At_Once) {
    // The encodings and line ends: Cp1252_test.cpp.
    // Rewritten in place with the same size at once: the new text, not the one read before.
    Write_Bytes(file, "[T]\nA=1\n");
    ASSERT_EQ(Read_Profile_Section_Lines(QStringLiteral("T"), file), QStringList{QStringLiteral("A=1")});
    Write_Bytes(file, "[T]\nA=2\n");
    EXPECT_EQ(Read_Profile_Section_Lines(QStringLiteral("T"), file), QStringList{QStringLiteral("A=2")});
#if !defined(Q_OS_WIN)
    // A pipe in its place is no file: nothing is read, nothing waits.
    QFile::remove(file);
    ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    EXPECT_TRUE(Read_Profile_Section_Lines(QStringLiteral("T"), file).isEmpty());
#endif
}
