#include "app/SharedInstanceClass.h"
#include "shell/LayoutModes.h"

#include <QTest>

namespace {

const char *paneNames[] = {"radar+conn", "grid", "history", "expanded"};

QString names(const QList<Pane> &panes) {
    QStringList out;
    for (Pane p : panes)
        out << QLatin1String(paneNames[int(p)]);
    return out.join(',');
}

// Records what the layout rules ask of the window, one word per call, and
// keeps the arrangement the window would show.
struct FakeHost : LayoutHost {
    QStringList calls;
    QList<Pane> shown{Pane::RadarAndConnection, Pane::Grid, Pane::History};
    int expandedBuilds = 0;

    void arrangePanes(const QList<Pane> &panes) override {
        shown = panes;
        calls << "arrange:" + names(panes);
    }
    void endExpandedRadarAnimation() override { calls << "endExpanded"; }
    void clearRadarPlot() override { calls << "clearPlot"; }
    void radarView() override { calls << "radarView"; }
    void buildExpandedRadar() override {
        ++expandedBuilds;
        calls << "buildExpanded";
    }
};

LayoutMode modeNamed(const QString &name) {
    return *LayoutModes::fromOptionName(name);
}

} // namespace

class TestLayoutModes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void transitions_data();
    void transitions();
    void fullScreenRebuildsOnlyTheRadarLayout();
};

// Each row applies the modes in turn from start-up (every pane shown), then
// checks the stack, the radar radius and the window calls of the last step.
void TestLayoutModes::transitions_data() {
    QTest::addColumn<QString>("modes");
    QTest::addColumn<QString>("stack");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("lastCalls");
    const auto row = [](const char *name, const char *modes, const char *stack, int maxValue,
                        const char *calls) {
        QTest::newRow(name) << QString(modes) << QString(stack) << maxValue << QString(calls);
    };
    row("network", "network", "grid", 90, "endExpanded arrange:grid");
    row("history", "history", "history", 90, "endExpanded arrange:history");
    row("history and networks", "history-networks", "grid,history", 90,
        "endExpanded arrange:grid,history");
    // The grid goes above a history pane that was there first.
    row("history, then with networks", "history history-networks", "grid,history", 90,
        "endExpanded arrange:grid,history");
    row("network, then all", "network all", "radar+conn,grid,history", 90,
        "clearPlot endExpanded arrange:radar+conn,grid,history radarView");
    row("radar", "radar", "expanded", 220, "endExpanded arrange:expanded buildExpanded");
    row("radar, then network", "radar network", "grid", 90, "endExpanded arrange:grid");
    row("radar, then all", "radar all", "radar+conn,grid,history", 90,
        "clearPlot endExpanded arrange:radar+conn,grid,history radarView");
    // The same mode twice leaves the stack alone; Show All still redraws
    // its radar, and Radar does nothing at all.
    row("network twice", "network network", "grid", 90, "endExpanded");
    row("history twice", "history history", "history", 90, "endExpanded");
    row("history and networks twice", "history-networks history-networks", "grid,history", 90,
        "endExpanded");
    row("all twice", "all all", "radar+conn,grid,history", 90, "clearPlot endExpanded radarView");
    row("radar twice", "radar radar", "expanded", 220, "");
    row("radar, network, radar", "radar network radar", "expanded", 220,
        "endExpanded arrange:expanded buildExpanded");
}

void TestLayoutModes::transitions() {
    QFETCH(QString, modes);
    QFETCH(QString, stack);
    QFETCH(int, maxValue);
    QFETCH(QString, lastCalls);
    SharedInstanceClass::sharedInstance().maxValue = 0;
    FakeHost host;
    LayoutModes layouts(host);
    QCOMPARE(names(layouts.stack()), "radar+conn,grid,history");
    const QStringList steps = modes.split(' ');
    for (const QString &step : steps) {
        host.calls.clear();
        layouts.apply(modeNamed(step));
    }
    QCOMPARE(layouts.mode(), modeNamed(steps.constLast()));
    QCOMPARE(names(layouts.stack()), stack);
    QCOMPARE(names(host.shown), stack);
    QCOMPARE(SharedInstanceClass::sharedInstance().maxValue, maxValue);
    QCOMPARE(host.calls.join(' '), lastCalls);
}

// A full-screen switch and the resize it brings rebuild the expanded radar
// once; the same full-screen state again rebuilds nothing; other modes never
// rebuild, and leaving Radar drops a rebuild still waiting.
void TestLayoutModes::fullScreenRebuildsOnlyTheRadarLayout() {
    FakeHost host;
    LayoutModes layouts(host);
    layouts.setRebuildDelay(0);
    const auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    };
    QStringList seen;
    const auto note = [&] { seen << QString::number(host.expandedBuilds); };

    layouts.apply(LayoutMode::Network);
    layouts.windowStateChanged(true);
    layouts.stackResized(QSize(1920, 1000));
    settle();
    note(); // 0: not in Radar

    layouts.apply(LayoutMode::Radar);
    note(); // 1: the layout itself
    layouts.windowStateChanged(false);
    layouts.stackResized(QSize(1200, 700));
    settle();
    note(); // 2: one rebuild for the switch and its resize
    layouts.windowStateChanged(false);
    layouts.stackResized(QSize(1200, 700));
    settle();
    note(); // 2: nothing changed
    layouts.stackResized(QSize(1000, 700));
    settle();
    note(); // 3: a plain resize
    QVERIFY(layouts.radarButton());
    QCOMPARE(SharedInstanceClass::sharedInstance().maxValue, 220);

    layouts.windowStateChanged(true);
    layouts.apply(LayoutMode::History);
    settle();
    note(); // 3: left Radar before the rebuild ran
    QCOMPARE(seen.join(' '), "0 1 2 2 3 3");
    QVERIFY(!host.calls.contains("radarView"));
}

QTEST_GUILESS_MAIN(TestLayoutModes)
#include "tst_layoutmodes.moc"
