#include "netlist/VendorFile.h"
#include "netlist/VendorIndex.h"
#include "netlist/VendorLookup.h"
#include "settings/Preferences.h"
#include "support/LocalHttpServer.h"

#include <QFile>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

static const QString sent = "00:50:56:00:00:01"; // not in the file, sendable

class TestVendorLookup : public QObject {
    Q_OBJECT

    QString fetch(const QString &bssid) {
        QStringList calls;
        m_lookup->fetchVendorforMacAddress(
            bssid, [&](const QString &v) { calls << (v.isNull() ? "(null)" : v); });
        return calls.join(" and ");
    }
    QString requested() const { return m_network->requested.join(' '); }
    QString cached() const {
        QStringList out;
        for (const QList<QVariant> &args : *m_cached)
            out << args.at(0).toString() + "=" + args.at(1).toString();
        return out.join(' ');
    }

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<RecordingNetwork> m_network;
    std::unique_ptr<Preferences> m_prefs; // the look-up setting absent: on
    std::unique_ptr<VendorLookup> m_lookup;
    std::unique_ptr<QSignalSpy> m_finished, m_cached;
    QTemporaryDir m_dir;
    qint64 m_nowMs = 0;

private Q_SLOTS:
    void cleanup() { m_cached.reset(), m_finished.reset(), m_lookup.reset(), m_network.reset(); }
    void init() {
        m_nowMs = 0;
        m_server = std::make_unique<TestHttpServer>();
        m_network = std::make_unique<RecordingNetwork>();
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        m_lookup = std::make_unique<VendorLookup>(*m_prefs, m_network.get());
        m_lookup->setServiceBaseUrl(m_server->baseUrl());
        m_lookup->setClock([this] { return m_nowMs; });
        m_finished =
            std::make_unique<QSignalSpy>(m_network.get(), &QNetworkAccessManager::finished);
        m_cached = std::make_unique<QSignalSpy>(m_lookup.get(), &VendorLookup::vendorCached);
        QFile out(m_dir.filePath("oui.txt"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("00-1B-2C\tAcme Networks\r\n\r\n02-07-01 Old Registry Entry\n");
        out.close();
        QVERIFY(m_lookup->vendorName(out.fileName()));
    }

    // Colons go, the blank after one stays. The index answers as the first line
    // holding the prefix anywhere, on the awkward cases; a broken table is empty.
    void vendorFile() {
        QStringList texts;
        for (const QString line :
             {"00-1B-2C:  Acme: Networks ", "00-1B-2C Acme 00-1B-2C", "00-1B-2C"})
            texts << VendorFile::vendorText(line, "00-1B-2C");
        QCOMPARE(texts.join('|'), "Acme Networks|Acme|");
        QVERIFY(!texts.last().isNull());

        const QString text = "00-1B-2C\tAcme Networks\r\n\n\n00-1B-2D:  Acme:  Networks \r\n"
                             "00-1B-2C Second Acme\n11-22-33 Holder of 44-55-66 in its name\n"
                             "44-55-66 Real owner\n77-88-99-AA Overlapping groups\naa-bb-cc lower "
                             "case\nDD-EE-FF\nAB-CD-EF Ends here";
        const QByteArray table = VendorIndex::build(text);
        const VendorIndex index(table);
        QStringList found;
        for (const QString bssid : {"00:1b:2c:11:22:33", "00:1B:2D:00:00:01", "44:55:66:00:00:01",
                                    "11:22:33:00:00:01", "77:88:99:00:00:01", "88:99:aa:00:00:01",
                                    "aa:bb:cc:00:00:01", "dd:ee:ff:00:00:01", "ab:cd:ef:00:00:01"})
            found << (index.vendorFor(bssid).isNull() ? "(null)" : index.vendorFor(bssid));
        QCOMPARE(found.join('|'), "Acme Networks|Acme  Networks|11-22-33 Holder of  in its name|"
                                  "Holder of 44-55-66 in its name|-AA Overlapping groups|"
                                  "77- Overlapping groups|(null)||Ends here");
        for (const QByteArray &broken : {table.left(table.size() - 1), table + 'x',
                                         "AVX2" + table.mid(4), VendorIndex::build("")})
            QVERIFY(VendorIndex(broken).vendorFor("00:1b:2c:11:22:33").isNull());
    }

    // A missing file is reported and may be retried; `complete` runs exactly
    // once, before the call returns; only a BSSID the file lacks is asked of
    // the web, and only when there is a network.
    void fileLoadsOnceAndAnswersBeforeReturning() {
        VendorLookup fileOnly(*m_prefs, nullptr);
        const QString missing = m_dir.filePath("missing.txt");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Error reading file: .*missing.txt: .+"));
        QVERIFY(!fileOnly.vendorName(missing));
        QVERIFY(fileOnly.vendorName(m_dir.filePath("oui.txt")));
        QString answer = "not called";
        fileOnly.fetchVendorforMacAddress(sent, [&](const QString &v) { answer = v; });
        QVERIFY(answer.isNull());

        QVERIFY(m_lookup->vendorName(missing)); // the loaded file stays
        QCOMPARE(fetch("00:1B:2C:00:00:01") + ", " + fetch(sent) + ", " + fetch(QString()),
                 "Acme Networks, (null), (null)");
        QCOMPARE(requested(), "/" + sent);
    }

    // One request per BSSID however often asked; the answer is cached on the
    // look-up's own thread and then answers without a request.
    void webAnswerCachedOnTheUiThreadOncePerBssid() {
        m_server->replies.insert("/" + sent, {200, "VMware, Inc."});
        m_server->held = true;
        QThread *cachedOn = nullptr;
        connect(m_lookup.get(), &VendorLookup::vendorCached, this,
                [&] { cachedOn = QThread::currentThread(); });
        for (int i = 0; i < 3; ++i, m_nowMs += 2000)
            fetch(sent);
        QTRY_COMPARE(m_server->received, QStringList{"/" + sent});
        m_server->release();
        QVERIFY(m_cached->wait(10000));
        QCOMPARE(cached(), sent + "=VMware, Inc.");
        QCOMPARE(cachedOn, m_lookup->thread());
        QCOMPARE(fetch(sent), "VMware, Inc.");
        QCOMPARE(requested(), "/" + sent);
    }

    // Only a 2xx reply is read. A failed BSSID rests for the hold-off, without
    // holding back another.
    void repliesAndHoldOff() {
        const std::tuple<QString, int, QByteArray> cases[] = {
            {"00:50:56:00:00:02", 200, "Acme Corp"}, {sent, 300, "X"}};
        for (const auto &[bssid, status, body] : cases) {
            m_server->replies.insert("/" + bssid, {status, body});
            fetch(bssid);
            QVERIFY(m_finished->wait(10000));
            m_nowMs += 1000;
        }
        QCOMPARE(cached(), "00:50:56:00:00:02=Acme Corp");
        m_nowMs = 1000 + VendorLookup::failureHoldOffMs - 1; // the failure came at 1000
        fetch(sent);
        m_nowMs += 1; // the hold-off is over
        fetch(sent);
        m_nowMs += 1000;
        fetch("00:50:57:00:00:01");
        QCOMPARE(requested().remove("/00:50:56:00:00:"), "02 01 01 /00:50:57:00:00:01");
    }

    // The reply body, one row per rule; a reply naming its type says plain text.
    void vendorFromReply() {
        const std::tuple<QByteArray, QString> cases[] = {
            {"Ac\x1bme\x07", "Acme"},
            {"Acme \xe2\x80\xaeproC", "Acme proC"},
            {QByteArray(63, 'a') + "\xf0\x9f\x93\xa1", QString(63, 'a')},
            {QByteArray(4096, 'a'), QString(64, 'a')},
            {QByteArray(4097, 'a'), QString()},
            {"Unknown", QString()},
            {"Acme \xff\xfe", QString()},
            {"<!DOCTYPE html>\n<html><body>Log in</body></html>", QString()},
        };
        for (const auto &[body, vendor] : cases) {
            const QString found = VendorLookup::vendorFromReply(body);
            QCOMPARE(body.left(20) + ": " + (found.isNull() ? "(null)" : found),
                     body.left(20) + ": " + (vendor.isNull() ? "(null)" : vendor));
        }
        QVERIFY(VendorLookup::vendorFromReply("Acme", "text/html").isNull());
        QCOMPARE(VendorLookup::vendorFromReply("Acme", "Text/Plain; charset=utf-8"), "Acme");
    }

    // Only six octets, one separator, universally administered are sent; a
    // base without its final "/" still gives base + BSSID.
    void whatIsSent() {
        for (const QString bssid : {"00:50:56:00:00:01", "00-50-56-AB-CD-EF", "02:07:01:00:00:01",
                                    "00:50-56:00:00:01", "00:50:56:00:00:01/../x", "00:50:56"}) {
            fetch(bssid);
            m_nowMs += 1000;
        }
        m_lookup->setServiceBaseUrl(QUrl("https://vendors.example/api"));
        fetch("00:50:56:00:00:02");
        QCOMPARE(requested(), "/00:50:56:00:00:01 /00-50-56-AB-CD-EF /api/00:50:56:00:00:02");
    }

    // At a time (ms), ask about 00:50:56:00:00:xx or switch the look-up
    // "off"/"on"; then the requests so far.
    void queueSteps_data() {
        QTest::addColumn<QStringList>("steps");
        // At most one request a second, oldest first; the pacing timer drains
        // the queue on its own; one in flight is not asked again.
        QTest::newRow("one per second")
            << QStringList{"0 0a 0b 0c: 0a", "999 0d: 0a",     "1000 0e: 0a 0b",
                           "1999 0a: 0a 0b", "3000: 0a 0b 0c", "4000: 0a 0b 0c 0d"};
        // "Off" sends nothing and drops what waits, to be asked anew once on.
        QTest::newRow("off") << QStringList{"0 0a 0b: 0a", "1000 off 0c: 0a",
                                            "2000 on 0d 0b: 0a 0d", "3000 0e: 0a 0d 0b"};
        // With the 5 s interval a BSSID not asked about for 20 s has left the
        // list; one still asked about keeps its place; a dropped one comes back.
        QTest::newRow("stale") << QStringList{"0 0a 0b 0c: 0a", "20001 0c: 0a 0c",
                                              "21001 0b: 0a 0c 0b"};
    }
    void queueSteps() {
        QFETCH(QStringList, steps);
        for (const QString &step : steps) {
            const QStringList words = step.section(':', 0, 0).split(' ');
            m_nowMs = words.first().toLongLong();
            for (const QString &word : words.mid(1)) {
                if (word == "off" || word == "on") {
                    m_prefs->setValue(Preferences::vendorLookupKey,
                                      word == "on" ? Preferences::on : Preferences::off);
                    QCOMPARE(fetch("00:1b:2c:00:00:01"), "Acme Networks"); // the file answers
                } else
                    QCOMPARE(fetch("00:50:56:00:00:" + word), "(null)");
            }
            QTRY_COMPARE(requested().remove("/00:50:56:00:00:"), step.section(": ", 1));
        }
    }

    // Past maxQueued waiting, a newly seen BSSID is not queued.
    void queueIsBounded() {
        m_prefs->setValue(Preferences::pollingIntervalKey, "3600"); // nothing goes stale
        const auto bssid = [](int i) {
            return QString("00:50:56:00:%1:%2")
                .arg(i / 256, 2, 16, QChar('0'))
                .arg(i % 256, 2, 16, QChar('0'));
        };
        const int asked = int(VendorLookup::maxQueued) + 10;
        for (int i = 0; i < asked; ++i)
            fetch(bssid(i)); // the first goes at once, the next maxQueued wait
        for (int i = 1; i <= asked; ++i, m_nowMs += 1000)
            fetch(bssid(0)); // in flight: only lets the due request go
        QCOMPARE(m_network->requested.size(), VendorLookup::maxQueued + 1);
        QCOMPARE(m_network->requested.last(), "/" + bssid(int(VendorLookup::maxQueued)));
    }
};

QTEST_GUILESS_MAIN(TestVendorLookup)
#include "tst_vendorlookup.moc"
