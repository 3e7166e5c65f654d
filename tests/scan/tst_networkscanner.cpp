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

// Scans once; "calls:described list" ("-error" when called back with nothing).
// No answer may come from inside the call.
QString scan(NetworkScanner &scanner, QObject *context) {
    int calls = 0;
    QString got;
    scanner.getAvailableNetworks(context,
                                 [&](const std::optional<NetworkList> &list, const QString &error) {
                                     ++calls;
                                     got = list ? describe(*list) : '-' + error;
                                 });
    if (calls != 0)
        return QStringLiteral("answered inside the call");
    if (!QTest::qWaitFor([&] { return calls > 0; }, 5000))
        return QStringLiteral("no answer");
    QCoreApplication::processEvents(); // a second answer would show here
    return QString::number(calls) + ':' + got;
}

} // namespace

class TestNetworkScanner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The joined network is listed once, first, from the interface's own view; not joined,
    // the idle record leads and a null BSSID does not match it. A failure calls back once
    // with nothing and the reason, and is logged.
    void listsAndFailures() {
        FakeInterface iface;
        const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45);
        const ScanResult cafe = makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70);
        iface.join(home, Security::WPA2Personal, PhyMode::AC);
        iface.joinedRssi = -47;
        iface.queueScan({cafe, home, makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -80)});
        iface.queueScan({cafe, makeNetwork("Odd", QString(), -60)});
        iface.queueError("gone");
        iface.queueError(QString());
        NetworkScanner scanner(iface);
        QCOMPARE(scan(scanner, this), "1:Home/01/-47 Cafe/02/-70 -/03/-80");
        iface.leave();
        QCOMPARE(scan(scanner, this), "1:-/-/0 Cafe/02/-70 Odd/-/-60");
        QTest::ignoreMessage(QtInfoMsg, "gone");
        QCOMPARE(scan(scanner, this), "1:-gone");
        QTest::ignoreMessage(QtInfoMsg, "scan failed");
        QCOMPARE(scan(scanner, this), "1:-scan failed");
        QCOMPARE(iface.scanCount, 4);
    }

    // A caller gone before the answer is not called back; the scanner itself
    // may go right after asking.
    void answerOnlyWhileTheCallerLives() {
        FakeInterface iface;
        iface.fallback = QList<ScanResult>{makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70)};
        int calls = 0;
        auto caller = std::make_unique<QObject>();
        NetworkScanner(iface).getAvailableNetworks(
            caller.get(), [&](const std::optional<NetworkList> &, const QString &) { ++calls; });
        caller.reset();
        QObject survivor;
        QCOMPARE(scan(*std::make_unique<NetworkScanner>(iface), &survivor), "1:-/-/0 Cafe/02/-70");
        QCOMPARE(calls, 0);
    }

    // Matched by SSID, BSSID and channel in the current results; no scan is started.
    void signalStrength() {
        FakeInterface iface;
        const ScanResult home = makeNetwork("Home", "aa:bb:cc:dd:ee:01", -45, 6);
        iface.join(home, Security::WPA2Personal, PhyMode::N);
        // Records with a null SSID or BSSID must not match a target's null field.
        iface.fallback = QList<ScanResult>{home, makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -70, 11),
                                           makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -60, 1),
                                           makeNetwork("Cafe", QString(), -65, 11)};
        NetworkScanner scanner(iface);
        const auto strength = [&](const NetworkModel &target) {
            qint32 got = 1;
            int calls = 0;
            scanner.getSignalStrength(target, this, [&](qint32 rssi) {
                ++calls;
                got = rssi;
            });
            if (!QTest::qWaitFor([&] { return calls > 0; }, 5000))
                return QStringLiteral("no answer");
            return calls == 1 ? QString::number(got) : QStringLiteral("calls %1").arg(calls);
        };
        QStringList got;
        for (const ScanResult &t : {makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -99, 11),
                                    makeNetwork("Home", "aa:bb:cc:dd:ee:01", -99, 6),
                                    makeNetwork("Cafe2", "aa:bb:cc:dd:ee:02", -99, 11),
                                    makeNetwork("Cafe", "aa:bb:cc:dd:ee:09", -99, 11),
                                    makeNetwork("Cafe", "aa:bb:cc:dd:ee:02", -99, 1),
                                    makeNetwork(QString(), "aa:bb:cc:dd:ee:03", -99, 1),
                                    makeNetwork("Cafe", QString(), -99, 11)})
            got << strength(NetworkModel(t));
        QCOMPARE(got.join(' '), "-70 -45 0 0 0 0 0");
        iface.fallback = FakeInterface::ScanError{"busy"};
        QTest::ignoreMessage(QtInfoMsg, "busy");
        QCOMPARE(strength(NetworkModel(iface)), "0");
        QCOMPARE(iface.scanCount, 0);
    }
};

QTEST_GUILESS_MAIN(TestNetworkScanner)
#include "tst_networkscanner.moc"
