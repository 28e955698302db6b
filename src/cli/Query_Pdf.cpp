#include "cli/Query_Pdf.h"

#include <cstdio>

#ifdef SIFA_QUERY_PDF
#include "output/Export.h"
#include "output/LVPrint.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

std::unique_ptr<QCoreApplication> Make_Query_App(int& argc, char** argv, bool Pdf) {
    if (!Pdf) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The platform's notes (runtime folder, fonts) are no business of a script's
    // standard error; real failures are reported by the tool itself.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "sifa-query: %s\n", text.toUtf8().constData());
    });
    return std::make_unique<QApplication>(argc, argv);
}

QString Print_Pdf(const QString& file, const Search_Results& results, const QString& criteria, const QString& order,
                  int Field_Set, const std::vector<bool>& columns) {
    QPdfWriter writer(file);
    writer.setCreator(QStringLiteral("Sifa_Soft"));
    writer.setTitle(QString::fromLatin1(Export::Report_Title));
    writer.setResolution(600);
    // A printer's usual unprintable edge, so the page looks as it does on paper.
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    LVPrint printer;
    printer.Grid = &results.Data;
    printer.ReportTitle = QString::fromLatin1(Export::Report_Title);
    printer.Selection_Criteria = criteria;
    printer.Order_By = order;
    printer.Last_Row = results.Result_Rows();
    // Nobody is there to answer: a record too large for a page is left out, and said so.
    printer.Go_On_Without_Row = [](int row) {
        std::fprintf(stderr, "sifa-query: Row %d too large to print: Ignored\n", row);
        return true;
    };
    Painter_Print_Device device(&writer);
    if (!printer.Print_Job(device, 1, Field_Set, columns))
        return QStringLiteral("cannot write the PDF file \"%1\"").arg(file);
    return QString();
}

#else

std::unique_ptr<QCoreApplication> Make_Query_App(int& argc, char** argv, bool) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString Print_Pdf(const QString&, const Search_Results&, const QString&, const QString&, int,
                  const std::vector<bool>&) {
    return QStringLiteral("--pdf is not available in this version");
}

#endif
