#include "ScenarioJson.h"
#include "app/SettingsChangeSequence.h"
#include "netlist/PlottingState.h"
#include "scan/ScanCycle.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QTest>

namespace {

template <typename Done> void runJobsUntil(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        QCoreApplication::processEvents();
}

NetworkModelPtr bySsid(const NetworkList &list, const QString &ssid) {
    for (const NetworkModelPtr &r : list)
        if (r->ssid == ssid)
            return r;
    return nullptr;
}

} // namespace

class TestSettingsChange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void stepsInOrder();
    void signalTextInChosenUnit_data();
    void signalTextInChosenUnit();
    void noJoinedNetworkNoSignalText();
    void historiesClearedAndChoicesCopied();
    void stoppedPollingResumesWithATickAtOnce();
    void newIntervalAndItsMend_data();
    void newIntervalAndItsMend();
    void signalText_data();
    void signalText();

private:
    void pollUntilRunning();

    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<SimulatedInterface> m_radio;
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<PlottingState> m_plotting;
    std::unique_ptr<SettingsChangeSequence> m_sequence;
    QStringList m_events;
};

void TestSettingsChange::init() {
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
    // Joined to A (-60 dBm).
    m_radio = ScenarioJson::play({ScenarioJson::scan({"A:-60", "B:-70", "C:-80"}, 0)});
    m_cycle = std::make_unique<ScanCycle>([this] { return m_radio.get(); }, *m_prefs);
    m_plotting = std::make_unique<PlottingState>(m_cycle->colorPool);
    m_sequence = std::make_unique<SettingsChangeSequence>(*m_cycle, *m_plotting, *m_prefs,
                                                          [this] { return m_radio.get(); });
    m_events.clear();
    auto note = [this](const QString &event) { return [this, event] { m_events << event; }; };
    connect(m_sequence.get(), &SettingsChangeSequence::radarRebuildRequested, this, note("radar"));
    connect(m_sequence.get(), &SettingsChangeSequence::connectionSignalRefreshed, this,
            [this](const QString &text) { m_events << QStringLiteral("signal ") + text; });
    connect(m_sequence.get(), &SettingsChangeSequence::tableReloadRequested, this, note("table"));
    connect(m_sequence.get(), &SettingsChangeSequence::axesConfigureRequested, this, note("axes"));
    connect(m_sequence.get(), &SettingsChangeSequence::graphReloadRequested, this, note("graph"));
    connect(m_cycle.get(), &ScanCycle::pollingChanged, this,
            [this](bool on) { m_events << (on ? "polling on" : "polling off"); });
    connect(m_cycle.get(), &ScanCycle::tableReloadRequested, this, note("tick reload"));
    pollUntilRunning();
    m_events.clear();
}

void TestSettingsChange::cleanup() {
    m_sequence.reset();
    m_plotting.reset();
    m_cycle.reset();
}

void TestSettingsChange::pollUntilRunning() {
    m_cycle->pollingActivation();
    runJobsUntil([&] { return m_events.contains(QLatin1String("tick reload")); });
    QVERIFY(m_cycle->connectedNetwork());
    QVERIFY(m_cycle->timerActive());
}

// The graph reload is queued, so it follows the synchronous steps; the
// restarted timer's tick reloads the table after it.
void TestSettingsChange::stepsInOrder() {
    m_sequence->settingsChanged();
    QCOMPARE(m_events.join(QLatin1String(", ")), "radar, signal -60 dBm, table, axes, polling on");
    runJobsUntil([&] { return m_events.contains(QLatin1String("tick reload")); });
    QCOMPARE(m_events.join(QLatin1String(", ")),
             "radar, signal -60 dBm, table, axes, polling on, graph, tick reload");
}

void TestSettingsChange::signalTextInChosenUnit_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("text");
    QTest::newRow("dBm") << "dBm"
                         << "signal -60 dBm";
    QTest::newRow("Percent: -60 dBm is 80") << "Percent"
                                            << "signal 80%";
}

void TestSettingsChange::signalTextInChosenUnit() {
    QFETCH(QString, unit);
    QFETCH(QString, text);
    m_prefs->setValue(Preferences::displayUnitsKey, unit);
    m_sequence->settingsChanged();
    QCOMPARE(m_events.filter(QStringLiteral("signal")), QStringList{text});
}

void TestSettingsChange::noJoinedNetworkNoSignalText() {
    m_radio = ScenarioJson::play({ScenarioJson::scan({"A:-60"})});
    m_cycle->pollingStarts();
    runJobsUntil([&] { return m_cycle->connectedNetwork() == nullptr; });
    m_events.clear();
    m_sequence->settingsChanged();
    QCOMPARE(m_events.join(QLatin1String(", ")), "radar, table, axes, polling on");
}

void TestSettingsChange::historiesClearedAndChoicesCopied() {
    const NetworkModelPtr a = bySsid(m_cycle->scanedResults(), QStringLiteral("A"));
    const NetworkModelPtr b = bySsid(m_cycle->scanedResults(), QStringLiteral("B"));
    const NetworkModelPtr c = bySsid(m_cycle->scanedResults(), QStringLiteral("C"));
    QVERIFY(a && b && c);
    m_plotting->setPlotted(a, true);
    m_plotting->setPlotted(b, true);
    a->signalStrengthArray = {-60, -61};
    b->signalStrengthArray = {-70};
    c->signalStrengthArray = {-80};                    // not plotted: left alone
    m_plotting->plottingNetworksDict.remove(b->bssid); // e.g. dropped while locating

    m_sequence->settingsChanged();
    QCOMPARE(QStringLiteral("A=%1 B=%2 C=%3")
                 .arg(a->signalStrengthArray.size())
                 .arg(b->signalStrengthArray.size())
                 .arg(c->signalStrengthArray.size()),
             "A=0 B=0 C=1");
    QCOMPARE(m_plotting->plottingNetworksDict, m_plotting->plottingNetworkDictionary);
    QCOMPARE(m_plotting->plottingNetworksDict.size(), 2);
}

void TestSettingsChange::stoppedPollingResumesWithATickAtOnce() {
    m_cycle->stopAction();
    m_events.clear();
    const qint64 counter = m_cycle->counter();
    m_sequence->settingsChanged();
    QVERIFY(m_cycle->polling());
    runJobsUntil([&] { return m_cycle->counter() > counter; });
    QCOMPARE(m_cycle->counter(), counter + 1);
    QVERIFY(m_cycle->timerActive());
}

void TestSettingsChange::newIntervalAndItsMend_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("1 second") << "1" << 1000;
    QTest::newRow("60 seconds") << "60" << 60000;
    QTest::newRow("zero would fire continuously") << "0" << 5000;
    QTest::newRow("negative") << "-3" << 5000;
    QTest::newRow("not a number") << "ten" << 5000;
    QTest::newRow("absent") << QString() << 5000;
}

void TestSettingsChange::newIntervalAndItsMend() {
    QFETCH(QString, stored);
    QFETCH(int, intervalMs);
    m_prefs->setValue(Preferences::pollingIntervalKey, stored);
    m_sequence->settingsChanged();
    runJobsUntil(
        [&] { return m_cycle->timerActive() && m_cycle->pollingIntervalMs() == intervalMs; });
    QCOMPARE(m_cycle->pollingIntervalMs(), intervalMs);
}

void TestSettingsChange::signalText_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<bool>("percent");
    QTest::addColumn<QString>("text");
    QTest::newRow("dBm") << qint64(-48) << false << "-48 dBm";
    QTest::newRow("percent") << qint64(100) << true << "100%";
    QTest::newRow("not heard in percent") << qint64(0) << true << "0%";
}

void TestSettingsChange::signalText() {
    QFETCH(qint64, value);
    QFETCH(bool, percent);
    QFETCH(QString, text);
    QCOMPARE(SettingsChangeSequence::signalText(value, percent), text);
}

QTEST_GUILESS_MAIN(TestSettingsChange)
#include "tst_settingschange.moc"
