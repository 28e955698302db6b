// The windows over the records of the benchmark workbook (SIFA_BENCH_BOOK, default
// /tmp/sifa_bench/Sifa_table.xls, 65,535 records from tools/make_sample_data.py), on the
// offscreen platform: a search to its grid on screen, a header sort, paging through the
// whole grid, the counts window with its chart, and the list printer laying out every
// record or writing a PDF.
//
// `bench_windows --cache-to-window-once DIR` times, in a fresh process, the start from
// DIR's cache (Data.dat, Refs.dat) to the search window painted over its records.
//
// "Shown" means the events the action posted were handled (the view's deferred layout
// and repaint) and the grid's viewport was painted at least once.
#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "output/Counts_Window.h"
#include "output/List_Printer.h"
#include "output/Print_Device.h"
#include "search/Field_Sets.h"
#include "search/Sorting.h"
#include "views/Result_View.h"
#include "views/Search_Window.h"
#include "winsupport/Message_Service.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

// The one session this program works on.
static Session session;

namespace {

Recording_Message_Service* Recorder = nullptr;

// Counts the paints of a widget.
struct Paint_Counter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

Search_Window* Window = nullptr;
Paint_Counter* Grid_Paints = nullptr;

// Handles what the action posted; paints the grid if that did not.
void Show_Grid() {
    const int before = Grid_Paints->Paints;
    QCoreApplication::processEvents();
    if (Grid_Paints->Paints == before) Window->Result_Grid->viewport()->repaint();
}

qint32 Field_Number(const char* name) { return session.Description().Fields().Number(QString::fromLatin1(name)); }

std::vector<bool> All_Fields() { return Init_Field_Sets(session.Description(), session.Language()).Sets[1]; }

// The window opens with "Year Not Empty": every record.
void BM_Search_Submit_To_Grid_Shown(benchmark::State& s) {
    Search_Window& w = *Window;
    const int before = Grid_Paints->Paints;
    for (auto _ : s) {
        w.Submit->click();
        Show_Grid();
    }
    s.counters["found"] = w.Results.Result_Rows();
    s.counters["paints"] = benchmark::Counter(Grid_Paints->Paints - before, benchmark::Counter::kAvgIterations);
}

// "Adjust Cell Size" over every record: each column as wide as its widest text, each row
// as high as its tallest.
void BM_Adjust_Cell_Size_All(benchmark::State& s) {
    Search_Window& w = *Window;
    for (auto _ : s) {
        w.Resize_Cell();
        Show_Grid();
    }
    s.counters["rows"] = w.Results.Result_Rows();
}

// Submit with "Adjust Cell Size" ticked: the search, then the fitting.
void BM_Search_Submit_Adjusted_To_Grid_Shown(benchmark::State& s) {
    Search_Window& w = *Window;
    w.Adjust_Cell_Size_Box->setChecked(true);
    for (auto _ : s) {
        w.Submit->click();
        Show_Grid();
    }
    w.Adjust_Cell_Size_Box->setChecked(false);
    w.Submit->click();
    Show_Grid();
    s.counters["found"] = w.Results.Result_Rows();
}

// Single-field mode; a different column each time, so every click sorts for real.
void BM_Header_Click_Sort_To_Grid_Shown(benchmark::State& s) {
    Search_Window& w = *Window;
    if (w.Multi_Key_Box->isChecked()) w.Multi_Key_Box->click();
    const qint32 fields[] = {Field_Number("ProjName"), Field_Number("Year"), Field_Number("PortName"),
                             Field_Number("RecoEN")};
    for (qint32 f : fields)
        if (f <= 0) return s.SkipWithError("field missing from the record description");
    size_t k = 0;
    qint32 last = 0;
    for (auto _ : s) {
        last = fields[k++ % std::size(fields)];
        w.Heading_Clicked(w.Results.Model.Column_Of(last));
        Show_Grid();
    }
    // 3 to 6: sorted up or down by that field.
    const int state = w.Results.Sort.Sort_State[static_cast<size_t>(last)];
    if (w.Results.Sort.Sort_Field != last || state < 3 || state > 6) return s.SkipWithError("the click did not sort");
    s.counters["rows"] = w.Results.Result_Rows();
}

// Page steps from the top to the bottom of the whole grid; the time is per page. The
// first and last hundred pages are timed apart: paging has to cost the same anywhere.
void BM_Grid_Page_Down_Per_Page(benchmark::State& s) {
    Search_Window& w = *Window;
    QScrollBar* bar = w.Result_Grid->verticalScrollBar();
    int pages = 0, paints = 0;
    double top_ms = 0, bottom_ms = 0;
    for (auto _ : s) {
        bar->setValue(0);
        Show_Grid();
        const int before = Grid_Paints->Paints;
        std::vector<double> each;
        each.reserve(4096);
        QElapsedTimer pass;
        pass.start();
        while (bar->value() < bar->maximum()) {
            QElapsedTimer t;
            t.start();
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            Show_Grid();
            each.push_back(t.nsecsElapsed() / 1e6);
        }
        const double total = pass.nsecsElapsed() / 1e9;
        pages = static_cast<int>(each.size());
        paints = Grid_Paints->Paints - before;
        if (pages == 0) return s.SkipWithError("the grid does not scroll");
        s.SetIterationTime(total / pages);
        const size_t n = std::min<size_t>(100, each.size());
        top_ms = bottom_ms = 0;
        for (size_t i = 0; i < n; ++i) {
            top_ms += each[i] / n;
            bottom_ms += each[each.size() - 1 - i] / n;
        }
    }
    s.counters["pages"] = pages;
    s.counters["paints_per_page"] = pages ? static_cast<double>(paints) / pages : 0;
    s.counters["first100_ms"] = top_ms;
    s.counters["last100_ms"] = bottom_ms;
}

// One job printing every record of the result onto the device.
bool Print_All(Print_Device& dev, const std::vector<bool>& fields) {
    const Search_Results& r = Window->Results;
    List_Printer p;
    p.Result = &r.Model;
    p.Last_Row = r.Result_Rows();
    p.Report_Title = QStringLiteral("Sifa_Soft");
    p.Selection_Criteria = QStringLiteral("Selection criteria are Year Not Empty");
    return p.Print_Job(dev, 1, 0, fields);
}

// Every record of the result laid out into pages on the recording device.
void BM_List_Print_Layout_All(benchmark::State& s) {
    const Search_Results& r = Window->Results;
    const std::vector<bool> fields = All_Fields();
    int pages = 0;
    for (auto _ : s) {
        Recording_Print_Device dev;
        if (!Print_All(dev, fields)) return s.SkipWithError("print job failed");
        pages = dev.Pages;
    }
    s.counters["records"] = r.Result_Rows();
    s.counters["pages"] = pages;
}

// The same pages measured by the recording device's rules but kept nowhere: the
// layout's own share of the figure above.
struct Counting_Print_Device : Recording_Print_Device {
    long Count = 0;
    bool Print_Text(double, double, const QString&) override { return ++Count, true; }
    bool Line(double, double, double, double, const QColor&) override { return true; }
};

void BM_List_Print_Layout_All_Unrecorded(benchmark::State& s) {
    const std::vector<bool> fields = All_Fields();
    long texts = 0;
    for (auto _ : s) {
        Counting_Print_Device dev;
        if (!Print_All(dev, fields)) return s.SkipWithError("print job failed");
        texts = dev.Count;
    }
    s.counters["texts"] = static_cast<double>(texts);
}

// Records through the printer the set-up dialog edits, into a PDF file: 500, or every one.
void BM_List_Print_PDF(benchmark::State& s) {
    const Search_Results& r = Window->Results;
    const std::vector<bool> fields = All_Fields();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("list.pdf"));
    Recorder->printSetupAnswer = true;
    for (auto _ : s) {
        List_Printer p;
        p.Result = &r.Model;
        p.Last_Row = s.range(0) > 0 ? std::min(static_cast<int>(s.range(0)), r.Result_Rows()) : r.Result_Rows();
        p.Report_Title = QStringLiteral("Sifa_Soft");
        p.Printer().setOutputFormat(QPrinter::PdfFormat);
        p.Printer().setOutputFileName(file);
        if (!p.Print_List(false, 2, 0, fields)) return s.SkipWithError("print job failed");
    }
    s.counters["bytes"] = static_cast<double>(QFileInfo(file).size());
}

// The counts window opened on the areas of every record (0) or their project names (1,
// thousands of values): counted, table filled, chart laid out and painted.
void BM_Counts_Window_Painted(benchmark::State& s) {
    const qint32 areas = Field_Number(s.range(0) == 0 ? "DomReco1" : "ProjName");
    for (auto _ : s) {
        Counts_Window w(session, Window->Results, Window);
        w.Show_Field(areas);
        w.show();
        QCoreApplication::processEvents();
        w.repaint();  // the window and every child, at once
    }
}

}  // namespace

BENCHMARK(BM_Search_Submit_To_Grid_Shown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Header_Click_Sort_To_Grid_Shown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adjust_Cell_Size_All)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search_Submit_Adjusted_To_Grid_Shown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grid_Page_Down_Per_Page)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_List_Print_Layout_All)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_List_Print_Layout_All_Unrecorded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Counts_Window_Painted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_List_Print_PDF)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_List_Print_PDF)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// From the cache opened to the search window's grid painted, as a start from DIR does.
int Cache_To_Window_Once(const QString& dir) {
    Set_App_Path(dir);
    session.Set_Language(QStringLiteral("EN"));
    session.Load_Code_Tables(App_File(QStringLiteral("Refs.dat")));
    const Load_Files files = Default_Load_Files();
    QElapsedTimer t;
    t.start();
    const qint32 rows = Load_Data_Cache(session.Records(), files.Source, files.Code_Table, files.Cache);
    const qint64 loaded = t.elapsed();
    if (rows <= 0) {
        std::fprintf(stderr, "no valid cache in %s\n", qPrintable(dir));
        return 1;
    }
    Search_Window window(session);
    Paint_Counter counter;
    window.Result_Grid->viewport()->installEventFilter(&counter);
    window.show();
    QCoreApplication::processEvents();
    if (counter.Paints == 0) window.Result_Grid->viewport()->repaint();
    const qint64 shown = t.elapsed();
    window.Result_Grid->viewport()->removeEventFilter(&counter);
    std::printf("records %d: cache loaded %lld ms, search window painted %lld ms\n", rows,
                static_cast<long long>(loaded), static_cast<long long>(shown));
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Measured as at a first start, whatever settings the user's own runs kept.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--cache-to-window-once") {
        Install_Message_Service(std::make_unique<Recording_Message_Service>());
        Set_App_Title(QStringLiteral("Sifa_Soft"));
        return Cache_To_Window_Once(QString::fromLocal8Bit(argv[2]));
    }
    auto rec = std::make_unique<Recording_Message_Service>();
    Recorder = rec.get();
    Install_Message_Service(std::move(rec));
    Set_App_Title(QStringLiteral("Sifa_Soft"));

    // The window finds Refs.dat in the program's folder.
    Set_App_Path(QStringLiteral(SIFA_SAMPLE_DATA));
    if (!Load_Bench_Workbook(session)) return 1;

    session.Sort_Keys = {0, 0, 0, 0};
    auto window = std::make_unique<Search_Window>(session);
    Window = window.get();
    Paint_Counter counter;
    Grid_Paints = &counter;
    Window->Result_Grid->viewport()->installEventFilter(&counter);
    Window->show();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Window->Result_Grid->viewport()->removeEventFilter(&counter);
    window.reset();
    return 0;
}
