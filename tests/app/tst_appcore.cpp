#include "ScenarioJson.h"
#include "app/AppCommandLine.h"
#include "app/InterfaceSource.h"
#include "app/NetworkExport.h"
#include "netlist/CsvExport.h"
#include "scan/ScanResult.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"
#include "support/FakeSources.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
    row("help", "--help", "help");
    row("version", "--version", "version");
    row("unknown source", "--source wifi", "error unknown source \"wifi" + usage);
    row("scenario without file", "--source scenario:", "error unknown source \"scenario:" + usage);
    row("stray argument", "demo.json", "error unexpected argument \"demo.json\"");
    row("unknown option", "--ticks 3", "error Unknown option 'ticks'.");
    row("source without value", "--source", "error Missing value after '--source'.");
    row("layout radar", "--layout radar", "run auto: layout 0");
    row("layout two words", "--layout=history-networks --source nl80211", "run nl80211: layout 3");
    row("layout all", "--layout all", "run auto: layout 4");
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
    QVERIFY(expected.startsWith(CsvExport::header()) && expected.contains("\nTrue,Home,-48,"));
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

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
