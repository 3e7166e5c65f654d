#pragma once

#include "NetworkModel.h"
#include "ScanTick.h"

#include <functional>
#include <optional>

class QObject;
class WirelessInterface;

// One scan of an interface: the joined network's record and the networks heard.
// Holds no state between calls; callers make one per scan and may drop it
// right after the call, since the answer carries everything.
class NetworkScanner {
public:
    using SignalCompletion = std::function<void(qint32 rssi)>;

    // One scan before its records are made: the joined network's record, from the
    // interface's own view, and every network heard (the joined one among them).
    struct Scan {
        NetworkModelPtr joined;
        QList<ScanResult> networks;
        // Listed already as `joined`.
        bool isJoined(const ScanResult &network) const {
            return !joined->bssid.isNull() && network.bssid == joined->bssid;
        }
    };
    // The scan, or nothing and the reason; and the scan as the interface answered it.
    using ScanCompletion = std::function<void(const std::optional<Scan> &scan, const QString &error,
                                              const HeardScan &heard)>;

    explicit NetworkScanner(WirelessInterface &iface);

    // Scans. `completion` runs once, later, from the event loop (never inside
    // this call, not at all once `context` is gone): the scan before its records
    // are made, so that a caller that keeps records from earlier scans makes only
    // those of radios it has not met, or nothing and the reason after a scan error
    // (which is logged); and the scan as the interface answered it.
    void scanNetworks(QObject *context, ScanCompletion completion);

    // The RSSI (dBm) of the target in the interface's current results, read
    // without starting a scan, matched by SSID, BSSID and channel; 0 when it
    // is not heard or the read fails. Answers like scanNetworks.
    void getSignalStrength(const NetworkModel &target, QObject *context,
                           SignalCompletion completion);

    // The match getSignalStrength applies to the results read.
    static qint32 signalStrengthIn(const QList<ScanResult> &results, const NetworkModel &target);

private:
    WirelessInterface &m_iface;
};
