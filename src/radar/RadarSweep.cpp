#include "RadarSweep.h"

#include <cmath>

void SweepState::start(qint64 nowMs) {
    if (m_turning)
        return;
    m_startedMs = nowMs;
    m_turning = true;
}

void SweepState::stop(qint64 nowMs) {
    if (!m_turning)
        return;
    m_frozenDegrees = angleAt(nowMs);
    m_turning = false;
}

double SweepState::angleAt(qint64 nowMs) const {
    double degrees = m_frozenDegrees;
    if (m_turning && m_periodMs > 0) {
        // Clockwise: the angle falls as time passes.
        const qint64 intoTurn = (nowMs - m_startedMs) % m_periodMs;
        degrees -= 360.0 * double(intoTurn) / m_periodMs;
    }
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0 ? degrees + 360.0 : degrees;
}

namespace SonarRing {

qint64 next(qint64 &num, qint64 maxValue) {
    const qint64 radius = num;
    num = radius < maxValue ? radius + growth : growth;
    return radius;
}

} // namespace SonarRing
