#include "netlist/CsvExport.h"
#include "netlist/CsvFile.h"
#include "netlist/HistoryExport.h"
#include "netlist/SessionHistory.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

NetworkModelPtr record(const QString &ssid, const QString &bssid = "aa:bb:cc:dd:ee:ff",
                       int rssi = -48) {
    ScanResult r = makeNetwork(ssid, bssid, rssi, 36, Band::Ghz5, ChannelWidth::Mhz80);
    r.phyModes.set(PhyMode::A).set(PhyMode::N).set(PhyMode::AC);
    r.securityModes.set(Security::WPA2Personal);
    return std::make_shared<NetworkModel>(r);
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

NetworkModelPtr heard(int n, const QString &ssid, int rssi, int channel = 6) {
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

class TestCsvExport : public QObject {
    Q_OBJECT

    Preferences m_prefs{std::make_shared<MemoryPreferenceStore>()};

private Q_SLOTS:
    void initTestCase() { m_prefs.writeLaunchDefaults(); }

    // The columns in the chosen unit, SSID and vendor guarded against formulas;
    // a hidden SSID or absent BSSID is "(null)";
    // format characters are not expanded. Connected means that very object, not
    // an equal record; the document blanks vendor commas, in the record too, and
    // keeps UTF-8 SSIDs whole.
    void document() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        prefs.writeLaunchDefaults();
        const NetworkModelPtr one = record("=1,x"), two = record(QString(), QString(), -60);
        one->vendor = "@Evil";
        QCOMPARE(CsvExport::document({one, two}, record("=1,x"), prefs).section('\n', 1),
                 "False,\"'=1,x\",-48,802.11ac,80 MHz, WPA2 Personal ,'@Evil,aa:bb:cc:dd:ee:ff,36,"
                 "5180,Access Point \nFalse,(null),-60,802.11ac,80 MHz, WPA2 Personal ,Unknown,"
                 "(null),36,5180,Access Point \n");
        prefs.setValue(Preferences::displayUnitsKey, Preferences::percent);
        const NetworkModelPtr r = record(QString::fromUtf8("%1 Caf\xc3\xa9 \xe2\x98\x95"));
        r->vendor = QStringLiteral("Acme, Inc.,Ltd");
        QCOMPARE(CsvExport::document({r}, r, prefs).section('\n', 1, 1).section(',', 0, 6),
                 QString::fromUtf8("True,%1 Caf\xc3\xa9 \xe2\x98\x95,100,802.11ac,80 MHz, WPA2 "
                                   "Personal ,Acme  Inc. Ltd"));
        QCOMPARE(r->vendor, "Acme  Inc. Ltd");
    }

    // Quoting (RFC 4180) and the guard against spreadsheet formulas, one row
    // per branch.
    void field() {
        const char *rows[][3] = {
            {"HomeNet", "y", "HomeNet"},
            {"a,b", "", "\"a,b\""},
            {"say \"hi\"", "", "\"say \"\"hi\"\"\""},
            {"a\nb", "", "\"a\nb\""},
            {"=1+1", "y", "'=1+1"},
            {"=1+1", "", "=1+1"},
            {" =1", "y", " =1"},
            {"=HYPERLINK(\"x\",\"y\")", "y", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        };
        for (const auto &[text, guard, cell] : rows)
            QCOMPARE(QString(text) + " => " + CsvExport::field(text, *guard),
                     QString(text) + " => " + cell);
    }

    // UTF-8 without a byte-order mark, replacing a longer file whole. Each
    // failure names the path and a reason, leaves the old file as it was and no
    // temporary file beside it. A full disk shows as a short write; a file size
    // limit (SIGXFSZ ignored) stands in for it.
    void writeOrKeepTheOldFile() {
        const QByteArray old = "Connected,SSID\nTrue,Old \n";
        for (const QString target : {"new.csv", "missing/networks.csv", "folder.csv", "old.csv"}) {
            const bool full = target == "old.csv";
            QTemporaryDir dir;
            const QString path = dir.filePath(target);
            QVERIFY(writeBytes(dir.filePath("old.csv"), old) &&
                    writeBytes(dir.filePath("new.csv"), QByteArray(100, 'o')) &&
                    QDir(dir.path()).mkdir("folder.csv"));
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit limit = saved;
            limit.rlim_cur = full ? 32 : saved.rlim_cur;
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &limit);
            QString error;
            const QString text =
                QString::fromUtf8("Connected,SSID\nTrue,Caf\xc3\xa9 \xe2\x98\x95 ") +
                QString(40, 'x');
            const bool written = writeCsvFile(path, text, &error);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
            const QString named =
                QString("Could not save \"%1\": ").arg(QDir::toNativeSeparators(path));
            QCOMPARE(target + ": " + contents(dir.filePath("old.csv")), target + ": " + old);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"new.csv", "old.csv"}));
            if (target == "new.csv")
                QVERIFY(written && error.isEmpty() && contents(path) == text.toUtf8());
            else
                QVERIFY2(!written && error.startsWith(named) && error.size() > named.size() + 1,
                         qPrintable(target + ": " + error));
        }
    }

    // A network the scan missed is still listed until it ages out: its line
    // says so with an empty signal, and the joined network is marked. SSIDs
    // from the air are guarded against formulas; the file takes the unit.
    void missedNetworkKeepsItsLineWithoutSignal() {
        const NetworkModelPtr home = heard(1, "Home", -50), hidden = heard(3, {}, -90);
        const NetworkModelPtr evil = heard(2, QStringLiteral("=1+1,\"x\""), -70, 11);
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
        QVERIFY(
            contents(dir.filePath("h.csv"))
                .startsWith("Time,BSSID,SSID,Channel,Signal (%),Joined\n2024-05-01T12:00:00.000Z,"
                            "aa:00:00:00:00:01,Home,6,100,True\n"));
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
        const NetworkModelPtr a = heard(1, "A", -50), b = heard(2, "B", -60);
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

    // The export writes, on a worker, the lines as they were when it started,
    // across blocks and chunks and after the oldest lines went; a second
    // export is refused meanwhile; the history goes on (and is even cleared)
    // without touching what the export writes.
    void exportWritesTheSnapshotOnAWorker() {
        const int networks = 100, ticks = 450, maxRows = 40'000;
        SessionHistory history(SessionHistory::defaultMaxAgeMs, maxRows);
        NetworkList listed;
        for (int n = 0; n < networks; ++n)
            listed.append(std::make_shared<NetworkModel>(
                makeNetwork(QStringLiteral("N%1").arg(n),
                            QStringLiteral("aa:00:00:00:%1:%2")
                                .arg(n / 10, 2, 10, QLatin1Char('0'))
                                .arg(n % 10, 2, 10, QLatin1Char('0')),
                            -30 - n % 60, 6)));
        QString expected = SessionHistory::header(m_prefs);
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
        const HistorySnapshot snapshot = history.snapshot(m_prefs);
        QVERIFY(exporter.start(snapshot, path));
        QVERIFY(!exporter.start(snapshot, dir.filePath(QStringLiteral("second.csv"))));
        history.addTick(tick(ticks + 2, kStart + ticks * 1000, listed, {}));
        QCOMPARE(snapshot.csv(), expected);
        history.clear();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.constFirst(), QVariantList({path, QString()}));
        QCOMPARE(contents(path), expected.toUtf8());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("second.csv"))));

        // A file that cannot be written is reported, and the next export may start.
        QVERIFY(exporter.start(snapshot, dir.filePath(QStringLiteral("no/such/dir.csv"))));
        QVERIFY(finished.wait(60000));
        QVERIFY2(finished.constLast().at(1).toString().contains(QStringLiteral("Could not save")),
                 qPrintable(finished.constLast().at(1).toString()));
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
