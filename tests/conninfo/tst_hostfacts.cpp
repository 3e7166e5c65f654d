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

private Q_SLOTS:
    void dnsReport_data();
    void dnsReport();
    void gateway_data();
    void gateway();
    void interfaceFacts();
    void echoReply_data();
    void echoReply();
    void externalIpFetch();

private:
    QTemporaryDir m_dir;
    Paths paths() const {
        return {m_dir.filePath("resolv.conf"), m_dir.filePath("resolved.conf"),
                m_dir.filePath("route"), m_dir.filePath("net")};
    }
};

void TestHostFacts::dnsReport_data() {
    QTest::addColumn<QByteArray>("resolvConf");
    QTest::addColumn<QByteArray>("upstream"); // null: resolved's list is missing
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("connected");

    QTest::newRow("plain") << QByteArray("# by DHCP\nsearch lan\nnameserver 192.168.1.1 # box\n"
                                         ";nameserver 10.0.0.9\nnameserver  2001:db8::53\n"
                                         "nameserver bogus\nnameserver\n")
                           << QByteArray() << "DNS Addresses \n192.168.1.1\n2001:db8::53\n"
                           << true;
    QTest::newRow("stub with upstream")
        << QByteArray("nameserver 127.0.0.53\noptions edns0 trust-ad\n")
        << QByteArray("nameserver 9.9.9.9\nnameserver 149.112.112.112\n")
        << "DNS Addresses \n9.9.9.9\n149.112.112.112\n"
        << true;
    QTest::newRow("stub, resolved list missing")
        << QByteArray("nameserver 127.0.0.53\n") << QByteArray() << "DNS Addresses \n127.0.0.53\n"
        << true;
    QTest::newRow("stub without upstream") << QByteArray("nameserver 127.0.0.53\n")
                                           << QByteArray("# no servers\n") << dnsHeader << false;
    QTest::newRow("stub beside a real server is not replaced")
        << QByteArray("nameserver 127.0.0.53\nnameserver 10.1.1.1\n")
        << QByteArray("nameserver 9.9.9.9\n") << "DNS Addresses \n127.0.0.53\n10.1.1.1\n"
        << true;
    QTest::newRow("none") << QByteArray("search lan\n") << QByteArray() << dnsHeader << false;
    QTest::newRow("placeholder") << QByteArray("nameserver 0.0.0.0\n") << QByteArray()
                                 << "DNS Addresses \n0.0.0.0\n"
                                 << false;
}

void TestHostFacts::dnsReport() {
    QFETCH(QByteArray, resolvConf);
    QFETCH(QByteArray, upstream);
    QFETCH(QString, report);
    QFETCH(bool, connected);
    QFile::remove(paths().resolvedUpstream);
    write(paths().resolvConf, resolvConf);
    if (!upstream.isNull())
        write(paths().resolvedUpstream, upstream);
    write(paths().routeTable,
          QByteArray(routeHeader) +
              "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n");

    QCOMPARE(getDNSServers(paths()), report);
    const HostNames names = setHostNames(paths());
    QCOMPARE(names.connected, connected);
    QCOMPARE(names.dnsReachability, firstDnsServer(report));
    QCOMPARE(names.gatwayReachability, "192.168.1.1");
    QCOMPARE(SharedInstanceClass::sharedInstance().dnsReachability, names.dnsReachability);
}

void TestHostFacts::gateway_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("gateway");
    const QByteArray h = routeHeader;
    const QByteArray lan = "wlan0\t0001A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n";
    QTest::newRow("wifi default")
        << h + lan + "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        << "192.168.1.1";
    QTest::newRow("lowest metric wins")
        << h + "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n" +
               "eth0\t00000000\tFE00000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        << "10.0.0.254";
    QTest::newRow("no default route") << h + lan << "";
    QTest::newRow("route down")
        << h + "wlan0\t00000000\t0101A8C0\t0002\t0\t0\t600\t00000000\t0\t0\t0\n"
        << "";
    QTest::newRow("malformed") << h + "wlan0\t00000000\tZZZZ\t0003\t0\t0\t600\t00000000\n" + "x\n"
                               << "";
    QTest::newRow("missing file") << QByteArray() << "N/A";
}

void TestHostFacts::gateway() {
    QFETCH(QByteArray, table);
    QFETCH(QString, gateway);
    QFile::remove(paths().routeTable);
    if (table.isNull()) {
        QCOMPARE(getGatwayAddress(paths()), gateway);
        return;
    }
    write(paths().routeTable, table);
    QCOMPARE(getGatwayAddress(paths()), gateway.isEmpty() ? notAvailable : gateway);
    QCOMPARE(setHostNames(paths()).gatwayReachability, gateway);
}

// MAC from sysfs text, refusing names that leave the directory; the IPv4
// address of the loopback interface read the real way.
void TestHostFacts::interfaceFacts() {
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

void TestHostFacts::echoReply_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("address");
    QTest::newRow("ipv4 with line feed") << QByteArray("203.0.113.7\n") << "203.0.113.7";
    QTest::newRow("ipv6 with blanks") << QByteArray(" 2001:DB8::1 \r\n") << "2001:db8::1";
    QTest::newRow("html page") << QByteArray("<html>IP: 1.2.3.4</html>") << "N/A";
    QTest::newRow("prefix") << QByteArray("1.2.3.4/24") << "N/A";
    QTest::newRow("scope") << QByteArray("fe80::1%eth0") << "N/A";
    QTest::newRow("out of range") << QByteArray("256.1.1.1") << "N/A";
    QTest::newRow("empty") << QByteArray() << "N/A";
    QTest::newRow("too long") << QByteArray(65, '1') << "N/A";
}

void TestHostFacts::echoReply() {
    QFETCH(QByteArray, body);
    QFETCH(QString, address);
    QCOMPARE(ExternalIp::addressFromReply(body), address);
}

// The whole fetch against a local service: a good answer, an error status,
// a body too long to be an address, and no network at all.
void TestHostFacts::externalIpFetch() {
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

QTEST_GUILESS_MAIN(TestHostFacts)
#include "tst_hostfacts.moc"
