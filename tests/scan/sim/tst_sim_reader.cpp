#include "scan/sim/ScenarioReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString kSource = QStringLiteral("test.json");
const QString kNet0 = QStringLiteral("scans[0].networks[0]");

// base with the members of "{changes}" put in; null removes a field (but hides an SSID).
QJsonObject merged(const char *base, const QByteArray &changes) {
    QJsonObject object = QJsonDocument::fromJson(base).object();
    const QJsonObject delta = QJsonDocument::fromJson("{" + changes + "}").object();
    for (auto it = delta.begin(); it != delta.end(); ++it) {
        if (it->isNull() && it.key() != QLatin1String("ssid"))
            object.remove(it.key());
        else
            object.insert(it.key(), *it);
    }
    return object;
}
QJsonObject net(const QByteArray &changes = {}) {
    return merged(R"({"ssid": "Lab", "bssid": "00:11:22:aa:bb:cc", "rssi": -60, "channel": 36,
        "band": 2, "width": 3, "phy": [4, 5], "security": [4]})",
                  changes);
}
QJsonObject raw(const QByteArray &changes = {}) {
    return merged(R"({"bssid": "aa:bb:cc:dd:ee:ff", "rssi": -70, "frequency": 2437,
        "capability": 1073, "ies": "00034c6162"})",
                  changes);
}
// One scan of the given networks, with changes to the scan and to the top level.
QByteArray doc(const QJsonArray &networks, const QByteArray &scan = {},
               const QByteArray &top = {}) {
    QJsonObject s = merged("{}", scan), t = merged("{}", top);
    if (!s.contains(QLatin1String("networks")))
        s.insert(QStringLiteral("networks"), networks);
    if (!t.contains(QLatin1String("scans")))
        t.insert(QStringLiteral("scans"), QJsonArray{s});
    return QJsonDocument(t).toJson(QJsonDocument::Compact);
}

} // namespace

class TestScenarioReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One row per class of problem; each message names the place in the file.
    void rejectsBadInput_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        const auto bad = [](const char *name, const QByteArray &json, const QString &message) {
            QTest::newRow(name) << json << message;
        };
        // A one-network scenario with the network's fields changed.
        const auto badNet = [&](const char *name, const QByteArray &changes, const char *problem) {
            bad(name, doc({net(changes)}), kNet0 + problem);
        };
        const auto badRaw = [&](const char *name, const QByteArray &changes, const char *problem) {
            bad(name, doc({raw(changes)}), kNet0 + problem);
        };
        const QJsonArray one{net()};
        bad("empty file", " \n", "the file is empty");
        bad("syntax error line and column", "{\n  \"scans\": [\n    {,\n",
            "test.json: line 3, column 6: unterminated object");
        bad("top level array", "[]", "top level: must be an object, not an array");
        bad("garbage after the document", "{\"scans\": []}\n x",
            "line 2, column 1: garbage at the end");
        // Caps keep the memory a file can take to a few times its size.
        QByteArray scans = R"({"scans": [)";
        for (int i = 0; i < 100000; ++i)
            scans += R"({"error": true},)";
        bad("past 100000 scans", scans + R"({"error": true}]})",
            "test.json: scans[100000]: a scenario holds at most 100000 scans");
        bad("network of more than 64 KiB",
            doc({raw("\"ies\": \"" + QByteArray(65536, 'a') + "\"")}),
            kNet0 + ": is larger than 64 KiB");
        bad("top level unknown field", doc(one, {}, R"("scan": 1)"),
            "top level: unknown field \"scan\"");
        bad("interface name of 16", doc(one, {}, R"("interface": {"name": "wlp0s20f3abcdefg"})"),
            "interface.name: must be 1 to 15");
        bad("repeat unknown word", doc(one, {}, R"("repeat": "forever")"),
            "repeat: must be \"last\" or \"cycle\", not \"forever\"");
        bad("scans missing", R"({"repeat": "last"})", "scans: missing");
        bad("scans empty", R"({"scans": []})", "scans: must hold at least one scan");
        bad("networks missing", R"({"scans": [{"joined": null}]})", "scans[0].networks: missing");
        bad("joined absent", doc(one, R"("joined": "00:11:22:aa:bb:cf")"),
            "scans[0].joined: 00:11:22:aa:bb:cf is not among this scan's networks");
        bad("bssid repeated in other case", doc({net(), net(R"("bssid": "00:11:22:AA:BB:CC")")}),
            "scans[0].networks[1].bssid: 00:11:22:aa:bb:cc appears twice in this scan");
        bad("place deep in the file",
            R"({"scans": [{"networks": []}, {"networks": [{"bssid": "00:00:00:00:00:01", "rssi": -1,
            "channel": 1, "band": 1, "width": 1, "phy": [2], "security": [0]}, {"rssi": -200, "bssid": "00:00:00:00:00:02"}]}]})",
            "scans[1].networks[1].rssi: must be from -127 to 0, not -200");
        badNet("network unknown field", R"("noise": -90)", ": unknown field \"noise\"");
        badNet("utilisation past 255", R"("utilisation": 256)",
               ".utilisation: must be from 0 to 255, not 256");
        badNet("bssid not hex", R"("bssid": "00:11:22:aa:bb:cg")",
               ".bssid: must be six hex octets");
        badNet("ssid of 33 bytes", R"("ssid": "éééééééééééééééé!")",
               ".ssid: is longer than 32 bytes");
        badNet("ssid control character", R"("ssid": "a\nb")",
               ".ssid: contains a control character or direction override: \"a\\u000ab\"");
        badNet("ssid direction override", "\"ssid\": \"gpj\u202eexe\"",
               ".ssid: contains a control character or direction override");
        badNet("rssi fraction", R"("rssi": -60.5)", ".rssi: must be an integer, not -60.5");
        badNet("rssi below range", R"("rssi": -128)", ".rssi: must be from -127 to 0, not -128");
        badNet("rssi above range", R"("rssi": 1)", ".rssi: must be from -127 to 0, not 1");
        badNet("channel beyond 2.4 GHz", R"("channel": 36, "band": 1)",
               ".channel: must be from 1 to 14, not 36");
        badNet("phy empty", R"("phy": [])", ".phy: must list at least one code");
        badNet("phy code beyond be", R"("phy": [4, 8])", ".phy[1]: must be from 0 to 7, not 8");
        badRaw("raw ies odd length", R"("ies": "000")",
               ".ies: has an odd number of hex digits (3)");
        badRaw("raw ies not hex", R"("ies": "00zz")", ".ies: is not hex at character 2: \"z\"");
        badRaw("raw ies of 4097 bytes", "\"ies\": \"" + QByteArray(8194, 'a') + "\"",
               ".ies: holds 4097 bytes");
        badRaw("raw frequency below bands", R"("frequency": 2399)",
               ".frequency: must be 0 (unknown) or from 2400 to 7200 MHz, not 2399");
        badRaw("raw with explicit field", R"("ssid": "Lab")", ": unknown field \"ssid\"");
    }
    void rejectsBadInput() {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!readScenario(json, kSource, &error));
        QVERIFY2(error.startsWith(kSource + ": ") && error.contains(message) &&
                     !error.contains('\n'),
                 qPrintable(error));
    }

    // The reader walks the containers itself; spellings Qt's parser takes read
    // alike: a BOM, escaped keys, any JSON white space, brackets and quotes in
    // strings, and a repeated key counted the last time.
    void readsWhatQtReads() {
        const QByteArray docs[] = {
            "\xef\xbb\xbf{\"scans\": [{\"error\": true}]}",
            R"({"sc\u0061ns": [{"\u0065rror": true}]})",
            "{\"scans\":[{\"error\":true}\t,\r\n{\"error\":true}]}",
            "{\"description\": \"]}\\\"[{\", \"scans\": [{\"error\": true}]}",
            R"({"scans": [{"error": true}], "scans": [{"error": true}, {"error": true}]})",
        };
        QStringList scans;
        for (const QByteArray &json : docs) {
            QString error;
            const auto s = readScenario(json, kSource, &error);
            scans << (s ? QString::number(s->scans.size()) : error);
        }
        QCOMPARE(scans.join(" | "), "1 | 1 | 2 | 1 | 2");
    }

    // A file is read whole; a directory, an absent file or a FIFO (opening it would wait for a
    // writer) give an error naming the path. A failed scan may leave its networks out.
    void readsFile() {
        QTemporaryDir dir;
        QFile file(dir.filePath("s.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write(R"({"scans": [{"error": true}], "interface": {"name": "wlp0s20f3abcdef",
                    "powered": false}, "repeat": "cycle"})") > 0);
        file.close();
        QString error;
        const auto s = readScenarioFile(file.fileName(), &error);
        QVERIFY2(s, qPrintable(error));
        QVERIFY(s->sourceName == file.fileName() && s->interfaceName == "wlp0s20f3abcdef" &&
                !s->powered && s->repeat == Scenario::Repeat::Cycle);
        QVERIFY(s->scans.at(0).error && s->scans.at(0).networks.isEmpty());
        const QString fifo = dir.filePath("fifo.json");
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        for (const QString &path : {dir.path(), dir.filePath("absent.json"), fifo}) {
            QVERIFY(!readScenarioFile(path, &error));
            QVERIFY2(error.startsWith(path + ": ") && !error.contains('\n'), qPrintable(error));
            QVERIFY(!readScenarioFile(path, nullptr)); // no message slot, no crash
        }
    }

    // Each network as "ssid bssid MHz channel dBm", then the PHY generations
    // and whether it is the joined one.
    void reads_data() {
        QTest::addColumn<QJsonArray>("networks");
        QTest::addColumn<QByteArray>("scan");
        QTest::addColumn<QString>("facts");
        const auto row = [](const char *name, const QJsonArray &networks, const char *facts,
                            const QByteArray &scan = {}) {
            QTest::newRow(name) << networks << scan << QString(facts);
        };
        row("bssid in mixed case", {net(R"("bssid": "0A:1b:2C:3d:4E:5f")")},
            "Lab 0a:1b:2c:3d:4e:5f 5180 36 -60 ht vht");
        row("2.4 GHz channel 14", {net(R"("band": 1, "channel": 14)")},
            "Lab 00:11:22:aa:bb:cc 2484 14 -60 ht vht");
        row("6 GHz channel 2, HE and EHT", {net(R"("band": 3, "channel": 2, "phy": [6, 7])")},
            "Lab 00:11:22:aa:bb:cc 5935 2 -60 he eht");
        row("centre and load", {net(R"("centre": 42, "stations": 12, "utilisation": 255)")},
            "Lab 00:11:22:aa:bb:cc 5180 36 -60 centre=42 load=12/255 ht vht");
        row("hidden null", {net(R"("ssid": null)")},
            "(hidden) 00:11:22:aa:bb:cc 5180 36 -60 ht vht");
        row("ssid of 32 bytes", {net(R"("ssid": "é, éééééééééééééé")")},
            "é, éééééééééééééé 00:11:22:aa:bb:cc 5180 36 -60 ht vht");
        // Escaped as the bytes ED A0 80 are when a radio sends them.
        row("ssid with a lone surrogate", {net(R"("ssid": "a\ud800b")")},
            "a\\xed\\xa0\\x80b 00:11:22:aa:bb:cc 5180 36 -60 ht vht");
        row("joined in other case",
            {net(R"("phy": [2])"), net(R"("phy": [2], "bssid": "00:11:22:aa:bb:cd")")},
            "Lab 00:11:22:aa:bb:cc 5180 36 -60 | Lab 00:11:22:aa:bb:cd 5180 36 -60 joined",
            R"("joined": "00:11:22:AA:BB:CD")");
        // Raw networks: the facts come from the element parser (SSID "Lab", DS
        // Parameter Set channel 6, RSN), the file supplies the radio's view.
        const auto ies = [](int frequency, const QByteArray &hex) {
            return raw(QStringLiteral("\"frequency\": %1, \"ies\": \"%2\"")
                           .arg(frequency)
                           .arg(hex + "30140100000fac040100000fac040100000fac020000")
                           .toUtf8());
        };
        row("raw, frequency from DS", {ies(0, "00034c6162030106")},
            "Lab aa:bb:cc:dd:ee:ff 2437 6 -70");
        row("raw, hidden SSID element", {ies(5180, "0000")},
            "(hidden) aa:bb:cc:dd:ee:ff 5180 36 -70");
    }
    void reads() {
        QFETCH(QJsonArray, networks);
        QFETCH(QByteArray, scan);
        QString error;
        const auto s = readScenario(doc(networks, scan), kSource, &error);
        QVERIFY2(s, qPrintable(error));
        QStringList facts;
        for (const ScanResult &r : s->scans.at(0).networks) {
            facts << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(r.ssid.isNull() ? "(hidden)" : r.ssid, r.bssid)
                         .arg(r.frequencyMhz)
                         .arg(r.channelNumber)
                         .arg(r.rssiValue);
            const bool flags[] = {r.hasHt, r.hasVht, r.hasHe, r.hasEht, r.associated};
            if (r.stationCount >= 0)
                facts.last() += QStringLiteral(" centre=%1 load=%2/%3")
                                    .arg(r.centreChannel)
                                    .arg(r.stationCount)
                                    .arg(r.channelUtilisation);
            for (int i = 0; i < 5; ++i)
                if (flags[i])
                    facts.last() +=
                        QString(" ") + QStringList{"ht", "vht", "he", "eht", "joined"}[i];
            QVERIFY(r.supportsSecurity(Security::WPA2Personal));
        }
        QTEST(facts.join(" | "), "facts");
    }
};

QTEST_GUILESS_MAIN(TestScenarioReader)
#include "tst_sim_reader.moc"
