#include "app/SharedInstanceClass.h"
#include "shell/LayoutModes.h"

#include <QTest>

namespace {

QString names(const QList<Pane> &panes) {
    static const char *paneNames[] = {"radar+conn", "grid", "history", "expanded"};
    QStringList out;
    for (Pane p : panes)
        out << QLatin1String(paneNames[int(p)]);
    return out.join(',');
}

// Records what the layout rules ask of the window, one word per call.
struct FakeHost : LayoutHost {
    QStringList calls;
    int expandedBuilds = 0;
    void arrangePanes(const QList<Pane> &panes) override { calls << "arrange:" + names(panes); }
    void endExpandedRadarAnimation() override { calls << "endExpanded"; }
    void clearRadarPlot() override { calls << "clearPlot"; }
    void radarView() override { calls << "radarView"; }
    void buildExpandedRadar() override { calls << "build:" + QString::number(++expandedBuilds); }
};

} // namespace

class TestLayoutModes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each row applies the modes in turn from start-up (every pane shown) and
    // reads "stack radius | the window calls of the last step".
    void transitions() {
        const char *const rows[][2] = {
            // The grid goes above a history pane that was there first.
            {"history history-networks", "grid,history 90 | endExpanded arrange:grid,history"},
            {"network all", "radar+conn,grid,history 90 | clearPlot endExpanded "
                            "arrange:radar+conn,grid,history radarView"},
            // The same mode twice leaves the stack alone; Show All still
            // redraws its radar, and Radar does nothing at all.
            {"all all", "radar+conn,grid,history 90 | clearPlot endExpanded radarView"},
            {"radar radar", "expanded 220 | "},
            {"radar network radar", "expanded 220 | endExpanded arrange:expanded build:2"}};
        for (const auto &[modes, expected] : rows) {
            FakeHost host;
            LayoutModes layouts(host);
            QCOMPARE(names(layouts.stack()), "radar+conn,grid,history");
            const QStringList steps = QString(modes).split(' ');
            for (const QString &step : steps) {
                host.calls.clear();
                layouts.apply(*LayoutModes::fromOptionName(step));
            }
            QCOMPARE(layouts.mode(), *LayoutModes::fromOptionName(steps.constLast()));
            QCOMPARE(QStringLiteral("%1: %2 %3 | %4")
                         .arg(modes, names(layouts.stack()))
                         .arg(SharedInstanceClass::sharedInstance().maxValue)
                         .arg(host.calls.join(' ')),
                     QString(modes) + ": " + expected);
        }
    }

    // A full-screen switch and the resize it brings rebuild the expanded radar
    // once; the same state again rebuilds nothing; other modes never rebuild,
    // and leaving Radar drops a rebuild still waiting.
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
        change(true, QSize(1920, 1000));  // 0: not in Radar
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
};

QTEST_GUILESS_MAIN(TestLayoutModes)
#include "tst_layoutmodes.moc"
