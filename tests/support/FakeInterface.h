#pragma once

#include "scan/WirelessInterface.h"

#include <QQueue>
#include <variant>

// A scriptable radio. Each scan takes the next scripted outcome (networks or an error text),
// then repeats `fallback`, which a read of the current networks answers. Answers and power
// switches come through the event loop, like a real radio's; the joined network's fields are
// plain members, null while not joined.
class FakeInterface : public WirelessInterface {
public:
    struct ScanError {
        QString reason;
    };
    using Outcome = std::variant<QList<ScanResult>, ScanError>;

    QString name = QStringLiteral("wlan-fake");
    bool isPowered = true;
    QString joinedSsid, joinedBssid;
    WlanChannel joinedChannel;
    int joinedRssi = 0;
    int joinedSecurity = Security::None;
    int joinedPhyMode = PhyMode::None;
    QQueue<Outcome> script;
    Outcome fallback = QList<ScanResult>{};
    int scanCount = 0;
    QString powerRefusal; // non-empty: setPowerAsync is refused with it

    void queueScan(const QList<ScanResult> &networks) { script.enqueue(networks); }
    void queueError(const QString &reason) { script.enqueue(ScanError{reason}); }
    // Joins the network a scan result describes; leave() joins nothing.
    void join(const ScanResult &network, int security, int phyMode) {
        joinedSsid = network.ssid;
        joinedBssid = network.bssid;
        joinedChannel = network.wlanChannel();
        joinedRssi = network.rssiValue;
        joinedSecurity = security;
        joinedPhyMode = phyMode;
    }
    void leave() { join(ScanResult{}, Security::None, PhyMode::None); }

    Kind kind() const override { return Kind::Nl80211; } // stands in for a real radio
    QString interfaceName() const override { return name; }
    bool powered() const override { return isPowered; }
    QString ssid() const override { return joinedSsid; }
    QString bssid() const override { return joinedBssid; }
    WlanChannel wlanChannel() const override { return joinedChannel; }
    int rssiValue() const override { return joinedRssi; }
    int security() const override { return joinedSecurity; }
    int activePHYMode() const override { return joinedPhyMode; }
    void setPowerAsync(bool on) override {
        QMetaObject::invokeMethod(
            this,
            [this, on] {
                if (!powerRefusal.isEmpty()) {
                    Q_EMIT powerSwitchFinished(on, false, powerRefusal);
                    return;
                }
                const bool changed = isPowered != on;
                isPowered = on;
                if (changed)
                    Q_EMIT poweredChanged(on);
                Q_EMIT powerSwitchFinished(on, true, QString());
            },
            Qt::QueuedConnection);
    }

protected:
    void startScan(Answer answer) override {
        ++scanCount;
        deliver(script.isEmpty() ? fallback : script.dequeue(), std::move(answer));
    }
    void startRead(Answer answer) override { deliver(fallback, std::move(answer)); }

private:
    void deliver(const Outcome &scripted, Answer answer) {
        ScanOutcome outcome;
        if (const auto *failure = std::get_if<ScanError>(&scripted))
            outcome.error = failure->reason;
        else
            outcome.networks = std::get<QList<ScanResult>>(scripted);
        QMetaObject::invokeMethod(
            this, [outcome, answer = std::move(answer)] { answer(outcome); }, Qt::QueuedConnection);
    }
};

inline ScanResult makeNetwork(const QString &ssid, const QString &bssid, int rssi, int channel = 6,
                              int band = Band::Ghz2_4, int width = ChannelWidth::Mhz20) {
    ScanResult r;
    r.ssid = ssid;
    r.bssid = bssid;
    r.rssiValue = rssi;
    r.channelNumber = channel;
    r.channelBand = band;
    r.channelWidth = width;
    return r;
}
