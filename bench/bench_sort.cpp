// Sorting the largest result grid: 65,535 records, 18 columns of plausible texts.
#include "search/Sorting.h"
#include "search/Text_Grid.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QStringList>

namespace {

constexpr int Records = 65535;

QString Pick(QRandomGenerator& rng, const QStringList& from) { return from[rng.bounded(from.size())]; }

QString Sentence(QRandomGenerator& rng, const QStringList& words, int min_words, int max_words) {
    QStringList out;
    for (int n = min_words + static_cast<int>(rng.bounded(max_words - min_words + 1)); n > 0; --n)
        out << Pick(rng, words);
    out[0][0] = out[0][0].toUpper();
    return out.join(u' ') + u'.';
}

// Column 0 the record number, then what a search in English shows.
const Text_Grid& Pristine_Grid() {
    static const Text_Grid grid = [] {
        const QStringList countries = {u"Belgium"_qs,    u"France"_qs, u"Germany"_qs,  u"Spain"_qs,       u"Italy"_qs,
                                       u"Österreich"_qs, u"Éire"_qs,   u"Portugal"_qs, u"Netherlands"_qs, u"Sweden"_qs,
                                       u"Denmark"_qs,    u"Poland"_qs, u"Czechia"_qs,  u"Greece"_qs};
        const QStringList areas = {u"Training"_qs,   u"Equipment"_qs,      u"Organisation"_qs, u"Human factors"_qs,
                                   u"Regulation"_qs, u"Communication"_qs,  u"Maintenance"_qs,  u"Procedures"_qs,
                                   u"Design"_qs,     u"Safety culture"_qs, u"Research"_qs,     u""_qs};
        const QStringList emitters = {u"Authority"_qs, u"Operator"_qs, u"Manufacturer"_qs, u"Research body"_qs};
        const QStringList recipients = {u"Operators"_qs,
                                        u"Authorities"_qs,
                                        u"Manufacturers"_qs,
                                        u"Training centres"_qs,
                                        u"Crews"_qs,
                                        u"Maintenance staff"_qs,
                                        u""_qs};
        const QStringList words = {u"the"_qs,        u"crew"_qs,     u"should"_qs,    u"procedure"_qs, u"évaluation"_qs,
                                   u"risk"_qs,       u"training"_qs, u"equipment"_qs, u"of"_qs,        u"and"_qs,
                                   u"review"_qs,     u"report"_qs,   u"member"_qs,    u"states"_qs,    u"ensure"_qs,
                                   u"safety"_qs,     u"données"_qs,  u"système"_qs,   u"to"_qs,        u"in"_qs,
                                   u"operational"_qs};
        const QStringList surnames = {u"Martin"_qs, u"Dupont"_qs, u"Müller"_qs,  u"García"_qs, u"Rossi"_qs,
                                      u"Nowak"_qs,  u"Jansen"_qs, u"Lefèvre"_qs, u"Silva"_qs,  u"Novák"_qs};
        QRandomGenerator rng(2024);
        Text_Grid g;
        g.Set_Cols(18);
        g.Set_Fixed_Cols(0);
        g.Set_Rows(Records + 1);
        const QStringList headers = {u""_qs,
                                     u"Year"_qs,
                                     u"Project number"_qs,
                                     u"Reco Number"_qs,
                                     u"Project name"_qs,
                                     u"Link with Toolkit form"_qs,
                                     u"Link with material"_qs,
                                     u"MS of coordinator"_qs,
                                     u"Name of coordinator"_qs,
                                     u"Type of emitting"_qs,
                                     u"Area 1 of reco"_qs,
                                     u"Area 2 of reco"_qs,
                                     u"Area 3 of reco"_qs,
                                     u"Reco Text"_qs,
                                     u"Type 1 of recipient"_qs,
                                     u"Type 2 of recipient"_qs,
                                     u"Type 3 of recipient"_qs,
                                     u"Notes"_qs};
        for (int c = 0; c < 18; ++c) g.Set_Text_Matrix(0, c, headers[c]);
        for (int r = 1; r <= Records; ++r) {
            const int project = 1 + static_cast<int>(rng.bounded(400));
            const QString cells[18] = {
                QString::number(r),
                QString::number(2005 + project % 20),
                QString::number(project),
                QString::number(1 + rng.bounded(20)),
                QStringLiteral("Project %1 ").arg(project) + Sentence(rng, words, 2, 4),
                rng.bounded(3) ? QStringLiteral("TK-%1").arg(project, 4, 10, QLatin1Char('0')) : QString(),
                rng.bounded(2) ? QStringLiteral("MAT_%1").arg(rng.bounded(900)) : QString(),
                Pick(rng, countries),
                Pick(rng, surnames) + u' ' + QChar(u'A' + rng.bounded(26)) + u'.',
                Pick(rng, emitters),
                Pick(rng, areas),
                Pick(rng, areas),
                Pick(rng, areas),
                Sentence(rng, words, 15, 45),
                Pick(rng, recipients),
                Pick(rng, recipients),
                Pick(rng, recipients),
                rng.bounded(4) ? QString() : Sentence(rng, words, 3, 8),
            };
            for (int c = 0; c < 18; ++c) g.Set_Text_Matrix(r, c, cells[c]);
        }
        return g;
    }();
    return grid;
}

void Single_Key(benchmark::State& state) {
    const int col = static_cast<int>(state.range(0));
    const int code = static_cast<int>(state.range(1));
    const Text_Grid& pristine = Pristine_Grid();
    Text_Grid g;
    for (auto _ : state) {
        state.PauseTiming();
        g = pristine;  // the former copy goes here, untimed
        g.Set_Redraw(false);
        state.ResumeTiming();
        g.Set_Col(col);
        g.Sort(code);
        benchmark::DoNotOptimize(g.Text_Matrix(1, 0));
    }
}

void Four_Keys(benchmark::State& state) {
    const Text_Grid& pristine = Pristine_Grid();
    Text_Grid g;
    for (auto _ : state) {
        state.PauseTiming();
        g = pristine;  // the former copy goes here, untimed
        g.Set_Redraw(false);
        Sort_Keys_T keys{7, -1, 10, 4};  // country, year descending, area, project name
        state.ResumeTiming();
        Reapply_Sort_Keys(g, keys);
        benchmark::DoNotOptimize(g.Text_Matrix(1, 0));
    }
}

}  // namespace

// Country (text), year (numeric), recommendation text (long texts, generic).
BENCHMARK(Single_Key)->Args({7, 5})->Args({1, 3})->Args({13, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(Four_Keys)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
