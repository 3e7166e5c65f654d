#include "netlist/CsvExport.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"

#include <QTest>

namespace {

NetworkModelPtr record(const QString &ssid, const QString &bssid = "aa:bb:cc:dd:ee:ff",
                       int rssi = -48, int security = Security::WPA2Personal) {
    ScanResult r = makeNetwork(ssid, bssid, rssi, 36, Band::Ghz5, ChannelWidth::Mhz80);
    r.phyModes.set(PhyMode::A).set(PhyMode::N).set(PhyMode::AC);
    r.securityModes.set(security);
    return std::make_shared<NetworkModel>(r);
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT

    std::unique_ptr<Preferences> m_prefs;
    QString line(const NetworkModelPtr &r, bool connected = false) {
        return CsvExport::line(*r, connected, *m_prefs);
    }

private Q_SLOTS:
    void init() {
        m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
        m_prefs->writeLaunchDefaults();
    }

    // The columns, in the chosen unit; a hidden SSID or an absent BSSID is
    // "(null)", an empty SSID is kept; SSID and vendor are made safe.
    void lines() {
        QCOMPARE(CsvExport::header(), "Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,"
                                      "Vendor,BSSID,Channel,Frequency,Network Type \n");
        QCOMPARE(CsvExport::document({}, nullptr, *m_prefs), CsvExport::header());
        QCOMPARE(line(record("HomeNet"), true),
                 "True,HomeNet,-48,802.11ac,80 MHz, WPA2 Personal ,Unknown,aa:bb:cc:dd:ee:ff,36,"
                 "5180,Access Point \n");
        const NetworkModelPtr evil = record("=cmd|' /C calc'!A0,x");
        evil->vendor = QStringLiteral("@Evil \"Corp\"");
        QCOMPARE(line(evil), "False,\"'=cmd|' /C calc'!A0,x\",-48,802.11ac,80 MHz, WPA2 Personal ,"
                             "\"'@Evil \"\"Corp\"\"\",aa:bb:cc:dd:ee:ff,36,5180,Access Point \n");
        m_prefs->setValue(Preferences::displayUnitsKey, Preferences::percent);
        QStringList fields;
        for (const NetworkModelPtr &r :
             {record(QString(), QString(), -60, Security::WPAWPA2Personal), record(""),
              record("%1 %3 %L2 %%")})
            fields << line(r).split(',').mid(1, 7).join(',');
        QCOMPARE(fields.join('|'), "(null),80,802.11ac,80 MHz, WPA/WPA2 Personal  ,Unknown,(null)|"
                                   ",100,802.11ac,80 MHz, WPA2 Personal ,Unknown,aa:bb:cc:dd:ee:ff|"
                                   "%1 %3 %L2 %%,100,802.11ac,80 MHz, WPA2 Personal ,Unknown,"
                                   "aa:bb:cc:dd:ee:ff");
    }

    // Connected means that very object, not an equal record; the document
    // blanks vendor commas, in the record too, and keeps UTF-8 SSIDs whole.
    void document() {
        const NetworkModelPtr one = record("One", "aa:bb:cc:dd:ee:01");
        const NetworkModelPtr two = record("Two", "aa:bb:cc:dd:ee:02");
        QStringList marks;
        for (const NetworkModelPtr &connected : {two, record("Two", "aa:bb:cc:dd:ee:02"), {}}) {
            const QString doc = CsvExport::document({one, two}, connected, *m_prefs);
            for (const QString &line : doc.split('\n').mid(1, 2))
                marks << line.section(',', 0, 1);
        }
        QCOMPARE(marks.join(' '), "False,One True,Two False,One False,Two False,One False,Two");
        const QByteArray raw("Caf\xc3\xa9 \xe2\x98\x95 \xe6\x97\xa5\xe6\x9c\xac");
        const NetworkModelPtr r = record(QString::fromUtf8(raw));
        r->vendor = QStringLiteral("Acme, Inc.,Ltd");
        const QByteArray doc = CsvExport::document({r}, r, *m_prefs).toUtf8();
        QCOMPARE(r->vendor, "Acme  Inc. Ltd");
        QVERIFY(doc.contains("\nTrue," + raw + ",-48,") && doc.contains(",Acme  Inc. Ltd,"));
    }

    // Quoting (RFC 4180) and the guard against spreadsheet formulas.
    void field_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("guard");
        QTest::addColumn<QString>("cell");
        const char *rows[][3] = {
            {"HomeNet", "y", "HomeNet"},
            {"", "y", ""},
            {"a,b", "", "\"a,b\""},
            {"say \"hi\"", "", "\"say \"\"hi\"\"\""},
            {"a\rb", "", "\"a\rb\""},
            {"a\nb", "", "\"a\nb\""},
            {"a;b\tc", "", "a;b\tc"},
            {"=1+1", "y", "'=1+1"},
            {"+1", "y", "'+1"},
            {"-1", "y", "'-1"},
            {"@SUM(A1)", "y", "'@SUM(A1)"},
            {"=1+1", "", "=1+1"},
            {"a=b", "y", "a=b"},
            {" =1", "y", " =1"},
            {"'=1", "y", "'=1"},
            {"=HYPERLINK(\"x\",\"y\")", "y", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        };
        for (const auto &[text, guard, cell] : rows)
            QTest::addRow("%s%s", text, *guard ? " guarded" : "") << text << bool(*guard) << cell;
    }
    void field() {
        QFETCH(QString, text);
        QFETCH(bool, guard);
        QFETCH(QString, cell);
        QCOMPARE(CsvExport::field(text, guard), cell);
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
