#pragma once

#include "NetworkModel.h"

#include <functional>
#include <optional>

class WirelessInterface;

// Turns one scan of an interface into records, the joined network first.
// Holds no state between calls; callers make one per scan.
class NetworkScanner {
public:
    using Completion = std::function<void(const std::optional<NetworkList> &)>;

    explicit NetworkScanner(WirelessInterface &iface);

    // Scans and calls back exactly once before returning: the records, or
    // nothing after a scan error (which is logged).
    void getAvailableNetworks(const Completion &completion);

    // The RSSI (dBm) of the target in a fresh scan, matched by SSID, BSSID and
    // channel; 0 when it is not heard or the scan fails.
    qint32 getSignalStrength(const NetworkModel &target);

    NetworkList availableNetworks; // result of the last getAvailableNetworks
    QString lastError;             // reason of the last failed scan

private:
    WirelessInterface &m_iface;
};
