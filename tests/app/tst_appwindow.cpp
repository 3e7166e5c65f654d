#include "ScenarioJson.h"
#include "app/AppDelegate.h"
#include "app/InterfaceSource.h"
#include "app/PaneStack.h"
#include "app/SessionFiles.h"
#include "app/SharedInstanceClass.h"
#include "app/TickDispatcher.h"
#include "app/ViewController.h"
#include "app/WindowPanes.h"
#include "app/WindowViews.h"
#include "conninfo/ConnectionPanel.h"
#include "conntest/ConnectionTestDialog.h"
#include "graph/SignalGraph.h"
#include "graph/SignalHistory.h"
#include "graph/SignalHistoryPane.h"
#include "netlist/CsvExport.h"
#include "netlist/HistoryExport.h"
#include "netlist/NetworkGridPane.h"
#include "radar/RadarController.h"
#include "radar/RadarView.h"
#include "scan/ScanCycle.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ToolbarStrip.h"
#include "support/FakeInterface.h"
#include "support/FakeSources.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QThreadPool>

using ScenarioJson::runJobsUntil;
using ScenarioJson::scan;

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestAppWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pollingPanelStopsRefreshesStarts();
    void settingsPanelAndEmptyPanels();
    void layoutPanelArrangesPanes();
    void helpPanelOpensDocuments();
    void viewsFollowTheTick();
    void locateNarrowsEveryView();
    void exportWritesWhatTheTableShows();
    void recordingAndHistoryExport();
    void powerButtonFollowsTheAdapter();
    void scanFailureInStatusLine();
    void launchAndClose();

private:
    void build(const QList<QByteArray> &scans);
    void press(ToolbarButton button) {
        QTest::mouseClick(m_window->toolbar()->button(button), Qt::LeftButton);
    }
    void click(const QString &entry) {
        QTest::mouseClick(m_window->panelHost()->panel()->findChild<PanelEntryButton *>(entry),
                          Qt::LeftButton);
    }
    QString entries() const {
        if (!m_window->panelHost()->panel())
            return QStringLiteral("(no panel)");
        QStringList titles;
        for (const auto *e : m_window->panelHost()->panel()->findChildren<PanelEntryButton *>())
            titles << e->entry().title + (e->entry().chosen ? "*" : "");
        return titles.join(',');
    }
    // The names on the pane's radar, sorted.
    QString radarTexts() const {
        QStringList texts;
        for (const RadarMark &mark : m_window->views().radar().normalView()->plot())
            texts << mark.text;
        texts.sort();
        return texts.join(',');
    }
    // The panes shown, top to bottom.
    QString panes() const {
        QList<const QWidget *> shown;
        for (const QWidget *pane :
             m_window->paneStack()->findChildren<RoundedPane *>(Qt::FindDirectChildrenOnly))
            if (pane->isVisibleTo(m_window.get()))
                shown << pane;
        std::sort(shown.begin(), shown.end(),
                  [](const QWidget *a, const QWidget *b) { return a->y() < b->y(); });
        QStringList names;
        for (const QWidget *pane : shown)
            names << pane->objectName().remove("Pane");
        return names.join(',');
    }

    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<InterfaceSource> m_source;
    std::unique_ptr<ViewController> m_window;
    std::unique_ptr<AppDelegate> m_delegate;
    QStringList m_opened;
    QString m_powerRefusal; // given to the fake adapters opened
    QList<QByteArray> m_scans;
    QStringList m_reloads;
};

void TestAppWindow::init() {
    m_store = std::make_shared<MemoryPreferenceStore>();
    Preferences(m_store).writeLaunchDefaults();
    m_opened.clear();
    m_powerRefusal.clear();
    m_reloads.clear();
    m_scans = {scan({"A:-40"})};
    const InterfaceSource::Opener opener = [this](const SourceOption &option, QString *, bool *,
                                                  QString *) -> std::unique_ptr<WirelessInterface> {
        m_opened << option.argument;
        if (option.kind != SourceOption::Kind::Nl80211)
            return ScenarioJson::play(m_scans);
        auto fake = std::make_unique<FakeInterface>();
        fake->name = option.argument;
        fake->powerRefusal = m_powerRefusal;
        return fake;
    };
    m_source = std::make_unique<InterfaceSource>(opener, answerLater(opener),
                                                 ListedAdapters::of({QStringLiteral("wlan9")}));
}

void TestAppWindow::cleanup() {
    m_delegate.reset();
    m_window.reset();
    m_source.reset();
}

void TestAppWindow::build(const QList<QByteArray> &scans) {
    m_scans = scans;
    QString error;
    bool usageError = false;
    QVERIFY(m_source->open(*SourceOption::parse(QStringLiteral("scenario:/flat.json"), &error),
                           &error, &usageError));
    m_window = std::make_unique<ViewController>(m_store, *m_source, nullptr);
    m_window->viewDidLoad();
    QAbstractItemModel *rows = m_window->gridPane()->tableView()->model();
    // After the window's own hand-out: the table has shown the tick.
    connect(&m_window->ticks(), &TickDispatcher::tableTick, this, [this, rows] {
        m_reloads << QStringLiteral("rows=%1 timer=%2")
                         .arg(rows->rowCount())
                         .arg(m_window->cycle().timerActive() ? "on" : "off");
    });
}

// The first scan is on screen before the timer exists. Refresh while stopped
// ticks once and leaves polling stopped.
void TestAppWindow::pollingPanelStopsRefreshesStarts() {
    build({scan({"A:-40", "B:-50"}, 0), scan({"A:-40", "B:-50", "C:-60"}, 0)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QCOMPARE(m_reloads.join(" | "), "rows=2 timer=off | rows=3 timer=on");
    press(ToolbarButton::Polling);
    QCOMPARE(entries(), "Refresh,Stop,Record");
    click(QStringLiteral("Stop"));
    QVERIFY(!m_window->cycle().polling() && !m_window->cycle().timerActive());
    QCOMPARE(entries(), "Refresh,Start,Record");
    const qint64 counter = m_window->cycle().counter();
    click(QStringLiteral("Refresh"));
    runJobsUntil([&] { return m_reloads.size() == 3; });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(m_window->cycle().counter(), counter + 1);
    QVERIFY(!m_window->cycle().polling());
    click(QStringLiteral("Start"));
    QVERIFY(m_window->cycle().polling());
    QCOMPARE(entries(), "Refresh,Stop,Record");
    runJobsUntil([&] { return m_window->cycle().timerActive(); });
    QVERIFY(m_window->cycle().timerActive());
}

// Exit Locate is offered only while locating; Tests opens its window at once.
void TestAppWindow::settingsPanelAndEmptyPanels() {
    build({scan({"A:-40"})});
    runJobsUntil([&] { return m_reloads.size() == 1; });
    press(ToolbarButton::Settings);
    QCOMPARE(entries(), "Settings,Export Network,Export History");
    const NetworkModelPtr located = m_window->tableRows().constFirst();
    m_window->locate().locateModel = located;
    m_window->locate().locateArray = {located};
    press(ToolbarButton::Settings);
    QCOMPARE(entries(), "Settings,Export Network,Export History,Exit Locate");
    click(QStringLiteral("Exit Locate"));
    QVERIFY(!m_window->locate().isLocating());

    // The test window opens without waiting; here it finds no name server.
    press(ToolbarButton::Tests);
    QCOMPARE(m_window->toolbar()->selected(), ToolbarButton::Tests);
    QCOMPARE(entries(), "Connection Test,Quality Test,Speed Test");
    m_window->setConnectionTestMaker([](QWidget *parent) {
        return new ConnectionTestDialog(
            nullptr, [] { return HostNetworkInfo::HostNames{}; }, parent);
    });
    click(QStringLiteral("Connection Test"));
    auto *dialog = m_window->findChild<ConnectionTestDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->heading(), " No Internet Connection");
    dialog->reject();
}

// The unit starts in dBm again; the graph samples from the first show on.
// Show All leaves the table room for a dozen networks. Each entry arranges the
// panes and becomes the chosen one; the panel is rebuilt around the brand.
void TestAppWindow::layoutPanelArrangesPanes() {
    Preferences(m_store).setValue(Preferences::displayUnitsKey, Preferences::percent);
    build({scan({"A:-40"})});
    QCOMPARE(m_window->preferences().value(Preferences::displayUnitsKey), "dBm");
    QCOMPARE(m_window->windowTitle(), "Airlume \u2014 Simulated");
    QVERIFY(!m_window->views().history().isSampling());
    m_window->resize(1280, 900);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->hide();
    m_window->show();
    QVERIFY(m_window->views().history().isSampling()); // armed once, on the first show
    QCOMPARE(panes(), "radarAndConnection,networkGrid,signalHistory");
    QTableView *table = m_window->gridPane()->tableView();
    QTRY_COMPARE(m_window->size(), QSize(1280, 900));
    const int rows = table->viewport()->height() / table->verticalHeader()->defaultSectionSize();
    QVERIFY2(rows >= 12 && !table->horizontalScrollBar()->isVisible(),
             qPrintable(QString::number(rows)));

    const QWidget *brand = m_window->panelHost()->findChild<QWidget *>(QStringLiteral("brand"));
    QVERIFY(brand);
    QStringList seen;
    for (const char *entry :
         {"Network", "History", "History & Networks", "Radar", "Show All", "Channels"}) {
        click(QLatin1String(entry));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        seen << panes() + " (" + QString::number(SharedInstanceClass::sharedInstance().maxValue) +
                    ")";
        QCOMPARE(m_window->panelHost()->findChild<QWidget *>(QStringLiteral("brand")), brand);
        QCOMPARE(entries().count('*'), 1);
        QVERIFY2(entries().contains(QString(entry).replace(" & ", " &\n") + '*'),
                 qPrintable(entries()));
    }
    QCOMPARE(seen.join(" | "),
             "networkGrid (90) | signalHistory (90) | "
             "networkGrid,signalHistory (90) | expandedRadar (220) | "
             "radarAndConnection,networkGrid,signalHistory (90) | channels,networkGrid (90)");
}

// Glossary and About open once each, without blocking; the logo opens About.
void TestAppWindow::helpPanelOpensDocuments() {
    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    build({scan({"A:-40"})});
    press(ToolbarButton::Help);
    QCOMPARE(entries(), "User Guide,Glossary,About");
    click(QStringLiteral("Glossary"));
    click(QStringLiteral("Glossary"));
    QTest::mouseClick(m_window->panelHost()->findChild<QPushButton *>(QStringLiteral("brand")),
                      Qt::LeftButton);
    const auto text = [this](const char *name) {
        const QList<QDialog *> open = m_window->findChildren<QDialog *>(QLatin1String(name));
        if (open.size() != 1 || !open.first()->isVisible())
            return QStringLiteral("%1 open").arg(open.size());
        return open.first()->findChild<QTextBrowser *>()->toPlainText();
    };
    QVERIFY2(text("glossary").contains("Locate mode"), qPrintable(text("glossary")));
    QVERIFY2(text("about").contains("Version 9.8.7"), qPrintable(text("about")));
    // This test's folder holds no guide: the window says so instead of opening nothing.
    click(QStringLiteral("User Guide"));
    auto *message = m_window->findChild<QMessageBox *>(QStringLiteral("userGuideMessage"));
    QVERIFY(message && message->isVisible() && message->text().contains("not installed"));
}

// The radar, the panel and the graph show each tick. The graph's sampling
// passes read the radio's current scan without moving the recording on.
void TestAppWindow::viewsFollowTheTick() {
    // The first scan and the one polling starts with.
    build({scan({"A:-40", "B:-60"}, 1), scan({"A:-40", "B:-50"}, 1), scan({"A:-40", "B:-45"}, 1)});
    const RadarView *radar = m_window->views().radar().normalView();
    runJobsUntil([&] { return m_reloads.size() == 2 && radar->plot().size() == 2; });
    const ConnectionPanel *panel = m_window->views().connectionPanel();
    QCOMPARE(radarTexts() + " | " + panel->fieldText(ConnectionPanelModel::Ssid) + " " +
                 panel->fieldText(ConnectionPanelModel::Signal),
             "A,B | B -50 dBm");

    SignalHistory &history = m_window->views().history();
    const NetworkModelPtr joined = m_window->cycle().connectedNetwork();
    for (qsizetype pass = 1; pass <= 5; ++pass) {
        history.reloadPlotValues();
        runJobsUntil([&] { return joined->signalStrengthArray.size() == pass; });
    }
    const auto *radio = static_cast<SimulatedInterface *>(m_source->current());
    QCOMPARE(radio->currentScanIndex(), 1);
    QCOMPARE(joined->signalStrengthArray, QList<qint64>(5, -50));

    m_window->cycle().refresh();
    runJobsUntil([&] { return m_reloads.size() == 3; });
    QCOMPARE(radio->currentScanIndex(), 2);
    QCOMPARE(panel->fieldText(ConnectionPanelModel::Signal), "-45 dBm");
    QCOMPARE(m_window->views().historyPane()->graph()->plottedBssids(), {joined->bssid});
}

// Locate from the row menu narrows the radar and the graph to the network;
// the panel's exit button gives the views back.
void TestAppWindow::locateNarrowsEveryView() {
    build({scan({"A:-40", "B:-60", "C:-70"}, 1)});
    runJobsUntil([&] { return m_reloads.size() == 1; });
    const NetworkModelPtr c = m_window->tableRows().constLast();
    QCOMPARE(c->ssid, "C");
    m_window->locate().locateModel = c;
    Q_EMIT m_window->gridPane()->locateRequested();
    const auto state = [this] {
        QStringList rows;
        for (const NetworkModelPtr &r : m_window->tableRows())
            rows << r->ssid;
        return radarTexts() + " | " + rows.join(',') + " | " +
               QString::number(m_window->views().historyPane()->graph()->plottedBssids().size()) +
               (m_window->views().connectionPanel()->exitLocateButton()->isVisibleTo(m_window.get())
                    ? " exit"
                    : "");
    };
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(state(), "C | B,C,A | 1 exit");
    QTest::mouseClick(m_window->views().connectionPanel()->exitLocateButton(), Qt::LeftButton);
    QVERIFY(!m_window->locate().isLocating());
    // The next tick puts every network back on the radar.
    runJobsUntil([&] { return !m_window->views().radar().normalView()->plot().isEmpty(); });
    QCOMPARE(state(), "A,B,C | B,A,C | 1");
}

// Cancelling the save panel writes nothing; otherwise the file holds what the
// table shows, even while a tick has emptied the display list and its scan is
// still queued.
void TestAppWindow::exportWritesWhatTheTableShows() {
    build({scan({"A:-40", "B:-50"}, 1)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QTemporaryDir dir;
    QString chosen;
    m_window->files().setSavePathChooser([&](QWidget *) { return chosen; });
    press(ToolbarButton::Settings);
    click(QStringLiteral("Export Network"));
    QVERIFY(QDir(dir.path()).isEmpty());

    m_window->cycle().pollingStarts();
    QVERIFY(m_window->cycle().scanedResults().isEmpty());
    QString expected = CsvExport::header();
    for (const NetworkModelPtr &r : m_window->tableRows())
        expected +=
            CsvExport::line(*r, r == m_window->cycle().connectedNetwork(), m_window->preferences());
    chosen = dir.filePath("networks");
    click(QStringLiteral("Export Network"));
    QFile file(chosen + ".csv");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written, expected.toUtf8());
    QVERIFY(written.contains("\nTrue,B,-50,"));
}

// Record writes one line per tick after its header until stopped, with the
// sign on show meanwhile; the history holds a row per network per tick.
void TestAppWindow::recordingAndHistoryExport() {
    build({scan({"A:-40", "B:-50"}, 0), scan({"A:-42"}, 0)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QTemporaryDir dir;
    QString chosen = dir.filePath("walk.jsonl");
    m_window->files().setSavePathChooser([&](QWidget *) { return chosen; });
    press(ToolbarButton::Polling);
    click(QStringLiteral("Record"));
    const auto *sign = m_window->findChild<QLabel *>(QStringLiteral("recordingSign"));
    QVERIFY(sign->isVisibleTo(m_window.get()));
    QCOMPARE(entries(), "Refresh,Stop,Stop Recording");
    for (int tick = 3; tick <= 4; ++tick) {
        m_window->cycle().refresh();
        runJobsUntil([&] { return m_reloads.size() == tick; });
    }
    click(QStringLiteral("Stop Recording"));
    QTRY_VERIFY(!sign->isVisibleTo(m_window.get()));
    // The recorder's thread may still be writing the lines handed over.
    QTRY_COMPARE(readAll(chosen).count('\n'), 3); // the header and two ticks

    // The history is written on a worker; a second export meanwhile is refused.
    chosen = dir.filePath("history");
    QSignalSpy exported(&m_window->files().historyExport(), &HistoryExport::finished);
    for (int i = 0; i < 2; ++i) {
        press(ToolbarButton::Settings);
        click(QStringLiteral("Export History"));
    }
    auto *refusal = m_window->findChild<QMessageBox *>();
    QVERIFY(refusal && refusal->text().contains(QStringLiteral("still being written")));
    refusal->close();
    QVERIFY(exported.wait());
    QCOMPARE(exported.size(), 1);
    const QByteArray history = readAll(chosen + ".csv");
    QCOMPARE(history.count("aa:bb:cc:00:00:01"), 4); // A in each of the four ticks
    QCOMPARE(history.count("aa:bb:cc:00:00:02"), 4); // B heard once, then missed

    // The window may close while an export runs: the file is still completed.
    chosen = dir.filePath("closing");
    press(ToolbarButton::Settings);
    click(QStringLiteral("Export History"));
    m_window.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCOMPARE(readAll(chosen + ".csv"), history);
}

// The button follows the adapter once it reports the switch; a refusal keeps
// it and shows in the status bar.
void TestAppWindow::powerButtonFollowsTheAdapter() {
    build({scan({"A:-40"}, 0)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QPushButton *power = m_window->views().connectionPanel()->enableButton();
    QStringList seen{power->text()};
    for (int i = 0; i < 2; ++i) {
        const bool was = m_source->current()->powered();
        QTest::mouseClick(power, Qt::LeftButton);
        seen << power->text(); // nothing has answered yet
        runJobsUntil([&] { return m_source->current()->powered() != was; });
        seen << power->text() + (m_source->current()->powered() ? "(on)" : "(off)");
        m_window->cycle().refresh();
        runJobsUntil([&] { return m_reloads.size() == 3 + i; });
        seen << m_reloads.constLast();
    }
    QCOMPARE(seen.join(' '),
             "Disable Disable Enable(off) rows=0 timer=on Enable Disable(on) rows=1 timer=on");

    // Another adapter: opened in place of the scenario; A has not aged out yet.
    m_powerRefusal = QStringLiteral("not permitted");
    m_window->preferences().setValue(Preferences::adapterKey, QStringLiteral("wlan9"));
    m_window->settingsChanged();
    // The adapter opens off the UI thread: the window keeps its source until then.
    QCOMPARE(m_window->windowTitle(), "Airlume \u2014 Simulated");
    runJobsUntil([&] { return m_source->adapterInUse() == "wlan9" && m_reloads.size() >= 5; });
    QCOMPARE(m_opened.join(' ') + ' ' + m_window->windowTitle(),
             "/flat.json wlan9 Airlume \u2014 wlan9");
    QCOMPARE(m_reloads.constLast(), "rows=1 timer=on");
    QTest::mouseClick(power, Qt::LeftButton);
    runJobsUntil([&] { return !m_window->statusBar()->currentMessage().isEmpty(); });
    QCOMPARE(m_window->statusBar()->currentMessage(), "Wi-Fi power change refused: not permitted");
    QCOMPARE(power->text() + (m_source->current()->powered() ? "(on)" : "(off)"), "Disable(on)");
}

// The failure stays on show through the next failed tick.
void TestAppWindow::scanFailureInStatusLine() {
    build({scan({"A:-40"}), R"({"joined": null, "error": true, "networks": []})"});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    const auto *status = m_window->findChild<QLabel *>(QStringLiteral("statusLine"));
    QVERIFY(status);
    QVERIFY2(status->text().startsWith("Scan failed: "), qPrintable(status->text()));
    m_window->cycle().pollingStarts();
    runJobsUntil([&] { return m_reloads.size() == 3; });
    QVERIFY2(status->text().startsWith("Scan failed: "), qPrintable(status->text()));
}

// Choices from an earlier run: some are reset (the unit), others kept. Closing the
// window then ends the event loop (code 0); should it not, a job that
// re-queues itself a hundred times ends it with 99 instead of hanging.
void TestAppWindow::launchAndClose() {
    QString error;
    bool usageError = false;
    QVERIFY(m_source->open(SourceOption{}, &error, &usageError));
    Preferences earlier(m_store);
    earlier.setValue(Preferences::displayUnitsKey, Preferences::percent);
    earlier.setValue(Preferences::adapterKey, QStringLiteral("wlan1"));
    m_delegate = std::make_unique<AppDelegate>(m_store, *m_source);
    m_delegate->applicationDidFinishLaunching();
    QCOMPARE(earlier.value(Preferences::displayUnitsKey) + ' ' +
                 earlier.value(Preferences::adapterKey),
             "dBm wlan1");

    ViewController *window = m_delegate->viewController();
    QVERIFY(window && window->isVisible() && !window->windowIcon().isNull());
    QCOMPARE(window->windowTitle(), "Airlume \u2014 Simulated");
    QSystemTrayIcon *item = m_delegate->statusItem();
    QCOMPARE(item != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(!item || (item->isVisible() && !item->icon().isNull()));

    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    int hops = 0;
    std::function<void()> giveUp = [&] {
        if (++hops == 100)
            QCoreApplication::exit(99);
        else
            QMetaObject::invokeMethod(qApp, giveUp, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        window,
        [&] {
            window->close();
            giveUp();
        },
        Qt::QueuedConnection);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(lastClosed.count(), 1);
}

QTEST_MAIN(TestAppWindow)
#include "tst_appwindow.moc"
