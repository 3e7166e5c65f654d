#include "conninfo/ConnectionPanelModel.h"
#include "conninfo/ExternalIp.h"
#include "conninfo/HostNetworkInfo.h"
#include "conninfo/NetworkSettingsCommand.h"
#include "settings/Preferences.h"
#include "support/FakeInterface.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace HostNetworkInfo;

namespace {

// Writes the file, or removes it when `text` is null.
void write(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (text.isNull())
        file.remove();
    else if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

// A route table line after the header: destination, gateway, flags, metric.
QByteArray route(const char *dest, const char *gw, const char *flags, const char *metric) {
    return QByteArray("wlan0\t") + dest + '\t' + gw + '\t' + flags + "\t0\t0\t" + metric +
           "\t00000000\t0\t0\t0\n";
}

NetworkModelPtr joined(const char *ssid, const char *bssid, int rssi) {
    return std::make_shared<NetworkModel>(makeNetwork(ssid, bssid, rssi));
}

} // namespace

class TestHostFacts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Paths paths() const {
        return {m_dir.filePath("resolv.conf"), m_dir.filePath("resolved.conf"),
                m_dir.filePath("route"), m_dir.filePath("net")};
    }

private Q_SLOTS:
    // resolv.conf, resolved's upstream list, the route table (null: missing):
    // the servers, whether one is known, the gateway shown and pinged. The stub
    // stands for its upstream unless a real server sits beside it.
    void hostNames() {
        const QByteArray wifi = route("00000000", "0101A8C0", "0003", "600");
        const std::tuple<QByteArray, QByteArray, QByteArray, QString> cases[] = {
            {"# by DHCP\nsearch lan\nnameserver 192.168.1.1 # box\n;nameserver 10.0.0.9\n"
             "nameserver  2001:db8::53\nnameserver bogus\nnameserver\n",
             {},
             route("0001A8C0", "00000000", "0001", "600") + wifi,
             "192.168.1.1 2001:db8::53 | yes | 192.168.1.1 192.168.1.1"},
            {"nameserver 127.0.0.53\n", "nameserver 9.9.9.9\nnameserver 1.1.1.1\n",
             wifi + route("00000000", "FE00000A", "0003", "100"),
             "9.9.9.9 1.1.1.1 | yes | 10.0.0.254 10.0.0.254"},
            {"nameserver 127.0.0.53\n", "# no servers\n",
             route("00000000", "0101A8C0", "0002", "600"), " | no | N/A "},
            {"nameserver 127.0.0.53\nnameserver 10.1.1.1\n", "nameserver 9.9.9.9\n",
             "wlan0\t00000000\tZZZZ\t0003\t0\t0\t600\t00000000\nx\n",
             "127.0.0.53 10.1.1.1 | yes | N/A "},
            {"nameserver 0.0.0.0\n", {}, {}, "0.0.0.0 | no | N/A "}};
        for (const auto &[resolvConf, upstream, table, want] : cases) {
            write(paths().resolvConf, resolvConf);
            write(paths().resolvedUpstream, upstream);
            write(paths().routeTable,
                  table.isNull() ? table : "Iface\tDestination\tGateway\n" + table);
            const HostNames names = setHostNames(paths());
            const QString report = getDNSServers(paths());
            QCOMPARE(report.mid(report.startsWith(dnsHeader) ? dnsHeader.size() : 0)
                             .trimmed()
                             .replace('\n', ' ') +
                         (names.connected ? " | yes | " : " | no | ") + getGatwayAddress(paths()) +
                         " " + names.gatwayReachability,
                     want);
            QCOMPARE(names.dnsReachability, firstDnsServer(report));
        }
    }

    // MAC from sysfs text, refusing names that leave the directory; the IPv4
    // address of the loopback interface read the real way.
    void interfaceFacts() {
        write(paths().sysClassNet + "/wlp2s0/address", "a4:c3:f0:0e:9b:1d\n");
        write(paths().sysClassNet + "/bad0/address", "a4:c3:f0:0e:9b\n");
        write(m_dir.filePath("address"), "02:00:00:00:00:01\n");
        QStringList got;
        for (const QString name : {"wlp2s0", "bad0", "absent0", "..", ""})
            got << getMacAddress(name, paths());
        got << macFromSysfsText("00:1B:2C:3D:4E:5F:60") << getIPAddress("lo")
            << getIPAddress("no-such-if0");
        QCOMPARE(got.join(' '), "A4:C3:F0:0E:9B:1D N/A N/A N/A N/A  127.0.0.1 N/A");
    }

    // Only one plain address is taken from a reply; fetched from a local service
    // (a second call while one runs is ignored), on error and with no network.
    void externalIp() {
        QStringList got;
        for (const QByteArray &body :
             QList<QByteArray>{"203.0.113.7\n", " 2001:DB8::1 \r\n", "<html>IP: 1.2.3.4</html>",
                               "1.2.3.4/24", "fe80::1%eth0", "256.1.1.1", "", QByteArray(65, '1')})
            got << ExternalIp::addressFromReply(body);
        QCOMPARE(got.join(' '), "203.0.113.7 2001:db8::1 N/A N/A N/A N/A N/A N/A");

        QNetworkAccessManager network;
        TestHttpServer server;
        server.replies = {{"/good", {200, "198.51.100.23\n"}}, {"/error", {500, "198.51.100.23"}}};
        QStringList seen;
        for (const QString path : {"good", "error"}) {
            ExternalIp ip(&network);
            ip.setServiceUrl(server.baseUrl().resolved(QUrl(path)));
            QSignalSpy changed(&ip, &ExternalIp::externalIPChanged);
            ip.ExternaIPFromAPI();
            ip.ExternaIPFromAPI();
            QVERIFY(changed.wait(10000));
            seen << QString::number(changed.size()) + ip.externalIP();
        }
        ExternalIp offline(nullptr);
        offline.ExternaIPFromAPI();
        QCOMPARE(seen.join(' ') + " " + offline.externalIP(), "1198.51.100.23 1N/A N/A");
    }

    // Ticks in turn, and how often the host facts were read: an address still
    // missing is read again on the next tick, a found one not until another
    // network is joined. A switched-off adapter shows "N/A".
    void followsTheJoinedNetwork() {
        Preferences prefs(std::make_shared<MemoryPreferenceStore>());
        int reads = 0;
        HostFacts facts{"A4:C3:F0:0E:9B:1D", "N/A", "10.0.0.1", "10.0.0.1"};
        ConnectionPanelModel model(prefs, [&] { return ++reads, facts; });
        QStringList seen;
        auto note = [&] { // BSSID, signal, IP to external address, reads
            seen << (model.texts().mid(1, 2) + model.texts().mid(6)).join('|') +
                        QString(" #%1").arg(reads);
        };
        model.setExternalIP("192.0.2.9");
        model.connectedToNetwork(joined("Home", "bssid1", -60)); // DHCP pending
        note();
        facts.ipAddress = "10.0.0.5";
        facts.gateway = "10.9.9.9";
        model.connectedToNetwork(joined("Home", "bssid2", -71)); // roam, IP arrived
        note();
        prefs.setValue(Preferences::displayUnitsKey, Preferences::percent);
        model.connectedToNetwork(joined("Home", "bssid2", -60)); // nothing to read
        note();
        model.connectedToNetwork(joined("Cafe", "bssid3", -80)); // joins afresh
        note();
        prefs.setValue(Preferences::displayUnitsKey, Preferences::dBm);
        model.refreshSignal(); // the unit switched back, without a tick
        QCOMPARE(model.text(ConnectionPanelModel::Signal), "-80 dBm");
        model.reset();                      // adapter switched off
        model.setExternalIP("203.0.113.1"); // arriving late: not shown while off
        note();
        const QString na = QStringList(6, "N/A").join('|');
        QCOMPARE(seen,
                 QStringList({"bssid1|-60 dBm|N/A|10.0.0.1|10.0.0.1|192.0.2.9 #1",
                              "bssid2|-71 dBm|10.0.0.5|10.0.0.1|10.0.0.1|192.0.2.9 #2",
                              "bssid2|80%|10.0.0.5|10.0.0.1|10.0.0.1|192.0.2.9 #2",
                              "bssid3|40%|10.0.0.5|10.0.0.1|10.9.9.9|192.0.2.9 #3", na + " #3"}));
    }

    // The desktop's own panel (named among others) when installed, else nothing.
    void settingsCommand() {
        const auto installed = [](const QString &p) {
            return p == "gnome-control-center" ? "/usr/bin/" + p : QString();
        };
        const auto gnome = NetworkSettingsCommand::choose("ubuntu:GNOME", installed);
        QVERIFY(gnome && !NetworkSettingsCommand::choose("KDE", installed));
        QCOMPARE((QStringList{gnome->program} + gnome->arguments).join(' '),
                 "/usr/bin/gnome-control-center wifi");
    }
};

QTEST_GUILESS_MAIN(TestHostFacts)
#include "tst_hostfacts.moc"
