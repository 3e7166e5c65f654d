#include "ScanCycle.h"

#include "NetworkScanner.h"
#include "ScanLog.h"
#include "WirelessInterface.h"
#include "settings/Preferences.h"

#include <QDateTime>
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
            HeardScan nothing;
            nothing.timeMs = QDateTime::currentMSecsSinceEpoch();
            merge(std::nullopt, nothing);
            return;
        }
        m_scanningOn = iface;
        NetworkScanner(*iface).scanNetworks(
            this, [this, serial](const std::optional<NetworkScanner::Scan> &list,
                                 const QString &error, const HeardScan &heard) {
                // An answer from an interface replaced since is not this tick's.
                if (serial != m_scanSerial)
                    return;
                m_scanningOn = nullptr;
                m_lastScanError = list ? QString() : error;
                queuePlotJob();
                merge(list, heard);
            });
    });
}

void ScanCycle::merge(const std::optional<NetworkScanner::Scan> &scanned, const HeardScan &heard) {
    ++m_counter;
    m_nameGroups = {}; // signals change: the strongest of each name is found afresh
    // A failed scan still counts: every known network misses it.
    if (scanned)
        mergeRecords(*scanned);
    const NetworkList aged = countMisses();

    m_scanedResults = strongestFirst(m_netWorkList5Poll);
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
    tick.heard = heard;
    Q_EMIT tickFinished(tick);
}

// Strongest first; equal signals keep their order. Signals in dBm span a
// small range, so a counting sort on a compact copy of them does it in linear
// time without a comparison reaching into a record; a wider spread (not seen
// from real radios) falls back to a comparison sort.
NetworkList ScanCycle::strongestFirst(const NetworkList &records) {
    QList<qint64> signal(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        signal[i] = records.at(i)->rssi;
    const auto [low, high] = std::minmax_element(signal.cbegin(), signal.cend());
    if (records.isEmpty() || *high - *low > 4096) {
        NetworkList sorted = records;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto &a, const auto &b) { return a->rssi > b->rssi; });
        return sorted;
    }
    const qint64 strongest = *high;
    QList<qsizetype> next(strongest - *low + 2, 0); // per signal: where its records go
    for (qint64 value : std::as_const(signal))
        ++next[strongest - value + 1];
    for (qsizetype i = 1; i < next.size(); ++i)
        next[i] += next[i - 1];
    NetworkList sorted(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        sorted[next[strongest - signal.at(i)]++] = records.at(i);
    return sorted;
}

// A radio met before only takes the live measures, so its record is made only
// when it is new: the scan's records are made here, one by one, rather than
// all at once.
void ScanCycle::mergeRecords(const NetworkScanner::Scan &scanned) {
    const NetworkModel &joined = *scanned.joined;
    mergeRecord(joined.bssid, {joined.rssi, joined.stationCount, joined.channelUtilisation},
                [&] { return scanned.joined; });
    for (const ScanResult &network : scanned.networks) {
        if (!scanned.isJoined(network))
            mergeRecord(network.bssid,
                        {network.rssiValue, network.stationCount, network.channelUtilisation},
                        [&] { return std::make_shared<NetworkModel>(network); });
    }
}

void ScanCycle::mergeRecord(const QString &bssid, const LiveMeasures &live,
                            const std::function<NetworkModelPtr()> &make) {
    // A record without a BSSID names no radio (the interface while not
    // joined); keeping it would pile up blank rows.
    if (bssid.isNull())
        return;
    const auto known = m_byBssid.constFind(bssid);
    if (known != m_byBssid.constEnd()) {
        NetworkModel &record = **known;
        record.rssi = live.rssi;
        record.availableCount = m_counter;
        // The announced load is a live measure, like the signal.
        record.stationCount = live.stationCount;
        record.channelUtilisation = live.channelUtilisation;
        return;
    }
    NetworkModelPtr record = make();
    record->availableCount = m_counter;
    m_netWorkList5Poll.append(record);
    m_byBssid.insert(bssid, std::move(record));
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

// The display list's names, worked out once for the totals and the radar's
// list of the same tick (one hash look-up per named record); made afresh at
// each merge and whenever the list holds other records or another order.
const ScanCycle::NameGroups &ScanCycle::nameGroups() const {
    NameGroups &groups = m_nameGroups;
    if (groups.list == m_scanedResults && groups.nameOf.size() == m_scanedResults.size())
        return groups;
    groups = {m_scanedResults, {}, QList<qsizetype>(m_scanedResults.size(), -1), 0};
    QHash<QString, qsizetype> index;
    index.reserve(m_scanedResults.size());
    for (qsizetype i = 0; i < m_scanedResults.size(); ++i) {
        const NetworkModelPtr &record = m_scanedResults.at(i);
        if (record->ssid.isNull())
            continue;
        ++groups.named;
        qsizetype &slot = index[record->ssid]; // entry + 1; 0 for a new name
        if (slot == 0) {
            groups.strongest.append(record);
            slot = groups.strongest.size();
        } else if (record->rssi > groups.strongest.at(slot - 1)->rssi) {
            groups.strongest[slot - 1] = record; // the first among equals stays
        }
        groups.nameOf[i] = slot - 1;
    }
    return groups;
}

// The totals are given only when at least two records are named; otherwise
// the labels keep what they show.
void ScanCycle::countTotals(ScanTick &tick) const {
    const NameGroups &groups = nameGroups();
    if (groups.named < 2)
        return;
    tick.ssidTotal = QStringLiteral("Total SSID's : %1").arg(groups.strongest.size());
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
        // The merged list's index finds the record; a record from outside it
        // (a located one) is looked for by its BSSID.
        auto it =
            std::find(m_scanedResults.begin(), m_scanedResults.end(), m_byBssid.value(joinedBssid));
        if (it == m_scanedResults.end())
            it = std::find_if(m_scanedResults.begin(), m_scanedResults.end(),
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
// every hidden network on its own, and the display list's head always. Each
// name's choice is added once, which the pass marks per name.
NetworkList ScanCycle::removeDuplicateElements() const {
    NetworkList result;
    if (m_scanedResults.isEmpty())
        return result;
    const NameGroups &groups = nameGroups();
    QList<bool> added(groups.strongest.size(), false);

    const NetworkModelPtr &head = m_scanedResults.first();
    result.append(head);
    const QString joinedSsid = m_connectedNetwork ? m_connectedNetwork->ssid : QString();
    bool joinedAdded = head == m_connectedNetwork;
    for (qsizetype i = 0; i < m_scanedResults.size(); ++i) {
        const NetworkModelPtr &record = m_scanedResults.at(i);
        const qsizetype name = groups.nameOf.at(i);
        if (name < 0) { // hidden: each on its own
            if (record != head)
                result.append(record);
            continue;
        }
        const NetworkModelPtr &strongest = groups.strongest.at(name);
        if (!joinedSsid.isNull() && record->ssid == joinedSsid) {
            if (!joinedAdded)
                result.append(m_connectedNetwork);
            joinedAdded = true;
        } else if (record->rssi == strongest->rssi) {
            // Ties with the strongest keep their own dot.
            if (record != head && (record != strongest || !added.at(name)))
                result.append(record);
            added[name] = added.at(name) || record == strongest;
        } else if (!added.at(name)) {
            if (strongest != head)
                result.append(strongest);
            added[name] = true;
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
