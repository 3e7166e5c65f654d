// python3-dbusmock's NetworkManager template on a private bus that the test starts and stops
// itself, so the machine's own NetworkManager is never touched. Helpers report failures through
// QTest; a caller stops with REQUIRE when one failed.
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

class NetworkManagerMock {
public:
    // The bus name, and the manager's interface.
    inline static const QString Nm = QStringLiteral("org.freedesktop.NetworkManager");
    inline static const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
    // The template's main object carries its helpers (AddWiFiDevice, SetProperty).
    inline static const QString TemplateRoot = QStringLiteral("/org/freedesktop");
    inline static const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
    inline static const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
    // Upper bound for a process to start or a reply to come; generous because sanitizers and a
    // shared machine slow everything down. Waits end as soon as the awaited thing happens.
    static constexpr int WaitMs = 20000;

    // Python for a mocked method that fails with a D-Bus error.
    static QString raising(const char *errorName, const char *message) {
        return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
            .arg(QLatin1String(message), QLatin1String(errorName));
    }

    QString address() const { return m_address; }
    // NetworkManager is D-Bus activatable on a real system. Here activating it only leaves this
    // file behind, so a test can tell whether a client tried to start it.
    QString activationMarker() const { return m_dir.filePath(QStringLiteral("activated")); }
    QString mockLog() const { return m_dir.filePath(QStringLiteral("mock-%1.log").arg(m_serial)); }
    QDBusConnection &control() { return m_control; } // the test's own line to the mock

    // Once per test case: a private bus with a minimal policy, so nothing depends on the
    // machine's session setup.
    void startBus() {
        QVERIFY2(!QStandardPaths::findExecutable("dbus-daemon").isEmpty(),
                 "dbus-daemon missing: run scripts/install-deps.sh --test");
        QVERIFY2(QFile::exists(SystemPython), "no /usr/bin/python3 for python3-dbusmock");
        QVERIFY(m_dir.isValid());
        const QString services = m_dir.filePath("services");
        QVERIFY(QDir().mkpath(services));
        QVERIFY(writeFile(services + "/org.freedesktop.NetworkManager.service",
                          QString("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2\n")
                              .arg(Nm, activationMarker())));
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

    void stopBus() {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(WaitMs))
            m_daemon.kill();
        m_daemon.waitForFinished(WaitMs);
    }

    // Per test: a fresh connection of the test's own and one named `client` for the code under
    // test, so no reply or match rule carries over.
    QDBusConnection connect(const QString &client) {
        ++m_serial;
        m_clientName = QString("%1-%2").arg(client).arg(m_serial);
        m_control = QDBusConnection::connectToBus(m_address, QString("control-%1").arg(m_serial));
        if (!m_control.isConnected())
            QTest::qFail("no control connection to the private bus", __FILE__, __LINE__);
        return QDBusConnection::connectToBus(m_address, m_clientName);
    }

    // After each test: shows the mock's log when the test failed, stops it, drops the
    // connections.
    void disconnect() {
        QFile log(mockLog());
        if (QTest::currentTestFailed() && log.open(QIODevice::ReadOnly))
            qWarning().noquote() << "mock log:\n" << log.readAll();
        stopMock();
        m_control = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_clientName);
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
    QVariant wirelessEnabled(QDBusConnection *bus = nullptr) {
        const QDBusMessage reply =
            call(ManagerPath, Properties, "Get", {Nm, QStringLiteral("WirelessEnabled")}, bus);
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    // kind is "WiFi" or "Ethernet"; returns the device's object path.
    QString addDevice(const char *kind, const QString &name) {
        const QDBusMessage reply =
            call(TemplateRoot, MockInterface, QString("Add%1Device").arg(kind),
                 {name + "dev", name, 100 /* ACTIVATED */});
        return reply.arguments().value(0).toString();
    }
    // Replaces `method` of `interface` on `path` with Python `code`.
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

private:
    // Debian's python3-dbusmock lives in the system interpreter, which may not be first on PATH.
    inline static const QString SystemPython = QStringLiteral("/usr/bin/python3");

    // A test that crashes or is killed by ctest's timeout must not leave a bus or a mock behind.
    static void dieWithParent(QProcess &process) {
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    static bool writeFile(const QString &path, const QString &content) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) == content.size();
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    int m_serial = 0;
    QString m_clientName;
    QDBusConnection m_control{QString()};
    std::unique_ptr<QProcess> m_mock;
};
