#pragma once

#include <QString>
#include <QStringList>

// The host's own network facts, each as display text: the IPv4 address and
// MAC address of the Wi-Fi interface, the configured name servers, the
// default gateway. A fact that cannot be found reads "N/A". Every reader here
// reads a local file or asks the kernel directly; none starts a process or
// waits on the network, so they may run on the UI thread.
namespace HostNetworkInfo {

inline const QString notAvailable = QStringLiteral("N/A");
// The well-known public host the connection test resolves and pings.
inline const QString referenceHost = QStringLiteral("www.google.com");
// First line of the name-server report; one server per line follows.
inline const QString dnsHeader = QStringLiteral("DNS Addresses \n");
// What a resolver falls back to when nothing is configured: no usable server.
inline const QString placeholderServer = QStringLiteral("0.0.0.0");

// Where the facts are read; tests point these at fixture files.
struct Paths {
    QString resolvConf = QStringLiteral("/etc/resolv.conf");
    // systemd-resolved's own list of the upstream servers it forwards to.
    QString resolvedUpstream = QStringLiteral("/run/systemd/resolve/resolv.conf");
    QString routeTable = QStringLiteral("/proc/net/route");
    QString sysClassNet = QStringLiteral("/sys/class/net");
};

// The first IPv4 address of the named interface (getifaddrs), or "N/A".
QString getIPAddress(const QString &interfaceName);

// The interface's hardware address as "AA:BB:CC:DD:EE:FF", or "N/A".
QString getMacAddress(const QString &interfaceName, const Paths &paths = {});

// The name-server report: dnsHeader, then one "server\n" line per configured
// server. When the resolver configuration names only systemd-resolved's
// local stub, the stub's upstream servers are reported instead.
QString getDNSServers(const Paths &paths = {});

// The default route's gateway address, or "N/A" without a default route.
QString getGatwayAddress(const Paths &paths = {});

// The hosts the connection test pings, and whether a usable name server is
// configured (the first one exists and is not the placeholder 0.0.0.0).
struct HostNames {
    QString dnsReachability;    // first name server, empty when none
    QString gatwayReachability; // default gateway, empty when none
    QString dnsLookup;          // referenceHost
    bool connected = false;
};
// Reads the hosts, stores them in the shared object and returns them.
HostNames setHostNames(const Paths &paths = {});

// --- Parsers, on the text of the files above ---

// The "nameserver" addresses of a resolv.conf text, in file order; lines that
// do not hold a valid address are skipped.
QStringList nameServers(const QString &resolvConfText);
// True when every server is systemd-resolved's local stub (127.0.0.53/54).
bool onlyResolvedStub(const QStringList &servers);
// The report for the stub-resolved server list.
QString dnsReport(const QStringList &servers);
// Element 1 of the report split on "\n": the first server, or empty.
QString firstDnsServer(const QString &report);
// The gateway of the default route with the lowest metric in a
// /proc/net/route text, as dotted quad; empty when there is none.
QString gatewayFromRouteTable(const QString &routeTableText);
// A sysfs "address" text as upper-case colon-separated hex; empty unless it
// holds exactly six octets.
QString macFromSysfsText(const QString &text);

} // namespace HostNetworkInfo
