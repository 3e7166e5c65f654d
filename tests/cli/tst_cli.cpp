#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

// airlume-cli run as a user runs it: arguments in, text and exit code out.
class TestCli : public QObject {
    Q_OBJECT

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static QString data(const char *file) {
        return qEnvironmentVariable("AIRLUME_TEST_DATA") + '/' + QLatin1String(file);
    }
    // Joined HomeNet, a hostile SSID, a hidden network; the second scan fails.
    static QString two() { return "--source=scenario:" + data("two-networks.json"); }

    static Run run(const QStringList &args) {
        QProcess process;
        process.start(QStringLiteral(AIRLUME_CLI), args);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // One access point announcing eight SSIDs on channel 1, three on channel
    // 11, all at -60 dBm; one 80 MHz network on 5 GHz channel 36.
    static QString eight() { return "--source=scenario:" + data("eight-ssids.json"); }

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Each format over the bundled networks: the joined one marked, the
    // hostile SSID quoted so it cannot run as a formula, the hidden one kept;
    // the record keeps dBm whatever the unit.
    void formats() {
        const QStringList csv = run({"scan", two(), "--format", "csv"}).out.split('\n');
        QCOMPARE(csv.size(), 5); // header, three records, and the empty piece after the last LF
        QVERIFY(csv[0].startsWith("Connected,SSID,Signal Level,") &&
                csv[1].startsWith("True,HomeNet,-48,802.11ac,80 MHz,"));
        QCOMPARE(csv[2], QStringLiteral("False,\"'=cmd|' /C calc'!A0, \"\"free\"\"\",-60,802.11n,"
                                        "20 MHz, WPA/WPA2 Personal  ,Unknown,02:11:22:33:44:55,6,"
                                        "2437,Access Point "));
        QVERIFY(csv[3].startsWith(QStringLiteral("False,(null),-80,802.11g,")));

        const Run json = run({"scan", two(), "--unit=Percent", "--format=json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QCOMPARE(array.size(), 3);
        const QJsonObject joined = array[0].toObject(), hidden = array[2].toObject();
        QVERIFY(joined["ssid"] == "HomeNet" && joined["connected"] == true);
        QCOMPARE(joined["rssi"].toInteger(), -48);
        QVERIFY(hidden["ssid"].isNull() && hidden["connected"] == false);

        const QStringList table = run({"scan", two()}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(table.size(), 4);
        QVERIFY(table[1].startsWith(QStringLiteral("*  HomeNet")));
        QVERIFY(table[3].contains(QStringLiteral("(hidden)")));

        // One line per listed network per tick; the second tick missed one.
        const QString fading = "--source=scenario:" + data("fading.json");
        const QStringList history =
            run({"scan", fading, "--ticks=3", "--format=history-csv"}).out.split('\n');
        QCOMPARE(history.size(), 8);
        QVERIFY2(history[4].endsWith(QStringLiteral(",02:00:00:00:01:00,Cafe,6,,False")),
                 qPrintable(history[4]));
    }

    void exitCodes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("usage"); // the synopsis follows the message
        const QString two = TestCli::two();
        QTest::newRow("no command") << QStringList{} << 2 << "" << true;
        QTest::newRow("unknown command") << QStringList{"probe"} << 2 << "unknown command" << true;
        QTest::newRow("unknown option")
            << QStringList{"scan", two, "--bogus"} << 2 << "Unknown option 'bogus'." << true;
        QTest::newRow("bad unit") << QStringList{"scan", two, "--unit=mW"} << 2 << "--unit"
                                  << false;
        for (const char *interval : {"nan", "1e999"})
            QTest::newRow(interval)
                << QStringList{"scan", two, "--interval", interval} << 2 << "--interval" << false;
        // A FIFO would block the open until a writer came.
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.json"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QTest::newRow("scenario is a FIFO") << QStringList{"scan", "--source=scenario:" + fifo} << 2
                                            << "not a regular file" << false;
        QTest::newRow("zero ticks")
            << QStringList{"scan", two, "--ticks=0"} << 2 << "--ticks" << false;
        QTest::newRow("missing scenario")
            << QStringList{"scan", "--source=scenario:/nonexistent/x.json"} << 2 << "x.json"
            << false;
        // The second recorded scan fails: the scan error is the exit status.
        QTest::newRow("scan fails") << QStringList{"scan", two, "--ticks=2"} << 1 << "" << false;
        QTest::newRow("channels: scan fails")
            << QStringList{"channels", two, "--ticks=2"} << 1 << "" << false;
        QTest::newRow("channels: csv")
            << QStringList{"channels", two, "--format=csv"} << 2 << "--format" << false;
        QTest::newRow("channels: stray argument")
            << QStringList{"channels", two, "now"} << 2 << "unexpected argument" << true;
        // record needs its source, a length and a file named; a list format is not for it.
        const QString src = "--source=scenario:" + data("fading.json");
        const QString out = "--out=" + m_dir.filePath(QStringLiteral("x.jsonl"));
        QTest::newRow("no source")
            << QStringList{"record", "--ticks=1", out} << 2 << "--source" << true;
        QTest::newRow("neither ticks nor duration")
            << QStringList{"record", src, out} << 2 << "either --ticks or --duration" << true;
        QTest::newRow("both") << QStringList{"record", src, "--ticks=1", "--duration=1m", out} << 2
                              << "either --ticks or --duration" << true;
        QTest::newRow("bad duration")
            << QStringList{"record", src, "--duration=10x", out} << 2 << "--duration" << true;
        QTest::newRow("no out") << QStringList{"record", src, "--ticks=1"} << 2 << "--out" << true;
        QTest::newRow("list format not for recording")
            << QStringList{"record", src, "--ticks=1", out, "--format=json"} << 2 << "--format"
            << true;
        QTest::newRow("unwritable out")
            << QStringList{"record", src, "--ticks=1", "--out=/nonexistent/dir/x.jsonl"} << 1
            << "cannot write" << false;
    }

    // Narrowest width first, best first within a width; the one radio with
    // eight SSIDs weighs a third of the three on channel 11.
    void channelsCountRadiosNotBssids() {
        const Run r = run({"channels", eight(), "--format=json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QHash<QString, double> score; // by "band channel/width"
        for (const QJsonValue &b : doc["bands"].toArray()) {
            std::pair<int, double> last{0, -1};
            for (const QJsonValue &c : b["channels"].toArray()) {
                const std::pair<int, double> now{c["width"].toInt(), c["score"].toDouble()};
                const QString key = QString("%1 %2/%3")
                                        .arg(b["band"].toString())
                                        .arg(c["channel"].toInt())
                                        .arg(now.first);
                QVERIFY2(now.first > last.first ||
                             (now.first == last.first && now.second >= last.second),
                         qPrintable(key));
                last = now;
                score.insert(key, now.second);
            }
        }
        QVERIFY(score.value("2.4 GHz 1/20") > 0);
        QCOMPARE(score.value("2.4 GHz 11/20"), 3 * score.value("2.4 GHz 1/20"));
        QStringList radios;
        for (const QJsonValue &radio : doc["radios"].toArray())
            radios << QString("%1 %2 x%3")
                          .arg(radio["channel"].toInt())
                          .arg(radio["signal"].toInt())
                          .arg(radio["bssids"].toArray().size());
        QCOMPARE(radios,
                 QStringList({"36 -55 x1", "1 -60 x8", "11 -60 x1", "11 -60 x1", "11 -60 x1"}));
    }

    // The table: the three best per band and width, then the radios.
    void channelsTable() {
        const Run r = run({"channels", eight()});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n');
        QCOMPARE(lines.filter(QRegularExpression("^(2.4|5|6) GHz +[0-9]+ MHz ")).size(), 10);
        const QStringList narrow = lines.filter(QRegularExpression("^2.4 GHz +20 MHz"));
        QCOMPARE(narrow.size(), 1);
        QCOMPARE(narrow[0].count(QRegularExpression("[0-9]+ \\([0-9.]+\\)")), 3);
        QCOMPARE(lines.filter("Office-0, Office-1").size(), 1);
    }

    void exitCodes() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(bool, usage);
        const Run r = run(args);
        QCOMPARE(r.exitCode, exitCode);
        const QString command =
            QStringList{"channels", "record"}.contains(args.value(0)) ? args.value(0) : "scan";
        const qsizetype synopsis = r.err.indexOf("usage: airlume-cli " + command);
        const qsizetype at = r.err.indexOf(message);
        QVERIFY2(at >= 0 && (!usage || message.isEmpty() || at < synopsis), qPrintable(r.err));
        QCOMPARE(synopsis >= 0, usage);
        QVERIFY(r.out.isEmpty()); // nothing half-printed that a script could take for a result
    }

    void helpPrintsTheSynopsis() {
        const Run scan = run({"scan", "--help"}), all = run({"--help"});
        const QString synopsis = QStringLiteral("usage: airlume-cli scan [--source");
        QVERIFY2(scan.exitCode == 0 && scan.out.startsWith(synopsis) && scan.err.isEmpty(),
                 qPrintable(scan.out + scan.err));
        QVERIFY2(all.exitCode == 0 && all.out.startsWith(synopsis) &&
                     all.out.contains("usage: airlume-cli channels [--source"),
                 qPrintable(all.out));
    }

    // The lines a recording session prints are the lines its replay prints,
    // byte for byte: csv tick by tick (what `scan --ticks k` prints for each k),
    // history-csv (recorded times included) as one session.
    void recordPrintsWhatTheReplayPrints_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("csv") << "csv";
        QTest::newRow("history-csv") << "history-csv";
    }
    void recordPrintsWhatTheReplayPrints() {
        QFETCH(QString, format);
        const bool csv = format == QLatin1String("csv");
        const int ticks = 14; // through the demo's drop-out of one access point
        const QString out = m_dir.filePath(format + QStringLiteral(".jsonl"));
        const Run rec =
            run({"record", "--source=scenario:" AIRLUME_DEMO, "--ticks=" + QString::number(ticks),
                 "--interval=0", "--out=" + out, "--format=" + format});
        QCOMPARE(rec.exitCode, 0);
        QString played;
        for (int k = csv ? 1 : ticks; k <= ticks; ++k) {
            const Run r = run({"scan", "--source=scenario:" + out, "--ticks=" + QString::number(k),
                               "--interval=0", "--format=" + format});
            QCOMPARE(r.exitCode, 0);
            played += r.out;
        }
        QCOMPARE(rec.out.count(csv ? QStringLiteral("Connected,SSID,") : QStringLiteral("Time,")),
                 csv ? ticks : 1);
        QCOMPARE(rec.out, played);
    }

    void autoFallsBackToDemo() {
        const Run r = run({"scan", "--ticks=3", "--format=json"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains(QStringLiteral("demo scenario")));
        const QJsonArray array = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QVERIFY(array.size() >= 10);
        QVERIFY(array[0].toObject()[QStringLiteral("connected")].toBool());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
