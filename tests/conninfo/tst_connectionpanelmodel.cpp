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
    // One scripted run of ticks; each step notes the ten fields (the MAC and
    // mode, which never change, after the first) and how often the host facts
    // were read. An address still missing is read again; a found one is not.
    void followsTheJoinedNetwork() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        int reads = 0;
        HostFacts facts{"A4:C3:F0:0E:9B:1D", "N/A", "192.168.1.1", "192.168.1.1"};
        ConnectionPanelModel model(prefs, [&] { return ++reads, facts; });
        QStringList seen;
        auto note = [&] {
            QStringList texts = model.texts();
            if (!seen.isEmpty())
                texts.remove(ConnectionPanelModel::Mode, 2);
            seen << texts.join('|') + QStringLiteral(" reads=%1").arg(reads);
        };
        model.setExternalIP("198.51.100.23");
        model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:20", -60, 36)); // DHCP pending
        note();
        facts.ipAddress = "192.168.1.23";
        facts.gateway = "10.9.9.9";
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
        const QString na = QStringList(8, "N/A").join('|');
        QCOMPARE(seen, QStringList({
                           "Home|04:d4:c4:5a:10:20|-60 dBm|36|802.11ax|A4:C3:F0:0E:9B:1D|N/A|"
                           "192.168.1.1|192.168.1.1|198.51.100.23 reads=1",
                           "Home|04:d4:c4:5a:10:24|-71 dBm|6|192.168.1.23|192.168.1.1|"
                           "192.168.1.1|198.51.100.23 reads=2",
                           "Home|04:d4:c4:5a:10:24|80%|6|192.168.1.23|192.168.1.1|192.168.1.1|"
                           "198.51.100.23 reads=2",
                           na + " reads=2",
                           "Cafe|f0:9f:c2:31:7a:0e|40%|1|192.168.1.23|192.168.1.1|10.9.9.9|"
                           "198.51.100.23 reads=3",
                           "Other|c4:04:15:0b:92:61|100%|11|192.168.1.23|192.168.1.1|10.9.9.9|"
                           "198.51.100.23 reads=4",
                           na + " reads=4",
                       }));

        // The unit switched back: the signal is rewritten without a tick; an
        // address arriving later shows only while addresses are shown.
        model.connectedToNetwork(joined("Home", "04:d4:c4:5a:10:20", -60, 36));
        prefs.setValue(Preferences::displayUnitsKey, Preferences::dBm);
        model.refreshSignal();
        model.setExternalIP("N/A");
        QCOMPARE(model.text(ConnectionPanelModel::Signal) + "|" +
                     model.text(ConnectionPanelModel::ExternalIp),
                 "-60 dBm|N/A");
        model.reset();
        model.setExternalIP("203.0.113.1");
        QCOMPARE(model.text(ConnectionPanelModel::ExternalIp), "N/A");
    }

    // The desktop's own panel when installed, else the NetworkManager editor;
    // nothing for an unknown desktop without the editor.
    void settingsCommand() {
        const QStringList all{"gnome-control-center", "systemsettings5", "nm-connection-editor"};
        const std::tuple<QString, QStringList, QString> cases[] = {
            {"ubuntu:GNOME", all, "/usr/bin/gnome-control-center wifi"},
            {"GNOME", all.mid(1), "/usr/bin/nm-connection-editor"},
            {"KDE", all, "/usr/bin/systemsettings5 kcm_networkmanagement"},
            {"XFCE", all, "/usr/bin/nm-connection-editor"},
            {"", all.mid(0, 1), ""},
            {"GNOME", {}, ""}};
        for (const auto &[desktop, installed, command] : cases) {
            const auto chosen = NetworkSettingsCommand::choose(desktop, [&](const QString &p) {
                return installed.contains(p) ? "/usr/bin/" + p : QString();
            });
            QCOMPARE(chosen ? (QStringList{chosen->program} + chosen->arguments).join(' ')
                            : QString(),
                     command);
        }
    }
};

QTEST_GUILESS_MAIN(TestConnectionPanelModel)
#include "tst_connectionpanelmodel.moc"
