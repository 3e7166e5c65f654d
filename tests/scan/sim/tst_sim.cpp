// Scenario files and recordings: what the reader refuses and reads, how the simulated radio
// plays them, and recording a session to play it back.
#include "netlist/CsvExport.h"
#include "scan/ScanCycle.h"
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/ScenarioRecorder.h"
#include "scan/sim/SessionRecorder.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString kSource = QStringLiteral("test.json");
const QString kNet0 = QStringLiteral("scans[0].networks[0]");

// base with the members of "{changes}" put in; null removes a field (but hides an SSID).
QJsonObject merged(const char *base, const QByteArray &changes) {
    QJsonObject object = QJsonDocument::fromJson(base).object();
    const QJsonObject delta = QJsonDocument::fromJson("{" + changes + "}").object();
    for (auto it = delta.begin(); it != delta.end(); ++it) {
        if (it->isNull() && it.key() != QLatin1String("ssid"))
            object.remove(it.key());
        else
            object.insert(it.key(), *it);
    }
    return object;
}
QJsonObject net(const QByteArray &changes = {}) {
    return merged(R"({"ssid": "Lab", "bssid": "00:11:22:aa:bb:cc", "rssi": -60, "channel": 36,
        "band": 2, "width": 3, "phy": [4, 5], "security": [4]})",
                  changes);
}
QJsonObject raw(const QByteArray &changes = {}) {
    return merged(R"({"bssid": "aa:bb:cc:dd:ee:ff", "rssi": -70, "frequency": 2437,
        "capability": 1073, "ies": "00034c6162"})",
                  changes);
}
// One scan of the given networks, with changes to the scan.
QByteArray doc(const QJsonArray &networks, const QByteArray &scan = {}) {
    QJsonObject s = merged("{}", scan);
    s.insert(QStringLiteral("networks"), networks);
    return QJsonDocument(QJsonObject{{"scans", QJsonArray{s}}}).toJson(QJsonDocument::Compact);
}

QString bssidOf(int n) {
    return QStringLiteral("00:00:00:00:00:%1").arg(n, 2, 10, QLatin1Char('0'));
}
// A scenario whose scan i hears only network i and is joined to it; scans listed in `failing`
// fail. `top` adds top-level fields.
std::unique_ptr<SimulatedInterface> load(int count, const QString &top = {},
                                         const QList<int> &failing = {}) {
    QStringList scans;
    for (int i = 0; i < count; ++i)
        scans << QStringLiteral(R"({"joined": "%1", "error": %2, "networks": [{"ssid": "net-%3",
            "bssid": "%1", "rssi": %4, "channel": 6, "band": 1, "width": 1, "phy": [4], "security": [4]}]})")
                     .arg(bssidOf(i), failing.contains(i) ? "true" : "false")
                     .arg(i)
                     .arg(-40 - i);
    QString error;
    auto iface = SimulatedInterface::fromJson(
        QString("{%1\"scans\": [%2]}").arg(top, scans.join(',')).toUtf8(), "n.json", &error);
    if (!iface)
        qWarning("%s", qPrintable(error));
    return iface;
}
// Which numbered scan a call played: the one network it heard, or -1 on failure.
int play(SimulatedInterface &iface, QString *error = nullptr) {
    const auto results = iface.playNextScan(error);
    return !results ? -1 : results->size() == 1 ? results->at(0).bssid.right(2).toInt() : -2;
}

// Runs `ticks` polling ticks back to back on the interface; the CSV text of
// each tick, and each tick's heard scan to the recorder when one is given.
QStringList csvPerTick(WirelessInterface &iface, int ticks, ScenarioRecorder *recorder = nullptr) {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    ScanCycle cycle([&iface] { return &iface; }, prefs);
    QStringList csv;
    QEventLoop loop;
    QObject::connect(&cycle, &ScanCycle::tickFinished, &loop, [&](const ScanTick &tick) {
        csv.append(CsvExport::document(tick.displayList, tick.joined, prefs));
        QString error;
        if (recorder && !recorder->append(tick.heard, &error))
            qWarning("%s", qPrintable(error));
        if (csv.size() == ticks)
            loop.quit();
        else
            cycle.pollingStarts();
    });
    cycle.pollingStarts();
    loop.exec();
    return csv;
}

// JSON written with ' for ", which keeps the rows readable.
QByteArray q(const char *text) {
    return QByteArray(text).replace('\'', '"');
}

ScanTick tickHearing(int rssi) {
    QString error;
    ScanTick tick;
    tick.heard.networks =
        readScenario(doc({net("\"rssi\": " + QByteArray::number(rssi))}), kSource, &error)
            ->scans.at(0)
            .networks;
    tick.heard.timeMs = 1714564800000;
    return tick;
}

} // namespace

class TestScenario : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    // One row per class of problem; each message names the place in the file.
    void rejectsBadInput_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        const auto bad = [](const char *name, const QByteArray &json, const QString &message) {
            QTest::newRow(name) << json << message;
        };
        // A one-network scenario with the network's fields changed.
        const auto badNet = [&](const char *name, const QByteArray &changes, const char *problem) {
            bad(name, doc({net(changes)}), kNet0 + problem);
        };
        const auto badRaw = [&](const char *name, const QByteArray &changes, const char *problem) {
            bad(name, doc({raw(changes)}), kNet0 + problem);
        };
        const QJsonArray one{net()};
        bad("empty file", " \n", "the file is empty");
        bad("syntax error line and column", "{\n  \"scans\": [\n    {,\n",
            "test.json: line 3, column 6: unterminated object");
        // Caps keep the memory a file can take to a few times its size.
        QByteArray scans = R"({"scans": [)";
        for (int i = 0; i < 100000; ++i)
            scans += R"({"error": true},)";
        bad("past 100000 scans", scans + R"({"error": true}]})",
            "test.json: scans[100000]: a scenario holds at most 100000 scans");
        bad("network of more than 64 KiB",
            doc({raw("\"ies\": \"" + QByteArray(65536, 'a') + "\"")}),
            kNet0 + ": is larger than 64 KiB");
        bad("scans missing", R"({"repeat": "last"})", "scans: missing");
        bad("no scans", R"({"scans": []})", "scans: must hold at least one scan");
        bad("joined absent", doc(one, R"("joined": "00:11:22:aa:bb:cf")"),
            "scans[0].joined: 00:11:22:aa:bb:cf is not among this scan's networks");
        bad("place deep in the file",
            R"({"scans": [{"networks": []}, {"networks": [{"bssid": "00:00:00:00:00:01", "rssi": -1,
            "channel": 1, "band": 1, "width": 1, "phy": [2], "security": [0]}, {"rssi": -200, "bssid": "00:00:00:00:00:02"}]}]})",
            "scans[1].networks[1].rssi: must be from -127 to 0, not -200");
        badNet("bssid not hex", R"("bssid": "00:11:22:aa:bb:cg")",
               ".bssid: must be six hex octets");
        badNet("ssid control character", R"("ssid": "a\nb")",
               ".ssid: contains a control character or direction override: \"a\\u000ab\"");
        badNet("ssid of 33 bytes", R"("ssid": "éééééééééééééééé!")",
               ".ssid: is longer than 32 bytes");
        badRaw("raw with explicit field", R"("ssid": "Lab")", ": unknown field \"ssid\"");
    }
    void rejectsBadInput() {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!readScenario(json, kSource, &error));
        QVERIFY2(error.startsWith(kSource + ": ") && error.contains(message) &&
                     !error.contains('\n'),
                 qPrintable(error));
    }

    // A directory, an absent file or a FIFO (opening it would wait for a writer) give an error
    // naming the path.
    void refusesWhatIsNotAFile() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo.json");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        for (const QString &path : {dir.path(), dir.filePath("absent.json"), fifo}) {
            QString error;
            QVERIFY(!readScenarioFile(path, &error));
            QVERIFY2(error.startsWith(path + ": ") && !error.contains('\n'), qPrintable(error));
        }
    }

    // Each network as "ssid bssid MHz channel dBm", and whether it is the joined one.
    void reads_data() {
        QTest::addColumn<QJsonArray>("networks");
        QTest::addColumn<QByteArray>("scan");
        QTest::addColumn<QString>("facts");
        const auto row = [](const char *name, const QJsonArray &networks, const char *facts,
                            const QByteArray &scan = {}) {
            QTest::newRow(name) << networks << scan << QString(facts);
        };
        row("2.4 GHz channel 14, bssid in mixed case",
            {net(R"("band": 1, "channel": 14, "bssid": "0A:1b:2C:3d:4E:5f")")},
            "Lab 0a:1b:2c:3d:4e:5f 2484 14 -60");
        // Escaped as the bytes ED A0 80 are when a radio sends them.
        row("ssid with a lone surrogate", {net(R"("ssid": "a\ud800b")")},
            "a\\xed\\xa0\\x80b 00:11:22:aa:bb:cc 5180 36 -60");
        row("joined in other case",
            {net(R"("phy": [2])"), net(R"("phy": [2], "bssid": "00:11:22:aa:bb:cd")")},
            "Lab 00:11:22:aa:bb:cc 5180 36 -60 | Lab 00:11:22:aa:bb:cd 5180 36 -60 joined",
            R"("joined": "00:11:22:AA:BB:CD")");
        // Raw networks: the facts come from the element parser (SSID "Lab", DS
        // Parameter Set channel 6, RSN), the file supplies the radio's view.
        const auto ies = [](int frequency, const QByteArray &hex) {
            return raw(QStringLiteral("\"frequency\": %1, \"ies\": \"%2\"")
                           .arg(frequency)
                           .arg(hex + "30140100000fac040100000fac040100000fac020000")
                           .toUtf8());
        };
        row("raw, frequency from DS", {ies(0, "00034c6162030106")},
            "Lab aa:bb:cc:dd:ee:ff 2437 6 -70");
    }
    void reads() {
        QFETCH(QJsonArray, networks);
        QFETCH(QByteArray, scan);
        QString error;
        const auto s = readScenario(doc(networks, scan), kSource, &error);
        QVERIFY2(s, qPrintable(error));
        QStringList facts;
        for (const ScanResult &r : s->scans.at(0).networks) {
            facts << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(r.ssid.isNull() ? "(hidden)" : r.ssid, r.bssid)
                         .arg(r.frequencyMhz)
                         .arg(r.channelNumber)
                         .arg(r.rssiValue);
            facts.last() += r.associated ? " joined" : "";
            QVERIFY(r.supportsSecurity(Security::WPA2Personal));
        }
        QTEST(facts.join(" | "), "facts");
    }

    // "last" keeps playing the last scan, "cycle" wraps; a failed scan still moves the
    // recording on and its joined network shows.
    void playbackOrder_data() {
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QString>("played");
        QTest::newRow("last keeps the last") << QString("last") << "0 -1 2 2 2";
        QTest::newRow("cycle wraps") << QString("cycle") << "0 -1 2 0 -1 2";
    }
    void playbackOrder() {
        QFETCH(QString, repeat);
        QFETCH(QString, played);
        auto iface = load(3, QString(R"("repeat": "%1", )").arg(repeat), {1});
        QVERIFY(iface);
        QCOMPARE(iface->bssid(), bssidOf(0)); // the first scan's state before any scan
        QStringList got;
        for (int i = 0; i < played.count(' ') + 1; ++i) {
            QString error;
            const int n = play(*iface, &error);
            QVERIFY(iface->bssid() == bssidOf(n < 0 ? 1 : n));
            QVERIFY2((n < 0) == error.contains("scans[1] of n.json"), qPrintable(error));
            got << QString::number(n);
        }
        QCOMPARE(got.join(' '), played);
        QCOMPARE(iface->scansPlayed(), got.size());
    }

    // The demo holds written-out and raw networks, a joined network, hidden
    // names and a radio that drops out long enough to age out: recording it
    // and playing the recording back gives every tick's CSV byte for byte.
    void replayGivesEveryTickAgain() {
        constexpr int ticks = 24;
        QString error;
        auto demo = SimulatedInterface::fromFile(SimulatedInterface::demoScenarioPath(), &error);
        QVERIFY2(demo, qPrintable(error));
        ScenarioRecorder recorder;
        const QString path = m_dir.filePath(QStringLiteral("session.jsonl"));
        QVERIFY2(recorder.open(path, demo->interfaceName(), &error), qPrintable(error));
        const QStringList live = csvPerTick(*demo, ticks, &recorder);
        QCOMPARE(recorder.scansWritten(), ticks);
        recorder.close();

        auto replay = SimulatedInterface::fromFile(path, &error);
        QVERIFY2(replay, qPrintable(error));
        QVERIFY(replay->loadWarning().isEmpty());
        QCOMPARE(replay->interfaceName(), demo->interfaceName());
        const QStringList played = csvPerTick(*replay, ticks);
        for (int i = 0; i < ticks; ++i)
            QVERIFY2(played.at(i) == live.at(i), qPrintable(QStringLiteral("tick %1").arg(i)));
    }

    // Played back: the interface's own view of the joined network (the
    // station's signal, the negotiated width) rather than its scan entry; a
    // BSSID listed twice written once, the first entry with the last signal,
    // since the reader refuses a repeat.
    void recordedLinkAndRepeatsPlayBack() {
        ScanResult cafe;
        cafe.bssid = QStringLiteral("02:00:00:00:00:01");
        cafe.rssiValue = -70;
        cafe.frequencyMhz = 2437;
        cafe.capability = 0x0411;
        cafe.ies = QByteArray::fromHex("000443616665010882848b960c121824030106");
        ScanResult again = cafe;
        again.rssiValue = -66;
        again.ies.clear();
        HeardScan heard{QList<ScanResult>{cafe, again},
                        JoinedLink{"Cafe", cafe.bssid, {6, 1, 2}, -41, 4, 1}, 1714564800123};
        const QByteArray text = ScenarioRecorder::headerLine(QStringLiteral("wlp2s0"), 0) +
                                ScenarioRecorder::scanLine(heard);
        QString error;
        auto iface = SimulatedInterface::fromJson(text, QStringLiteral("t.jsonl"), &error);
        QVERIFY2(iface, qPrintable(error));
        const auto played = iface->playNextScan(&error);
        QVERIFY(played && played->size() == 1);
        QVERIFY(played->at(0).ies == cafe.ies);
        QCOMPARE(QStringLiteral("%1 %2 w%3 phy%4 ")
                         .arg(played->at(0).rssiValue)
                         .arg(iface->rssiValue())
                         .arg(iface->wlanChannel().channelWidth)
                         .arg(iface->activePHYMode()) +
                     iface->interfaceName(),
                 "-66 -41 w2 phy4 wlp2s0");
    }

    // A hand-written network's centre channel and load come back as written.
    void handWrittenExtrasPlayBack() {
        QString error;
        const auto source = readScenario(
            doc({net(R"("centre": 42, "stations": 3, "utilisation": 200)")}), kSource, &error);
        QVERIFY2(source, qPrintable(error));
        auto replay = SimulatedInterface::fromJson(
            ScenarioRecorder::headerLine(QStringLiteral("wlan0"), 0) +
                ScenarioRecorder::scanLine({source->scans.at(0).networks, {}, 0}),
            "r.jsonl", &error);
        QVERIFY2(replay, qPrintable(error));
        const ScanResult back = replay->playNextScan(&error)->at(0);
        QCOMPARE(QList<int>({back.centreChannel, back.stationCount, back.channelUtilisation}),
                 QList<int>({42, 3, 200}));
    }

    void linesAreCheckedLikeScans_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem"); // empty: read, with `warning` kept
        QTest::addColumn<QString>("warning");
        const auto row = [](const char *name, const QByteArray &text, const char *problem,
                            const char *warning = "") {
            QTest::newRow(name) << text << QString(problem) << QString(warning);
        };
        const QByteArray header = q("{'repeat':'last'}\n");
        const QByteArray good = q("{'time':'2024-05-01T12:00:00.000Z','networks':[]}\n");
        // A crash mid-write leaves the last line cut: the whole scans before it still read.
        row("whole", header + good + good, "");
        row("last cut short", header + good + good + q("{'time':'2024-05-01T12:0"), "",
            "line 4 is cut short");
        row("last cut after a bracket",
            header + good + good + q("{'networks':[{'bssid':'02:00:00:00:00:01'}"), "",
            "line 4 is cut short");
        row("middle cut short", header + q("{'networks':[") + "\n" + good,
            "t.jsonl: line 2, column 14");
        row("last whole but wrong", header + good + q("{'networks':5}"),
            "t.jsonl: line 3.networks: must be an array");
        row("no whole scan", header + q("{'netw"), "a recording must hold at least");
        row("link without joined", header + q("{'networks':[],'link':{}}") + "\n",
            "line 2.link: needs a joined");
        // The reader walks the containers itself; spellings Qt's parser takes read alike.
        row("brackets and quotes in strings",
            q("{'description': ']}\\'[{', 'scans': [{'error': true}, {'error': true}]}"), "");
        row("repeated key counted the last time",
            q("{'scans': [{'error': true}], 'scans': [{'error': true}, {'error': true}]}"), "");
        row("scans in the header too", q("{'scans':[{'networks':[]}]}") + "\n" + good,
            "garbage at the end");
    }
    void linesAreCheckedLikeScans() {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QFETCH(QString, warning);
        QString error;
        const auto scenario = readScenario(text, QStringLiteral("t.jsonl"), &error);
        if (!problem.isEmpty()) {
            QVERIFY(!scenario);
            QVERIFY2(error.contains(problem), qPrintable(error));
            return;
        }
        QVERIFY2(scenario, qPrintable(error));
        QCOMPARE(scenario->scans.size(), 2);
        QVERIFY2(warning.isEmpty() ? scenario->truncationWarning.isEmpty()
                                   : scenario->truncationWarning.contains(warning),
                 qPrintable(scenario->truncationWarning));
    }

    // The window's recorder writes on its own thread; what it was handed
    // before stop() reaches the file, and a file it cannot write ends it.
    void recordsWhatItIsHandedWhileRecording() {
        const QString path = m_dir.filePath(QStringLiteral("s.jsonl"));
        {
            SessionRecorder recorder;
            recorder.recordTick(tickHearing(-90)); // before start: not recorded
            recorder.start(path, QStringLiteral("wlan0"));
            recorder.recordTick(tickHearing(-50));
            recorder.recordTick(tickHearing(-51));
            recorder.stop();
            recorder.recordTick(tickHearing(-91)); // after stop: not recorded
            QCOMPARE(recorder.ticksRecorded(), 2);
        } // the destructor lets the queued lines finish
        QString error;
        const auto scenario = readScenarioFile(path, &error);
        QVERIFY2(scenario, qPrintable(error));
        QCOMPARE(scenario->scans.size(), 2);
        QCOMPARE(scenario->scans.at(1).networks.at(0).rssiValue, -51);

        SessionRecorder failing;
        QSignalSpy failed(&failing, &SessionRecorder::recordingFailed);
        failing.start(QStringLiteral("/nonexistent/dir/s.jsonl"), QStringLiteral("wlan0"));
        QVERIFY(failed.wait(5000));
        QVERIFY(failed.at(0).at(0).toString().contains(QStringLiteral("/nonexistent/dir")));
        QVERIFY(!failing.isRecording());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestScenario)
#include "tst_sim.moc"
