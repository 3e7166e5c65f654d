#pragma once

#include "ChannelScene.h"
#include "scan/NetworkModel.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

class ChannelBandPlot;
class PlottingState;
class QLabel;
class WirelessInterface;

// The channel view: one plot per band that has networks, each with its best
// channels per width written underneath. It takes each tick's display list
// (showTick) and draws it; while hidden it only keeps the list. A click on a
// network names its BSSID (networkClicked).
class ChannelsPane : public QWidget {
    Q_OBJECT
public:
    // The interface in use, fetched afresh at every tick; may be null. Its
    // channel list is read once per interface, asynchronously.
    using InterfaceProvider = std::function<WirelessInterface *()>;

    ChannelsPane(const PlottingState &plotting, InterfaceProvider interfaceProvider,
                 QWidget *parent = nullptr);
    ~ChannelsPane() override;

    // The plot of a band (Band::*), for tests and pictures; null for none.
    ChannelBandPlot *bandPlot(int band) const;
    // The choices line under a band's plot.
    QString choicesText(int band) const;

public Q_SLOTS:
    void showTick(const NetworkList &records);

Q_SIGNALS:
    void networkClicked(const QString &bssid);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void askForChannels();
    void redraw();

    const PlottingState &m_plotting;
    InterfaceProvider m_interface;
    QPointer<WirelessInterface> m_askedFor;
    KernelChannels m_kernel;
    NetworkList m_records;
    bool m_dirty = false;
    QLabel *m_empty = nullptr;
    struct BandBox {
        QWidget *box = nullptr;
        ChannelBandPlot *plot = nullptr;
        QLabel *choices = nullptr;
    };
    std::array<BandBox, 3> m_bands{}; // 2.4, 5, 6 GHz
};
