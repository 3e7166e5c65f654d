#include "ScanFreshness.h"

#include <cerrno>

namespace nl80211 {

void ScanFreshness::onEvent(const ScanEvent &event, qint64 nowNs) {
    // The BSS table belongs to the wiphy: a scan on any of its interfaces
    // refreshes it.
    if (event.wiphy >= 0 && m_wiphy >= 0 && event.wiphy != m_wiphy)
        return;
    switch (event.kind) {
    case ScanEvent::Kind::Started: {
        Scan scan;
        // Our own trigger went out before the scan began: an exact bound.
        const bool ours = m_triggerSentNs >= 0 && nowNs - m_triggerSentNs < kScanBound;
        scan.startNs = ours ? m_triggerSentNs : nowNs - kEventSlack;
        scan.frequenciesMhz = event.frequenciesMhz;
        scan.wildcard = event.wildcardSsid;
        m_running = scan;
        m_runningSinceNs = nowNs;
        m_triggerSentNs = -1;
        break;
    }
    case ScanEvent::Kind::Finished:
        if (m_running) {
            Scan done = *m_running;
            if (!event.frequenciesMhz.isEmpty())
                done.frequenciesMhz = event.frequenciesMhz;
            // A scan for named networks only says nothing about the others.
            if (done.wildcard)
                m_completed = done;
        }
        m_running.reset();
        m_busyElsewhere = false;
        break;
    case ScanEvent::Kind::Aborted:
        // Part of the channels may be missing: judge nothing by it.
        m_running.reset();
        m_busyElsewhere = false;
        break;
    case ScanEvent::Kind::Other:
        break;
    }
}

bool ScanFreshness::scanUnderWay(qint64 nowNs) const {
    return (m_running || m_busyElsewhere) && nowNs - m_runningSinceNs < kScanBound;
}

ScanFreshness::Action ScanFreshness::nextAction(qint64 nowNs) const {
    if (scanUnderWay(nowNs) || nowNs < m_notBeforeNs)
        return Action::None;
    switch (m_refresher) {
    case Refresher::Kernel:
        return Action::Trigger;
    case Refresher::NetworkManager:
        return m_waitingForNetworkManager ? Action::None : Action::AskNetworkManager;
    case Refresher::System:
        break;
    }
    return Action::None;
}

void ScanFreshness::triggerSent(qint64 nowNs) {
    m_triggerSentNs = nowNs;
}

void ScanFreshness::triggerAnswered(int error, qint64 nowNs) {
    switch (error) {
    case 0:
        // Under way from now on, even before its event is read.
        if (!m_running) {
            m_running = Scan{m_triggerSentNs >= 0 ? m_triggerSentNs : nowNs, {}, true};
            m_runningSinceNs = nowNs;
        }
        break;
    case EBUSY: // someone else's scan is running; its results serve as well
        m_busyElsewhere = true;
        m_runningSinceNs = nowNs;
        m_triggerSentNs = -1;
        break;
    case EPERM:
    case EACCES:
        m_refresher = Refresher::NetworkManager;
        m_triggerSentNs = -1;
        break;
    default:
        m_notBeforeNs = nowNs + kRetryPause;
        m_triggerSentNs = -1;
        break;
    }
}

void ScanFreshness::networkManagerAsked(qint64) {
    m_waitingForNetworkManager = true;
}

void ScanFreshness::networkManagerAnswered(bool ok, const QString &, qint64 nowNs) {
    m_waitingForNetworkManager = false;
    // Refusals are mostly its rate limit (and a denied authorisation is
    // worth asking again later, the session may change): ask again later.
    if (!ok)
        m_notBeforeNs = nowNs + kNetworkManagerPause;
}

void ScanFreshness::networkManagerUnavailable() {
    m_refresher = Refresher::System;
    m_waitingForNetworkManager = false;
}

bool ScanFreshness::isStale(const BssEntry &entry, qint64 nowNs) const {
    if (!m_completed || entry.result.associated)
        return false;
    if (!m_completed->frequenciesMhz.isEmpty() &&
        !m_completed->frequenciesMhz.contains(entry.result.frequencyMhz))
        return false;
    const qint64 lastSeenNs = entry.lastSeenBoottimeNs >= 0
                                  ? entry.lastSeenBoottimeNs
                                  : nowNs - entry.result.lastSeenMsAgo * 1000000;
    return lastSeenNs < m_completed->startNs;
}

QString ScanFreshness::statusNote() const {
    switch (m_refresher) {
    case Refresher::Kernel:
    case Refresher::NetworkManager:
        return {};
    case Refresher::System:
        return QStringLiteral("Results are refreshed by the system");
    }
    return {};
}

} // namespace nl80211
