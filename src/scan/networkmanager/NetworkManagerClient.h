#pragma once

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;
class QTimer;

// The one place that speaks to NetworkManager over D-Bus. NetworkManager being absent, or
// going away and coming back, is an ordinary state: every call answers it rather than failing
// hard. Lives in the thread that creates it; that thread must run an event loop for
// scanRequestFinished, availabilityChanged and deferred scans to happen.
class NetworkManagerClient : public QObject {
    Q_OBJECT
public:
    // NetworkManager answers this for ~10 s after a scan, so asking sooner only earns a refusal.
    static constexpr std::chrono::milliseconds DefaultScanHoldOff{10'000};

    explicit NetworkManagerClient(const QDBusConnection &bus = QDBusConnection::systemBus(),
                                  QObject *parent = nullptr);
    ~NetworkManagerClient() override;

    // org.freedesktop.NetworkManager is on the bus (asks the bus daemon, so it is current).
    bool isAvailable() const;

    // Never blocks. The answer always arrives later through scanRequestFinished, never from
    // inside this call. While a request for the interface is in flight or held off, further
    // requests merge into it: one scanRequestFinished answers all of them.
    void requestScan(const QString &interfaceName);

    // Reads NetworkManager's WirelessEnabled; nullopt when NetworkManager can't be asked.
    std::optional<bool> wirelessEnabled() const;

    // Blocks for at most a couple of seconds. On refusal (e.g. polkit's enable-disable-wifi)
    // returns false and puts the D-Bus error text in *error (error may be null).
    bool setWirelessEnabled(bool on, QString *error);

    // How long after a rate-limited refusal no scan is sent for that interface. Applies to
    // refusals that arrive after the change.
    void setScanHoldOff(std::chrono::milliseconds holdOff);

Q_SIGNALS:
    void scanRequestFinished(const QString &interfaceName, bool ok, const QString &error);
    void availabilityChanged(bool available);

private:
    struct ScanState {
        bool inFlight = false;
        QDeadlineTimer holdOffUntil; // default-constructed: already expired, no hold-off
        QTimer *deferred = nullptr;  // fires once the hold-off has passed
    };

    ScanState &stateFor(const QString &interfaceName);
    void startScan(const QString &interfaceName);
    void onDeviceFound(const QString &interfaceName, QDBusPendingCallWatcher *watcher);
    void onScanReplied(const QString &interfaceName, QDBusPendingCallWatcher *watcher);
    void finishScan(const QString &interfaceName, bool ok, const QString &error);
    void onOwnerChanged(const QString &newOwner);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    bool m_available = false;
    std::chrono::milliseconds m_holdOff = DefaultScanHoldOff;
    QHash<QString, ScanState> m_scans;
};
