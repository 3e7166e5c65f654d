#include "ScenarioJson.h"
#include "app/InterfaceSource.h"
#include "app/ViewController.h"
#include "app/WindowPanes.h"
#include "netlist/CsvExport.h"
#include "netlist/NetworkGridPane.h"
#include "scan/FakeInterface.h"
#include "scan/ScanCycle.h"
#include "settings/PreferenceStore.h"
#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ToolbarStrip.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

template <typename Done> void runJobsUntil(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        QCoreApplication::processEvents();
}

const QByteArray failedScan = R"({"joined": null, "error": true, "networks": []})";

QString entryTitles(const DropDownPanelHost *host) {
    if (!host->panel())
        return QStringLiteral("(no panel)");
    QStringList titles;
    for (const PanelEntryButton *entry : host->panel()->findChildren<PanelEntryButton *>())
        titles << entry->entry().title;
    return titles.join(QLatin1Char(','));
}

void clickEntry(const DropDownPanelHost *host, const QString &title) {
    QVERIFY2(host->panel(), "no panel open");
    auto *entry = host->panel()->findChild<PanelEntryButton *>(title);
    QVERIFY2(entry, qPrintable(title));
    QTest::mouseClick(entry, Qt::LeftButton);
}

} // namespace

class TestViewController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstScanOnScreenBeforeTheTimer();
    void launchWritesDbmAgain();
    void windowLook();
    void panesStackedInOrder();
    void pollingPanelStopsAndStarts();
    void refreshTicksOnceWhileStopped();
    void settingsPanelOffersExitLocateOnlyWhileLocating();
    void otherButtonsShowAnEmptyPanel_data();
    void otherButtonsShowAnEmptyPanel();
    void exportWritesWhatTheTableShows();
    void exportCancelledWritesNothing();
    void powerButtonFollowsTheAdapter();
    void settingsChangeSwitchesAdapter();
    void scanFailureInStatusLine();
    void viewDidAppearOnce();

private:
    void build(const QList<QByteArray> &scans);

    std::shared_ptr<MemoryPreferenceStore> m_store;
    std::unique_ptr<InterfaceSource> m_source;
    std::unique_ptr<ViewController> m_window;
    QStringList m_opened;
    QList<QByteArray> m_scans;
    QStringList m_reloads;
};

void TestViewController::init() {
    m_store = std::make_shared<MemoryPreferenceStore>();
    Preferences(m_store).writeLaunchDefaults();
    m_opened.clear();
    m_reloads.clear();
}

void TestViewController::cleanup() {
    m_window.reset();
    m_source.reset();
}

void TestViewController::build(const QList<QByteArray> &scans) {
    m_scans = scans;
    m_source = std::make_unique<InterfaceSource>(
        [this](const SourceOption &option, QString *, bool *,
               QString *) -> std::unique_ptr<WirelessInterface> {
            m_opened << option.argument;
            if (option.kind == SourceOption::Kind::Nl80211) {
                auto fake = std::make_unique<FakeInterface>();
                fake->name = option.argument;
                return fake;
            }
            return ScenarioJson::play(m_scans);
        },
        [] { return QStringList{QStringLiteral("wlan9")}; });
    QString error;
    bool usageError = false;
    QVERIFY(m_source->open(*SourceOption::parse(QStringLiteral("scenario:/flat.json"), &error),
                           &error, &usageError));
    m_window = std::make_unique<ViewController>(m_store, *m_source, nullptr);
    m_window->viewDidLoad();
    QAbstractItemModel *rows = m_window->gridPane()->tableView()->model();
    connect(&m_window->cycle(), &ScanCycle::tableReloadRequested, this, [this, rows] {
        m_reloads << QStringLiteral("rows=%1 timer=%2")
                         .arg(rows->rowCount())
                         .arg(m_window->cycle().timerActive() ? "on" : "off");
    });
}

void TestViewController::firstScanOnScreenBeforeTheTimer() {
    build({ScenarioJson::scan({"A:-40", "B:-50"}, 0),
           ScenarioJson::scan({"A:-40", "B:-50", "C:-60"}, 0)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QCOMPARE(m_reloads.join(QLatin1String(" | ")), "rows=2 timer=off | rows=3 timer=on");
}

void TestViewController::launchWritesDbmAgain() {
    Preferences(m_store).setValue(Preferences::displayUnitsKey, Preferences::percent);
    build({ScenarioJson::scan({"A:-40"})});
    QCOMPARE(m_window->preferences().value(Preferences::displayUnitsKey), "dBm");
}

void TestViewController::windowLook() {
    build({ScenarioJson::scan({"A:-40"})});
    QCOMPARE(m_window->windowTitle(), "Airlume \u2014 Simulated");
    QCOMPARE(m_window->toolbar()->selected(), ToolbarButton::Layout);
    QCOMPARE(entryTitles(m_window->panelHost()), "(no panel)");
    m_window->resize(1200, 900);
    const QImage image = m_window->grab().toImage();
    QCOMPARE(image.pixelColor(4, image.height() / 2), QColor(5, 38, 74)); // the dark blue
}

// Radar and connection on top, then the grid, then the history; each pane
// white with rounded corners.
void TestViewController::panesStackedInOrder() {
    build({ScenarioJson::scan({"A:-40"})});
    m_window->resize(1200, 900);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QStringList names{QStringLiteral("radarAndConnectionPane"),
                            QStringLiteral("networkGridPane"), QStringLiteral("signalHistoryPane")};
    const QImage image = m_window->grab().toImage();
    int lastTop = -1;
    for (const QString &name : names) {
        const auto *pane = m_window->findChild<RoundedPane *>(name);
        QVERIFY2(pane, qPrintable(name));
        const QRect area(pane->mapTo(m_window.get(), QPoint(0, 0)), pane->size());
        QVERIFY2(area.top() > lastTop, qPrintable(name));
        lastTop = area.top();
        QCOMPARE(image.pixelColor(area.topLeft()), QColor(5, 38, 74));
        QCOMPARE(image.pixelColor(area.topLeft() + QPoint(20, 2)), QColor(Qt::white));
    }
    QVERIFY(m_window->gridPane()->isVisibleTo(m_window.get()));
}

void TestViewController::pollingPanelStopsAndStarts() {
    build({ScenarioJson::scan({"A:-40"})});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    ToolbarStrip *toolbar = m_window->toolbar();
    QTest::mouseClick(toolbar->button(ToolbarButton::Polling), Qt::LeftButton);
    QCOMPARE(toolbar->selected(), ToolbarButton::Polling);
    QCOMPARE(entryTitles(m_window->panelHost()), "Refresh,Stop");

    clickEntry(m_window->panelHost(), QStringLiteral("Stop"));
    QVERIFY(!m_window->cycle().polling());
    QVERIFY(!m_window->cycle().timerActive());
    QCOMPARE(entryTitles(m_window->panelHost()), "Refresh,Start");

    clickEntry(m_window->panelHost(), QStringLiteral("Start"));
    QVERIFY(m_window->cycle().polling());
    QCOMPARE(entryTitles(m_window->panelHost()), "Refresh,Stop");
    runJobsUntil([&] { return m_window->cycle().timerActive(); });
    QVERIFY(m_window->cycle().timerActive());
}

void TestViewController::refreshTicksOnceWhileStopped() {
    build({ScenarioJson::scan({"A:-40"})});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QTest::mouseClick(m_window->toolbar()->button(ToolbarButton::Polling), Qt::LeftButton);
    clickEntry(m_window->panelHost(), QStringLiteral("Stop"));
    const qint64 counter = m_window->cycle().counter();
    clickEntry(m_window->panelHost(), QStringLiteral("Refresh"));
    runJobsUntil([&] { return m_reloads.size() == 3; });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(m_window->cycle().counter(), counter + 1);
    QVERIFY(!m_window->cycle().polling());
    QCOMPARE(entryTitles(m_window->panelHost()), "Refresh,Start");
}

void TestViewController::settingsPanelOffersExitLocateOnlyWhileLocating() {
    build({ScenarioJson::scan({"A:-40"})});
    runJobsUntil([&] { return m_reloads.size() == 1; });
    QPushButton *settings = m_window->toolbar()->button(ToolbarButton::Settings);
    QTest::mouseClick(settings, Qt::LeftButton);
    QCOMPARE(entryTitles(m_window->panelHost()), "Settings,Export Network");

    const NetworkModelPtr located = m_window->tableRows().constFirst();
    m_window->locate().locateModel = located;
    m_window->locate().locateArray = {located};
    QTest::mouseClick(settings, Qt::LeftButton);
    QCOMPARE(entryTitles(m_window->panelHost()), "Settings,Export Network,Exit Locate");

    QSignalSpy exited(m_window.get(), &ViewController::locateExited);
    clickEntry(m_window->panelHost(), QStringLiteral("Exit Locate"));
    QCOMPARE(exited.count(), 1);
    QVERIFY(!m_window->locate().isLocating());
}

void TestViewController::otherButtonsShowAnEmptyPanel_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("Layout") << int(ToolbarButton::Layout);
    QTest::newRow("Help") << int(ToolbarButton::Help);
    QTest::newRow("Tests") << int(ToolbarButton::Tests);
}

void TestViewController::otherButtonsShowAnEmptyPanel() {
    QFETCH(int, button);
    build({ScenarioJson::scan({"A:-40"})});
    QTest::mouseClick(m_window->toolbar()->button(ToolbarButton::Settings), Qt::LeftButton);
    QTest::mouseClick(m_window->toolbar()->button(static_cast<ToolbarButton>(button)),
                      Qt::LeftButton);
    QCOMPARE(m_window->toolbar()->selected(), static_cast<ToolbarButton>(button));
    QCOMPARE(entryTitles(m_window->panelHost()), "(no panel)");
    QVERIFY(m_window->panelHost()->findChild<QLabel *>(QStringLiteral("brand"))); // tagged 100
}

void TestViewController::exportWritesWhatTheTableShows() {
    build({ScenarioJson::scan({"A:-40", "B:-50"}, 1)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    QTemporaryDir dir;
    QString asked;
    m_window->setSavePathChooser([&](QWidget *) {
        asked = dir.filePath(QStringLiteral("networks"));
        return asked;
    });
    // What the table shows, even while a tick has emptied the display list
    // and its scan is still queued.
    m_window->cycle().pollingStarts();
    QVERIFY(m_window->cycle().scanedResults().isEmpty());
    const NetworkList shown = m_window->tableRows();
    QCOMPARE(shown.size(), 2);
    QString expected = CsvExport::header();
    for (const NetworkModelPtr &r : shown)
        expected +=
            CsvExport::line(*r, r == m_window->cycle().connectedNetwork(), m_window->preferences());

    m_window->exportNetworkAction();
    QFile file(asked + QStringLiteral(".csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written, expected.toUtf8());
    QVERIFY(written.contains("\nTrue,B,-50,"));
}

void TestViewController::exportCancelledWritesNothing() {
    build({ScenarioJson::scan({"A:-40"})});
    QTemporaryDir dir;
    int asked = 0;
    m_window->setSavePathChooser([&](QWidget *) {
        ++asked;
        return QString();
    });
    QTest::mouseClick(m_window->toolbar()->button(ToolbarButton::Settings), Qt::LeftButton);
    clickEntry(m_window->panelHost(), QStringLiteral("Export Network"));
    QCOMPARE(asked, 1);
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestViewController::powerButtonFollowsTheAdapter() {
    build({ScenarioJson::scan({"A:-40"}, 0)});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    PowerButton *power = m_window->connectionArea()->powerButton();
    QCOMPARE(power->text(), "Disable");
    QTest::mouseClick(power, Qt::LeftButton);
    QCOMPARE(power->text(), "Enable");
    QVERIFY(!m_source->current()->powered());
    QTest::mouseClick(power, Qt::LeftButton);
    QCOMPARE(power->text(), "Disable");
    QVERIFY(m_source->current()->powered());
}

void TestViewController::settingsChangeSwitchesAdapter() {
    build({ScenarioJson::scan({"A:-40"})});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    m_window->preferences().setValue(Preferences::adapterKey, QStringLiteral("wlan9"));
    m_window->settingsChanged();
    QCOMPARE(m_opened.join(QLatin1Char(' ')), "/flat.json wlan9");
    QCOMPARE(m_window->windowTitle(), "Airlume \u2014 wlan9");
    runJobsUntil([&] { return m_reloads.size() == 3; });
    QCOMPARE(m_reloads.constLast(), "rows=1 timer=on"); // A has not aged out yet
}

void TestViewController::scanFailureInStatusLine() {
    build({ScenarioJson::scan({"A:-40"}), failedScan});
    runJobsUntil([&] { return m_reloads.size() == 2; });
    auto *status = m_window->findChild<QLabel *>(QStringLiteral("statusLine"));
    QVERIFY(status);
    QVERIFY2(status->text().startsWith(QLatin1String("Scan failed: ")), qPrintable(status->text()));
    m_window->cycle().pollingStarts();
    runJobsUntil([&] { return m_reloads.size() == 3; });
    QVERIFY2(status->text().startsWith(QLatin1String("Scan failed: ")), qPrintable(status->text()));
}

void TestViewController::viewDidAppearOnce() {
    build({ScenarioJson::scan({"A:-40"})});
    QSignalSpy appeared(m_window.get(), &ViewController::viewDidAppear);
    m_window->show();
    m_window->hide();
    m_window->show();
    QCOMPARE(appeared.count(), 1);
}

QTEST_MAIN(TestViewController)
#include "tst_viewcontroller.moc"
