#include "FakeInterface.h"
#include "scan/NetworkScanner.h"

#include <QTest>
#include <memory>

namespace {

// "ssid/bssid/rssi" per record; a null field reads "-".
QString describe(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list) {
        parts << QStringLiteral("%1/%2/%3")
                     .arg(r->ssid.isNull() ? QStringLiteral("-") : r->ssid,
                          r->bssid.isNull() ? QStringLiteral("-") : r->bssid,
                          QString::number(r->rssi));
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestNetworkScanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void joinedNetworkListedOnceAndFirst();
    void idleInterfaceRecordLeadsTheList();
    void nullBssidNeverMatchesTheIdleInterface();
    void scanErrorCallsBackOnceWithNothing_data();
    void scanErrorCallsBackOnceWithNothing();
    void successCallsBackOnceSynchronously();
    void eachCallStartsAFreshList();
    void signalStrength_data();
    void signalStrength();
    void signalStrengthOfScanError();

private:
    std::unique_ptr<FakeInterface> m_iface;
};

void TestNetworkScanner::init() {
    m_iface = std::make_unique<FakeInterface>();
}

void TestNetworkScanner::joinedNetworkListedOnceAndFirst() {
    const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45);
    m_iface->join(home, Security::WPA2Personal, PhyMode::AC);
    m_iface->joinedRssi = -47; // the interface's own reading differs from the scan's
    m_iface->queueScan({makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70), home,
                        makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -80)});

    NetworkScanner scanner(*m_iface);
    std::optional<NetworkList> got;
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) { got = list; });

    QVERIFY(got.has_value());
    QCOMPARE(describe(*got), "Home/aa:bb:cc:dd:ee:01/-47 Cafe/aa:bb:cc:dd:ee:02/-70 "
                             "-/aa:bb:cc:dd:ee:03/-80");
    // The head is the interface's view (no trailing blank in its security).
    QCOMPARE(got->first()->security, "WPA2 Personal");
    QCOMPARE(describe(scanner.availableNetworks), describe(*got));
}

void TestNetworkScanner::idleInterfaceRecordLeadsTheList() {
    m_iface->leave();
    m_iface->queueScan({makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70)});

    NetworkScanner scanner(*m_iface);
    std::optional<NetworkList> got;
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) { got = list; });

    QVERIFY(got.has_value());
    QCOMPARE(describe(*got), "-/-/0 Cafe/aa:bb:cc:dd:ee:02/-70");
}

void TestNetworkScanner::nullBssidNeverMatchesTheIdleInterface() {
    m_iface->leave();
    m_iface->queueScan({makeNetwork("Odd", QString(), -60), makeNetwork("Odd2", QString(), -65)});

    NetworkScanner scanner(*m_iface);
    std::optional<NetworkList> got;
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) { got = list; });

    QVERIFY(got.has_value());
    QCOMPARE(describe(*got), "-/-/0 Odd/-/-60 Odd2/-/-65");
}

void TestNetworkScanner::scanErrorCallsBackOnceWithNothing_data() {
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("lastError");
    QTest::newRow("reason given") << "Device or resource busy"
                                  << "Device or resource busy";
    QTest::newRow("no reason given") << QString() << "scan failed";
}

void TestNetworkScanner::scanErrorCallsBackOnceWithNothing() {
    QFETCH(QString, reason);
    QFETCH(QString, lastError);
    m_iface->queueError(reason);
    QTest::ignoreMessage(QtInfoMsg, qPrintable(lastError)); // the failure is logged

    NetworkScanner scanner(*m_iface);
    int calls = 0;
    bool gotList = true;
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) {
        ++calls;
        gotList = list.has_value();
    });

    QCOMPARE(calls, 1);
    QVERIFY(!gotList);
    QCOMPARE(scanner.lastError, lastError);
    QVERIFY(scanner.availableNetworks.isEmpty());
    QCOMPARE(m_iface->scanCount, 1);
}

void TestNetworkScanner::successCallsBackOnceSynchronously() {
    m_iface->queueScan({makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70)});
    NetworkScanner scanner(*m_iface);
    int calls = 0;
    bool gotList = false;
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) {
        ++calls;
        gotList = list.has_value();
    });
    QCOMPARE(calls, 1); // already called when getAvailableNetworks returns
    QVERIFY(gotList);
    QCOMPARE(m_iface->scanCount, 1);
}

void TestNetworkScanner::eachCallStartsAFreshList() {
    m_iface->leave();
    m_iface->queueScan({makeNetwork("A", "aa:bb:cc:dd:ee:0a", -50)});
    m_iface->queueScan({makeNetwork("B", "aa:bb:cc:dd:ee:0b", -60)});
    m_iface->queueError("gone");

    NetworkScanner scanner(*m_iface);
    const auto ignore = [](const std::optional<NetworkList> &) {};
    scanner.getAvailableNetworks(ignore);
    scanner.getAvailableNetworks(ignore);
    QCOMPARE(describe(scanner.availableNetworks), "-/-/0 B/aa:bb:cc:dd:ee:0b/-60");
    scanner.getAvailableNetworks(ignore);
    QCOMPARE(describe(scanner.availableNetworks), "");
}

void TestNetworkScanner::signalStrength_data() {
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("expected");
    // Scan: Home (joined, interface says -47, scan says -45) and Cafe -70 on channel 11.
    QTest::newRow("scanned network matches") << "Cafe"
                                             << "aa:bb:cc:dd:ee:02" << 11 << -70;
    QTest::newRow("joined network reads the interface") << "Home"
                                                        << "aa:bb:cc:dd:ee:01" << 6 << -47;
    QTest::newRow("other ssid") << "Cafe2"
                                << "aa:bb:cc:dd:ee:02" << 11 << 0;
    QTest::newRow("other bssid") << "Cafe"
                                 << "aa:bb:cc:dd:ee:09" << 11 << 0;
    QTest::newRow("other channel") << "Cafe"
                                   << "aa:bb:cc:dd:ee:02" << 1 << 0;
    QTest::newRow("null ssid") << QString() << "aa:bb:cc:dd:ee:03" << 1 << 0;
    QTest::newRow("null bssid") << "Cafe" << QString() << 11 << 0;
}

void TestNetworkScanner::signalStrength() {
    QFETCH(QString, ssid);
    QFETCH(QString, bssid);
    QFETCH(int, channel);
    QFETCH(int, expected);

    const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45, 6);
    m_iface->join(home, Security::WPA2Personal, PhyMode::N);
    m_iface->joinedRssi = -47;
    // A hidden network with no BSSID and one with no SSID: a null target
    // field must not match them.
    m_iface->fallback = QList<ScanResult>{home, makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70, 11),
                                          makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -60, 1),
                                          makeNetwork("Cafe", QString(), -65, 11)};

    NetworkModel target(makeNetwork(ssid, bssid, -99, channel));
    NetworkScanner scanner(*m_iface);
    QCOMPARE(scanner.getSignalStrength(target), expected);
}

void TestNetworkScanner::signalStrengthOfScanError() {
    m_iface->join(makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45, 6), Security::None, PhyMode::N);
    m_iface->queueError("busy");
    QTest::ignoreMessage(QtInfoMsg, "busy");
    NetworkScanner scanner(*m_iface);
    QCOMPARE(scanner.getSignalStrength(NetworkModel(*m_iface)), 0);
    QCOMPARE(scanner.lastError, "busy");
}

QTEST_GUILESS_MAIN(TestNetworkScanner)
#include "tst_networkscanner.moc"
