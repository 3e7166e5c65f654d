#include "NetworkManagerMock.h"

#include <QtDBus>
#include <QtTest>
#include <csignal>
#include <sys/prctl.h>

namespace {

// Debian's python3-dbusmock lives in the system interpreter, which may not be first on PATH.
const QString SystemPython = QStringLiteral("/usr/bin/python3");

// A test that crashes or is killed by ctest's timeout must not leave a bus or a mock behind.
void dieWithParent(QProcess &process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool writeFile(const QString &path, const QString &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) == content.size();
}

void stopProcess(QProcess &process, int waitMs) {
    process.terminate();
    if (!process.waitForFinished(waitMs))
        process.kill();
    process.waitForFinished(waitMs);
}

} // namespace

QString NetworkManagerMock::raising(const char *errorName, const char *message) {
    return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
        .arg(QLatin1String(message), QLatin1String(errorName));
}

QString NetworkManagerMock::mockLog() const {
    return m_dir.filePath(QStringLiteral("mock-%1.log").arg(m_serial));
}

void NetworkManagerMock::startBus() {
    QVERIFY2(!QStandardPaths::findExecutable("dbus-daemon").isEmpty(),
             "dbus-daemon missing: run scripts/install-deps.sh --test");
    QVERIFY2(QFile::exists(SystemPython), "no /usr/bin/python3 for python3-dbusmock");
    QVERIFY(m_dir.isValid());
    // NetworkManager is D-Bus activatable on a real system; here activating it only leaves
    // the marker file behind.
    const QString services = m_dir.filePath("services");
    m_activationMarker = m_dir.filePath("activated");
    QVERIFY(QDir().mkpath(services));
    QVERIFY(writeFile(
        services + "/org.freedesktop.NetworkManager.service",
        QString("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2\n").arg(Nm, m_activationMarker)));
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

void NetworkManagerMock::stopBus() {
    stopProcess(m_daemon, WaitMs);
}

void NetworkManagerMock::openConnections() {
    ++m_serial;
    m_clientBus = QDBusConnection::connectToBus(m_address, QString("client-%1").arg(m_serial));
    m_control = QDBusConnection::connectToBus(m_address, QString("control-%1").arg(m_serial));
    QVERIFY2(m_clientBus.isConnected(), qPrintable(m_clientBus.lastError().message()));
    QVERIFY2(m_control.isConnected(), qPrintable(m_control.lastError().message()));
}

void NetworkManagerMock::closeConnections() {
    QFile log(mockLog());
    if (QTest::currentTestFailed() && log.open(QIODevice::ReadOnly))
        qWarning().noquote() << "mock log:\n" << log.readAll();
    stopMock();
    m_clientBus = m_control = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(QString("client-%1").arg(m_serial));
    QDBusConnection::disconnectFromBus(QString("control-%1").arg(m_serial));
}

void NetworkManagerMock::startMock(const QString &parameters) {
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

void NetworkManagerMock::stopMock() {
    if (!m_mock)
        return;
    stopProcess(*m_mock, WaitMs);
    m_mock.reset();
    if (m_control.isConnected())
        QTRY_VERIFY_WITH_TIMEOUT(!m_control.interface()->isServiceRegistered(Nm).value(), WaitMs);
}

QDBusMessage NetworkManagerMock::call(const QString &path, const QString &interface,
                                      const QString &method, const QVariantList &args,
                                      QDBusConnection *bus) {
    QDBusMessage msg = QDBusMessage::createMethodCall(Nm, path, interface, method);
    msg.setArguments(args);
    const QDBusMessage reply = (bus ? *bus : m_control).call(msg, QDBus::Block, WaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        QTest::qFail(qPrintable(method + ": " + reply.errorMessage()), __FILE__, __LINE__);
    return reply;
}

QVariant NetworkManagerMock::mockWirelessEnabled(QDBusConnection *bus) {
    const QDBusMessage reply =
        call(ManagerPath, Properties, "Get", {Nm, QStringLiteral("WirelessEnabled")}, bus);
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

QString NetworkManagerMock::addDevice(const char *kind, const QString &name) {
    const QDBusMessage reply = call(TemplateRoot, MockInterface, QString("Add%1Device").arg(kind),
                                    {name + "dev", name, 100 /* ACTIVATED */});
    return reply.arguments().value(0).toString();
}

void NetworkManagerMock::setMethod(const QString &path, const QString &interface,
                                   const QString &method, const QString &inSignature,
                                   const QString &outSignature, const QString &code) {
    call(path, MockInterface, "AddMethod", {interface, method, inSignature, outSignature, code});
}

void NetworkManagerMock::setRequestScan(const QString &devicePath, const QString &code) {
    setMethod(devicePath, Nm + ".Device.Wireless", "RequestScan", "a{sv}", QString(), code);
}

QList<QVariantList> NetworkManagerMock::calls(const QString &path, const QString &method) {
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

int NetworkManagerMock::scans(const QString &devicePath) {
    return int(calls(devicePath, "RequestScan").size());
}

QStringList NetworkManagerMock::lookups() {
    QStringList out;
    for (const QVariantList &args : calls(ManagerPath, "GetDeviceByIpIface"))
        out << args.value(0).toString();
    return out;
}
