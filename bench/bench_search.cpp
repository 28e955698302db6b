// Search over the largest table a workbook can hold: 65,535 generated records with the
// sample code tables. Each measurement is a whole marking pass (prepare + verdicts).
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Session.h"
#include "search/Criteria.h"

#include "Bench_Workbook.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <random>

// The one session this program works on.
static Session session;

namespace {

constexpr int kRecords = 65535;

QString Refs_Path() {
    const QByteArray env = qgetenv("SIFA_REFS");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/sample/Refs.dat");
}

QStringList Codes_Of(const char* field) {
    QStringList out;
    if (const Field_Def* c = session.Description().Fields().Item(QString::fromLatin1(field)); c && c->Codes)
        for (const Code_Entry& r : *c->Codes) out << r.Code();
    return out;
}

template <typename T, size_t N> const T& Pick(std::mt19937& rng, const T (&items)[N]) { return items[rng() % N]; }

const char* const kSubjects_EN[] = {"Member States", "Local authorities",   "Regional authorities",
                                    "NGOs",          "The social partners", "Employers",
                                    "Schools",       "Public authorities"};
const char* const kSubjects_FR[] = {"Les États membres", "Les autorités locales",   "Les collectivités régionales",
                                    "Les ONG",           "Les partenaires sociaux", "Les employeurs",
                                    "Les écoles",        "Les pouvoirs publics"};
const char* const kActions_EN[] = {"develop bridges between school and business",
                                   "train teachers in intercultural teaching",
                                   "ease access to care for homeless people",
                                   "increase the supply of social housing",
                                   "improve public transport links to rural areas",
                                   "reduce household waste",
                                   "open museums to people with little access to culture",
                                   "bridge the digital divide",
                                   "guarantee a decent minimum income",
                                   "support European voluntary service"};
const char* const kActions_FR[] = {"développer des passerelles entre l'école et l'entreprise",
                                   "former les enseignants à la pédagogie interculturelle",
                                   "faciliter l'accès aux soins pour les personnes sans domicile",
                                   "augmenter l'offre de logements sociaux",
                                   "améliorer la desserte des zones rurales",
                                   "réduire la production de déchets ménagers",
                                   "ouvrir les musées à tous les publics",
                                   "réduire la fracture numérique",
                                   "garantir un revenu minimum décent",
                                   "soutenir le volontariat européen"};
const char* const kTails_EN[] = {"",
                                 " at local level",
                                 " in consultation with users",
                                 " within the framework of the Structural Funds",
                                 " in order to reduce territorial inequalities",
                                 " through multi-annual funding"};
const char* const kTails_FR[] = {"",
                                 " au niveau local",
                                 " en concertation avec les usagers",
                                 " dans le cadre des fonds structurels",
                                 " afin de réduire les inégalités territoriales",
                                 " grâce à un financement pluriannuel"};
const char* const kWords[] = {"Inclusion", "Bridges",  "Together", "Horizon", "Civitas",
                              "Agora",     "Pathways", "Equal",    "Rural",   "Urban"};
const char* const kFirst[] = {"Anna", "Jean", "Maria", "Piotr", "Sofia", "Luca", "Eva", "Jan", "Inès", "Tomas"};
const char* const kLast[] = {"Novak",    "Martin", "Rossi",  "Schmidt", "García",
                             "Kowalski", "Dubois", "Horvat", "Murphy",  "Jensen"};

void Fill_Table() {
    std::mt19937 rng(65535);
    const QStringList em = Codes_Of("EM"), emet = Codes_Of("EmetType"), dom = Codes_Of("DomReco1"),
                      dest = Codes_Of("Dest1");
    auto code = [&](const QStringList& list, int emptyPercent) {
        return (list.isEmpty() || int(rng() % 100) < emptyPercent) ? Value() : Value::String(list[rng() % list.size()]);
    };
    session.Records().Resize(kRecords, 17);
    for (int r = 1; r <= kRecords; ++r) {
        const int proj = 1 + r / 40;
        session.Records()(r, 1) = Value::Double(2000 + rng() % 13);
        session.Records()(r, 2) = Value::Double(proj);
        session.Records()(r, 3) = Value::Double(1 + r % 40);
        session.Records()(r, 4) =
            Value::String(QStringLiteral("%1 %2 %3")
                              .arg(QString::fromUtf8(Pick(rng, kWords)), QString::fromUtf8(Pick(rng, kWords)))
                              .arg(proj));
        if (rng() % 2)
            session.Records()(r, 5) = Value::String(QStringLiteral("http://toolkit.example.org/form_%1.pdf").arg(proj));
        if (rng() % 3 == 0)
            session.Records()(r, 6) =
                Value::String(QStringLiteral("http://material.example.org/item_%1.pdf").arg(proj));
        session.Records()(r, 7) = code(em, 0);
        session.Records()(r, 8) = Value::String(QString::fromUtf8(Pick(rng, kFirst)) + QLatin1Char(' ') +
                                                QString::fromUtf8(Pick(rng, kLast)));
        session.Records()(r, 9) = code(emet, 0);
        session.Records()(r, 10) = code(dom, 0);
        session.Records()(r, 11) = code(dom, 50);
        session.Records()(r, 12) = code(dom, 80);
        const int s = rng() % 8, a = rng() % 10, a2 = rng() % 10, t = rng() % 6;
        session.Records()(r, 13) =
            Value::String(QString::fromUtf8(kSubjects_FR[s]) + QStringLiteral(" devraient ") +
                          QString::fromUtf8(kActions_FR[a]) + QString::fromUtf8(kTails_FR[t]) + QStringLiteral(" et ") +
                          QString::fromUtf8(kActions_FR[a2]) + QLatin1Char('.'));
        session.Records()(r, 14) =
            Value::String(QString::fromUtf8(kSubjects_EN[s]) + QStringLiteral(" should ") +
                          QString::fromUtf8(kActions_EN[a]) + QString::fromUtf8(kTails_EN[t]) +
                          QStringLiteral(" and ") + QString::fromUtf8(kActions_EN[a2]) + QLatin1Char('.'));
        session.Records()(r, 15) = code(dest, 0);
        session.Records()(r, 16) = code(dest, 40);
        session.Records()(r, 17) = code(dest, 70);
    }
}

Criterion_Row Row(qint32 field, qint32 op, const char* value, bool negation = false) {
    Criterion_Row r;
    r.Active = true;
    r.Field = field;
    r.Operator = op;
    r.Value_Text = QString::fromUtf8(value);
    r.Negation = negation;
    return r;
}

void Run(benchmark::State& state, const Criteria& c) {
    qint32 s = 0;
    for (auto _ : state) {
        s = Mark_Selection(session, c);
        benchmark::DoNotOptimize(s);
    }
    state.counters["selected"] = s;
}

void BM_Any_Fields_Content(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(Any_Fields, Op_Content, "school");
    Run(state, c);
}

void BM_Coded_Field_Equal_Label(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(10, Op_Equal, "Health");  // "Area of reco": the three area fields
    Run(state, c);
}

void BM_Not_Row(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(14, Op_Content, "school", true);
    Run(state, c);
}

void BM_Any_Fields_Not_Content(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(Any_Fields, Op_Content, "zzz", true);  // no field matches: every field tested
    Run(state, c);
}

void BM_Three_Rows_And(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(1, Op_Equal_Or_Superior, "2003");
    c.Rows[1] = Row(15, Op_Equal, "Local*");  // "Type of recipient"
    c.Rows[2] = Row(14, Op_Content, "local");
    c.Combine_With_And = true;
    Run(state, c);
}

// The same searches on the French view, whose texts and labels carry accents, with
// "Ignore accents" off (arg 0) and on (arg 1).
void Run_French(benchmark::State& state, Criteria c) {
    c.Ignore_Accents = state.range(0) != 0;
    const QString before = session.Language();
    session.Set_Language(QStringLiteral("FR"));
    Run(state, c);
    session.Set_Language(before);
}

void BM_French_Any_Fields_Content(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(Any_Fields, Op_Content, "ecole");
    Run_French(state, c);
}

void BM_French_Coded_Field_Equal_Label(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(10, Op_Equal, "sante");  // "Domaine de la reco": the three area fields
    Run_French(state, c);
}

void BM_French_Any_Fields_Not_Content(benchmark::State& state) {
    Criteria c;
    c.Rows[0] = Row(Any_Fields, Op_Content, "zzz", true);  // every field tested
    Run_French(state, c);
}

// A data folder's own cache, as sifa-query --count meets it: SIFA_BENCH_DIR, for instance
// the 1,048,575 records of tools/make_big_table.py. Skipped without it. They replace the
// generated table, so they run last.
QString Folder() { return qEnvironmentVariable("SIFA_BENCH_DIR"); }

bool Load_Folder() { return Load_Bench_Folder(session, Folder()); }

void BM_Folder_Cache_Load(benchmark::State& state) {
    if (Folder().isEmpty()) return state.SkipWithError("SIFA_BENCH_DIR not set");
    for (auto _ : state)
        if (!Load_Folder()) return state.SkipWithError("cache refused");
    state.counters["records"] = session.Records().Record_Count();
}

void BM_Folder_Any_Fields_Content(benchmark::State& state) {
    if (Folder().isEmpty()) return state.SkipWithError("SIFA_BENCH_DIR not set");
    if (session.Records().Record_Count() < 1000 && !Load_Folder()) return state.SkipWithError("cache refused");
    Criteria c;
    c.Rows[0] = Row(Any_Fields, Op_Content, "energy");
    Run(state, c);
}

}  // namespace

BENCHMARK(BM_Any_Fields_Content)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coded_Field_Equal_Label)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Not_Row)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Any_Fields_Not_Content)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Three_Rows_And)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_French_Any_Fields_Content)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_French_Coded_Field_Equal_Label)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_French_Any_Fields_Not_Content)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Folder_Cache_Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Folder_Any_Fields_Content)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString refs = Folder().isEmpty() ? Refs_Path() : Folder() + QStringLiteral("/Refs.dat");
    if (!QFileInfo::exists(refs)) {
        std::fprintf(stderr, "code tables not found: %s (set SIFA_REFS)\n", qPrintable(refs));
        return 1;
    }
    session.Load_Code_Tables(refs);
    Fill_Table();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
