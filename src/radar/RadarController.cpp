#include "RadarController.h"

#include "DrawnRadarPlacement.h"
#include "LocateState.h"
#include "RadarBackdrop.h"
#include "RadarView.h"
#include "app/SharedInstanceClass.h"
#include "settings/Preferences.h"

RadarController::RadarController(const Preferences &prefs, SharedInstanceClass &shared,
                                 Sources sources, QObject *parent)
    : QObject(parent)
    , m_prefs(prefs)
    , m_shared(shared)
    , m_sources(std::move(sources))
    , m_normalAnimation(shared)
    , m_expandedAnimation(shared) {
    if (!m_sources.angle)
        m_sources.angle = ALUtilities::systemAngleSource();
}

// The expanded radar has no parent while no layout holds it.
RadarController::~RadarController() {
    if (m_expanded && !m_expanded->parent())
        delete m_expanded;
}

RadarView *RadarController::normalView(QWidget *parent) {
    if (!m_normal) {
        m_normal = new RadarView(RadarKind::Normal, m_shared, parent);
        m_normal->setPercent(percent());
        m_normal->setAnimation(&m_normalAnimation);
    }
    return m_normal;
}

bool RadarController::expandedActive() const {
    return m_shared.isExpandedRadar();
}

bool RadarController::percent() const {
    return m_prefs.isPercent();
}

SweepType RadarController::sweepType() const {
    return sweepTypeFrom(m_prefs.value(Preferences::sweepTypeKey));
}

void RadarController::radarView(const NetworkList &records) {
    RadarView *view = normalView();
    view->setPercent(percent());
    view->setDrawnDots({}); // a new drawn radar has no dots of its own
    m_normalAnimation.build(sweepType(), RadarKind::Normal, m_polling);
    plotOn(view, RadarKind::Normal, records);
}

void RadarController::radarButtonAction(const NetworkList &records) {
    m_shared.maxValue = SharedInstanceClass::expandedRadarRadius;
    if (!m_expanded) {
        m_expanded = new RadarView(RadarKind::Expanded, m_shared);
        m_expanded->setAnimation(&m_expandedAnimation);
    }
    m_expanded->setPercent(percent());
    m_expandedAnimation.build(sweepType(), RadarKind::Expanded, m_polling);
    plotOn(m_expanded, RadarKind::Expanded, records);
}

void RadarController::leaveExpandedRadar() {
    m_shared.maxValue = 90;
    m_expandedAnimation.build(SweepType::None, RadarKind::Expanded, m_polling);
}

void RadarController::settingsChanged(const NetworkList &records) {
    if (expandedActive())
        radarButtonAction(records);
    else
        radarView(records);
}

void RadarController::setPolling(bool polling) {
    m_polling = polling;
    m_normalAnimation.setPolling(polling);
    m_expandedAnimation.setPolling(polling);
}

void RadarController::plotWifiPositionInRadar(const NetworkList &records) {
    if (expandedActive() && m_expanded)
        plotOn(m_expanded, RadarKind::Expanded, records);
    else
        plotOn(normalView(), RadarKind::Normal, records);
}

void RadarController::plotOnNormalRadar(const NetworkList &records) {
    plotOn(normalView(), RadarKind::Normal, records);
}

// Each plot replaces the one before, whether or not polling runs.
void RadarController::plotOn(RadarView *view, RadarKind kind, const NetworkList &records) {
    RadarPlacement::Context context;
    context.kind = kind;
    context.percent = percent();
    context.viewSize = view->placementSize();
    context.joinedBssid = m_sources.joinedBssid ? m_sources.joinedBssid() : QString();
    if (m_sources.locate && m_sources.locate->isLocating() && m_sources.locate->locateModel)
        context.locatedBssid = m_sources.locate->locateModel->bssid;
    view->setPercent(context.percent);
    view->setPlot(RadarPlacement::plotWifiPositionInRadar(records, context));
}

void RadarController::placeOnDrawnRadar(const NetworkList &records) {
    const QString joined = m_sources.joinedBssid ? m_sources.joinedBssid() : QString();
    normalView()->setDrawnDots(DrawnRadarPlacement::plotWifiPositionInRadar(
        records, RadarBackdrop::drawnRadarRect().size(), joined, m_sources.angle));
}

void RadarController::clearDrawnRadar() {
    normalView()->setDrawnDots({});
}
