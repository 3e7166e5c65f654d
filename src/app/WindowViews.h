#pragma once

#include "PaneStack.h"
#include "scan/NetworkModel.h"

#include <QObject>
#include <memory>

class ChannelsPane;
class ConnectionPanel;
class ExternalIp;
class InterfaceSource;
class LocateMode;
class LocateSoundEffect;
class NetworkGridPane;
class PlottingState;
class Preferences;
class QNetworkAccessManager;
class RadarController;
class ScanCycle;
class SettingsChangeSequence;
class SignalHistory;
class SignalHistoryPane;
class TickDispatcher;
struct LocateState;

// The views beside the table and what keeps them current: the radar (in its
// pane and expanded), the connection panel, the signal graph with its
// one-second sampler, locate mode with its sound, and the external address.
// The window builds their panes through it and it feeds them from the tick.
class WindowViews : public QObject {
    Q_OBJECT
public:
    struct Context {
        ScanCycle &cycle;
        TickDispatcher &ticks;
        Preferences &prefs;
        PlottingState &plotting;
        LocateState &locate;
        InterfaceSource &source;
        QNetworkAccessManager *network = nullptr; // null: no external address
    };

    explicit WindowViews(Context context, QObject *parent = nullptr);
    ~WindowViews() override;

    QWidget *buildRadarAndConnectionPane();
    QWidget *buildHistoryPane();
    QWidget *buildExpandedRadarPane();
    QWidget *buildChannelsPane();
    // What a layout change asks of the radars.
    PaneStack::RadarHooks radarHooks();
    // Connects the views to the tick, the table and the settings change;
    // once, after the panes are built.
    void wire(NetworkGridPane &grid, SettingsChangeSequence &settingsChange);

    // Asks the echo service for the external address; at start-up.
    void fetchExternalAddress();
    // The window is on screen: the graph's sampler starts.
    void startSampling();

    ConnectionPanel *connectionPanel() const { return m_panel; }
    SignalHistoryPane *historyPane() const { return m_historyPane; }
    RadarController &radar() const { return *m_radar; }
    LocateMode &locateMode() const { return *m_locateMode; }
    SignalHistory &history() const { return *m_history; }

private:
    // What the radar shows outside a tick: the located network, or one
    // record per name.
    NetworkList radarList() const;
    void wireLocateMode(NetworkGridPane &grid);
    void
    readCurrentNetworks(const std::function<void(const std::optional<QList<ScanResult>> &)> &done);

    Context m_c;
    std::unique_ptr<SignalHistory> m_history;
    std::unique_ptr<RadarController> m_radar;
    std::unique_ptr<LocateSoundEffect> m_sound;
    std::unique_ptr<LocateMode> m_locateMode;
    std::unique_ptr<ExternalIp> m_externalIp;
    ConnectionPanel *m_panel = nullptr;
    SignalHistoryPane *m_historyPane = nullptr;
    QWidget *m_expandedPane = nullptr;
    ChannelsPane *m_channels = nullptr;
};
