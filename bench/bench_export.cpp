// The export files of every record of the benchmark workbook (SIFA_BENCH_BOOK, default
// /tmp/sifa_bench/Sifa_table.xls, 65,535 records from tools/make_sample_data.py): the
// .xlsx workbook of the field sets "Short" and "All", streamed, beside the CSV file.
#include "model/Load_Records.h"
#include "model/Session.h"
#include "output/Workbook_Export.h"
#include "search/Field_Sets.h"
#include "search/Result_Text.h"
#include "search/Search_Run.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

// The one session this program works on.
static Session session;

namespace {

bool Loaded() {
    static const bool ok = Load_Bench_Workbook(session);
    return ok;
}

// Every record, as "Year Not Empty" finds them.
bool Every_Record(Search_Results& r) {
    if (!Loaded()) return false;
    Criteria c;
    c.Rows[0] = {true, session.Description().Fields().Number(QStringLiteral("Year")), Op_Empty, {}, true};
    Run_Search(session, r, c);
    return true;
}

void Export_File(benchmark::State& s, int set, bool workbook) {
    Search_Results r{session};
    if (!Every_Record(r)) return s.SkipWithError("no workbook");
    const QString file = QDir::temp().filePath(workbook ? QStringLiteral("sifa_bench_export.xlsx")
                                                        : QStringLiteral("sifa_bench_export.csv"));
    const Workbook_Request request{true, true, Init_Field_Sets(session.Description(), QStringLiteral("EN")).Sets[set],
                                   QStringLiteral("Selection criteria are Year Not Empty"), QString()};
    for (auto _ : s) {
        const QString failure =
            workbook ? Write_Workbook_File(file, r, request) : File_Button(file, r, true, true, request.Column_Export);
        if (!failure.isEmpty()) return s.SkipWithError(failure.toUtf8().constData());
    }
    s.counters["records"] = r.Result_Rows();
    s.counters["MB"] = QFileInfo(file).size() / 1e6;
    QFile::remove(file);
}

void BM_Workbook_Short(benchmark::State& s) { Export_File(s, 0, true); }
void BM_Workbook_All(benchmark::State& s) { Export_File(s, 1, true); }
void BM_CSV_File_All(benchmark::State& s) { Export_File(s, 1, false); }

BENCHMARK(BM_Workbook_Short)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Workbook_All)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSV_File_All)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
