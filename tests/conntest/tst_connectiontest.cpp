#include "ScriptedRunner.h"
#include "conntest/ConnectionTest.h"

#include <QSignalSpy>
#include <QTest>

namespace {

CommandResult reply(const QByteArray &avg) {
    return {true,
            0,
            "PING 10.0.0.1 (10.0.0.1) 56(84) bytes of data.\n"
            "1 packets transmitted, 1 received, 0% packet loss, time 0ms\n"
            "rtt min/avg/max/mdev = 1.0/" +
                avg + "/2.0/0.000 ms\n",
            {}};
}
const CommandResult lost{true,
                         1,
                         "PING 10.0.0.9 (10.0.0.9) 56(84) bytes of data.\n\n"
                         "1 packets transmitted, 0 received, 100% packet loss, time 0ms\n",
                         {}};
const CommandResult unknownHost{true, 2, {}, "ping: nosuch.invalid: Name or service not known\n"};

const char *const kindNames[] = {"Reply", "NoReply", "UnknownHost", "NoPing", "BadHost"};
const char *const toneNames[] = {"none", "red", "green", "yellow"};

using Answer = std::function<void(const QString &)>;

} // namespace

class TestConnectionTest : public QObject {
    Q_OBJECT

    ScriptedRunner *m_runner = nullptr; // owned by m_test's probe
    Answer m_answerLookup;
    std::unique_ptr<ConnectionTest> m_test;

private Q_SLOTS:
    void init() {
        m_runner = new ScriptedRunner;
        m_answerLookup = nullptr;
        m_test = std::make_unique<ConnectionTest>(
            std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(m_runner)),
            [this](const QString &, QObject *, Answer done) { m_answerLookup = std::move(done); });
    }

    // iputils and busybox replies, loss, an unknown name, no route, no program:
    // kind, average text, address.
    void pingOutput() {
        const std::pair<CommandResult, QString> cases[] = {
            {reply("12.345"), "Reply 12.345 10.0.0.1"},
            {{true,
              0,
              "PING ::1 (::1): 56 data bytes\nround-trip min/avg/max = 0.100/0.100/0.100 ms\n",
              {}},
             "Reply 0.100 ::1"},
            {lost, "NoReply  10.0.0.9"},
            {unknownHost, "UnknownHost  "},
            {{true, 2, {}, "ping: connect: Network is unreachable\n"}, "NoReply  "},
            {{}, "NoPing  "}};
        for (const auto &[result, expected] : cases) {
            const PingProbe::Outcome o = PingProbe::parse(result);
            QCOMPARE(QStringList({kindNames[o.kind], o.averageText, o.address}).join(' '),
                     expected);
        }
    }

    // Only plain host texts reach ping, and always after the fixed options.
    void hostText() {
        QString plain;
        for (const QString host :
             {"192.168.1.1", "fe80::1%wlan0", "www.example.org", "-f", "a b", "x;reboot", ""})
            plain += PingProbe::isPlainHost(host) ? "y" : "n";
        QCOMPARE(plain, "yyynnnn");
        QCOMPARE(PingProbe::arguments("10.0.0.1").join(' '), "-n -c 1 -W 2 10.0.0.1");

        auto *runner = new ScriptedRunner;
        PingProbe probe{std::unique_ptr<CommandRunner>(runner)};
        QSignalSpy finished(&probe, &PingProbe::finished);
        probe.ping("--help");
        QVERIFY(finished.wait(1000));
        QCOMPARE(kindNames[finished.first().first().value<PingProbe::Outcome>().kind], "BadHost");
        QVERIFY(runner->started.isEmpty());
    }

    // host, stored latency (null: none), settled, failure kind (-1: none).
    void verdicts() {
        const std::tuple<QString, QString, bool, int, QString> cases[] = {
            {"h", "100.9", true, -1, "Pass/green"},
            {"h", "101.0", false, -1, "Warning: high latency/yellow"},
            {"N/A", "", true, -1, "Failed :No IP available/red"},
            {"h", {}, false, 1, "Processing/none"},
            {"h", {}, true, 1, "No reply/red"},
            {"h", {}, true, 2, "Failed :Unknown host/red"},
            {"h", {}, true, 3, "Failed :No ping program/red"}};
        for (const auto &[host, latency, settled, failure, verdict] : cases) {
            ConnectionTest::Row row{{}, host, {}, {}, settled, {}};
            if (failure >= 0)
                row.failure = PingProbe::Outcome::Kind(failure);
            QHash<QString, QString> dict;
            if (!latency.isNull())
                dict.insert(host, latency);
            const ConnectionTest::Verdict v = ConnectionTest::verdictFor(row, dict);
            QCOMPARE(v.text + "/" + toneNames[int(v.tone)], verdict);
        }
        QCOMPARE(ConnectionTest::attemptText(5, 100.2), "Ping: 5 of 5, 101 msec latency");
    }

    // DNS server and gateway share an address (a home router), the reference
    // host's name does not resolve, its address never answers and is looked up
    // slowly. Every row still ends with a verdict and the timer stops.
    void runsRowsInTurnAndStopsTheTimer() {
        QStringList summaries;
        connect(m_test.get(), &ConnectionTest::rowChanged, this, [&](int row) {
            summaries << QString::number(row) + ":" + m_test->rows()[row].summary;
        });
        auto verdicts = [&] {
            m_test->reloadColumns();
            QStringList out;
            for (const ConnectionTest::Row &row : m_test->rows())
                out << row.verdict.text;
            return out.join(", ");
        };

        QVERIFY(m_test->start({"192.168.1.1", "192.168.1.1", "www.example.org", true}));
        for (int i = 0; i < 5; ++i)
            m_runner->finish(reply(i == 4 ? "3.2" : "12.5"));
        QCOMPARE(verdicts(),
                 "Pass, Pass, Processing, Processing"); // the shared host counts at once
        for (int i = 0; i < 5; ++i)
            m_runner->finish(reply("140.0"));
        m_runner->finish(unknownHost); // one attempt is enough
        QVERIFY(!m_runner->pending);   // the last row waits for the address
        m_answerLookup("10.0.0.9");
        for (int i = 0; i < 5; ++i)
            m_runner->finish(lost);
        QVERIFY(!m_test->isProbing());
        QVERIFY(m_test->isRefreshing());
        QCOMPARE(verdicts(), "Warning: high latency, Warning: high latency, Failed :Unknown host, "
                             "No reply");
        QVERIFY(!m_test->isRefreshing());
        QCOMPARE(m_test->latencyDict().keys(), QStringList{"192.168.1.1"});
        QCOMPARE(m_runner->started.mid(9, 2) + m_runner->started.mid(15),
                 QStringList({"ping -n -c 1 -W 2 192.168.1.1", "ping -n -c 1 -W 2 www.example.org",
                              "ping -n -c 1 -W 2 10.0.0.9"}));
        for (const char *seen :
             {"0:Ping: 1 of 5", "0:Ping: 1 of 5, 13 msec latency", "0:Ping: 5 of 5, 4 msec latency",
              "1:Ping: 5 of 5, 140 msec latency", "2:Unknown host", "3:Ping: 5 of 5, no reply"})
            QVERIFY2(summaries.contains(seen), seen);

        // Without a gateway its row is skipped; the name's row shows the address.
        m_test->start({"192.168.1.1", "", "www.example.org", true});
        m_answerLookup("10.0.0.1");
        for (int i = 0; i < 10; ++i)
            m_runner->finish(i < 5 || i == 9 ? reply("9.0") : lost);
        QCOMPARE(m_test->rows().at(1).summary, "N/A");
        QCOMPARE(m_test->rows().at(2).summary, "IP address: 10.0.0.1");
        QCOMPARE(verdicts(), "Pass, Failed :No IP available, Pass, Processing");
    }

    // No name server: nothing runs. Stopping drops the ping, the timer, the
    // latencies and a lookup answering late.
    void nothingOutlivesARun() {
        QVERIFY(!m_test->start({"0.0.0.0", "192.168.1.1", "www.example.org", false}));
        QVERIFY(m_test->rows().isEmpty() && !m_test->isRefreshing() && m_runner->started.isEmpty());

        m_test->start({"192.168.1.1", "192.168.1.254", "www.example.org", true});
        m_runner->finish(reply("5.0"));
        m_test->stop();
        m_answerLookup("10.0.0.1");
        QCOMPARE(m_runner->cancels, 1);
        QVERIFY(m_test->rows().isEmpty() && m_test->latencyDict().isEmpty());
        QVERIFY(!m_test->isRefreshing());
    }

    // The one test that runs the real ping, to loopback only.
    void realPingToLoopback() {
        PingProbe probe;
        QSignalSpy finished(&probe, &PingProbe::finished);
        probe.ping("127.0.0.1");
        QVERIFY(finished.wait(10000));
        const auto outcome = finished.first().first().value<PingProbe::Outcome>();
        QCOMPARE(kindNames[outcome.kind], "Reply");
        QVERIFY(outcome.averageMs >= 0 && outcome.averageMs < 1000);
        QCOMPARE(outcome.address, "127.0.0.1");
    }
};

QTEST_GUILESS_MAIN(TestConnectionTest)
#include "tst_connectiontest.moc"
