#include "cli/Query_Options.h"

#include <QFile>

QString Query_Usage() {
    return QStringLiteral(
        "usage: sifa-query [--dir DIR] [--lang EN|FR] [-c CRITERION]... [--and|--or]\n"
        "                  [--sort FIELD[:desc] | --sort-keys KEY[,KEY...]]\n"
        "                  [--fields Short|All|Custom=RANGE] [--format table|list] [--no-labels]\n"
        "                  [--clip] [-o FILE] [--describe] [--count] [--counts FIELD] [--record N]\n"
        "                  [--check] [--pdf FILE] [--ignore-accents] [--search FILE]\n"
        "       sifa-query --dump-sheet WORKBOOK\n"
        "  CRITERION is [!]FIELD:OPERATOR[:VALUE]; FIELD a field name, a search label or * for [Any fields];\n"
        "  OPERATOR a code 0-8 or an operator label (Equal, Content, Vide, ...); ! means NOT.\n"
        "  --ignore-accents compares texts without their accents: e matches \u00e9, oe \u0153, ss \u00df.\n"
        "  --search FILE runs a saved search (.sifasearch); -c, --and/--or, --sort/--sort-keys, --fields\n"
        "  and --lang given with it replace its criteria, combination, order, field set and language.\n"
        "  --counts FIELD writes how often each value of FIELD (as in a criterion) occurs in the result.\n"
        "  -o FILE.xlsx writes the export as an Excel workbook.\n");
}

std::optional<Query_Options> Parse_Query_Options(const QList<QByteArray>& args, QString& error) {
    Query_Options o;
    bool sawAndOr = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = QFile::decodeName(args[i]);
        auto path = [&](QByteArray& out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option %1 needs a value").arg(a);
                return false;
            }
            out = args[++i];
            return true;
        };
        auto value = [&](QString& out) {
            QByteArray bytes;
            if (!path(bytes)) return false;
            out = QFile::decodeName(bytes);
            return true;
        };
        QString v;
        if (a == QLatin1String("--dir")) {
            if (!path(o.Dir)) return std::nullopt;
        } else if (a == QLatin1String("--lang")) {
            if (!value(v)) return std::nullopt;
            v = v.toUpper();
            if (v != QLatin1String("EN") && v != QLatin1String("FR")) {
                error = QStringLiteral("--lang takes EN or FR, not \"%1\"").arg(QFile::decodeName(args[i]));
                return std::nullopt;
            }
            o.Lang = v;
            o.Lang_Given = true;
        } else if (a == QLatin1String("-c")) {
            if (!value(v)) return std::nullopt;
            if (o.Criteria.size() == 3) {
                error = QStringLiteral("at most three criteria (-c) can be given");
                return std::nullopt;
            }
            o.Criteria << v;
        } else if (a == QLatin1String("--and") || a == QLatin1String("--or")) {
            if (sawAndOr && o.And != (a == QLatin1String("--and"))) {
                error = QStringLiteral("--and and --or exclude each other");
                return std::nullopt;
            }
            sawAndOr = o.And_Given = true;
            o.And = a == QLatin1String("--and");
        } else if (a == QLatin1String("--ignore-accents")) {
            o.Ignore_Accents = true;
        } else if (a == QLatin1String("--sort")) {
            if (!value(v)) return std::nullopt;
            o.Sort = v;
        } else if (a == QLatin1String("--sort-keys")) {
            if (!value(v)) return std::nullopt;
            o.Sort_Keys = v;
        } else if (a == QLatin1String("--fields")) {
            if (!value(v)) return std::nullopt;
            if (v.compare(QLatin1String("Short"), Qt::CaseInsensitive) != 0 &&
                v.compare(QLatin1String("All"), Qt::CaseInsensitive) != 0 &&
                !v.startsWith(QLatin1String("Custom="), Qt::CaseInsensitive)) {
                error = QStringLiteral("--fields takes Short, All or Custom=RANGE, not \"%1\"").arg(v);
                return std::nullopt;
            }
            o.Fields = v;
            o.Fields_Given = true;
        } else if (a == QLatin1String("--format")) {
            if (!value(v)) return std::nullopt;
            if (v == QLatin1String("table"))
                o.Table = true;
            else if (v == QLatin1String("list"))
                o.Table = false;
            else {
                error = QStringLiteral("--format takes table or list, not \"%1\"").arg(v);
                return std::nullopt;
            }
        } else if (a == QLatin1String("--search")) {
            if (!path(o.Search_File)) return std::nullopt;
            if (o.Search_File.isEmpty()) {
                error = QStringLiteral("--search needs a file name");
                return std::nullopt;
            }
        } else if (a == QLatin1String("--no-labels")) {
            o.Labels = false;
        } else if (a == QLatin1String("--clip")) {
            o.Clip = true;
        } else if (a == QLatin1String("-o")) {
            if (!path(o.Output)) return std::nullopt;
            if (o.Output.isEmpty()) {
                error = QStringLiteral("-o needs a file name");
                return std::nullopt;
            }
        } else if (a == QLatin1String("--describe")) {
            o.Describe = true;
        } else if (a == QLatin1String("--count")) {
            o.Count = true;
        } else if (a == QLatin1String("--counts")) {
            if (!value(v)) return std::nullopt;
            o.Counts = v;
        } else if (a == QLatin1String("--record")) {
            if (!value(v)) return std::nullopt;
            o.Record = v;
        } else if (a == QLatin1String("--check")) {
            o.Check = true;
        } else if (a == QLatin1String("--pdf")) {
            if (!path(o.Pdf)) return std::nullopt;
            if (o.Pdf.isEmpty()) {
                error = QStringLiteral("--pdf needs a file name");
                return std::nullopt;
            }
        } else if (a == QLatin1String("--dump-sheet")) {
            if (!path(o.Dump_Sheet)) return std::nullopt;
            if (o.Dump_Sheet.isEmpty()) {
                error = QStringLiteral("--dump-sheet needs a file name");
                return std::nullopt;
            }
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.Help = true;
        } else {
            error = QStringLiteral("unknown option \"%1\"").arg(a);
            return std::nullopt;
        }
    }
    if (o.Sort && o.Sort_Keys) {
        error = QStringLiteral("--sort and --sort-keys exclude each other");
        return std::nullopt;
    }
    if (int(o.Count) + int(o.Counts.has_value()) + int(o.Describe) + int(o.Record.has_value()) + int(o.Check) +
            int(!o.Pdf.isEmpty()) >
        1) {
        error = QStringLiteral("--count, --counts, --describe, --record, --check and --pdf exclude each other");
        return std::nullopt;
    }
    if (!o.Dump_Sheet.isEmpty() && args.size() != 2) {
        error = QStringLiteral("--dump-sheet takes no other option");
        return std::nullopt;
    }
    o.Workbook = QFile::decodeName(o.Output).endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
#ifdef SIFA_QUERY_XLSX
    // The clipboard text and the counts are texts of their own, never a workbook.
    if (o.Workbook && (o.Clip || o.Counts)) {
        error = QStringLiteral("-o FILE.xlsx takes the export, not --clip nor --counts");
        return std::nullopt;
    }
#else
    if (o.Workbook) {
        error = QStringLiteral("-o FILE.xlsx is not available in this version");
        return std::nullopt;
    }
#endif
#ifdef SIFA_QUERY_PDF
    if (!o.Pdf.isEmpty() && (o.Clip || !o.Output.isEmpty())) {
        error = QStringLiteral("--pdf excludes -o and --clip");
        return std::nullopt;
    }
#else
    if (!o.Pdf.isEmpty()) {
        error = QStringLiteral("--pdf is not available in this version");
        return std::nullopt;
    }
#endif
    return o;
}
