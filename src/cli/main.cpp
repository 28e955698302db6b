// sifa-query: the search engine of Sifa_Soft for scripts and batch exports. It loads
// the records as the program does, sets up the criterion rows as the search window
// would, and writes the result exactly as the export does.
#include "cli/Query_Criteria.h"
#include "cli/Query_Options.h"
#include "cli/Query_Pdf.h"
#ifdef SIFA_QUERY_XLSX
#include "output/Workbook_Export.h"
#endif
#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/File_Access.h"
#include "model/Data_Cache.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "search/Record_Lines.h"
#include "search/Result_Text.h"
#include "search/Search_Run.h"
#include "search/Value_Counts.h"
#include "workbook/Workbook_Reader.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

// Standard output and standard error. The first error met writing to standard output is
// reported once at the end: a script must not take a cut-short answer for the whole one.
class Console {
public:
    void Write(FILE* to, const char* data, size_t size) {
        if (std::fwrite(data, 1, size, to) != size && to == stdout && output_error_ == 0)
            output_error_ = errno ? errno : EIO;
    }
    void Put(FILE* to, const QString& line) {
        const QByteArray b = line.toUtf8() + '\n';
        Write(to, b.constData(), static_cast<size_t>(b.size()));
    }
    bool Output_Failed() const { return output_error_ != 0; }
    int Finish(int status) {
        errno = 0;
        if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && output_error_ == 0)
            output_error_ = errno ? errno : EIO;
        if (output_error_ == 0) return status;
        // A closed standard output holds /dev/null read-only (Keep_Standard_Descriptors_Taken).
        const QString why =
            output_error_ == EBADF ? QStringLiteral("standard output is closed") : Plain_System_Error(output_error_);
        Put(stderr, QStringLiteral("sifa-query: the output could not be written: ") + why);
        return status == Done ? Failed : status;
    }
    int Usage_Error(const QString& message) {
        Put(stderr, QStringLiteral("sifa-query: ") + message);
        return Usage;
    }

private:
    int output_error_ = 0;
};

struct Quiet_Host : Load_Records_Host {
    explicit Quiet_Host(Session& s) : session(s) {}
    Session& session;
    QStringList problems;
    bool Import(const QString& source, Records_Table& into) override {
        Import_Result r = Import_Workbook(session, source, nullptr, nullptr, &into);
        problems << r.Errs;
        return r.Success();
    }
};

// The first sheet's cells as the import reads them, before any check.
int Dump_Sheet(Console& console, const QString& file) {
    Sheet_Cells cells;
    const Workbook_Result read = Read_Workbook(file, cells);
    if (!read.Ok()) {
        console.Put(stderr, QStringLiteral("No input data (error openning file)"));
        console.Put(stderr, read.Why());
        return Failed;
    }
    QByteArray out;
    for (const Sheet_Cell& c : cells.Cells()) {
        out += Dump_Cell_Line(c);
        if (out.size() >= (1 << 20)) {
            console.Write(stdout, out.constData(), static_cast<size_t>(out.size()));
            if (console.Output_Failed()) return Failed;
            out.clear();
        }
    }
    console.Write(stdout, out.constData(), static_cast<size_t>(out.size()));
    return Done;
}

// To standard output, or to `file` (the system's bytes) as the export writes a file.
// Standard output as a device; its failures are kept as Write keeps them.
class Standard_Output : public QIODevice {
public:
    explicit Standard_Output(Console& console) : console_(console) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        console_.Write(stdout, data, static_cast<size_t>(size));
        return size;
    }

private:
    Console& console_;
};

// Long outputs are written as they are made, to the file or to standard output.
int Write_Output(Console& console, const QByteArray& file, const Output_Writer& write) {
    if (file.isEmpty()) {
        Standard_Output out(console);
        write(out);
        return Done;
    }
    const QString failure = Write_Output_File_System_Path(file, write);
    if (failure.isEmpty()) return Done;
    console.Put(stderr, failure);
    return Failed;
}

int Write_Output(Console& console, const QByteArray& file, const QByteArray& bytes) {
    return Write_Output(console, file, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

// A record number as the detail view takes it: a whole number from 1 to the count.
std::optional<int> Record_Number(const Session& session, const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    const int n = text.toInt();
    if (n < 1 || n > session.Records().Record_Count()) return std::nullopt;
    return n;
}

int Run_Loaded(Console& console, const Query_Options& o, Session& session, QString& error);

// The columns of the cache are read as the query needs them, so a damaged one is found only
// then; it is told before any answer is written from it.
bool Told_If_Damaged(Console& console, const Session& session) {
    if (!session.Records().Damaged()) return false;
    console.Put(stderr, Damaged_Cache_Text());
    return true;
}

int Run(Console& console, int argc, char** argv) {
    // The options decide which application object the tool needs.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i) args << QByteArray(argv[i]);
    QString error;
    const auto parsed = Parse_Query_Options(args, error);
    if (!parsed) return console.Usage_Error(error + QStringLiteral(" (see --help)"));
    Query_Options o = *parsed;
    const std::unique_ptr<QCoreApplication> app = Make_Query_App(argc, argv, !o.Pdf.isEmpty());
    if (o.Help) {
        const QByteArray usage = Query_Usage().toUtf8();
        console.Write(stdout, usage.constData(), static_cast<size_t>(usage.size()));
        return Done;
    }
    if (!o.Dump_Sheet.isEmpty()) return Dump_Sheet(console, Path_From_System(o.Dump_Sheet));

    Set_App_Path(o.Dir.isEmpty() ? QCoreApplication::applicationDirPath() : Path_From_System(o.Dir));
    Session session;
    session.Load_Code_Tables(App_File(QStringLiteral("Refs.dat")));

    // The start-up checks, then the load, as the program runs them.
    QStringList problems;
    if (!Check_Code_Tables_At_Start_Up(problems)) {
        for (const QString& l : problems) console.Put(o.Check ? stdout : stderr, l);
        return Failed;
    }
    Quiet_Host host(session);
    Load_Records(session.Records(), Default_Load_Files(), host);
    const bool loaded = session.Records().Record_Count() > 0;
    if (o.Check) {
        for (const QString& l : host.problems) console.Put(stdout, l);
        return loaded ? Done : Failed;
    }
    for (const QString& l : host.problems) console.Put(stderr, l);
    if (!loaded) return Failed;

    const int code = Run_Loaded(console, o, session, error);
    // Should a column be first read while the output is written, what was written from it
    // is not to be trusted either.
    return Told_If_Damaged(console, session) ? Failed : code;
}

int Run_Loaded(Console& console, const Query_Options& given, Session& session, QString& error) {
    Query_Options o = given;
    if (!o.Search_File.isEmpty()) {
        const QString problem = Take_Saved_Search(session, o);
        if (!problem.isEmpty()) return console.Usage_Error(problem);
    }
    session.Set_Language(o.Lang);

    if (o.Record) {
        const auto number = Record_Number(session, *o.Record);
        const auto lines = number ? Record_Lines(session, Value::Long(*number)) : std::nullopt;
        if (!lines) return console.Usage_Error(QStringLiteral("there is no record \"%1\"").arg(*o.Record));
        if (Told_If_Damaged(console, session)) return Failed;
        for (const Record_Line& l : *lines) console.Put(stdout, l.Label + l.Value);
        return Done;
    }

    Criteria criteria;
    criteria.Combine_With_And = o.And;
    criteria.Ignore_Accents = o.Ignore_Accents;
    std::vector<Criterion_Text> texts;
    for (int i = 0; i < o.Criteria.size(); ++i) {
        const auto r = Resolve_Criterion(session.Description(), o.Criteria[i], o.Lang, error, o.Ignore_Accents);
        if (!r) return console.Usage_Error(error);
        criteria.Rows[i] = r->Row;
        texts.push_back(r->Text);
    }

    Search_Results results(session);
    if (o.Sort_Keys) {
        const QStringList keys = o.Sort_Keys->split(QLatin1Char(','));
        if (keys.size() > 4) return console.Usage_Error(QStringLiteral("at most four sort keys can be given"));
        Sort_Key_Columns k{0, 0, 0, 0};
        for (int i = 0; i < keys.size(); ++i) {
            QString name = keys[i].trimmed();
            const bool descending = name.startsWith(QLatin1Char('-'));
            if (descending) name.remove(0, 1);
            const auto f = Resolve_Grid_Field(session.Description(), name, o.Lang, error);
            if (!f) return console.Usage_Error(error);
            const int col = Grid_Column_Of(session.Description(), *f, o.Lang);
            k[i] = descending ? -col : col;
        }
        session.Sort_Keys = k;
        results.Multi_Key_Box = true;
    }
    Run_Search(session, results, criteria);
    // The search read the columns it judged and the result those it shows.
    if (Told_If_Damaged(console, session)) return Failed;
    if (o.Sort) {
        QString name = *o.Sort;
        const bool descending = name.endsWith(QLatin1String(":desc"), Qt::CaseInsensitive);
        if (descending) name.chop(5);
        const auto f = Resolve_Grid_Field(session.Description(), name, o.Lang, error);
        if (!f) return console.Usage_Error(error);
        // One header click, or two for the descending order.
        for (int click = 0; click < (descending ? 2 : 1); ++click)
            Sort_By_Heading(results.Model, results.Sort, Value::Long(*f));
    }

    if (o.Count) {
        console.Put(stdout, results.Count_Caption);
        return Done;
    }
    if (o.Counts) {
        const auto entry = Resolve_Field_Entry(session.Description(), *o.Counts, o.Lang, error);
        if (!entry) return console.Usage_Error(error);
        if (entry->Item == Any_Fields)
            return console.Usage_Error(QStringLiteral("--counts takes one field, not [Any fields]"));
        return Write_Output(console, o.Output, Counts_Csv_Bytes(Count_Values(results, entry->Item, o.Lang), o.Lang));
    }
    if (o.Describe) {
        console.Put(stdout, Criteria_Sentence_Of(texts, o.And));
        console.Put(stdout, Order_Sentence(results, session.Sort_Keys));
        return Done;
    }

    const auto columns = Resolve_Fields(session.Description(), o.Fields, o.Lang, error);
    if (!columns) return console.Usage_Error(error);
    if (!o.Pdf.isEmpty()) {
        const QString f = o.Fields.toLower();
        const int set = f == QLatin1String("short") ? 0 : f == QLatin1String("all") ? 1 : 2;
        const QString failure = Print_Pdf(o.Pdf, results, Criteria_Sentence_Of(texts, o.And),
                                          Order_Sentence(results, session.Sort_Keys), set, *columns);
        if (!failure.isEmpty()) {
            console.Put(stderr, failure);
            return Failed;
        }
        return Done;
    }
    // A wrong column choice is told on standard error, before a failed write is.
    const auto told = [&] {
        if (!error.isEmpty()) console.Put(stderr, error);
        error.clear();
    };
#ifdef SIFA_QUERY_XLSX
    if (o.Workbook) {
        const Workbook_Request request{o.Table, o.Labels, *columns, Criteria_Sentence_Of(texts, o.And),
                                       Order_Sentence(results, session.Sort_Keys)};
        int texts_cut = 0;
        const QString failure = Write_Workbook_File_System_Path(o.Output, results, request, &error, &texts_cut);
        told();
        if (!failure.isEmpty()) {
            console.Put(stderr, failure);
            return Failed;
        }
        if (texts_cut > 0) console.Put(stderr, Texts_Cut_Warning(texts_cut));
        return Done;
    }
#endif
    if (o.Clip)
        return Write_Output(console, o.Output, [&](QIODevice& out) {
            const bool ok = Write_Clip_Text(out, results, o.Table, o.Labels, *columns, &error);
            told();
            return ok;
        });
    return Write_Output(console, o.Output, [&](QIODevice& out) {
        const bool ok = Write_Export_File(out, results, o.Table, o.Labels, *columns, &error);
        told();
        return ok;
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything opens a file that could take the number of a closed output.
    Keep_Standard_Descriptors_Taken();
#if defined(SIGPIPE)
    // A closed pipe is a failed write to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    Console console;
    return console.Finish(Run(console, argc, argv));
}
