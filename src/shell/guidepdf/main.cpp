// Build tool: turns the user guide's HTML into the PDF the Help menu opens.
// Relative image paths are read from the folder of the HTML file.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

namespace {

int fail(const QString &message) {
    QTextStream(stderr) << "airlume-guide-pdf: " << message << '\n';
    return 1;
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
    document.setHtml(text);

    // print() lays the text out inside a margin of its own (2 cm) and puts
    // the page number in it, so the page keeps only a small edge.
    QPdfWriter writer(pdfPath);
    writer.setTitle(QStringLiteral("Airlume User Guide"));
    writer.setCreator(QStringLiteral("Airlume"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    document.print(&writer);
    if (!QFileInfo(pdfPath).isFile() || QFileInfo(pdfPath).size() == 0)
        return fail(QStringLiteral("nothing written to %1").arg(pdfPath));
    return 0;
}
