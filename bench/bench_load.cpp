// Loading the records: workbook import with validation, cache write, cache load.
// The workbook is SIFA_BENCH_BOOK (default /tmp/sifa_bench/Sifa_table.xls, written by
// tools/make_sample_data.py --rows 65535), the code tables those of the sample data.
//
//   bench_load                      Google Benchmark of the three steps
//   bench_load --import-once        one import, for a peak-memory reading
//   bench_load --freexl-once        the bare FreeXL read of every cell, as the peer
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <freexl.h>

#include <cstdio>
#include <sys/resource.h>
#include <cstring>

namespace {

QString Book()
{
    return qEnvironmentVariable("SIFA_BENCH_BOOK", QStringLiteral("/tmp/sifa_bench/Sifa_table.xls"));
}
QString Refs() { return QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"); }
QString Cache() { return QDir::tempPath() + QStringLiteral("/sifa_bench_Data.dat"); }

void Set_Up()
{
    Build_Record_Description();
    Load_Code_Tables(Refs());
}

bool Import_Once()
{
    const Import_Result r = Import_Workbook(Book(), nullptr, nullptr);
    if (!r.Errs.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(r.Errs.first()));
    return r.Rows > 0;
}

// Every cell of the first sheet, as a program that only reads would.
long long FreeXL_Once()
{
    const void* h = nullptr;
    if (freexl_open(QFile::encodeName(Book()).constData(), &h) != FREEXL_OK) return -1;
    unsigned int rows = 0;
    unsigned short cols = 0;
    long long chars = 0;
    freexl_select_active_worksheet(h, 0);
    freexl_worksheet_dimensions(h, &rows, &cols);
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) continue;
            if (v.type == FREEXL_CELL_SST_TEXT || v.type == FREEXL_CELL_TEXT) chars += std::strlen(v.value.text_value);
            else chars += 1;
        }
    freexl_close(h);
    return chars;
}

void BM_FreeXL_Read(benchmark::State& s)
{
    for (auto _ : s) benchmark::DoNotOptimize(FreeXL_Once());
}

void BM_Import(benchmark::State& s)
{
    Set_Up();
    for (auto _ : s) {
        if (!Import_Once()) s.SkipWithError("import failed");
    }
}

void BM_Cache_Write(benchmark::State& s)
{
    Set_Up();
    if (!Import_Once()) s.SkipWithError("import failed");
    for (auto _ : s) {
        if (Save_Data_Cache(Book(), Refs(), Cache()) != Cache_Save::Written) s.SkipWithError("cache not written");
    }
}

void BM_Cache_Load(benchmark::State& s)
{
    Set_Up();
    if (!Import_Once() || Save_Data_Cache(Book(), Refs(), Cache()) != Cache_Save::Written)
        s.SkipWithError("no cache");
    for (auto _ : s) {
        // At start-up there is no table to free first.
        s.PauseTiming();
        Records_Table.Clear();
        s.ResumeTiming();
        if (Load_Data_Cache(Book(), Refs(), Cache()) <= 0) s.SkipWithError("cache refused");
    }
    QFile::remove(Cache());
}

BENCHMARK(BM_FreeXL_Read)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Cache_Write)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Cache_Load)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--import-once") == 0) {
        Set_Up();
        const bool ok = Import_Once();
        // The workbook is read in a child process: report both peaks, the program's and the reader's.
        rusage self{}, child{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &child);
        std::printf("peak MB: program %.1f reader %.1f\n", self.ru_maxrss / 1024.0, child.ru_maxrss / 1024.0);
        return ok ? 0 : 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "--freexl-once") == 0) return FreeXL_Once() >= 0 ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
