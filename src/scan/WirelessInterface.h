#pragma once

#include "ScanResult.h"

#include <QList>
#include <QString>
#include <optional>

// One Wi-Fi adapter as the rest of the program sees it: the network it is
// joined to, a scan, and its power. The real radio (nl80211) and the
// simulated one (scenario file) implement it; nothing else knows which is in use.
class WirelessInterface {
public:
    virtual ~WirelessInterface() = default;

    virtual QString interfaceName() const = 0;
    virtual bool powered() const = 0;

    // The joined network; ssid() and bssid() are null while not joined.
    virtual QString ssid() const = 0;
    virtual QString bssid() const = 0;
    virtual WlanChannel wlanChannel() const = 0;
    virtual int rssiValue() const = 0;     // dBm, 0 when not joined
    virtual int security() const = 0;      // Security::* code
    virtual int activePHYMode() const = 0; // PhyMode::* code

    // One scan. Returns the networks heard (in no defined order), or nothing
    // with *error set to a readable reason.
    virtual std::optional<QList<ScanResult>> scanForNetworks(QString *error) = 0;

    // Switches the adapter on or off; false with *error set on refusal.
    virtual bool setPower(bool on, QString *error) = 0;

    // A one-line note on how fresh the scans are, for a status bar; empty
    // when there is nothing to tell (e.g. "Results are refreshed by the system").
    virtual QString statusNote() const { return {}; }
};
