// Renders a user manual written in Markdown into the PDF the program opens from its
// Help and welcome-window buttons. Runs at build time, without a display.
//   sifa-manual INPUT.md OUTPUT.pdf
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

// Text width of an A4 page with the 2 cm margins QTextDocument::print adds, in the 96-dpi
// units image sizes are given in; pictures stay under half a page high.
constexpr double Text_Width_Px = (21.0 - 4.0) / 2.54 * 96.0;
constexpr double Max_Height_Px = 12.0 / 2.54 * 96.0;
constexpr double Picture_Scale = 0.75;

// Screenshots are taken at screen size; shrink the wide ones to the text width, and show
// the others at a size near what the window looks like on screen.
void Fit_Images(QTextDocument& doc, const QString& base_dir) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid() || !frag.charFormat().isImageFormat()) continue;
            QTextImageFormat fmt = frag.charFormat().toImageFormat();
            const QImage image(QFileInfo(base_dir + QLatin1Char('/') + fmt.name()).absoluteFilePath());
            if (image.isNull()) {
                std::fprintf(stderr, "sifa-manual: picture not found: %s\n", qPrintable(fmt.name()));
                continue;
            }
            // print() lays out a copy of the document, which keeps added resources but
            // not the base folder, so the pictures travel as resources.
            doc.addResource(QTextDocument::ImageResource, QUrl(fmt.name()), image);
            const double w = image.width() * Picture_Scale, h = image.height() * Picture_Scale;
            const double scale = std::min({1.0, Text_Width_Px / w, Max_Height_Px / h});
            fmt.setWidth(w * scale);
            fmt.setHeight(h * scale);
            QTextCursor cur(&doc);
            cur.setPosition(frag.position());
            cur.setPosition(frag.position() + frag.length(), QTextCursor::KeepAnchor);
            cur.setCharFormat(fmt);
            QTextBlockFormat centred = block.blockFormat();
            centred.setAlignment(Qt::AlignHCenter);
            cur.setBlockFormat(centred);
        }
    }
}

// Headings get space above them, paragraphs a little after, so the pages breathe.
void Space_Blocks(QTextDocument& doc) {
    QTextCursor cur(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat fmt = block.blockFormat();
        const int level = fmt.headingLevel();
        fmt.setTopMargin(level == 1 ? 0 : level == 2 ? 18 : level == 3 ? 10 : fmt.topMargin());
        fmt.setBottomMargin(level ? 6 : 5);
        cur.setPosition(block.position());
        cur.setBlockFormat(fmt);
    }
}

// Tables as single-ruled grids with a shaded heading row, as in a printed manual.
void Style_Tables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat fmt = table->format();
            fmt.setBorderCollapse(true);
            fmt.setCellSpacing(0);
            fmt.setCellPadding(3);
            fmt.setBorder(1);
            fmt.setBorderBrush(QColor(120, 120, 120));
            fmt.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(fmt);
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(0, c);
                QTextCharFormat head = cell.format();
                head.setBackground(QColor(230, 234, 242));
                cell.setFormat(head);
            }
        }
        Style_Tables(child);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sifa-manual INPUT.md OUTPUT.pdf\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "sifa-manual: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(in.readAll());
    const QString base_dir = QFileInfo(input).absolutePath();

    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    doc.setBaseUrl(QUrl::fromLocalFile(base_dir + QLatin1Char('/')));
    doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    Fit_Images(doc, base_dir);
    Space_Blocks(doc);
    Style_Tables(doc.rootFrame());

    const auto title = QRegularExpression(QStringLiteral("^# (.+)$"), QRegularExpression::MultilineOption).match(text);

    // Written to a side file first, so a failed run never leaves a half PDF behind.
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "sifa-manual: cannot write %s\n", argv[2]);
        return 1;
    }
    {
        QPdfWriter pdf(&out);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        // print() keeps 2 cm around the text itself.
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        pdf.setTitle(title.hasMatch() ? title.captured(1).trimmed() : QFileInfo(input).baseName());
        pdf.setCreator(QStringLiteral("Sifa_Soft"));
        doc.print(&pdf);
    }
    if (!out.commit()) {
        std::fprintf(stderr, "sifa-manual: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
