#pragma once

#include "NetworkModel.h"
#include "NetworkScanner.h"
#include "ScanTick.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class Preferences;
class WirelessInterface;

// The main loop: every polling tick scans once, merges the records into the
// long-lived list by BSSID, ages out radios missed four times in a row and
// rebuilds the display list (joined network first). Each merge is announced
// once, as a ScanTick, at its end; the tick's radar and graph job runs next.
class ScanCycle : public QObject {
    Q_OBJECT
public:
    // The interface to scan, fetched afresh at every use; may be null.
    using InterfaceProvider = std::function<WirelessInterface *()>;
    // The table's own sort order, applied to the display list after each merge.
    using TableSorter = std::function<void(NetworkList &)>;
    // Locate mode's state: the located list (non-empty while locating) and
    // the record chosen for locating.
    struct LocateHooks {
        std::function<NetworkList()> locateArray;
        std::function<NetworkModelPtr()> locateModel;
    };

    // Records missed this many scans in a row leave the merged list.
    static constexpr qint64 missedScansToAgeOut = 4;

    ScanCycle(InterfaceProvider interfaceProvider, const Preferences &prefs,
              QObject *parent = nullptr);

    void setTableSorter(TableSorter sorter) { m_sorter = std::move(sorter); }
    void setLocateHooks(LocateHooks hooks) { m_locate = std::move(hooks); }

    // Polling controls.
    void pollingActivation(); // (re)arms the timer from the preference; ticks at once
    void pollingStarts();     // one tick
    void startAction();
    void stopAction();
    void refresh(); // one extra tick, polling state unchanged
    void wifiChanged();
    void refreshAction();
    void stopPollingTimer() { m_pollingTimer.stop(); }

    void scanForAvailableNetworks();
    void setSelectedWifi();
    // The table's sort order applied to the display list, joined network first.
    void sortTableView() { sortTableView(m_scanedResults); }
    void sortTableView(NetworkList &list) const;
    NetworkList removeDuplicateElements() const;

    bool polling() const { return m_polling; }
    bool timerActive() const { return m_pollingTimer.isActive(); }
    int pollingIntervalMs() const { return m_pollingTimer.interval(); }
    qint64 counter() const { return m_counter; }
    const NetworkList &netWorkList5Poll() const { return m_netWorkList5Poll; }
    const NetworkList &scanedResults() const { return m_scanedResults; }
    NetworkModelPtr connectedNetwork() const { return m_connectedNetwork; }
    QString lastScanError() const { return m_lastScanError; }

Q_SIGNALS:
    void tickFinished(const ScanTick &tick); // once per merge, at its end
    // The tick's second job, queued when the tick started: it runs after the merge.
    void radarPlotRequested(const NetworkList &records);
    void graphReloadRequested();
    // wifiChanged emptied the display list outside a merge (queued).
    void displayListCleared();
    void pollingChanged(bool running);

private:
    void queuePlotJob();
    void merge(const std::optional<NetworkScanner::Scan> &scanned, const HeardScan &heard);
    static NetworkList strongestFirst(const NetworkList &records);
    void mergeRecords(const NetworkScanner::Scan &scanned);
    // What a known radio takes from each scan.
    struct LiveMeasures {
        qint64 rssi = 0;
        int stationCount = -1;
        int channelUtilisation = -1;
    };
    void mergeRecord(const QString &bssid, const LiveMeasures &live,
                     const std::function<NetworkModelPtr()> &make);
    NetworkList countMisses();
    void removeAged(const NetworkList &aged);
    // Per name (SSID) of the display list: its strongest record.
    struct NameGroups {
        NetworkList list;        // the display list they were made from
        NetworkList strongest;   // per name, in order of first appearance
        QList<qsizetype> nameOf; // per record: its name's entry; -1 when hidden
        qsizetype named = 0;     // records with a name
    };
    const NameGroups &nameGroups() const;
    void countTotals(ScanTick &tick) const;
    void queue(std::function<void()> job);

    InterfaceProvider m_interface;
    const Preferences &m_prefs;
    TableSorter m_sorter;
    LocateHooks m_locate;

    QTimer m_pollingTimer;
    bool m_polling = true;
    qint64 m_counter = 1;
    NetworkList m_netWorkList5Poll;            // merged, in first-seen order
    QHash<QString, NetworkModelPtr> m_byBssid; // index of the merged list
    NetworkList m_scanedResults;               // display list
    NetworkModelPtr m_connectedNetwork;
    QString m_joinedBssid; // the interface's, as setSelectedWifi last read it
    mutable NameGroups m_nameGroups;
    QString m_lastScanError;
    bool m_scanQueued = false;                // a scan job waits on the event loop
    QPointer<WirelessInterface> m_scanningOn; // the interface whose answer is awaited
    quint64 m_scanSerial = 0;                 // the scan whose answer the tick takes
};
