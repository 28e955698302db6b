// What sifa-query does when the system works against it: unreadable code tables, targets
// it cannot or must not replace, closed descriptors, paths that are not UTF-8.
#include "Query_Fixture.h"

#include <unistd.h>

namespace {

struct Query_Faults : Query {
    // A bash script; $0 is sifa-query, $1 the sample folder, then `more`.
    static Query_Run Script(const QString& script, const QStringList& more = {}) {
        return Run(QStringList{"-c", script, SIFA_QUERY_EXE, dir->path()} + more, {}, QStringLiteral("bash"));
    }
};

}  // namespace

TEST_F(Query_Faults, Unreadable_Code_Tables_Stop_Before_Any_Import) {
    const struct {
        const char* name;
        std::function<void(const QString&)> make;  // Code_Table.dat's path
        const char* why;
    } cases[] = {
        {"missing", [](const QString&) {}, "the file is missing"},
        {"a folder", [](const QString& p) { QDir().mkpath(p); }, "it is not a file"},
        {"not readable",
         [](const QString& p) {
             QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), p);
             QFile(p).setPermissions({});
         },
         "permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (geteuid() == 0 && QByteArray(c.why) == "permission denied") continue;  // root reads it all the same
        QTemporaryDir folder;
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), folder.filePath("Sifa_table.xls"));
        const QString refs = folder.filePath("Refs.dat");
        c.make(refs);
        const QByteArray lines = QStringLiteral(
                                     "The code tables could not be read from \"%1\": %2\n"
                                     "Can't launch application... Exiting.\n")
                                     .arg(QDir::toNativeSeparators(refs), QLatin1String(c.why))
                                     .toUtf8();
        const Query_Run check = Sifa_Query({"--check"}, folder.path());
        EXPECT_EQ(check.code, 1);
        EXPECT_EQ(check.out, lines);
        const Query_Run count = Sifa_Query({"--count"}, folder.path());
        EXPECT_EQ(count.code, 1);
        EXPECT_EQ(count.err, lines);
        EXPECT_FALSE(QFile::exists(folder.filePath("Data.dat")));
    }
}

TEST_F(Query_Faults, Pdf_Appears_Whole_Or_Not_At_All) {
#ifndef SIFA_QUERY_PDF
    GTEST_SKIP() << "built without the list printer (engine-only build)";
#endif
    const QString pdf = dir->filePath("kept.pdf");
    ASSERT_EQ(Sifa_Query({"-c", "EM:Equal:FR", "--pdf", pdf}).code, 0);
    const QByteArray good = Read_Bytes(pdf);
    ASSERT_TRUE(good.startsWith("%PDF-"));
    // A file size limit stands in for a full disk: the write fails part way.
    for (const char* criterion : {"EM:Equal:FR", "Year:Equal:1800"}) {
        SCOPED_TRACE(criterion);
        const Query_Run r =
            Script("trap '' XFSZ; ulimit -f 2; exec \"$0\" --dir \"$1\" -c \"$2\" --pdf \"$3\"", {criterion, pdf});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, QStringLiteral("cannot write the PDF file \"%1\": the file is too large\n").arg(pdf).toUtf8());
        EXPECT_EQ(Read_Bytes(pdf), good);
    }
    const QString fifo = dir->filePath("pipe.pdf");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& target : {QStringLiteral("/dev/full"), fifo}) {
        const Query_Run r = Sifa_Query({"-c", "Year:Equal:1800", "--pdf", target});
        EXPECT_EQ(r.code, 1) << target.toStdString();  // at once, without waiting for a reader
        EXPECT_EQ(r.err,
                  QStringLiteral("cannot write the PDF file \"%1\": it is not a regular file\n").arg(target).toUtf8());
    }
    const QStringList left = QDir(dir->path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

TEST_F(Query_Faults, Output_Targets) {
    const QString csv = dir->filePath("target.csv");
    // Into a pipe by its name, as a shell would write it.
    const Query_Run piped = Script("\"$0\" --dir \"$1\" -c EM:Equal:FR -o /dev/stdout | cat");
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.out, Sifa_Query({"-c", "EM:Equal:FR"}).out);

    Write_Bytes(csv, "mine");
    QFile(csv).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QString link = dir->filePath("dangling.csv");
    QFile::link(dir->filePath("gone/target.csv"), link);
    const QString fifo = dir->filePath("unread.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto& [target, why] : {std::pair{csv, "permission denied"},
                                      {link, "the link's target is missing"},
                                      {fifo, "no program reads from the pipe"}}) {
        const Query_Run w = Sifa_Query({"-c", "EM:Equal:FR", "-o", target});
        EXPECT_EQ(w.code, 1) << why;
        EXPECT_EQ(w.err, QStringLiteral("The file \"%1\" could not be written: %2\n").arg(target, why).toUtf8());
    }
    EXPECT_EQ(Read_Bytes(csv), QByteArray("mine"));
}

// The ranges are merged, never expanded one number at a time: a long list answers in
// little memory as the short one does.
TEST_F(Query_Faults, Long_Range_Lists_Stay_Small) {
    const QString ranges = QStringLiteral("1-9999,").repeated(2000) + QStringLiteral("15e-1");
#ifdef __SANITIZE_ADDRESS__
    const QString limit;  // the sanitizer reserves its shadow memory up front
#else
    const QString limit = QStringLiteral("ulimit -v 400000; ");
#endif
    const Query_Run r = Script(limit + "exec \"$0\" --dir \"$1\" -c EM:Equal:FR --fields \"Custom=$2\"", {ranges});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, Sifa_Query({"-c", "EM:Equal:FR", "--fields", "Custom=1-17"}).out);
}

TEST_F(Query_Faults, A_Closed_Output_Is_Reported_As_Closed) {
    const Query_Run r = Script("exec \"$0\" --dir \"$1\" --count >&-");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QByteArray("sifa-query: the output could not be written: standard output is closed\n"));
}

// Paths are the system's bytes: a folder and files named in Latin-1, also under LANG=C.
TEST_F(Query_Faults, Paths_Are_Taken_As_The_System_Gives_Them) {
    const QString script = QStringLiteral(R"(
        d="$2/donn$(printf '\351')es"; mkdir "$d" && cp "$1/Refs.dat" "$1/Sifa_table.xls" "$d/" || exit 9
        for lang in C.UTF-8 C; do
            export LANG=$lang LC_ALL=$lang
            "$0" --dir "$d" --count -c EM:Equal:FR || exit 1
            "$0" --dir "$d" -c EM:Equal:FR -o "$d/r$(printf '\351')sultat.csv" || exit 2
            test -s "$d/r$(printf '\351')sultat.csv" || exit 3
            "$0" --dump-sheet "$d/Sifa_table.xls" | sed -n 1p
            test ${PIPESTATUS[0]} = 0 || exit 4
            if [ "$3" = pdf ]; then
                "$0" --dir "$d" -c Year:Equal:1800 --pdf "$d/liste $(printf '\351').pdf" || exit 5
                test -s "$d/liste $(printf '\351').pdf" || exit 6
            fi
        done)");
    QTemporaryDir scratch;
#ifdef SIFA_QUERY_PDF
    const QString pdf = QStringLiteral("pdf");
#else
    const QString pdf;
#endif
    const Query_Run r = Script(script, {scratch.path(), pdf});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("48 Records found\n1\t1\ttext\tYear\n").repeated(2));
}

// A column of the cache is read when a query first needs it: damaged, the query fails and
// says so, and the next one reads the workbook again.
TEST_F(Query_Faults, A_Damaged_Cache_Column_Fails_The_Query) {
    QTemporaryDir folder;
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), folder.filePath("Sifa_table.xls"));
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), folder.filePath("Refs.dat"));
    const QStringList count{"-c", "!Year:Empty", "--count"};
    const Query_Run imported = Sifa_Query(count, folder.path());
    ASSERT_EQ(imported.code, 0);
    Damage_Cache_Column(folder.filePath("Data.dat"), 1);
    const Query_Run damaged = Sifa_Query(count, folder.path());
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(damaged.out.isEmpty());  // no count read from the damage
    EXPECT_TRUE(damaged.err.contains("The cache Data.dat is damaged")) << damaged.err.toStdString();
    EXPECT_EQ(Sifa_Query(count, folder.path()).out, imported.out);
}
