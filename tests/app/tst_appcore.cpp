#include "ScenarioJson.h"
#include "app/AppCommandLine.h"
#include "app/InterfaceSource.h"
#include "app/NetworkExport.h"
#include "app/SettingsChangeSequence.h"
#include "app/StartupOrder.h"
#include "graph/PlottingState.h"
#include "netlist/CsvExport.h"
#include "scan/ScanCycle.h"
#include "scan/ScanResult.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"
#include "support/FakeSources.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using ScenarioJson::runJobsUntil;

namespace {

const char *kindNames[] = {"auto", "nl80211", "scenario"};

// Stands for openSource, and for openSourceLater with the same answer given later: real
// adapters are fakes named like the request; "wlan-broken" refuses; auto finds no radio and
// falls back to a scenario.
struct Sources {
    QStringList calls;
    InterfaceSource source;

    InterfaceSource::Opener opener() {
        return [this](const SourceOption &option, QString *error, bool *,
                      QString *note) -> std::unique_ptr<WirelessInterface> {
            calls << QLatin1String(kindNames[int(option.kind)]) + ':' + option.argument;
            if (option.kind != SourceOption::Kind::Nl80211) {
                if (option.kind == SourceOption::Kind::Auto)
                    *note = QStringLiteral("no Wi-Fi interface found; playing the demo");
                return ScenarioJson::play({ScenarioJson::scan({"A:-50"})});
            }
            if (option.argument == QLatin1String("wlan-broken")) {
                *error = QStringLiteral("interface is down");
                return nullptr;
            }
            auto fake = std::make_unique<FakeInterface>();
            fake->name = option.argument;
            return fake;
        };
    }

    explicit Sources(const QString &opened, QStringList listed = {})
        : source(opener(), answerLater(opener()), ListedAdapters::of(listed)) {
        QString error;
        bool usageError = false;
        QSignalSpy adapters(&source, &InterfaceSource::adaptersChanged);
        if (!source.open(*SourceOption::parse(opened, &error), &error, &usageError))
            qFatal("cannot open %s", qPrintable(opened));
        // Opening lists the adapters without waiting for the answer.
        if (source.adapters().size() > 2 || (!listed.isEmpty() && !adapters.wait()))
            qFatal("the adapters were listed at once, or never");
    }
    QString described() const {
        return QStringList{source.adapterInUse(), source.windowTitle(), "note=" + source.note(),
                           source.adapters().join(','), calls.join(' ')}
            .join('|');
    }
};

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)";
}

} // namespace

class TestAppCore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();

    void source_data();
    void source();
    void withCsvSuffix();
    void exportWritesTheCsvText();
    void exportFailureNamesThePath();

    void stoppedBeforeFirstResultStaysStopped();
    void settingsChangedStepsInOrder_data();
    void settingsChangedStepsInOrder();
    void historiesClearedAndChoicesCopied();

private:
    void start(const QList<QByteArray> &scans);
    void pollUntilRunning();
    QString reloads() const { return m_events.filter(QStringLiteral("reload ")).join(", "); }

    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<SimulatedInterface> m_radio;
    std::unique_ptr<ScanCycle> m_cycle;
    std::unique_ptr<PlottingState> m_plotting;
    std::unique_ptr<SettingsChangeSequence> m_sequence;
    QStringList m_events;
};

void TestAppCore::commandLine_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("parsed");
    const auto row = [](const char *name, const char *arguments, const QString &parsed) {
        QTest::newRow(name) << QString(arguments) << parsed;
    };
    const QString usage = "\" (use auto, nl80211[:IFNAME] or scenario:FILE)";
    row("nothing: auto", "", "run auto:");
    row("nl80211 any", "--source nl80211", "run nl80211:");
    row("nl80211 named", "--source=nl80211:wlp3s0", "run nl80211:wlp3s0");
    row("scenario", "--source scenario:/tmp/demo.json", "run scenario:/tmp/demo.json");
    row("unknown source", "--source wifi", "error unknown source \"wifi" + usage);
    row("scenario without file", "--source scenario:", "error unknown source \"scenario:" + usage);
    row("stray argument", "demo.json", "error unexpected argument \"demo.json\"");
    row("source without value", "--source", "error Missing value after '--source'.");
    row("layout radar", "--layout radar", "run auto: layout 0");
    row("layout two words", "--layout=history-networks --source nl80211", "run nl80211: layout 3");
    row("layout unknown", "--layout History",
        "error unknown layout \"History\" (use "
        "radar|network|history|history-networks|all|channels)");
}

void TestAppCore::commandLine() {
    QFETCH(QString, arguments);
    QFETCH(QString, parsed);
    const auto r =
        AppCommandLine::parse(QStringList{"airlume"} + arguments.split(' ', Qt::SkipEmptyParts));
    const QString layout = r.layout ? QStringLiteral(" layout %1").arg(int(*r.layout)) : QString();
    const QString kinds[] = {
        QStringLiteral("run %1:%2")
                .arg(QLatin1String(kindNames[int(r.source.kind)]), r.source.argument) +
            layout,
        "help", "version", "error " + r.message};
    QCOMPARE(kinds[int(r.kind)], parsed);
}

void TestAppCore::source_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("choices");
    QTest::addColumn<QString>("described");
    const auto row = [](const char *name, const char *opened, const char *listed,
                        const char *choices, const QString &described) {
        QTest::newRow(name) << QString(opened) << QString(listed) << QString(choices) << described;
    };
    const QString flat = "scenario:/data/flat.json";
    row("scenario, no choice stored", "scenario:/data/flat.json", "wlan0,wlp3s0", "",
        "Simulated|Airlume \u2014 Simulated|note=|wlan0,wlp3s0,Simulated|" + flat + "|0|");
    row("auto without radio", "auto", "", "",
        "Simulated|Airlume \u2014 Simulated|note=no Wi-Fi interface found; playing the demo|"
        "Simulated|auto:|0|");
    row("the radio in use: listed first, not reopened", "nl80211:wlan5", "wlan0", "wlan5",
        "wlan5|Airlume \u2014 wlan5|note=|wlan5,wlan0,Simulated|nl80211:wlan5|0|");
    row("another reopens; the fallback note is history", "auto", "", "wlp3s0",
        "wlp3s0|Airlume \u2014 wlp3s0|note=|wlp3s0,Simulated|auto: nl80211:wlp3s0|1|");
    // "Simulated" plays the scenario the program was started with, not the demo.
    row("back to Simulated replays the startup scenario", "scenario:/data/flat.json", "",
        "wlan0 Simulated",
        "Simulated|Airlume \u2014 Simulated|note=|Simulated|" + flat + " nl80211:wlan0 " + flat +
            "|2|");
    row("a refused adapter keeps the current", "nl80211:wlan0", "", "wlan-broken",
        "wlan0|Airlume \u2014 wlan0|note=|wlan0,Simulated|nl80211:wlan0 nl80211:wlan-broken|0|"
        "Cannot use adapter wlan-broken: interface is down");
    // "+": chosen again before the last choice has opened.
    row("a later choice wins over one still opening", "nl80211:wlan0", "", "wlan-broken+wlan7",
        "wlan7|Airlume \u2014 wlan7|note=|wlan7,Simulated|nl80211:wlan0 nl80211:wlan-broken "
        "nl80211:wlan7|1|");
}

void TestAppCore::source() {
    QFETCH(QString, opened);
    QFETCH(QString, listed);
    QFETCH(QString, choices);
    QFETCH(QString, described);
    Sources s(opened, listed.split(',', Qt::SkipEmptyParts));
    WirelessInterface *before = s.source.current();
    QSignalSpy changed(&s.source, &InterfaceSource::interfaceChanged);
    QSignalSpy refused(&s.source, &InterfaceSource::adapterRefused);
    if (described.contains("Cannot"))
        QTest::ignoreMessage(QtWarningMsg, qPrintable(described.section('|', -1)));
    for (const QString &choice : choices.split(' ')) {
        WirelessInterface *now = s.source.current();
        for (const QString &quick : choice.split('+'))
            s.source.applyAdapterChoice(quick);
        QCOMPARE(s.source.current(), now); // nothing changes before the opening answers
        QCoreApplication::processEvents();
    }
    QCOMPARE(s.source.current() == before, changed.isEmpty());
    QCOMPARE(s.described() + '|' + QString::number(changed.count()) + '|' +
                 (refused.isEmpty() ? QString() : refused.at(0).at(0).toString()),
             described);
}

void TestAppCore::withCsvSuffix() {
    QStringList paths;
    for (const char *chosen : {"nets", "nets.csv", "nets.CSV", "nets.txt", "netscsv"})
        paths << NetworkExport::withCsvSuffix(QLatin1String(chosen));
    QCOMPARE(paths.join(' '), "nets.csv nets.csv nets.CSV nets.txt.csv netscsv.csv");
}

// Byte for byte the text airlume-cli prints for the same list: CsvExport's, in
// place of what was there; the vendor keeps the cleaned form it was written in.
void TestAppCore::exportWritesTheCsvText() {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    NetworkList list;
    for (const auto &[ssid, rssi, vendor] :
         {std::tuple{"Home", -48, "Acme, Inc."}, std::tuple{"Cafe", -70, "Unknown"}}) {
        ScanResult scanned;
        scanned.ssid = QLatin1String(ssid);
        scanned.bssid = QStringLiteral("aa:bb:cc:00:00:0%1").arg(list.size() + 1);
        scanned.rssiValue = rssi;
        list << std::make_shared<NetworkModel>(scanned);
        list.last()->vendor = QLatin1String(vendor);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nets.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(5000, 'x')) == 5000);
    old.close();
    const QString expected = CsvExport::document(list, list.at(0), prefs);
    QTest::ignoreMessage(QtInfoMsg, qPrintable("writeString :" + expected));
    QString error;
    QVERIFY2(NetworkExport::writeNetworkList(path, list, list.at(0), prefs, &error),
             qPrintable(error));
    QCOMPARE(readAll(path), expected.toUtf8());
    QCOMPARE(list.at(0)->vendor, "Acme  Inc.");
}

// A folder in the way or a missing folder: the message says where, and
// nothing is replaced or made.
void TestAppCore::exportFailureNamesThePath() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("taken.csv"));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/nets.csv"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    for (const QString &path : {folder, missing}) {
        QString error;
        QVERIFY(!NetworkExport::writeNetworkList(path, {}, nullptr, prefs, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
    }
    QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());
    QVERIFY(!QFile::exists(missing));
}

// The start-up order and the settings-changed sequence, both driving a scan
// cycle over a scripted radio.
void TestAppCore::start(const QList<QByteArray> &scans) {
    m_sequence.reset();
    m_plotting.reset();
    m_cycle.reset();
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
    m_radio = ScenarioJson::play(scans);
    m_cycle = std::make_unique<ScanCycle>([this] { return m_radio.get(); }, *m_prefs);
    m_plotting = std::make_unique<PlottingState>();
    m_sequence = std::make_unique<SettingsChangeSequence>(*m_cycle, *m_plotting, *m_prefs,
                                                          [this] { return m_radio.get(); });
    m_events.clear();
    const auto note = [this](const char *event) { return [this, event] { m_events << event; }; };
    // The table's stand-in, connected first as the window does.
    connect(m_cycle.get(), &ScanCycle::tickFinished, this, [this] {
        m_events << QStringLiteral("reload rows=%1 timer=%2")
                        .arg(m_cycle->scanedResults().size())
                        .arg(m_cycle->timerActive() ? "on" : "off");
    });
    connect(m_cycle.get(), &ScanCycle::pollingChanged, this,
            [this](bool on) { m_events << (on ? "polling on" : "polling off"); });
    connect(m_sequence.get(), &SettingsChangeSequence::radarRebuildRequested, this, note("radar"));
    connect(m_sequence.get(), &SettingsChangeSequence::connectionSignalRefreshed, this,
            [this](const QString &text) { m_events << "signal " + text; });
    connect(m_sequence.get(), &SettingsChangeSequence::tableReloadRequested, this, note("table"));
    connect(m_sequence.get(), &SettingsChangeSequence::axesConfigureRequested, this, note("axes"));
    connect(m_sequence.get(), &SettingsChangeSequence::graphReloadRequested, this, note("graph"));
}

void TestAppCore::pollUntilRunning() {
    m_cycle->pollingActivation();
    runJobsUntil([&] { return !reloads().isEmpty(); });
    QVERIFY(m_cycle->timerActive());
    m_events.clear();
}

// Stopped while the first scan is queued: it is shown, and no timer starts.
void TestAppCore::stoppedBeforeFirstResultStaysStopped() {
    start({ScenarioJson::scan({"A:-40", "B:-50"})});
    StartupOrder::queueFirstScanThenPolling(*m_cycle);
    m_cycle->stopAction();
    for (int i = 0; i < 40; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(reloads(), "reload rows=2 timer=off");
    QVERIFY(!m_cycle->timerActive() && !m_cycle->polling());
}

void TestAppCore::settingsChangedStepsInOrder_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("joined");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("signal"); // the connection's signal text, answered later
    QTest::newRow("dBm, 1 s") << "dBm" << 0 << false << "1"
                              << "signal -60 dBm, ";
    QTest::newRow("Percent: -60 dBm is 80; 0 s mended to 5") << "Percent" << 0 << false << "0"
                                                             << "signal 80%, ";
    QTest::newRow("not joined: no signal") << "dBm" << -1 << false << "5"
                                           << "";
    QTest::newRow("stopped: resumes with a tick at once") << "dBm" << 0 << true << "60"
                                                          << "signal -60 dBm, ";
}

// The steps run in order at once; the signal reading and the graph reload
// answer through the event loop, and the restarted timer's tick reloads the
// table after them. The reading does not move the recording on.
void TestAppCore::settingsChangedStepsInOrder() {
    QFETCH(QString, unit);
    QFETCH(int, joined);
    QFETCH(bool, stopped);
    QFETCH(QString, interval);
    QFETCH(QString, signal);
    start({ScenarioJson::scan({"A:-60", "B:-70", "C:-80"}, joined)});
    pollUntilRunning();
    if (stopped)
        m_cycle->stopAction();
    m_events.clear();
    m_prefs->setValue(Preferences::displayUnitsKey, unit);
    m_prefs->setValue(Preferences::pollingIntervalKey, interval);
    const int played = m_radio->scansPlayed();
    m_sequence->settingsChanged();
    const QString steps = "radar, table, axes, polling on";
    QCOMPARE(m_events.join(", "), steps);
    QVERIFY(m_cycle->polling());
    runJobsUntil([&] { return !reloads().isEmpty(); });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(m_events.join(", "), steps + ", " + signal + "graph, reload rows=3 timer=on");
    QCOMPARE(m_radio->scansPlayed(), played + 1); // the tick's scan only
    QCOMPARE(m_cycle->pollingIntervalMs(), interval == "0" ? 5000 : interval.toInt() * 1000);
}

void TestAppCore::historiesClearedAndChoicesCopied() {
    start({ScenarioJson::scan({"A:-60", "B:-70", "C:-80"}, 0)});
    pollUntilRunning();
    const NetworkList rows = m_cycle->scanedResults();
    QCOMPARE(rows.size(), 3);
    m_plotting->setPlotted(rows[0], true);
    m_plotting->setPlotted(rows[1], true);
    for (const NetworkModelPtr &r : rows)
        r->signalStrengthArray = {-60, -61};
    m_plotting->plottingNetworksDict.remove(rows[1]->bssid); // e.g. dropped while locating
    m_sequence->settingsChanged();
    QStringList sizes; // the third is not plotted: left alone
    for (const NetworkModelPtr &r : rows)
        sizes << r->ssid + '=' + QString::number(r->signalStrengthArray.size());
    QCOMPARE(sizes.join(' '), "A=0 B=0 C=2");
    QCOMPARE(m_plotting->plottingNetworksDict, m_plotting->plottingNetworkDictionary);
    QCOMPARE(m_plotting->plottingNetworksDict.size(), 2);
}

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
