#include "scan/sim/ScenarioReader.h"
#include "scan/sim/SessionRecorder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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

// The window's recorder writes on its own thread; what it was handed before
// stop() reaches the file, and a file it cannot write ends the recording.
class TestSimSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordsWhatItIsHandedWhileRecording() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.jsonl"));
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
};

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_sim_session.moc"
