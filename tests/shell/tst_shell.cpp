#include "shell/LayoutModes.h"
#include "shell/ToolbarStrip.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

// Records what the layout rules ask of the window, one word per call.
struct FakeHost : LayoutHost {
    QStringList calls;
    int expandedBuilds = 0;
    void arrangePanes(const QList<Pane> &) override { calls << "arrange"; }
    void endExpandedRadarAnimation() override { calls << "endExpanded"; }
    void clearRadarPlot() override { calls << "clearPlot"; }
    void radarView() override { calls << "radarView"; }
    void buildExpandedRadar() override { ++expandedBuilds; }
};

QString helpText(const char *name) {
    QFile file(QStringLiteral(AIRLUME_HELP_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The toolbar, the layout rules and the user guide's PDF.
class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A click only announces (selecting is the window's decision); select
    // redraws every button, so only the chosen one looks chosen: "s" where the
    // background near the top edge looks like the first button's.
    void strip() {
        ToolbarStrip strip;
        strip.resize(700, 40);
        const auto looks = [&] {
            QStringList parts;
            QColor first;
            for (ToolbarButton which : ToolbarSelection::buttons()) {
                const QImage image = strip.button(which)->grab().toImage();
                const QColor top = image.pixelColor(image.width() / 2, 2);
                first = first.isValid() ? first : top;
                parts << (top == first ? "s" : "o");
            }
            return parts.join(' ');
        };
        QSignalSpy clicked(&strip, &ToolbarStrip::buttonClicked);
        QTest::mouseClick(strip.button(ToolbarButton::Polling), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(strip.selected(), ToolbarButton::Layout);
        QCOMPARE(looks(), "s o o o o");
        strip.select(ToolbarButton::Tests); // an earlier choice must not linger
        strip.select(ToolbarButton::Settings);
        QCOMPARE(looks(), "s s o s s");
    }

    // Radar chosen twice builds once. A full-screen switch and the resize it
    // brings rebuild the expanded radar once; the same state again rebuilds
    // nothing; other modes never rebuild, and leaving Radar drops a rebuild
    // still waiting.
    void fullScreenRebuildsOnlyTheRadarLayout() {
        FakeHost host;
        LayoutModes layouts(host);
        layouts.setRebuildDelay(0);
        QStringList seen;
        const auto change = [&](bool fullScreen, QSize size) {
            layouts.windowStateChanged(fullScreen);
            layouts.stackResized(size);
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            seen << QString::number(host.expandedBuilds);
        };
        layouts.apply(LayoutMode::Network);
        change(true, QSize(1920, 1000)); // 0: not in Radar
        layouts.apply(LayoutMode::Radar);
        layouts.apply(LayoutMode::Radar); // 1: the layout itself
        change(false, QSize(1200, 700));  // 2: one rebuild for the switch and its resize
        change(false, QSize(1200, 700));  // 2: nothing changed
        change(false, QSize(1000, 700));  // 3: a plain resize
        QVERIFY(layouts.radarButton());
        layouts.windowStateChanged(true);
        layouts.apply(LayoutMode::History);
        change(true, QSize(1000, 700)); // 3: Radar was left before the rebuild ran
        QCOMPARE(seen.join(' '), "0 2 2 3 3");
        QVERIFY(!host.calls.contains("radarView"));
    }

    // The PDF has several pages and carries every picture the guide shows; a
    // picture the tool could not find would be missing from it.
    void guidePdfHasPagesAndPictures() {
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

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
