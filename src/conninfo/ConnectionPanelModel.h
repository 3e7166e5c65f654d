#pragma once

#include "scan/NetworkModel.h"

#include <QStringList>
#include <array>
#include <functional>

class Preferences;

// The host facts the panel shows beside the joined network.
struct HostFacts {
    QString macAddress, ipAddress, dnsServer, gateway; // "N/A" when missing
};

// What the connection panel shows: ten value texts, "N/A" while nothing is
// known. It follows the joined network tick by tick:
// - joining fills the network's name and the host's addresses once; later
//   ticks keep them (an address still missing, as before DHCP answered, is
//   read again until it is found);
// - the signal, BSSID, channel and mode follow every tick, so the signal is
//   current and a roam to another access point of the network shows;
// - joining a network of another name fills everything afresh;
// - not joined, or the adapter switched off, resets every field to "N/A".
class ConnectionPanelModel {
public:
    enum Field { Ssid, Bssid, Signal, Channel, Mode, Mac, Ip, Dns, Gateway, ExternalIp };
    static constexpr int fieldCount = ExternalIp + 1;

    using FactsReader = std::function<HostFacts()>;

    ConnectionPanelModel(const Preferences &prefs, FactsReader readFacts);

    // One tick: the joined network's record, or null when not joined.
    void connectedToNetwork(const NetworkModelPtr &joined);
    // The external address arrived (or changed); shown while addresses are.
    void setExternalIP(const QString &address);
    // The display unit changed: the signal is written again in the new unit.
    void refreshSignal();
    // Every field back to "N/A" (adapter switched off, not joined).
    void reset();

    QString text(Field field) const { return m_texts.at(field); }
    QStringList texts() const { return {m_texts.begin(), m_texts.end()}; }
    bool showsNetwork() const { return m_showsNetwork; }
    bool showsAddresses() const { return m_showsAddresses; }

    // The signal in the chosen unit: "80%" or "-60 dBm".
    static QString signalText(qint64 dbm, const Preferences &prefs);

private:
    void setWirelessData(const NetworkModel &joined);
    void setAddresses();
    bool addressMissing() const;

    const Preferences &m_prefs;
    FactsReader m_readFacts;
    std::array<QString, fieldCount> m_texts;
    bool m_showsNetwork = false;
    bool m_showsAddresses = false;
    QString m_joinedSsid; // as the record had it; a hidden network's is null
    qint64 m_rssi = 0;
    QString m_externalIP;
};
