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
    const NetworkList aged = countMisses();

    m_scanedResults = m_netWorkList5Poll;
    std::stable_sort(
        m_scanedResults.begin(), m_scanedResults.end(),
        [](const NetworkModelPtr &a, const NetworkModelPtr &b) { return a->rssi > b->rssi; });
    setSelectedWifi();
    sortTableView();
    removeAged(aged);

    ScanTick tick;
    tick.counter = m_counter;
    tick.displayList = m_scanedResults;
    tick.joined = m_connectedNetwork;
    tick.joinedBssid = m_joinedBssid;
    countTotals(tick);
    tick.agedOut = aged;
    tick.scanError = m_lastScanError;
    Q_EMIT tickFinished(tick);
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
// from the merged list, and so from the next tick's.
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
    for (const NetworkModelPtr &record : aged)
        m_byBssid.remove(record->bssid);
}

// The totals are given only when at least two records are named; otherwise
// the labels keep what they show.
void ScanCycle::countTotals(ScanTick &tick) const {
    QSet<QString> names;
    names.reserve(m_scanedResults.size());
    qsizetype named = 0;
    for (const NetworkModelPtr &record : std::as_const(m_scanedResults)) {
        if (record->ssid.isNull())
            continue;
        ++named;
        names.insert(record->ssid);
    }
    if (named < 2)
        return;
    tick.ssidTotal = QStringLiteral("Total SSID's : %1").arg(names.size());
    tick.bssidTotal = QStringLiteral("Total BSSID's : %1").arg(m_scanedResults.size());
}

void ScanCycle::setSelectedWifi() {
    WirelessInterface *iface = m_interface ? m_interface() : nullptr;
    m_joinedBssid = iface ? iface->bssid() : QString();
    const QString &joinedBssid = m_joinedBssid;
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

void ScanCycle::sortTableView(NetworkList &list) const {
    if (m_sorter)
        m_sorter(list);
    if (m_connectedNetwork) {
        list.removeOne(m_connectedNetwork);
        list.prepend(m_connectedNetwork);
    }
}

// One record per SSID for the radar: the strongest BSSID of each name (the
// first in list order among equals), the joined BSSID for the joined name,
// every hidden network on its own, and the display list's head always.
// Linear, one hash look-up per named record: the first pass finds the
// strongest record of each name, the second adds each name's choice once.
NetworkList ScanCycle::removeDuplicateElements() const {
    NetworkList result;
    if (m_scanedResults.isEmpty())
        return result;

    struct Name {
        NetworkModelPtr strongest;
        bool added = false;
    };
    QList<Name> names;
    QList<qsizetype> nameOf(m_scanedResults.size(), -1); // record -> its entry in names
    {
        QHash<QString, qsizetype> index;
        index.reserve(m_scanedResults.size());
        for (qsizetype i = 0; i < m_scanedResults.size(); ++i) {
            const NetworkModelPtr &record = m_scanedResults.at(i);
            if (record->ssid.isNull())
                continue;
            qsizetype &slot = index[record->ssid]; // entry + 1; 0 for a new name
            if (slot == 0) {
                names.append({record});
                slot = names.size();
            } else if (record->rssi > names.at(slot - 1).strongest->rssi) {
                names[slot - 1].strongest = record;
            }
            nameOf[i] = slot - 1;
        }
    }

    const NetworkModelPtr &head = m_scanedResults.first();
    result.append(head);
    const QString joinedSsid = m_connectedNetwork ? m_connectedNetwork->ssid : QString();
    bool joinedAdded = head == m_connectedNetwork;
    for (qsizetype i = 0; i < m_scanedResults.size(); ++i) {
        const NetworkModelPtr &record = m_scanedResults.at(i);
        if (nameOf.at(i) < 0) { // hidden: each on its own
            if (record != head)
                result.append(record);
            continue;
        }
        Name &name = names[nameOf.at(i)];
        if (!joinedSsid.isNull() && record->ssid == joinedSsid) {
            if (!joinedAdded)
                result.append(m_connectedNetwork);
            joinedAdded = true;
        } else if (record->rssi == name.strongest->rssi) {
            // Ties with the strongest keep their own dot.
            if (record != head && (record != name.strongest || !name.added))
                result.append(record);
            name.added = name.added || record == name.strongest;
        } else if (!name.added) {
            if (name.strongest != head)
                result.append(name.strongest);
            name.added = true;
        }
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
    queue([this] { Q_EMIT displayListCleared(); });
}

void ScanCycle::refreshAction() {
    qCInfo(lcScan) << "refreshAction........";
}
