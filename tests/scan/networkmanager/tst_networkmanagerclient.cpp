// NetworkManagerClient against python-dbusmock's NetworkManager template, on a private bus that
// the test starts and stops itself, so the machine's own NetworkManager is never touched.

#include "scan/networkmanager/NetworkManagerClient.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <memory>
#include <sys/prctl.h>

using namespace std::chrono_literals;

namespace {

const QString NmService = QStringLiteral("org.freedesktop.NetworkManager");
const QString NmInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString WirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
// The template's main object carries its helpers (AddWiFiDevice, SetProperty).
const QString TemplateRoot = QStringLiteral("/org/freedesktop");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
// Debian's python3-dbusmock lives in the system interpreter, which may not be first on PATH.
const QString SystemPython = QStringLiteral("/usr/bin/python3");

// Upper bound for a process to start or a reply to come; generous because sanitizers and a
// shared machine slow everything down. Waits end as soon as the awaited thing happens.
constexpr int WaitMs = 20000;

constexpr int ActivatedState = 100; // NMDeviceState ACTIVATED

QString raising(const QString &errorName, const QString &message) {
    return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
        .arg(message, errorName);
}

const QString RateLimitedCode =
    raising(QStringLiteral("org.freedesktop.NetworkManager.Device.NotAllowed"),
            QStringLiteral("Scanning not allowed immediately following previous scan"));

// The scanRequestFinished emissions for one interface, as (ok, error) pairs.
QList<QPair<bool, QString>> resultsFor(const QSignalSpy &spy, const QString &interfaceName) {
    QList<QPair<bool, QString>> out;
    for (const QList<QVariant> &emission : spy) {
        if (emission.at(0).toString() == interfaceName)
            out.append({emission.at(1).toBool(), emission.at(2).toString()});
    }
    return out;
}

// A test that crashes or is killed by ctest's timeout must not leave a bus or a mock behind.
void dieWithParent(QProcess &process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // Availability: NetworkManager absent, arriving, leaving.
    void absentServiceIsAnOrdinaryState();
    void serviceArrivingAndLeavingIsSignalled();
    void closedConnectionAnswersEverything();

    // Scan requests: which device, and what each failure reads as.
    void scanGoesToTheNamedDevice();
    void unknownInterfaceIsReported();
    void wiredDeviceIsReported();
    void emptyInterfaceNameIsReported();
    void refusedScanPassesTheErrorOnWithoutHoldOff();
    void unavailableDeviceIsNotCalledRateLimited();

    // Rate limiting and merging of requests.
    void rateLimitIsReportedAndHeldOff();
    void heldOffRequestRunsOnceAfterHoldOff();
    void requestsMergeWhileOneIsInFlight();
    void askingAgainFromTheAnswerIsHeard();

    // Lifetime.
    void replyAfterDestructionIsDropped();

    // The Wi-Fi switch.
    void wirelessSwitchRoundTrips();
    void wirelessSwitchFollowsOutsideChanges();
    void refusedWirelessSwitchReturnsTheDbusError();

private:
    void startMock(const QString &parameters = {});
    void stopMock();
    QDBusMessage mockCall(const QString &path, const QString &method, const QVariantList &args);
    void addWifi(const QString &deviceName, const QString &interfaceName, QString *path);
    void setRequestScan(const QString &devicePath, const QString &code);
    void methodCalls(const QString &path, const QString &method, QList<QVariantList> *calls);
    void mockWirelessEnabled(bool *value);
    void scanAndWait(NetworkManagerClient &client, QSignalSpy &spy, const QString &interfaceName,
                     int expectedResults);

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_activationMarker;
    int m_connectionSerial = 0;
    QString m_clientConnectionName;
    QString m_controlConnectionName;
    QDBusConnection m_clientBus{QString()};
    QDBusConnection m_control{QString()}; // the test's own line to the mock
    std::unique_ptr<QProcess> m_mock;
    QString m_mockLog;
};

void TestNetworkManagerClient::initTestCase() {
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty(),
             "dbus-daemon missing: run scripts/install-deps.sh --test");
    QVERIFY2(QFile::exists(SystemPython), "no /usr/bin/python3 for python3-dbusmock");
    QVERIFY(m_dir.isValid());

    // NetworkManager is D-Bus activatable on a real system. Here activating it only leaves a
    // marker file behind, so a test can tell whether the client tried to start it.
    const QString services = m_dir.filePath(QStringLiteral("services"));
    QVERIFY(QDir().mkpath(services));
    m_activationMarker = m_dir.filePath(QStringLiteral("activated"));
    QFile service(services + QStringLiteral("/org.freedesktop.NetworkManager.service"));
    QVERIFY(service.open(QIODevice::WriteOnly));
    service.write(QStringLiteral("[D-BUS Service]\nName=org.freedesktop.NetworkManager\n"
                                 "Exec=/usr/bin/touch %1\n")
                      .arg(m_activationMarker)
                      .toUtf8());
    service.close();

    // A private bus with a minimal policy: nothing depends on the machine's session setup.
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                              "<auth>EXTERNAL</auth><servicedir>%2</servicedir>"
                              "<policy context=\"default\">"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                              "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                   .arg(m_dir.path(), services)
                   .toUtf8());
    file.close();

    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dieWithParent(m_daemon);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    QVERIFY2(m_daemon.waitForStarted(WaitMs), qPrintable(m_daemon.errorString()));
    const QDeadlineTimer deadline(WaitMs);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY2(!m_address.isEmpty(), "dbus-daemon printed no address");
}

void TestNetworkManagerClient::cleanupTestCase() {
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(WaitMs))
        m_daemon.kill();
    m_daemon.waitForFinished(WaitMs);
}

void TestNetworkManagerClient::init() {
    ++m_connectionSerial;
    m_clientConnectionName = QStringLiteral("client-%1").arg(m_connectionSerial);
    m_controlConnectionName = QStringLiteral("control-%1").arg(m_connectionSerial);
    m_clientBus = QDBusConnection::connectToBus(m_address, m_clientConnectionName);
    m_control = QDBusConnection::connectToBus(m_address, m_controlConnectionName);
    QVERIFY2(m_clientBus.isConnected(), qPrintable(m_clientBus.lastError().message()));
    QVERIFY2(m_control.isConnected(), qPrintable(m_control.lastError().message()));
}

void TestNetworkManagerClient::cleanup() {
    if (QTest::currentTestFailed() && !m_mockLog.isEmpty()) {
        QFile log(m_mockLog);
        if (log.open(QIODevice::ReadOnly))
            qWarning().noquote() << "mock log:\n" << log.readAll();
    }
    stopMock();
    m_clientBus = QDBusConnection(QString());
    m_control = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(m_clientConnectionName);
    QDBusConnection::disconnectFromBus(m_controlConnectionName);
}

void TestNetworkManagerClient::startMock(const QString &parameters) {
    m_mock = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Both variables point at the private bus, so the mock can reach no other.
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    m_mock->setProcessEnvironment(env);
    m_mock->setStandardOutputFile(QProcess::nullDevice());
    m_mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dieWithParent(*m_mock);
    m_mockLog = m_dir.filePath(QStringLiteral("mock-%1.log").arg(m_connectionSerial));
    QStringList args{QStringLiteral("-m"),
                     QStringLiteral("dbusmock"),
                     QStringLiteral("--template"),
                     QStringLiteral("networkmanager"),
                     QStringLiteral("--system"),
                     QStringLiteral("--logfile"),
                     m_mockLog};
    if (!parameters.isEmpty())
        args << QStringLiteral("--parameters") << parameters;
    m_mock->start(SystemPython, args);
    QVERIFY2(m_mock->waitForStarted(WaitMs), qPrintable(m_mock->errorString()));

    const QDeadlineTimer deadline(WaitMs);
    while (!m_control.interface()->isServiceRegistered(NmService).value()) {
        QVERIFY2(m_mock->state() == QProcess::Running,
                 "dbusmock exited early: is python3-dbusmock installed?");
        QVERIFY2(!deadline.hasExpired(), "dbusmock never took its name on the bus");
        QTest::qWait(20);
    }
}

void TestNetworkManagerClient::stopMock() {
    if (!m_mock)
        return;
    m_mock->terminate();
    if (!m_mock->waitForFinished(WaitMs))
        m_mock->kill();
    m_mock->waitForFinished(WaitMs);
    m_mock.reset();
    if (m_control.isConnected()) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_control.interface()->isServiceRegistered(NmService).value(),
                                 WaitMs);
    }
}

QDBusMessage TestNetworkManagerClient::mockCall(const QString &path, const QString &method,
                                                const QVariantList &args) {
    QDBusMessage msg = QDBusMessage::createMethodCall(NmService, path, MockInterface, method);
    msg.setArguments(args);
    return m_control.call(msg, QDBus::Block, WaitMs);
}

void TestNetworkManagerClient::addWifi(const QString &deviceName, const QString &interfaceName,
                                       QString *path) {
    const QDBusMessage reply = mockCall(TemplateRoot, QStringLiteral("AddWiFiDevice"),
                                        {deviceName, interfaceName, ActivatedState});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    *path = reply.arguments().value(0).toString();
    QVERIFY(!path->isEmpty());
}

void TestNetworkManagerClient::setRequestScan(const QString &devicePath, const QString &code) {
    const QDBusMessage reply = mockCall(devicePath, QStringLiteral("AddMethod"),
                                        {WirelessInterface, QStringLiteral("RequestScan"),
                                         QStringLiteral("a{sv}"), QString(), code});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
}

void TestNetworkManagerClient::methodCalls(const QString &path, const QString &method,
                                           QList<QVariantList> *calls) {
    const QDBusMessage reply = mockCall(path, QStringLiteral("GetMethodCalls"), {method});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    // a(tav): one (timestamp, arguments) per call
    const auto log = reply.arguments().value(0).value<QDBusArgument>();
    calls->clear();
    log.beginArray();
    while (!log.atEnd()) {
        quint64 timestamp = 0;
        QVariantList args;
        log.beginStructure();
        log >> timestamp >> args;
        log.endStructure();
        calls->append(args);
    }
    log.endArray();
}

void TestNetworkManagerClient::mockWirelessEnabled(bool *value) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(NmService, ManagerPath, PropertiesInterface, "Get");
    get << NmInterface << QStringLiteral("WirelessEnabled");
    const QDBusMessage reply = m_control.call(get, QDBus::Block, WaitMs);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    const QVariant inner = reply.arguments().value(0).value<QDBusVariant>().variant();
    QCOMPARE(inner.typeId(), QMetaType::Bool);
    *value = inner.toBool();
}

void TestNetworkManagerClient::scanAndWait(NetworkManagerClient &client, QSignalSpy &spy,
                                           const QString &interfaceName, int expectedResults) {
    client.requestScan(interfaceName);
    QTRY_COMPARE_WITH_TIMEOUT(resultsFor(spy, interfaceName).size(), expectedResults, WaitMs);
}

// --- Availability ---------------------------------------------------------------------------

void TestNetworkManagerClient::absentServiceIsAnOrdinaryState() {
    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);

    QVERIFY(!client.isAvailable());
    QCOMPARE(client.wirelessEnabled(), std::nullopt);
    QString error;
    QVERIFY(!client.setWirelessEnabled(true, &error));
    QCOMPARE(error, QStringLiteral("NetworkManager is not running"));

    client.requestScan(QStringLiteral("wlan0"));
    QCOMPARE(results.count(), 0); // answered later, never from inside the call
    QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, WaitMs);
    const auto got = resultsFor(results, QStringLiteral("wlan0"));
    QCOMPARE(got.size(), 1);
    QCOMPARE(got.first().first, false);
    QCOMPARE(got.first().second, QStringLiteral("NetworkManager is not running"));

    // A NetworkManager the user has stopped stays stopped: nothing above activated it.
    QVERIFY(!QFile::exists(m_activationMarker));
}

void TestNetworkManagerClient::serviceArrivingAndLeavingIsSignalled() {
    NetworkManagerClient client(m_clientBus);
    QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);
    QVERIFY(!client.isAvailable());

    REQUIRE(startMock());
    QTRY_COMPARE_WITH_TIMEOUT(availability.count(), 1, WaitMs);
    QCOMPARE(availability.at(0).at(0).toBool(), true);
    QVERIFY(client.isAvailable());
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));

    REQUIRE(stopMock());
    QTRY_COMPARE_WITH_TIMEOUT(availability.count(), 2, WaitMs);
    QCOMPARE(availability.at(1).at(0).toBool(), false);
    QVERIFY(!client.isAvailable());
    QCOMPARE(client.wirelessEnabled(), std::nullopt);

    // A restart is just another arrival.
    REQUIRE(startMock());
    QTRY_COMPARE_WITH_TIMEOUT(availability.count(), 3, WaitMs);
    QCOMPARE(availability.at(2).at(0).toBool(), true);
}

void TestNetworkManagerClient::closedConnectionAnswersEverything() {
    const QString name = QStringLiteral("closed-%1").arg(m_connectionSerial);
    {
        const QDBusConnection closed = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=%1/no-such-bus").arg(m_dir.path()), name);
        QVERIFY(!closed.isConnected());

        NetworkManagerClient client(closed);
        QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
        QSignalSpy availability(&client, &NetworkManagerClient::availabilityChanged);

        QVERIFY(!client.isAvailable());
        QCOMPARE(client.wirelessEnabled(), std::nullopt);
        QString error;
        QVERIFY(!client.setWirelessEnabled(false, &error));
        QVERIFY(!error.isEmpty());

        client.requestScan(QStringLiteral("wlan0"));
        QCOMPARE(results.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, WaitMs);
        QCOMPARE(results.at(0).at(1).toBool(), false);
        QCOMPARE(results.at(0).at(2).toString(),
                 QStringLiteral("the D-Bus connection is not open"));
        QCOMPARE(availability.count(), 0);
    }
    QDBusConnection::disconnectFromBus(name);
}

// --- Scan requests --------------------------------------------------------------------------

void TestNetworkManagerClient::scanGoesToTheNamedDevice() {
    REQUIRE(startMock());
    QString first;
    QString second;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &first));
    REQUIRE(addWifi(QStringLiteral("wifi1"), QStringLiteral("wlan1"), &second));

    NetworkManagerClient client(m_clientBus);
    QVERIFY(client.isAvailable());
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);

    client.requestScan(QStringLiteral("wlan1"));
    QCOMPARE(results.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, WaitMs);
    QCOMPARE(results.at(0).at(0).toString(), QStringLiteral("wlan1"));
    QCOMPARE(results.at(0).at(1).toBool(), true);
    QCOMPARE(results.at(0).at(2).toString(), QString());

    QList<QVariantList> lookups;
    REQUIRE(methodCalls(ManagerPath, QStringLiteral("GetDeviceByIpIface"), &lookups));
    QCOMPARE(lookups.size(), 1);
    QCOMPARE(lookups.at(0).value(0).toString(), QStringLiteral("wlan1"));

    QList<QVariantList> scans;
    REQUIRE(methodCalls(second, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 1);
    const auto options = scans.at(0).value(0).value<QDBusArgument>();
    QCOMPARE(options.currentSignature(), QStringLiteral("a{sv}"));
    QVERIFY(qdbus_cast<QVariantMap>(options).isEmpty());

    REQUIRE(methodCalls(first, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 0);
}

void TestNetworkManagerClient::unknownInterfaceIsReported() {
    REQUIRE(startMock());
    QString path;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));

    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan9"), 1));

    const auto got = resultsFor(results, QStringLiteral("wlan9")).first();
    QCOMPARE(got.first, false);
    QVERIFY2(got.second.startsWith(QStringLiteral("NetworkManager has no device named 'wlan9'")),
             qPrintable(got.second));

    QList<QVariantList> scans;
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 0);
}

void TestNetworkManagerClient::wiredDeviceIsReported() {
    REQUIRE(startMock());
    const QDBusMessage reply =
        mockCall(TemplateRoot, QStringLiteral("AddEthernetDevice"),
                 {QStringLiteral("eth0dev"), QStringLiteral("eth0"), ActivatedState});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    REQUIRE(scanAndWait(client, results, QStringLiteral("eth0"), 1));

    const auto got = resultsFor(results, QStringLiteral("eth0")).first();
    QCOMPARE(got.first, false);
    QCOMPARE(got.second, QStringLiteral("'eth0' is not a Wi-Fi device"));
}

void TestNetworkManagerClient::emptyInterfaceNameIsReported() {
    REQUIRE(startMock());
    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);

    client.requestScan(QString());
    QCOMPARE(results.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, WaitMs);
    QCOMPARE(results.at(0).at(1).toBool(), false);
    QCOMPARE(results.at(0).at(2).toString(), QStringLiteral("no interface name given"));

    QList<QVariantList> lookups;
    REQUIRE(methodCalls(ManagerPath, QStringLiteral("GetDeviceByIpIface"), &lookups));
    QCOMPARE(lookups.size(), 0);
}

void TestNetworkManagerClient::refusedScanPassesTheErrorOnWithoutHoldOff() {
    REQUIRE(startMock());
    QString path;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));
    REQUIRE(setRequestScan(path, raising(QStringLiteral("org.freedesktop.NetworkManager."
                                                        "PermissionDenied"),
                                         QStringLiteral("Not authorized to request a scan."))));

    NetworkManagerClient client(m_clientBus);
    client.setScanHoldOff(1min); // long enough that a wrongly applied hold-off would show
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 1));
    const auto got = resultsFor(results, QStringLiteral("wlan0"));
    QCOMPARE(got.first().first, false);
    QCOMPARE(got.first().second, QStringLiteral("Not authorized to request a scan."));

    // Only a rate limit holds requests back: this one goes straight out.
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 2));
    QList<QVariantList> scans;
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 2);
}

void TestNetworkManagerClient::unavailableDeviceIsNotCalledRateLimited() {
    REQUIRE(startMock());
    QString path;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));
    REQUIRE(
        setRequestScan(path, raising(QStringLiteral("org.freedesktop.NetworkManager.Device."
                                                    "NotAllowed"),
                                     QStringLiteral("Scanning not allowed while unavailable"))));

    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 1));
    const auto got = resultsFor(results, QStringLiteral("wlan0")).first();
    QCOMPARE(got.first, false);
    QCOMPARE(got.second,
             QStringLiteral("scanning not allowed: Scanning not allowed while unavailable"));
}

// --- Rate limiting --------------------------------------------------------------------------

void TestNetworkManagerClient::rateLimitIsReportedAndHeldOff() {
    REQUIRE(startMock());
    QString limited;
    QString other;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &limited));
    REQUIRE(addWifi(QStringLiteral("wifi1"), QStringLiteral("wlan1"), &other));
    REQUIRE(setRequestScan(limited, RateLimitedCode));

    NetworkManagerClient client(m_clientBus);
    client.setScanHoldOff(1min); // outlasts the test however slow the machine is
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);

    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 1));
    const auto first = resultsFor(results, QStringLiteral("wlan0")).first();
    QCOMPARE(first.first, false);
    QCOMPARE(first.second, QStringLiteral("rate-limited"));

    // Inside the hold-off: deferred, neither answered nor sent.
    client.requestScan(QStringLiteral("wlan0"));
    client.requestScan(QStringLiteral("wlan0"));
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).size(), 1);

    // The hold-off is per interface: wlan1 goes out at once. Its answer also proves that a
    // wlan0 request sent before it on the same connection would have reached the mock by now.
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan1"), 1));
    QCOMPARE(resultsFor(results, QStringLiteral("wlan1")).first().first, true);

    QList<QVariantList> calls;
    REQUIRE(methodCalls(limited, QStringLiteral("RequestScan"), &calls));
    QCOMPARE(calls.size(), 1);
    REQUIRE(methodCalls(ManagerPath, QStringLiteral("GetDeviceByIpIface"), &calls));
    int wlan0Lookups = 0;
    for (const QVariantList &call : calls)
        wlan0Lookups += call.value(0).toString() == QStringLiteral("wlan0") ? 1 : 0;
    QCOMPARE(wlan0Lookups, 1);
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).size(), 1);
}

void TestNetworkManagerClient::heldOffRequestRunsOnceAfterHoldOff() {
    REQUIRE(startMock());
    QString limited;
    QString other;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &limited));
    REQUIRE(addWifi(QStringLiteral("wifi1"), QStringLiteral("wlan1"), &other));
    REQUIRE(setRequestScan(limited, RateLimitedCode));

    NetworkManagerClient client(m_clientBus);
    client.setScanHoldOff(300ms);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);

    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 1));
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).first().second,
             QStringLiteral("rate-limited"));

    // NetworkManager will take the next scan; three early requests make one scan, sent by the
    // client on its own once the hold-off has passed.
    REQUIRE(setRequestScan(limited, QString()));
    client.requestScan(QStringLiteral("wlan0"));
    client.requestScan(QStringLiteral("wlan0"));
    client.requestScan(QStringLiteral("wlan0"));
    QTRY_COMPARE_WITH_TIMEOUT(resultsFor(results, QStringLiteral("wlan0")).size(), 2, WaitMs);
    const auto second = resultsFor(results, QStringLiteral("wlan0")).at(1);
    QCOMPARE(second.first, true);
    QCOMPARE(second.second, QString());

    // Flush the connection, then make sure no further wlan0 scan followed.
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan1"), 1));
    QList<QVariantList> scans;
    REQUIRE(methodCalls(limited, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 2);
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).size(), 2);
}

void TestNetworkManagerClient::requestsMergeWhileOneIsInFlight() {
    REQUIRE(startMock());
    QString path;
    QString other;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));
    REQUIRE(addWifi(QStringLiteral("wifi1"), QStringLiteral("wlan1"), &other));

    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    client.requestScan(QStringLiteral("wlan0"));
    client.requestScan(QStringLiteral("wlan0"));
    QTRY_COMPARE_WITH_TIMEOUT(resultsFor(results, QStringLiteral("wlan0")).size(), 1, WaitMs);
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan1"), 1));

    QList<QVariantList> scans;
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 1);
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).size(), 1);
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).first().first, true);

    // Once answered, the interface takes requests again.
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 2));
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 2);
}

void TestNetworkManagerClient::askingAgainFromTheAnswerIsHeard() {
    REQUIRE(startMock());
    QString path;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));

    NetworkManagerClient client(m_clientBus);
    QSignalSpy results(&client, &NetworkManagerClient::scanRequestFinished);
    // A scan loop that asks for the next scan as soon as one is answered.
    int asked = 0;
    connect(&client, &NetworkManagerClient::scanRequestFinished, &client,
            [&client, &asked](const QString &interfaceName) {
                if (++asked == 1)
                    client.requestScan(interfaceName);
            });
    REQUIRE(scanAndWait(client, results, QStringLiteral("wlan0"), 2));

    QList<QVariantList> scans;
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &scans));
    QCOMPARE(scans.size(), 2);
}

// --- Lifetime -------------------------------------------------------------------------------

void TestNetworkManagerClient::replyAfterDestructionIsDropped() {
    REQUIRE(startMock());
    QString path;
    QString other;
    REQUIRE(addWifi(QStringLiteral("wifi0"), QStringLiteral("wlan0"), &path));
    REQUIRE(addWifi(QStringLiteral("wifi1"), QStringLiteral("wlan1"), &other));

    auto doomed = std::make_unique<NetworkManagerClient>(m_clientBus);
    doomed->requestScan(QStringLiteral("wlan0"));
    doomed.reset(); // the device lookup is on its way; its reply finds nobody

    // Same connection, sent later: once this is answered, the lookup reply has been delivered.
    NetworkManagerClient survivor(m_clientBus);
    QSignalSpy results(&survivor, &NetworkManagerClient::scanRequestFinished);
    REQUIRE(scanAndWait(survivor, results, QStringLiteral("wlan1"), 1));

    QList<QVariantList> calls;
    REQUIRE(methodCalls(ManagerPath, QStringLiteral("GetDeviceByIpIface"), &calls));
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).value(0).toString(), QStringLiteral("wlan0"));
    // Nobody acted on the lookup's reply.
    REQUIRE(methodCalls(path, QStringLiteral("RequestScan"), &calls));
    QCOMPARE(calls.size(), 0);
    QCOMPARE(resultsFor(results, QStringLiteral("wlan0")).size(), 0);
}

// --- The Wi-Fi switch -----------------------------------------------------------------------

void TestNetworkManagerClient::wirelessSwitchRoundTrips() {
    REQUIRE(startMock());
    NetworkManagerClient client(m_clientBus);
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));

    QString error;
    QVERIFY2(client.setWirelessEnabled(false, &error), qPrintable(error));
    QCOMPARE(error, QString());
    bool inMock = true;
    REQUIRE(mockWirelessEnabled(&inMock));
    QCOMPARE(inMock, false);
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));

    QVERIFY2(client.setWirelessEnabled(true, nullptr), "switching back on failed");
    REQUIRE(mockWirelessEnabled(&inMock));
    QCOMPARE(inMock, true);
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));
}

void TestNetworkManagerClient::wirelessSwitchFollowsOutsideChanges() {
    REQUIRE(startMock(QStringLiteral(R"({"WirelessEnabled": false})")));
    NetworkManagerClient client(m_clientBus);
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(false));

    // As if the user flipped it in another program.
    const QDBusMessage reply =
        mockCall(TemplateRoot, QStringLiteral("SetProperty"),
                 {ManagerPath, NmInterface, QStringLiteral("WirelessEnabled"),
                  QVariant::fromValue(QDBusVariant(true))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));
}

void TestNetworkManagerClient::refusedWirelessSwitchReturnsTheDbusError() {
    REQUIRE(startMock());
    // polkit saying no to enable-disable-wifi reaches the caller as NetworkManager's error.
    const QDBusMessage reply =
        mockCall(ManagerPath, QStringLiteral("AddMethod"),
                 {PropertiesInterface, QStringLiteral("Set"), QStringLiteral("ssv"), QString(),
                  raising(QStringLiteral("org.freedesktop.NetworkManager.PermissionDenied"),
                          QStringLiteral("Not authorized to enable/disable Wi-Fi"))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

    NetworkManagerClient client(m_clientBus);
    QString error;
    QVERIFY(!client.setWirelessEnabled(false, &error));
    QCOMPARE(error, QStringLiteral("Not authorized to enable/disable Wi-Fi"));
    QVERIFY(!client.setWirelessEnabled(false, nullptr)); // a null error pointer is allowed

    bool inMock = false;
    REQUIRE(mockWirelessEnabled(&inMock));
    QCOMPARE(inMock, true);
    QCOMPARE(client.wirelessEnabled(), std::optional<bool>(true));
}

QTEST_GUILESS_MAIN(TestNetworkManagerClient)
#include "tst_networkmanagerclient.moc"
