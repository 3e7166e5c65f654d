#include "SignalHistory.h"

#include "GraphDataSource.h"
#include "graph/PlottingState.h"
#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

#include <QHash>
#include <QPointer>

SignalHistory::SignalHistory(PlottingState &plotting, const Preferences &prefs, CurrentRead read,
                             QObject *parent)
    : QObject(parent)
    , m_plotting(plotting)
    , m_prefs(prefs)
    , m_read(std::move(read)) {
    m_timer.setInterval(samplingPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &SignalHistory::reloadPlotValues);
}

bool SignalHistory::addSample(NetworkModel &record, qint64 value, bool percent) {
    if (value != 0) {
        record.count = 0;
    } else if (record.count > maxMisses) {
        return false;
    } else {
        value = fillerValue(percent);
        ++record.count;
    }
    QList<qint64> &history = record.signalStrengthArray;
    history.prepend(value);
    if (history.size() > historyLimit)
        history.resize(historyLimit);
    return true;
}

void SignalHistory::startSampling() {
    if (m_timer.isActive())
        return;
    m_timer.start();
    reloadPlotValues();
}

// Nothing is read while nothing is sampled. A read that is still out when
// the timer fires again is waited for rather than doubled, but not for ever:
// an interface replaced meanwhile never answers.
void SignalHistory::reloadPlotValues() {
    if (m_plotting.plottingNetworkDictionary.isEmpty() || !m_read)
        return;
    if (m_readPending && ++m_passesWaited < passesToAbandonRead)
        return;
    m_readPending = true;
    m_passesWaited = 0;
    const quint64 serial = ++m_readSerial;
    m_read([self = QPointer<SignalHistory>(this), serial](const Results &current) {
        if (!self || serial != self->m_readSerial)
            return;
        self->m_readPending = false;
        self->applyCurrentNetworks(current);
    });
}

// A network is matched by its BSSID alone, the record's identity: a hidden
// network (no SSID) and a radio that moved channel are still heard.
void SignalHistory::applyCurrentNetworks(const Results &current) {
    if (m_plotting.plottingNetworkDictionary.isEmpty())
        return;
    const bool percent = m_prefs.isPercent();
    QHash<QString, int> heard; // BSSID -> dBm
    if (current) {
        heard.reserve(current->size());
        for (const ScanResult &network : *current)
            if (!network.bssid.isNull())
                heard.insert(network.bssid, network.rssiValue);
    }
    NetworkList dropped;
    for (const NetworkModelPtr &record : std::as_const(m_plotting.plottingNetworkDictionary)) {
        const qint64 dbm = heard.value(record->bssid, 0);
        const qint64 value = percent ? ALUtilities::signalInPercent(dbm) : dbm;
        if (!addSample(*record, value, percent))
            dropped.append(record);
    }
    // The maps change only after every sampled network has had its value.
    for (const NetworkModelPtr &record : std::as_const(dropped))
        m_plotting.setPlotted(record, false);
}

int SignalHistory::intervalSeconds() const {
    return GraphDataSource::intervalSeconds(m_prefs.pollingIntervalSeconds());
}

bool SignalHistory::isPercent() const {
    return m_prefs.isPercent();
}

qint64 SignalHistory::numberOfRecordsForPlot() const {
    return GraphDataSource::numberOfRecordsForPlot(intervalSeconds());
}

const QList<qint64> *SignalHistory::historyOf(const QString &bssid) const {
    const NetworkModelPtr record = m_plotting.plottingNetworkDictionary.value(bssid);
    return record ? &record->signalStrengthArray : nullptr;
}

// A network that is no longer sampled answers nothing, so its line is empty.
std::optional<double> SignalHistory::numberForPlot(const QString &bssid, int field,
                                                   qint64 index) const {
    static const QList<qint64> none;
    const QList<qint64> *history = historyOf(bssid);
    return GraphDataSource::numberForPlot(history ? *history : none, field, index, isPercent());
}

QList<double> SignalHistory::plotValues(const QString &bssid) const {
    const QList<qint64> *history = historyOf(bssid);
    if (!history)
        return {};
    return GraphDataSource::plotValues(*history, intervalSeconds(), isPercent());
}
