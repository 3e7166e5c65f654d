#include "FakeInterface.h"
#include "scan/NetworkModel.h"

#include <QTest>

namespace {

CodeSet codes(const QList<int> &list) {
    CodeSet set;
    for (int code : list)
        set.set(static_cast<size_t>(code));
    return set;
}

} // namespace

class TestNetworkModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void networkTypeFollowsNoiseFloor_data();
    void networkTypeFollowsNoiseFloor();
    void frequencyText_data();
    void frequencyText();
    void channelWidthText_data();
    void channelWidthText();
    void phyModeIsHighestSupported_data();
    void phyModeIsHighestSupported();
    void phyModeTextForCode_data();
    void phyModeTextForCode();
    void scannedSecurityIsLowestSupported_data();
    void scannedSecurityIsLowestSupported();
    void interfaceSecurityHasNoTrailingBlank_data();
    void interfaceSecurityHasNoTrailingBlank();
    void scannedRecordCopiesItsFacts();
    void hiddenNetworkKeepsNullSsid();
    void joinedInterfaceRecord();
    void idleInterfaceRecord();
};

void TestNetworkModel::networkTypeFollowsNoiseFloor_data() {
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("type");
    QTest::newRow("-98 dBm") << -98 << "Access Point";
    QTest::newRow("-99 dBm") << -99 << "Access Point";
    QTest::newRow("-100 dBm") << -100 << "No Access";
    QTest::newRow("-101 dBm") << -101 << "No Access";
    QTest::newRow("no value (0)") << 0 << "Access Point";
}

void TestNetworkModel::networkTypeFollowsNoiseFloor() {
    QFETCH(int, rssi);
    QFETCH(QString, type);
    const NetworkModel record(makeNetwork("Net", "aa:bb:cc:dd:ee:01", rssi));
    QCOMPARE(record.networkType, type);
    QCOMPARE(record.rssi, rssi);
}

void TestNetworkModel::frequencyText_data() {
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("frequency");
    QTest::newRow("2.4 GHz ch 1") << int(Band::Ghz2_4) << 1 << "2412";
    QTest::newRow("2.4 GHz ch 6") << int(Band::Ghz2_4) << 6 << "2437";
    QTest::newRow("2.4 GHz ch 13") << int(Band::Ghz2_4) << 13 << "2472";
    QTest::newRow("2.4 GHz ch 14") << int(Band::Ghz2_4) << 14 << "2484";
    QTest::newRow("5 GHz ch 36") << int(Band::Ghz5) << 36 << "5180";
    QTest::newRow("5 GHz ch 165") << int(Band::Ghz5) << 165 << "5825";
    QTest::newRow("6 GHz ch 1") << int(Band::Ghz6) << 1 << "5955";
    QTest::newRow("6 GHz ch 2") << int(Band::Ghz6) << 2 << "5935";
    QTest::newRow("6 GHz ch 5") << int(Band::Ghz6) << 5 << "5975";
    QTest::newRow("6 GHz ch 233") << int(Band::Ghz6) << 233 << "7115";
    QTest::newRow("band unknown") << int(Band::Unknown) << 6 << "-1";
    QTest::newRow("band out of range") << 4 << 6 << "-1";
}

void TestNetworkModel::frequencyText() {
    QFETCH(int, band);
    QFETCH(int, channel);
    QFETCH(QString, frequency);
    const ScanResult network = makeNetwork("Net", "aa:bb:cc:dd:ee:01", -50, channel, band);
    const NetworkModel record(network);
    QCOMPARE(record.frequency, frequency);
    QCOMPARE(NetworkModel::getNetworkFrequency(network), frequency.toInt());
    QCOMPARE(record.channel, channel);
    QCOMPARE(record.channelBand, band);
}

void TestNetworkModel::channelWidthText_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::newRow("code 0") << 0 << "unknown";
    QTest::newRow("code 1") << 1 << "20 MHz";
    QTest::newRow("code 2") << 2 << "40 MHz";
    QTest::newRow("code 3") << 3 << "80 MHz";
    QTest::newRow("code 4") << 4 << "160 MHz";
    QTest::newRow("code 5") << 5 << "320 MHz";
    QTest::newRow("code 6") << 6 << "unknown";
    QTest::newRow("code -1") << -1 << "unknown";
}

void TestNetworkModel::channelWidthText() {
    QFETCH(int, width);
    QFETCH(QString, text);
    const NetworkModel record(makeNetwork("Net", "aa:bb:cc:dd:ee:01", -50, 36, Band::Ghz5, width));
    QCOMPARE(record.channelWidth, text);
}

void TestNetworkModel::phyModeIsHighestSupported_data() {
    QTest::addColumn<QList<int>>("supported");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("a only") << QList<int>{PhyMode::A} << int(PhyMode::A) << "802.11a";
    QTest::newRow("b only") << QList<int>{PhyMode::B} << int(PhyMode::B) << "802.11b";
    QTest::newRow("b g") << QList<int>{PhyMode::B, PhyMode::G} << int(PhyMode::G) << "802.11g";
    QTest::newRow("b g n") << QList<int>{PhyMode::B, PhyMode::G, PhyMode::N} << int(PhyMode::N)
                           << "802.11n";
    QTest::newRow("a n ac") << QList<int>{PhyMode::A, PhyMode::N, PhyMode::AC} << int(PhyMode::AC)
                            << "802.11ac";
    QTest::newRow("n ac ax") << QList<int>{PhyMode::N, PhyMode::AC, PhyMode::AX} << int(PhyMode::AX)
                             << "802.11ax";
    QTest::newRow("all of a..be") << QList<int>{PhyMode::A,  PhyMode::B,  PhyMode::G, PhyMode::N,
                                                PhyMode::AC, PhyMode::AX, PhyMode::BE}
                                  << int(PhyMode::BE) << "802.11be";
    QTest::newRow("none set") << QList<int>{} << int(PhyMode::None) << "None";
    QTest::newRow("only code 0") << QList<int>{PhyMode::None} << int(PhyMode::None) << "None";
    QTest::newRow("code 0 and g") << QList<int>{PhyMode::None, PhyMode::G} << int(PhyMode::G)
                                  << "802.11g";
    QTest::newRow("code above be ignored")
        << QList<int>{PhyMode::N, 8} << int(PhyMode::N) << "802.11n";
}

void TestNetworkModel::phyModeIsHighestSupported() {
    QFETCH(QList<int>, supported);
    QFETCH(int, code);
    QFETCH(QString, text);
    ScanResult network = makeNetwork("Net", "aa:bb:cc:dd:ee:01", -50);
    network.phyModes = codes(supported);
    const NetworkModel record(network);
    QCOMPARE(record.activePHY, code);
    QCOMPARE(record.networkMode, text);
    QCOMPARE(NetworkModel::activePHYModeForNetwork(network), code);
    QCOMPARE(NetworkModel::networkModeForNetwork(network), text);
}

void TestNetworkModel::phyModeTextForCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("-1") << -1 << "Unknown";
    QTest::newRow("0") << 0 << "None";
    QTest::newRow("1") << 1 << "802.11a";
    QTest::newRow("2") << 2 << "802.11b";
    QTest::newRow("3") << 3 << "802.11g";
    QTest::newRow("4") << 4 << "802.11n";
    QTest::newRow("5") << 5 << "802.11ac";
    QTest::newRow("6") << 6 << "802.11ax";
    QTest::newRow("7") << 7 << "802.11be";
    QTest::newRow("8") << 8 << "Unknown";
}

void TestNetworkModel::phyModeTextForCode() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(NetworkModel::networkModeForactivePHYMode(code), text);

    FakeInterface iface;
    iface.join(makeNetwork("Home", "aa:bb:cc:dd:ee:01", -50), Security::WPA2Personal, code);
    QCOMPARE(NetworkModel::networkModeForInterface(iface), text);
    QCOMPARE(NetworkModel(iface).networkMode, text);
}

void TestNetworkModel::scannedSecurityIsLowestSupported_data() {
    QTest::addColumn<QList<int>>("supported");
    QTest::addColumn<QString>("text");
    const QStringList texts = {"None",
                               "WEP",
                               "WPA Personal",
                               "WPA/WPA2 Personal ",
                               "WPA2 Personal",
                               "Personal",
                               "Dynamic WEP",
                               "WPA Enterprise",
                               "WPA/WPA2 Enterprise ",
                               "WPA2 Enterprise",
                               "Enterprise",
                               "WPA3 Personal",
                               "WPA3 Enterprise",
                               "WPA2/WPA3 Personal",
                               "OWE",
                               "OWE Transition"};
    for (int code = 0; code < texts.size(); ++code)
        QTest::addRow("code %d alone", code) << QList<int>{code} << texts.at(code);
    QTest::newRow("wpa2 and wpa3 personal")
        << QList<int>{Security::WPA3Personal, Security::WPA2Personal} << "WPA2 Personal";
    QTest::newRow("open and owe") << QList<int>{Security::OWE, Security::None} << "None";
    QTest::newRow("owe and owe transition")
        << QList<int>{Security::OWETransition, Security::OWE} << "OWE";
    QTest::newRow("nothing announced") << QList<int>{} << "Unknown";
}

void TestNetworkModel::scannedSecurityIsLowestSupported() {
    QFETCH(QList<int>, supported);
    QFETCH(QString, text);
    ScanResult network = makeNetwork("Net", "aa:bb:cc:dd:ee:01", -50);
    network.securityModes = codes(supported);
    QCOMPARE(NetworkModel(network).security, text);
    QCOMPARE(NetworkModel::securityStringForNetwork(network), text);
}

void TestNetworkModel::interfaceSecurityHasNoTrailingBlank_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("-1") << -1 << "Unknown";
    QTest::newRow("0") << 0 << "None";
    QTest::newRow("3") << 3 << "WPA/WPA2 Personal";
    QTest::newRow("4") << 4 << "WPA2 Personal";
    QTest::newRow("8") << 8 << "WPA/WPA2 Enterprise";
    QTest::newRow("11") << 11 << "WPA3 Personal";
    QTest::newRow("12") << 12 << "WPA3 Enterprise";
    QTest::newRow("13") << 13 << "WPA2/WPA3 Personal";
    QTest::newRow("14") << 14 << "OWE";
    QTest::newRow("15") << 15 << "OWE Transition";
    QTest::newRow("16") << 16 << "Unknown";
}

void TestNetworkModel::interfaceSecurityHasNoTrailingBlank() {
    QFETCH(int, code);
    QFETCH(QString, text);
    FakeInterface iface;
    iface.join(makeNetwork("Home", "aa:bb:cc:dd:ee:01", -50), code, PhyMode::N);
    QCOMPARE(NetworkModel::securityStringForInterface(iface), text);
    QCOMPARE(NetworkModel(iface).security, text);
}

void TestNetworkModel::scannedRecordCopiesItsFacts() {
    ScanResult network =
        makeNetwork("Cafe", "aa:bb:cc:dd:ee:07", -61, 149, Band::Ghz5, ChannelWidth::Mhz80);
    network.phyModes = codes({PhyMode::A, PhyMode::N, PhyMode::AC});
    network.securityModes = codes({Security::WPA2Personal});
    const NetworkModel r(network);
    const QString summary = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                                .arg(r.ssid, r.bssid, QString::number(r.rssi),
                                     QString::number(r.channel), QString::number(r.channelBand),
                                     r.channelWidth, r.frequency, r.networkMode, r.security);
    QCOMPARE(summary, "Cafe|aa:bb:cc:dd:ee:07|-61|149|2|80 MHz|5745|802.11ac|WPA2 Personal");
    QCOMPARE(r.vendor, "Unknown");
    QCOMPARE(r.networkType, "Access Point");
    QCOMPARE(r.availableCount, 0);
    QCOMPARE(r.count, 0);
    QVERIFY(r.signalStrengthArray.isEmpty());
}

void TestNetworkModel::hiddenNetworkKeepsNullSsid() {
    const NetworkModel r(makeNetwork(QString(), "aa:bb:cc:dd:ee:08", -70));
    QVERIFY(r.ssid.isNull());
    QCOMPARE(r.bssid, "aa:bb:cc:dd:ee:08");
}

void TestNetworkModel::joinedInterfaceRecord() {
    FakeInterface iface;
    iface.join(makeNetwork("Home", "aa:bb:cc:dd:ee:01", -48, 36, Band::Ghz5, ChannelWidth::Mhz160),
               Security::WPAWPA2Personal, PhyMode::AX);
    const NetworkModel r(iface);
    const QString summary = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                                .arg(r.ssid, r.bssid, QString::number(r.rssi),
                                     QString::number(r.channel), QString::number(r.channelBand),
                                     r.channelWidth, r.frequency, r.networkMode, r.security);
    QCOMPARE(summary, "Home|aa:bb:cc:dd:ee:01|-48|36|2|160 MHz|5180|802.11ax|WPA/WPA2 Personal");
    QCOMPARE(r.activePHY, PhyMode::AX);
    QCOMPARE(r.vendor, "Unknown");
    QCOMPARE(r.networkType, "Access Point");
}

void TestNetworkModel::idleInterfaceRecord() {
    FakeInterface iface;
    iface.leave();
    const NetworkModel r(iface);
    QVERIFY(r.ssid.isNull());
    QVERIFY(r.bssid.isNull());
    QCOMPARE(r.rssi, 0);
    QCOMPARE(r.channel, 0);
    QCOMPARE(r.channelBand, 0);
    QCOMPARE(r.frequency, "-1");
    QCOMPARE(r.channelWidth, "unknown");
    QCOMPARE(r.networkType, "Access Point");
    QCOMPARE(r.vendor, "Unknown");
}

QTEST_GUILESS_MAIN(TestNetworkModel)
#include "tst_networkmodel.moc"
