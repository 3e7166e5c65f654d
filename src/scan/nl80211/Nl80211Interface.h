#pragma once

#include "AdapterPower.h"
#include "Nl80211Decode.h"
#include "ScanFreshness.h"
#include "scan/WirelessInterface.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class NetworkManagerLink;
class QSocketNotifier;

namespace nl80211 {
class EventSocket;
class Requester;
class Worker;
struct TableRead;

// Where an interface looks besides the kernel; tests point it elsewhere.
struct Environment {
    // Makes the link to NetworkManager, when first needed; NetworkManagerLink::create when
    // not set.
    std::function<std::unique_ptr<NetworkManagerLink>()> networkManager;
    PowerPaths power;
};
} // namespace nl80211

// A real Wi-Fi adapter through the kernel's nl80211, as an ordinary user:
// every tick reads the kernel's BSS table (never waiting for the radio),
// drops what the last scan no longer heard (see ScanFreshness), and then asks
// for a new scan: its own trigger when allowed, else NetworkManager, else
// whatever the system scans by itself. The requests run on a worker thread
// of the interface's own, so a wedged driver never holds the event loop; scan
// events arrive on a separate non-blocking socket watched from the event loop.
class Nl80211Interface : public WirelessInterface {
    Q_OBJECT
public:
    // Opens the named interface, or when the name is empty the one joined to
    // a network, else the first. Null with a one-line *error on failure. Waits
    // for the kernel (within the socket's bound): for start-up and the command line.
    static std::unique_ptr<Nl80211Interface> open(const QString &name, QString *error);
    // The same without waiting: the kernel is asked on a thread of the pool, and
    // `done` runs later on the main thread with the interface or null and the
    // error, unless `context` (an object of the main thread) is gone by then.
    using Opened = std::function<void(std::unique_ptr<Nl80211Interface>, const QString &error)>;
    static void openAsync(const QString &name, QObject *context, Opened done);

    // The interface `info` names, asked through `requester`; scan events are
    // followed only when listenToEvents() is called.
    Nl80211Interface(std::unique_ptr<nl80211::Requester> requester,
                     const nl80211::InterfaceEntry &info,
                     const nl80211::Environment &environment = {});
    ~Nl80211Interface() override;

    Kind kind() const override { return Kind::Nl80211; }
    QString interfaceName() const override { return m_info.name; }
    bool powered() const override { return power().powered(); }
    void setPowerAsync(bool on) override { power().setPowerAsync(on); }
    QString ssid() const override;
    QString bssid() const override;
    WlanChannel wlanChannel() const override;
    int rssiValue() const override;
    int security() const override;
    int activePHYMode() const override;
    QString statusNote() const override { return m_freshness.statusNote(); }
    void readAdapterChannels(QObject *context, ChannelsAnswer done) override;

    // Follows the scan events of nl80211's "scan" multicast group.
    void listenToEvents(std::unique_ptr<nl80211::EventSocket> events);

protected:
    void startScan(Answer answer) override;
    void startRead(Answer answer) override;
    void connectNotify(const QMetaMethod &signal) override;

private:
    // What opening learns from the kernel; the interface is made from it without waiting.
    struct Opening;
    static std::optional<Opening> prepare(const QString &name, QString *error);
    static std::unique_ptr<Nl80211Interface> finish(Opening opening);

    // NetworkManager and the power state are set up when first wanted: a
    // command-line scan run as root needs neither.
    NetworkManagerLink &networkManager() const;
    nl80211::AdapterPower &power() const;
    void readEvents();
    void takeScan(const nl80211::TableRead &read);
    void refresh(); // asks for the next scan, after the read
    void triggerAnswered(int error);
    void useNetworkManager();
    void tellRefresherOnce();

    nl80211::Environment m_environment;
    std::unique_ptr<nl80211::Worker> m_worker;
    mutable std::unique_ptr<NetworkManagerLink> m_nm;
    mutable std::unique_ptr<nl80211::AdapterPower> m_power;
    std::unique_ptr<nl80211::EventSocket> m_events;
    QSocketNotifier *m_notifier = nullptr;
    nl80211::InterfaceEntry m_info;
    nl80211::ScanFreshness m_freshness;
    std::optional<ScanResult> m_joined; // the associated BSS of the last scan
    std::optional<nl80211::StationEntry> m_station;
    // Callers waiting for the read in flight; a request while one is out
    // joins it, so a slow driver never gets a queue of reads.
    QList<Answer> m_scanWaiters;
    QList<Answer> m_readWaiters;
    bool m_refreshing = false; // a refresh is queued or its trigger is out
    bool m_usingNetworkManager = false;
    bool m_toldRefresher = false;
};
