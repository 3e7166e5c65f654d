#pragma once

#include <QtGlobal>

// The turning wedge of the "Radar" sweep: where it stands at a given time.
// It turns clockwise, once per period, only between start and stop; a stop
// freezes it where it stands.
class SweepState {
public:
    static constexpr double wedgeDegrees = 30;

    explicit SweepState(int periodMs = 10000)
        : m_periodMs(periodMs) {}

    void start(qint64 nowMs);
    void stop(qint64 nowMs);
    bool turning() const { return m_turning; }
    int periodMs() const { return m_periodMs; }

    // The wedge's first edge, degrees counter-clockwise from the positive x
    // axis (y up), in [0, 360); the wedge spans wedgeDegrees from there.
    double angleAt(qint64 nowMs) const;

private:
    int m_periodMs;
    double m_frozenDegrees = 0;
    qint64 m_startedMs = 0;
    bool m_turning = false;
};

// The "Sonar" ring: each step draws the ring at the current radius and grows
// it by 5 points, until it reaches the radar's radius; the next ring starts
// again at 5. The radius is shared by both radars, so it carries over.
namespace SonarRing {
constexpr qint64 growth = 5;
// Returns the radius to draw and advances `num`.
qint64 next(qint64 &num, qint64 maxValue);
} // namespace SonarRing
