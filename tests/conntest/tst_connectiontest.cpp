#include "ScriptedRunner.h"
#include "app/SharedInstanceClass.h"
#include "conntest/ConnectionTest.h"

#include <QSignalSpy>
#include <QTest>

namespace {

CommandResult reply(const QString &avg) {
    return {true,
            0,
            "PING 10.0.0.1 (10.0.0.1) 56(84) bytes of data.\n"
            "64 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=" +
                avg.toLatin1() +
                " ms\n\n"
                "--- 10.0.0.1 ping statistics ---\n"
                "1 packets transmitted, 1 received, 0% packet loss, time 0ms\n"
                "rtt min/avg/max/mdev = " +
                avg.toLatin1() + "/" + avg.toLatin1() + "/" + avg.toLatin1() + "/0.000 ms\n",
            {}};
}
const CommandResult lost{true,
                         1,
                         "PING 10.0.0.9 (10.0.0.9) 56(84) bytes of data.\n\n"
                         "--- 10.0.0.9 ping statistics ---\n"
                         "1 packets transmitted, 0 received, 100% packet loss, time 0ms\n\n",
                         {}};
const CommandResult unknownHost{true, 2, {}, "ping: nosuch.invalid: Name or service not known\n"};

QString kindName(PingProbe::Outcome::Kind kind) {
    static const char *names[] = {"Reply", "NoReply", "UnknownHost", "NoPing", "BadHost"};
    return names[kind];
}

} // namespace

class TestConnectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pingOutput_data();
    void pingOutput();
    void hostText();
    void verdicts_data();
    void verdicts();
    void runsRowsInTurnAndStopsTheTimer();
    void noNameServerMeansNoRows();
    void stoppingDropsEverything();
    void realPingToLoopback();
};

void TestConnectionTest::pingOutput_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QString>("expected"); // kind, average, address

    const CommandResult r = reply("12.345");
    QTest::newRow("iputils reply")
        << true << 0 << r.standardOutput << QByteArray() << "Reply 12.345 10.0.0.1";
    QTest::newRow("busybox reply")
        << true << 0
        << QByteArray("PING ::1 (::1): 56 data bytes\n64 bytes from ::1: seq=0 ttl=64 time=0.1 ms\n"
                      "round-trip min/avg/max = 0.100/0.100/0.100 ms\n")
        << QByteArray() << "Reply 0.100 ::1";
    QTest::newRow("loss") << true << 1 << lost.standardOutput << QByteArray()
                          << "NoReply  10.0.0.9";
    QTest::newRow("unknown host") << true << 2 << QByteArray() << unknownHost.standardError
                                  << "UnknownHost  ";
    QTest::newRow("unreachable network")
        << true << 2 << QByteArray("PING 10.0.0.9 (10.0.0.9) 56(84) bytes of data.\n")
        << QByteArray("ping: connect: Network is unreachable\n") << "NoReply  10.0.0.9";
    QTest::newRow("missing program") << false << -1 << QByteArray() << QByteArray() << "NoPing  ";
}

void TestConnectionTest::pingOutput() {
    QFETCH(bool, started);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QString, expected);
    const PingProbe::Outcome o = PingProbe::parse({started, exitCode, out, err});
    QCOMPARE(QStringList({kindName(o.kind), o.averageText, o.address}).join(' '), expected);
}

// Only plain host texts reach ping, and always after the fixed options.
void TestConnectionTest::hostText() {
    QStringList plain;
    for (const QString host :
         {"192.168.1.1", "fe80::1%wlan0", "www.example.org", "-f", "a b", "x;reboot", "", "--help"})
        plain << (PingProbe::isPlainHost(host) ? "y" : "n");
    QCOMPARE(plain.join(""), "yyynnnnn");
    QCOMPARE(PingProbe::arguments("10.0.0.1").join(' '), "-n -c 1 -W 2 10.0.0.1");

    auto *runner = new ScriptedRunner;
    PingProbe probe{std::unique_ptr<CommandRunner>(runner)};
    QSignalSpy finished(&probe, &PingProbe::finished);
    probe.ping("-oops");
    QVERIFY(finished.wait(1000));
    QCOMPARE(kindName(finished.first().first().value<PingProbe::Outcome>().kind), "BadHost");
    QVERIFY(runner->started.isEmpty());
}

void TestConnectionTest::verdicts_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("latency"); // null: none stored
    QTest::addColumn<bool>("settled");
    QTest::addColumn<int>("failure"); // -1: none
    QTest::addColumn<QString>("verdict");

    QTest::newRow("100.9 passes") << "h"
                                  << "100.9" << true << -1 << "Pass/green";
    QTest::newRow("101.0 warns") << "h"
                                 << "101.0" << false << -1 << "Warning: high latency/yellow";
    QTest::newRow("0.045 passes") << "h"
                                  << "0.045" << false << -1 << "Pass/green";
    QTest::newRow("no address") << "N/A" << QString() << true << -1
                                << "Failed :No IP available/red";
    QTest::newRow("still pinging") << "h" << QString() << false << 1 << "Processing/none";
    QTest::newRow("silent host") << "h" << QString() << true << 1 << "No reply/red";
    QTest::newRow("unknown name") << "h" << QString() << true << 2 << "Failed :Unknown host/red";
    QTest::newRow("no ping") << "h" << QString() << true << 3 << "Failed :No ping program/red";
}

void TestConnectionTest::verdicts() {
    QFETCH(QString, host);
    QFETCH(QString, latency);
    QFETCH(bool, settled);
    QFETCH(int, failure);
    QFETCH(QString, verdict);
    ConnectionTest::Row row;
    row.host = host;
    row.settled = settled;
    if (failure >= 0)
        row.failure = PingProbe::Outcome::Kind(failure);
    QHash<QString, QString> dict;
    if (!latency.isNull())
        dict.insert("h", latency);
    const ConnectionTest::Verdict v = ConnectionTest::verdictFor(row, dict);
    static const char *tones[] = {"none", "red", "green", "yellow"};
    QCOMPARE(v.text + "/" + tones[int(v.tone)], verdict);
    QCOMPARE(ConnectionTest::attemptText(5, 100.2), "Ping: 5 of 5, 101 msec latency");
    QCOMPARE(ConnectionTest::attemptText(2, 13.0), "Ping: 2 of 5, 13 msec latency");
}

// DNS server and gateway share an address (a home router), the reference
// host answers, its address never does; the address is looked up slowly.
void TestConnectionTest::runsRowsInTurnAndStopsTheTimer() {
    auto *runner = new ScriptedRunner;
    std::function<void(const QString &)> answerLookup;
    ConnectionTest test(std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(runner)),
                        [&](const QString &, QObject *, std::function<void(const QString &)> done) {
                            answerLookup = std::move(done);
                        });
    QStringList summaries;
    connect(&test, &ConnectionTest::rowChanged, this, [&](int row) {
        if (!test.rows().at(row).summary.isEmpty())
            summaries << QString::number(row) + ":" + test.rows().at(row).summary;
    });
    auto verdicts = [&] {
        QStringList out;
        for (const ConnectionTest::Row &row : test.rows())
            out << row.verdict.text;
        return out.join(", ");
    };

    QVERIFY(test.start({"192.168.1.1", "192.168.1.1", "www.example.org", true}));
    QVERIFY(test.isRefreshing());
    for (int i = 0; i < 5; ++i)
        runner->finish(reply(i == 4 ? "3.2" : "12.5"));
    test.reloadColumns();
    QCOMPARE(verdicts(), "Pass, Pass, Processing, Processing"); // shared host counts at once
    for (int i = 0; i < 5; ++i)
        runner->finish(reply("140.0"));
    runner->finish(unknownHost); // the name does not resolve now: one attempt is enough
    QCOMPARE(runner->started.size(), 11);
    QVERIFY(!runner->pending); // the last row waits for the address
    answerLookup("10.0.0.9");
    for (int i = 0; i < 5; ++i)
        runner->finish(lost);
    QVERIFY(!test.isProbing());
    QVERIFY(test.isRefreshing());
    test.reloadColumns();
    QVERIFY(!test.isRefreshing());
    QCOMPARE(verdicts(), "Warning: high latency, Warning: high latency, Failed :Unknown host, "
                         "No reply");
    QCOMPARE(test.latencyDict().keys(), QStringList{"192.168.1.1"});
    QCOMPARE(runner->started.at(0), "ping -n -c 1 -W 2 192.168.1.1");
    QCOMPARE(runner->started.at(10), "ping -n -c 1 -W 2 www.example.org");
    QCOMPARE(runner->started.last(), "ping -n -c 1 -W 2 10.0.0.9");
    QCOMPARE(summaries.mid(0, 3),
             QStringList({"0:Ping: 1 of 5", "0:Ping: 1 of 5, 13 msec latency", "0:Ping: 2 of 5"}));
    QVERIFY(summaries.contains("0:Ping: 5 of 5, 4 msec latency"));
    QVERIFY(summaries.contains("1:Ping: 5 of 5, 140 msec latency"));
    QVERIFY(summaries.contains("2:Unknown host"));
    QCOMPARE(test.rows().at(3).summary, "Ping: 5 of 5, no reply");

    // The reference host answering shows the address it was looked up at.
    test.start({"192.168.1.1", "", "www.example.org", true});
    answerLookup("10.0.0.1");
    for (int i = 0; i < 5; ++i)
        runner->finish(reply("9.0"));
    QCOMPARE(test.rows().at(1).summary, "N/A"); // no gateway: nothing to ping
    for (int i = 0; i < 5; ++i)
        runner->finish(i < 4 ? lost : reply("20.1"));
    QCOMPARE(test.rows().at(2).summary, "IP address: 10.0.0.1");
    QCOMPARE(test.latencyDict().value("www.example.org"), "20.1");
}

void TestConnectionTest::noNameServerMeansNoRows() {
    auto *runner = new ScriptedRunner;
    ConnectionTest test(std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(runner)),
                        [](auto &&...) {});
    QVERIFY(!test.start({"0.0.0.0", "192.168.1.1", "www.example.org", false}));
    QVERIFY(test.rows().isEmpty());
    QVERIFY(!test.isRefreshing());
    QVERIFY(runner->started.isEmpty());
}

void TestConnectionTest::stoppingDropsEverything() {
    auto *runner = new ScriptedRunner;
    std::function<void(const QString &)> answerLookup;
    ConnectionTest test(std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(runner)),
                        [&](auto &&, auto &&, std::function<void(const QString &)> done) {
                            answerLookup = std::move(done);
                        });
    test.start({"192.168.1.1", "192.168.1.254", "www.example.org", true});
    runner->finish(reply("5.0"));
    test.stop();
    QCOMPARE(runner->cancels, 1);
    answerLookup("10.0.0.1"); // late answer of the closed run
    QVERIFY(test.rows().isEmpty());
    QVERIFY(test.latencyDict().isEmpty());
    QVERIFY(!test.isRefreshing());
    QCOMPARE(runner->started.size(), 2);
}

// The one test that runs the real ping, to loopback only.
void TestConnectionTest::realPingToLoopback() {
    PingProbe probe;
    QSignalSpy finished(&probe, &PingProbe::finished);
    probe.ping("127.0.0.1");
    QVERIFY(finished.wait(10000));
    const auto outcome = finished.first().first().value<PingProbe::Outcome>();
    QCOMPARE(kindName(outcome.kind), "Reply");
    QVERIFY(outcome.averageMs >= 0 && outcome.averageMs < 1000);
    QCOMPARE(outcome.address, "127.0.0.1");
}

QTEST_GUILESS_MAIN(TestConnectionTest)
#include "tst_connectiontest.moc"
