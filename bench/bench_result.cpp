// The search run on the records of the benchmark workbook (SIFA_BENCH_BOOK, default
// /tmp/sifa_bench/Sifa_table.xls, 65,535 records from tools/make_sample_data.py):
// searches with the result model filled, sorts of the result, the CSV text of all rows and
// the counts of the areas.
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "search/Field_Sets.h"
#include "search/Result_Text.h"
#include "search/Search_Run.h"
#include "search/Value_Counts.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>

// The one session this program works on.
static Session session;

namespace {

bool Loaded() {
    static const bool ok = Load_Bench_Workbook(session);
    return ok;
}

qint32 Item(const char* name) { return session.Description().Fields().Number(QString::fromLatin1(name)); }

Criteria Everything() {
    Criteria c;
    c.Rows[0] = {true, Item("Year"), Op_Empty, {}, true};
    return c;
}

void Search_Window(benchmark::State& s, const Criteria& c) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    for (auto _ : s) Run_Search(session, r, c);
    s.counters["found"] = r.Result_Rows();
}

void BM_Any_Fields_Content_With_Grid(benchmark::State& s) {
    Criteria c;
    // The sqlite3 peer of scripts/bench runs the same text over the same rows.
    c.Rows[0] = {true, Any_Fields, Op_Content, qEnvironmentVariable("SIFA_BENCH_TEXT", QStringLiteral("school")),
                 false};
    Search_Window(s, c);
}

void BM_All_Records_With_Grid(benchmark::State& s) { Search_Window(s, Everything()); }

void BM_Sort_One_Key(benchmark::State& s) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    Run_Search(session, r, Everything());
    for (auto _ : s) Sort_By_Heading(r.Model, r.Sort, Value::Long(Item("ProjName")));
}

void BM_Sort_Four_Keys(benchmark::State& s) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    Run_Search(session, r, Everything());
    const auto col = [&](const char* f) { return r.Model.Column_Of(Item(f)) + 1; };
    const Sort_Key_Columns keys{col("EM"), -col("Year"), col("DomReco1"), col("ProjName")};
    for (auto _ : s) {
        Sort_Key_Columns k = keys;
        Reapply_Sort_Keys(r.Model, k);
    }
}

void BM_CSV_Text_All_Rows(benchmark::State& s) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    Run_Search(session, r, Everything());
    const std::vector<bool> all = Init_Field_Sets(session.Description(), QStringLiteral("EN")).Sets[1];
    qsizetype bytes = 0;
    for (auto _ : s) bytes = Export_File_Bytes(r, true, true, all).size();
    s.counters["MB"] = bytes / 1e6;
}

// The three areas of every record, counted as one field.
void BM_Counts_Of_The_Areas(benchmark::State& s) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    Run_Search(session, r, Everything());
    size_t values = 0;
    for (auto _ : s) values = Count_Values(r, Item("DomReco1"), QStringLiteral("EN")).Rows.size();
    s.counters["values"] = static_cast<double>(values);
}

BENCHMARK(BM_Any_Fields_Content_With_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_All_Records_With_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_One_Key)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_Four_Keys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSV_Text_All_Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Counts_Of_The_Areas)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
