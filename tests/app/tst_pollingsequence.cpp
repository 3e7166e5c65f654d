#include "ScenarioJson.h"
#include "app/SettingsChangeSequence.h"
#include "app/StartupOrder.h"
#include "graph/PlottingState.h"
#include "scan/ScanCycle.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QTest>

using ScenarioJson::runJobsUntil;

// The start-up order and the settings-changed sequence, both driving a scan
// cycle over a scripted radio.
class TestPollingSequence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstResultShownBeforeTimerTicks();
    void stoppedBeforeFirstResultStaysStopped();
    void settingsChangedStepsInOrder_data();
    void settingsChangedStepsInOrder();
    void historiesClearedAndChoicesCopied();

private:
    void start(const QList<QByteArray> &scans);
    void pollUntilRunning();
    QString reloads() const { return m_events.filter(QStringLiteral("reload ")).join(", "); }

    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<SimulatedInterface> m_radio;
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<PlottingState> m_plotting;
    std::unique_ptr<SettingsChangeSequence> m_sequence;
    QStringList m_events;
};

void TestPollingSequence::start(const QList<QByteArray> &scans) {
    m_sequence.reset();
    m_plotting.reset();
    m_cycle.reset();
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
    m_radio = ScenarioJson::play(scans);
    m_cycle = std::make_unique<ScanCycle>([this] { return m_radio.get(); }, *m_prefs);
    m_plotting = std::make_unique<PlottingState>();
    m_sequence = std::make_unique<SettingsChangeSequence>(*m_cycle, *m_plotting, *m_prefs,
                                                          [this] { return m_radio.get(); });
    m_events.clear();
    const auto note = [this](const char *event) { return [this, event] { m_events << event; }; };
    // The table's stand-in, connected first as the window does.
    connect(m_cycle.get(), &ScanCycle::tickFinished, this, [this] {
        m_events << QStringLiteral("reload rows=%1 timer=%2")
                        .arg(m_cycle->scanedResults().size())
                        .arg(m_cycle->timerActive() ? "on" : "off");
    });
    connect(m_cycle.get(), &ScanCycle::pollingChanged, this,
            [this](bool on) { m_events << (on ? "polling on" : "polling off"); });
    connect(m_sequence.get(), &SettingsChangeSequence::radarRebuildRequested, this, note("radar"));
    connect(m_sequence.get(), &SettingsChangeSequence::connectionSignalRefreshed, this,
            [this](const QString &text) { m_events << "signal " + text; });
    connect(m_sequence.get(), &SettingsChangeSequence::tableReloadRequested, this, note("table"));
    connect(m_sequence.get(), &SettingsChangeSequence::axesConfigureRequested, this, note("axes"));
    connect(m_sequence.get(), &SettingsChangeSequence::graphReloadRequested, this, note("graph"));
}

void TestPollingSequence::pollUntilRunning() {
    m_cycle->pollingActivation();
    runJobsUntil([&] { return !reloads().isEmpty(); });
    QVERIFY(m_cycle->timerActive());
    m_events.clear();
}

// The first scan's two networks reach the table while no timer exists; the
// timer's immediate tick then brings the second scan's three. The timer takes
// the stored interval.
void TestPollingSequence::firstResultShownBeforeTimerTicks() {
    start(
        {ScenarioJson::scan({"A:-40", "B:-50"}), ScenarioJson::scan({"A:-40", "B:-50", "C:-60"})});
    m_prefs->setValue(Preferences::pollingIntervalKey, QStringLiteral("2"));
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    QVERIFY(!m_cycle->timerActive());
    runJobsUntil([&] { return m_events.filter(QStringLiteral("reload ")).size() == 2; });
    QCOMPARE(reloads(), "reload rows=2 timer=off, reload rows=3 timer=on");
    QCOMPARE(m_radio->scansPlayed(), 2);
    QCOMPARE(m_cycle->pollingIntervalMs(), 2000);
}

void TestPollingSequence::stoppedBeforeFirstResultStaysStopped() {
    start({ScenarioJson::scan({"A:-40", "B:-50"})});
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    m_cycle->stopAction();
    for (int i = 0; i < 40; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(reloads(), "reload rows=2 timer=off");
    QVERIFY(!m_cycle->timerActive() && !m_cycle->polling());
}

void TestPollingSequence::settingsChangedStepsInOrder_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("joined");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("signal"); // the connection's signal text, answered later
    QTest::newRow("dBm, 1 s") << "dBm" << 0 << false << "1"
                              << "signal -60 dBm, ";
    QTest::newRow("Percent: -60 dBm is 80; 0 s mended to 5") << "Percent" << 0 << false << "0"
                                                             << "signal 80%, ";
    QTest::newRow("not joined: no signal") << "dBm" << -1 << false << "5"
                                           << "";
    QTest::newRow("stopped: resumes with a tick at once") << "dBm" << 0 << true << "60"
                                                          << "signal -60 dBm, ";
}

// The steps run in order at once; the signal reading and the graph reload
// answer through the event loop, and the restarted timer's tick reloads the
// table after them. The reading does not move the recording on.
void TestPollingSequence::settingsChangedStepsInOrder() {
    QFETCH(QString, unit);
    QFETCH(int, joined);
    QFETCH(bool, stopped);
    QFETCH(QString, interval);
    QFETCH(QString, signal);
    start({ScenarioJson::scan({"A:-60", "B:-70", "C:-80"}, joined)});
    pollUntilRunning();
    if (stopped)
        m_cycle->stopAction();
    m_events.clear();
    m_prefs->setValue(Preferences::displayUnitsKey, unit);
    m_prefs->setValue(Preferences::pollingIntervalKey, interval);
    const int played = m_radio->scansPlayed();
    m_sequence->settingsChanged();
    const QString steps = "radar, table, axes, polling on";
    QCOMPARE(m_events.join(", "), steps);
    QVERIFY(m_cycle->polling());
    runJobsUntil([&] { return !reloads().isEmpty(); });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(m_events.join(", "), steps + ", " + signal + "graph, reload rows=3 timer=on");
    QCOMPARE(m_radio->scansPlayed(), played + 1); // the tick's scan only
    QCOMPARE(m_cycle->pollingIntervalMs(), interval == "0" ? 5000 : interval.toInt() * 1000);
}

void TestPollingSequence::historiesClearedAndChoicesCopied() {
    start({ScenarioJson::scan({"A:-60", "B:-70", "C:-80"}, 0)});
    pollUntilRunning();
    const NetworkList rows = m_cycle->scanedResults();
    QCOMPARE(rows.size(), 3);
    m_plotting->setPlotted(rows[0], true);
    m_plotting->setPlotted(rows[1], true);
    for (const NetworkModelPtr &r : rows)
        r->signalStrengthArray = {-60, -61};
    m_plotting->plottingNetworksDict.remove(rows[1]->bssid); // e.g. dropped while locating
    m_sequence->settingsChanged();
    QStringList sizes; // the third is not plotted: left alone
    for (const NetworkModelPtr &r : rows)
        sizes << r->ssid + '=' + QString::number(r->signalStrengthArray.size());
    QCOMPARE(sizes.join(' '), "A=0 B=0 C=2");
    QCOMPARE(m_plotting->plottingNetworksDict, m_plotting->plottingNetworkDictionary);
    QCOMPARE(m_plotting->plottingNetworksDict.size(), 2);
}

QTEST_GUILESS_MAIN(TestPollingSequence)
#include "tst_pollingsequence.moc"
