// NetworkManagerClient against python-dbusmock's NetworkManager template on a private bus.

#include "scan/networkmanager/NetworkManagerClient.h"
#include "support/NetworkManagerMock.h"

#include <QtDBus>
#include <QtTest>
#include <memory>

using namespace std::chrono_literals;

namespace {

const QString Wlan0 = QStringLiteral("wlan0"), Wlan1 = QStringLiteral("wlan1");

// The scanRequestFinished answers for one interface: "ok" for success, else the error.
QStringList answers(const QSignalSpy &spy, const QString &interfaceName) {
    QStringList out;
    for (const QList<QVariant> &e : spy)
        if (e.at(0).toString() == interfaceName)
            out << (e.at(1).toBool() ? QStringLiteral("ok") : e.at(2).toString());
    return out;
}

} // namespace

class TestNetworkManagerClient : public QObject, NetworkManagerMock {
    Q_OBJECT

    void scanAndWait(NetworkManagerClient &client, QSignalSpy &spy, const QString &name,
                     int expectedAnswers) {
        client.requestScan(name);
        QTRY_COMPARE_WITH_TIMEOUT(answers(spy, name).size(), expectedAnswers, WaitMs);
    }
    // Switches Wi-Fi and waits for the answer, never given inside the call: "ok" or the error.
    QString switchWireless(NetworkManagerClient &client, bool on) {
        QSignalSpy finished(&client, &NetworkManagerClient::wirelessSwitchFinished);
        client.setWirelessEnabled(on);
        if (!finished.isEmpty() || !finished.wait(WaitMs) || finished.at(0).at(0).toBool() != on)
            return QStringLiteral("no proper answer");
        return finished.at(0).at(1).toBool() ? "ok" : finished.at(0).at(2).toString();
    }

private Q_SLOTS:
    void initTestCase() { startBus(); }
    void cleanupTestCase() { stopBus(); }
    void init() { openConnections(); }
    void cleanup() { closeConnections(); }

    // Absent from the bus, NetworkManager is not activated (one the user stopped stays
    // stopped): switching and scanning answer later with the reason. Its arrival is followed.
    void networkManagerComesAndGoes() {
        NetworkManagerClient client(m_clientBus);
        QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        const auto changes = [&] {
            QString out;
            for (const QList<QVariant> &e : availability)
                out += e.at(0).toBool() ? '+' : '-';
            return out + (client.isAvailable() ? " on" : " off");
        };
        QTRY_VERIFY_WITH_TIMEOUT(client.availabilityKnown(), WaitMs);
        QVERIFY(!client.wirelessEnabled());
        const QString error = QStringLiteral("NetworkManager is not running");
        QCOMPARE(switchWireless(client, true), error);
        client.requestScan(Wlan0);
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0), QStringList{error}, WaitMs);
        QCOMPARE(changes(), "- off");
        QVERIFY(!QFile::exists(m_activationMarker));
        REQUIRE(startMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("-+ on"), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(true), WaitMs);
    }

    // The radio code reaches this client through its plugin, found where the build puts it;
    // without it every request is refused as missing. (No such interface: nothing scans.)
    void pluginLoads() {
        const std::unique_ptr<NetworkManagerLink> link = NetworkManagerLink::create();
        QSignalSpy results(link.get(), &NetworkManagerLink::scanRequestFinished);
        link->requestScan(QStringLiteral("airlume-none0"));
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, WaitMs);
        QVERIFY(!results.first().at(2).toString().contains("plugin"));
    }

    // What each refusal reads as; only NetworkManager's "not now" (NotAllowed) holds a new
    // request back. "sent": lookups and wlan0 scans, then after asking again.
    void scanFailures_data() {
        QTest::addColumn<QString>("interfaceName");
        QTest::addColumn<QString>("requestScan"); // wlan0's RequestScan; empty: succeeds
        QTest::addColumn<QString>("error");       // the start of the answer
        QTest::addColumn<QString>("sent");
        QTest::newRow("unknown interface")
            << "wlan9" << QString() << "NetworkManager has no device named 'wlan9' ("
            << "1 0, 2 0";
        QTest::newRow("permission denied")
            << "wlan0" << raising(PermissionDenied, "Not authorized to request a scan.")
            << "Not authorized to request a scan."
            << "1 1, 2 2";
        QTest::newRow("device unavailable")
            << "wlan0" << raising(NotAllowed, "Scanning not allowed while unavailable")
            << "scanning not allowed: Scanning not allowed while unavailable"
            << "1 1, 1 1";
    }
    void scanFailures() {
        QFETCH(QString, interfaceName);
        QFETCH(QString, requestScan);
        QFETCH(QString, error);
        REQUIRE(startMock());
        const QString path = addDevice("WiFi", Wlan0);
        if (!requestScan.isEmpty())
            REQUIRE(setRequestScan(path, requestScan));
        NetworkManagerClient client(m_clientBus);
        client.setScanHoldOff(1min); // a wrongly applied hold-off would show
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        REQUIRE(scanAndWait(client, results, interfaceName, 1));
        const QString got = answers(results, interfaceName).value(0);
        QVERIFY2(got.startsWith(error), qPrintable(got));
        const auto counts = [&] {
            return QString("%1 %2").arg(lookups().count(interfaceName)).arg(scans(path));
        };
        const QString first = counts();
        REQUIRE(
            scanAndWait(client, results, interfaceName, requestScan.contains(NotAllowed) ? 1 : 2));
        flushClient();
        QTEST(first + ", " + counts(), "sent");
    }

    // A reply that comes after its client is gone finds nobody to act on it.
    void replyAfterDestructionIsDropped() {
        REQUIRE(startMock());
        const QString path = addDevice("WiFi", Wlan0);
        addDevice("WiFi", Wlan1);
        auto doomed = std::make_unique<NetworkManagerClient>(m_clientBus);
        doomed->requestScan(Wlan0);
        doomed.reset(); // the device lookup is on its way; its reply finds nobody
        // Same connection, sent later: once this is answered, the lookup reply has been delivered.
        NetworkManagerClient survivor(m_clientBus);
        QSignalSpy results(&survivor, &NetworkManagerClient::scanRequestFinished);
        REQUIRE(scanAndWait(survivor, results, Wlan1, 1));
        QCOMPARE(lookups(), (QStringList{Wlan0, Wlan1}));
        QCOMPARE(scans(path) + answers(results, Wlan0).size(), 0);
    }

    // Read once NetworkManager is found, then followed from its PropertiesChanged; switching
    // answers later with NetworkManager's word.
    void wirelessSwitch() {
        REQUIRE(startMock(R"({"WirelessEnabled": false})"));
        NetworkManagerClient client(m_clientBus);
        QSignalSpy changes(&client, &NetworkManagerClient::wirelessEnabledChanged);
        QCOMPARE(client.wirelessEnabled(), std::nullopt); // nothing is asked synchronously
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(false), WaitMs);
        REQUIRE(
            call(TemplateRoot, MockInterface, "SetProperty",
                 {ManagerPath, Nm, "WirelessEnabled", QVariant::fromValue(QDBusVariant(true))}));
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(true), WaitMs);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(switchWireless(client, false), "ok");
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(false), WaitMs);
        // polkit saying no to enable-disable-wifi reaches the caller as NetworkManager's error.
        REQUIRE(setMethod(ManagerPath, Properties, "Set", "ssv", QString(),
                          raising(PermissionDenied, "Not authorized to enable/disable Wi-Fi")));
        QCOMPARE(switchWireless(client, true), "Not authorized to enable/disable Wi-Fi");
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerClient)
#include "tst_networkmanagerclient.moc"
