#include "settings/SettingsForm.h"
#include "shell/ToolbarMenus.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

QString helpText(const char *name) {
    QFile file(QStringLiteral(AIRLUME_HELP_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The help documents as shipped: the guide's PDF from the build, and the
// words the window shows explained in both the guide and the glossary.
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

    void everyLayoutAndSettingIsExplained() {
        QStringList terms;
        for (const MenuEntry &e : ToolbarMenus::layoutMenu(LayoutMode::ShowAll))
            terms << QString(e.title).replace('\n', ' ').replace('&', "&amp;");
        for (SettingsForm::Box box : SettingsForm::boxes())
            terms << SettingsForm::label(box);
        const auto flat = [](const char *name) {
            return helpText(name).replace(QRegularExpression(QStringLiteral("\\s+")), " ");
        };
        const QString guide = flat("guide.html"), glossary = flat("glossary.html");
        for (const QString &term : terms) {
            QVERIFY2(guide.contains(term, Qt::CaseInsensitive), qPrintable("guide: " + term));
            QVERIFY2(glossary.contains(term, Qt::CaseInsensitive), qPrintable("glossary: " + term));
        }
    }
};

QTEST_GUILESS_MAIN(TestUserGuide)
#include "tst_userguide.moc"
