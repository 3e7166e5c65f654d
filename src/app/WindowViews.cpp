#include "WindowViews.h"

#include "InterfaceSource.h"
#include "SettingsChangeSequence.h"
#include "SharedInstanceClass.h"
#include "TickDispatcher.h"
#include "WindowPanes.h"
#include "channels/ChannelsPane.h"
#include "conninfo/ConnectionPanel.h"
#include "conninfo/ExternalIp.h"
#include "conninfo/HostNetworkInfo.h"
#include "graph/PlottingState.h"
#include "graph/SignalHistory.h"
#include "graph/SignalHistoryPane.h"
#include "netlist/NetworkGridPane.h"
#include "radar/LocateMode.h"
#include "radar/LocateSoundEffect.h"
#include "radar/LocateState.h"
#include "radar/RadarController.h"
#include "radar/RadarView.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"
#include "shell/Theme.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

WindowViews::WindowViews(Context context, QObject *parent)
    : QObject(parent)
    , m_c(context) {
    m_history = std::make_unique<SignalHistory>(
        m_c.plotting, m_c.prefs,
        [this](const SignalHistory::ReadDone &done) { readCurrentNetworks(done); });
    m_radar = std::make_unique<RadarController>(
        m_c.prefs, SharedInstanceClass::sharedInstance(),
        RadarController::Sources{[this] {
                                     const NetworkModelPtr joined = m_c.cycle.connectedNetwork();
                                     return joined ? joined->bssid : QString();
                                 },
                                 &m_c.locate,
                                 {}});
    m_sound = std::make_unique<LocateSoundEffect>();
    m_locateMode =
        std::make_unique<LocateMode>(m_c.locate, m_c.plotting, m_c.prefs, m_sound.get(),
                                     [this] { return m_c.cycle.removeDuplicateElements(); });
    m_externalIp = std::make_unique<ExternalIp>(m_c.network);
}

// The panes are parented to the window and go with it; the objects above
// outlive them only until the window's destructor takes its central widget.
WindowViews::~WindowViews() = default;

// The graph samples what the interface knows now: never a new scan. An
// interface replaced meanwhile answers nothing, which the sampler survives.
void WindowViews::readCurrentNetworks(
    const std::function<void(const std::optional<QList<ScanResult>> &)> &done) {
    WirelessInterface *iface = m_c.source.current();
    if (!iface) {
        done(std::nullopt);
        return;
    }
    iface->readCurrentNetworks(this,
                               [done](const ScanOutcome &outcome) { done(outcome.networks); });
}

NetworkList WindowViews::radarList() const {
    return m_c.locate.isLocating() ? m_c.locate.locateArray : m_c.cycle.removeDuplicateElements();
}

QWidget *WindowViews::buildRadarAndConnectionPane() {
    auto *pane = new RoundedPane(QStringLiteral("radarAndConnectionPane"));
    auto *row = new QHBoxLayout(pane);
    row->setContentsMargins(8, 4, 0, 4);
    row->setSpacing(0);
    RadarView *radar = m_radar->normalView(pane);
    row->addWidget(radar, 0, Qt::AlignCenter);
    auto *divider = new QFrame(pane);
    divider->setFrameShape(QFrame::VLine);
    divider->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::divider)));
    row->addSpacing(8);
    row->addWidget(divider);

    const InterfaceSource &source = m_c.source;
    m_panel = new ConnectionPanel(
        m_c.prefs,
        [&source] {
            const QString name = source.isSimulated() ? QString() : source.adapterInUse();
            return HostFacts{HostNetworkInfo::getMacAddress(name),
                             HostNetworkInfo::getIPAddress(name), HostNetworkInfo::getDNSServers(),
                             HostNetworkInfo::getGatwayAddress()};
        },
        pane);
    row->addWidget(m_panel, 1);
    return pane;
}

QWidget *WindowViews::buildHistoryPane() {
    auto *pane = new RoundedPane(QStringLiteral("signalHistoryPane"));
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(6, 6, 6, 6);
    m_historyPane = new SignalHistoryPane(m_c.plotting, *m_history, pane);
    layout->addWidget(m_historyPane);
    return pane;
}

// The expanded radar is made on first entering the Radar layout and then
// stays in this pane, centred.
QWidget *WindowViews::buildExpandedRadarPane() {
    m_expandedPane = new RoundedPane(QStringLiteral("expandedRadarPane"));
    new QVBoxLayout(m_expandedPane);
    return m_expandedPane;
}

QWidget *WindowViews::buildChannelsPane() {
    auto *pane = new RoundedPane(QStringLiteral("channelsPane"));
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(6, 6, 6, 6);
    m_channels = new ChannelsPane(m_c.plotting, [this] { return m_c.source.current(); });
    // On a short screen the bands scroll rather than squeeze their rows.
    auto *scroller = new QScrollArea(pane);
    scroller->setWidget(m_channels);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroller);
    return pane;
}

PaneStack::RadarHooks WindowViews::radarHooks() {
    return {[this] { m_radar->leaveExpandedRadar(); }, [this] { m_radar->plotOnNormalRadar({}); },
            [this] { m_radar->radarView(radarList()); },
            [this] {
                m_radar->radarButtonAction(radarList());
                RadarView *expanded = m_radar->expandedView();
                if (!expanded || expanded->parentWidget() == m_expandedPane)
                    return;
                m_expandedPane->layout()->addWidget(expanded);
                m_expandedPane->layout()->setAlignment(expanded, Qt::AlignCenter);
            }};
}

void WindowViews::wire(NetworkGridPane &grid, SettingsChangeSequence &settingsChange) {
    connect(&m_c.ticks, &TickDispatcher::joinedNetworkTick, m_panel,
            &ConnectionPanel::connectedToNetwork);
    connect(&m_c.ticks, &TickDispatcher::radarTick, m_radar.get(),
            &RadarController::plotWifiPositionInRadar);
    connect(&m_c.ticks, &TickDispatcher::graphTick, m_historyPane, &SignalHistoryPane::reloadData);
    connect(&m_c.ticks, &TickDispatcher::graphTick, m_locateMode.get(), &LocateMode::tick);
    connect(&m_c.ticks, &TickDispatcher::tableTick, m_channels,
            [this](const ScanTick &tick) { m_channels->showTick(tick.displayList); });
    connect(m_channels, &ChannelsPane::networkClicked, &grid, &NetworkGridPane::selectBssid);
    connect(&m_c.cycle, &ScanCycle::pollingChanged, m_radar.get(), &RadarController::setPolling);
    m_radar->setPolling(m_c.cycle.polling());

    connect(m_externalIp.get(), &ExternalIp::externalIPChanged, m_panel,
            &ConnectionPanel::setExternalIP);

    connect(&settingsChange, &SettingsChangeSequence::radarRebuildRequested, this,
            [this] { m_radar->settingsChanged(radarList()); });
    connect(&settingsChange, &SettingsChangeSequence::connectionSignalRefreshed, m_panel,
            &ConnectionPanel::refreshSignal);
    connect(&settingsChange, &SettingsChangeSequence::axesConfigureRequested, m_historyPane,
            &SignalHistoryPane::configureAxes);
    connect(&settingsChange, &SettingsChangeSequence::graphReloadRequested, m_historyPane,
            &SignalHistoryPane::reloadData);
    wireLocateMode(grid);
}

// Locate mode narrows every view to one network; the order of its signals
// is the order the views redo their work.
void WindowViews::wireLocateMode(NetworkGridPane &grid) {
    LocateMode *mode = m_locateMode.get();
    connect(&grid, &NetworkGridPane::locateRequested, mode, &LocateMode::locate);
    connect(&grid, &NetworkGridPane::exitLocateRequested, mode, &LocateMode::exitLocate);
    connect(m_panel, &ConnectionPanel::exitLocate, mode, &LocateMode::exitLocate);
    connect(mode, &LocateMode::exitLocateShown, m_panel, &ConnectionPanel::setLocating);
    connect(mode, &LocateMode::locatedRowMoveRequested, &m_c.cycle, &ScanCycle::setSelectedWifi);
    connect(mode, &LocateMode::networkLabelsCleared, m_historyPane,
            &SignalHistoryPane::removeAllPlots);
    connect(mode, &LocateMode::drawnRadarCleared, m_radar.get(), &RadarController::clearDrawnRadar);
    connect(mode, &LocateMode::drawnRadarPlacementRequested, m_radar.get(),
            &RadarController::placeOnDrawnRadar);
    connect(mode, &LocateMode::radarPlotRequested, m_radar.get(),
            &RadarController::plotWifiPositionInRadar);
    connect(mode, &LocateMode::rearrangeNetworkLabelsRequested, &m_c.plotting,
            &PlottingState::rearrangeNetworkLabelsRequested);
    connect(mode, &LocateMode::graphReloadRequested, m_historyPane, &SignalHistoryPane::reloadData);
    // The cycle's display list holds the located row at its new place; while
    // a scan has emptied it, the rows shown stay as they are.
    connect(mode, &LocateMode::tableReloadRequested, &grid, [this, &grid] {
        const NetworkList &list = m_c.cycle.scanedResults();
        if (list.isEmpty())
            grid.reload();
        else
            grid.showList(list);
    });
}

void WindowViews::fetchExternalAddress() {
    m_externalIp->ExternaIPFromAPI();
}

void WindowViews::startSampling() {
    m_history->startSampling();
}
