#pragma once
// The benchmark workbook: SIFA_BENCH_BOOK, by default /tmp/sifa_bench/Sifa_table.xls
// (65,535 records: tools/make_sample_data.py --rows 65535), read with the code tables of
// the sample data; or, with SIFA_BENCH_DIR, the cache of a data folder.
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"

#include <QFileInfo>
#include <QString>
#include <cstdio>

inline QString Bench_Book() {
    return qEnvironmentVariable("SIFA_BENCH_BOOK", QStringLiteral("/tmp/sifa_bench/Sifa_table.xls"));
}

// A data folder's own cache beside its workbook, as the program meets it at start-up: the
// 1,048,575 records of tools/make_big_table.py, for instance.
inline bool Load_Bench_Folder(Session& session, const QString& dir) {
    QString book = dir + QStringLiteral("/Sifa_table.xls");
    if (!QFileInfo::exists(book)) book += QLatin1Char('x');
    session.Records().Clear();
    return Load_Data_Cache(session.Records(), book, dir + QStringLiteral("/Refs.dat"),
                           dir + QStringLiteral("/Data.dat")) > 0;
}

// Its records into session, in English; false, and why on standard error, when none are read.
inline bool Load_Bench_Workbook(Session& session) {
    session.Set_Language(QStringLiteral("EN"));
    session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    if (const QString dir = qEnvironmentVariable("SIFA_BENCH_DIR"); !dir.isEmpty()) {
        if (Load_Bench_Folder(session, dir)) return true;
        std::fprintf(stderr, "the cache of %s (SIFA_BENCH_DIR) was refused\n", qPrintable(dir));
        return false;
    }
    const Import_Result r = Import_Workbook(session, Bench_Book(), nullptr, nullptr);
    if (r.Rows <= 0)
        std::fprintf(stderr, "no records read from %s (set SIFA_BENCH_BOOK): %s\n", qPrintable(Bench_Book()),
                     qPrintable(r.Errs.join(u' ')));
    return r.Rows > 0;
}
