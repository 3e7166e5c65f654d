#include "ScenarioJson.h"
#include "app/StartupOrder.h"
#include "scan/ScanCycle.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QTest>

namespace {

// Runs queued jobs until `done` holds; the jobs never wait on a clock.
template <typename Done> void runJobsUntil(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestStartupOrder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstResultShownBeforeTimerTicks();
    void timerIntervalFromPreference_data();
    void timerIntervalFromPreference();
    void stoppedBeforeFirstResultStaysStopped();

private:
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<SimulatedInterface> m_radio;
    std::unique_ptr<ScanCycle> m_cycle;
    QStringList m_reloads;
};

void TestStartupOrder::init() {
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
    m_radio = ScenarioJson::play(
        {ScenarioJson::scan({"A:-40", "B:-50"}), ScenarioJson::scan({"A:-40", "B:-50", "C:-60"})});
    m_cycle = std::make_unique<ScanCycle>([this] { return m_radio.get(); }, *m_prefs);
    m_reloads.clear();
    // Stands for the table, connected first as the window does.
    connect(m_cycle.get(), &ScanCycle::tableReloadRequested, this, [this] {
        m_reloads << QStringLiteral("rows=%1 timer=%2")
                         .arg(m_cycle->scanedResults().size())
                         .arg(m_cycle->timerActive() ? "on" : "off");
    });
}

void TestStartupOrder::cleanup() {
    m_cycle.reset();
}

// The first scan's two networks reach the table while no timer exists; the
// timer's immediate tick then brings the second scan's three.
void TestStartupOrder::firstResultShownBeforeTimerTicks() {
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    QVERIFY(!m_cycle->timerActive());
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QCOMPARE(m_reloads.join(QLatin1String(" | ")), "rows=2 timer=off | rows=3 timer=on");
    QCOMPARE(m_radio->scansPlayed(), 2);
}

void TestStartupOrder::timerIntervalFromPreference_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("default 5") << "5" << 5000;
    QTest::newRow("2 seconds") << "2" << 2000;
    QTest::newRow("0 counts as default") << "0" << 5000;
    QTest::newRow("empty counts as default") << "" << 5000;
}

void TestStartupOrder::timerIntervalFromPreference() {
    QFETCH(QString, stored);
    QFETCH(int, intervalMs);
    m_prefs->setValue(Preferences::pollingIntervalKey, stored);
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    runJobsUntil([&] { return m_cycle->timerActive(); });
    QCOMPARE(m_cycle->pollingIntervalMs(), intervalMs);
}

void TestStartupOrder::stoppedBeforeFirstResultStaysStopped() {
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    m_cycle->stopAction();
    runJobsUntil([&] { return m_reloads.size() == 1; });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(m_reloads.join(QLatin1String(" | ")), "rows=2 timer=off");
    QVERIFY(!m_cycle->timerActive());
    QVERIFY(!m_cycle->polling());
}

QTEST_GUILESS_MAIN(TestStartupOrder)
#include "tst_startuporder.moc"
