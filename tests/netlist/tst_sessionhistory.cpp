#include "netlist/SessionHistory.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

NetworkModelPtr record(int n, const QString &ssid, int rssi, int channel = 6) {
    return std::make_shared<NetworkModel>(
        makeNetwork(ssid, QString("aa:00:00:00:00:0%1").arg(n), rssi, channel));
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

    Preferences m_prefs{std::make_shared<MemoryPreferenceStore>()};

private Q_SLOTS:
    void initTestCase() { m_prefs.writeLaunchDefaults(); }

    // A network the scan missed is still listed until it ages out: its line
    // says so with an empty signal, and the joined network is marked. SSIDs
    // from the air are guarded against formulas; the file takes the unit.
    void missedNetworkKeepsItsLineWithoutSignal() {
        const NetworkModelPtr home = record(1, "Home", -50), hidden = record(3, {}, -90);
        const NetworkModelPtr evil = record(2, QStringLiteral("=1+1,\"x\""), -70, 11);
        SessionHistory history;
        history.addTick(tick(2, kStart, {home, evil, hidden}, {home, evil, hidden}, home));
        home->rssi = -52;
        history.addTick(tick(3, kStart + 5250, {home, evil}, {home}, home));
        QCOMPARE(history.csv(m_prefs),
                 QStringLiteral("Time,BSSID,SSID,Channel,Signal (dBm),Joined\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:01,Home,6,-50,True\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:02,\"'=1+1,\"\"x\"\"\",11,"
                                "-70,False\n"
                                "2024-05-01T12:00:00.000Z,aa:00:00:00:00:03,(null),6,-90,False\n"
                                "2024-05-01T12:00:05.250Z,aa:00:00:00:00:01,Home,6,-52,True\n"
                                "2024-05-01T12:00:05.250Z,aa:00:00:00:00:02,\"'=1+1,\"\"x\"\"\",11,"
                                ",False\n"));
        Preferences percent(std::make_shared<MemoryPreferenceStore>());
        percent.setValue(Preferences::displayUnitsKey, Preferences::percent);
        QTemporaryDir dir;
        QString error;
        QVERIFY2(history.writeCsv(dir.filePath("h.csv"), percent, &error), qPrintable(error));
        QFile file(dir.filePath("h.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly) &&
                file.readLine() == "Time,BSSID,SSID,Channel,Signal (%),Joined\n" &&
                file.readLine().endsWith(",Home,6,100,True\n"));
    }

    // Lines older than the age bound, or beyond the line bound, go first.
    void keepsTheNewestWithinBothBounds_data() {
        QTest::addColumn<qint64>("maxAgeMs");
        QTest::addColumn<int>("maxRows");
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("firstTime");
        // Ten ticks, a minute apart, two networks each.
        QTest::newRow("rows bind") << qint64(3'600'000) << 5 << 5 << "12:07:00";
        QTest::newRow("age binds") << qint64(180'000) << 100 << 8 << "12:06:00";
        QTest::newRow("exactly the age") << qint64(540'000) << 100 << 20 << "12:00:00";
    }
    void keepsTheNewestWithinBothBounds() {
        QFETCH(qint64, maxAgeMs);
        QFETCH(int, maxRows);
        QFETCH(int, kept);
        QFETCH(QString, firstTime);
        SessionHistory history(maxAgeMs, maxRows);
        const NetworkModelPtr a = record(1, "A", -50), b = record(2, "B", -60);
        for (int i = 0; i < 10; ++i)
            history.addTick(tick(i + 2, kStart + i * 60'000, {a, b}, {a, b}));
        QCOMPARE(history.rowCount(), kept);
        QCOMPARE(history.droppedRows(), 20 - kept);
        const QStringList lines = history.csv(m_prefs).split(QLatin1Char('\n'));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("2024-05-01T") + firstTime),
                 qPrintable(lines.at(1)));
        history.clear();
        QCOMPARE(history.csv(m_prefs), SessionHistory::header(m_prefs));
    }
};

QTEST_GUILESS_MAIN(TestSessionHistory)
#include "tst_sessionhistory.moc"
