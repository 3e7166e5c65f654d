#include "netlist/VendorLookup.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

// Notes every request as it is made, so tests can count what was sent without
// waiting for it to arrive anywhere.
class RecordingNetwork : public QNetworkAccessManager {
public:
    QStringList requested; // paths, in the order the requests were made

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *body) override {
        requested.append(request.url().path());
        return QNetworkAccessManager::createRequest(op, request, body);
    }
};

// A tiny HTTP/1.1 server on 127.0.0.1: answers GET /<path> with the reply set
// for that path (404 when none), or keeps the request open while held.
class TestHttpServer : public QObject {
public:
    struct Reply {
        int status = 404;
        QByteArray body = "Not Found";
    };

    TestHttpServer() {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    QUrl baseUrl() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
    }

    void setReply(const QString &path, int status, const QByteArray &body) {
        m_replies.insert(path, {status, body});
    }

    void hold(bool on) {
        m_hold = on;
        if (!on) {
            for (const auto &[socket, path] : std::as_const(m_held))
                answer(socket, path);
            m_held.clear();
        }
    }

    QStringList received; // request paths, in arrival order

private:
    void serve(QTcpSocket *socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            m_buffers[socket] += socket->readAll();
            const QByteArray &buffer = m_buffers[socket];
            if (!buffer.contains("\r\n\r\n"))
                return;
            const QString path = QString::fromLatin1(buffer.split(' ').value(1));
            m_buffers.remove(socket);
            received.append(path);
            if (m_hold)
                m_held.append({socket, path});
            else
                answer(socket, path);
        });
    }

    void answer(QTcpSocket *socket, const QString &path) {
        const Reply reply = m_replies.value(path);
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) +
                      " Status\r\n"
                      "Content-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(reply.body.size()) + "\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, Reply> m_replies;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    bool m_hold = false;
    QList<std::pair<QTcpSocket *, QString>> m_held;
};

QString spied(const QSignalSpy &spy) {
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out.append(args.at(0).toString() + QLatin1Char('=') + args.at(1).toString());
    return out.join(QLatin1Char(' '));
}

QString path(const QString &bssid) {
    return QLatin1Char('/') + bssid;
}

} // namespace

class TestVendorLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fileLoadsOnceAndLogsErrors();
    void bundledFileAnswers();
    void fileAnswerNeedsNoRequest();
    void completeRunsOnceBeforeReturn_data();
    void completeRunsOnceBeforeReturn();
    void webAnswerIsCachedOnTheUiThread();
    void replyRules_data();
    void replyRules();
    void vendorFromReply_data();
    void vendorFromReply();
    void whatIsSent_data();
    void whatIsSent();
    void defaultServiceIsHttps();
    void oneRequestInFlightPerBssid();
    void failedBssidRestsTenMinutes();
    void oneRequestPerSecond();
    void queueDrainsOnItsOwn();
    void offSendsNothing_data();
    void offSendsNothing();
    void turningOffDropsTheQueue();
    void withoutNetworkTheFileAlone();

private:
    VendorLookup &lookup() { return *m_lookup; }
    // Waits for the reply to the request for `bssid`, however it ended.
    bool waitForReply();

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<RecordingNetwork> m_network;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<VendorLookup> m_lookup;
    std::unique_ptr<QSignalSpy> m_finished;
    std::unique_ptr<QSignalSpy> m_cached;
    QTemporaryDir m_dir;
    qint64 m_nowMs = 0;
};

void TestVendorLookup::init() {
    m_nowMs = 0;
    m_server = std::make_unique<TestHttpServer>();
    m_network = std::make_unique<RecordingNetwork>();
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_lookup = std::make_unique<VendorLookup>(*m_prefs, m_network.get());
    m_lookup->setServiceBaseUrl(m_server->baseUrl());
    m_lookup->setClock([this] { return m_nowMs; });
    m_finished = std::make_unique<QSignalSpy>(m_network.get(), &QNetworkAccessManager::finished);
    m_cached = std::make_unique<QSignalSpy>(m_lookup.get(), &VendorLookup::vendorCached);

    const QString file = m_dir.filePath(QStringLiteral("oui.txt"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("00-1B-2C\tAcme Networks\r\n\r\n02-07-01 Old Registry Entry\n");
    out.close();
    QVERIFY(m_lookup->vendorName(file));
}

void TestVendorLookup::cleanup() {
    m_cached.reset();
    m_finished.reset();
    m_lookup.reset();
    m_network.reset();
    m_server.reset();
}

bool TestVendorLookup::waitForReply() {
    const qsizetype before = m_finished->count();
    return m_finished->wait(10000) && m_finished->count() == before + 1;
}

void TestVendorLookup::fileLoadsOnceAndLogsErrors() {
    VendorLookup fresh(*m_prefs, nullptr);
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                           "^Error reading file: .*missing\\.txt: .+")));
    QVERIFY(!fresh.vendorName(missing));
    QVERIFY(fresh.fileVendor(QStringLiteral("00:1b:2c:11:22:33")).isNull());

    // The loaded file stays; a later call does not replace it.
    QVERIFY(lookup().vendorName(missing));
    QCOMPARE(lookup().fileVendor(QStringLiteral("00:1b:2c:11:22:33")), "Acme Networks");
}

void TestVendorLookup::bundledFileAnswers() {
    QFile bundled(VendorLookup::bundledVendorFile());
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    const QString firstLine = QString::fromUtf8(bundled.readLine()).trimmed();
    VendorLookup fresh(*m_prefs, nullptr);
    QVERIFY(fresh.vendorName());
    const QString bssid = firstLine.left(8).replace(QLatin1Char('-'), QLatin1Char(':')).toLower() +
                          QStringLiteral(":00:00:01");
    QCOMPARE(fresh.fileVendor(bssid), firstLine.mid(9).remove(QLatin1Char(':')).trimmed());
    QVERIFY(!fresh.fileVendor(bssid).isEmpty());
}

void TestVendorLookup::fileAnswerNeedsNoRequest() {
    QString answer;
    lookup().fetchVendorforMacAddress(QStringLiteral("00:1b:2c:11:22:33"),
                                      [&](const QString &v) { answer = v; });
    QCOMPARE(answer, "Acme Networks");
    QCOMPARE(lookup().vendorDict.value(QStringLiteral("00:1b:2c:11:22:33")), "Acme Networks");
    QCOMPARE(m_network->requested, QStringList());
}

void TestVendorLookup::completeRunsOnceBeforeReturn_data() {
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<QString>("answer");
    QTest::newRow("in the file") << "00:1B:2C:00:00:01"
                                 << "Acme Networks";
    QTest::newRow("needs the web") << "00:50:56:00:00:01" << QString();
    QTest::newRow("no BSSID") << QString() << QString();
}

void TestVendorLookup::completeRunsOnceBeforeReturn() {
    QFETCH(QString, bssid);
    QFETCH(QString, answer);
    QStringList calls;
    lookup().fetchVendorforMacAddress(
        bssid, [&](const QString &v) { calls.append(v.isNull() ? QStringLiteral("(null)") : v); });
    QCOMPARE(calls, QStringList{answer.isNull() ? QStringLiteral("(null)") : answer});
}

void TestVendorLookup::webAnswerIsCachedOnTheUiThread() {
    const QString bssid = QStringLiteral("00:50:56:c0:00:08");
    m_server->setReply(path(bssid), 200, "VMware, Inc.");
    QThread *cachedOn = nullptr;
    connect(m_lookup.get(), &VendorLookup::vendorCached, this,
            [&] { cachedOn = QThread::currentThread(); });

    lookup().fetchVendorforMacAddress(bssid, {});
    QVERIFY(m_cached->wait(10000));
    QCOMPARE(spied(*m_cached), "00:50:56:c0:00:08=VMware, Inc.");
    QCOMPARE(cachedOn, m_lookup->thread());
    QCOMPARE(m_server->received, QStringList{path(bssid)}); // the BSSID text, colons and all

    // Now the cache answers at once, without another request.
    m_nowMs += 5000;
    QString answer;
    lookup().fetchVendorforMacAddress(bssid, [&](const QString &v) { answer = v; });
    QCOMPARE(answer, "VMware, Inc.");
    QCOMPARE(m_network->requested.size(), 1);
}

void TestVendorLookup::replyRules_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("cached"); // empty: nothing cached
    QTest::newRow("200 with a name") << 200 << QByteArray("Acme Corp") << "Acme Corp";
    QTest::newRow("200 padded with controls") << 200
                                              << QByteArray(" \x01"
                                                            "Acme\x7f Corp\r\n")
                                              << "Acme Corp";
    QTest::newRow("200 empty body") << 200 << QByteArray() << "";
    QTest::newRow("200 Unknown") << 200 << QByteArray("Unknown") << "";
    QTest::newRow("203 with a name") << 203 << QByteArray("Acme") << "Acme";
    QTest::newRow("300 with a body") << 300 << QByteArray("Acme") << "";
    QTest::newRow("404 error page")
        << 404 << QByteArray("{\"errors\":{\"detail\":\"Not Found\"}}") << "";
    QTest::newRow("429 rate limited") << 429 << QByteArray("Too Many Requests") << "";
    QTest::newRow("500 server error") << 500 << QByteArray("Internal Server Error") << "";
    QTest::newRow("200 too long to be a name") << 200 << QByteArray(5000, 'x') << "";
}

void TestVendorLookup::replyRules() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, cached);
    const QString bssid = QStringLiteral("00:50:56:00:00:01");
    m_server->setReply(path(bssid), status, body);

    QString answer = QStringLiteral("not called");
    lookup().fetchVendorforMacAddress(bssid, [&](const QString &v) { answer = v; });
    QVERIFY(answer.isNull());
    QVERIFY(waitForReply());
    QCOMPARE(lookup().vendorDict.value(bssid), cached);
    QCOMPARE(spied(*m_cached), cached.isEmpty() ? QString() : bssid + QLatin1Char('=') + cached);
}

void TestVendorLookup::vendorFromReply_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("vendor"); // null: no name
    QTest::newRow("plain") << QByteArray("Acme") << "Acme";
    QTest::newRow("trimmed") << QByteArray("\r\n  Acme Corp \n") << "Acme Corp";
    QTest::newRow("inner tab becomes a blank") << QByteArray("Acme\tCorp") << "Acme Corp";
    QTest::newRow("controls dropped") << QByteArray("Ac\x1bme\x07") << "Acme";
    QTest::newRow("bidi override dropped") << QByteArray("Acme \xe2\x80\xae"
                                                         "proC")
                                           << "Acme proC";
    QTest::newRow("non-ASCII kept")
        << QByteArray("\xc3\x85mic AB") << QString::fromUtf8("\xc3\x85mic AB");
    QTest::newRow("cut to 64") << QByteArray(100, 'a') << QString(64, QLatin1Char('a'));
    QTest::newRow("cut never halves a character")
        << QByteArray(63, 'a') + QByteArray("\xf0\x9f\x93\xa1") << QString(63, QLatin1Char('a'));
    QTest::newRow("cut then trimmed")
        << QByteArray(63, 'a') + QByteArray("  b") << QString(63, QLatin1Char('a'));
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("only blanks and controls") << QByteArray(" \x01\t\r\n") << QString();
    QTest::newRow("Unknown") << QByteArray("Unknown") << QString();
    QTest::newRow("not UTF-8") << QByteArray("Acme \xff\xfe") << QString();
    QTest::newRow("over 4 KiB") << QByteArray(4097, 'a') << QString();
}

void TestVendorLookup::vendorFromReply() {
    QFETCH(QByteArray, body);
    QFETCH(QString, vendor);
    const QString found = VendorLookup::vendorFromReply(body);
    QCOMPARE(found, vendor);
    QCOMPARE(found.isNull(), vendor.isNull());
}

void TestVendorLookup::whatIsSent_data() {
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<bool>("sent");
    QTest::newRow("universal, colons") << "00:50:56:00:00:01" << true;
    QTest::newRow("universal, dashes, upper case") << "00-50-56-AB-CD-EF" << true;
    QTest::newRow("locally administered 02") << "02:11:22:33:44:55" << false;
    QTest::newRow("locally administered da") << "da:a1:19:00:00:01" << false;
    QTest::newRow("locally administered, though the file lists it") << "02:07:01:00:00:01" << false;
    QTest::newRow("mixed separators") << "00:50-56:00:00:01" << false;
    QTest::newRow("path in the text") << "00:50:56:00:00:01/../x" << false;
    QTest::newRow("query in the text") << "00:50:56?a=00:00:01" << false;
    QTest::newRow("short") << "00:50:56" << false;
    QTest::newRow("empty") << "" << false;
}

void TestVendorLookup::whatIsSent() {
    QFETCH(QString, bssid);
    QFETCH(bool, sent);
    QCOMPARE(VendorLookup::isSendable(bssid), sent);
    lookup().fetchVendorforMacAddress(bssid, {});
    QCOMPARE(m_network->requested, sent ? QStringList{path(bssid)} : QStringList());
}

void TestVendorLookup::defaultServiceIsHttps() {
    VendorLookup fresh(*m_prefs, m_network.get());
    QCOMPARE(fresh.serviceBaseUrl().scheme(), "https");
    QVERIFY(fresh.serviceBaseUrl().path().endsWith(QLatin1Char('/')));

    // A base without its final "/" still gives base + BSSID.
    fresh.setServiceBaseUrl(QUrl(QStringLiteral("https://vendors.example/api")));
    fresh.setClock([] { return 0; });
    fresh.fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:01"), {});
    QCOMPARE(m_network->requested, QStringList{"/api/00:50:56:00:00:01"});
}

void TestVendorLookup::oneRequestInFlightPerBssid() {
    const QString bssid = QStringLiteral("00:50:56:00:00:01");
    m_server->setReply(path(bssid), 200, "Acme");
    m_server->hold(true);
    for (int i = 0; i < 3; ++i) {
        lookup().fetchVendorforMacAddress(bssid, {});
        m_nowMs += 2000; // pacing is not what holds them back
    }
    QCOMPARE(m_network->requested, QStringList{path(bssid)});

    QTRY_COMPARE(m_server->received.size(), 1);
    m_server->hold(false);
    QVERIFY(m_cached->wait(10000));
    QCOMPARE(spied(*m_cached), "00:50:56:00:00:01=Acme");
    QCOMPARE(m_network->requested.size(), 1);
}

void TestVendorLookup::failedBssidRestsTenMinutes() {
    const QString bssid = QStringLiteral("00:50:56:00:00:01");
    m_server->setReply(path(bssid), 500, "Internal Server Error");
    m_nowMs = 1000000;
    lookup().fetchVendorforMacAddress(bssid, {});
    QVERIFY(waitForReply());

    m_nowMs += VendorLookup::failureHoldOffMs - 1;
    lookup().fetchVendorforMacAddress(bssid, {});
    QCOMPARE(m_network->requested.size(), 1);

    // Another BSSID is not held back by that failure.
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:57:00:00:01"), {});
    QCOMPARE(m_network->requested.size(), 2);

    m_nowMs += 1001;
    m_server->setReply(path(bssid), 200, "Acme");
    lookup().fetchVendorforMacAddress(bssid, {});
    QCOMPARE(m_network->requested, (QStringList{path(bssid), "/00:50:57:00:00:01", path(bssid)}));
    QTRY_COMPARE(spied(*m_cached), "00:50:56:00:00:01=Acme");
}

void TestVendorLookup::oneRequestPerSecond() {
    const QStringList bssids{"00:50:56:00:00:0a", "00:50:56:00:00:0b", "00:50:56:00:00:0c",
                             "00:50:56:00:00:0d", "00:50:56:00:00:0e"};
    const auto requested = [this] { return m_network->requested.join(QLatin1Char(' ')); };
    for (qsizetype i = 0; i < 3; ++i)
        lookup().fetchVendorforMacAddress(bssids[i], {});
    QCOMPARE(requested(), "/00:50:56:00:00:0a");

    m_nowMs = 999;
    lookup().fetchVendorforMacAddress(bssids[3], {});
    QCOMPARE(requested(), "/00:50:56:00:00:0a");

    // Due again: the oldest waiting one goes first, the newcomer queues.
    m_nowMs = 1000;
    lookup().fetchVendorforMacAddress(bssids[4], {});
    QCOMPARE(requested(), "/00:50:56:00:00:0a /00:50:56:00:00:0b");

    m_nowMs = 1999;
    lookup().fetchVendorforMacAddress(bssids[0], {}); // in flight already
    QCOMPARE(requested(), "/00:50:56:00:00:0a /00:50:56:00:00:0b");
}

void TestVendorLookup::queueDrainsOnItsOwn() {
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0a"), {});
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0b"), {});
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0c"), {});
    QCOMPARE(m_network->requested.size(), 1);
    // The clock says two seconds passed; the pacing timer sends the rest in order.
    m_nowMs = 2000;
    QTRY_COMPARE(m_network->requested.size(), 2);
    m_nowMs = 3000;
    QTRY_COMPARE(m_network->requested.join(QLatin1Char(' ')),
                 "/00:50:56:00:00:0a /00:50:56:00:00:0b /00:50:56:00:00:0c");
}

void TestVendorLookup::offSendsNothing_data() {
    QTest::addColumn<QString>("setting"); // null: absent
    QTest::addColumn<bool>("sent");
    QTest::newRow("absent") << QString() << true;
    QTest::newRow("On") << "On" << true;
    QTest::newRow("Off") << "Off" << false;
}

void TestVendorLookup::offSendsNothing() {
    QFETCH(QString, setting);
    QFETCH(bool, sent);
    if (!setting.isNull())
        m_prefs->setValue(Preferences::vendorLookupKey, setting);
    QString answer = QStringLiteral("not called");
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:01"),
                                      [&](const QString &v) { answer = v; });
    QVERIFY(answer.isNull());
    QCOMPARE(m_network->requested.size(), sent ? 1 : 0);
    // The file still answers.
    lookup().fetchVendorforMacAddress(QStringLiteral("00:1b:2c:00:00:01"),
                                      [&](const QString &v) { answer = v; });
    QCOMPARE(answer, "Acme Networks");
}

void TestVendorLookup::turningOffDropsTheQueue() {
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0a"), {});
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0b"), {});
    m_prefs->setValue(Preferences::vendorLookupKey, Preferences::off);
    m_nowMs = 1000;
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0c"), {});
    m_prefs->setValue(Preferences::vendorLookupKey, Preferences::on);
    m_nowMs = 2000;
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0d"), {});
    // 0b was dropped when the look-up was off; once on again it may be asked anew.
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0b"), {});
    m_nowMs = 3000;
    lookup().fetchVendorforMacAddress(QStringLiteral("00:50:56:00:00:0e"), {});
    QCOMPARE(m_network->requested.join(QLatin1Char(' ')),
             "/00:50:56:00:00:0a /00:50:56:00:00:0d /00:50:56:00:00:0b");
}

void TestVendorLookup::withoutNetworkTheFileAlone() {
    VendorLookup fileOnly(*m_prefs, nullptr);
    QVERIFY(fileOnly.vendorName(m_dir.filePath(QStringLiteral("oui.txt"))));
    QStringList answers;
    for (const QString &bssid :
         {QStringLiteral("00:1b:2c:00:00:01"), QStringLiteral("00:50:56:00:00:01")})
        fileOnly.fetchVendorforMacAddress(bssid, [&](const QString &v) { answers.append(v); });
    QCOMPARE(answers, (QStringList{"Acme Networks", QString()}));
    QCOMPARE(fileOnly.vendorDict.keys(), QStringList{"00:1b:2c:00:00:01"});
}

QTEST_GUILESS_MAIN(TestVendorLookup)
#include "tst_vendorlookup.moc"
