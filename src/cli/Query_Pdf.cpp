#include "cli/Query_Pdf.h"

#include <cstdio>

#ifdef SIFA_QUERY_PDF
#include "model/File_Access.h"
#include "output/Export.h"
#include "output/List_Printer.h"

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

namespace {

// The PDF writer's output, kept in a temporary until the job is done.
class Pdf_Output : public QIODevice {
public:
    explicit Pdf_Output(Output_File& file) : file_(file) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override { return file_.Write(data, size) ? size : -1; }

private:
    Output_File& file_;
};

}  // namespace

QString Print_Pdf(const QByteArray& file, const Search_Results& results, const QString& criteria, const QString& order,
                  int Field_Set, const std::vector<bool>& columns) {
    const auto failed = [&](const QString& why) {
        return QStringLiteral("cannot write the PDF file \"%1\": %2").arg(QFile::decodeName(file), why);
    };
    // A pipe or a device is refused before anything waits on it.
    Output_File out;
    if (!out.Open_System_Path(file, Link_Rule::Follow_To_File)) return failed(out.Failure());
    Pdf_Output device(out);
    device.open(QIODevice::WriteOnly);
    bool printed = false;
    {
        QPdfWriter writer(&device);
        writer.setCreator(QStringLiteral("Sifa_Soft"));
        writer.setTitle(QString::fromLatin1(Export::Report_Title));
        writer.setResolution(600);
        // A printer's usual unprintable edge, so the page looks as it does on paper.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                         QPageLayout::Millimeter));
        List_Printer printer;
        printer.Result = &results.Model;
        printer.Report_Title = QString::fromLatin1(Export::Report_Title);
        printer.Selection_Criteria = criteria;
        printer.Order_By = order;
        printer.Last_Row = results.Result_Rows();
        // Nobody is there to answer: a record too large for a page is left out, and said so.
        printer.Go_On_Without_Row = [](int row) {
            std::fprintf(stderr, "sifa-query: Row %d too large to print: Ignored\n", row);
            return true;
        };
        Painter_Print_Device pages(&writer);
        printed = printer.Print_Job(pages, 1, Field_Set, columns);
    }  // the writer has written its last byte
    if (!out.Failure().isEmpty()) return failed(out.Failure());
    if (!printed) return failed(QStringLiteral("the pages could not be drawn"));
    if (!out.Commit()) return failed(out.Failure());
    return QString();
}

#else

std::unique_ptr<QCoreApplication> Make_Query_App(int& argc, char** argv, bool) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString Print_Pdf(const QByteArray&, const Search_Results&, const QString&, const QString&, int,
                  const std::vector<bool>&) {
    return QStringLiteral("--pdf is not available in this version");
}

#endif
