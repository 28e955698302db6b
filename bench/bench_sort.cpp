// The result model over the largest table: filling it with every record (code labels
// resolved per column) and sorting every record on one key and on four. The records are
// made up in memory, SIFA_BENCH_RECORDS of them (default 65,535), with the sample code
// tables, so that any size can be measured without a workbook.
#include "model/Code_Tables.h"
#include "model/Session.h"
#include "search/Result_Model.h"
#include "search/Sorting.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QStringList>
#include <numeric>

// The one session this program works on.
static Session session;

namespace {

int Record_Count() {
    return qEnvironmentVariableIntValue("SIFA_BENCH_RECORDS") > 0 ? qEnvironmentVariableIntValue("SIFA_BENCH_RECORDS")
                                                                  : 65535;
}

QString Pick(QRandomGenerator& rng, const QStringList& from) { return from[rng.bounded(from.size())]; }

QString Sentence(QRandomGenerator& rng, const QStringList& words, int min_words, int max_words) {
    QStringList out;
    for (int n = min_words + static_cast<int>(rng.bounded(max_words - min_words + 1)); n > 0; --n)
        out << Pick(rng, words);
    out[0][0] = out[0][0].toUpper();
    return out.join(u' ') + u'.';
}

qint32 Item(const char* nom) { return session.Description().Fields().Number(QString::fromLatin1(nom)); }

// Records as an import leaves them: numbers as doubles, codes as stored, texts.
const std::vector<qint32>& Table() {
    static const std::vector<qint32> ids = [] {
        session.Set_Language(QStringLiteral("EN"));
        session.Load_Code_Tables(QStringLiteral(SIFA_SAMPLE_DATA "/Refs.dat"));
        const QStringList countries = {u"AT"_qs, u"BE"_qs, u"BG"_qs, u"CY"_qs, u"CZ"_qs, u"DE"_qs, u"DK"_qs,
                                       u"EE"_qs, u"FR"_qs, u"ES"_qs, u"IT"_qs, u"PL"_qs, u"PT"_qs, u"SE"_qs};
        const QStringList emitters = {u"PA"_qs, u"NG"_qs, u"RE"_qs, u"UN"_qs, u"EN"_qs, u"AS"_qs, u"SP"_qs};
        const QStringList areas = {u"E"_qs, u"H"_qs, u"EMP"_qs, u"HO"_qs, u"MOB"_qs, u"ENV"_qs, u"CU"_qs, u""_qs};
        const QStringList recipients = {u"EU"_qs, u"NAT"_qs, u"R"_qs, u"LOC"_qs, u"NGO"_qs, u"ENT"_qs, u""_qs};
        const QStringList words = {u"the"_qs,    u"city"_qs,     u"should"_qs,  u"housing"_qs, u"évaluation"_qs,
                                   u"energy"_qs, u"training"_qs, u"school"_qs,  u"of"_qs,      u"and"_qs,
                                   u"review"_qs, u"données"_qs,  u"système"_qs, u"to"_qs,      u"in"_qs};
        const QStringList surnames = {u"Martin"_qs, u"Dupont"_qs, u"Müller"_qs,  u"García"_qs, u"Rossi"_qs,
                                      u"Nowak"_qs,  u"Jansen"_qs, u"Lefèvre"_qs, u"Silva"_qs,  u"Novák"_qs};
        QRandomGenerator rng(2024);
        const int n = Record_Count();
        session.Records().Resize(n, session.Description().Count());
        std::vector<qint32> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 1);
        for (int r = 1; r <= n; ++r) {
            const int project = 1 + static_cast<int>(rng.bounded(4000));
            const auto set = [&](const char* f, Value v) { session.Records()(r, Item(f)) = std::move(v); };
            const auto text = [&](const char* f, const QString& t) {
                if (!t.isEmpty()) set(f, Value::String(t));
            };
            set("Year", Value::Double(2005 + project % 20));
            set("Proj#", Value::Double(project));
            set("Reco#", Value::Double(1 + rng.bounded(20)));
            text("ProjName", QStringLiteral("Project %1 ").arg(project) + Sentence(rng, words, 2, 4));
            text("EM", Pick(rng, countries));
            text("PortName", Pick(rng, surnames) + u' ' + QChar(u'A' + rng.bounded(26)) + u'.');
            text("EmetType", Pick(rng, emitters));
            for (const char* f : {"DomReco1", "DomReco2", "DomReco3"}) text(f, Pick(rng, areas));
            text("RecoFr", Sentence(rng, words, 15, 45));
            text("RecoEN", Sentence(rng, words, 15, 45));
            for (const char* f : {"Dest1", "Dest2", "Dest3"}) text(f, Pick(rng, recipients));
        }
        return all;
    }();
    return ids;
}

void Fill_Model(benchmark::State& state) {
    const std::vector<qint32>& ids = Table();
    Result_Model m;
    for (auto _ : state) {
        m.Load(session, ids);
        benchmark::DoNotOptimize(m.Records());
    }
    state.counters["records"] = static_cast<double>(ids.size());
}

// A header click on the field: the first ascending, the next descending, and so on.
void One_Key(benchmark::State& state, const char* field) {
    const std::vector<qint32>& ids = Table();
    Result_Model m;
    m.Load(session, ids);
    Single_Field_Sort sort(session.Description().Count());
    for (auto _ : state) {
        Sort_By_Heading(m, sort, Value::Long(Item(field)));
        benchmark::DoNotOptimize(m.Record_At(0));
    }
    state.counters["records"] = static_cast<double>(ids.size());
}

void Four_Keys(benchmark::State& state) {
    const std::vector<qint32>& ids = Table();
    Result_Model m;
    m.Load(session, ids);
    const auto col = [&](const char* f) { return m.Column_Of(Item(f)) + 1; };
    for (auto _ : state) {
        Sort_Key_Columns keys{col("EM"), -col("Year"), col("DomReco1"), col("ProjName")};
        Reapply_Sort_Keys(m, keys);
        benchmark::DoNotOptimize(m.Record_At(0));
    }
}

}  // namespace

BENCHMARK(Fill_Model)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(One_Key, Project_Name, "ProjName")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(One_Key, Country_Label, "EM")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(One_Key, Year, "Year")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(One_Key, Reco_Text, "RecoEN")->Unit(benchmark::kMillisecond);
BENCHMARK(Four_Keys)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
