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

    // The bundled three-network scenario: joined HomeNet, a hostile SSID, a hidden network.
    static QString two() {
        return "--source=scenario:" + qEnvironmentVariable("AIRLUME_TEST_DATA") +
               "/two-networks.json";
    }

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
    static QString eight() {
        return "--source=scenario:" + qEnvironmentVariable("AIRLUME_TEST_DATA") +
               "/eight-ssids.json";
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void csvMatchesExportFormat() {
        const Run r = run({"scan", two(), "--format", "csv"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5); // header, three records, and the empty piece after the last LF
        QCOMPARE(lines[0], QStringLiteral("Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,"
                                          "Vendor,BSSID,Channel,Frequency,Network Type "));
        QCOMPARE(lines[1],
                 QStringLiteral("True,HomeNet,-48,802.11ac,80 MHz, WPA2 Personal ,Unknown,"
                                "aa:bb:cc:00:00:01,36,5180,Access Point "));
        // The hostile SSID is quoted and cannot run as a formula.
        QCOMPARE(lines[2], QStringLiteral("False,\"'=cmd|' /C calc'!A0, \"\"free\"\"\",-60,802.11n,"
                                          "20 MHz, WPA/WPA2 Personal  ,Unknown,02:11:22:33:44:55,6,"
                                          "2437,Access Point "));
        QVERIFY(lines[3].startsWith(QStringLiteral("False,(null),-80,802.11g,")));
    }

    void percentUnitAndJson() {
        const Run r = run({"scan", two(), "--unit=Percent", "--format=json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray array = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(array.size(), 3);
        const QJsonObject joined = array[0].toObject(), hidden = array[2].toObject();
        QVERIFY(joined["ssid"] == "HomeNet" && joined["connected"] == true);
        QCOMPARE(joined["rssi"].toInteger(), -48); // the record keeps dBm
        QVERIFY(hidden["ssid"].isNull() && hidden["connected"] == false);
    }

    void tableMarksJoinedAndHidesNothing() {
        const Run r = run({"scan", two()});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].startsWith(QStringLiteral("*  HomeNet")));
        QVERIFY(lines[3].contains(QStringLiteral("(hidden)")));
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
        QTest::newRow("bad source")
            << QStringList{"scan", "--source=usb"} << 2 << "unknown source" << false;
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
        QTest::newRow("channels: bad interval")
            << QStringList{"channels", two, "--interval=-1"} << 2 << "--interval" << false;
    }

    void channelsCountRadiosNotBssids() {
        const Run r = run({"channels", eight(), "--format=json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QStringList widthSets;
        QHash<QString, double> score; // by "band channel/width"
        for (const QJsonValue &b : doc["bands"].toArray()) {
            const QString band = b["band"].toString();
            QStringList widths;
            int lastWidth = 0;
            double lastScore = -1;
            for (const QJsonValue &c : b["channels"].toArray()) {
                QVERIFY(c["channel"].isDouble() && c["width"].isDouble() && c["score"].isDouble());
                const int width = c["width"].toInt();
                const double s = c["score"].toDouble();
                // Narrowest width first, best first within a width.
                QVERIFY2(
                    width > lastWidth || (width == lastWidth && s >= lastScore),
                    qPrintable(QString("%1 %2/%3").arg(band).arg(c["channel"].toInt()).arg(width)));
                if (width != lastWidth)
                    widths << QString::number(width);
                lastWidth = width;
                lastScore = s;
                score.insert(QString("%1 %2/%3").arg(band).arg(c["channel"].toInt()).arg(width), s);
            }
            widthSets << band + ": " + widths.join(' ');
        }
        QCOMPARE(widthSets,
                 QStringList({"2.4 GHz: 20 40", "5 GHz: 20 40 80 160", "6 GHz: 20 40 80 160"}));
        // The one radio weighs a third of the three, though it shows more BSSIDs.
        QVERIFY(score.value("2.4 GHz 1/20") > 0);
        QCOMPARE(score.value("2.4 GHz 11/20"), 3 * score.value("2.4 GHz 1/20"));
        QVERIFY(score.value("5 GHz 36/80") > 0 && score.contains("5 GHz 52/80"));
        QCOMPARE(score.value("5 GHz 52/80"), 0.0);

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
        const QString command = args.value(0) == "channels" ? "channels" : "scan";
        const qsizetype synopsis = r.err.indexOf("usage: airlume-cli " + command);
        const qsizetype at = r.err.indexOf(message);
        QVERIFY2(at >= 0 && (!usage || message.isEmpty() || at < synopsis), qPrintable(r.err));
        QCOMPARE(synopsis >= 0, usage);
        QVERIFY(r.out.isEmpty()); // nothing half-printed that a script could take for a result
    }

    void helpPrintsTheSynopsis() {
        for (const QStringList &args : {QStringList{"scan", "--help"}, QStringList{"--help"}}) {
            const Run r = run(args);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.startsWith(QStringLiteral("usage: airlume-cli scan [--source")),
                     qPrintable(r.out));
            QVERIFY(r.err.isEmpty());
        }
        const Run all = run({"--help"});
        QVERIFY2(all.out.contains("usage: airlume-cli channels [--source"), qPrintable(all.out));
    }

    // A recording plays back as the session ran: the same history and list.
    void recordingReplaysTheSession() {
        const QString fading = QStringLiteral("--source=scenario:") +
                               qEnvironmentVariable("AIRLUME_TEST_DATA") +
                               QStringLiteral("/fading.json");
        const QString out = m_dir.filePath(QStringLiteral("rec.jsonl"));
        const Run rec = run({"record", fading, "--ticks=3", "--interval=0", "--out=" + out});
        QCOMPARE(rec.exitCode, 0);
        QVERIFY2(rec.err.contains(QStringLiteral("recorded 3 scans")), qPrintable(rec.err));

        const auto withoutTimes = [](const QString &csv) {
            QStringList lines = csv.split(QLatin1Char('\n'));
            for (QString &line : lines)
                line = line.section(QLatin1Char(','), 1);
            return lines;
        };
        for (const char *format : {"--format=csv", "--format=history-csv"}) {
            const Run live = run({"scan", fading, "--ticks=3", format});
            const Run played = run({"scan", "--source=scenario:" + out, "--ticks=3", format});
            QCOMPARE(played.exitCode, 0);
            QCOMPARE(withoutTimes(played.out), withoutTimes(live.out));
        }
        // One line per listed network per tick; the second tick missed one.
        const Run history = run({"scan", fading, "--ticks=3", "--format=history-csv"});
        const QStringList lines = history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], QStringLiteral("Time,BSSID,SSID,Channel,Signal (dBm),Joined"));
        QVERIFY2(lines[4].endsWith(QStringLiteral(",02:00:00:00:01:00,Cafe,6,,False")),
                 qPrintable(lines[4]));
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

    void recordRefusesBadArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString src = "--source=scenario:" + qEnvironmentVariable("AIRLUME_TEST_DATA") +
                            QStringLiteral("/fading.json");
        const QString out = "--out=" + m_dir.filePath(QStringLiteral("x.jsonl"));
        QTest::newRow("no source") << QStringList{"record", "--ticks=1", out} << 2 << "--source";
        QTest::newRow("neither ticks nor duration")
            << QStringList{"record", src, out} << 2 << "either --ticks or --duration";
        QTest::newRow("both") << QStringList{"record", src, "--ticks=1", "--duration=1m", out} << 2
                              << "either --ticks or --duration";
        QTest::newRow("bad duration")
            << QStringList{"record", src, "--duration=10x", out} << 2 << "--duration";
        QTest::newRow("no out") << QStringList{"record", src, "--ticks=1"} << 2 << "--out";
        QTest::newRow("list format not for recording")
            << QStringList{"record", src, "--ticks=1", out, "--format=json"} << 2 << "--format";
        QTest::newRow("unwritable out")
            << QStringList{"record", src, "--ticks=1", "--out=/nonexistent/dir/x.jsonl"} << 1
            << "cannot write";
    }
    void recordRefusesBadArguments() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run r = run(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.err.contains(QStringLiteral("usage: airlume-cli record")), exitCode == 2);
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
