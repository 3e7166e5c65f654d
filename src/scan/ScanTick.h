#pragma once

#include "NetworkModel.h"

#include <QString>

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
};
