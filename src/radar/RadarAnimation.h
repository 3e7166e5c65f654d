#pragma once

#include "RadarPlacement.h"
#include "RadarSweep.h"

#include <QObject>
#include <QTimer>
#include <functional>

class SharedInstanceClass;

// The sweep the user chose; any other preference text shows neither.
enum class SweepType { None, Radar, Sonar };
SweepType sweepTypeFrom(const QString &preference);

// Drives the radar's sweep: the wedge turning (at most 30 frames a second)
// or the ring growing (one step every 0.4 s, 0.1 s on the expanded radar).
// Both run only while polling runs and the radar is on screen; a stop freezes
// them as they stand. The radar widget repaints on frameChanged and reads the
// state here.
class RadarAnimation : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    static constexpr int sweepFrameMs = 34; // under 30 frames a second

    explicit RadarAnimation(SharedInstanceClass &shared, Clock clock = {},
                            QObject *parent = nullptr);

    // The radar was (re)built: a fresh wedge at rest, turning if polling runs;
    // a ring only once polling runs.
    void build(SweepType type, RadarKind kind, bool polling);
    void setPolling(bool on);
    // The radar went off screen (another layout) or came back.
    void setShown(bool shown);

    SweepType type() const { return m_type; }
    RadarKind kind() const { return m_kind; }
    bool showsWedge() const { return m_type == SweepType::Radar; }
    double wedgeAngle() const { return m_sweep.angleAt(m_clock()); }
    int sweepPeriodMs() const { return m_sweep.periodMs(); }
    // The ring's radius, or -1 while there is no ring.
    qint64 ringRadius() const { return m_ringRadius; }
    bool running() const { return m_timer.isActive(); }
    int stepIntervalMs() const { return m_timer.interval(); }

    // One timer step; public so that tests drive it without waiting.
    void advance();

Q_SIGNALS:
    void frameChanged();

private:
    void run();
    void pause();

    SharedInstanceClass &m_shared;
    Clock m_clock;
    QTimer m_timer;
    SweepType m_type = SweepType::None;
    RadarKind m_kind = RadarKind::Normal;
    SweepState m_sweep;
    qint64 m_ringRadius = -1;
    bool m_polling = false;
    bool m_shown = true;
};
