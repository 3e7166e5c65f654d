#include "netlist/CsvExport.h"
#include "settings/Preferences.h"

#include <QTest>
#include <memory>

namespace {

ScanResult network(const QString &ssid, const QString &bssid, int rssi) {
    ScanResult r;
    r.ssid = ssid;
    r.bssid = bssid;
    r.rssiValue = rssi;
    r.channelNumber = 36;
    r.channelBand = Band::Ghz5;
    r.channelWidth = ChannelWidth::Mhz80;
    r.phyModes.set(PhyMode::A).set(PhyMode::N).set(PhyMode::AC);
    r.securityModes.set(Security::WPA2Personal);
    return r;
}

NetworkModelPtr record(const QString &ssid, const QString &bssid = "aa:bb:cc:dd:ee:ff",
                       int rssi = -48) {
    return std::make_shared<NetworkModel>(network(ssid, bssid, rssi));
}

// The comma-separated fields of a line without its " \n" ending. Only for
// lines whose fields hold no comma.
QStringList fields(const QString &line) {
    return line.chopped(2).split(QLatin1Char(','));
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void headerIsFixed();
    void lineOfTheJoinedNetwork();
    void connectedMeansThatObject();
    void signalInChosenUnit_data();
    void signalInChosenUnit();
    void securityWithTrailingBlank();
    void hiddenSsidReadsNull();
    void vendorCommasBecomeBlanks();
    void field_data();
    void field();
    void ssidAndVendorAreMadeSafeInTheLine();
    void placeholdersInSsidStayLiteral();
    void emptyListIsHeaderOnly();
    void nonAsciiSsidKeepsItsBytes();

private:
    std::unique_ptr<Preferences> m_prefs;
};

void TestCsvExport::init() {
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
}

void TestCsvExport::headerIsFixed() {
    QCOMPARE(CsvExport::header(), "Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,Vendor,"
                                  "BSSID,Channel,Frequency,Network Type \n");
}

void TestCsvExport::lineOfTheJoinedNetwork() {
    const NetworkModelPtr home = record("HomeNet");
    QCOMPARE(CsvExport::line(*home, true, *m_prefs),
             "True,HomeNet,-48,802.11ac,80 MHz, WPA2 Personal ,Unknown,aa:bb:cc:dd:ee:ff,36,5180,"
             "Access Point \n");
    QCOMPARE(CsvExport::line(*home, false, *m_prefs).left(6), "False,");
}

void TestCsvExport::connectedMeansThatObject() {
    const NetworkModelPtr first = record("One", "aa:bb:cc:dd:ee:01");
    const NetworkModelPtr second = record("Two", "aa:bb:cc:dd:ee:02");
    const NetworkModelPtr twinOfSecond = record("Two", "aa:bb:cc:dd:ee:02");

    const auto firstColumn = [&](const NetworkModelPtr &connected) {
        const QStringList lines =
            CsvExport::document({first, second}, connected, *m_prefs).split(QLatin1Char('\n'));
        QStringList marks;
        for (const QString &line : lines.mid(1, 2))
            marks << line.section(QLatin1Char(','), 0, 1);
        return marks.join(QLatin1Char(' '));
    };
    QCOMPARE(firstColumn(second), "False,One True,Two");
    QCOMPARE(firstColumn(twinOfSecond), "False,One False,Two");
    QCOMPARE(firstColumn(nullptr), "False,One False,Two");
}

void TestCsvExport::signalInChosenUnit_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Percent -60") << "Percent" << -60 << "80";
    QTest::newRow("Percent no signal") << "Percent" << 0 << "0";
    QTest::newRow("Percent -100") << "Percent" << -100 << "0";
    QTest::newRow("dBm -60") << "dBm" << -60 << "-60";
    QTest::newRow("dBm no signal") << "dBm" << 0 << "0";
}

void TestCsvExport::signalInChosenUnit() {
    QFETCH(QString, unit);
    QFETCH(int, rssi);
    QFETCH(QString, shown);
    m_prefs->setValue(Preferences::displayUnitsKey, unit);
    const NetworkModelPtr r = record("Net", "aa:bb:cc:dd:ee:01", rssi);
    QCOMPARE(fields(CsvExport::line(*r, false, *m_prefs)).value(2), shown);
}

void TestCsvExport::securityWithTrailingBlank() {
    ScanResult mixed = network("Mixed", "aa:bb:cc:dd:ee:01", -50);
    mixed.securityModes = CodeSet().set(Security::WPAWPA2Personal);
    const QString line = CsvExport::line(NetworkModel(mixed), false, *m_prefs);
    QCOMPARE(fields(line).value(5), " WPA/WPA2 Personal  ");
}

void TestCsvExport::hiddenSsidReadsNull() {
    const NetworkModelPtr hidden = record(QString(), "aa:bb:cc:dd:ee:01");
    QCOMPARE(fields(CsvExport::line(*hidden, false, *m_prefs)).value(1), "(null)");
    // An SSID that is present but empty is not hidden.
    const NetworkModelPtr empty = record(QStringLiteral(""), "aa:bb:cc:dd:ee:02");
    QCOMPARE(fields(CsvExport::line(*empty, false, *m_prefs)).value(1), "");
}

void TestCsvExport::vendorCommasBecomeBlanks() {
    const NetworkModelPtr r = record("Net");
    r->vendor = QStringLiteral("Acme, Inc.,Ltd");
    const QString text = CsvExport::document({r}, nullptr, *m_prefs);
    QCOMPARE(r->vendor, "Acme  Inc. Ltd");
    QCOMPARE(fields(text.mid(CsvExport::header().size())).value(6), "Acme  Inc. Ltd");
}

void TestCsvExport::field_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("guard");
    QTest::addColumn<QString>("cell");
    QTest::newRow("plain") << "HomeNet" << true << "HomeNet";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("comma") << "a,b" << false << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\"" << false << "\"say \"\"hi\"\"\"";
    QTest::newRow("lone quote") << "\"" << false << "\"\"\"\"";
    QTest::newRow("CR") << "a\rb" << false << "\"a\rb\"";
    QTest::newRow("LF") << "a\nb" << false << "\"a\nb\"";
    QTest::newRow("semicolon and tab not quoted") << "a;b\tc" << false << "a;b\tc";
    QTest::newRow("leading =") << "=1+1" << true << "'=1+1";
    QTest::newRow("leading +") << "+1" << true << "'+1";
    QTest::newRow("leading -") << "-1" << true << "'-1";
    QTest::newRow("leading @") << "@SUM(A1)" << true << "'@SUM(A1)";
    QTest::newRow("leading = unguarded") << "=1+1" << false << "=1+1";
    QTest::newRow("= not leading") << "a=b" << true << "a=b";
    QTest::newRow("leading blank then =") << " =1" << true << " =1";
    QTest::newRow("guard then quoting")
        << "=HYPERLINK(\"x\",\"y\")" << true << "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"";
    QTest::newRow("leading quote mark kept") << "'=1" << true << "'=1";
}

void TestCsvExport::field() {
    QFETCH(QString, text);
    QFETCH(bool, guard);
    QFETCH(QString, cell);
    QCOMPARE(CsvExport::field(text, guard), cell);
}

void TestCsvExport::ssidAndVendorAreMadeSafeInTheLine() {
    const NetworkModelPtr r = record("=cmd|' /C calc'!A0,x");
    r->vendor = QStringLiteral("@Evil \"Corp\"");
    QCOMPARE(CsvExport::document({r}, nullptr, *m_prefs).mid(CsvExport::header().size()),
             "False,\"'=cmd|' /C calc'!A0,x\",-48,802.11ac,80 MHz, WPA2 Personal ,"
             "\"'@Evil \"\"Corp\"\"\",aa:bb:cc:dd:ee:ff,36,5180,Access Point \n");
}

void TestCsvExport::placeholdersInSsidStayLiteral() {
    const NetworkModelPtr r = record("%1 %3 %L2 %%");
    QCOMPARE(fields(CsvExport::line(*r, true, *m_prefs)).value(1), "%1 %3 %L2 %%");
}

void TestCsvExport::emptyListIsHeaderOnly() {
    QCOMPARE(CsvExport::document({}, nullptr, *m_prefs), CsvExport::header());
}

void TestCsvExport::nonAsciiSsidKeepsItsBytes() {
    const QByteArray raw("Caf\xc3\xa9 \xe2\x98\x95 \xe6\x97\xa5\xe6\x9c\xac");
    const NetworkModelPtr r = record(QString::fromUtf8(raw));
    const QByteArray bytes = CsvExport::document({r}, r, *m_prefs).toUtf8();
    QVERIFY(bytes.contains(QByteArray("\nTrue,") + raw + ",-48,"));
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
