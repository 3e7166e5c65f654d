#include "ViewController.h"

#include "AppLog.h"
#include "InterfaceSource.h"
#include "NetworkExport.h"
#include "PaneStack.h"
#include "SessionFiles.h"
#include "SettingsChangeSequence.h"
#include "StartupOrder.h"
#include "TickDispatcher.h"
#include "WindowPanes.h"
#include "WindowViews.h"
#include "conninfo/ConnectionPanel.h"
#include "conntest/ConnectionTestDialog.h"
#include "graph/PlottingState.h"
#include "netlist/NetworkGridPane.h"
#include "netlist/VendorLookup.h"
#include "radar/LocateMode.h"
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/SettingsViewController.h"
#include "shell/DropDownPanelHost.h"
#include "shell/HelpDocuments.h"
#include "shell/Theme.h"
#include "shell/ToolbarStrip.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

ViewController::ViewController(std::shared_ptr<PreferenceStore> store, InterfaceSource &source,
                               QNetworkAccessManager *network, QWidget *parent)
    : QMainWindow(parent)
    , m_prefs(std::move(store))
    , m_source(source) {
    m_cycle = std::make_unique<ScanCycle>([this] { return m_source.current(); }, m_prefs);
    m_cycle->setLocateHooks(
        {[this] { return m_locate.locateArray; }, [this] { return m_locate.locateModel; }});
    m_ticks = std::make_unique<TickDispatcher>(*m_cycle);
    m_plotting = std::make_unique<PlottingState>();
    m_vendors = std::make_unique<VendorLookup>(m_prefs, network);
    m_settingsChange = std::make_unique<SettingsChangeSequence>(
        *m_cycle, *m_plotting, m_prefs, [this] { return m_source.current(); });
    m_views = std::make_unique<WindowViews>(WindowViews::Context{
        *m_cycle, *m_ticks, m_prefs, *m_plotting, m_locate, m_source, network});
    m_files = new SessionFiles(
        *m_cycle, m_prefs, m_source, [this] { return tableRows(); }, this);
}

// The panes point at the cycle, plotting state and vendors: they go first.
ViewController::~ViewController() {
    delete takeCentralWidget();
}

void ViewController::viewDidLoad() {
    // The unit always starts in dBm.
    m_prefs.setValue(Preferences::displayUnitsKey, Preferences::dBm);
    buildWindow();
    layoutView();
    m_vendors->vendorName();
    m_views->fetchExternalAddress();
    wireCycle();
    wireSource();
    showInterface();
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
}

void ViewController::buildWindow() {
    setWindowIcon(QIcon(QStringLiteral(":/icons/airlume.svg")));
    // As large as the screen allows, up to the size the panes are laid out for.
    QSize size(1280, 900);
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableGeometry().size());
    resize(size);
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("mainView"));
    central->setAttribute(Qt::WA_StyledBackground);
    central->setStyleSheet(
        QStringLiteral("#mainView { background-color: %1; }").arg(Theme::css(Theme::windowBlue)));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(12, 8, 12, 4);
    column->setSpacing(6);

    m_toolbar = new ToolbarStrip(central);
    connect(m_toolbar, &ToolbarStrip::buttonClicked, this, [this](ToolbarButton button) {
        switch (button) {
        case ToolbarButton::Layout:
            layoutView();
            break;
        case ToolbarButton::Help:
            helpButtonAction();
            break;
        case ToolbarButton::Settings:
            settingsButtonAction();
            break;
        case ToolbarButton::Polling:
            pollingButtonAction();
            break;
        case ToolbarButton::Tests:
            testsButtonAction();
            break;
        }
    });
    column->addWidget(m_toolbar);

    m_panelHost = new DropDownPanelHost(central);
    m_logo = buildLogoButton(m_panelHost);
    m_panelHost->addKeptView(m_logo);
    column->addWidget(m_panelHost);

    buildPaneStack(central);
    column->addWidget(m_paneStack, 1);
    setCentralWidget(central);

    // F11, and the desktop's own key where it differs, switches full screen,
    // where the Radar layout is at its best.
    QList<QKeySequence> fullScreenKeys = QKeySequence::keyBindings(QKeySequence::FullScreen);
    if (!fullScreenKeys.contains(QKeySequence(Qt::Key_F11)))
        fullScreenKeys.append(QKeySequence(Qt::Key_F11));
    auto *fullScreen = new QShortcut(this);
    fullScreen->setKeys(fullScreenKeys);
    connect(fullScreen, &QShortcut::activated, this,
            [this] { isFullScreen() ? showNormal() : showFullScreen(); });

    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    statusBar()->addWidget(m_statusLine, 1);
    m_recordingSign = new QLabel(QStringLiteral("\u25CF Recording"), this);
    m_recordingSign->setObjectName(QStringLiteral("recordingSign"));
    m_recordingSign->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold; padding-right: 8px;")
            .arg(Theme::css(Theme::orange)));
    m_recordingSign->hide();
    statusBar()->addPermanentWidget(m_recordingSign);
    statusBar()->setStyleSheet(
        QStringLiteral("QStatusBar { background-color: %1; color: %2; }"
                       " QStatusBar QLabel { color: %2; padding-left: 6px; }")
            .arg(Theme::css(Theme::windowBlue), Theme::css(Theme::white)));
}

// The panes top to bottom: radar and connection, network grid, history; the
// expanded radar stands alone in the Radar layout. The grid gets the most room.
void ViewController::buildPaneStack(QWidget *central) {
    m_paneStack = new PaneStack(central);
    m_paneStack->addPane(Pane::RadarAndConnection, m_views->buildRadarAndConnectionPane(), 3);
    auto *gridPane = new RoundedPane(QStringLiteral("networkGridPane"));
    auto *gridLayout = new QVBoxLayout(gridPane);
    gridLayout->setContentsMargins(6, 6, 6, 6);
    m_grid = new NetworkGridPane(
        {m_cycle.get(), &m_prefs, m_vendors.get(), m_plotting.get(), &m_locate}, gridPane);
    gridLayout->addWidget(m_grid);
    m_paneStack->addPane(Pane::Grid, gridPane, 6);
    m_paneStack->addPane(Pane::History, m_views->buildHistoryPane(), 3);
    m_paneStack->addPane(Pane::ExpandedRadar, m_views->buildExpandedRadarPane(), 1);
    m_paneStack->addPane(Pane::Channels, m_views->buildChannelsPane(), 14);
    m_paneStack->setRadarHooks(m_views->radarHooks());
    m_views->wire(*m_grid, *m_settingsChange);
    connect(m_views->connectionPanel(), &ConnectionPanel::enableOrDisable, this,
            &ViewController::enableOrDisable);

    m_layouts = new LayoutModes(*m_paneStack, this);
    m_paneStack->arrangePanes(m_layouts->stack());
    connect(m_paneStack, &PaneStack::resized, m_layouts, &LayoutModes::stackResized);
    connect(m_layouts, &LayoutModes::modeChanged, this, [this] {
        if (m_toolbar->selected() == ToolbarButton::Layout)
            layoutView();
    });
}

// The maker's logo: it opens About.
QPushButton *ViewController::buildLogoButton(QWidget *parent) {
    auto *logo = new QPushButton(QIcon(QStringLiteral(":/icons/airlume.svg")),
                                 QStringLiteral("Airlume"), parent);
    logo->setObjectName(QStringLiteral("brand"));
    logo->setToolTip(QStringLiteral("About Airlume"));
    logo->setCursor(Qt::PointingHandCursor);
    logo->setFlat(true);
    logo->setIconSize(QSize(26, 26));
    QFont font = logo->font();
    font.setPointSize(15);
    font.setWeight(QFont::DemiBold);
    logo->setFont(font);
    logo->setStyleSheet(QStringLiteral("QPushButton { color: %1; border: none; padding: 2px 6px; }"
                                       "QPushButton:hover { color: %2; }")
                            .arg(Theme::css(Theme::white), Theme::css(Theme::hoverBlue)));
    connect(logo, &QPushButton::clicked, this, &ViewController::aboutButtonAction);
    return logo;
}

void ViewController::wireCycle() {
    connect(m_ticks.get(), &TickDispatcher::tableTick, this, &ViewController::showTick);
    const auto pollingMenuFollows = [this] {
        if (m_toolbar->selected() == ToolbarButton::Polling)
            pollingButtonAction();
    };
    connect(m_cycle.get(), &ScanCycle::pollingChanged, this, pollingMenuFollows);
    connect(m_files, &SessionFiles::recordingChanged, this, pollingMenuFollows);
    connect(m_files, &SessionFiles::recordingChanged, m_recordingSign, &QWidget::setVisible);
    connect(m_settingsChange.get(), &SettingsChangeSequence::tableReloadRequested, m_grid,
            &NetworkGridPane::reload);
}

// The adapter's power as the interface last knew it goes first: the table
// shows no rows while it is off.
void ViewController::showTick(const ScanTick &tick) {
    const WirelessInterface *iface = m_source.current();
    showPowered(iface && iface->powered());
    m_grid->showTick(tick);
    showStatus(tick.scanError);
}

NetworkList ViewController::tableRows() const {
    return m_grid ? m_grid->records() : NetworkList{};
}

void ViewController::wireSource() {
    connect(&m_source, &InterfaceSource::interfaceChanged, this, &ViewController::showInterface);
    // An adapter chosen in the settings opens after the settings' own tick: scanned at once.
    connect(&m_source, &InterfaceSource::interfaceChanged, this, [this] {
        if (m_cycle->polling())
            m_cycle->refresh();
    });
    connect(&m_source, &InterfaceSource::adapterRefused, this,
            [this](const QString &reason) { statusBar()->showMessage(reason, 15000); });
}

void ViewController::showInterface() {
    setWindowTitle(m_source.windowTitle());
    m_views->connectionPanel()->setAdapterName(m_source.adapterInUse());
    WirelessInterface *iface = m_source.current();
    if (m_poweredSource)
        disconnect(m_poweredSource, nullptr, this, nullptr);
    m_poweredSource = iface;
    if (iface) {
        connect(iface, &WirelessInterface::poweredChanged, this, &ViewController::showPowered);
        connect(iface, &WirelessInterface::powerSwitchFinished, this,
                [this](bool, bool ok, const QString &error) {
                    m_views->connectionPanel()->setPowerSwitching(false);
                    if (ok)
                        return;
                    const QString reason =
                        QStringLiteral("Wi-Fi power change refused: %1").arg(error);
                    qCWarning(lcApp).noquote() << reason;
                    statusBar()->showMessage(reason, 15000);
                });
    }
    showPowered(iface && iface->powered());
}

void ViewController::showStatus(const QString &scanError) {
    QString line;
    if (!scanError.isEmpty())
        line = QStringLiteral("Scan failed: %1").arg(scanError);
    else if (const WirelessInterface *iface = m_source.current())
        line = iface->statusNote();
    if (line.isEmpty())
        line = m_source.note();
    m_statusLine->setText(line);
}

void ViewController::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    // The graph's one-second sampler starts once the window is first on screen.
    m_views->startSampling();
}

void ViewController::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        m_layouts->windowStateChanged(isFullScreen());
}

void ViewController::layoutView() {
    m_toolbar->select(ToolbarButton::Layout);
    m_panelHost->rebuild(ToolbarMenus::layoutMenu(m_layouts->mode()),
                         [this](MenuAction action) { runMenuAction(action); });
}

void ViewController::helpButtonAction() {
    m_toolbar->select(ToolbarButton::Help);
    m_panelHost->rebuild(ToolbarMenus::helpMenu(),
                         [this](MenuAction action) { runMenuAction(action); });
}

void ViewController::userGuideButtonAction() {
    HelpDocuments::userGuideButtonAction(this);
}

void ViewController::glossaryButtonAction() {
    HelpDocuments::glossaryButtonAction(this);
}

void ViewController::aboutButtonAction() {
    HelpDocuments::aboutButtonAction(this);
}

void ViewController::settingsButtonAction() {
    m_toolbar->select(ToolbarButton::Settings);
    m_panelHost->rebuild(ToolbarMenus::settingsMenu(m_locate.isLocating()),
                         [this](MenuAction action) { runMenuAction(action); });
}

void ViewController::pollingButtonAction() {
    m_toolbar->select(ToolbarButton::Polling);
    m_panelHost->rebuild(ToolbarMenus::pollingMenu(m_cycle->polling(), m_files->isRecording()),
                         [this](MenuAction action) { runMenuAction(action); });
}

void ViewController::testsButtonAction() {
    m_toolbar->select(ToolbarButton::Tests);
    m_panelHost->rebuild(ToolbarMenus::testsMenu(),
                         [this](MenuAction action) { runMenuAction(action); });
}

// The test runs in its own window-modal dialog; the main window keeps
// scanning meanwhile, and closing the dialog stops every ping.
void ViewController::connectionTestAction() {
    ConnectionTestDialog *dialog = m_makeConnectionTest
                                       ? m_makeConnectionTest(this)
                                       : new ConnectionTestDialog(nullptr, {}, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void ViewController::runMenuAction(MenuAction action) {
    switch (action) {
    case MenuAction::Refresh:
        m_cycle->refresh();
        break;
    case MenuAction::Stop:
        m_cycle->stopAction();
        break;
    case MenuAction::Start:
        m_cycle->startAction();
        break;
    case MenuAction::Settings:
        settingsAction();
        break;
    case MenuAction::ExportNetwork:
        m_files->exportNetwork();
        break;
    case MenuAction::ExportHistory:
        m_files->exportHistory();
        break;
    case MenuAction::Record:
    case MenuAction::StopRecording:
        m_files->toggleRecording();
        break;
    case MenuAction::ExitLocate:
        exitLocate();
        break;
    case MenuAction::ConnectionTest:
        connectionTestAction();
        break;
    case MenuAction::QualityTest:
        QDesktopServices::openUrl(QUrl(ConnectionTest::qualityTestPage));
        break;
    case MenuAction::SpeedTest:
        QDesktopServices::openUrl(QUrl(ConnectionTest::speedTestPage));
        break;
    case MenuAction::Radar:
    case MenuAction::Network:
    case MenuAction::History:
    case MenuAction::HistoryAndNetworks:
    case MenuAction::ShowAll:
    case MenuAction::Channels:
        m_layouts->apply(*ToolbarMenus::layoutFor(action));
        break;
    case MenuAction::UserGuide:
        userGuideButtonAction();
        break;
    case MenuAction::Glossary:
        glossaryButtonAction();
        break;
    case MenuAction::About:
        aboutButtonAction();
        break;
    }
}

void ViewController::settingsAction() {
    qCInfo(lcApp) << "settings";
    // The adapters as last listed; a listing asked for now updates the box when it answers.
    SettingsViewController dialog(m_prefs, m_source.adapters(), m_source.adapterInUse(), this);
    connect(&dialog, &SettingsViewController::SettingsChanged, this,
            &ViewController::settingsChanged);
    connect(&m_source, &InterfaceSource::adaptersChanged, &dialog,
            [this, &dialog] { dialog.setAdapters(m_source.adapters()); });
    m_source.refreshAdapters();
    dialog.exec();
}

void ViewController::settingsChanged() {
    // The adapter chosen is the one the restarted polling scans.
    m_source.applyAdapterChoice(m_prefs.value(Preferences::adapterKey));
    m_files->settingsChanged();
    m_settingsChange->settingsChanged();
}

void ViewController::exitLocate() {
    m_views->locateMode().exitLocate();
}

void ViewController::showPowered(bool powered) {
    m_views->connectionPanel()->showPowered(powered);
    m_grid->setAdapterPowered(powered);
}

// The button shows the new state once the adapter reports it; a refusal
// shows in the status line.
void ViewController::enableOrDisable() {
    WirelessInterface *iface = m_source.current();
    if (!iface)
        return;
    m_views->connectionPanel()->setPowerSwitching(true);
    iface->setPowerAsync(!iface->powered());
}
