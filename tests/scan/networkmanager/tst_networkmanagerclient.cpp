// NetworkManagerClient against python-dbusmock's NetworkManager template, on a private bus that
// the test starts and stops itself, so the machine's own NetworkManager is never touched.

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
    for (const QList<QVariant> &e : spy) {
        if (e.at(0).toString() == interfaceName)
            out << (e.at(1).toBool() ? QStringLiteral("ok") : QString()) + e.at(2).toString();
    }
    return out;
}

} // namespace

class TestNetworkManagerClient : public QObject, NetworkManagerMock {
    Q_OBJECT

    void scanAndWait(NetworkManagerClient &client, QSignalSpy &spy, const QString &interfaceName,
                     int expectedAnswers) {
        client.requestScan(interfaceName);
        QTRY_COMPARE_WITH_TIMEOUT(answers(spy, interfaceName).size(), expectedAnswers, WaitMs);
    }
    // Switches Wi-Fi and waits for the answer: "ok" or the error.
    QString switchWireless(NetworkManagerClient &client, bool on) {
        QSignalSpy finished(&client, &NetworkManagerClient::wirelessSwitchFinished);
        client.setWirelessEnabled(on);
        if (!finished.isEmpty())
            return QStringLiteral("answered inside the call");
        if (!finished.wait(WaitMs))
            return QStringLiteral("no answer");
        const QList<QVariant> answer = finished.takeFirst();
        if (answer.at(0).toBool() != on)
            return QStringLiteral("answered for the other state");
        return answer.at(1).toBool() ? QStringLiteral("ok") : answer.at(2).toString();
    }

    // Without NetworkManager: availability known, nothing enabled, and switching and scanning
    // answered later with `error`.
    void noNetworkManager(NetworkManagerClient &client, const QString &error) {
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        QTRY_VERIFY_WITH_TIMEOUT(client.availabilityKnown(), WaitMs);
        QVERIFY(!client.isAvailable() && !client.wirelessEnabled());
        QCOMPARE(switchWireless(client, true), error);
        client.requestScan(Wlan0);
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0), QStringList{error}, WaitMs);
    }

private Q_SLOTS:
    void initTestCase() { startBus(); }
    void cleanupTestCase() { stopBus(); }
    void init() { openConnections(); }
    void cleanup() { closeConnections(); }

    // --- No NetworkManager: an ordinary state, every call answers later with the reason ---
    // Absent from the bus it is not activated (a NetworkManager the user has stopped stays
    // stopped), and its arrival and leaving are followed.
    void networkManagerComesAndGoes() {
        NetworkManagerClient client(m_clientBus);
        QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
        const auto changes = [&] {
            QString out;
            for (const QList<QVariant> &e : availability)
                out += e.at(0).toBool() ? '+' : '-';
            return out + (client.isAvailable() ? " on" : " off");
        };
        REQUIRE(noNetworkManager(client, "NetworkManager is not running"));
        QCOMPARE(changes(), "- off");
        QVERIFY(!QFile::exists(m_activationMarker));
        REQUIRE(startMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("-+ on"), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(true), WaitMs);
        REQUIRE(stopMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("-+- off"), WaitMs);
        QCOMPARE(client.wirelessEnabled(), std::nullopt);
        REQUIRE(startMock()); // a restart is just another arrival
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("-+-+ on"), WaitMs);
    }

    void closedConnection() {
        const QString name = QString("closed-%1").arg(m_serial);
        {
            NetworkManagerClient client(
                QDBusConnection::connectToBus("unix:path=" + m_dir.filePath("none"), name));
            QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
            REQUIRE(noNetworkManager(client, "the D-Bus connection is not open"));
            QCOMPARE(availability.count(), 0); // known at once: nothing to announce
        }
        QDBusConnection::disconnectFromBus(name);
    }

    // --- Scan requests ---
    // What each refusal reads as; only NetworkManager's "not now" (NotAllowed) holds a new
    // request back. The one device is a Wi-Fi wlan0, or a wired eth0 when that is asked for.
    void scanFailures_data() {
        QTest::addColumn<QString>("interfaceName");
        QTest::addColumn<QString>("requestScan"); // wlan0's RequestScan; empty: succeeds
        QTest::addColumn<QString>("error");       // the start of the answer
        QTest::addColumn<QString>("sent"); // lookups and wlan0 scans, then after asking again
        QTest::newRow("unknown interface")
            << "wlan9" << QString() << "NetworkManager has no device named 'wlan9' ("
            << "1 0, 2 0";
        QTest::newRow("wired device") << "eth0" << QString() << "'eth0' is not a Wi-Fi device"
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
        QFETCH(QString, sent);
        REQUIRE(startMock());
        const bool wired = interfaceName == "eth0";
        const QString path = wired ? addDevice("Ethernet", "eth0") : addDevice("WiFi", Wlan0);
        if (!requestScan.isEmpty())
            REQUIRE(setRequestScan(path, requestScan));
        NetworkManagerClient client(m_clientBus);
        client.setScanHoldOff(1min); // long enough that a wrongly applied hold-off would show
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        client.requestScan(interfaceName);
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, WaitMs);
        const QString got = answers(results, interfaceName).value(0);
        QVERIFY2(got.startsWith(error), qPrintable(got));
        const auto counts = [&] {
            const int scanned = wired ? 0 : scans(path);
            return QString("%1 %2").arg(lookups().count(interfaceName)).arg(scanned);
        };
        const QString first = counts();
        const int expected = requestScan.contains(NotAllowed) ? 1 : 2;
        REQUIRE(scanAndWait(client, results, interfaceName, expected));
        flushClient();
        QCOMPARE(first + ", " + counts(), sent);
        QCOMPARE(results.count(), expected);
    }

    // --- Rate limiting and merging of requests ---
    void rateLimitIsHeldOff_data() {
        QTest::addColumn<int>("holdOffMs");
        QTest::addColumn<QString>("wlan0");
        QTest::addColumn<int>("sent"); // wlan0 lookups and scans
        // Outlasts the test however slow the machine is: early requests wait, unsent.
        QTest::newRow("deferred") << 60000 << "rate-limited" << 1;
        // Early requests make one scan, sent by the client on its own after the hold-off.
        QTest::newRow("sent once after") << 300 << "rate-limited ok" << 2;
    }
    void rateLimitIsHeldOff() {
        QFETCH(int, holdOffMs);
        QFETCH(QString, wlan0);
        QFETCH(int, sent);
        REQUIRE(startMock());
        const QString limited = addDevice("WiFi", Wlan0);
        addDevice("WiFi", Wlan1);
        REQUIRE(setRequestScan(limited, raising(NotAllowed, "Scanning not allowed immediately "
                                                            "following previous scan")));
        NetworkManagerClient client(m_clientBus);
        client.setScanHoldOff(std::chrono::milliseconds(holdOffMs));
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        REQUIRE(scanAndWait(client, results, Wlan0, 1));

        REQUIRE(setRequestScan(limited, QString())); // NetworkManager will take the next scan
        for (int i = 0; i < 3; ++i)
            client.requestScan(Wlan0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0).size(), sent, WaitMs);
        // The hold-off is per interface: wlan1 goes out at once. Its answer also proves that a
        // wlan0 request sent before it on the same connection would have reached the mock by now.
        REQUIRE(scanAndWait(client, results, Wlan1, 1));
        QCOMPARE(answers(results, Wlan1), QStringList{"ok"});
        QCOMPARE(answers(results, Wlan0).join(' '), wlan0);
        QCOMPARE(scans(limited), sent);
        QCOMPARE(lookups().count(Wlan0), sent);
    }

    // Only the named device scans, with an empty a{sv} of options, answered later; a request
    // while one is in flight merges into it, and a scan loop asking again on an answer is heard.
    void requestsGoToTheDeviceAndMerge() {
        REQUIRE(startMock());
        const QString path = addDevice("WiFi", Wlan0), other = addDevice("WiFi", Wlan1);
        NetworkManagerClient client(m_clientBus);
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        int asked = 0;
        connect(&client, &NetworkManagerClient::scanRequestFinished, &client,
                [&](const QString &name) {
                    if (name == Wlan0 && ++asked == 1)
                        client.requestScan(name);
                });
        client.requestScan(Wlan0);
        client.requestScan(Wlan0);
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0), (QStringList{"ok", "ok"}), WaitMs);
        flushClient();
        QVERIFY(scans(path) == 2 && scans(other) == 0 && !lookups().contains(Wlan1));
        const auto options = calls(path, "RequestScan").value(0).value(0).value<QDBusArgument>();
        QCOMPARE(options.currentSignature(), QStringLiteral("a{sv}"));
        QVERIFY(qdbus_cast<QVariantMap>(options).isEmpty());
    }

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
        QCOMPARE(scans(path), 0); // nobody acted on the lookup's reply
        QCOMPARE(answers(results, Wlan0).size(), 0);
    }

    // --- The Wi-Fi switch ---
    // Read once when NetworkManager is found, then followed from its own PropertiesChanged;
    // switching answers later with NetworkManager's word.
    void wirelessSwitch() {
        REQUIRE(startMock(R"({"WirelessEnabled": false})"));
        NetworkManagerClient client(m_clientBus);
        QSignalSpy changes(&client, &NetworkManagerClient::wirelessEnabledChanged);
        QCOMPARE(client.wirelessEnabled(), std::nullopt); // nothing is asked synchronously
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(false), WaitMs);

        // Another program cannot speak for NetworkManager: its signal is ignored. The user
        // then flips the switch in another program; once that shows, so would the fake.
        QDBusMessage fake = QDBusMessage::createSignal(ManagerPath, Properties,
                                                       QStringLiteral("PropertiesChanged"));
        fake << Nm << QVariantMap{{QStringLiteral("WirelessEnabled"), true}} << QStringList();
        QVERIFY(m_control.send(fake));
        for (const bool on : {false, true})
            REQUIRE(
                call(TemplateRoot, MockInterface, "SetProperty",
                     {ManagerPath, Nm, "WirelessEnabled", QVariant::fromValue(QDBusVariant(on))}));
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(true), WaitMs);
        QCOMPARE(changes.count(), 2);

        QCOMPARE(switchWireless(client, false), "ok");
        QCOMPARE(mockWirelessEnabled(), QVariant(false));
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(false), WaitMs);
        // polkit saying no to enable-disable-wifi reaches the caller as NetworkManager's error.
        REQUIRE(call(ManagerPath, MockInterface, "AddMethod",
                     {Properties, "Set", "ssv", QString(),
                      raising(PermissionDenied, "Not authorized to enable/disable Wi-Fi")}));
        QCOMPARE(switchWireless(client, true), "Not authorized to enable/disable Wi-Fi");
        QCOMPARE(mockWirelessEnabled(), QVariant(false));
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerClient)
#include "tst_networkmanagerclient.moc"
