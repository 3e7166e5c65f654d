#pragma once

#include "RadarAnimation.h"
#include "RadarPlacement.h"
#include "RadarPoints.h"

#include <QObject>
#include <QPointer>
#include <functional>

struct LocateState;
class Preferences;
class RadarView;
class SharedInstanceClass;
class QWidget;

// Builds and feeds the two radars: the normal one in the radar pane and the
// expanded one of the Radar layout (shown while the shared maxValue is 220).
// Plots go to the active radar; the sweep follows the preference and runs
// only while polling runs.
class RadarController : public QObject {
    Q_OBJECT
public:
    struct Sources {
        std::function<QString()> joinedBssid; // empty when not joined
        const LocateState *locate = nullptr;
        ALUtilities::AngleSource angle; // the drawn radar's random directions
    };

    RadarController(const Preferences &prefs, SharedInstanceClass &shared, Sources sources,
                    QObject *parent = nullptr);
    ~RadarController() override;

    // The radar pane's radar; made on first use.
    RadarView *normalView(QWidget *parent = nullptr);
    // The Radar layout's radar, made by radarButtonAction; the layout places it.
    RadarView *expandedView() const { return m_expanded; }
    RadarAnimation &normalAnimation() { return m_normalAnimation; }
    RadarAnimation &expandedAnimation() { return m_expandedAnimation; }
    bool expandedActive() const;

public Q_SLOTS:
    // Rebuilds the normal radar for the current unit and sweep, then plots.
    void radarView(const NetworkList &records);
    // Shows the expanded radar (maxValue 220) with its own sweep, then plots.
    void radarButtonAction(const NetworkList &records);
    // Another layout replaces the Radar layout: its sweep ends, maxValue 90.
    void leaveExpandedRadar();
    // After a saved settings change: the active radar is built again.
    void settingsChanged(const NetworkList &records);
    void setPolling(bool polling);

    // A polling tick's plot, on the active radar.
    void plotWifiPositionInRadar(const NetworkList &records);
    void plotOnNormalRadar(const NetworkList &records);
    // The drawn radar's own dots (after locate mode) and their removal.
    void placeOnDrawnRadar(const NetworkList &records);
    void clearDrawnRadar();

private:
    void plotOn(RadarView *view, RadarKind kind, const NetworkList &records);
    bool percent() const;
    SweepType sweepType() const;

    const Preferences &m_prefs;
    SharedInstanceClass &m_shared;
    Sources m_sources;
    bool m_polling = false;
    RadarAnimation m_normalAnimation;
    RadarAnimation m_expandedAnimation;
    QPointer<RadarView> m_normal;
    QPointer<RadarView> m_expanded;
};
