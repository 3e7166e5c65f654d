// NetworkManagerClient against python-dbusmock's NetworkManager template, on a private bus that
// the test starts and stops itself, so the machine's own NetworkManager is never touched.

#include "scan/networkmanager/NetworkManagerClient.h"

#include <QtDBus>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/prctl.h>

using namespace std::chrono_literals;

namespace {

// The bus name, and the manager's interface.
const QString Nm = QStringLiteral("org.freedesktop.NetworkManager");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
// The template's main object carries its helpers (AddWiFiDevice, SetProperty).
const QString TemplateRoot = QStringLiteral("/org/freedesktop");
const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
// Debian's python3-dbusmock lives in the system interpreter, which may not be first on PATH.
const QString SystemPython = QStringLiteral("/usr/bin/python3");
const QString Wlan0 = QStringLiteral("wlan0"), Wlan1 = QStringLiteral("wlan1");
// Upper bound for a process to start or a reply to come; generous because sanitizers and a
// shared machine slow everything down. Waits end as soon as the awaited thing happens.
constexpr int WaitMs = 20000;

// Python for a mocked method that fails with a D-Bus error.
QString raising(const char *errorName, const char *message) {
    return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
        .arg(QLatin1String(message), QLatin1String(errorName));
}
const char *const NotAllowed = "org.freedesktop.NetworkManager.Device.NotAllowed";
const char *const PermissionDenied = "org.freedesktop.NetworkManager.PermissionDenied";

// The scanRequestFinished answers for one interface: "ok" for success, else the error.
QStringList answers(const QSignalSpy &spy, const QString &interfaceName) {
    QStringList out;
    for (const QList<QVariant> &e : spy) {
        if (e.at(0).toString() == interfaceName)
            out << (e.at(1).toBool() ? QStringLiteral("ok") : QString()) + e.at(2).toString();
    }
    return out;
}

// A test that crashes or is killed by ctest's timeout must not leave a bus or a mock behind.
void dieWithParent(QProcess &process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool writeFile(const QString &path, const QString &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) == content.size();
}

} // namespace

// Stops the calling test function when a helper it called has failed.
#define REQUIRE(call)                                                                              \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class TestNetworkManagerClient : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_activationMarker;
    int m_serial = 0;
    QDBusConnection m_clientBus{QString()};
    QDBusConnection m_control{QString()}; // the test's own line to the mock
    std::unique_ptr<QProcess> m_mock;

    QString mockLog() const { return m_dir.filePath(QStringLiteral("mock-%1.log").arg(m_serial)); }

    void startMock(const QString &parameters = {}) {
        m_mock = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Both variables point at the private bus, so the mock can reach no other.
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_mock->setProcessEnvironment(env);
        m_mock->setStandardOutputFile(QProcess::nullDevice());
        m_mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        dieWithParent(*m_mock);
        QStringList args{"-m", "dbusmock", "--template", "networkmanager", "--system"};
        args << "--logfile" << mockLog();
        if (!parameters.isEmpty())
            args << QStringLiteral("--parameters") << parameters;
        m_mock->start(SystemPython, args);
        QVERIFY2(m_mock->waitForStarted(WaitMs), qPrintable(m_mock->errorString()));
        const QDeadlineTimer deadline(WaitMs);
        while (!m_control.interface()->isServiceRegistered(Nm).value()) {
            QVERIFY2(m_mock->state() == QProcess::Running,
                     "dbusmock exited early: is python3-dbusmock installed?");
            QVERIFY2(!deadline.hasExpired(), "dbusmock never took its name on the bus");
            QTest::qWait(20);
        }
    }

    void stopMock() {
        if (!m_mock)
            return;
        m_mock->terminate();
        if (!m_mock->waitForFinished(WaitMs))
            m_mock->kill();
        m_mock->waitForFinished(WaitMs);
        m_mock.reset();
        if (m_control.isConnected())
            QTRY_VERIFY_WITH_TIMEOUT(!m_control.interface()->isServiceRegistered(Nm).value(),
                                     WaitMs);
    }

    // A call to the mock, on the test's own connection unless told; a refusal fails the test.
    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &args, QDBusConnection *bus = nullptr) {
        QDBusMessage msg = QDBusMessage::createMethodCall(Nm, path, interface, method);
        msg.setArguments(args);
        const QDBusMessage reply = (bus ? *bus : m_control).call(msg, QDBus::Block, WaitMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            QTest::qFail(qPrintable(method + ": " + reply.errorMessage()), __FILE__, __LINE__);
        return reply;
    }
    QVariant mockWirelessEnabled(QDBusConnection *bus = nullptr) {
        const QDBusMessage reply =
            call(ManagerPath, Properties, "Get", {Nm, QStringLiteral("WirelessEnabled")}, bus);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    // Once the mock answers a call on the client's connection, it has seen all sent before.
    void flushClient() { mockWirelessEnabled(&m_clientBus); }
    // kind is "WiFi" or "Ethernet"; returns the device's object path.
    QString addDevice(const char *kind, const QString &name) {
        const QDBusMessage reply =
            call(TemplateRoot, MockInterface, QString("Add%1Device").arg(kind),
                 {name + "dev", name, 100 /* ACTIVATED */});
        return reply.arguments().value(0).toString();
    }
    // Replaces the device's RequestScan with Python `code` (empty: succeed).
    void setRequestScan(const QString &devicePath, const QString &code) {
        call(devicePath, MockInterface, "AddMethod",
             {Nm + ".Device.Wireless", "RequestScan", "a{sv}", QString(), code});
    }
    // The arguments of each call the mock logged for `method` on `path`.
    QList<QVariantList> calls(const QString &path, const QString &method) {
        const QDBusMessage reply = call(path, MockInterface, "GetMethodCalls", {method});
        const auto log = reply.arguments().value(0).value<QDBusArgument>(); // a(tav)
        QList<QVariantList> out;
        log.beginArray();
        while (!log.atEnd()) {
            quint64 timestamp = 0;
            QVariantList args;
            log.beginStructure();
            log >> timestamp >> args;
            log.endStructure();
            out << args;
        }
        log.endArray();
        return out;
    }
    int scans(const QString &devicePath) { return int(calls(devicePath, "RequestScan").size()); }
    // The interface names looked up with GetDeviceByIpIface, in order.
    QStringList lookups() {
        QStringList out;
        for (const QVariantList &args : calls(ManagerPath, "GetDeviceByIpIface"))
            out << args.value(0).toString();
        return out;
    }
    void scanAndWait(NetworkManagerClient &client, QSignalSpy &spy, const QString &interfaceName,
                     int expectedAnswers) {
        client.requestScan(interfaceName);
        QTRY_COMPARE_WITH_TIMEOUT(answers(spy, interfaceName).size(), expectedAnswers, WaitMs);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable("dbus-daemon").isEmpty(),
                 "dbus-daemon missing: run scripts/install-deps.sh --test");
        QVERIFY2(QFile::exists(SystemPython), "no /usr/bin/python3 for python3-dbusmock");
        QVERIFY(m_dir.isValid());
        // NetworkManager is D-Bus activatable on a real system. Here activating it only leaves a
        // marker file behind, so a test can tell whether the client tried to start it.
        const QString services = m_dir.filePath("services");
        m_activationMarker = m_dir.filePath("activated");
        QVERIFY(QDir().mkpath(services));
        QVERIFY(writeFile(services + "/org.freedesktop.NetworkManager.service",
                          QString("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2\n")
                              .arg(Nm, m_activationMarker)));
        // A private bus with a minimal policy: nothing depends on the machine's session setup.
        const QString config = m_dir.filePath("bus.conf");
        QVERIFY(writeFile(config, QString("<busconfig><type>session</type><listen>unix:dir=%1"
                                          "</listen><auth>EXTERNAL</auth><servicedir>%2"
                                          "</servicedir><policy context=\"default\"><allow "
                                          "send_destination=\"*\" eavesdrop=\"true\"/><allow "
                                          "eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                          "</busconfig>")
                                      .arg(m_dir.path(), services)));
        m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        dieWithParent(m_daemon);
        m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
        QVERIFY2(m_daemon.waitForStarted(WaitMs), qPrintable(m_daemon.errorString()));
        const QDeadlineTimer deadline(WaitMs);
        while (!m_daemon.canReadLine() && !deadline.hasExpired())
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon printed no address");
    }

    void cleanupTestCase() {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(WaitMs))
            m_daemon.kill();
        m_daemon.waitForFinished(WaitMs);
    }

    // A fresh pair of connections per test: no reply or match rule carries over.
    void init() {
        ++m_serial;
        m_clientBus = QDBusConnection::connectToBus(m_address, QString("client-%1").arg(m_serial));
        m_control = QDBusConnection::connectToBus(m_address, QString("control-%1").arg(m_serial));
        QVERIFY2(m_clientBus.isConnected(), qPrintable(m_clientBus.lastError().message()));
        QVERIFY2(m_control.isConnected(), qPrintable(m_control.lastError().message()));
    }

    void cleanup() {
        QFile log(mockLog());
        if (QTest::currentTestFailed() && log.open(QIODevice::ReadOnly))
            qWarning().noquote() << "mock log:\n" << log.readAll();
        stopMock();
        m_clientBus = m_control = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(QString("client-%1").arg(m_serial));
        QDBusConnection::disconnectFromBus(QString("control-%1").arg(m_serial));
    }

    // --- No NetworkManager: an ordinary state, every call answers ---
    void noNetworkManager_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("error");
        QTest::newRow("absent from the bus") << false << "NetworkManager is not running";
        QTest::newRow("connection closed") << true << "the D-Bus connection is not open";
    }
    void noNetworkManager() {
        QFETCH(bool, closed);
        QFETCH(QString, error);
        const QString name = QString("closed-%1").arg(m_serial);
        {
            const QDBusConnection bus =
                closed ? QDBusConnection::connectToBus("unix:path=" + m_dir.filePath("none"), name)
                       : m_clientBus;
            NetworkManagerClient client(bus);
            QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
            QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
            QVERIFY(!client.isAvailable());
            QCOMPARE(client.wirelessEnabled(), std::nullopt);
            QString switchError;
            QVERIFY(!client.setWirelessEnabled(true, &switchError));
            QCOMPARE(switchError, error);

            client.requestScan(Wlan0);
            QCOMPARE(results.count(), 0); // answered later, never from inside the call
            QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0), QStringList{error}, WaitMs);
            QCOMPARE(availability.count(), 0);
        }
        QDBusConnection::disconnectFromBus(name);
        // A NetworkManager the user has stopped stays stopped: nothing above activated it.
        QVERIFY(!QFile::exists(m_activationMarker));
    }

    void serviceArrivingAndLeavingIsSignalled() {
        NetworkManagerClient client(m_clientBus);
        QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
        const auto changes = [&] {
            QString out;
            for (const QList<QVariant> &e : availability)
                out += e.at(0).toBool() ? '+' : '-';
            return out + (client.isAvailable() ? " on" : " off");
        };
        REQUIRE(startMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("+ on"), WaitMs);
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));
        REQUIRE(stopMock());
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("+- off"), WaitMs);
        QCOMPARE(client.wirelessEnabled(), std::nullopt);
        REQUIRE(startMock()); // a restart is just another arrival
        QTRY_COMPARE_WITH_TIMEOUT(changes(), QStringLiteral("+-+ on"), WaitMs);
    }

    // --- Scan requests ---
    void scanGoesToTheNamedDevice() {
        REQUIRE(startMock());
        const QString first = addDevice("WiFi", Wlan0), second = addDevice("WiFi", Wlan1);
        NetworkManagerClient client(m_clientBus);
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        client.requestScan(Wlan1);
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan1), QStringList{"ok"}, WaitMs);
        QCOMPARE(results.count(), 1);
        QCOMPARE(lookups(), QStringList{Wlan1});
        QCOMPARE(scans(first), 0);
        const QList<QVariantList> sent = calls(second, "RequestScan");
        QCOMPARE(sent.size(), 1);
        const auto options = sent.at(0).value(0).value<QDBusArgument>();
        QCOMPARE(options.currentSignature(), QStringLiteral("a{sv}"));
        QVERIFY(qdbus_cast<QVariantMap>(options).isEmpty());
    }

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
        QTest::newRow("no interface name") << "" << QString() << "no interface name given"
                                           << "0 0, 0 0";
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

    void requestsMergeWhileOneIsInFlight() {
        REQUIRE(startMock());
        const QString path = addDevice("WiFi", Wlan0);
        addDevice("WiFi", Wlan1);
        NetworkManagerClient client(m_clientBus);
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        // A scan loop that asks for the next scan as soon as one is answered is heard.
        int asked = 0;
        connect(&client, &NetworkManagerClient::scanRequestFinished, &client,
                [&](const QString &name) {
                    if (name == Wlan0 && ++asked == 1)
                        client.requestScan(name);
                });
        client.requestScan(Wlan0);
        client.requestScan(Wlan0); // merges into the one in flight
        QTRY_COMPARE_WITH_TIMEOUT(answers(results, Wlan0).size(), 2, WaitMs);
        REQUIRE(scanAndWait(client, results, Wlan1, 1));
        QCOMPARE(answers(results, Wlan0), (QStringList{"ok", "ok"}));
        QCOMPARE(scans(path), 2);
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
    void wirelessSwitch() {
        REQUIRE(startMock(R"({"WirelessEnabled": false})"));
        NetworkManagerClient client(m_clientBus);
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));
        // As if the user flipped it in another program.
        REQUIRE(
            call(TemplateRoot, MockInterface, "SetProperty",
                 {ManagerPath, Nm, "WirelessEnabled", QVariant::fromValue(QDBusVariant(true))}));
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));

        QString error;
        QVERIFY2(client.setWirelessEnabled(false, &error), qPrintable(error));
        QCOMPARE(error, QString());
        QCOMPARE(mockWirelessEnabled(), QVariant(false));
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));
        QVERIFY2(client.setWirelessEnabled(true, nullptr), "switching back on failed");
        QCOMPARE(mockWirelessEnabled(), QVariant(true));

        // polkit saying no to enable-disable-wifi reaches the caller as NetworkManager's error.
        REQUIRE(call(ManagerPath, MockInterface, "AddMethod",
                     {Properties, "Set", "ssv", QString(),
                      raising(PermissionDenied, "Not authorized to enable/disable Wi-Fi")}));
        QVERIFY(!client.setWirelessEnabled(false, &error));
        QCOMPARE(error, QStringLiteral("Not authorized to enable/disable Wi-Fi"));
        QVERIFY(!client.setWirelessEnabled(false, nullptr)); // a null error pointer is allowed
        QCOMPARE(mockWirelessEnabled(), QVariant(true));
        QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerClient)
#include "tst_networkmanagerclient.moc"
