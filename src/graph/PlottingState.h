#pragma once

#include "ColorPool.h"
#include "scan/NetworkModel.h"

#include <QHash>
#include <QObject>
#include <QString>

// Which networks the graph plots, and in which colour. A network is plotted
// while the colour pool holds a colour for its BSSID; the table's check boxes
// mirror that. The graph connects to the signals: it makes and drops the plots
// and legend.
class PlottingState : public QObject {
    Q_OBJECT
public:
    // `random` feeds the pool's colours once the fixed ones are taken.
    explicit PlottingState(ColorPool::RandomSource random = {}, QObject *parent = nullptr);

    ColorPool &colorPool() { return m_pool; }
    const ColorPool &colorPool() const { return m_pool; }

    QHash<QString, NetworkModelPtr> plottingNetworksDict;      // chosen for plotting
    QHash<QString, NetworkModelPtr> plottingNetworkDictionary; // sampled by the graph

    bool isPlotted(const QString &bssid) const;
    // The joined network is plotted automatically, with the history it has.
    void plotJoinedNetwork(const NetworkModelPtr &record);
    // The user toggled the network's check box.
    void setPlotted(const NetworkModelPtr &record, bool on);

Q_SIGNALS:
    void configurePlotsRequested(const QString &bssid);
    void rearrangeNetworkLabelsRequested();
    // The network left the graph: its legend label goes, and the legend is
    // laid out again if it had one.
    void legendLabelRemoved(const QString &bssid);

private:
    bool startPlotting(const NetworkModelPtr &record);
    void stopPlotting(const NetworkModelPtr &record);

    ColorPool m_pool;
};
