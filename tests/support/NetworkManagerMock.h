#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantList>
#include <memory>

// Stops the calling test function when a helper it called has failed.
#define REQUIRE(call)                                                                              \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// NetworkManager as python-dbusmock's template plays it, on a private D-Bus daemon that the
// test starts and stops itself, so the machine's own NetworkManager is never touched. A test
// class derives from it and calls startBus/stopBus from initTestCase/cleanupTestCase and
// openConnections/closeConnections from init/cleanup. Helpers report a failure through
// QTest; the caller wraps them in REQUIRE.
class NetworkManagerMock {
public:
    static inline const QString Nm = QStringLiteral("org.freedesktop.NetworkManager");
    static inline const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
    // The template's main object carries its helpers (AddWiFiDevice, SetProperty).
    static inline const QString TemplateRoot = QStringLiteral("/org/freedesktop");
    static inline const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
    static inline const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
    static constexpr const char *NotAllowed = "org.freedesktop.NetworkManager.Device.NotAllowed";
    static constexpr const char *PermissionDenied =
        "org.freedesktop.NetworkManager.PermissionDenied";
    // Upper bound for a process to start or a reply to come; generous because sanitizers and
    // a shared machine slow everything down. Waits end as soon as the awaited thing happens.
    static constexpr int WaitMs = 20000;

    // Python for a mocked method that fails with a D-Bus error.
    static QString raising(const char *errorName, const char *message);

    void startBus();
    void stopBus();
    // A fresh pair of connections per test (the client's, the test's own line to the mock):
    // no reply or match rule carries over. Closing prints the mock's log of a failed test.
    void openConnections();
    void closeConnections();

    void startMock(const QString &parameters = {});
    void stopMock();

    // A call to the mock, on the test's own connection unless told; a refusal fails the test.
    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &args, QDBusConnection *bus = nullptr);
    QVariant mockWirelessEnabled(QDBusConnection *bus = nullptr);
    // Once the mock answers a call on the client's connection, it has seen all sent before.
    void flushClient() { mockWirelessEnabled(&m_clientBus); }
    // kind is "WiFi" or "Ethernet"; returns the device's object path.
    QString addDevice(const char *kind, const QString &name);
    // Replaces `method` of `interface` on `path` with Python `code`.
    void setMethod(const QString &path, const QString &interface, const QString &method,
                   const QString &inSignature, const QString &outSignature, const QString &code);
    // Replaces the device's RequestScan with Python `code` (empty: succeed).
    void setRequestScan(const QString &devicePath, const QString &code);
    // The arguments of each call the mock logged for `method` on `path`.
    QList<QVariantList> calls(const QString &path, const QString &method);
    int scans(const QString &devicePath);
    // The interface names looked up with GetDeviceByIpIface, in order.
    QStringList lookups();

protected:
    QTemporaryDir m_dir;
    QString m_address;
    // D-Bus activating NetworkManager only creates this file, so a test can tell whether
    // the client tried to start it.
    QString m_activationMarker;
    int m_serial = 0;
    QDBusConnection m_clientBus{QString()};
    QDBusConnection m_control{QString()};

private:
    QString mockLog() const;

    QProcess m_daemon;
    std::unique_ptr<QProcess> m_mock;
};
