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

namespace {

// The rule the file's index stands in for: the first line, in file order,
// that holds the prefix anywhere gives the vendor text.
QString firstMatchingLine(const QStringList &lines, const QString &bssid) {
    const QString prefix = VendorFile::prefixOf(bssid);
    for (const QString &line : lines) {
        if (line.contains(prefix))
            return VendorFile::vendorText(line, prefix);
    }
    return {};
}

// Each BSSID's vendor, "(null)" when not listed, or "MISMATCH" when the
// table disagrees with the first matching line of the text.
QString vendorsOf(const std::function<QString(const QString &)> &vendorFor, const QString &text,
                  const QStringList &bssids) {
    const QStringList lines = VendorFile::cleanLines(text);
    QStringList out;
    for (const QString &bssid : bssids) {
        const QString found = vendorFor(bssid), rule = firstMatchingLine(lines, bssid);
        out << (found != rule || found.isNull() != rule.isNull() ? "MISMATCH"
                : found.isNull()                                 ? "(null)"
                                                                 : found);
    }
    return out.join('|');
}

const QString sent = "00:50:56:00:00:01"; // not in the file, sendable

} // namespace

class TestVendorLookup : public QObject {
    Q_OBJECT

private:
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
    bool waitForReply() {
        const qsizetype before = m_finished->count();
        return m_finished->wait(10000) && m_finished->count() == before + 1;
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

    // The file text cleaned, prefixes, vendor texts, and an index that agrees with
    // the first matching line on the awkward cases: a repeated prefix, a prefix
    // inside another line's name, overlapping octet groups, lower case, colons.
    void vendorFile() {
        QCOMPARE(VendorFile::cleanLines("00-1B-2C\t\tAcme\r\n\n\nA  B \r\n"),
                 QStringList({"00-1B-2CAcme", "A  B ", ""}));
        QStringList prefixes;
        for (const QString bssid : {"00:1b:2c:11:22:33", "aa-bb-cc-dd-ee-ff", "0:1b",
                                    "0:1b:2c:d:e:f", "0g:1b:2c:11:22:33"})
            prefixes << VendorFile::prefixOf(bssid) +
                            (VendorFile::isIndexedForm(VendorFile::prefixOf(bssid)) ? "+" : "");
        QCOMPARE(prefixes.join(' '), "00-1B-2C+ AA-BB-CC+ 0-1B 0-1B-2C- 0G-1B-2C");
        // Colons go, the blank after one stays; a listed prefix never gives null.
        QStringList texts;
        for (const QString line : {"00-1B-2C:  Acme: Networks ", "00-1B-2C:  Acme:  Networks ",
                                   "00-1B-2C Acme 00-1B-2C", "00-1B-2C"})
            texts << VendorFile::vendorText(line, "00-1B-2C");
        QCOMPARE(texts.join('|'), "Acme Networks|Acme  Networks|Acme|");
        QVERIFY(!texts.last().isNull());

        const QString text = "00-1B-2C\tAcme Networks\r\n\n\n00-1B-2D:  Acme:  Networks \r\n"
                             "00-1B-2C Second Acme\n11-22-33 Holder of 44-55-66 in its name\n"
                             "44-55-66 Real owner\n77-88-99-AA Overlapping groups\naa-bb-cc lower "
                             "case\nDD-EE-FF\nAB-CD-EF Ends here";
        const QByteArray table = VendorIndex::build(text);
        const VendorIndex index(table);
        const auto indexed = [&index](const QString &bssid) { return index.vendorFor(bssid); };
        QCOMPARE(vendorsOf(indexed, text,
                           {"00:1b:2c:11:22:33", "00:1B:2D:00:00:01", "44:55:66:00:00:01",
                            "11:22:33:00:00:01", "77:88:99:00:00:01", "88:99:aa:00:00:01",
                            "aa:bb:cc:00:00:01", "dd:ee:ff:00:00:01", "ab:cd:ef:00:00:01",
                            "12:34:56:00:00:01"}),
                 "Acme Networks|Acme  Networks|11-22-33 Holder of  in its name|"
                 "Holder of 44-55-66 in its name|-AA Overlapping groups|77- Overlapping groups|"
                 "(null)||Ends here|(null)");
        // A table cut short or of another kind lists nothing; an empty file neither.
        for (const QByteArray &broken : {table.left(table.size() - 1), table + 'x',
                                         "AVX2" + table.mid(4), VendorIndex::build("")})
            QVERIFY(VendorIndex(broken).isEmpty() &&
                    VendorIndex(broken).vendorFor("00:1b:2c:11:22:33").isNull());
    }

    // The bundled table is made at build time from the text generated out of the
    // IEEE registry, and answers as that text does.
    void bundledFile() {
        QFile generated(AIRLUME_VENDOR_TEXT);
        QVERIFY(generated.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(generated.readAll());
        const QStringList lines = VendorFile::cleanLines(text);
        QVERIFY2(lines.size() > 20000, qPrintable(QString::number(lines.size())));
        QCOMPARE(lines.last(), QString()); // the file ends in a line feed
        static const QRegularExpression form(
            "\\A[0-9A-F]{2}-[0-9A-F]{2}-[0-9A-F]{2} \\S(.*\\S)?\\z");
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QVERIFY2(form.match(lines[i]).hasMatch() && !lines[i].contains("&amp;"),
                     qPrintable(lines[i]));
        // A spread of listed prefixes (the literal rule is slow) and a few unlisted.
        QStringList bssids{"12:34:56:00:00:00", "02:11:22:33:44:55", "aa:bb:cc:00:00:01"};
        for (qsizetype i = 0; i < lines.size(); i += 499)
            bssids << lines[i].left(8).replace('-', ':').toLower() + ":01:02:03";
        VendorLookup bundled(*m_prefs, nullptr); // loads the table at its first look-up
        const auto lookup = [&bundled](const QString &bssid) { return bundled.fileVendor(bssid); };
        QVERIFY(!vendorsOf(lookup, text, bssids).contains("MISMATCH"));
    }

    // `complete` runs exactly once, before the call returns; only a BSSID the
    // file lacks is asked of the web, and only when there is a network.
    void fileLoadsOnceAndAnswersBeforeReturning() {
        VendorLookup fileOnly(*m_prefs, nullptr);
        const QString missing = m_dir.filePath("missing.txt");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Error reading file: .*missing.txt: .+"));
        QVERIFY(!fileOnly.vendorName(missing));
        QVERIFY(fileOnly.fileVendor("00:1b:2c:11:22:33").isNull());
        QVERIFY(fileOnly.vendorName(m_dir.filePath("oui.txt"))); // a later call may try again
        QString answer = "not called";
        fileOnly.fetchVendorforMacAddress(sent, [&](const QString &v) { answer = v; });
        QVERIFY(answer.isNull());

        QVERIFY(m_lookup->vendorName(missing)); // the loaded file stays
        QCOMPARE(fetch("00:1B:2C:00:00:01") + ", " + fetch(sent) + ", " + fetch(QString()),
                 "Acme Networks, (null), (null)");
        QCOMPARE(m_lookup->vendorDict.keys(), QStringList{"00:1B:2C:00:00:01"});
        QCOMPARE(requested(), "/" + sent);
    }

    void webAnswerCachedOnTheUiThreadOncePerBssid() {
        m_server->replies.insert("/" + sent, {200, "VMware, Inc."});
        m_server->held = true;
        QThread *cachedOn = nullptr;
        connect(m_lookup.get(), &VendorLookup::vendorCached, this,
                [&] { cachedOn = QThread::currentThread(); });
        for (int i = 0; i < 3; ++i, m_nowMs += 2000) // pacing is not what holds them back
            fetch(sent);
        QTRY_COMPARE(m_server->received, QStringList{"/" + sent}); // the BSSID text, colons and all
        m_server->release();
        QVERIFY(m_cached->wait(10000));
        QCOMPARE(cached(), sent + "=VMware, Inc.");
        QCOMPARE(cachedOn, m_lookup->thread());
        QCOMPARE(fetch(sent), "VMware, Inc."); // now the cache answers, without a request
        QCOMPARE(requested(), "/" + sent);
    }

    // Only a 2xx reply is read, and its cleaned name cached.
    void replyRules() {
        const std::tuple<int, QByteArray, QString> cases[] = {
            {200, " \x01 Acme\x7f Corp\r\n", "Acme Corp"},
            {203, "Acme", "Acme"},
            {300, "Acme", ""},
            {429, "Too Many Requests", ""},
            {500, "Acme", ""}};
        int n = 0;
        for (const auto &[status, body, vendor] : cases) {
            const QString bssid = QString("00:50:56:00:00:%1").arg(++n, 2, 10, QChar('0'));
            m_server->replies.insert("/" + bssid, {status, body});
            QCOMPARE(fetch(bssid), "(null)");
            QVERIFY(waitForReply());
            m_nowMs += 1000;
            QCOMPARE(QString::number(status) + " " + m_lookup->vendorDict.value(bssid),
                     QString::number(status) + " " + vendor);
        }
        QCOMPARE(cached(), "00:50:56:00:00:01=Acme Corp 00:50:56:00:00:02=Acme");
    }

    void vendorFromReply() {
        const std::tuple<const char *, QByteArray, QString> cases[] = {
            {"trimmed", "\r\n  Acme Corp \n", "Acme Corp"},
            {"controls dropped", "Ac\x1bme\x07", "Acme"},
            {"bidi override dropped", "Acme \xe2\x80\xaeproC", "Acme proC"},
            {"non-ASCII kept", "\xc3\x85mic AB", QString::fromUtf8("\xc3\x85mic AB")},
            {"cut to 64", QByteArray(100, 'a'), QString(64, 'a')},
            {"cut never halves a character", QByteArray(63, 'a') + "\xf0\x9f\x93\xa1",
             QString(63, 'a')},
            {"4 KiB", QByteArray(4096, 'a'), QString(64, 'a')},
            {"over 4 KiB", QByteArray(4097, 'a'), QString()},
            {"only blanks and controls", " \x01\t\r\n", QString()},
            {"Unknown", "Unknown", QString()},
            {"not UTF-8", "Acme \xff\xfe", QString()},
            {"captive portal page", "<!DOCTYPE html>\n<html><body>Log in</body></html>", QString()},
            {"JSON error", R"({"errors":{"detail":"Not Found"}})", QString()},
            {"two lines", "Acme Corp\nSecond line", QString()},
        };
        for (const auto &[name, body, vendor] : cases) {
            const QString found = VendorLookup::vendorFromReply(body);
            QCOMPARE(name + (": " + (found.isNull() ? "(null)" : found)),
                     name + (": " + (vendor.isNull() ? "(null)" : vendor)));
        }
        // A reply that names its type has to say plain text.
        QStringList types;
        for (const QByteArray type : {"text/plain", "Text/Plain; charset=utf-8", "text/html",
                                      "application/json", "text/plain-ish", ""})
            types << (VendorLookup::vendorFromReply("Acme", type).isNull() ? "no" : "yes");
        QCOMPARE(types.join(' '), "yes yes no no no yes");
    }

    // Only six octets, one separator, universally administered (bit 1 of the
    // first octet clear) are sent, even when the file lists the prefix.
    void whatIsSent() {
        QStringList sendable;
        for (const QString bssid :
             {"00:50:56:00:00:01", "00-50-56-AB-CD-EF", "02:11:22:33:44:55", "da:a1:19:00:00:01",
              "02:07:01:00:00:01", "00:50-56:00:00:01", "00:50:56:00:00:01/../x",
              "00:50:56?a=00:00:01", "00:50:56", ""}) {
            sendable << (VendorLookup::isSendable(bssid) ? "yes" : "no");
            fetch(bssid);
            m_nowMs += 1000;
        }
        QCOMPARE(sendable.join(' '), "yes yes no no no no no no no no");
        // A base without its final "/" still gives base + BSSID.
        m_lookup->setServiceBaseUrl(QUrl("https://vendors.example/api"));
        fetch("00:50:56:00:00:02");
        QCOMPARE(requested(), "/00:50:56:00:00:01 /00-50-56-AB-CD-EF /api/00:50:56:00:00:02");
    }

    void failedBssidRestsTenMinutes() {
        m_server->replies.insert("/" + sent, {500, "Internal Server Error"});
        m_nowMs = 1000000;
        fetch(sent);
        QVERIFY(waitForReply());
        m_nowMs += VendorLookup::failureHoldOffMs - 1;
        fetch(sent);
        QCOMPARE(m_network->requested.size(), 1);
        m_nowMs += 1; // the hold-off is over
        m_server->replies.insert("/" + sent, {200, "Acme"});
        fetch(sent);
        m_nowMs += 1000; // another BSSID is not held back by that failure
        fetch("00:50:57:00:00:01");
        QCOMPARE(requested(), "/" + sent + " /" + sent + " /00:50:57:00:00:01");
        QTRY_COMPARE(cached(), sent + "=Acme");
    }

    // The web queue, step by step: at a time (ms), ask about BSSIDs 00:50:56:00:00:xx
    // or switch the look-up "off"/"on"; then the requests made so far.
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

    // Past maxQueued waiting, a newly seen BSSID is not queued; the queue drains
    // in order.
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
        for (int i = 1; i <= asked; ++i) {
            m_nowMs += 1000;
            fetch(bssid(0)); // in flight: only lets the due request go
        }
        QCOMPARE(m_network->requested.size(), VendorLookup::maxQueued + 1);
        QCOMPARE(m_network->requested.last(), "/" + bssid(int(VendorLookup::maxQueued)));
    }
};

QTEST_GUILESS_MAIN(TestVendorLookup)
#include "tst_vendorlookup.moc"
