#pragma once

#include "ChannelScene.h"

#include <QWidget>

class QCustomPlot;
class QMouseEvent;

// One band of the channel view: each BSS a shape over the band it occupies,
// as high as its signal, labelled with its SSID; the three best 20 MHz
// channels marked along the bottom. It draws the scene it is handed and
// nothing else; QCustomPlot stays inside it.
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
    static constexpr int choiceStripDb = 7; // the best channels' marks, below the floor

Q_SIGNALS:
    void networkClicked(const QString &bssid);

private:
    void configurePlot();
    qsizetype shapeIndexAt(const QPoint &pos) const;

    QCustomPlot *m_plot = nullptr;
    BandScene m_scene;
};
