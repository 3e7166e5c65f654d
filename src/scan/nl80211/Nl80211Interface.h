#pragma once

#include "Nl80211Decode.h"
#include "ScanFreshness.h"
#include "scan/WirelessInterface.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class NetworkManagerClient;
class QSocketNotifier;

namespace nl80211 {
class CommandSocket;
class EventSocket;
} // namespace nl80211

// A real Wi-Fi adapter through the kernel's nl80211, as an ordinary user:
// every tick reads the kernel's BSS table at once (never waiting for the
// radio), drops what the last scan no longer heard (see ScanFreshness), and
// then asks for a new scan, asynchronously: its own trigger when allowed,
// else NetworkManager, else whatever the system scans by itself. Scan events
// arrive on a separate socket watched from the event loop.
class Nl80211Interface : public QObject, public WirelessInterface {
    Q_OBJECT
public:
    // The station interfaces; nothing with *error when nl80211 cannot be read.
    static std::optional<QList<nl80211::InterfaceEntry>> listInterfaces(QString *error);

    // Opens the named interface, or when the name is empty the one joined to
    // a network, else the first. Null with a one-line *error on failure.
    static std::unique_ptr<Nl80211Interface> open(const QString &name, QString *error);
    ~Nl80211Interface() override;

    QString interfaceName() const override { return m_info.name; }
    bool powered() const override;
    QString ssid() const override;
    QString bssid() const override;
    WlanChannel wlanChannel() const override;
    int rssiValue() const override;
    int security() const override;
    int activePHYMode() const override;
    std::optional<QList<ScanResult>> scanForNetworks(QString *error) override;
    bool setPower(bool on, QString *error) override;
    QString statusNote() const override { return m_freshness.statusNote(); }

    // Entries of the last read dropped as no longer heard.
    int lastStaleCount() const { return m_lastStale; }

private:
    Nl80211Interface(std::unique_ptr<nl80211::CommandSocket> command,
                     const nl80211::InterfaceEntry &info);
    void readEvents();
    void refresh(); // asks for the next scan, after the read
    void useNetworkManager();
    void tellRefresherOnce();
    NetworkManagerClient *networkManager() const;
    bool readInterface(QString *error);
    void readStation();
    static qint64 boottimeNs();

    std::unique_ptr<nl80211::CommandSocket> m_command;
    std::unique_ptr<nl80211::EventSocket> m_events;
    QSocketNotifier *m_notifier = nullptr;
    mutable std::unique_ptr<NetworkManagerClient> m_nm;
    nl80211::InterfaceEntry m_info;
    nl80211::ScanFreshness m_freshness;
    std::optional<ScanResult> m_joined; // the associated BSS of the last read
    std::optional<nl80211::StationEntry> m_station;
    bool m_refreshQueued = false;
    bool m_toldRefresher = false;
    int m_lastStale = 0;
};
