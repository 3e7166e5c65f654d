#pragma once

#include "Nl80211Decode.h"

#include <QString>
#include <optional>

namespace nl80211 {

// Keeps the kernel's BSS table fresh and tells which of its entries are only
// remembered. Pure bookkeeping on a CLOCK_BOOTTIME clock in nanoseconds (the
// clock of NL80211_BSS_LAST_SEEN_BOOTTIME); the socket code feeds it events
// and carries out what it asks.
//
// Who refreshes, in order: the kernel on our own trigger (needs
// CAP_NET_ADMIN); NetworkManager on request (it rate-limits); else whatever
// scans the system runs by itself.
//
// Stale entries: cfg80211 keeps an entry about 30 s after its last frame, so
// a radio that went away would linger for several ticks. Once a scan that
// listened to every network (wildcard or passive) has completed, an entry on
// one of its channels that was not heard since that scan began is dropped:
// the radio missed that scan. Entries on channels it did not visit, the
// joined network, and everything before the first completed scan are kept.
class ScanFreshness {
public:
    enum class Refresher { Kernel, NetworkManager, System };
    enum class Action { None, Trigger, AskNetworkManager };

    static constexpr qint64 kSecond = 1000000000;
    // A scan reported started but never finished is forgotten after this.
    static constexpr qint64 kScanBound = 30 * kSecond;
    // Pause after a trigger failed for a passing reason (interface down...).
    static constexpr qint64 kRetryPause = 10 * kSecond;
    // Pause after NetworkManager refused for its rate limit.
    static constexpr qint64 kNetworkManagerPause = 10 * kSecond;
    // A scan started by someone else is seen on the event socket only once
    // the event loop runs; its true start may be this much earlier.
    static constexpr qint64 kEventSlack = kSecond;

    explicit ScanFreshness(int wiphy)
        : m_wiphy(wiphy) {}

    void onEvent(const ScanEvent &event, qint64 nowNs);

    // What to do after reading the table.
    Action nextAction(qint64 nowNs) const;
    void triggerSent(qint64 nowNs);
    // errno of the trigger's answer, 0 for accepted.
    void triggerAnswered(int error, qint64 nowNs);
    void networkManagerAsked(qint64 nowNs);
    void networkManagerAnswered(bool ok, const QString &error, qint64 nowNs);
    void networkManagerUnavailable();

    bool scanUnderWay(qint64 nowNs) const;
    bool isStale(const BssEntry &entry, qint64 nowNs) const;
    Refresher refresher() const { return m_refresher; }
    bool hasCompletedScan() const { return m_completed.has_value(); }
    // One line for a status bar; empty while Airlume refreshes by itself.
    QString statusNote() const;

private:
    struct Scan {
        qint64 startNs = 0;
        QList<int> frequenciesMhz; // empty: every channel
        bool wildcard = true;
    };

    int m_wiphy;
    Refresher m_refresher = Refresher::Kernel;
    std::optional<Scan> m_running;
    qint64 m_runningSinceNs = 0;
    bool m_busyElsewhere = false; // EBUSY: a scan we have no start of
    std::optional<Scan> m_completed;
    qint64 m_triggerSentNs = -1;
    qint64 m_notBeforeNs = 0;
    bool m_waitingForNetworkManager = false;
};

} // namespace nl80211
