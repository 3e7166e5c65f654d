#pragma once

#include "ChannelScene.h"

#include <QWidget>

class QCPAbstractItem;
class QCPItemText;
class QCustomPlot;
class QMouseEvent;

// One band of the channel view: each BSS a shape over the band it occupies,
// as high as its signal, labelled with its SSID (a label that would cover a
// stronger network's moves up or down, or is left out; hover still names
// it). Under the floor, one row per rated width, named on the signal axis:
// the three best 20 MHz channels numbered, and a bar over the channels of
// the best wider channel. It draws the scene it is handed and nothing else;
// QCustomPlot stays inside it.
class ChannelBandPlot : public QWidget {
    Q_OBJECT
public:
    explicit ChannelBandPlot(QWidget *parent = nullptr);
    ~ChannelBandPlot() override;

    void showScene(const BandScene &scene);
    const BandScene &scene() const { return m_scene; }
    // The hover text of the network under a point of plotArea(); empty when none.
    QString hoverText(const QPoint &pos) const;
    // The BSSID under a point of plotArea(); null when none.
    QString bssidAt(const QPoint &pos) const;
    QWidget *plotArea() const;
    // Where a channel number and signal lie in plotArea().
    QPoint pixelOf(double channel, double dBm) const;

    static constexpr int floorDbm = -100; // shapes rise from here
    static constexpr int topDbm = -20;
    static constexpr int choiceRowPx = 13; // each width's row of best choices, below the floor

    // How many dB a choice row spans so that it stays choiceRowPx high in a
    // plot `plotHeightPx` high with `rows` rows, whatever the pane's height.
    static double rowDbFor(int plotHeightPx, qsizetype rows);
    static int minimumPlotHeight(qsizetype rows);

    // The labels shown, strongest network's first (hidden ones left out).
    QStringList shownLabels() const;

Q_SIGNALS:
    void networkClicked(const QString &bssid);

private:
    void configurePlot();
    qsizetype shapeIndexAt(const QPoint &pos) const;
    void drawChoices();
    bool fitRows();  // true when the rows changed
    bool fitTicks(); // true when the channel numbers changed
    void fitLabels();

    QCustomPlot *m_plot = nullptr;
    BandScene m_scene;
    QList<QCPItemText *> m_labels; // one per shape, in the scene's order
    QList<QCPAbstractItem *> m_choiceItems;
    double m_rowDb = 8;
    int m_signalStepDb = 20;
    int m_tickWidthPx = -1; // the plot width the channel numbers were thinned for
};
