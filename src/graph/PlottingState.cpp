#include "PlottingState.h"

PlottingState::PlottingState(ColorPool::RandomSource random, QObject *parent)
    : QObject(parent)
    , m_pool(std::move(random)) {}

bool PlottingState::isPlotted(const QString &bssid) const {
    return m_pool.hasColor(bssid);
}

// A record without a BSSID cannot be keyed in any of the maps: it is never
// plotted.
void PlottingState::plotJoinedNetwork(const NetworkModelPtr &record) {
    if (!record || record->bssid.isNull())
        return;
    startPlotting(record);
}

void PlottingState::setPlotted(const NetworkModelPtr &record, bool on) {
    if (!record || record->bssid.isNull())
        return;
    if (!on) {
        stopPlotting(record);
        return;
    }
    // A newly checked network starts its history afresh.
    record->signalStrengthArray.clear();
    if (startPlotting(record))
        Q_EMIT rearrangeNetworkLabelsRequested();
}

// Returns whether the network got a colour and a plot.
bool PlottingState::startPlotting(const NetworkModelPtr &record) {
    const QString &bssid = record->bssid;
    if (!isPlotted(bssid))
        plottingNetworksDict.insert(bssid, record);
    if (plottingNetworkDictionary.contains(bssid))
        return false;
    plottingNetworkDictionary.insert(bssid, record);
    m_pool.getColors(bssid);
    Q_EMIT configurePlotsRequested(bssid);
    return true;
}

// Unchecked means not chosen any more, whatever state the maps were in.
void PlottingState::stopPlotting(const NetworkModelPtr &record) {
    const QString &bssid = record->bssid;
    m_pool.returnColor(bssid);
    record->signalStrengthArray.clear();
    plottingNetworksDict.remove(bssid);
    plottingNetworkDictionary.remove(bssid);
    Q_EMIT legendLabelRemoved(bssid);
}
