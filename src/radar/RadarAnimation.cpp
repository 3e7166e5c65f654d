#include "RadarAnimation.h"

#include "app/SharedInstanceClass.h"
#include "settings/Preferences.h"

#include <QElapsedTimer>

SweepType sweepTypeFrom(const QString &preference) {
    if (preference == Preferences::radar)
        return SweepType::Radar;
    if (preference == Preferences::sonar)
        return SweepType::Sonar;
    return SweepType::None;
}

RadarAnimation::RadarAnimation(SharedInstanceClass &shared, Clock clock, QObject *parent)
    : QObject(parent)
    , m_shared(shared)
    , m_clock(std::move(clock)) {
    if (!m_clock) {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        m_clock = [elapsed] { return elapsed->elapsed(); };
    }
    connect(&m_timer, &QTimer::timeout, this, &RadarAnimation::advance);
}

void RadarAnimation::build(SweepType type, RadarKind kind, bool polling) {
    m_timer.stop();
    m_type = type;
    m_kind = kind;
    m_sweep = SweepState(kind == RadarKind::Expanded ? 5000 : 10000);
    m_ringRadius = -1;
    m_polling = polling;
    run();
    Q_EMIT frameChanged();
}

void RadarAnimation::setPolling(bool on) {
    m_polling = on;
    if (on) {
        run();
    } else {
        pause();
        Q_EMIT frameChanged();
    }
}

void RadarAnimation::setShown(bool shown) {
    m_shown = shown;
    if (shown)
        run();
    else
        pause();
}

void RadarAnimation::pause() {
    m_timer.stop();
    m_sweep.stop(m_clock());
}

void RadarAnimation::run() {
    if (!m_polling || !m_shown || m_timer.isActive())
        return;
    switch (m_type) {
    case SweepType::None:
        return;
    case SweepType::Radar:
        m_sweep.start(m_clock());
        m_timer.start(sweepFrameMs);
        return;
    case SweepType::Sonar:
        m_timer.start(m_kind == RadarKind::Expanded ? 100 : 400);
        advance(); // the first ring shows at once
        return;
    }
}

void RadarAnimation::advance() {
    if (!m_timer.isActive())
        return; // stopped: what is on screen stays
    if (m_type == SweepType::Sonar)
        m_ringRadius = SonarRing::next(m_shared.num, m_shared.maxValue);
    Q_EMIT frameChanged();
}
