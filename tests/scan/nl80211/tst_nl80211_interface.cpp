// The nl80211 interface over a stand-in kernel; without NetworkManager, power goes through
// rfkill on a fake sysfs tree. The proof that neither a NetworkManager answering every call
// after a second nor a driver that never answers holds the window's event loop. And the
// NetworkManager client against python-dbusmock's NetworkManager template on a private bus.
#include "FakeKernel.h"
#include "scan/ScanCycle.h"
#include "scan/networkmanager/NetworkManagerClient.h"
#include "scan/nl80211/Nl80211AdapterList.h"
#include "scan/nl80211/Nl80211Interface.h"
#include "settings/Preferences.h"
#include "support/NetworkManagerMock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtDBus>
#include <QtTest>
#include <algorithm>
#include <linux/rfkill.h>
#include <sys/stat.h>

namespace {

// "name/rssi[*]" per network of an answer (* for the associated one), or "!error".
QString describe(const ScanOutcome &outcome) {
    if (!outcome.networks)
        return '!' + outcome.error;
    QStringList parts;
    for (const ScanResult &r : *outcome.networks)
        parts
            << QStringLiteral("%1/%2%3").arg(r.ssid).arg(r.rssiValue).arg(r.associated ? "*" : "");
    return parts.join(' ');
}

// Asks for a scan (or a read) and waits for the answer; "inside" when it came within the call.
QString ask(WirelessInterface &iface, bool scan, QObject *context) {
    QString got;
    const auto done = [&](const ScanOutcome &outcome) { got = describe(outcome); };
    scan ? iface.scanForNetworks(context, done) : iface.readCurrentNetworks(context, done);
    if (!got.isNull())
        return QStringLiteral("inside");
    return QTest::qWaitFor([&] { return !got.isNull(); }, 10000) ? got
                                                                 : QStringLiteral("no answer");
}

void writeTo(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// The scanRequestFinished answers for one interface: "ok" for success, else the error.
QStringList answers(const QSignalSpy &spy, const QString &interfaceName) {
    QStringList out;
    for (const QList<QVariant> &e : spy)
        if (e.at(0).toString() == interfaceName)
            out << (e.at(1).toBool() ? QStringLiteral("ok") : e.at(2).toString());
    return out;
}

} // namespace

using namespace std::chrono_literals;

class TestNl80211Interface : public QObject, NetworkManagerMock {
    Q_OBJECT

    std::shared_ptr<KernelState> m_kernel;
    QTemporaryDir m_sysfs;

    // Without NetworkManager.
    std::unique_ptr<Nl80211Interface> open(const QString &rfkillDevice = "/nonexistent/rfkill") {
        return std::make_unique<Nl80211Interface>(
            std::make_unique<FakeKernel>(m_kernel), FakeKernel::wlan0(),
            nl80211::Environment{
                [] { return NetworkManagerLink::absent("NetworkManager is not running"); },
                {m_sysfs.path(), rfkillDevice}});
    }

    // Every method the client calls answers after a second.
    void slowDown(const QString &device) {
        const QString slow = QStringLiteral("time.sleep(1); ");
        const QString announce =
            "self.EmitSignal('" + Properties +
            "', 'PropertiesChanged', 'sa{sv}as', [args[0], {args[1]: args[2]}, []])";
        const QStringList methods[] = {
            {Properties, "GetAll", "s", "a{sv}", "ret = self.props[args[0]]"},
            {Properties, "Get", "ss", "v", "ret = self.props[args[0]][args[1]]"},
            {Properties, "Set", "ssv", "", "self.props[args[0]][args[1]] = args[2]; " + announce},
            {Nm, "GetDeviceByIpIface", "s", "o",
             "ret = self.get_device_by_ip_iface(self, args[0])"}};
        for (const QStringList &m : methods)
            REQUIRE(setMethod(ManagerPath, m[0], m[1], m[2], m[3], slow + m[4]));
        REQUIRE(setRequestScan(device, slow));
    }

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
    void init() {
        openConnections();
        m_kernel = std::make_shared<KernelState>();
        m_kernel->table = {FakeKernel::bss(1, "Home", -50, true), FakeKernel::bss(2, "Cafe", -70)};
        m_kernel->stationSignal = -42;
    }
    void cleanup() { closeConnections(); }

    // A scan reads interface, table and station and then asks for the next scan (refused to
    // an ordinary user; without NetworkManager the system refreshes). A read takes the
    // station's live signal for the joined network and changes nothing the interface reports.
    void scanThenRead() {
        auto iface = open();
        QCOMPARE(ask(*iface, true, this), "Home/-50* Cafe/-70");
        QCOMPARE(iface->ssid() + ' ' + iface->bssid(), "Home 02:00:00:00:00:01");
        QCOMPARE(iface->rssiValue(), -42);
        QTRY_COMPARE(iface->statusNote(), "Results are refreshed by the system");
        m_kernel->stationSignal = -38;
        const QList<int> before = m_kernel->commands;
        QCOMPARE(ask(*iface, false, this), "Home/-38* Cafe/-70");
        QCOMPARE(m_kernel->commands.mid(before.size()),
                 (QList<int>{NL80211_CMD_GET_SCAN, NL80211_CMD_GET_STATION}));
        QCOMPARE(iface->rssiValue(), -42);
    }

    // Without NetworkManager: the rfkill switch of the interface's wiphy, followed from the
    // rfkill device's events (a pipe stands in for it) and switched by writing to it.
    void powerThroughRfkill() {
        const QString soft = m_sysfs.filePath("class/net/wlan0/phy80211/rfkill0/soft");
        writeTo(soft, "0\n");
        writeTo(m_sysfs.filePath("class/net/wlan0/phy80211/rfkill0/hard"), "0\n");
        const QString device = m_sysfs.filePath("rfkill");
        QCOMPARE(::mkfifo(QFile::encodeName(device).constData(), 0600), 0);
        auto iface = open(device);
        QVERIFY(iface->powered());
        QSignalSpy changes(iface.get(), &WirelessInterface::poweredChanged);
        QSignalSpy finished(iface.get(), &WirelessInterface::powerSwitchFinished);
        writeTo(soft, "1\n"); // another program blocks the radio; the kernel announces it
        writeTo(device, QByteArray(RFKILL_EVENT_SIZE_V1, '\0'));
        QTRY_COMPARE(changes.count(), 1);
        QVERIFY(!iface->powered());

        writeTo(soft, "0\n"); // what the kernel shows once it has taken the write
        iface->setPowerAsync(true);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0), (QList<QVariant>{true, true, QString()}));
        QCOMPARE(changes.count(), 2);
        QVERIFY(iface->powered());
    }

    // The adapter list answers at once with what it knows and lists on its own thread; a
    // refresh asked for while one is out joins it, and a failed listing keeps the names.
    void adapterListNeverWaits() {
        m_kernel->delayMs = 200;
        Nl80211AdapterList list(std::make_unique<FakeKernel>(m_kernel));
        QSignalSpy changed(&list, &Nl80211AdapterList::changed);
        list.refresh();
        list.refresh();
        QCOMPARE(list.names(), QStringList());
        QVERIFY(changed.wait(5000));
        QCOMPARE(list.names(), QStringList{"wlan0"});
        m_kernel->error = ETIMEDOUT;
        list.refresh();
        QTest::qWait(400); // its answer has come back
        QCOMPARE(m_kernel->count(NL80211_CMD_GET_INTERFACE), 2);
        QCOMPARE(list.names(), QStringList{"wlan0"});
        QCOMPARE(changed.size(), 1);
    }

    // A heartbeat measures the longest gap between its beats while the scan cycle polls, the
    // interface asks NetworkManager for scans, and the power is switched off and on.
    void eventLoopIsNeverHeld_data() {
        QTest::addColumn<bool>("wedged");
        QTest::newRow("driver wedged") << true;
        QTest::newRow("driver answers") << false;
    }
    void eventLoopIsNeverHeld() {
        QFETCH(bool, wedged);
        REQUIRE(startMock());
        const QString device = addDevice("WiFi", QStringLiteral("wlan0"));
        REQUIRE(slowDown(device));

        auto kernel = std::make_shared<KernelState>();
        kernel->table = {FakeKernel::bss(1, "Home", -50, true)};
        kernel->stationSignal = -45;
        if (wedged) {
            kernel->error = ETIMEDOUT;
            kernel->delayMs = nl80211::CommandSocket::kReceiveTimeoutMs;
        }
        QStringList events; // power changes and switch outcomes
        int ticks = 0;
        qint64 longest = 0;
        QString scanError;
        QElapsedTimer gone;  // letting the interface go does not wait for a request still out
        QTemporaryDir sysfs; // no rfkill switch, interface down: off until NetworkManager tells
        {
            Nl80211Interface iface(
                std::make_unique<FakeKernel>(kernel), FakeKernel::wlan0(),
                {[this] { return std::make_unique<NetworkManagerClient>(m_clientBus); },
                 {sysfs.path(), QStringLiteral("/nonexistent")}});
            Preferences prefs(std::make_shared<MemoryPreferenceStore>());
            prefs.writeLaunchDefaults();
            prefs.setValue(Preferences::pollingIntervalKey, QStringLiteral("1"));
            ScanCycle cycle([&iface]() -> WirelessInterface * { return &iface; }, prefs);
            connect(&iface, &WirelessInterface::poweredChanged, this,
                    [&](bool on) { events << (on ? "on" : "off"); });
            connect(&iface, &WirelessInterface::powerSwitchFinished, this,
                    [&](bool on, bool ok, const QString &error) {
                        events << QStringLiteral("switched %1 %2")
                                      .arg(on ? "on" : "off", ok ? "ok" : error);
                        if (!on && ok)
                            iface.setPowerAsync(true);
                    });
            connect(&cycle, &ScanCycle::tickFinished, this, [&] { ++ticks; });

            QElapsedTimer clock;
            clock.start();
            qint64 last = 0;
            const auto done = [&] { return ticks >= 4 && events.contains("switched on ok"); };
            QEventLoop loop; // the window's own kind of loop, with nothing sleeping between events
            QTimer beat;
            beat.setTimerType(Qt::PreciseTimer);
            connect(&beat, &QTimer::timeout, &loop, [&] {
                longest = std::max(longest, clock.elapsed() - last);
                last = clock.elapsed();
                if (done() || last > 40000)
                    loop.quit();
            });
            beat.start(10);
            cycle.pollingActivation();
            QTimer::singleShot(1500, &iface, [&iface] { iface.setPowerAsync(false); });
            loop.exec();
            QVERIFY(done());
            beat.stop();
            cycle.stopAction();
            scanError = cycle.lastScanError();
            gone.start();
        }
        QVERIFY2(gone.elapsed() < 500, qPrintable(QString::number(gone.elapsed())));
        qInfo("longest gap between beats: %lld ms", longest);
        QVERIFY2(longest <= 250, qPrintable(QStringLiteral("held %1 ms").arg(longest)));
        QCOMPARE(events.join(", "), "on, off, switched off ok, on, switched on ok");
        if (wedged) {
            QCOMPARE(scanError, "wlan0: no answer from the kernel in time");
            QTest::qWait(kernel->delayMs + 500); // the request still out ends on its own
        } else {
            // Triggering is refused to an ordinary user, so scans were asked of NetworkManager.
            QCOMPARE(scanError, QString());
            QVERIFY(scans(device) > 0);
        }
    }

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
        client.requestScan(QStringLiteral("wlan0"));
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, QStringLiteral("wlan0")), QStringList{error},
                                  WaitMs);
        QCOMPARE(changes(), "- off");
        QVERIFY(!QFile::exists(m_activationMarker));
        REQUIRE(startMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("-+ on"), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(client.wirelessEnabled(), std::optional<bool>(true), WaitMs);
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
        const QString path = addDevice("WiFi", QStringLiteral("wlan0"));
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
        const QString path = addDevice("WiFi", QStringLiteral("wlan0"));
        addDevice("WiFi", QStringLiteral("wlan1"));
        auto doomed = std::make_unique<NetworkManagerClient>(m_clientBus);
        doomed->requestScan(QStringLiteral("wlan0"));
        doomed.reset(); // the device lookup is on its way; its reply finds nobody
        // Same connection, sent later: once this is answered, the lookup reply has been delivered.
        NetworkManagerClient survivor(m_clientBus);
        QSignalSpy results(&survivor, &NetworkManagerClient::scanRequestFinished);
        REQUIRE(scanAndWait(survivor, results, QStringLiteral("wlan1"), 1));
        QCOMPARE(lookups(), (QStringList{QStringLiteral("wlan0"), QStringLiteral("wlan1")}));
        QCOMPARE(scans(path) + answers(results, QStringLiteral("wlan0")).size(), 0);
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

QTEST_GUILESS_MAIN(TestNl80211Interface)
#include "tst_nl80211_interface.moc"
