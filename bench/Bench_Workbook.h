#pragma once
// The benchmark workbook: SIFA_BENCH_BOOK, by default /tmp/sifa_bench/Sifa_table.xls
// (65,535 records: tools/make_sample_data.py --rows 65535), read with the code tables of
// the sample data.
#include "model/Load_Records.h"
#include "model/Session.h"

#include <QString>
#include <cstdio>

inline QString Bench_Book() {
    return qEnvironmentVariable("SIFA_BENCH_BOOK", QStringLiteral("/tmp/sifa_bench/Sifa_table.xls"));
}

// Its records into session, in English; false, and why on standard error, when none are read.
inline bool Load_Bench_Workbook(Session& session) {
    session.Set_Language(QStringLiteral("EN"));
    session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
    const Import_Result r = Import_Workbook(session, Bench_Book(), nullptr, nullptr);
    if (r.Rows <= 0)
        std::fprintf(stderr, "no records read from %s (set SIFA_BENCH_BOOK): %s\n", qPrintable(Bench_Book()),
                     qPrintable(r.Errs.join(u' ')));
    return r.Rows > 0;
}
