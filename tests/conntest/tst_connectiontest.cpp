#include "ScriptedRunner.h"
#include "conntest/ConnectionTest.h"

#include <QSignalSpy>
#include <QTest>

namespace {

CommandResult ran(int code, const QByteArray &out, const QByteArray &err = {}) {
    return {true, code, out, err};
}
CommandResult reply(const QByteArray &avg) {
    return ran(0, "PING 10.0.0.1 (10.0.0.1) 56(84) bytes of data.\nrtt min/avg/max/mdev = 1.0/" +
                      avg + "/2.0/0.0 ms\n");
}
const CommandResult lost =
    ran(1, "PING 10.0.0.9 (10.0.0.9) 56(84) bytes of data.\n1 packets transmitted, 0 received\n");
const CommandResult unknownHost = ran(2, {}, "ping: nosuch.invalid: Name or service not known\n");
const char *const kindNames[] = {"Reply", "NoReply", "UnknownHost", "NoPing", "BadHost"};

} // namespace

class TestConnectionTest : public QObject {
    Q_OBJECT

    ScriptedRunner *m_runner = nullptr; // owned by m_test's probe
    std::function<void(const QString &)> m_answerLookup;
    std::unique_ptr<ConnectionTest> m_test;

    QString verdicts() {
        m_test->reloadColumns();
        QStringList out;
        for (const ConnectionTest::Row &row : m_test->rows())
            out << row.verdict.text;
        return out.join(", ");
    }

private Q_SLOTS:
    void init() {
        m_runner = new ScriptedRunner;
        m_test = std::make_unique<ConnectionTest>(
            std::make_unique<PingProbe>(std::unique_ptr<CommandRunner>(m_runner)),
            [this](const QString &, QObject *, auto done) { m_answerLookup = std::move(done); });
    }

    // iputils and busybox replies, loss, an unknown name, no route, no program:
    // kind, average text, address.
    void pingOutput() {
        const std::pair<CommandResult, QString> cases[] = {
            {reply("12.345"), "Reply 12.345 10.0.0.1"},
            {ran(0,
                 "PING ::1 (::1): 56 data bytes\nround-trip min/avg/max = 0.100/0.100/0.100 ms\n"),
             "Reply 0.100 ::1"},
            {lost, "NoReply  10.0.0.9"},
            {unknownHost, "UnknownHost  "},
            {ran(2, {}, "ping: connect: Network is unreachable\n"), "NoReply  "},
            {{}, "NoPing  "}};
        for (const auto &[result, expected] : cases) {
            const PingProbe::Outcome o = PingProbe::parse(result);
            QCOMPARE(QStringList({kindNames[o.kind], o.averageText, o.address}).join(' '),
                     expected);
        }
    }

    // Only plain host texts reach ping; any other is refused, answering
    // BadHost. The one run of the real ping goes to loopback only.
    void hostTextAndRealPing() {
        QString plain;
        for (const QString host :
             {"192.168.1.1", "fe80::1%wlan0", "www.example.org", "-f", "a b", "x;reboot", ""})
            plain += PingProbe::isPlainHost(host) ? "y" : "n";
        QCOMPARE(plain, "yyynnnn");
        PingProbe probe;
        QSignalSpy finished(&probe, &PingProbe::finished);
        for (const char *host : {"--help", "127.0.0.1"}) {
            probe.ping(host);
            QVERIFY(finished.wait(10000));
        }
        const auto refused = finished.at(0).at(0).value<PingProbe::Outcome>();
        const auto outcome = finished.at(1).at(0).value<PingProbe::Outcome>();
        QCOMPARE(kindNames[refused.kind] + QString(" ") + kindNames[outcome.kind], "BadHost Reply");
        QVERIFY(outcome.averageMs < 1000);
    }

    void latencyEdgeBetweenPassAndWarning() {
        const ConnectionTest::Row row{{}, "h", {}, {}, true, {}};
        QCOMPARE(ConnectionTest::verdictFor(row, {{"h", "100.9"}}).text + "/" +
                     ConnectionTest::verdictFor(row, {{"h", "101.0"}}).text,
                 "Pass/Warning: high latency");
    }

    // DNS server and gateway share an address (a home router), the reference
    // host's name does not resolve, its address never answers and is looked up
    // slowly. The shared host counts at once; every row still ends with a
    // verdict and the timer stops.
    void runsRowsInTurnAndStopsTheTimer() {
        QVERIFY(m_test->start({"192.168.1.1", "192.168.1.1", "www.example.org", true}));
        for (int i = 0; i < 5; ++i)
            m_runner->finish(reply(i == 4 ? "3.2" : "12.5"));
        QCOMPARE(verdicts(), "Pass, Pass, Processing, Processing");
        for (int i = 0; i < 5; ++i)
            m_runner->finish(reply("140.0"));
        m_runner->finish(unknownHost); // one attempt is enough
        QVERIFY(!m_runner->pending);   // the last row waits for the address
        m_answerLookup("10.0.0.9");
        for (int i = 0; i < 5; ++i)
            m_runner->finish(lost);
        QVERIFY(!m_test->isProbing() && m_test->isRefreshing());
        QCOMPARE(verdicts(),
                 "Warning: high latency, Warning: high latency, Failed :Unknown host, No reply");
        QVERIFY(!m_test->isRefreshing() &&
                m_test->latencyDict().keys() == QStringList{"192.168.1.1"});
        QCOMPARE(m_runner->started.mid(10, 1) + m_runner->started.mid(15),
                 QStringList({"ping -n -c 1 -W 2 www.example.org", "ping -n -c 1 -W 2 10.0.0.9"}));
    }

    // No name server: nothing runs. Without a gateway its row is skipped.
    // Stopping drops the ping, the timer, the latencies and a late lookup.
    void nothingOutlivesARun() {
        QVERIFY(!m_test->start({"0.0.0.0", "192.168.1.1", "www.example.org", false}));
        QVERIFY(m_test->rows().isEmpty() && !m_test->isRefreshing() && m_runner->started.isEmpty());
        m_test->start({"192.168.1.1", "", "www.example.org", true});
        m_runner->finish(reply("5.0"));
        QCOMPARE(verdicts(), "Pass, Failed :No IP available, Processing, Processing");
        m_test->stop();
        m_answerLookup("10.0.0.1");
        QVERIFY(m_runner->cancels == 1 && !m_test->isRefreshing());
        QVERIFY(m_test->rows().isEmpty() && m_test->latencyDict().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConnectionTest)
#include "tst_connectiontest.moc"
