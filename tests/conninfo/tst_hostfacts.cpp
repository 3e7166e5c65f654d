#include "app/SharedInstanceClass.h"
#include "conninfo/ExternalIp.h"
#include "conninfo/HostNetworkInfo.h"
#include "support/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace HostNetworkInfo;

namespace {

void write(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

const char *routeHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

} // namespace

class TestHostFacts : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Paths paths() const {
        return {m_dir.filePath("resolv.conf"), m_dir.filePath("resolved.conf"),
                m_dir.filePath("route"), m_dir.filePath("net")};
    }

private Q_SLOTS:
    // resolv.conf, resolved's upstream list (null: missing), the report and
    // whether a name server is known. The local stub stands for its upstream.
    void dnsReport() {
        const QString dns = "DNS Addresses \n";
        const std::tuple<QByteArray, QByteArray, QString, bool> cases[] = {
            {"# by DHCP\nsearch lan\nnameserver 192.168.1.1 # box\n;nameserver 10.0.0.9\n"
             "nameserver  2001:db8::53\nnameserver bogus\nnameserver\n",
             {},
             dns + "192.168.1.1\n2001:db8::53\n",
             true},
            {"nameserver 127.0.0.53\noptions edns0 trust-ad\n",
             "nameserver 9.9.9.9\nnameserver 149.112.112.112\n", dns + "9.9.9.9\n149.112.112.112\n",
             true},
            {"nameserver 127.0.0.53\n", {}, dns + "127.0.0.53\n", true}, // resolved's list missing
            {"nameserver 127.0.0.53\n", "# no servers\n", dnsHeader, false},
            {"nameserver 127.0.0.53\nnameserver 10.1.1.1\n", "nameserver 9.9.9.9\n",
             dns + "127.0.0.53\n10.1.1.1\n", true}, // beside a real server: kept
            {"search lan\n", {}, dnsHeader, false},
            {"nameserver 0.0.0.0\n", {}, dns + "0.0.0.0\n", false}};
        write(paths().routeTable,
              QByteArray(routeHeader) +
                  "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n");
        for (const auto &[resolvConf, upstream, report, connected] : cases) {
            QFile::remove(paths().resolvedUpstream);
            write(paths().resolvConf, resolvConf);
            if (!upstream.isNull())
                write(paths().resolvedUpstream, upstream);
            QCOMPARE(getDNSServers(paths()), report);
            const HostNames names = setHostNames(paths());
            QCOMPARE(names.connected, connected);
            QCOMPARE(names.dnsReachability, firstDnsServer(report));
            QCOMPARE(names.gatwayReachability, "192.168.1.1");
            QCOMPARE(SharedInstanceClass::sharedInstance().dnsReachability, names.dnsReachability);
        }
    }

    // Route lines (destination, gateway, flags, metric) after the header; the
    // up default route of lowest metric gives the gateway. Wanted: the shown
    // text, then the reachability host ("" when none); no file shows "N/A".
    void gateway() {
        const auto route = [](const char *iface, const char *dest, const char *gw,
                              const char *flags, const char *metric) {
            return QString("%1\t%2\t%3\t%4\t0\t0\t%5\t00000000\t0\t0\t0\n")
                .arg(iface, dest, gw, flags, metric)
                .toLatin1();
        };
        const QByteArray lan = route("wlan0", "0001A8C0", "00000000", "0001", "600"),
                         wifi = route("wlan0", "00000000", "0101A8C0", "0003", "600");
        const std::pair<QByteArray, QString> cases[] = {
            {lan + wifi, "192.168.1.1 192.168.1.1"},
            {wifi + route("eth0", "00000000", "FE00000A", "0003", "100"), "10.0.0.254 10.0.0.254"},
            {lan, "N/A "},
            {route("wlan0", "00000000", "0101A8C0", "0002", "600"), "N/A "}, // route down
            {"wlan0\t00000000\tZZZZ\t0003\t0\t0\t600\t00000000\nx\n", "N/A "},
            {{}, "N/A "}}; // no file
        for (const auto &[table, want] : cases) {
            QFile::remove(paths().routeTable);
            if (!table.isNull())
                write(paths().routeTable, routeHeader + table);
            QCOMPARE(getGatwayAddress(paths()) + " " + setHostNames(paths()).gatwayReachability,
                     want);
        }
    }

    // MAC from sysfs text, refusing names that leave the directory; the IPv4
    // address of the loopback interface read the real way.
    void interfaceFacts() {
        write(paths().sysClassNet + "/wlp2s0/address", "a4:c3:f0:0e:9b:1d\n");
        write(paths().sysClassNet + "/bad0/address", "a4:c3:f0:0e:9b\n");
        write(m_dir.filePath("address"), "02:00:00:00:00:01\n");
        QStringList macs;
        for (const QString name : {"wlp2s0", "bad0", "absent0", "..", ""})
            macs << getMacAddress(name, paths());
        QCOMPARE(macs.join(' '), "A4:C3:F0:0E:9B:1D N/A N/A N/A N/A");
        QCOMPARE(macFromSysfsText("00:1B:2C:3D:4E:5F:60"), QString());

        QCOMPARE(getIPAddress("lo"), "127.0.0.1");
        QCOMPARE(getIPAddress("no-such-if0"), notAvailable);
        QCOMPARE(getIPAddress(""), notAvailable);
    }

    // Only one plain address is taken from the echo service's reply.
    void echoReply() {
        QStringList got;
        for (const QByteArray &body :
             QList<QByteArray>{"203.0.113.7\n", " 2001:DB8::1 \r\n", "<html>IP: 1.2.3.4</html>",
                               "1.2.3.4/24", "fe80::1%eth0", "256.1.1.1", "", QByteArray(65, '1')})
            got << ExternalIp::addressFromReply(body);
        QCOMPARE(got.join(' '), "203.0.113.7 2001:db8::1 N/A N/A N/A N/A N/A N/A");
    }

    // The whole fetch against a local service: a good answer, an error status,
    // a body too long to be an address, and no network at all.
    void externalIpFetch() {
        QNetworkAccessManager network;
        TestHttpServer server;
        server.replies = {{"/good", {200, "198.51.100.23\n"}},
                          {"/error", {500, "198.51.100.23"}},
                          {"/long", {200, QByteArray(4000, '1')}}};
        QStringList seen;
        for (const QString path : {"good", "error", "long"}) {
            ExternalIp ip(&network);
            ip.setServiceUrl(server.baseUrl().resolved(QUrl(path)));
            QSignalSpy changed(&ip, &ExternalIp::externalIPChanged);
            ip.ExternaIPFromAPI();
            ip.ExternaIPFromAPI(); // ignored while the first runs
            QVERIFY(changed.wait(10000));
            QCOMPARE(changed.size(), 1);
            seen << ip.externalIP() + "=" + SharedInstanceClass::sharedInstance().externalIP;
        }
        ExternalIp offline(nullptr);
        offline.ExternaIPFromAPI();
        seen << offline.externalIP();
        QCOMPARE(seen.join(' '), "198.51.100.23=198.51.100.23 N/A=N/A N/A=N/A N/A");
    }
};

QTEST_GUILESS_MAIN(TestHostFacts)
#include "tst_hostfacts.moc"
