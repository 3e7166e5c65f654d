#include "LayoutModes.h"

#include "app/SharedInstanceClass.h"

namespace {

// Long enough to gather a full-screen switch with the resize the window
// manager sends after it, short enough to feel immediate.
constexpr int defaultRebuildDelayMs = 120;

struct OptionName {
    const char *name;
    LayoutMode mode;
};

constexpr OptionName optionTable[] = {
    {"radar", LayoutMode::Radar},     {"network", LayoutMode::Network},
    {"history", LayoutMode::History}, {"history-networks", LayoutMode::HistoryAndNetworks},
    {"all", LayoutMode::ShowAll},     {"channels", LayoutMode::Channels},
};

} // namespace

LayoutModes::LayoutModes(LayoutHost &host, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_stack{Pane::RadarAndConnection, Pane::Grid, Pane::History} {
    m_rebuild.setSingleShot(true);
    m_rebuild.setInterval(defaultRebuildDelayMs);
    connect(&m_rebuild, &QTimer::timeout, this, &LayoutModes::rebuildExpandedRadar);
}

void LayoutModes::apply(LayoutMode mode) {
    switch (mode) {
    case LayoutMode::Radar:
        radarButtonAction();
        break;
    case LayoutMode::Network:
        networkButtonAction();
        break;
    case LayoutMode::History:
        historyButtonAction();
        break;
    case LayoutMode::HistoryAndNetworks:
        historyAndNetworksButtonAction();
        break;
    case LayoutMode::ShowAll:
        showAllButtonAction();
        break;
    case LayoutMode::Channels:
        channelsButtonAction();
        break;
    }
}

// Shared by every mode but Radar: the expanded radar goes away with its
// animation, and the radar radius is the pane's again.
void LayoutModes::leaveExpandedRadar() {
    m_radarButton = false;
    m_rebuild.stop();
    SharedInstanceClass::sharedInstance().maxValue = paneRadarRadius;
    m_host.endExpandedRadarAnimation();
    removeViewFromStack(Pane::ExpandedRadar);
}

void LayoutModes::networkButtonAction() {
    const QList<Pane> before = m_stack;
    removeViewFromStack(Pane::Channels);
    leaveExpandedRadar();
    removeViewFromStack(Pane::RadarAndConnection);
    removeViewFromStack(Pane::History);
    addViewToStack(Pane::Grid, 0);
    commitStack(before);
    setMode(LayoutMode::Network);
}

void LayoutModes::historyButtonAction() {
    const QList<Pane> before = m_stack;
    removeViewFromStack(Pane::Channels);
    leaveExpandedRadar();
    removeViewFromStack(Pane::RadarAndConnection);
    removeViewFromStack(Pane::Grid);
    addViewToStack(Pane::History, 0);
    commitStack(before);
    setMode(LayoutMode::History);
}

// The grid always stands above the history, whatever order they were in.
void LayoutModes::historyAndNetworksButtonAction() {
    const QList<Pane> before = m_stack;
    removeViewFromStack(Pane::Channels);
    leaveExpandedRadar();
    removeViewFromStack(Pane::RadarAndConnection);
    removeViewFromStack(Pane::Grid);
    removeViewFromStack(Pane::History);
    addViewToStack(Pane::Grid, 0);
    addViewToStack(Pane::History, 1);
    commitStack(before);
    setMode(LayoutMode::HistoryAndNetworks);
}

// The channel view stands above the table, so the row a click selects is in
// sight.
void LayoutModes::channelsButtonAction() {
    const QList<Pane> before = m_stack;
    leaveExpandedRadar();
    removeViewFromStack(Pane::RadarAndConnection);
    removeViewFromStack(Pane::History);
    removeViewFromStack(Pane::Grid);
    addViewToStack(Pane::Channels, 0);
    addViewToStack(Pane::Grid, 1);
    commitStack(before);
    setMode(LayoutMode::Channels);
}

// The normal radar is rebuilt from scratch each time, so it shows the
// present networks at the pane's size even when the mode is already in force.
void LayoutModes::showAllButtonAction() {
    const QList<Pane> before = m_stack;
    removeViewFromStack(Pane::Channels);
    m_host.clearRadarPlot();
    leaveExpandedRadar();
    addViewToStack(Pane::RadarAndConnection, 0);
    addViewToStack(Pane::Grid, 1);
    addViewToStack(Pane::History, 2);
    commitStack(before);
    m_host.radarView();
    setMode(LayoutMode::ShowAll);
}

void LayoutModes::radarButtonAction() {
    if (m_radarButton)
        return;
    m_radarButton = true;
    const QList<Pane> before = m_stack;
    removeViewFromStack(Pane::Channels);
    removeViewFromStack(Pane::RadarAndConnection);
    removeViewFromStack(Pane::Grid);
    removeViewFromStack(Pane::History);
    m_host.endExpandedRadarAnimation();
    SharedInstanceClass::sharedInstance().maxValue = expandedRadarRadius;
    addViewToStack(Pane::ExpandedRadar, 0);
    commitStack(before);
    m_host.buildExpandedRadar();
    setMode(LayoutMode::Radar);
}

void LayoutModes::addViewToStack(Pane pane, int index) {
    if (!m_stack.contains(pane))
        m_stack.insert(qBound(0, index, int(m_stack.size())), pane);
}

void LayoutModes::removeViewFromStack(Pane pane) {
    m_stack.removeOne(pane);
}

void LayoutModes::commitStack(const QList<Pane> &before) {
    if (m_stack != before)
        m_host.arrangePanes(m_stack);
}

void LayoutModes::setMode(LayoutMode mode) {
    if (m_mode == mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged(mode);
}

void LayoutModes::windowStateChanged(bool fullScreen) {
    if (fullScreen == m_fullScreen)
        return;
    m_fullScreen = fullScreen;
    scheduleRebuild();
}

void LayoutModes::stackResized(const QSize &size) {
    if (size == m_stackSize)
        return;
    m_stackSize = size;
    scheduleRebuild();
}

void LayoutModes::scheduleRebuild() {
    if (m_mode == LayoutMode::Radar)
        m_rebuild.start();
}

void LayoutModes::rebuildExpandedRadar() {
    if (m_mode != LayoutMode::Radar)
        return;
    m_radarButton = false;
    radarButtonAction();
}

std::optional<LayoutMode> LayoutModes::fromOptionName(const QString &name) {
    for (const OptionName &option : optionTable)
        if (name == QLatin1String(option.name))
            return option.mode;
    return std::nullopt;
}

QStringList LayoutModes::optionNames() {
    QStringList names;
    for (const OptionName &option : optionTable)
        names << QLatin1String(option.name);
    return names;
}
