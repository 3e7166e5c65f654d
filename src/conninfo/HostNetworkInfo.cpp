#include "HostNetworkInfo.h"

#include "app/SharedInstanceClass.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <optional>

namespace HostNetworkInfo {

namespace {

// Small kernel and configuration files; a missing or unreadable one reads as
// nothing.
std::optional<QString> readSmallFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.read(256 * 1024));
}

QString orNotAvailable(const QString &text) {
    return text.isEmpty() ? notAvailable : text;
}

// An interface name as the kernel allows it: it becomes a path below sysfs,
// so separators and dot-only names are refused.
bool isPlainInterfaceName(const QString &name) {
    return !name.isEmpty() && name.size() < 16 && !name.contains(QLatin1Char('/')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

// RTF_UP | RTF_GATEWAY of <linux/route.h>.
constexpr quint32 routeUpViaGateway = 0x0001 | 0x0002;

} // namespace

QString getIPAddress(const QString &interfaceName) {
    if (interfaceName.isEmpty())
        return notAvailable;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return notAvailable;
    const QByteArray wanted = interfaceName.toLocal8Bit();
    QString result = notAvailable;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || wanted != entry->ifa_name)
            continue;
        sockaddr_in address;
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) {
            result = QString::fromLatin1(text);
            break; // the first address is the interface's primary one
        }
    }
    freeifaddrs(list);
    return result;
}

QString macFromSysfsText(const QString &text) {
    static const QRegularExpression mac(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    const QString trimmed = text.trimmed();
    return mac.match(trimmed).hasMatch() ? trimmed.toUpper() : QString();
}

QString getMacAddress(const QString &interfaceName, const Paths &paths) {
    if (!isPlainInterfaceName(interfaceName))
        return notAvailable;
    const auto text =
        readSmallFile(QStringLiteral("%1/%2/address").arg(paths.sysClassNet, interfaceName));
    return orNotAvailable(text ? macFromSysfsText(*text) : QString());
}

QStringList nameServers(const QString &resolvConfText) {
    static const QRegularExpression commentStart(QStringLiteral("[#;]"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList servers;
    const QStringList lines = resolvConfText.split(QLatin1Char('\n'));
    for (QString line : lines) {
        // Comments start with '#' or ';' anywhere on the line.
        const qsizetype comment = line.indexOf(commentStart);
        if (comment >= 0)
            line.truncate(comment);
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        if (words.size() < 2 || words.first() != QLatin1String("nameserver"))
            continue;
        QHostAddress address;
        if (address.setAddress(words.at(1)))
            servers << address.toString();
    }
    return servers;
}

bool onlyResolvedStub(const QStringList &servers) {
    if (servers.isEmpty())
        return false;
    for (const QString &server : servers) {
        if (server != QLatin1String("127.0.0.53") && server != QLatin1String("127.0.0.54"))
            return false;
    }
    return true;
}

QString dnsReport(const QStringList &servers) {
    QString report = dnsHeader;
    for (const QString &server : servers)
        report += server + QLatin1Char('\n');
    return report;
}

QString firstDnsServer(const QString &report) {
    return report.split(QLatin1Char('\n')).value(1);
}

QString getDNSServers(const Paths &paths) {
    QStringList servers = nameServers(readSmallFile(paths.resolvConf).value_or(QString()));
    // The stub forwards to the servers the network gave; those are the ones
    // worth showing and testing. Without resolved's list the stub stays.
    if (onlyResolvedStub(servers)) {
        if (const auto upstream = readSmallFile(paths.resolvedUpstream))
            servers = nameServers(*upstream);
    }
    return dnsReport(servers);
}

QString gatewayFromRouteTable(const QString &routeTableText) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString best;
    qint64 bestMetric = -1;
    const QStringList lines = routeTableText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) { // the first line names the columns
        const QStringList f = line.split(blanks, Qt::SkipEmptyParts);
        if (f.size() < 8)
            continue;
        bool okDest = false, okGateway = false, okFlags = false, okMetric = false, okMask = false;
        const quint32 destination = f.at(1).toUInt(&okDest, 16);
        const quint32 gateway = f.at(2).toUInt(&okGateway, 16);
        const quint32 flags = f.at(3).toUInt(&okFlags, 16);
        const qint64 metric = f.at(6).toLongLong(&okMetric, 10);
        const quint32 mask = f.at(7).toUInt(&okMask, 16);
        if (!(okDest && okGateway && okFlags && okMetric && okMask) || destination != 0 ||
            mask != 0 || gateway == 0 || (flags & routeUpViaGateway) != routeUpViaGateway)
            continue;
        if (bestMetric >= 0 && metric >= bestMetric)
            continue;
        // The kernel prints the address's bytes, in network order, as one
        // native-endian word.
        unsigned char bytes[4];
        std::memcpy(bytes, &gateway, sizeof bytes);
        best =
            QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
        bestMetric = metric;
    }
    return best;
}

QString getGatwayAddress(const Paths &paths) {
    return orNotAvailable(
        gatewayFromRouteTable(readSmallFile(paths.routeTable).value_or(QString())));
}

HostNames setHostNames(const Paths &paths) {
    HostNames names;
    names.dnsReachability = firstDnsServer(getDNSServers(paths));
    names.dnsLookup = referenceHost;
    names.gatwayReachability =
        gatewayFromRouteTable(readSmallFile(paths.routeTable).value_or(QString()));
    names.connected =
        !names.dnsReachability.isEmpty() && names.dnsReachability != placeholderServer;

    SharedInstanceClass &shared = SharedInstanceClass::sharedInstance();
    shared.dnsReachability = names.dnsReachability;
    shared.dnsLookup = names.dnsLookup;
    shared.gatwayReachability = names.gatwayReachability;
    return names;
}

} // namespace HostNetworkInfo
