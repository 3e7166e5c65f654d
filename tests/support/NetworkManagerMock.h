#pragma once

#include <QtDBus>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/prctl.h>

// Stops the calling test function when a helper it called has failed.
#define REQUIRE(call)                                                                              \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// NetworkManager as python-dbusmock's template plays it, on a private D-Bus daemon, so the
// machine's own NetworkManager is never touched. A test class derives from it: startBus/stopBus
// per class, openConnections/closeConnections (the client's and the test's own line to the mock)
// per test. Helpers fail through QTest; callers wrap them in REQUIRE.
class NetworkManagerMock {
public:
    static inline const QString Nm = QStringLiteral("org.freedesktop.NetworkManager");
    static inline const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
    static inline const QString TemplateRoot = QStringLiteral("/org/freedesktop"); // AddWiFiDevice
    static inline const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
    static inline const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
    static constexpr const char *NotAllowed = "org.freedesktop.NetworkManager.Device.NotAllowed";
    static constexpr const char *PermissionDenied =
        "org.freedesktop.NetworkManager.PermissionDenied";
    // Generous: sanitizers and a shared machine slow everything down; waits end early.
    static constexpr int WaitMs = 20000;

    // Python for a mocked method that fails with a D-Bus error.
    static QString raising(const char *errorName, const char *message) {
        return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
            .arg(QLatin1String(message), QLatin1String(errorName));
    }

    void startBus() {
        QVERIFY2(!QStandardPaths::findExecutable("dbus-daemon").isEmpty() &&
                     QFile::exists(SystemPython),
                 "dbus-daemon or python3 missing: run scripts/install-deps.sh --test");
        // Activating NetworkManager only leaves the marker file behind; the bus's minimal
        // policy depends on nothing of the machine's.
        const QString services = m_dir.filePath("services"), config = m_dir.filePath("bus.conf");
        m_activationMarker = m_dir.filePath("activated");
        QVERIFY(QDir().mkpath(services));
        QVERIFY(writeFile(services + "/org.freedesktop.NetworkManager.service",
                          QString("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2\n")
                              .arg(Nm, m_activationMarker)));
        QVERIFY(writeFile(config, QString("<busconfig><type>session</type><listen>unix:dir=%1"
                                          "</listen><auth>EXTERNAL</auth><servicedir>%2"
                                          "</servicedir><policy context=\"default\"><allow "
                                          "send_destination=\"*\" eavesdrop=\"true\"/><allow "
                                          "eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                          "</busconfig>")
                                      .arg(m_dir.path(), services)));
        dieWithParent(m_daemon);
        m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
        const QDeadlineTimer deadline(WaitMs);
        while (!m_daemon.canReadLine() && !deadline.hasExpired() &&
               m_daemon.state() != QProcess::NotRunning)
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon printed no address");
    }
    void stopBus() { stopProcess(m_daemon); }

    void openConnections() {
        ++m_serial;
        m_clientBus = QDBusConnection::connectToBus(m_address, QString("client-%1").arg(m_serial));
        m_control = QDBusConnection::connectToBus(m_address, QString("control-%1").arg(m_serial));
        QVERIFY(m_clientBus.isConnected() && m_control.isConnected());
    }
    void closeConnections() {
        stopMock();
        m_clientBus = m_control = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(QString("client-%1").arg(m_serial));
        QDBusConnection::disconnectFromBus(QString("control-%1").arg(m_serial));
    }

    void startMock(const QString &parameters = {}) {
        m_mock = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Both variables point at the private bus, so the mock can reach no other.
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_mock->setProcessEnvironment(env);
        m_mock->setStandardOutputFile(QProcess::nullDevice());
        dieWithParent(*m_mock);
        QStringList args{"-m", "dbusmock", "--template", "networkmanager", "--system"};
        if (!parameters.isEmpty())
            args << QStringLiteral("--parameters") << parameters;
        m_mock->start(SystemPython, args);
        const QDeadlineTimer deadline(WaitMs);
        while (!m_control.interface()->isServiceRegistered(Nm).value()) {
            QVERIFY2(m_mock->state() != QProcess::NotRunning,
                     "dbusmock exited early: is python3-dbusmock installed?");
            QVERIFY2(!deadline.hasExpired(), "dbusmock never took its name on the bus");
            QTest::qWait(20);
        }
    }
    void stopMock() {
        if (!m_mock)
            return;
        stopProcess(*m_mock);
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
    // Once the mock answers a call on the client's connection, it has seen all sent before.
    void flushClient() {
        call(ManagerPath, Properties, "Get", {Nm, QStringLiteral("WirelessEnabled")}, &m_clientBus);
    }
    // kind is "WiFi" or "Ethernet"; returns the device's object path.
    QString addDevice(const char *kind, const QString &name) {
        return call(TemplateRoot, MockInterface, QString("Add%1Device").arg(kind),
                    {name + "dev", name, 100 /* ACTIVATED */})
            .arguments()
            .value(0)
            .toString();
    }
    void setMethod(const QString &path, const QString &interface, const QString &method,
                   const QString &inSignature, const QString &outSignature, const QString &code) {
        call(path, MockInterface, "AddMethod",
             {interface, method, inSignature, outSignature, code});
    }
    // Replaces the device's RequestScan with Python `code` (empty: succeed).
    void setRequestScan(const QString &devicePath, const QString &code) {
        setMethod(devicePath, Nm + ".Device.Wireless", "RequestScan", "a{sv}", QString(), code);
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

protected:
    QTemporaryDir m_dir;
    QString m_address;
    QString m_activationMarker; // created when the client tries to start NetworkManager
    int m_serial = 0;
    QDBusConnection m_clientBus{QString()};
    QDBusConnection m_control{QString()};

private:
    // Debian's python3-dbusmock lives in the system interpreter, maybe not first on PATH.
    static inline const QString SystemPython = QStringLiteral("/usr/bin/python3");

    // A test that crashes or is killed by ctest's timeout leaves no bus or mock behind.
    static void dieWithParent(QProcess &process) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    static bool writeFile(const QString &path, const QString &content) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) == content.size();
    }
    static void stopProcess(QProcess &process) {
        process.terminate();
        if (!process.waitForFinished(WaitMs))
            process.kill();
        process.waitForFinished(WaitMs);
    }

    QProcess m_daemon;
    std::unique_ptr<QProcess> m_mock;
};
