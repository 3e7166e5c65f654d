#include "app/NetworkExport.h"
#include "netlist/CsvExport.h"
#include "scan/ScanResult.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

NetworkModelPtr record(const QString &ssid, const QString &bssid, int rssi, const QString &vendor) {
    ScanResult scanned;
    scanned.ssid = ssid;
    scanned.bssid = bssid;
    scanned.rssiValue = rssi;
    scanned.channelNumber = 36;
    scanned.channelBand = 2;
    scanned.channelWidth = 3;
    auto r = std::make_shared<NetworkModel>(scanned);
    r->vendor = vendor;
    return r;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll();
}

} // namespace

class TestNetworkExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void withCsvSuffix_data();
    void withCsvSuffix();
    void writesTheCsvTextAndLogsIt();
    void vendorKeepsItsCleanedForm();
    void emptyListWritesTheHeader();
    void replacesAnExistingFile();
    void failureNamesPathAndKeepsOldFile();

private:
    std::unique_ptr<Preferences> m_prefs;
    QTemporaryDir m_dir;
    NetworkList m_list;
};

void TestNetworkExport::init() {
    QVERIFY(m_dir.isValid());
    m_prefs = std::make_unique<Preferences>(std::make_shared<MemoryPreferenceStore>());
    m_prefs->writeLaunchDefaults();
    m_list = {record(QStringLiteral("Home"), QStringLiteral("aa:bb:cc:00:00:01"), -48,
                     QStringLiteral("Acme, Inc.")),
              record(QStringLiteral("Cafe"), QStringLiteral("aa:bb:cc:00:00:02"), -70,
                     QStringLiteral("Unknown"))};
}

void TestNetworkExport::withCsvSuffix_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("path");
    QTest::newRow("no suffix") << "/tmp/nets"
                               << "/tmp/nets.csv";
    QTest::newRow("already .csv") << "/tmp/nets.csv"
                                  << "/tmp/nets.csv";
    QTest::newRow("upper case .CSV") << "/tmp/nets.CSV"
                                     << "/tmp/nets.CSV";
    QTest::newRow("other type") << "/tmp/nets.txt"
                                << "/tmp/nets.txt.csv";
    QTest::newRow("csv without dot") << "/tmp/netscsv"
                                     << "/tmp/netscsv.csv";
}

void TestNetworkExport::withCsvSuffix() {
    QFETCH(QString, chosen);
    QFETCH(QString, path);
    QCOMPARE(NetworkExport::withCsvSuffix(chosen), path);
}

// Byte for byte the text airlume-cli prints for the same list: CsvExport's.
void TestNetworkExport::writesTheCsvTextAndLogsIt() {
    const QString path = m_dir.filePath(QStringLiteral("nets.csv"));
    const QString expected = QStringLiteral(
        "Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,Vendor,BSSID,Channel,Frequency,"
        "Network Type \n"
        "True,Home,-48,None,80 MHz, Unknown ,Acme  Inc.,aa:bb:cc:00:00:01,36,5180,Access Point \n"
        "False,Cafe,-70,None,80 MHz, Unknown ,Unknown,aa:bb:cc:00:00:02,36,5180,Access Point \n");
    QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("writeString :") + expected));
    QString error;
    QVERIFY2(NetworkExport::writeNetworkList(path, m_list, m_list.at(0), *m_prefs, &error),
             qPrintable(error));
    QCOMPARE(readAll(path), expected.toUtf8());
    QCOMPARE(readAll(path), CsvExport::document(m_list, m_list.at(0), *m_prefs).toUtf8());
}

void TestNetworkExport::vendorKeepsItsCleanedForm() {
    QString error;
    QVERIFY(NetworkExport::writeNetworkList(m_dir.filePath(QStringLiteral("v.csv")), m_list,
                                            nullptr, *m_prefs, &error));
    QCOMPARE(m_list.at(0)->vendor, "Acme  Inc.");
    QVERIFY(readAll(m_dir.filePath(QStringLiteral("v.csv"))).contains(",Acme  Inc.,"));
}

void TestNetworkExport::emptyListWritesTheHeader() {
    const QString path = m_dir.filePath(QStringLiteral("empty.csv"));
    QString error;
    QVERIFY(NetworkExport::writeNetworkList(path, {}, nullptr, *m_prefs, &error));
    QCOMPARE(readAll(path), CsvExport::header().toUtf8());
}

void TestNetworkExport::replacesAnExistingFile() {
    const QString path = m_dir.filePath(QStringLiteral("old.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    QString error;
    QVERIFY(NetworkExport::writeNetworkList(path, {}, nullptr, *m_prefs, &error));
    QCOMPARE(readAll(path), CsvExport::header().toUtf8());
}

// The target is a folder: nothing can replace it, and the message says
// where and why.
void TestNetworkExport::failureNamesPathAndKeepsOldFile() {
    const QString folder = m_dir.filePath(QStringLiteral("taken.csv"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    QString error;
    QVERIFY(!NetworkExport::writeNetworkList(folder, m_list, nullptr, *m_prefs, &error));
    QVERIFY2(error.contains(folder), qPrintable(error));
    QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());

    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/nets.csv"));
    QVERIFY(!NetworkExport::writeNetworkList(missing, m_list, nullptr, *m_prefs, &error));
    QVERIFY2(error.contains(missing), qPrintable(error));
    QVERIFY(!QFile::exists(missing));
}

QTEST_GUILESS_MAIN(TestNetworkExport)
#include "tst_networkexport.moc"
