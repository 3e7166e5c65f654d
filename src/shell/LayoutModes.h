#pragma once

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>
#include <optional>

// The arrangements of the main window, as the Layout menu offers them.
enum class LayoutMode { Radar, Network, History, HistoryAndNetworks, ShowAll, Channels };

// The views the window's pane stack can hold.
enum class Pane { RadarAndConnection, Grid, History, ExpandedRadar, Channels };

// What the window does for a layout change. The layout rules decide which
// panes stand in the stack and when a radar is rebuilt; the window owns the
// views and does the drawing work.
class LayoutHost {
public:
    virtual ~LayoutHost() = default;

    // Puts exactly these panes in the stack, top to bottom, shown; every
    // other pane is hidden. Called only when the arrangement changes.
    virtual void arrangePanes(const QList<Pane> &topToBottom) = 0;
    // Stops the expanded radar's wedge and ring.
    virtual void endExpandedRadarAnimation() = 0;
    // Takes every network dot and label off the normal radar.
    virtual void clearRadarPlot() = 0;
    // Rebuilds the normal radar for the current preferences.
    virtual void radarView() = 0;
    // Builds the expanded radar at the stack's present size: its plot, its
    // wedge or ring for the sweep type.
    virtual void buildExpandedRadar() = 0;
};

// The layout modes and their stack rules. Every mode except Radar sets the
// shared radar radius to 90 and ends the expanded radar; Radar sets it to 220
// and shows the expanded radar alone. Choosing the mode in force again leaves
// the stack as it is. While Radar is in force, a change of full screen or of
// the stack's size rebuilds the expanded radar once, after a short pause so a
// full-screen switch and the resize it brings count as one change.
class LayoutModes : public QObject {
    Q_OBJECT
public:
    // The stack at start-up holds every pane of "Show All".
    explicit LayoutModes(LayoutHost &host, QObject *parent = nullptr);

    LayoutMode mode() const { return m_mode; }
    const QList<Pane> &stack() const { return m_stack; }
    // True while the Radar layout is built; clearing it lets a rebuild run.
    bool radarButton() const { return m_radarButton; }

    void networkButtonAction();
    void historyButtonAction();
    void historyAndNetworksButtonAction();
    void showAllButtonAction();
    void channelsButtonAction();
    // Builds the Radar layout; does nothing while it is already built.
    void radarButtonAction();
    void apply(LayoutMode mode);

    // The window entered (true) or left full screen.
    void windowStateChanged(bool fullScreen);
    // The pane stack has a new size.
    void stackResized(const QSize &size);
    // How long triggers are gathered before the one rebuild (ms).
    void setRebuildDelay(int ms) { m_rebuild.setInterval(ms); }

    static constexpr qint64 paneRadarRadius = 90;
    static constexpr qint64 expandedRadarRadius = 220;

    // "radar", "network", "history", "history-networks", "all", "channels".
    static std::optional<LayoutMode> fromOptionName(const QString &name);
    static QStringList optionNames();

Q_SIGNALS:
    void modeChanged(LayoutMode mode);

private:
    void leaveExpandedRadar();
    void addViewToStack(Pane pane, int index);
    void removeViewFromStack(Pane pane);
    void commitStack(const QList<Pane> &before);
    void setMode(LayoutMode mode);
    void scheduleRebuild();
    void rebuildExpandedRadar();

    LayoutHost &m_host;
    LayoutMode m_mode = LayoutMode::ShowAll;
    QList<Pane> m_stack;
    bool m_radarButton = false;
    bool m_fullScreen = false; // the last full-screen state acted on
    QSize m_stackSize;
    QTimer m_rebuild;
};
