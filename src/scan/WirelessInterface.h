#pragma once

#include "ScanResult.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What one read of the networks gave: the networks, or nothing and why.
struct ScanOutcome {
    std::optional<QList<ScanResult>> networks; // in no defined order; nothing after a failure
    QString error;                             // a readable reason after a failure
    int dropped = 0;                           // entries the source held but no longer hears
    qint64 readUs = 0;                         // time the read itself took
    qint64 recordedAtMs = 0; // a played recording's time of the scan (ms since the epoch); 0 live
};

// The joined network as the interface itself reports it, which may differ from
// the scan's entry for it (the station's own signal, the negotiated width).
struct JoinedLink {
    QString ssid; // null: hidden
    QString bssid;
    WlanChannel channel;
    int rssiValue = 0;
    int phyMode = 0;  // PhyMode::*
    int security = 0; // Security::*, -1 unknown
};

// One 20 MHz channel of the adapter as the kernel lists it.
struct AdapterChannel {
    int frequencyMhz = 0; // centre
    bool disabled = false;
    bool radar = false; // needs radar detection (DFS) before transmitting
};
// The adapter's channel list; nothing when the source has none.
using AdapterChannels = std::optional<QList<AdapterChannel>>;

// What the last scan read, for tracing.
struct ReadStatistics {
    QStringList heard; // BSSIDs of the networks returned, in their order
    int dropped = 0;
    qint64 readUs = 0;
};

// One Wi-Fi adapter as the rest of the program sees it: the network it is
// joined to, scans, and its power. The real radio (nl80211) and the simulated
// one (scenario file) implement it; nothing else knows which is in use.
//
// Nothing here waits: the joined network and the power are cached values,
// scans and power switches answer later through the event loop of the thread
// the interface lives in.
class WirelessInterface : public QObject {
    Q_OBJECT
public:
    enum class Kind { Nl80211, Simulated };
    using Answer = std::function<void(const ScanOutcome &)>;

    explicit WirelessInterface(QObject *parent = nullptr);
    ~WirelessInterface() override;

    virtual Kind kind() const = 0;
    virtual QString interfaceName() const = 0;

    // The joined network as of the last scan answered; ssid() and bssid() are
    // null while not joined.
    virtual QString ssid() const = 0;
    virtual QString bssid() const = 0;
    virtual WlanChannel wlanChannel() const = 0;
    virtual int rssiValue() const = 0;     // dBm, 0 when not joined
    virtual int security() const = 0;      // Security::* code
    virtual int activePHYMode() const = 0; // PhyMode::* code
    // The getters above in one piece; nothing while not joined.
    std::optional<JoinedLink> joinedLink() const;

    // One scan. `done` runs exactly once, later, from the event loop (never
    // from inside this call), after the joined network above has been brought
    // up to date; it does not run once `context` or the interface is gone.
    void scanForNetworks(QObject *context, Answer done);

    // The networks as the source knows them now, without starting a scan or
    // moving a recording on; the joined network's signal is live where the
    // source can tell. Answers like scanForNetworks and changes nothing the
    // getters above report.
    void readCurrentNetworks(QObject *context, Answer done);

    // The channels the adapter may use, as its driver and regulatory domain
    // allow. `done` runs once, later, from the event loop (not when
    // `context` is gone); with nothing when the source keeps no such list
    // (a scenario) or it cannot be read.
    using ChannelsAnswer = std::function<void(const AdapterChannels &)>;
    virtual void readAdapterChannels(QObject *context, ChannelsAnswer done);

    // Of the last scan answered (not of readCurrentNetworks); made when asked, as
    // only tracing asks.
    ReadStatistics readStatistics() const;

    // The adapter's power as last known; cheap.
    virtual bool powered() const = 0;
    // Switches the adapter on or off. The outcome comes with
    // powerSwitchFinished, later; the new state with poweredChanged.
    virtual void setPowerAsync(bool on) = 0;

    // A one-line note on how fresh the scans are, for a status bar; empty
    // when there is nothing to tell (e.g. "Results are refreshed by the system").
    virtual QString statusNote() const { return {}; }

Q_SIGNALS:
    void poweredChanged(bool on);
    void powerSwitchFinished(bool on, bool ok, const QString &error);

protected:
    // Start the work; call `answer` exactly once, from the event loop of this
    // object's thread and never from inside the call.
    virtual void startScan(Answer answer) = 0;
    virtual void startRead(Answer answer) = 0;

private:
    ScanOutcome m_lastScan; // its network list is shared with the answer, not copied
};
