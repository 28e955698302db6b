// Quick find on every record of the benchmark workbook (SIFA_BENCH_BOOK, default
// /tmp/sifa_bench/Sifa_table.xls, 65,535 records from tools/make_sample_data.py), or of a
// data folder's cache (SIFA_BENCH_DIR): the time one keystroke takes from the box's new
// text to the narrowed result and its count line, and what the window does when the box
// takes the focus. A letter typed on looks among the last matches, a deleted letter through
// every row again.
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "search/Search_Run.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>

// The one session this program works on.
static Session session;

namespace {

bool Loaded() {
    static const bool ok = Load_Bench_Workbook(session);
    return ok;
}

Criteria Everything() {
    Criteria c;
    c.Rows[0] = {true, session.Description().Fields().Number(QStringLiteral("Year")), Op_Empty, {}, true};
    return c;
}

const QString Typed = QStringLiteral("mobility");

// A new result, its texts not folded yet.
void New_Result(Search_Results& r) {
    Apply_Quick_Find(r, QString());
    Run_Search(session, r, Everything());
}

void BM_Quick_Find_Box_Takes_Focus(benchmark::State& s) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    Search_Results r{session};
    for (auto _ : s) {
        s.PauseTiming();
        New_Result(r);
        s.ResumeTiming();
        r.Finder.Prepare(r.Model);
    }
}

// Keystroke k of typing Typed into the box (k = 1: the first letter, the texts folded
// when `prepared`); with `deleted`, the keystroke that deletes the last of k + 1 letters.
void Keystroke(benchmark::State& s, bool deleted, bool prepared = true) {
    if (!Loaded()) return s.SkipWithError("no workbook");
    const auto k = static_cast<qsizetype>(s.range(0));
    Search_Results r{session};
    Run_Search(session, r, Everything());
    for (auto _ : s) {
        s.PauseTiming();
        if (k == 1 && !deleted) {
            New_Result(r);
            if (prepared) r.Finder.Prepare(r.Model);
        }
        for (qsizetype i = 1; i < (deleted ? k + 2 : k); ++i) Apply_Quick_Find(r, Typed.left(i));
        s.ResumeTiming();
        Apply_Quick_Find(r, Typed.left(k));
    }
    s.counters["shown"] = r.Model.Records();
}

void BM_Quick_Find_Typed_Letter(benchmark::State& s) { Keystroke(s, false); }
void BM_Quick_Find_Deleted_Letter(benchmark::State& s) { Keystroke(s, true); }
// The first letter typed while the texts are not folded: into the box that kept the focus
// through a new search.
void BM_Quick_Find_Unprepared_First_Letter(benchmark::State& s) { Keystroke(s, false, false); }

BENCHMARK(BM_Quick_Find_Box_Takes_Focus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Quick_Find_Typed_Letter)->DenseRange(1, 4)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Quick_Find_Deleted_Letter)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Quick_Find_Unprepared_First_Letter)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
