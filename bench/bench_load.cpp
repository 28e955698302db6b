// Loading the records: workbook import with validation, cache write, cache load.
// The import is timed in fresh processes only: the program imports once, at start-up,
// and a reader forked from a process that has already loaded everything once is slower
// than the one the program starts.
// The workbook is SIFA_BENCH_BOOK (default /tmp/sifa_bench/Sifa_table.xls, written by
// tools/make_sample_data.py --rows 65535), the code tables those of the sample data.
//
//   bench_load                      Google Benchmark of the cache write and load
//   bench_load --import-once        one import in a fresh process: its time, and its peak
//                                   memory with its reader's, apart and at once
//   bench_load --cache-once         one cache load in a fresh process (the cache written first)
//   bench_load --freexl-once        the bare FreeXL read of every cell, as the peer
// BM_Code_Tables/N is the start-up work on a Code_Table.dat of N codes per table and language:
// the tables loaded, then every language version checked against the master.
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#if SIFA_HAVE_FREEXL
#include <freexl.h>
#endif

#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

// The one session this program works on.
static Session session;

namespace {

QString Refs_File() { return QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"); }
QString Cache() { return QDir::tempPath() + QStringLiteral("/sifa_bench_Data.dat"); }

void Set_Up() { session.Load_Code_Tables(Refs_File()); }

bool Import_Once() {
    const Import_Result r = Import_Workbook(session, Bench_Book(), nullptr, nullptr);
    if (!r.Errs.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(r.Errs.first()));
    return r.Rows > 0;
}

#if SIFA_HAVE_FREEXL
// Every cell of the first sheet, as a program that only reads would.
long long FreeXL_Once() {
    const void* h = nullptr;
    if (freexl_open(QFile::encodeName(Bench_Book()).constData(), &h) != FREEXL_OK) return -1;
    unsigned int rows = 0;
    unsigned short cols = 0;
    long long chars = 0;
    freexl_select_active_worksheet(h, 0);
    freexl_worksheet_dimensions(h, &rows, &cols);
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) continue;
            if (v.type == FREEXL_CELL_SST_TEXT || v.type == FREEXL_CELL_TEXT)
                chars += std::strlen(v.value.text_value);
            else
                chars += 1;
        }
    freexl_close(h);
    return chars;
}
#endif

// Resident MB of a process, 0 once it has gone.
double Resident_MB(long pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long pages = 0, resident = 0;
    if (!(statm >> pages >> resident)) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024.0) / 1024.0;
}

// The most memory this process and its children held at the same moment, sampled every
// millisecond while it lives.
class Peak_Sampler {
public:
    Peak_Sampler() : thread_([this] { Run(); }) {}
    ~Peak_Sampler() { Stop(); }
    double Stop() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
        return peak_;
    }

private:
    void Run() {
        const long self = getpid();
        const std::string children = "/proc/" + std::to_string(self) + "/task/" + std::to_string(self) + "/children";
        while (!done_) {
            double total = Resident_MB(self);
            std::ifstream list(children);
            for (long child; list >> child;) total += Resident_MB(child);
            peak_ = std::max(peak_, total);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::atomic<bool> done_{false};
    double peak_ = 0;
    std::thread thread_;
};

void BM_Cache_Write(benchmark::State& s) {
    Set_Up();
    if (!Import_Once()) s.SkipWithError("import failed");
    for (auto _ : s) {
        if (Save_Data_Cache(session.Records(), Bench_Book(), Refs_File(), Cache()) != Cache_Save::Written)
            s.SkipWithError("cache not written");
    }
}

void BM_Cache_Load(benchmark::State& s) {
    Set_Up();
    if (!Import_Once() || Save_Data_Cache(session.Records(), Bench_Book(), Refs_File(), Cache()) != Cache_Save::Written)
        s.SkipWithError("no cache");
    for (auto _ : s) {
        // At start-up there is no table to free first.
        s.PauseTiming();
        session.Records().Clear();
        s.ResumeTiming();
        if (Load_Data_Cache(session.Records(), Bench_Book(), Refs_File(), Cache()) <= 0)
            s.SkipWithError("cache refused");
    }
    QFile::remove(Cache());
}

// N codes per table in English and French; two-character ideographs for the member
// states, whose codes must have two characters and have no letter case to collide.
QString Write_Large_Refs(int n) {
    const QString file = QDir::tempPath() + QStringLiteral("/sifa_bench_Refs_%1.dat").arg(n);
    QString text;
    for (const char* lang : {"", " (FR)"}) {
        for (const char* table : {"Country", "TypeEmet", "DomReco", "TypeDest"}) {
            text += QStringLiteral("[%1%2]\n").arg(QLatin1String(table), QLatin1String(lang));
            const bool two = std::strcmp(table, "Country") == 0 || std::strcmp(table, "TypeEmet") == 0;
            for (int i = 0; i < n; ++i) {
                const QString code = two ? QString(QChar(0x4E00 + i / 100)) + QChar(0x4E00 + i % 100)
                                         : QStringLiteral("%1.%2").arg(i / 100).arg(i % 100);
                text += QStringLiteral("%1=Label %2 of %3%4\n")
                            .arg(code)
                            .arg(i)
                            .arg(QLatin1String(table), QLatin1String(lang));
            }
        }
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(text.toUtf8());
    f.close();
    // As at a real start, the file was not changed a moment ago (the reader compares the
    // bytes of a file changed within the last two seconds).
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    return file;
}

void BM_Code_Tables(benchmark::State& s) {
    const QString refs = Write_Large_Refs(static_cast<int>(s.range(0)));
    if (refs.isEmpty()) s.SkipWithError("Refs.dat not written");
    for (auto _ : s) {
        session.Load_Code_Tables(refs);
        QStringList errs;
        if (!Check_Code_Table_Versions(QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest"), QStringLiteral("EN\nFR"),
                                       QStringLiteral("EN"), errs, refs))
            s.SkipWithError("versions differ");
    }
    const Field_Def* em = session.Description().Fields().Item(QStringLiteral("EM"));
    if (!em->Codes || em->Codes->Count() != s.range(0)) s.SkipWithError("codes lost");
    QFile::remove(refs);
}

BENCHMARK(BM_Code_Tables)->Arg(1250)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Cache_Write)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Cache_Load)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--import-once") == 0) {
        QElapsedTimer t;
        t.start();
        Peak_Sampler sampler;
        Set_Up();
        const bool ok = Import_Once();
        const double ms = t.nsecsElapsed() / 1e6;
        const double together = sampler.Stop();
        // The workbook is read in a child process: both peaks, and the most held at once.
        rusage self{}, child{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &child);
        std::printf("import ms %.1f peak MB: program %.1f reader %.1f together %.1f\n", ms, self.ru_maxrss / 1024.0,
                    child.ru_maxrss / 1024.0, together);
        std::fflush(stdout);
        // The program keeps its records until it is closed: freeing them one by one here
        // is no part of the import.
        _exit(ok ? 0 : 1);
    }
    if (argc > 1 && std::strcmp(argv[1], "--cache-once") == 0) {
        Set_Up();
        if (!QFile::exists(Cache())) {
            if (!Import_Once() ||
                Save_Data_Cache(session.Records(), Bench_Book(), Refs_File(), Cache()) != Cache_Save::Written)
                return 1;
            return 2;  // written: measure in the next, fresh, run
        }
        QElapsedTimer t;
        t.start();
        const qint32 rows = Load_Data_Cache(session.Records(), Bench_Book(), Refs_File(), Cache());
        std::printf("cache load ms %.1f\n", t.nsecsElapsed() / 1e6);
        return rows > 0 ? 0 : 1;
    }
#if SIFA_HAVE_FREEXL
    if (argc > 1 && std::strcmp(argv[1], "--freexl-once") == 0) return FreeXL_Once() >= 0 ? 0 : 1;
#endif

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
