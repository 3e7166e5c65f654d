#include "netlist/VendorLookup.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// airlume-cli fills the vendor column from the bundled file.
class TestVendorCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanShowsFileVendors();
};

void TestVendorCli::scanShowsFileVendors() {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    VendorLookup vendors(prefs, nullptr);
    QVERIFY(vendors.vendorName());
    QFile bundled(VendorLookup::bundledVendorFile());
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    const QString listed =
        QString::fromLatin1(bundled.readLine().left(8)).replace('-', ':').toLower() +
        QStringLiteral(":00:00:01");
    const QString unlisted = QStringLiteral("02:11:22:33:44:55");
    QVERIFY(!vendors.fileVendor(listed).isEmpty());
    QVERIFY(vendors.fileVendor(unlisted).isNull());

    QTemporaryDir dir;
    const QString scenario = dir.filePath(QStringLiteral("scenario.json"));
    QFile file(scenario);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(R"({"interface": {"name": "wlan7", "powered": true}, "scans": [
        {"joined": null, "networks": [
          {"ssid": "Listed", "bssid": "%1", "rssi": -40, "channel": 6, "band": 1, "width": 1,
           "phy": [4], "security": [4]},
          {"ssid": "Unlisted", "bssid": "%2", "rssi": -60, "channel": 6, "band": 1, "width": 1,
           "phy": [4], "security": [4]}]}]})")
                   .arg(listed, unlisted)
                   .toUtf8());
    file.close();

    QProcess cli;
    cli.start(QStringLiteral(AIRLUME_CLI),
              {QStringLiteral("scan"), QStringLiteral("--source=scenario:") + scenario,
               QStringLiteral("--format=json")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QStringList shown;
    const QJsonArray records = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
    for (const QJsonValue &r : records)
        shown.append(r[QStringLiteral("bssid")].toString() + QLatin1Char('=') +
                     r[QStringLiteral("vendor")].toString());
    QCOMPARE(shown.join(QLatin1Char(' ')), listed + QLatin1Char('=') + vendors.fileVendor(listed) +
                                               QLatin1Char(' ') + unlisted +
                                               QStringLiteral("=Unknown"));
}

QTEST_GUILESS_MAIN(TestVendorCli)
#include "tst_vendorcli.moc"
