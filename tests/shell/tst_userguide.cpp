#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

QString helpText(const char *name) {
    QFile file(QStringLiteral(AIRLUME_HELP_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The guide's PDF as built from the help documents.
class TestUserGuide : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The PDF has several pages and carries every picture the guide shows; a
    // picture the tool could not find would be missing from it.
    void pdfHasPagesAndPictures() {
        QFile pdf(QStringLiteral(AIRLUME_GUIDE_PDF));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), AIRLUME_GUIDE_PDF);
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        const qsizetype pages = bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r");
        QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));

        QSet<QString> pictures;
        const QRegularExpression img(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
        for (const auto &m : img.globalMatch(helpText("guide.html")))
            pictures.insert(m.captured(1));
        QCOMPARE(bytes.count("/Subtype /Image"), qsizetype(pictures.size()));
    }
};

QTEST_GUILESS_MAIN(TestUserGuide)
#include "tst_userguide.moc"
