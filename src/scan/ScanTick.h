#pragma once

#include "NetworkModel.h"
#include "WirelessInterface.h"

#include <QString>
#include <optional>

// One scan as the interface answered it, before the merge: what a recording
// of the session keeps.
struct HeardScan {
    std::optional<QList<ScanResult>> networks; // nothing after a failed scan or without interface
    std::optional<JoinedLink> link;            // the interface's view of its joined network
    qint64 timeMs = 0; // when it was heard (ms since the epoch); a played recording's own time
};

// What one finished polling tick hands to the views, in one piece: the
// display list in table order, the joined network, the totals, the records
// that aged out and why the scan failed, if it did.
struct ScanTick {
    qint64 counter = 0;      // the scan sequence number of this merge
    NetworkList displayList; // table order: joined first, located at 1
    NetworkModelPtr joined;  // null when not joined
    QString joinedBssid;     // the interface's BSSID at the merge; null when not joined
    QString ssidTotal;       // "Total SSID's : n"; empty: unchanged
    QString bssidTotal;      // "Total BSSID's : n"; empty: unchanged
    NetworkList agedOut;     // left the merged list at this merge
    QString scanError;       // empty after a good scan
    HeardScan heard;         // the scan this merge took in
};
