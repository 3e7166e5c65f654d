#include "netlist/CsvExport.h"
#include "settings/Preferences.h"

#include <QTest>

namespace {

NetworkModelPtr record(const QString &ssid, const QString &bssid = "aa:bb:cc:dd:ee:ff",
                       int rssi = -48, int security = Security::WPA2Personal) {
    ScanResult r;
    r.ssid = ssid;
    r.bssid = bssid;
    r.rssiValue = rssi;
    r.channelNumber = 36;
    r.channelBand = Band::Ghz5;
    r.channelWidth = ChannelWidth::Mhz80;
    r.phyModes.set(PhyMode::A).set(PhyMode::N).set(PhyMode::AC);
    r.securityModes.set(security);
    return std::make_shared<NetworkModel>(r);
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT

    std::unique_ptr<Preferences> m_prefs;
    // Field `column` of the record's line (fields without commas only).
    QString column(const NetworkModelPtr &r, int column) {
        return CsvExport::line(*r, false, *m_prefs).chopped(2).split(',').value(column);
    }

private Q_SLOTS:
    void init() {
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        m_prefs->writeLaunchDefaults();
    }

    void headerAndLine() {
        QCOMPARE(CsvExport::header(), "Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,"
                                      "Vendor,BSSID,Channel,Frequency,Network Type \n");
        QCOMPARE(CsvExport::document({}, nullptr, *m_prefs), CsvExport::header());
        const NetworkModelPtr home = record("HomeNet");
        QCOMPARE(CsvExport::line(*home, true, *m_prefs),
                 "True,HomeNet,-48,802.11ac,80 MHz, WPA2 Personal ,Unknown,aa:bb:cc:dd:ee:ff,36,"
                 "5180,Access Point \n");
        QCOMPARE(CsvExport::line(*home, false, *m_prefs).left(6), "False,");
    }

    // Connected means that very object, not an equal record.
    void connectedMeansThatObject() {
        const NetworkModelPtr one = record("One", "aa:bb:cc:dd:ee:01");
        const NetworkModelPtr two = record("Two", "aa:bb:cc:dd:ee:02");
        QStringList marks;
        for (const NetworkModelPtr &connected : {two, record("Two", "aa:bb:cc:dd:ee:02"), {}}) {
            const QString doc = CsvExport::document({one, two}, connected, *m_prefs);
            for (const QString &line : doc.split('\n').mid(1, 2))
                marks << line.section(',', 0, 1);
        }
        QCOMPARE(marks.join(' '), "False,One True,Two False,One False,Two False,One False,Two");
    }

    // Signal in the chosen unit, the security's blanks, a hidden SSID or an
    // absent BSSID as (null) but an empty SSID as is.
    void fieldTexts() {
        m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
        QCOMPARE(column(record("Net", "b", -60), 2), "80");
        QCOMPARE(column(record("Mixed", "b", -50, Security::WPAWPA2Personal), 5),
                 " WPA/WPA2 Personal  ");
        QCOMPARE(column(record(QString()), 1) + '|' + column(record(""), 1) + '|' +
                     column(record("Net", QString()), 7),
                 "(null)||(null)");
        QCOMPARE(column(record("%1 %3 %L2 %%"), 1), "%1 %3 %L2 %%"); // not QString::arg
    }

    // The document blanks vendor commas, in the record too.
    void vendorCommasBecomeBlanks() {
        const NetworkModelPtr r = record("Net");
        r->vendor = QStringLiteral("Acme, Inc.,Ltd");
        const QString text = CsvExport::document({r}, nullptr, *m_prefs);
        QCOMPARE(r->vendor, "Acme  Inc. Ltd");
        QCOMPARE(text.mid(CsvExport::header().size()).section(',', 6, 6), "Acme  Inc. Ltd");
    }

    // Quoting (RFC 4180) and the guard against spreadsheet formulas.
    void field() {
        const auto cell = [](const QString &text, bool guard = true) {
            return CsvExport::field(text, guard);
        };
        QCOMPARE(cell("HomeNet") + '|' + cell(""), "HomeNet|");
        QCOMPARE(cell("a,b", false), "\"a,b\"");
        QCOMPARE(cell("say \"hi\"", false), "\"say \"\"hi\"\"\"");
        QCOMPARE(cell("a\rb", false), "\"a\rb\"");
        QCOMPARE(cell("a\nb", false), "\"a\nb\"");
        QCOMPARE(cell("a;b\tc", false), "a;b\tc");
        QCOMPARE(cell("=1+1") + cell("+1") + cell("-1") + cell("@SUM(A1)"), "'=1+1'+1'-1'@SUM(A1)");
        QCOMPARE(cell("=1+1", false), "=1+1");
        QCOMPARE(cell("a=b") + '|' + cell(" =1") + '|' + cell("'=1"), "a=b| =1|'=1");
        QCOMPARE(cell("=HYPERLINK(\"x\",\"y\")"), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
    }

    void ssidAndVendorAreMadeSafeInTheLine() {
        const NetworkModelPtr r = record("=cmd|' /C calc'!A0,x");
        r->vendor = QStringLiteral("@Evil \"Corp\"");
        QCOMPARE(CsvExport::document({r}, nullptr, *m_prefs).mid(CsvExport::header().size()),
                 "False,\"'=cmd|' /C calc'!A0,x\",-48,802.11ac,80 MHz, WPA2 Personal ,"
                 "\"'@Evil \"\"Corp\"\"\",aa:bb:cc:dd:ee:ff,36,5180,Access Point \n");
    }

    void nonAsciiSsidKeepsItsBytes() {
        const QByteArray raw("Caf\xc3\xa9 \xe2\x98\x95 \xe6\x97\xa5\xe6\x9c\xac");
        const NetworkModelPtr r = record(QString::fromUtf8(raw));
        QVERIFY(CsvExport::document({r}, r, *m_prefs).toUtf8().contains("\nTrue," + raw + ",-48,"));
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
