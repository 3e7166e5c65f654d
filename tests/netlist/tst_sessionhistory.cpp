#include "netlist/HistoryExport.h"
#include "netlist/SessionHistory.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

NetworkModelPtr record(const QString &bssid, const QString &ssid, int rssi, int channel = 6) {
    ScanResult r;
    r.bssid = bssid;
    r.ssid = ssid;
    r.rssiValue = rssi;
    r.channelNumber = channel;
    r.channelBand = 1;
    return std::make_shared<NetworkModel>(r);
}

// A tick at `timeMs` listing the records; those in `heard` were heard by it.
ScanTick tick(qint64 counter, qint64 timeMs, const NetworkList &listed, const NetworkList &heard,
              const NetworkModelPtr &joined = {}) {
    for (const NetworkModelPtr &r : heard)
        r->availableCount = counter;
    ScanTick t;
    t.counter = counter;
    t.displayList = listed;
    t.joined = joined;
    t.heard.timeMs = timeMs;
    return t;
}

constexpr qint64 kStart = 1714564800000; // 2024-05-01T12:00:00Z

} // namespace

class TestSessionHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        m_prefs->writeLaunchDefaults();
    }

    // A network the scan missed is still listed until it ages out: its line
    // says so with an empty signal, and the joined network is marked.
    void missedNetworkKeepsItsLineWithoutSignal() {
        const NetworkModelPtr home = record(QStringLiteral("aa:00:00:00:00:01"), "Home", -50);
        const NetworkModelPtr evil =
            record(QStringLiteral("aa:00:00:00:00:02"), QStringLiteral("=1+1,\"x\""), -70, 11);
        const NetworkModelPtr hidden = record(QStringLiteral("aa:00:00:00:00:03"), {}, -90);
        SessionHistory history;
        history.addTick(tick(2, kStart, {home, evil, hidden}, {home, evil, hidden}, home));
        home->rssi = -52;
        history.addTick(tick(3, kStart + 5250, {home, evil}, {home}, home));
        QCOMPARE(history.csv(*m_prefs),
                 QStringLiteral("Time,BSSID,SSID,Channel,Signal (dBm),Joined\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:01,Home,6,-50,True\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:02,\"'=1+1,\"\"x\"\"\",11,"
                                "-70,False\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:03,(null),6,-90,False\n"
                                "2024-05-01T12:00:05.250Z,aa:00:00:00:00:01,Home,6,-52,True\n"
                                "2024-05-01T12:00:05.250Z,aa:00:00:00:00:02,\"'=1+1,\"\"x\"\"\",11,"
                                ",False\n"));
        m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.csv"));
        QString error;
        QVERIFY2(history.writeCsv(path, *m_prefs, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(
            file.readAll().startsWith("Time,BSSID,SSID,Channel,Signal (%),Joined\n"
                                      "2024-05-01T12:00:00.000Z,aa:00:00:00:00:01,Home,6,100,"));
    }

    // Lines older than the age bound, or beyond the line bound, go first.
    void keepsTheNewestWithinBothBounds_data() {
        QTest::addColumn<qint64>("maxAgeMs");
        QTest::addColumn<int>("maxRows");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("firstTime");
        // Ten ticks, a minute apart, two networks each.
        QTest::newRow("within both") << qint64(3'600'000) << 100 << 20 << "12:00:00";
        QTest::newRow("rows bind") << qint64(3'600'000) << 5 << 5 << "12:07:00";
        QTest::newRow("age binds") << qint64(180'000) << 100 << 8 << "12:06:00";
        QTest::newRow("exactly the age") << qint64(540'000) << 100 << 20 << "12:00:00";
        QTest::newRow("the day") << SessionHistory::defaultMaxAgeMs << 2'000'000 << 20
                                 << "12:00:00";
    }
    void keepsTheNewestWithinBothBounds() {
        QFETCH(qint64, maxAgeMs);
        QFETCH(int, maxRows);
        QFETCH(int, kept);
        QFETCH(QString, firstTime);
        SessionHistory history(maxAgeMs, maxRows);
        const NetworkModelPtr a = record(QStringLiteral("aa:00:00:00:00:01"), "A", -50);
        const NetworkModelPtr b = record(QStringLiteral("aa:00:00:00:00:02"), "B", -60);
        for (int i = 0; i < 10; ++i)
            history.addTick(tick(i + 2, kStart + i * 60'000, {a, b}, {a, b}));
        QCOMPARE(history.rowCount(), kept);
        QCOMPARE(history.droppedRows(), 20 - kept);
        const QStringList lines = history.csv(*m_prefs).split(QLatin1Char('\n'));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("2024-05-01T") + firstTime),
                 qPrintable(lines.at(1)));
        history.clear();
        QCOMPARE(history.csv(*m_prefs), SessionHistory::header(*m_prefs));
    }

    // The export writes, on a worker, the lines as they were when it started,
    // across blocks and chunks and after the oldest lines went; a second
    // export is refused meanwhile; the history goes on (and is even cleared)
    // without touching what the export writes.
    void exportWritesTheSnapshotOnAWorker() {
        const int networks = 100, ticks = 450, maxRows = 40'000;
        SessionHistory history(SessionHistory::defaultMaxAgeMs, maxRows);
        NetworkList listed;
        for (int n = 0; n < networks; ++n)
            listed.append(record(QStringLiteral("aa:00:00:00:%1:%2")
                                     .arg(n / 10, 2, 10, QLatin1Char('0'))
                                     .arg(n % 10, 2, 10, QLatin1Char('0')),
                                 QStringLiteral("N%1").arg(n), -30 - n % 60));
        QString expected = SessionHistory::header(*m_prefs);
        for (int t = 0; t < ticks; ++t) {
            history.addTick(tick(t + 2, kStart + t * 1000, listed, listed, listed[0]));
            if (t < ticks - maxRows / networks)
                continue; // dropped by the line bound
            const QString time = QDateTime::fromMSecsSinceEpoch(kStart + t * 1000, Qt::UTC)
                                     .toString(Qt::ISODateWithMs);
            for (int n = 0; n < networks; ++n)
                expected += QStringLiteral("%1,%2,N%3,6,%4,%5\n")
                                .arg(time, listed[n]->bssid)
                                .arg(n)
                                .arg(-30 - n % 60)
                                .arg(n == 0 ? "True" : "False");
        }
        QCOMPARE(history.rowCount(), maxRows);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.csv"));
        HistoryExport exporter;
        QSignalSpy finished(&exporter, &HistoryExport::finished);
        const HistorySnapshot snapshot = history.snapshot(*m_prefs);
        QVERIFY(exporter.start(snapshot, path));
        QVERIFY(!exporter.start(snapshot, dir.filePath(QStringLiteral("second.csv"))));
        history.addTick(tick(ticks + 2, kStart + ticks * 1000, listed, {}));
        QCOMPARE(snapshot.csv(), expected);
        history.clear();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.constFirst(), QVariantList({path, QString()}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected.toUtf8());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("second.csv"))));

        // A file that cannot be written is reported, and the next export may start.
        QVERIFY(exporter.start(snapshot, dir.filePath(QStringLiteral("no/such/dir.csv"))));
        QVERIFY(finished.wait(60000));
        QVERIFY2(finished.constLast().at(1).toString().contains(QStringLiteral("Could not save")),
                 qPrintable(finished.constLast().at(1).toString()));
    }

private:
    std::unique_ptr<Preferences> m_prefs;
};

QTEST_GUILESS_MAIN(TestSessionHistory)
#include "tst_sessionhistory.moc"
