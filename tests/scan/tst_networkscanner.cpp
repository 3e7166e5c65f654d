#include "scan/NetworkScanner.h"
#include "support/FakeInterface.h"

#include <QTest>

namespace {

// "ssid/bssid/rssi" per record; a null field reads "-".
QString describe(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << QStringLiteral("%1/%2/%3")
                     .arg(r->ssid.isNull() ? "-" : r->ssid,
                          r->bssid.isNull() ? "-" : r->bssid.right(2), QString::number(r->rssi));
    return parts.join(' ');
}

// Scans once; "calls:described list" ("-" when called back with nothing).
QString scan(NetworkScanner &scanner) {
    int calls = 0;
    QString got = QStringLiteral("-");
    scanner.getAvailableNetworks([&](const std::optional<NetworkList> &list) {
        ++calls;
        if (list)
            got = describe(*list);
    });
    return QString::number(calls) + ':' + got;
}

} // namespace

class TestNetworkScanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The joined network is listed once, first, from the interface's own view.
    void joinedNetworkListedOnceAndFirst() {
        FakeInterface iface;
        const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45);
        iface.join(home, Security::WPA2Personal, PhyMode::AC);
        iface.joinedRssi = -47;
        iface.queueScan({makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70), home,
                         makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -80)});
        NetworkScanner scanner(iface);
        QCOMPARE(scan(scanner), "1:Home/01/-47 Cafe/02/-70 -/03/-80");
        QCOMPARE(scanner.availableNetworks.first()->security, "WPA2 Personal"); // no blank
        QCOMPARE(iface.scanCount, 1);
    }

    // Not joined: the idle record leads, and a null BSSID does not match it.
    void idleInterfaceAndFreshLists() {
        FakeInterface iface;
        iface.queueScan(
            {makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70), makeNetwork("Odd", QString(), -60)});
        iface.queueScan({makeNetwork("B", "aa:bb:cc:dd:ee:0b", -60)});
        iface.queueError("gone");
        iface.queueError(QString());
        NetworkScanner scanner(iface);
        QCOMPARE(scan(scanner), "1:-/-/0 Cafe/02/-70 Odd/-/-60");
        QCOMPARE(scan(scanner), "1:-/-/0 B/0b/-60");
        QCOMPARE(describe(scanner.availableNetworks), "-/-/0 B/0b/-60");
        // A failure calls back once with nothing, is logged, and clears the list.
        QTest::ignoreMessage(QtInfoMsg, "gone");
        QCOMPARE(scan(scanner), "1:-");
        QCOMPARE(scanner.lastError + '|' + describe(scanner.availableNetworks), "gone|");
        QTest::ignoreMessage(QtInfoMsg, "scan failed");
        QCOMPARE(scan(scanner) + scanner.lastError, "1:-scan failed");
    }

    // Matched by SSID, BSSID and channel; the joined one reads the interface.
    void signalStrength() {
        FakeInterface iface;
        const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45, 6);
        iface.join(home, Security::WPA2Personal, PhyMode::N);
        iface.joinedRssi = -47;
        // Records with a null SSID or BSSID must not match a target's null field.
        iface.fallback = QList<ScanResult>{home, makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70, 11),
                                           makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -60, 1),
                                           makeNetwork("Cafe", QString(), -65, 11)};
        NetworkScanner scanner(iface);
        QStringList got;
        for (const ScanResult &t : {makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -99, 11),
                                    makeNetwork("Home", "aa:bb:cc:dd:ee:01", -99, 6),
                                    makeNetwork("Cafe2", "aa:bb:cc:dd:ee:02", -99, 11),
                                    makeNetwork("Cafe", "aa:bb:cc:dd:ee:09", -99, 11),
                                    makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -99, 1),
                                    makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -99, 1),
                                    makeNetwork("Cafe", QString(), -99, 11)})
            got << QString::number(scanner.getSignalStrength(NetworkModel(t)));
        QCOMPARE(got.join(' '), "-70 -47 0 0 0 0 0");
        iface.queueError("busy");
        QTest::ignoreMessage(QtInfoMsg, "busy");
        QCOMPARE(scanner.getSignalStrength(NetworkModel(iface)), 0);
    }
};

QTEST_GUILESS_MAIN(TestNetworkScanner)
#include "tst_networkscanner.moc"
