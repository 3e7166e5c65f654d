#pragma once

#include "scan/NetworkModel.h"
#include "scan/ScanResult.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class PlottingState;
class Preferences;

// The signal history of every network the graph samples, and the graph's
// data source. Once a second a sampling pass reads the interface's current
// results once (never a new scan) and gives every sampled network one value
// from that read: its signal in the display unit, or the unit's filler when it
// was not heard. A network missed more than 99 times in a row leaves the graph.
class SignalHistory : public QObject {
    Q_OBJECT
public:
    using Results = std::optional<QList<ScanResult>>; // nothing: the read failed
    using ReadDone = std::function<void(const Results &)>;
    // Reads what the interface currently knows, without starting a scan, and
    // calls back once (at once or later, on this thread), or never when the
    // interface went away meanwhile.
    using CurrentRead = std::function<void(const ReadDone &)>;

    static constexpr int historyLimit = 500;
    static constexpr qint64 maxMisses = 99;
    static constexpr int samplingPeriodMs = 1000;
    // Passes skipped while a read is out before it counts as lost.
    static constexpr int passesToAbandonRead = 3;

    SignalHistory(PlottingState &plotting, const Preferences &prefs, CurrentRead read,
                  QObject *parent = nullptr);

    // Stored for a sample in which the network was not heard; outside the
    // graph's range in either unit.
    static qint64 fillerValue(bool percent) { return percent ? -110 : 10; }

    // Applies one sample (`value` in the display unit, 0 for not heard) to the
    // record's history and miss count. False when the record has been missed
    // too often and leaves the graph; its history is then untouched.
    static bool addSample(NetworkModel &record, qint64 value, bool percent);

    // Arms the one-second sampler and samples at once; later calls do nothing.
    void startSampling();
    bool isSampling() const { return m_timer.isActive(); }

    // One sampling pass. Skipped while the previous read is still out, unless
    // that read has been out so long that it is taken as lost.
    void reloadPlotValues();
    // The pass proper, on results already read.
    void applyCurrentNetworks(const Results &current);

    // Data source of the graph, for the network `bssid`.
    int intervalSeconds() const;
    qint64 numberOfRecordsForPlot() const;
    std::optional<double> numberForPlot(const QString &bssid, int field, qint64 index) const;
    QList<double> plotValues(const QString &bssid) const;
    bool isPercent() const;

private:
    const QList<qint64> *historyOf(const QString &bssid) const;

    PlottingState &m_plotting;
    const Preferences &m_prefs;
    CurrentRead m_read;
    QTimer m_timer;
    bool m_readPending = false;
    int m_passesWaited = 0;
    quint64 m_readSerial = 0; // answers to an abandoned read are ignored
};
