#pragma once

#include <QObject>
#include <functional>

class PlottingState;
class Preferences;
class ScanCycle;
class WirelessInterface;

// What a saved settings change redoes, in order: the radar is rebuilt, the
// connection panel's signal text is asked for (it answers through the event
// loop, before the queued graph reload), the table and the graph's axes
// are reloaded, every plotted history is emptied (values of the old unit are
// not mixed with the new), a graph reload is queued, and polling is resumed
// with a fresh timer that ticks at once.
class SettingsChangeSequence : public QObject {
    Q_OBJECT
public:
    using InterfaceProvider = std::function<WirelessInterface *()>;

    SettingsChangeSequence(ScanCycle &cycle, PlottingState &plotting, const Preferences &prefs,
                           InterfaceProvider interface, QObject *parent = nullptr);

    // "80%" in Percent, "-60 dBm" otherwise.
    static QString signalText(qint64 value, bool percent);

public Q_SLOTS:
    void settingsChanged();

Q_SIGNALS:
    void radarRebuildRequested();
    // Only when a joined network is known.
    void connectionSignalRefreshed(const QString &text);
    void tableReloadRequested();
    void axesConfigureRequested();
    void graphReloadRequested(); // queued

private:
    void refreshConnectionSignal();
    void clearPlottedHistories();

    ScanCycle &m_cycle;
    PlottingState &m_plotting;
    const Preferences &m_prefs;
    InterfaceProvider m_interface;
};
