#include "cli/Query_Pdf.h"

#include <cstdio>

#ifdef SIFA_QUERY_PDF
#include "output/Export.h"
#include "output/LVPrint.h"
#include "winsupport/Message_Service.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace {

// Nobody is there to answer: every message goes to standard error and the job goes
// on (a record too large for a page is left out, as "Yes" does).
class Unattended_Messages : public Message_Service {
public:
    Msg_Answer Show_Message(QWidget*, const QString& text, Msg_Buttons buttons, Msg_Icon, const QString&,
                            const QString&) override {
        QString line = text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        std::fprintf(stderr, "sifa-query: %s\n", line.toUtf8().constData());
        return buttons == Msg_Buttons::OK || buttons == Msg_Buttons::OKCancel ? Msg_Answer::OK : Msg_Answer::Yes;
    }
    QString Show_File(QWidget*, const File_Dialog_Request&) override { return QString(); }
    bool Show_Print_Setup(QWidget*, QPrinter&) override { return false; }
};

}  // namespace

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
    Install_Message_Service(std::make_unique<Unattended_Messages>());
    QPdfWriter writer(file);
    writer.setCreator(QStringLiteral("Sifa_Soft"));
    writer.setTitle(QString::fromLatin1(Export::Report_Title));
    writer.setResolution(600);
    // A printer's usual unprintable edge, so the page looks as it does on paper.
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                     QPageLayout::Millimeter));
    LVPrint printer;
    printer.Grid = &results.Data;
    printer.ReportTitle = QString::fromLatin1(Export::Report_Title);
    printer.Selection_Criteria = criteria;
    printer.Order_By = order;
    printer.Last_Row = results.Result_Rows();
    Painter_Print_Device device(&writer);
    if (!printer.Print_Job(device, 1, Field_Set, columns))
        return QStringLiteral("cannot write the PDF file \"%1\"").arg(file);
    return QString();
}

#else

std::unique_ptr<QCoreApplication> Make_Query_App(int& argc, char** argv, bool) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString Print_Pdf(const QString&, const Search_Results&, const QString&, const QString&, int, const std::vector<bool>&) {
    return QStringLiteral("--pdf is not available in this version");
}

#endif
