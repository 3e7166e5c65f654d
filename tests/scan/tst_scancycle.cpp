#include "FakeInterface.h"
#include "scan/ScanCycle.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

// "A B C": the SSIDs of a list in order; a hidden one reads "-".
QString names(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << (r->ssid.isNull() ? QStringLiteral("-") : r->ssid);
    return parts.join(QLatin1Char(' '));
}

QString bssids(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << r->bssid.right(2);
    return parts.join(QLatin1Char(' '));
}

// Networks from "ssid:rssi" words; a blank ssid is hidden. BSSIDs are
// numbered in the order given: ...:01, ...:02, ...
QList<ScanResult> networks(const QStringList &words) {
    QList<ScanResult> list;
    int n = 0;
    for (const QString &word : words) {
        const QString ssid = word.section(QLatin1Char(':'), 0, 0);
        list << makeNetwork(ssid.isEmpty() ? QString() : ssid,
                            QStringLiteral("aa:bb:cc:dd:ee:%1").arg(++n, 2, 10, QLatin1Char('0')),
                            word.section(QLatin1Char(':'), 1, 1).toInt());
    }
    return list;
}

NetworkModelPtr findSsid(const NetworkList &list, const QString &ssid) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const NetworkModelPtr &r) { return r->ssid == ssid; });
    return it == list.end() ? nullptr : *it;
}

} // namespace

class TestScanCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void counterCountsMerges();
    void mergeKeepsTheFirstRecord();
    void ageingAfterFourMisses();
    void networkReturningAfterMisses_data();
    void networkReturningAfterMisses();
    void failedScansInARow_data();
    void failedScansInARow();
    void idleInterfaceRecordIsNeverMerged();
    void displaySortedStrongestFirst();
    void manyTiesKeepFirstSeenOrder();
    void joinedNetworkPinnedFirst();
    void leftNetworkIsNoLongerConnected();
    void agedJoinedNetworkIsNotKeptPinned();
    void roamingDuringFailedScanDropsOldConnection();
    void locateModelPlacement_data();
    void locateModelPlacement();
    void radarCarriesWhatIsPlotted();
    void tableSorterKeepsJoinedFirst_data();
    void tableSorterKeepsJoinedFirst();
    void totals_data();
    void totals();
    void removeDuplicateElements_data();
    void removeDuplicateElements();
    void jobOrderWithinATick();
    void refreshWhileStoppedScansOnce();
    void stopActionStopsTheTimer();
    void stopRightAfterStartLeavesTimerOff();
    void startActionIntervalFromPreference_data();
    void startActionIntervalFromPreference();
    void wifiChangedEmptiesDisplayList();
    void failedScanReportsReason_data();
    void failedScanReportsReason();

private:
    bool tick();
    bool spinUntilReloaded(QSignalSpy &reloads);
    void drainEvents();

    std::unique_ptr<FakeInterface> m_iface;
    bool m_noInterface = false;
    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<ScanCycle> m_cycle;
};

void TestScanCycle::initTestCase() {
    // Failed scans are logged; the tests check them through scanFailed.
    QLoggingCategory::setFilterRules(QStringLiteral("airlume.scan.info=false"));
}

void TestScanCycle::init() {
    m_cycle.reset();
    m_iface = std::make_unique<FakeInterface>();
    m_noInterface = false;
    m_store = std::make_shared<MemoryPreferenceStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
    m_prefs->writeLaunchDefaults();
    m_cycle = std::make_unique<ScanCycle>(
        [this]() -> WirelessInterface * { return m_noInterface ? nullptr : m_iface.get(); },
        *m_prefs);
}

// Spins the event loop until the tick's table reload has run, then lets
// whatever the tick queued behind it run too.
bool TestScanCycle::spinUntilReloaded(QSignalSpy &reloads) {
    for (int i = 0; i < 100 && reloads.isEmpty(); ++i)
        QCoreApplication::processEvents();
    drainEvents();
    return reloads.size() == 1;
}

void TestScanCycle::drainEvents() {
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

bool TestScanCycle::tick() {
    QSignalSpy reloads(m_cycle.get(), &ScanCycle::tableReloadRequested);
    m_cycle->pollingStarts();
    return spinUntilReloaded(reloads);
}

void TestScanCycle::counterCountsMerges() {
    QCOMPARE(m_cycle->counter(), 1);
    m_iface->queueScan(networks({"A:-50"}));
    m_iface->queueError("busy");
    QVERIFY(tick());
    QCOMPARE(m_cycle->counter(), 2);
    QVERIFY(tick());
    QCOMPARE(m_cycle->counter(), 3);
    QCOMPARE(m_cycle->netWorkList5Poll().first()->availableCount, 2);
}

void TestScanCycle::mergeKeepsTheFirstRecord() {
    m_iface->queueScan(networks({"A:-50"}));
    QVERIFY(tick());
    const NetworkModelPtr first = m_cycle->netWorkList5Poll().value(0);
    QVERIFY(first);
    first->vendor = QStringLiteral("Acme");
    first->signalStrengthArray = {-50};

    ScanResult changed =
        makeNetwork("A-renamed", "aa:bb:cc:dd:ee:01", -63, 149, Band::Ghz5, ChannelWidth::Mhz80);
    changed.securityModes.set(Security::WPA3Personal);
    changed.phyModes.set(PhyMode::AX);
    m_iface->queueScan({changed});
    QVERIFY(tick());

    QCOMPARE(m_cycle->netWorkList5Poll().size(), 1);
    const NetworkModelPtr merged = m_cycle->netWorkList5Poll().first();
    QCOMPARE(merged.get(), first.get());
    const QString summary =
        QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
            .arg(merged->ssid, QString::number(merged->rssi), QString::number(merged->channel),
                 merged->channelWidth, merged->security, merged->networkMode, merged->vendor,
                 QString::number(merged->signalStrengthArray.size()));
    QCOMPARE(summary, "A|-63|6|20 MHz|Unknown|None|Acme|1");
    QCOMPARE(merged->availableCount, 3);
    QCOMPARE(m_cycle->scanedResults().first().get(), first.get());
}

// A seen in scans 1-3 and missing from 4-7; B is heard throughout.
void TestScanCycle::ageingAfterFourMisses() {
    const QList<ScanResult> both = networks({"A:-50", "B:-60"});
    for (int i = 0; i < 3; ++i)
        m_iface->queueScan(both);
    m_iface->fallback = QList<ScanResult>{both.at(1)};

    QSignalSpy agedSpy(m_cycle.get(), &ScanCycle::networksAgedOut);
    NetworkModelPtr a;
    QStringList states;
    for (int scan = 1; scan <= 8; ++scan) {
        QVERIFY(tick());
        if (!a)
            a = findSsid(m_cycle->netWorkList5Poll(), "A");
        QVERIFY(a);
        QString state = QString::number(a->count);
        state += m_cycle->netWorkList5Poll().contains(a) ? QLatin1Char('m') : QLatin1Char('-');
        state += m_cycle->scanedResults().contains(a) ? QLatin1Char('d') : QLatin1Char('-');
        if (!agedSpy.isEmpty()) {
            QCOMPARE(names(agedSpy.takeFirst().at(0).value<NetworkList>()), "A");
            state += QLatin1Char('!');
        }
        states << state;
    }
    QCOMPARE(states.join(QLatin1Char(' ')), "0md 0md 0md 1md 2md 3md 4-d! 4--");
    QCOMPARE(names(m_cycle->netWorkList5Poll()), "B");
}

void TestScanCycle::networkReturningAfterMisses_data() {
    QTest::addColumn<int>("misses");
    QTest::addColumn<bool>("sameRecord");
    QTest::newRow("back after 2 misses") << 2 << true;
    QTest::newRow("back after 3 misses") << 3 << true;
    QTest::newRow("back after 4 misses") << 4 << false;
}

void TestScanCycle::networkReturningAfterMisses() {
    QFETCH(int, misses);
    QFETCH(bool, sameRecord);
    const QList<ScanResult> both = networks({"A:-50", "B:-60"});
    m_iface->queueScan(both);
    for (int i = 0; i < misses; ++i)
        m_iface->queueScan({both.at(1)});
    m_iface->queueScan(both);

    QVERIFY(tick());
    const NetworkModelPtr first = findSsid(m_cycle->netWorkList5Poll(), "A");
    QVERIFY(first);
    first->vendor = QStringLiteral("Acme");
    first->signalStrengthArray = {-50, -52};
    for (int i = 0; i < misses; ++i)
        QVERIFY(tick());
    QVERIFY(tick());

    const NetworkModelPtr now = findSsid(m_cycle->netWorkList5Poll(), "A");
    QVERIFY(now);
    QCOMPARE(now.get() == first.get(), sameRecord);
    QCOMPARE(now->count, 0);
    QCOMPARE(now->vendor, sameRecord ? "Acme" : "Unknown");
    QCOMPARE(now->signalStrengthArray.size(), sameRecord ? 2 : 0);
    QCOMPARE(m_cycle->netWorkList5Poll().size(), 2);
    QCOMPARE(names(m_cycle->scanedResults()), "A B");
}

void TestScanCycle::failedScansInARow_data() {
    QTest::addColumn<int>("failures");
    QTest::addColumn<QString>("merged");
    QTest::newRow("3 failures") << 3 << "A -";
    QTest::newRow("4 failures") << 4 << "";
}

void TestScanCycle::failedScansInARow() {
    QFETCH(int, failures);
    QFETCH(QString, merged);
    m_iface->queueScan(networks({"A:-50", ":-60"}));
    for (int i = 0; i < failures; ++i)
        m_iface->queueError("busy");
    m_iface->fallback = FakeInterface::ScanError{"busy"};

    for (int i = 0; i <= failures; ++i)
        QVERIFY(tick());
    QCOMPARE(names(m_cycle->netWorkList5Poll()), merged);
    // The tick that ages them out still shows them; the next one does not.
    QCOMPARE(names(m_cycle->scanedResults()), "A -");
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), failures == 4 ? "" : "A -");
}

void TestScanCycle::idleInterfaceRecordIsNeverMerged() {
    m_iface->leave();
    m_iface->fallback = networks({"A:-50"});
    for (int i = 0; i < 3; ++i)
        QVERIFY(tick());
    QCOMPARE(bssids(m_cycle->netWorkList5Poll()), "01");
    QCOMPARE(bssids(m_cycle->scanedResults()), "01");
    QVERIFY(!m_cycle->connectedNetwork());
}

void TestScanCycle::displaySortedStrongestFirst() {
    m_iface->leave();
    m_iface->queueScan(networks({"A:-70", "B:-50", "C:-70", "D:-60", "E:-50"}));
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "B E D A C");

    // Same strengths, heard in another order: ties keep first-seen order.
    QList<ScanResult> again = networks({"A:-70", "B:-50", "C:-70", "D:-60", "E:-50"});
    std::reverse(again.begin(), again.end());
    m_iface->queueScan(again);
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "B E D A C");

    // A changed reading reorders.
    m_iface->queueScan(networks({"A:-30", "B:-50", "C:-80", "D:-60", "E:-50"}));
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "A B E D C");
}

// Enough equal readings that an unstable sort would shuffle them.
void TestScanCycle::manyTiesKeepFirstSeenOrder() {
    QStringList heard;
    QStringList expected[2];
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("N%1").arg(i, 2, 10, QLatin1Char('0'));
        heard << name + (i % 2 ? QStringLiteral(":-60") : QStringLiteral(":-50"));
        expected[i % 2] << name;
    }
    m_iface->leave();
    m_iface->queueScan(networks(heard));
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), (expected[0] + expected[1]).join(QLatin1Char(' ')));
}

void TestScanCycle::joinedNetworkPinnedFirst() {
    const QList<ScanResult> heard = networks({"A:-40", "B:-50", "J:-85"});
    m_iface->join(heard.at(2), Security::WPA2Personal, PhyMode::AC);
    m_iface->fallback = heard;
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "J A B");
    QVERIFY(m_cycle->connectedNetwork());
    QCOMPARE(m_cycle->connectedNetwork().get(), m_cycle->scanedResults().first().get());
    // The merged record came from the interface's own view.
    QCOMPARE(m_cycle->connectedNetwork()->security, "WPA2 Personal");
    QCOMPARE(m_cycle->connectedNetwork()->networkMode, "802.11ac");

    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "J A B");
    QCOMPARE(m_cycle->netWorkList5Poll().size(), 3);
}

void TestScanCycle::leftNetworkIsNoLongerConnected() {
    const QList<ScanResult> heard = networks({"A:-40", "B:-50", "J:-85"});
    m_iface->join(heard.at(2), Security::WPA2Personal, PhyMode::AC);
    m_iface->fallback = heard;
    QVERIFY(tick());
    QVERIFY(m_cycle->connectedNetwork());

    m_iface->leave();
    QVERIFY(tick());
    QVERIFY(!m_cycle->connectedNetwork());
    QCOMPARE(names(m_cycle->scanedResults()), "A B J");
}

// Joined, then the scans keep failing: once the joined network's record has
// aged out it must not linger as the connected network or in the list.
void TestScanCycle::agedJoinedNetworkIsNotKeptPinned() {
    const QList<ScanResult> heard = networks({"A:-40", "J:-85"});
    m_iface->join(heard.at(1), Security::WPA2Personal, PhyMode::AC);
    m_iface->queueScan(heard);
    m_iface->fallback = FakeInterface::ScanError{"busy"};

    for (int i = 0; i < 5; ++i)
        QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "J A"); // aged out this tick, still shown
    QCOMPARE(names(m_cycle->netWorkList5Poll()), "");
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "");
    QVERIFY(!m_cycle->connectedNetwork());
}

// Joined to J, then moved to K while the scan failed: J is no longer the
// connected network.
void TestScanCycle::roamingDuringFailedScanDropsOldConnection() {
    const QList<ScanResult> heard = networks({"A:-40", "J:-85", "K:-60"});
    m_iface->join(heard.at(1), Security::WPA2Personal, PhyMode::AC);
    m_iface->queueScan({heard.at(0), heard.at(1)});
    m_iface->queueError("busy");
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "J A");

    m_iface->join(heard.at(2), Security::WPA2Personal, PhyMode::AC);
    QVERIFY(tick());
    QVERIFY(!m_cycle->connectedNetwork());
    QCOMPARE(names(m_cycle->scanedResults()), "A J");
}

void TestScanCycle::locateModelPlacement_data() {
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<QString>("joined");
    QTest::addColumn<QString>("located");
    QTest::addColumn<bool>("locating");
    QTest::addColumn<QString>("display");
    const QStringList abcd = {"A:-40", "B:-50", "C:-60", "D:-70"};
    QTest::newRow("target in the middle") << abcd << ""
                                          << "C" << true << "A C B D";
    QTest::newRow("target strongest") << abcd << ""
                                      << "A" << true << "B A C D";
    QTest::newRow("target weakest") << abcd << ""
                                    << "D" << true << "A D B C";
    QTest::newRow("target not listed") << abcd << ""
                                       << "X" << true << "A X B C D";
    QTest::newRow("joined first, target next") << abcd << "D"
                                               << "B" << true << "D B A C";
    QTest::newRow("empty list") << QStringList{} << ""
                                << "X" << true << "X";
    QTest::newRow("not locating") << abcd << ""
                                  << "C" << false << "A B C D";
}

void TestScanCycle::locateModelPlacement() {
    QFETCH(QStringList, heard);
    QFETCH(QString, joined);
    QFETCH(QString, located);
    QFETCH(bool, locating);
    QFETCH(QString, display);
    const QList<ScanResult> scan = networks(heard);
    m_iface->leave();
    for (const ScanResult &r : scan) {
        if (r.ssid == joined)
            m_iface->join(r, Security::None, PhyMode::N);
    }
    m_iface->fallback = scan;
    QVERIFY(tick());

    NetworkModelPtr target = findSsid(m_cycle->netWorkList5Poll(), located);
    if (!target)
        target = std::make_shared<NetworkModel>(makeNetwork(located, "aa:bb:cc:dd:ee:99", -75));
    m_cycle->setLocateHooks(
        {[=] { return locating ? NetworkList{target} : NetworkList{}; }, [=] { return target; }});
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), display);
    QCOMPARE(m_cycle->scanedResults().count(target), 1);
}

void TestScanCycle::radarCarriesWhatIsPlotted() {
    m_iface->leave();
    m_iface->fallback = networks({"A:-40", "A:-50", "B:-60"});
    QSignalSpy radar(m_cycle.get(), &ScanCycle::radarPlotRequested);
    QVERIFY(tick());
    QCOMPARE(radar.size(), 1);
    QCOMPARE(bssids(radar.takeFirst().at(0).value<NetworkList>()), "01 03");

    const NetworkModelPtr target = findSsid(m_cycle->netWorkList5Poll(), "B");
    const NetworkList located = {target, m_cycle->netWorkList5Poll().at(1)};
    m_cycle->setLocateHooks({[=] { return located; }, [=] { return target; }});
    QVERIFY(tick());
    QCOMPARE(radar.size(), 1);
    QCOMPARE(bssids(radar.takeFirst().at(0).value<NetworkList>()), "03 02");
}

void TestScanCycle::tableSorterKeepsJoinedFirst_data() {
    QTest::addColumn<bool>("joined");
    QTest::addColumn<QString>("display");
    QTest::newRow("joined to Zed") << true << "Zed Alpha Bravo Charlie";
    QTest::newRow("not joined") << false << "Alpha Bravo Charlie Zed";
}

void TestScanCycle::tableSorterKeepsJoinedFirst() {
    QFETCH(bool, joined);
    QFETCH(QString, display);
    const QList<ScanResult> heard = networks({"Bravo:-40", "Charlie:-45", "Alpha:-50", "Zed:-90"});
    m_iface->leave();
    if (joined)
        m_iface->join(heard.at(3), Security::None, PhyMode::N);
    m_iface->fallback = heard;
    int sorterCalls = 0;
    m_cycle->setTableSorter([&](NetworkList &list) {
        ++sorterCalls;
        std::sort(list.begin(), list.end(), [](const NetworkModelPtr &a, const NetworkModelPtr &b) {
            return a->ssid < b->ssid;
        });
    });
    QSignalSpy sorted(m_cycle.get(), &ScanCycle::displayListSorted);
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), display);
    QCOMPARE(sorterCalls, 1);
    QCOMPARE(sorted.size(), 1);
}

void TestScanCycle::totals_data() {
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<QString>("totals");
    QTest::newRow("nothing") << QStringList{} << "";
    QTest::newRow("one named") << QStringList{"A:-40"} << "";
    QTest::newRow("one named one hidden") << QStringList{"A:-40", ":-50"} << "";
    QTest::newRow("two named") << QStringList{"A:-40", "B:-50"}
                               << "Total SSID's : 2|Total BSSID's : 2";
    QTest::newRow("two of one name and hidden")
        << QStringList{"A:-40", "A:-50", ":-60"} << "Total SSID's : 1|Total BSSID's : 3";
    QTest::newRow("three names two hidden")
        << QStringList{"A:-40", ":-45", "B:-50", ":-55", "C:-60", "A:-70"}
        << "Total SSID's : 3|Total BSSID's : 6";
}

void TestScanCycle::totals() {
    QFETCH(QStringList, heard);
    QFETCH(QString, totals);
    m_iface->leave();
    m_iface->queueScan(networks(heard));
    QSignalSpy spy(m_cycle.get(), &ScanCycle::totalsChanged);
    QVERIFY(tick());
    QStringList emitted;
    for (const QList<QVariant> &args : std::as_const(spy))
        emitted << args.at(0).toString() + QLatin1Char('|') + args.at(1).toString();
    QCOMPARE(emitted.join(QLatin1Char(';')), totals);
}

void TestScanCycle::removeDuplicateElements_data() {
    QTest::addColumn<QStringList>("heard");
    QTest::addColumn<int>("joined"); // 1-based position in heard; 0: not joined
    QTest::addColumn<bool>("sortByBssidDescending");
    QTest::addColumn<QString>("plotted");
    QTest::newRow("strongest of a name")
        << QStringList{"Home:-40", "Home:-70"} << 0 << false << "01";
    QTest::newRow("strongest heard last")
        << QStringList{"Home:-70", "Home:-40"} << 0 << false << "02";
    QTest::newRow("joined to the weaker")
        << QStringList{"Home:-40", "Home:-70"} << 2 << false << "02";
    QTest::newRow("joined to the stronger")
        << QStringList{"Home:-40", "Home:-70"} << 1 << false << "01";
    QTest::newRow("hidden each listed")
        << QStringList{":-60", "Home:-50", ":-65", ":-60"} << 0 << false << "02 01 04 03";
    QTest::newRow("tie at the strongest")
        << QStringList{"Home:-50", "Home:-50", "Home:-60", "Cafe:-55"} << 0 << false << "01 02 04";
    QTest::newRow("tie after sorting: first in list order")
        << QStringList{"Home:-50", "Home:-50", "Home:-60"} << 0 << true << "03 02 01";
    QTest::newRow("head always included")
        << QStringList{"Home:-40", "Cafe:-55", "Home:-70"} << 0 << true << "03 01 02";
    QTest::newRow("names kept apart")
        << QStringList{"Home:-40", "Cafe:-50", "Home:-45", "Cafe:-45", "Shop:-80"} << 0 << false
        << "01 04 05";
}

void TestScanCycle::removeDuplicateElements() {
    QFETCH(QStringList, heard);
    QFETCH(int, joined);
    QFETCH(bool, sortByBssidDescending);
    QFETCH(QString, plotted);
    const QList<ScanResult> scan = networks(heard);
    m_iface->leave();
    if (joined > 0)
        m_iface->join(scan.at(joined - 1), Security::None, PhyMode::N);
    m_iface->fallback = scan;
    if (sortByBssidDescending) {
        m_cycle->setTableSorter([](NetworkList &list) {
            std::sort(list.begin(), list.end(),
                      [](const NetworkModelPtr &a, const NetworkModelPtr &b) {
                          return a->bssid > b->bssid;
                      });
        });
    }
    QSignalSpy radar(m_cycle.get(), &ScanCycle::radarPlotRequested);
    QVERIFY(tick());
    QCOMPARE(bssids(m_cycle->removeDuplicateElements()), plotted);
    QCOMPARE(radar.size(), 1);
    QCOMPARE(bssids(radar.takeFirst().at(0).value<NetworkList>()), plotted);
}

void TestScanCycle::jobOrderWithinATick() {
    m_iface->leave();
    m_iface->fallback = networks({"A:-40", "B:-50"});
    QStringList log;
    QObject listener;
    connect(m_cycle.get(), &ScanCycle::radarPlotRequested, &listener,
            [&] { log << QStringLiteral("radar"); });
    connect(m_cycle.get(), &ScanCycle::graphReloadRequested, &listener,
            [&] { log << QStringLiteral("graph"); });
    connect(m_cycle.get(), &ScanCycle::tableReloadRequested, &listener,
            [&] { log << QStringLiteral("table"); });
    QVERIFY(tick());
    QVERIFY(tick());
    QCOMPARE(log.join(QLatin1Char(' ')), "radar graph table radar graph table");
}

void TestScanCycle::refreshWhileStoppedScansOnce() {
    m_iface->fallback = networks({"A:-40"});
    m_cycle->stopAction();
    QSignalSpy reloads(m_cycle.get(), &ScanCycle::tableReloadRequested);
    m_cycle->refresh();
    QVERIFY(spinUntilReloaded(reloads));
    QCOMPARE(m_iface->scanCount, 1);
    QVERIFY(!m_cycle->polling());
    QVERIFY(!m_cycle->timerActive());
    QCOMPARE(names(m_cycle->scanedResults()), "A");
}

void TestScanCycle::stopActionStopsTheTimer() {
    QSignalSpy changes(m_cycle.get(), &ScanCycle::pollingChanged);
    QSignalSpy reloads(m_cycle.get(), &ScanCycle::tableReloadRequested);
    m_cycle->startAction();
    QVERIFY(spinUntilReloaded(reloads));
    QVERIFY(m_cycle->timerActive());
    QVERIFY(m_cycle->polling());

    m_cycle->stopAction();
    QVERIFY(!m_cycle->timerActive());
    QVERIFY(!m_cycle->polling());
    QStringList states;
    for (const QList<QVariant> &args : std::as_const(changes))
        states << args.at(0).toString();
    QCOMPARE(states.join(QLatin1Char(' ')), "true false");
}

// The start's first tick is queued; a stop issued before it runs wins.
void TestScanCycle::stopRightAfterStartLeavesTimerOff() {
    m_cycle->startAction();
    m_cycle->stopAction();
    drainEvents();
    QVERIFY(!m_cycle->polling());
    QVERIFY(!m_cycle->timerActive());
}

void TestScanCycle::startActionIntervalFromPreference_data() {
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("2") << "2" << 2000;
    QTest::newRow("0.5") << "0.5" << 500;
    QTest::newRow("0") << "0" << 5000;
    QTest::newRow("-1") << "-1" << 5000;
    QTest::newRow("abc") << "abc" << 5000;
    QTest::newRow("absent") << QString() << 5000;
}

void TestScanCycle::startActionIntervalFromPreference() {
    QFETCH(QString, interval);
    QFETCH(int, milliseconds);
    // A store without launch defaults, so the value can be absent.
    m_cycle.reset();
    m_store = std::make_shared<MemoryPreferenceStore>();
    m_prefs = std::make_unique<Preferences>(m_store);
    m_cycle = std::make_unique<ScanCycle>([this] { return m_iface.get(); }, *m_prefs);
    if (!interval.isNull())
        m_prefs->setValue(Preferences::pollingIntervalKey, interval);

    QSignalSpy reloads(m_cycle.get(), &ScanCycle::tableReloadRequested);
    m_cycle->startAction();
    QVERIFY(spinUntilReloaded(reloads));
    QCOMPARE(m_iface->scanCount, 1);
    QVERIFY(m_cycle->polling());
    QVERIFY(m_cycle->timerActive());
    QCOMPARE(m_cycle->pollingIntervalMs(), milliseconds);
}

void TestScanCycle::wifiChangedEmptiesDisplayList() {
    m_iface->fallback = networks({"A:-40", "B:-50"});
    QVERIFY(tick());
    QCOMPARE(names(m_cycle->scanedResults()), "A B");
    QSignalSpy reloads(m_cycle.get(), &ScanCycle::tableReloadRequested);
    m_cycle->wifiChanged();
    QVERIFY(m_cycle->scanedResults().isEmpty());
    QVERIFY(spinUntilReloaded(reloads));
    QCOMPARE(m_iface->scanCount, 1);
}

void TestScanCycle::failedScanReportsReason_data() {
    QTest::addColumn<bool>("noInterface");
    QTest::addColumn<QString>("reason");
    QTest::newRow("interface refuses") << false << "Device or resource busy";
    QTest::newRow("no interface") << true << "no Wi-Fi interface to scan";
}

void TestScanCycle::failedScanReportsReason() {
    QFETCH(bool, noInterface);
    QFETCH(QString, reason);
    m_noInterface = noInterface;
    m_iface->queueError("Device or resource busy");
    m_iface->queueScan(networks({"A:-40"}));
    QSignalSpy failures(m_cycle.get(), &ScanCycle::scanFailed);
    QVERIFY(tick());
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures.takeFirst().at(0).toString(), reason);
    QCOMPARE(m_cycle->lastScanError(), reason);

    m_noInterface = false;
    if (noInterface)
        m_iface->script.dequeue();
    QVERIFY(tick());
    QVERIFY(failures.isEmpty());
    QVERIFY(m_cycle->lastScanError().isEmpty());
}

QTEST_GUILESS_MAIN(TestScanCycle)
#include "tst_scancycle.moc"
