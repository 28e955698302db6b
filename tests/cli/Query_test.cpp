#include "Query_Fixture.h"
#include "workbook/Workbook_Reader.h"

#include <QFileInfo>
#include <QRegularExpression>

TEST_F(Query, Answers) {
    const struct {
        QStringList args;
        int code;
        const char* out;  // expected standard output, exactly
    } cases[] = {
        {{"--count"}, 0, "No match\n"},
        {{"-c", "!Year:Empty", "--count"}, 0, "400 Records found\n"},
        {{"-c", "Year:Equal:1800", "--count"}, 0, "No match\n"},
        {{"-c", "EM:0:DE", "-c", "!Year:Empty", "--and", "--describe", "--sort", "Year:desc"},
         0,
         "Selection criteria are MS of coordinator Equal \"Germany\" And Year Not Empty\n"
         "Ordered by Year (Descending)\n"},
        {{"--lang", "FR", "-c", "EM:egal:DE", "-c", "*:Contient:zzzz", "--describe", "--sort-keys", "EM,-Year"},
         0,
         "Selection criteria are EM du porteur Egal \"Allemagne\" or [Any fields] Contient \"zzzz\"\n"
         "Ordered by EM du porteur, Année (Descending)\n"},
        // "fr" is France as "FR" is; the share takes the language's decimal mark.
        {{"--lang", "FR", "-c", "EM:Equal:FR", "--counts", "EM"},
         0,
         "\"Value\";\"Count\";\"Share\"\r\n\"France\";48;100,0\r\n"},
        {{"-c", "Proj#:Equal:2388", "--counts", "Area of reco"},
         0,
         "\"Value\";\"Count\";\"Share\"\r\n\"Mobility and transport\";1;100.0\r\n"},
    };
    for (const auto& c : cases) {
        const Query_Run r = Sifa_Query(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, QByteArray(c.out)) << c.args.join(' ').toStdString();
    }
}

TEST_F(Query, Usage_Errors_Are_One_Line_And_Exit_2) {
    const QStringList cases[] = {
        {"--bogus"},
        {"--lang", "DE"},
        {"-c"},
        {"-c", "Year"},
        {"-c", "Nothing:Equal:1"},
        {"-c", "EM:Content:DE"},  // not offered for a coded field
        {"-c", "EM:Equal:ZZ"},  // "Unkownn code"
        {"-c", "Year:Equal:19x8"},  // "Not numeric"
        {"-c", "!:Equal"},
        {"-c", "Year:8", "-c", "EM:8", "-c", "ProjName:8", "-c", "Reco#:8"},
        {"--sort", "Nothing"},
        {"--sort", "Year", "--sort-keys", "EM"},
        {"--sort-keys", "EM,Year,Proj#,Reco#,ProjName"},
        {"--fields", "Some"},
        {"--format", "wide"},
        {"--record", "99999"},
        {"--record", "0"},  // only whole numbers from 1 to the count
        {"--record", "1.5"},
        {"--count", "--describe"},
        {"--counts", "Nothing"},
        {"--counts", "EM", "--count"},
        {"--pdf", "out.pdf", "--clip"},
        {"--clip", "-o", "out.xlsx"},
        {"--pdf", ""},
        // The text field of the other language is in neither language's list.
        {"--lang", "FR", "-c", "RecoEN:Content:a"},
        {"-c", "RecoFr:Content:a"},
    };
    for (const QStringList& args : cases) {
        const Query_Run r = Sifa_Query(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("sifa-query: ")) << r.err.toStdString();
    }
    EXPECT_TRUE(Sifa_Query({"-c", "EM:Equal:ZZ"}).err.contains("Unkownn code"));
}

// "sante" is no code nor label while accents count; ignoring them it is "Santé", and a text
// criterion without accents finds the texts that have them as well.
TEST_F(Query, Ignore_Accents) {
    EXPECT_EQ(Sifa_Query({"--lang", "FR", "-c", "DomReco1:Equal:sante", "--count"}).code, 2);
    const Query_Run by_code = Sifa_Query({"--lang", "FR", "-c", "DomReco1:Equal:H", "--count"});
    const Query_Run folded = Sifa_Query({"--lang", "FR", "--ignore-accents", "-c", "DomReco1:Equal:sante", "--count"});
    EXPECT_EQ(folded.code, 0) << folded.err.toStdString();
    EXPECT_EQ(folded.out, by_code.out);
    EXPECT_NE(by_code.out, "No match\n");
    const auto found = [](const Query_Run& r) { return r.out.split(' ').first().toInt(); };
    const int heeded = found(Sifa_Query({"--lang", "FR", "-c", "RecoFr:Contient:ecole", "--count"}));
    const int ignored =
        found(Sifa_Query({"--lang", "FR", "--ignore-accents", "-c", "RecoFr:Contient:ecole", "--count"}));
    EXPECT_GT(ignored, heeded);
    EXPECT_EQ(ignored,
              found(Sifa_Query({"--lang", "FR", "--ignore-accents", "-c", "RecoFr:Contient:ÉCOLE", "--count"})));
}

TEST_F(Query, Output_Is_The_Export_File) {
    const QStringList args{"-c", "EM:Equal:FR", "--sort", "ProjName", "--fields", "Custom=1-4,7,14"};
    const Query_Run shown = Sifa_Query(args);
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    const QString file = dir->filePath("out.csv");
    ASSERT_EQ(Sifa_Query(args + QStringList{"-o", file}).code, 0);
    EXPECT_EQ(Read_Bytes(file), shown.out);
    // The chosen columns (the export's own format: Result_Text_test.cpp).
    EXPECT_TRUE(shown.out.startsWith(
        "\"Year\";\"Project number\";\"Reco Number\";\"Project name\";\"MS of coordinator\";\"Reco Text\"\r\n"));

    const Query_Run clip = Sifa_Query(args + QStringList{"--clip", "--format", "list", "--no-labels"});
    EXPECT_EQ(clip.code, 0);
    // One value per line, records separated by an empty line, no separator at all.
    const int records = Sifa_Query(QStringList{"-c", "EM:Equal:FR", "--count"}).out.split(' ').first().toInt();
    EXPECT_GT(records, 0);
    EXPECT_EQ(clip.out.count("\r\n\r\n"), records);
    EXPECT_EQ(clip.out.count("\r\n"), records * 7);
    EXPECT_FALSE(clip.out.contains('\t'));
}

TEST_F(Query, Output_That_Cannot_Be_Written_Is_Reported_And_Fails) {
    const QString missing = dir->filePath("no such folder/out.csv");
    struct Case {
        const char* name;
        QStringList args;
        QString stdoutFile;  // "" for a pipe
        const char* err;
    } cases[] = {
        {"file in a missing folder",
         {"-c", "!Year:Empty", "-o", missing},
         "",
         "could not be written: the folder does not exist"},
        {"full disk",
         {"-c", "!Year:Empty"},
         "/dev/full",
         "sifa-query: the output could not be written: the disk is full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.stdoutFile.isEmpty() && !QFileInfo::exists(c.stdoutFile)) continue;
        const Query_Run r = Run(QStringList{"--dir", dir->path()} + c.args, c.stdoutFile);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
    // A reader that stops early: more than a pipe holds, and the pipe closed after 100 bytes.
    const Query_Run closed = Run({"-c",
                                  "\"$0\" --dir \"$1\" -c '!Year:Empty' --fields All --format list | head -c 100 "
                                  ">/dev/null; exit ${PIPESTATUS[0]}",
                                  SIFA_QUERY_EXE, dir->path()},
                                 {}, "bash");
    EXPECT_EQ(closed.code, 1);
    EXPECT_TRUE(closed.err.contains("the output was closed")) << closed.err.toStdString();
}

TEST_F(Query, Record_And_Check) {
    const Query_Run rec = Sifa_Query({"--record", "3", "--lang", "FR"});
    EXPECT_EQ(rec.code, 0);
    EXPECT_EQ(rec.out.count('\n'), 16);
    EXPECT_TRUE(rec.out.startsWith("Ann\303\251e: "));
    EXPECT_EQ(Sifa_Query({"--record", "400"}).code, 0);  // the last one
    const Query_Run clean = Sifa_Query({"--check"});
    EXPECT_EQ(clean.code, 0);
    EXPECT_EQ(clean.out, QByteArray());  // the sample workbook has no problem cell

    // Problem lines: the welcome window's tests and the workbooks of every format below.
    QTemporaryDir bad;
    QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), bad.filePath("Refs.dat"));
    const Query_Run none = Sifa_Query({"--check"}, bad.path());
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, QByteArray("No input data (no file found)\nNo Data loaded\n"));
    EXPECT_EQ(Sifa_Query({"--count"}, bad.path()).code, 1);
}

// One table saved by LibreOffice in each format, and an .xlsx under the classic name: the
// same records and problem lines through the whole import (tests/data/lo_fixture.md).
TEST_F(Query, Workbooks_Of_Every_Format_Load_Alike) {
    for (const auto& [fixture, name] : {std::pair{"lo_fixture.xls", "Sifa_table.xls"},
                                        {"lo_fixture.xlsx", "Sifa_table.xlsx"},
                                        {"lo_fixture.ods", "Sifa_table.ods"},
                                        {"lo_fixture.xlsx", "Sifa_table.xls"}}) {
        SCOPED_TRACE(fixture + std::string(" as ") + name);
        QTemporaryDir folder;
        QFile::copy(QStringLiteral(SIFA_TEST_DATA "/") + QLatin1String(fixture), folder.filePath(name));
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), folder.filePath("Refs.dat"));
        const Query_Run check = Sifa_Query({"--check"}, folder.path());
        EXPECT_EQ(check.code, 0);
        EXPECT_EQ(check.out, QByteArray("Cell C4: \"2012-03-04\" Not numeric -> Ignored\n"
                                        "Cell B6: \"Error 2042\" Not numeric -> Ignored\n"
                                        "Cell C6: \"Error 2007\" Not numeric -> Ignored\n"
                                        "Cell G9: \"XX\" Unknown code -> Ignored\n"));
        const Query_Run formulas = Sifa_Query({"--record", "2"}, folder.path());
        EXPECT_TRUE(formulas.out.startsWith("Year: 2012\nProject number: 102\n"))
            << formulas.out.left(60).toStdString();
        EXPECT_TRUE(formulas.out.contains("Project name: \305\201\303\263d\305\272\n"));  // Łódź
        const Query_Run kinds = Sifa_Query({"--record", "5"}, folder.path());
        EXPECT_TRUE(kinds.out.contains("Project name: Error 2042\n")) << kinds.out.toStdString();
        const Query_Run longText = Sifa_Query({"--record", "6"}, folder.path());
        const QList<QByteArray> lines = longText.out.split('\n');
        EXPECT_EQ(lines.value(12).size(), qsizetype(17000 + QByteArray("Reco Text: ").size()));
    }
}

TEST_F(Query, Pdf_Is_The_Printed_List) {
#ifndef SIFA_QUERY_PDF
    GTEST_SKIP() << "built without the list printer (engine-only build)";
#endif
    const QString pdf = dir->filePath("list.pdf");
    const QStringList args{"-c", "EM:Equal:FR", "--sort", "ProjName", "--fields", "Custom=1-4,7,14"};
    const Query_Run r = Sifa_Query(args + QStringList{"--pdf", pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    ASSERT_TRUE(Read_Bytes(pdf).startsWith("%PDF-"));

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* line : {"The Sifa recommendations", "Page 1",
                             "Selection criteria are MS of coordinator Equal \"France\"", "Ordered by Project name"})
        EXPECT_TRUE(printed.contains(line)) << line;
    EXPECT_TRUE(printed.contains(QRegularExpression("MS of coordinator:\\s+France")));
    EXPECT_FALSE(printed.contains("Name of coordinator:"));  // not in the chosen set
}

TEST_F(Query, Output_Named_Xlsx_Is_A_Workbook_Of_The_Export) {
#ifndef SIFA_QUERY_XLSX
    GTEST_SKIP() << "built without the output layer (engine-only build)";
#endif
    const QString file = dir->filePath("out.XLSX");
    const QStringList args{"-c", "EM:Equal:FR", "--sort", "ProjName", "--fields", "Custom=1-4,7,14"};
    const Query_Run r = Sifa_Query(args + QStringList{"-o", file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    Sheet_Cells sheet;
    ASSERT_TRUE(Read_Workbook(file, sheet, Reader_Place::In_Process).Ok());
    // Its cells are those of the CSV file (the output tests compare them one by one).
    const int records = Sifa_Query(QStringList{"-c", "EM:Equal:FR", "--count"}).out.split(' ').first().toInt();
    EXPECT_EQ(sheet.Last_Row_Column_A(), static_cast<quint32>(records) + 1);
    EXPECT_EQ(sheet.At(0).V, Cell_Value::Of_Text("Year"));
    EXPECT_EQ(sheet.At(6).V.Kind, Cell_Kind::Number);

    const Query_Run bad = Sifa_Query({"-o", dir->filePath("no such folder/out.xlsx")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("could not be written: the folder does not exist")) << bad.err.toStdString();
}
