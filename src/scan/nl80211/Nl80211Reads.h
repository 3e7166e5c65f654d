#pragma once

#include "Nl80211Decode.h"
#include "ScanFreshness.h"

#include <QList>
#include <QString>
#include <optional>

// The requests one interface makes of nl80211, as plain functions of a
// requester: they block within the requester's bound, so the interface runs
// them on its worker thread (and at opening, before anything is shown).
namespace nl80211 {

class Requester;

// CLOCK_BOOTTIME in nanoseconds, the clock of the kernel's scan timestamps.
qint64 boottimeNs();

// The station interfaces; nothing with *error when nl80211 cannot be read.
std::optional<QList<InterfaceEntry>> listStations(Requester &requester, QString *error);

// Joined: the kernel names the network, or (kernels that do not) the scan
// table holds an entry the interface is associated with.
bool isJoined(Requester &requester, const InterfaceEntry &entry);

// One read of the kernel's BSS table for an interface.
struct TableRead {
    QString error;                       // empty on success
    std::optional<InterfaceEntry> info;  // the interface afresh, when asked for
    QList<ScanResult> results;           // entries still heard
    std::optional<ScanResult> joined;    // the associated BSS, when listed
    std::optional<StationEntry> station; // the joined access point as the station sees it
    int stale = 0;                       // entries dropped as no longer heard
    int skipped = 0;                     // unreadable entries
    qint64 readUs = 0;
};

// Reads the interface (when withInterface), the BSS table (dropping what
// `freshness` says is no longer heard) and the joined access point's station
// entry.
TableRead readTable(Requester &requester, const InterfaceEntry &info,
                    const ScanFreshness &freshness, bool withInterface);

// The adapter's channels (a split GET_WIPHY dump of the interface's wiphy);
// nothing when the kernel does not answer.
AdapterChannels readChannels(Requester &requester, int ifindex);

// Asks the kernel for an active scan of every network; the errno of its
// answer, 0 when accepted.
int triggerScan(Requester &requester, int ifindex);

} // namespace nl80211
