#include "scan/sim/ScenarioReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSource = QStringLiteral("test.json");

QJsonObject parsed(const QByteArray &json) {
    return QJsonDocument::fromJson(json).object();
}

// A well-formed explicit network with the given fields replaced; a null
// value removes the field.
QJsonObject network(const QByteArray &changes = "{}") {
    QJsonObject net = parsed(R"({"ssid": "Lab", "bssid": "00:11:22:aa:bb:cc", "rssi": -60,
        "channel": 36, "band": 2, "width": 3, "phy": [4, 5], "security": [4]})");
    const QJsonObject delta = parsed(changes);
    for (auto it = delta.begin(); it != delta.end(); ++it) {
        if (it.value().isNull() && it.key() != QLatin1String("ssid"))
            net.remove(it.key());
        else
            net.insert(it.key(), it.value());
    }
    return net;
}

QJsonObject rawNetwork(const QByteArray &changes = "{}") {
    QJsonObject net = parsed(R"({"bssid": "00:11:22:aa:bb:cd", "rssi": -70, "frequency": 2437,
        "capability": 1073, "ies": "00034c6162"})");
    const QJsonObject delta = parsed(changes);
    for (auto it = delta.begin(); it != delta.end(); ++it)
        net.insert(it.key(), it.value());
    return net;
}

QByteArray scenarioWith(const QJsonArray &networks, const QByteArray &scanChanges = "{}",
                        const QByteArray &topChanges = "{}") {
    QJsonObject scan = parsed(scanChanges);
    if (!scan.contains(QLatin1String("networks")))
        scan.insert(QStringLiteral("networks"), networks);
    QJsonObject top = parsed(topChanges);
    if (!top.contains(QLatin1String("scans")))
        top.insert(QStringLiteral("scans"), QJsonArray{scan});
    return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

QByteArray oneNetwork(const QJsonObject &net) {
    return scenarioWith({net});
}

} // namespace

class TestScenarioReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rejectsBadInput_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        auto row = [](const char *name, const QByteArray &json, const char *message) {
            QTest::newRow(name) << json << QString::fromUtf8(message);
        };
        // Whole document.
        row("empty file", " \n", "the file is empty");
        row("syntax error line and column", "{\n  \"scans\": [\n    {,\n",
            "test.json: line 3, column 6: unterminated object");
        row("syntax error first character", "x", "test.json: line 1, column 1: illegal value");
        row("invalid utf-8", "{\"scans\": \"\xff\xfe\"}", "line 1, column");
        row("top level array", "[]", "top level: must be an object, not an array");
        row("top level unknown field", scenarioWith({network()}, "{}", R"({"scan": 1})"),
            "top level: unknown field \"scan\"");
        row("description not text", scenarioWith({network()}, "{}", R"({"description": 3})"),
            "description: must be a string, not a number");
        // Interface and repeat.
        row("interface not object", scenarioWith({network()}, "{}", R"({"interface": "wlan0"})"),
            "interface: must be an object, not a string");
        row("interface name number",
            scenarioWith({network()}, "{}", R"({"interface": {"name": 1}})"),
            "interface.name: must be a string, not a number");
        row("interface name empty",
            scenarioWith({network()}, "{}", R"({"interface": {"name": ""}})"),
            "interface.name: must be 1 to 15");
        row("interface name too long",
            scenarioWith({network()}, "{}", R"({"interface": {"name": "wlp0s20f3abcdefg"}})"),
            "interface.name: must be 1 to 15");
        row("interface powered text",
            scenarioWith({network()}, "{}", R"({"interface": {"powered": "yes"}})"),
            "interface.powered: must be true or false, not a string");
        row("interface unknown field",
            scenarioWith({network()}, "{}", R"({"interface": {"mac": "x"}})"),
            "interface: unknown field \"mac\"");
        row("repeat unknown word", scenarioWith({network()}, "{}", R"({"repeat": "forever"})"),
            "repeat: must be \"last\" or \"cycle\", not \"forever\"");
        row("repeat number", scenarioWith({network()}, "{}", R"({"repeat": 2})"),
            "repeat: must be \"last\" or \"cycle\", not a number");
        // Scans.
        row("scans missing", R"({"repeat": "last"})", "scans: missing");
        row("scans not array", R"({"scans": {}})", "scans: must be an array, not an object");
        row("scans empty", R"({"scans": []})", "scans: must hold at least one scan");
        row("scan not object", R"({"scans": [{"networks": []}, 7]})",
            "scans[1]: must be an object, not a number");
        row("scan unknown field", scenarioWith({network()}, R"({"join": null})"),
            "scans[0]: unknown field \"join\"");
        row("scan networks missing", R"({"scans": [{"joined": null}]})",
            "scans[0].networks: missing");
        row("scan networks not array", R"({"scans": [{"networks": "none"}]})",
            "scans[0].networks: must be an array, not a string");
        row("scan error text", scenarioWith({network()}, R"({"error": "no"})"),
            "scans[0].error: must be true or false, not a string");
        row("joined absent bssid", scenarioWith({network()}, R"({"joined": "00:11:22:aa:bb:cf"})"),
            "scans[0].joined: 00:11:22:aa:bb:cf is not among this scan's networks");
        row("joined malformed", scenarioWith({network()}, R"({"joined": "001122aabbcc"})"),
            "scans[0].joined: must be six hex octets");
        row("joined number", scenarioWith({network()}, R"({"joined": 1})"),
            "scans[0].joined: must be a string, not a number");
        // Explicit networks.
        row("network not object", scenarioWith({QJsonValue(QJsonArray{})}),
            "scans[0].networks[0]: must be an object, not an array");
        row("network unknown field", oneNetwork(network(R"({"noise": -90})")),
            "scans[0].networks[0]: unknown field \"noise\"");
        row("bssid missing", oneNetwork(network(R"({"bssid": null})")),
            "scans[0].networks[0].bssid: missing");
        row("bssid five octets", oneNetwork(network(R"({"bssid": "00:11:22:aa:bb"})")),
            "scans[0].networks[0].bssid: must be six hex octets");
        row("bssid not hex", oneNetwork(network(R"({"bssid": "00:11:22:aa:bb:cg"})")),
            "scans[0].networks[0].bssid: must be six hex octets");
        row("bssid repeated in scan",
            scenarioWith({network(), network(R"({"bssid": "00:11:22:AA:BB:CC"})")}),
            "scans[0].networks[1].bssid: 00:11:22:aa:bb:cc appears twice in this scan");
        row("ssid number", oneNetwork(network(R"({"ssid": 5})")),
            "scans[0].networks[0].ssid: must be a string or null, not a number");
        row("ssid over 32 bytes", oneNetwork(network(R"({"ssid": "ééééééééééééééééé"})")),
            "scans[0].networks[0].ssid: is longer than 32 bytes");
        row("ssid control character", oneNetwork(network(R"({"ssid": "a\nb"})")),
            "scans[0].networks[0].ssid: contains a control character or direction override: "
            "\"a\\u000ab\"");
        row("ssid direction override", oneNetwork(network("{\"ssid\": \"gpj\u202eexe\"}")),
            "scans[0].networks[0].ssid: contains a control character or direction override");
        row("rssi missing", oneNetwork(network(R"({"rssi": null})")),
            "scans[0].networks[0].rssi: missing");
        row("rssi text", oneNetwork(network(R"({"rssi": "-60"})")),
            "scans[0].networks[0].rssi: must be an integer, not a string");
        row("rssi fraction", oneNetwork(network(R"({"rssi": -60.5})")),
            "scans[0].networks[0].rssi: must be an integer, not -60.5");
        row("rssi below range", oneNetwork(network(R"({"rssi": -128})")),
            "scans[0].networks[0].rssi: must be from -127 to 0, not -128");
        row("rssi above range", oneNetwork(network(R"({"rssi": 1})")),
            "scans[0].networks[0].rssi: must be from -127 to 0, not 1");
        row("band unknown", oneNetwork(network(R"({"band": 0})")),
            "scans[0].networks[0].band: must be from 1 to 3, not 0");
        row("channel beyond 2.4 GHz", oneNetwork(network(R"({"channel": 36, "band": 1})")),
            "scans[0].networks[0].channel: must be from 1 to 14, not 36");
        row("channel beyond 6 GHz", oneNetwork(network(R"({"channel": 234, "band": 3})")),
            "scans[0].networks[0].channel: must be from 1 to 233, not 234");
        row("width beyond 320", oneNetwork(network(R"({"width": 6})")),
            "scans[0].networks[0].width: must be from 0 to 5, not 6");
        row("phy not array", oneNetwork(network(R"({"phy": 5})")),
            "scans[0].networks[0].phy: must be an array of codes, not a number");
        row("phy empty", oneNetwork(network(R"({"phy": []})")),
            "scans[0].networks[0].phy: must list at least one code");
        row("phy code beyond be", oneNetwork(network(R"({"phy": [4, 8]})")),
            "scans[0].networks[0].phy[1]: must be from 0 to 7, not 8");
        row("security code text", oneNetwork(network(R"({"security": ["wpa2"]})")),
            "scans[0].networks[0].security[0]: must be an integer, not a string");
        row("security code beyond owe", oneNetwork(network(R"({"security": [16]})")),
            "scans[0].networks[0].security[0]: must be from 0 to 15, not 16");
        row("security missing", oneNetwork(network(R"({"security": null})")),
            "scans[0].networks[0].security: missing");
        row("place deep in the file",
            QJsonDocument(
                QJsonObject{
                    {"scans",
                     QJsonArray{
                         QJsonObject{{"networks", QJsonArray{}}},
                         QJsonObject{
                             {"networks", QJsonArray{network(R"({"bssid": "00:00:00:00:00:01"})"),
                                                     network(R"({"bssid": "00:00:00:00:00:02"})"),
                                                     network(R"({"rssi": -200})")}}}}}})
                .toJson(),
            "scans[1].networks[2].rssi: must be from -127 to 0, not -200");
        // Raw networks.
        row("raw ies odd length", oneNetwork(rawNetwork(R"({"ies": "000"})")),
            "scans[0].networks[0].ies: has an odd number of hex digits (3)");
        row("raw ies not hex", oneNetwork(rawNetwork(R"({"ies": "00zz"})")),
            "scans[0].networks[0].ies: is not hex at character 2: \"z\"");
        row("raw ies not text", oneNetwork(rawNetwork(R"({"ies": [0]})")),
            "scans[0].networks[0].ies: must be a hex string, not an array");
        row("raw ies too long",
            oneNetwork(rawNetwork("{\"ies\": \"" + QByteArray(8194, 'a') + "\"}")),
            "scans[0].networks[0].ies: holds 4097 bytes");
        row("raw frequency below bands", oneNetwork(rawNetwork(R"({"frequency": 900})")),
            "scans[0].networks[0].frequency: must be 0 (unknown) or from 2400 to 7200 MHz, not "
            "900");
        row("raw frequency above bands", oneNetwork(rawNetwork(R"({"frequency": 7300})")),
            "scans[0].networks[0].frequency: must be from 0 to 7200, not 7300");
        row("raw capability over 16 bits", oneNetwork(rawNetwork(R"({"capability": 65536})")),
            "scans[0].networks[0].capability: must be from 0 to 65535, not 65536");
        row("raw with explicit field", oneNetwork(rawNetwork(R"({"ssid": "Lab"})")),
            "scans[0].networks[0]: unknown field \"ssid\"");
    }

    void rejectsBadInput() {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!readScenario(json, kSource, &error));
        QVERIFY2(error.startsWith(kSource + QStringLiteral(": ")), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
    }

    void unreadableFile_data() {
        QTest::addColumn<bool>("directory");
        QTest::newRow("missing file") << false;
        QTest::newRow("directory") << true;
    }

    void unreadableFile() {
        QFETCH(bool, directory);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = directory ? dir.path() : dir.filePath(QStringLiteral("absent.json"));
        QString error;
        QVERIFY(!readScenarioFile(path, &error));
        QVERIFY2(error.startsWith(path + QStringLiteral(": ")), qPrintable(error));
        QVERIFY(!error.contains(QLatin1Char('\n')));
        // Reporting without a message slot must not crash either.
        QVERIFY(!readScenarioFile(path, nullptr));
    }

    void readsFileAndDefaults() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(scenarioWith({network()}, R"({"error": true})"));
        file.close();
        QString error;
        const std::optional<Scenario> scenario = readScenarioFile(path, &error);
        QVERIFY2(scenario, qPrintable(error));
        QCOMPARE(scenario->sourceName, path);
        QCOMPARE(scenario->interfaceName, QStringLiteral("wlan0"));
        QVERIFY(scenario->powered);
        QCOMPARE(scenario->repeat, Scenario::Repeat::Last);
        QVERIFY(scenario->scans.at(0).error);
        QCOMPARE(scenario->scans.at(0).joinedIndex, -1);
    }

    void readsInterfaceAndRepeat() {
        const auto scenario = readScenario(
            scenarioWith(
                {network()}, "{}",
                R"({"interface": {"name": "wlp2s0", "powered": false}, "repeat": "cycle"})"),
            kSource, nullptr);
        QVERIFY(scenario);
        QCOMPARE(scenario->interfaceName, QStringLiteral("wlp2s0"));
        QVERIFY(!scenario->powered);
        QCOMPARE(scenario->repeat, Scenario::Repeat::Cycle);
    }

    void readsExplicitNetwork_data() {
        QTest::addColumn<QByteArray>("changes");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<int>("frequency");
        QTest::newRow("5 GHz") << QByteArray("{}") << "Lab" << 5180;
        QTest::newRow("2.4 GHz channel 1")
            << QByteArray(R"({"band": 1, "channel": 1})") << "Lab" << 2412;
        QTest::newRow("2.4 GHz channel 14")
            << QByteArray(R"({"band": 1, "channel": 14})") << "Lab" << 2484;
        QTest::newRow("6 GHz channel 1")
            << QByteArray(R"({"band": 3, "channel": 1})") << "Lab" << 5955;
        QTest::newRow("6 GHz channel 2")
            << QByteArray(R"({"band": 3, "channel": 2})") << "Lab" << 5935;
        QTest::newRow("hidden null") << QByteArray(R"({"ssid": null})") << QString() << 5180;
        QTest::newRow("hidden empty") << QByteArray(R"({"ssid": ""})") << QString() << 5180;
        QTest::newRow("ssid comma and accent") << QByteArray(R"({"ssid": "Café Wi-Fi, Guest"})")
                                               << QStringLiteral("Café Wi-Fi, Guest") << 5180;
        QTest::newRow("ssid 32 bytes") << QByteArray(R"({"ssid": "éééééééééééééééé"})")
                                       << QStringLiteral("éééééééééééééééé") << 5180;
    }

    void readsExplicitNetwork() {
        QFETCH(QByteArray, changes);
        QFETCH(QString, ssid);
        QFETCH(int, frequency);
        QJsonObject net = network(changes);
        net.insert(QStringLiteral("bssid"), QStringLiteral("0A:1b:2C:3d:4E:5f"));
        const auto scenario = readScenario(oneNetwork(net), kSource, nullptr);
        QVERIFY(scenario);
        const ScanResult &result = scenario->scans.at(0).networks.at(0);
        QCOMPARE(result.ssid, ssid);
        QCOMPARE(result.ssid.isNull(), ssid.isNull());
        QCOMPARE(result.bssid, QStringLiteral("0a:1b:2c:3d:4e:5f"));
        QCOMPARE(result.rssiValue, -60);
        QCOMPARE(result.channelNumber, net.value(QLatin1String("channel")).toInt());
        QCOMPARE(result.channelBand, net.value(QLatin1String("band")).toInt());
        QCOMPARE(result.channelWidth, ChannelWidth::Mhz80);
        QCOMPARE(result.frequencyMhz, frequency);
        QCOMPARE(result.phyModes, CodeSet((1 << PhyMode::N) | (1 << PhyMode::AC)));
        QCOMPARE(result.securityModes, CodeSet(1 << Security::WPA2Personal));
        QVERIFY(result.hasHt && result.hasVht && !result.hasHe && !result.hasEht);
        QVERIFY(!result.associated);
    }

    void readsRssiBounds_data() {
        QTest::addColumn<int>("rssi");
        QTest::newRow("weakest") << -127;
        QTest::newRow("strongest") << 0;
    }

    void readsRssiBounds() {
        QFETCH(int, rssi);
        QJsonObject net = network();
        net.insert(QStringLiteral("rssi"), rssi);
        const auto scenario = readScenario(oneNetwork(net), kSource, nullptr);
        QVERIFY(scenario);
        QCOMPARE(scenario->scans.at(0).networks.at(0).rssiValue, rssi);
    }

    void marksJoinedNetwork() {
        const auto scenario =
            readScenario(scenarioWith({network(), network(R"({"bssid": "00:11:22:aa:bb:cd"})")},
                                      R"({"joined": "00:11:22:AA:BB:CD"})"),
                         kSource, nullptr);
        QVERIFY(scenario);
        const ScenarioScan &scan = scenario->scans.at(0);
        QCOMPARE(scan.joinedIndex, 1);
        QVERIFY(!scan.networks.at(0).associated);
        QVERIFY(scan.networks.at(1).associated);
    }

    // The facts come from the element parser; the file supplies the radio's view.
    void readsRawNetwork_data() {
        QTest::addColumn<QByteArray>("changes");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("channel");
        // SSID "Lab", DS Parameter Set channel 6, RSN CCMP/PSK.
        const QByteArray rsn = "30140100000fac040100000fac040100000fac020000";
        QTest::newRow("frequency given")
            << "{\"frequency\": 2437, \"ies\": \"00034c6162030106" + rsn + "\"}"
            << QStringLiteral("Lab") << 2437 << 6;
        QTest::newRow("frequency from ds element")
            << "{\"frequency\": 0, \"ies\": \"00034c6162030106" + rsn + "\"}"
            << QStringLiteral("Lab") << 2437 << 6;
        QTest::newRow("hidden ssid element")
            << "{\"frequency\": 5180, \"ies\": \"0000" + rsn + "\"}" << QString() << 5180 << 36;
    }

    void readsRawNetwork() {
        QFETCH(QByteArray, changes);
        QFETCH(QString, ssid);
        QFETCH(int, frequency);
        QFETCH(int, channel);
        QJsonObject net = rawNetwork(changes);
        net.insert(QStringLiteral("bssid"), QStringLiteral("AA:BB:CC:DD:EE:FF"));
        QString error;
        const auto scenario = readScenario(
            scenarioWith({net}, R"({"joined": "aa:bb:cc:dd:ee:ff"})"), kSource, &error);
        QVERIFY2(scenario, qPrintable(error));
        const ScanResult &result = scenario->scans.at(0).networks.at(0);
        QCOMPARE(result.ssid, ssid);
        QCOMPARE(result.ssid.isNull(), ssid.isNull());
        QCOMPARE(result.bssid, QStringLiteral("aa:bb:cc:dd:ee:ff"));
        QCOMPARE(result.rssiValue, -70);
        QCOMPARE(result.frequencyMhz, frequency);
        QCOMPARE(result.channelNumber, channel);
        QVERIFY(result.supportsSecurity(Security::WPA2Personal));
        QVERIFY(result.associated);
    }
};

QTEST_GUILESS_MAIN(TestScenarioReader)
#include "tst_sim_reader.moc"
