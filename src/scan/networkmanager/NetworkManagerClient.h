#pragma once

#include "NetworkManagerLink.h"

#include <QDBusConnection>
#include <QDBusMessage>
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
// hard. Nothing here waits for the bus: what NetworkManager tells is cached and kept current
// from its signals, and requests answer through signals. Lives in the thread that creates it;
// that thread must run an event loop for anything to happen.
class NetworkManagerClient : public NetworkManagerLink {
    Q_OBJECT
public:
    // NetworkManager answers this for ~10 s after a scan, so asking sooner only earns a refusal.
    static constexpr std::chrono::milliseconds DefaultScanHoldOff{10'000};

    explicit NetworkManagerClient(const QDBusConnection &bus = QDBusConnection::systemBus(),
                                  QObject *parent = nullptr);
    ~NetworkManagerClient() override;

    // org.freedesktop.NetworkManager is on the bus, as last heard: one question to the bus
    // daemon at start, then its owner changes. False until the first answer, which
    // availabilityChanged announces like every change after it (without a bus the answer is
    // known at once and not announced).
    bool isAvailable() const override { return m_available; }
    // The first answer about availability has come.
    bool availabilityKnown() const override { return m_availabilityKnown; }

    // Never blocks. The answer always arrives later through scanRequestFinished, never from
    // inside this call. While a request for the interface is in flight or held off, further
    // requests merge into it: one scanRequestFinished answers all of them.
    void requestScan(const QString &interfaceName) override;

    // NetworkManager's WirelessEnabled as last heard: read with one GetAll whenever
    // NetworkManager appears, then kept from its PropertiesChanged. Nothing while it is absent
    // or has not answered yet.
    std::optional<bool> wirelessEnabled() const override { return m_wirelessEnabled; }

    // Asks NetworkManager to switch Wi-Fi. The outcome comes with wirelessSwitchFinished, never
    // from inside this call; a refusal (e.g. polkit's enable-disable-wifi) carries the D-Bus
    // error text.
    void setWirelessEnabled(bool on) override;

    // How long after a rate-limited refusal no scan is sent for that interface. Applies to
    // refusals that arrive after the change.
    void setScanHoldOff(std::chrono::milliseconds holdOff);

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage &message);

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
    void readProperties();
    void setWirelessEnabledValue(std::optional<bool> value);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    QString m_owner; // NetworkManager's unique name on the bus; empty while absent
    bool m_available = false;
    bool m_availabilityKnown = false;
    std::optional<bool> m_wirelessEnabled;
    std::chrono::milliseconds m_holdOff = DefaultScanHoldOff;
    QHash<QString, ScanState> m_scans;
};
