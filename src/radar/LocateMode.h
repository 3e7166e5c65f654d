#pragma once

#include "LocateState.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>

class LocateSound;
class PlottingState;
class Preferences;

// Locate mode follows one network while the user walks about: the radar and
// the graph show it alone, its table row sits just below the joined one, and
// a sound repeats faster the stronger its signal. `locate` starts it for the
// row menu's candidate (locateModel), `exitLocate` ends it and gives the
// graph back the networks it plotted before, in fresh colours.
//
// The graph's plotting state and colour pool are changed here directly; what
// views must redo is announced by the signals below, in the order they run.
class LocateMode : public QObject {
    Q_OBJECT
public:
    // The de-duplicated network list the radar shows outside locate mode.
    using RadarList = std::function<NetworkList()>;

    LocateMode(LocateState &state, PlottingState &plotting, const Preferences &prefs,
               LocateSound *sound, RadarList radarList, QObject *parent = nullptr);

    bool isLocating() const { return m_state.isLocating(); }
    bool soundTimerActive() const { return m_soundTimer.isActive(); }
    int soundIntervalMs() const { return m_soundTimer.interval(); }
    // The graph selection saved when the mode started.
    const QHash<QString, NetworkModelPtr> &plottingNetworkDictDup() const { return m_dup; }

public Q_SLOTS:
    void locate();
    void exitLocate();
    // A polling tick finished: with the pace "Follow signal" the interval
    // follows the located network's signal.
    void tick();
    void playSound();

Q_SIGNALS:
    // The settings menu's "Exit Locate" entry and the connection panel's
    // exit button are offered (true) or withdrawn.
    void exitLocateShown(bool shown);
    // Move the located record to index 1 of the display list and reload the
    // table.
    void locatedRowMoveRequested();
    void networkLabelsCleared();
    void drawnRadarCleared();
    void drawnRadarPlacementRequested(const NetworkList &records);
    // Plot these on the normal radar.
    void radarPlotRequested(const NetworkList &records);
    void rearrangeNetworkLabelsRequested();
    void graphReloadRequested();
    void tableReloadRequested();

private:
    void startSound();
    void unplotAll();
    void plot(const NetworkModelPtr &record);

    LocateState &m_state;
    PlottingState &m_plotting;
    const Preferences &m_prefs;
    LocateSound *m_sound;
    RadarList m_radarList;
    QTimer m_soundTimer;
    QHash<QString, NetworkModelPtr> m_dup; // plottingNetworkDictDup
};
