#include "SignalHistoryPane.h"

#include "LegendLayout.h"
#include "SignalGraph.h"
#include "SignalHistory.h"
#include "graph/PlottingState.h"

#include <QVBoxLayout>

SignalHistoryPane::SignalHistoryPane(PlottingState &plotting, SignalHistory &history,
                                     QWidget *parent)
    : QWidget(parent)
    , m_plotting(plotting)
    , m_history(history) {
    setObjectName(QStringLiteral("signalHistoryview"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_graph = new SignalGraph(this);
    layout->addWidget(m_graph);
    configureAxes();
    connect(&m_plotting, &PlottingState::configurePlotsRequested, this,
            &SignalHistoryPane::configurePlots);
    // A network that leaves the graph takes its line and its label along.
    connect(&m_plotting, &PlottingState::legendLabelRemoved, m_graph, &SignalGraph::removePlot);
    for (auto it = m_plotting.plottingNetworkDictionary.cbegin();
         it != m_plotting.plottingNetworkDictionary.cend(); ++it)
        configurePlots(it.key());
}

void SignalHistoryPane::configureAxes() {
    m_graph->configureAxes(m_history.isPercent(), m_history.intervalSeconds());
}

void SignalHistoryPane::configurePlots(const QString &bssid) {
    const NetworkModelPtr record = m_plotting.plottingNetworkDictionary.value(bssid);
    if (!record || !m_plotting.colorPool().hasColor(bssid))
        return;
    const PlotColor c = m_plotting.colorPool().colorFor(bssid);
    m_graph->configurePlots(
        bssid, LegendLayout::labelText(record->ssid, bssid),
        QColor::fromRgbF(float(c.red), float(c.green), float(c.blue), float(c.alpha)));
    // The joined network brings the history it has.
    m_graph->setPlotValues(bssid, m_history.plotValues(bssid));
    m_graph->replot();
}

void SignalHistoryPane::removeAllPlots() {
    for (const QString &bssid : m_graph->plottedBssids())
        m_graph->removePlot(bssid);
    m_graph->replot();
}

void SignalHistoryPane::reloadData() {
    for (const QString &bssid : m_graph->plottedBssids())
        m_graph->setPlotValues(bssid, m_history.plotValues(bssid));
    m_graph->replot();
}
