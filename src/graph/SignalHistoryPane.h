#pragma once

#include <QWidget>

class PlottingState;
class SignalGraph;
class SignalHistory;

// The history pane: keeps the graph's lines and legend in step with what is
// plotted (a line and a label per plotted network, in its pool colour) and
// hands the graph the data source's values when it is asked to reload.
class SignalHistoryPane : public QWidget {
    Q_OBJECT
public:
    SignalHistoryPane(PlottingState &plotting, SignalHistory &history, QWidget *parent = nullptr);

    SignalGraph *graph() const { return m_graph; }

public Q_SLOTS:
    // Unit and polling interval from the preferences of the moment.
    void configureAxes();
    // Every line takes its network's current history; the graph is redrawn.
    void reloadData();
    // Every line and legend label goes (locate mode narrows the graph).
    void removeAllPlots();

private:
    void configurePlots(const QString &bssid);

    PlottingState &m_plotting;
    SignalHistory &m_history;
    SignalGraph *m_graph = nullptr;
};
