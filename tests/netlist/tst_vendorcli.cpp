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
    void scanShowsFileVendors() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        VendorLookup vendors(prefs, nullptr);
        QVERIFY(vendors.vendorName());
        QFile generated(AIRLUME_VENDOR_TEXT); // what the bundled table was made from
        QVERIFY(generated.open(QIODevice::ReadOnly));
        const QString listed =
            QString::fromLatin1(generated.readLine().left(8)).replace('-', ':').toLower() +
            ":00:00:01";
        const QString unlisted = "02:11:22:33:44:55";
        QVERIFY(!vendors.fileVendor(listed).isEmpty());

        QTemporaryDir dir;
        QFile file(dir.filePath("scenario.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString network = R"({"ssid": "%1", "bssid": "%1", "rssi": %2, "channel": 6,
                                    "band": 1, "width": 1, "phy": [4], "security": [4]})";
        file.write(QString(R"({"interface": {"name": "wlan7", "powered": true}, "scans": [
                                {"joined": null, "networks": [%1, %2]}]})")
                       .arg(network.arg(listed, "-40"), network.arg(unlisted, "-60"))
                       .toUtf8());
        file.close();

        QProcess cli;
        cli.start(AIRLUME_CLI, {"scan", "--source=scenario:" + file.fileName(), "--format=json"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QStringList shown;
        for (const QJsonValue &r : QJsonDocument::fromJson(cli.readAllStandardOutput()).array())
            shown << r["bssid"].toString() + "=" + r["vendor"].toString();
        QCOMPARE(shown.join(' '),
                 listed + "=" + vendors.fileVendor(listed) + " " + unlisted + "=Unknown");
    }
};

QTEST_GUILESS_MAIN(TestVendorCli)
#include "tst_vendorcli.moc"
