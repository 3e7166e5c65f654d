#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class QCustomPlot;
class QCPGraph;
class QPaintDevice;
class SignalLegend;

// The signal-history graph: one line per plotted network over the last
// 100 x N seconds (newest at the right), with a dot every N-th second, gaps
// where the network was not heard, and the legend band underneath. It draws
// the values it is handed and nothing else; QCustomPlot stays inside it.
class SignalGraph : public QWidget {
    Q_OBJECT
public:
    // Asks where to save the graph; an empty answer cancels. Tests replace the
    // file dialog with it.
    using SavePathChooser = std::function<QString(QWidget *parent)>;

    explicit SignalGraph(QWidget *parent = nullptr);
    ~SignalGraph() override;

    // Y range and title by unit, X range 100 x N seconds to 0, labels every
    // 10 x N seconds, a dot every N-th record.
    void configureAxes(bool percent, int intervalSeconds);
    // Adds the network's line and legend label, or recolours the ones it has.
    void configurePlots(const QString &bssid, const QString &labelText, const QColor &colour);
    void removePlot(const QString &bssid);
    QStringList plottedBssids() const;
    // Y of records 0, 1, ... (the age in seconds), NaN for a gap.
    void setPlotValues(const QString &bssid, const QList<double> &values);
    void replot();
    // Draws now, into the widget's buffer, even while hidden.
    void replotNow();

    // Where a record of the given age and value lies in plotArea().
    QPointF pixelOf(double ageSeconds, double value) const;
    // "SSID BSSID: value, age" of the line nearest to a point of plotArea();
    // empty when no line is close.
    QString hoverText(const QPoint &pos) const;
    // Writes the graph with its legend as PNG or PDF, by the file's suffix.
    bool saveGraph(const QString &path, QString *error) const;
    void saveGraphAs();
    void setSavePathChooser(SavePathChooser chooser) { m_choosePath = std::move(chooser); }

    QWidget *plotArea() const;
    SignalLegend *legend() const { return m_legend; }

private:
    struct Plot {
        QString bssid;
        QString labelText;
        QColor colour;
        QCPGraph *graph = nullptr;
        QList<double> values;
    };

    void configureGraph();
    void rearrangeNetworkLabels();
    void showHover(const QPoint &pos, const QPoint &globalPos);
    void showContextMenu(const QPoint &pos);
    bool paintGraph(QPaintDevice &device) const;
    Plot *findPlot(const QString &bssid);

    QCustomPlot *m_plot = nullptr;
    SignalLegend *m_legend = nullptr;
    QList<Plot> m_plots; // in the order they were added: the legend's order
    bool m_percent = false;
    int m_interval = 1;
    SavePathChooser m_choosePath;
};
