#pragma once
// sifa-query run as users run it: a process with arguments and a data folder holding
// the sample workbook and code tables.
#include "Test_Files.h"

#include <gtest/gtest.h>
#include <QProcess>

struct Query_Run {
    int code = -1;
    QByteArray out, err;
};

struct Query : ::testing::Test {
    static inline QTemporaryDir* dir = nullptr;
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Sifa_table.xls"), dir->filePath("Sifa_table.xls"));
        QFile::copy(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"), dir->filePath("Refs.dat"));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    // A process as users run it; `stdoutFile` takes its output in place of a pipe.
    static Query_Run Run(const QStringList& args, const QString& stdoutFile = {},
                         const QString& program = QStringLiteral(SIFA_QUERY_EXE)) {
        QProcess p;
        if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
        p.start(program, args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
    static Query_Run Sifa_Query(const QStringList& args, const QString& folder = QString()) {
        return Run(QStringList{"--dir", folder.isEmpty() ? dir->path() : folder} + args);
    }
};
