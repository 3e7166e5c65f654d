#include "netlist/CsvExport.h"
#include "scan/ScanCycle.h"
#include "scan/sim/ScenarioReader.h"
#include "scan/sim/ScenarioRecorder.h"
#include "scan/sim/SessionRecorder.h"
#include "scan/sim/SimulatedInterface.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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
    ScanResult r;
    r.bssid = QStringLiteral("02:00:00:00:00:01");
    r.rssiValue = rssi;
    r.frequencyMhz = 2437;
    r.capability = 0x0401;
    r.ies = QByteArray::fromHex("000443616665");
    ScanTick tick;
    tick.heard.networks = QList<ScanResult>{r};
    tick.heard.timeMs = 1714564800000;
    return tick;
}

} // namespace

class TestSimRecorder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

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
        QCOMPARE(played->at(0).rssiValue, -66);
        QCOMPARE(played->at(0).ies, cafe.ies);
        QCOMPARE(iface->rssiValue(), -41);
        QCOMPARE(iface->wlanChannel().channelWidth, 2);
        QCOMPARE(iface->activePHYMode(), 4);
        QCOMPARE(iface->interfaceName(), QStringLiteral("wlp2s0"));
    }

    // A hand-written network's centre channel and load come back as written.
    void handWrittenExtrasPlayBack() {
        const QByteArray scenario = q("{'scans': [{'networks': [{'ssid': 'Lab', 'bssid': "
                                      "'02:00:00:00:00:01', 'rssi': -60, 'channel': 6, 'band': 1, "
                                      "'width': 2, 'phy': [4], 'security': [4], 'centre': 4, "
                                      "'stations': 3, 'utilisation': 200}]}]}");
        QString error;
        auto source = SimulatedInterface::fromJson(scenario, QStringLiteral("s.json"), &error);
        QVERIFY2(source, qPrintable(error));
        const auto heard = source->playNextScan(&error);
        QVERIFY(heard);
        const QByteArray line = ScenarioRecorder::scanLine({*heard, {}, 0});
        auto replay = SimulatedInterface::fromJson(
            ScenarioRecorder::headerLine(QStringLiteral("wlan0"), 0) + line, "r.jsonl", &error);
        QVERIFY2(replay, qPrintable(error));
        const ScanResult back = replay->playNextScan(&error)->at(0);
        QCOMPARE(QList<int>({back.centreChannel, back.stationCount, back.channelUtilisation}),
                 QList<int>({4, 3, 200}));
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
        row("garbage after a scan", header + q("{'networks':[]} x") + "\n" + good,
            "t.jsonl: line 2, column 17");
        row("no whole scan", header + q("{'netw"), "a recording must hold at least");
        row("link without joined", header + q("{'networks':[],'link':{}}") + "\n",
            "line 2.link: needs a joined");
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

QTEST_GUILESS_MAIN(TestSimRecorder)
#include "tst_sim_recorder.moc"
