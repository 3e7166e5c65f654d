#include "ScanCycle.h"

#include "NetworkScanner.h"
#include "ScanLog.h"
#include "WirelessInterface.h"
#include "settings/Preferences.h"

#include <QSet>
#include <algorithm>
#include <cmath>

ScanCycle::ScanCycle(InterfaceProvider interfaceProvider, const Preferences &prefs, QObject *parent)
    : QObject(parent)
    , m_interface(std::move(interfaceProvider))
    , m_prefs(prefs) {
    connect(&m_pollingTimer, &QTimer::timeout, this, &ScanCycle::pollingStarts);
}

// Jobs run on the event loop in the order they were queued, like the
// scan/radar/table sequence of one tick needs.
void ScanCycle::queue(std::function<void()> job) {
    QMetaObject::invokeMethod(this, std::move(job), Qt::QueuedConnection);
}

void ScanCycle::pollingActivation() {
    const double seconds = m_prefs.pollingIntervalSeconds();
    queue([this, seconds] {
        if (!m_polling)
            return; // stopped before this queued start ran
        m_pollingTimer.start(static_cast<int>(std::lround(seconds * 1000.0)));
        pollingStarts(); // the first tick does not wait a whole interval
    });
}

void ScanCycle::pollingStarts() {
    scanForAvailableNetworks();
}

// The radar and the graph follow the merged list, so their job is queued once
// the scan has been merged; it runs before the table reload the merge queues.
void ScanCycle::queuePlotJob() {
    queue([this] {
        const NetworkList located = m_locate.locateArray ? m_locate.locateArray() : NetworkList{};
        Q_EMIT radarPlotRequested(located.isEmpty() ? removeDuplicateElements() : located);
        Q_EMIT graphReloadRequested();
    });
}

void ScanCycle::scanForAvailableNetworks() {
    // One scan at a time per interface: a tick that comes while the last scan
    // is still on its way (a slow or wedged driver) is left out rather than
    // stacked behind it.
    WirelessInterface *current = m_interface ? m_interface() : nullptr;
    if (m_scanQueued || (m_scanningOn && m_scanningOn == current)) {
        qCInfo(lcScan) << "the last scan has not answered yet; this tick is left out";
        return;
    }
    m_scanedResults = {};
    m_scanQueued = true;
    queue([this] {
        m_scanQueued = false;
        WirelessInterface *iface = m_interface ? m_interface() : nullptr;
        const quint64 serial = ++m_scanSerial;
        if (!iface) {
            m_lastScanError = QStringLiteral("no Wi-Fi interface to scan");
            queuePlotJob();
            merge(std::nullopt);
            return;
        }
        m_scanningOn = iface;
        NetworkScanner(*iface).getAvailableNetworks(
            this, [this, serial](const std::optional<NetworkList> &list, const QString &error) {
                // An answer from an interface replaced since is not this tick's.
                if (serial != m_scanSerial)
                    return;
                m_scanningOn = nullptr;
                m_lastScanError = list ? QString() : error;
                queuePlotJob();
                merge(list);
            });
    });
}

void ScanCycle::merge(const std::optional<NetworkList> &scanned) {
    ++m_counter;
    // A failed scan still counts: every known network misses it.
    if (scanned)
        mergeRecords(*scanned);
    else
        Q_EMIT scanFailed(m_lastScanError);
    const NetworkList aged = countMisses();

    m_scanedResults = m_netWorkList5Poll;
    std::stable_sort(
        m_scanedResults.begin(), m_scanedResults.end(),
        [](const NetworkModelPtr &a, const NetworkModelPtr &b) { return a->rssi > b->rssi; });
    setSelectedWifi();
    sortTableView();
    queue([this] { Q_EMIT tableReloadRequested(); });
    updateTotals();
    removeAged(aged);
}

void ScanCycle::mergeRecords(const NetworkList &scanned) {
    for (const NetworkModelPtr &record : scanned) {
        // A record without a BSSID names no radio (the interface while not
        // joined); keeping it would pile up blank rows.
        if (record->bssid.isNull())
            continue;
        const auto known = m_byBssid.constFind(record->bssid);
        if (known != m_byBssid.constEnd()) {
            (*known)->rssi = record->rssi;
            (*known)->availableCount = m_counter;
        } else {
            record->availableCount = m_counter;
            m_netWorkList5Poll.append(record);
            m_byBssid.insert(record->bssid, record);
        }
    }
}

NetworkList ScanCycle::countMisses() {
    NetworkList aged;
    for (const NetworkModelPtr &record : std::as_const(m_netWorkList5Poll)) {
        record->count = record->availableCount == m_counter ? 0 : record->count + 1;
        if (record->count >= missedScansToAgeOut)
            aged.append(record);
    }
    return aged;
}

// Aged records are still part of this tick's display list; they are gone
// from the next one.
void ScanCycle::removeAged(const NetworkList &aged) {
    if (aged.isEmpty())
        return;
    const QSet<NetworkModel *> leaving = [&] {
        QSet<NetworkModel *> set;
        for (const NetworkModelPtr &record : aged)
            set.insert(record.get());
        return set;
    }();
    m_netWorkList5Poll.removeIf(
        [&](const NetworkModelPtr &r) { return leaving.contains(r.get()); });
    for (const NetworkModelPtr &record : aged) {
        m_byBssid.remove(record->bssid);
        queue([this] { Q_EMIT networkLabelsRearrangeRequested(); });
    }
    Q_EMIT networksAgedOut(aged);
}

void ScanCycle::updateTotals() {
    QSet<QString> names;
    qsizetype named = 0;
    for (const NetworkModelPtr &record : std::as_const(m_scanedResults)) {
        if (record->ssid.isNull())
            continue;
        ++named;
        names.insert(record->ssid);
    }
    if (named < 2)
        return;
    Q_EMIT totalsChanged(QStringLiteral("Total SSID's : %1").arg(names.size()),
                         QStringLiteral("Total BSSID's : %1").arg(m_scanedResults.size()));
}

void ScanCycle::setSelectedWifi() {
    WirelessInterface *iface = m_interface ? m_interface() : nullptr;
    const QString joinedBssid = iface ? iface->bssid() : QString();
    if (joinedBssid.isNull()) {
        // Not joined: nothing is the connected network any more, so a network
        // that was left is neither pinned nor exported as connected.
        m_connectedNetwork.reset();
    } else {
        const auto it =
            std::find_if(m_scanedResults.begin(), m_scanedResults.end(),
                         [&](const NetworkModelPtr &r) { return r->bssid == joinedBssid; });
        if (it != m_scanedResults.end()) {
            NetworkModelPtr joined = *it;
            m_scanedResults.erase(it);
            m_scanedResults.prepend(joined);
            m_connectedNetwork = joined;
        } else {
            // The joined radio has no record (aged out during failed scans,
            // or roamed to while a scan failed): the old one is stale.
            m_connectedNetwork.reset();
        }
    }

    const NetworkList located = m_locate.locateArray ? m_locate.locateArray() : NetworkList{};
    const NetworkModelPtr target = m_locate.locateModel ? m_locate.locateModel() : nullptr;
    if (located.isEmpty() || !target)
        return;
    const auto old =
        std::find_if(m_scanedResults.begin(), m_scanedResults.end(),
                     [&](const NetworkModelPtr &r) { return r->bssid == target->bssid; });
    if (old != m_scanedResults.end())
        m_scanedResults.erase(old);
    m_scanedResults.insert(m_scanedResults.isEmpty() ? 0 : 1, target);
}

void ScanCycle::sortTableView() {
    if (m_sorter)
        m_sorter(m_scanedResults);
    if (m_connectedNetwork) {
        m_scanedResults.removeOne(m_connectedNetwork);
        m_scanedResults.prepend(m_connectedNetwork);
    }
    Q_EMIT displayListSorted();
}

// One record per SSID for the radar: the strongest BSSID of each name (the
// first in list order among equals), the joined BSSID for the joined name,
// every hidden network on its own, and the display list's head always.
// Linear: the strongest record of each name is found in one pass.
NetworkList ScanCycle::removeDuplicateElements() const {
    NetworkList result;
    if (m_scanedResults.isEmpty())
        return result;

    QHash<QString, NetworkModelPtr> strongest;
    for (const NetworkModelPtr &record : m_scanedResults) {
        if (record->ssid.isNull())
            continue;
        auto it = strongest.find(record->ssid);
        if (it == strongest.end())
            strongest.insert(record->ssid, record);
        else if (record->rssi > (*it)->rssi)
            *it = record;
    }

    QSet<const NetworkModel *> added;
    auto add = [&](const NetworkModelPtr &record) {
        if (!added.contains(record.get())) {
            added.insert(record.get());
            result.append(record);
        }
    };
    add(m_scanedResults.first());
    const QString joinedSsid = m_connectedNetwork ? m_connectedNetwork->ssid : QString();
    for (const NetworkModelPtr &record : m_scanedResults) {
        if (record->ssid.isNull())
            add(record);
        else if (!joinedSsid.isNull() && record->ssid == joinedSsid)
            add(m_connectedNetwork);
        else if (record->rssi == strongest.value(record->ssid)->rssi)
            add(record); // ties with the strongest keep their own dot
        else
            add(strongest.value(record->ssid));
    }
    return result;
}

void ScanCycle::startAction() {
    m_polling = true;
    Q_EMIT pollingChanged(true);
    pollingActivation();
}

void ScanCycle::stopAction() {
    m_polling = false;
    Q_EMIT pollingChanged(false);
    m_pollingTimer.stop();
}

void ScanCycle::refresh() {
    m_scanedResults = {};
    pollingStarts();
}

void ScanCycle::wifiChanged() {
    m_scanedResults = {};
    queue([this] { Q_EMIT tableReloadRequested(); });
}

void ScanCycle::refreshAction() {
    qCInfo(lcScan) << "refreshAction........";
}
