// Build tool: turns the user guide's HTML into the PDF the Help menu opens.
// Relative image paths are read from the folder of the HTML file.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

namespace {

int fail(const QString &message) {
    QTextStream(stderr) << "airlume-guide-pdf: " << message << '\n';
    return 1;
}

// Lays the document out on the writer's pages and draws them one by one,
// with the page number under each. The document is laid out in screen
// pixels (96 per inch) and scaled to the writer's resolution; pictures are
// read from the document's own folder as it draws them.
void writePages(QTextDocument &document, QPdfWriter &writer) {
    const double scale = writer.resolution() / 96.0;
    const QRectF paper = writer.pageLayout().paintRectPixels(writer.resolution());
    const double footer = 24; // screen pixels below the text for the number
    const QSizeF body(paper.width() / scale, paper.height() / scale - footer);
    document.setPageSize(body);

    QPainter painter(&writer);
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        const QRectF shown(0, page * body.height(), body.width(), body.height());
        painter.translate(0, -shown.top());
        document.drawContents(&painter, shown);
        painter.restore();

        painter.save();
        painter.scale(scale, scale);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        painter.setPen(QColor(90, 107, 124));
        painter.drawText(QRectF(0, body.height(), body.width(), footer),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(page + 1));
        painter.restore();
    }
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: airlume-guide-pdf GUIDE.html OUTPUT.pdf VERSION"));
    const QString htmlPath = args.at(1);
    const QString pdfPath = args.at(2);

    QFile html(htmlPath);
    if (!html.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(htmlPath, html.errorString()));
    QString text = QString::fromUtf8(html.readAll());
    text.replace(QLatin1String("{{version}}"), args.at(3));

    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(htmlPath).absolutePath() + QLatin1Char('/')));
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setUseDesignMetrics(true);
    document.setHtml(text);

    QPdfWriter writer(pdfPath);
    writer.setTitle(QStringLiteral("Airlume User Guide"));
    writer.setCreator(QStringLiteral("Airlume"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 18, 20, 14), QPageLayout::Millimeter));
    writePages(document, writer);
    if (!QFileInfo(pdfPath).isFile() || QFileInfo(pdfPath).size() == 0)
        return fail(QStringLiteral("nothing written to %1").arg(pdfPath));
    return 0;
}
