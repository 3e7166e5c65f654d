#include "conninfo/ConnectionPanelModel.h"
#include "conninfo/NetworkSettingsCommand.h"
#include "settings/Preferences.h"

#include <QTest>

namespace {

NetworkModelPtr joined(const QString &ssid, const QString &bssid, int rssi, int channel) {
    ScanResult r;
    r.ssid = ssid;
    r.bssid = bssid;
    r.rssiValue = rssi;
    auto record = std::make_shared<NetworkModel>(r);
    record->channel = channel;
    record->networkMode = QStringLiteral("802.11ax");
    return record;
}

} // namespace

class TestConnectionPanelModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsTheJoinedNetwork();
    void settingsCommand_data();
    void settingsCommand();
};

// One scripted sequence of ticks; each step notes the ten fields and how
// often the host facts were read.
void TestConnectionPanelModel::followsTheJoinedNetwork() {
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    int reads = 0;
    HostFacts facts{"A4:C3:F0:0E:9B:1D", "N/A", "192.168.1.1", "192.168.1.1"};
    ConnectionPanelModel model(prefs, [&] {
        ++reads;
        return facts;
    });
    QStringList seen;
    auto note = [&] { seen << model.texts().join('|') + QStringLiteral(" reads=%1").arg(reads); };

    note(); // nothing joined yet
    model.setExternalIP("198.51.100.23");
    model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:20", -60, 36)); // DHCP still pending
    note();
    facts.ipAddress = "192.168.1.23";
    facts.gateway = "10.9.9.9"; // a found value is not read again
    model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:24", -71, 6)); // roam, IP arrived
    note();
    prefs.setValue(Preferences::displayUnitsKey, Preferences::percent);
    model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:24", -60, 6)); // nothing to read
    note();
    model.connectedToNetwork(nullptr);
    note();
    model.connectedToNetwork(joined("Cafe", "f0:9f:c2:31:7a:0e", -80, 1)); // joins afresh
    note();
    model.connectedToNetwork(joined("Other", "c4:04:15:0b:92:61", -45, 11)); // no gap between
    note();
    model.reset(); // adapter switched off
    note();

    const QString na10 = QStringList(10, "N/A").join('|');
    QCOMPARE(
        seen,
        QStringList({
            na10 + " reads=0",
            "Home|04:d4:c4:5a:10:20|-60 "
            "dBm|36|802.11ax|A4:C3:F0:0E:9B:1D|N/A|192.168.1.1|192.168.1.1|198.51.100.23 reads=1",
            "Home|04:d4:c4:5a:10:24|-71 "
            "dBm|6|802.11ax|A4:C3:F0:0E:9B:1D|192.168.1.23|192.168.1.1|192.168.1.1|198.51.100.23 "
            "reads=2",
            "Home|04:d4:c4:5a:10:24|80%|6|802.11ax|A4:C3:F0:0E:9B:1D|192.168.1.23|192.168.1.1|192."
            "168.1.1|198.51.100.23 reads=2",
            na10 + " reads=2",
            "Cafe|f0:9f:c2:31:7a:0e|40%|1|802.11ax|A4:C3:F0:0E:9B:1D|192.168.1.23|192.168.1.1|10.9."
            "9.9|198.51.100.23 reads=3",
            "Other|c4:04:15:0b:92:61|100%|11|802.11ax|A4:C3:F0:0E:9B:1D|192.168.1.23|192.168.1.1|"
            "10.9.9.9|198.51.100.23 reads=4",
            na10 + " reads=4",
        }));

    // The unit switched back: the signal is rewritten without a tick; an
    // address arriving later shows only while addresses are shown.
    model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:20", -60, 36));
    prefs.setValue(Preferences::displayUnitsKey, Preferences::dBm);
    model.refreshSignal();
    model.setExternalIP("N/A");
    QCOMPARE(model.text(ConnectionPanelModel::Signal), "-60 dBm");
    QCOMPARE(model.text(ConnectionPanelModel::ExternalIp), "N/A");
    model.reset();
    model.setExternalIP("203.0.113.1");
    QCOMPARE(model.text(ConnectionPanelModel::ExternalIp), "N/A");
}

void TestConnectionPanelModel::settingsCommand_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("command"); // empty: nothing can open the settings

    const QStringList all{"gnome-control-center", "systemsettings5", "nm-connection-editor"};
    QTest::newRow("gnome") << "ubuntu:GNOME" << all << "/usr/bin/gnome-control-center wifi";
    QTest::newRow("gnome panel missing")
        << "GNOME" << QStringList{"systemsettings5", "nm-connection-editor"}
        << "/usr/bin/nm-connection-editor";
    QTest::newRow("plasma 5") << "KDE" << all << "/usr/bin/systemsettings5 kcm_networkmanagement";
    QTest::newRow("xfce") << "XFCE" << all << "/usr/bin/nm-connection-editor";
    QTest::newRow("unset, only gnome panel") << "" << QStringList{"gnome-control-center"} << "";
    QTest::newRow("nothing installed") << "GNOME" << QStringList{} << "";
}

void TestConnectionPanelModel::settingsCommand() {
    QFETCH(QString, desktop);
    QFETCH(QStringList, installed);
    QFETCH(QString, command);
    const auto chosen = NetworkSettingsCommand::choose(desktop, [&](const QString &program) {
        return installed.contains(program) ? "/usr/bin/" + program : QString();
    });
    QCOMPARE(chosen ? (QStringList{chosen->program} + chosen->arguments).join(' ') : QString(),
             command);
}

QTEST_GUILESS_MAIN(TestConnectionPanelModel)
#include "tst_connectionpanelmodel.moc"
