#include "Nl80211Reads.h"

#include "Nl80211Log.h"
#include "Nl80211Socket.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cerrno>
#include <ctime>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

namespace nl80211 {

namespace {

Bytes bytesOf(const QByteArray &message) {
    return {reinterpret_cast<const std::uint8_t *>(message.constData()),
            static_cast<size_t>(message.size())};
}

Requester::Fill ifindexOnly(int ifindex) {
    return [ifindex](nl_msg *msg) { nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex); };
}

std::optional<InterfaceEntry> readInterface(Requester &requester, const InterfaceEntry &info,
                                            QString *error) {
    const Requester::Answer answer =
        requester.request(NL80211_CMD_GET_INTERFACE, 0, ifindexOnly(info.ifindex));
    if (answer.error != 0 || answer.messages.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(
            info.name, answer.error == ENODEV ? QStringLiteral("the interface is gone")
                                              : errnoText(answer.error ? answer.error : EIO));
        return std::nullopt;
    }
    QString reason;
    std::optional<InterfaceEntry> entry =
        decodeInterface(bytesOf(answer.messages.first()), &reason);
    if (!entry)
        *error = QStringLiteral("%1: unreadable interface information (%2)").arg(info.name, reason);
    return entry;
}

std::optional<StationEntry> readStation(Requester &requester, const InterfaceEntry &info,
                                        const QString &bssid) {
    QByteArray mac(6, '\0');
    const QStringList octets = bssid.split(QLatin1Char(':'));
    for (int i = 0; i < 6 && i < octets.size(); ++i)
        mac[i] = static_cast<char>(octets[i].toUInt(nullptr, 16));
    const int ifindex = info.ifindex;
    const Requester::Answer answer =
        requester.request(NL80211_CMD_GET_STATION, 0, [&](nl_msg *msg) {
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
            nla_put(msg, NL80211_ATTR_MAC, 6, mac.constData());
        });
    if (answer.error != 0 || answer.messages.isEmpty()) {
        qCInfo(lcNl80211).noquote() << info.name << "station:" << errnoText(answer.error);
        return std::nullopt;
    }
    QString reason;
    std::optional<StationEntry> station = decodeStation(bytesOf(answer.messages.first()), &reason);
    if (!station)
        qCWarning(lcNl80211).noquote() << info.name << "station:" << reason;
    return station;
}

} // namespace

qint64 boottimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<qint64>(ts.tv_sec) * ScanFreshness::kSecond + ts.tv_nsec;
}

std::optional<QList<InterfaceEntry>> listStations(Requester &requester, QString *error) {
    const Requester::Answer answer = requester.request(NL80211_CMD_GET_INTERFACE, NLM_F_DUMP);
    if (answer.error != 0) {
        *error = QStringLiteral("nl80211: cannot list Wi-Fi interfaces: %1")
                     .arg(errnoText(answer.error));
        return std::nullopt;
    }
    QList<InterfaceEntry> result;
    for (const QByteArray &message : answer.messages) {
        QString reason;
        const auto entry = decodeInterface(bytesOf(message), &reason);
        if (!entry)
            qCWarning(lcNl80211).noquote() << "skipped an unreadable interface:" << reason;
        else if (entry->isStation())
            result.append(*entry);
    }
    return result;
}

bool isJoined(Requester &requester, const InterfaceEntry &entry) {
    if (entry.joined)
        return true;
    const Requester::Answer answer =
        requester.request(NL80211_CMD_GET_SCAN, NLM_F_DUMP, ifindexOnly(entry.ifindex));
    for (const QByteArray &message : answer.messages) {
        const std::optional<BssEntry> bss = decodeBss(bytesOf(message), nullptr);
        if (bss && bss->result.associated)
            return true;
    }
    return false;
}

TableRead readTable(Requester &requester, const InterfaceEntry &info,
                    const ScanFreshness &freshness, bool withInterface) {
    QElapsedTimer timer;
    timer.start();
    TableRead read;
    if (withInterface) {
        read.info = readInterface(requester, info, &read.error);
        if (!read.info)
            return read;
    }
    const Requester::Answer answer =
        requester.request(NL80211_CMD_GET_SCAN, NLM_F_DUMP, ifindexOnly(info.ifindex));
    if (answer.error != 0) {
        read.error = QStringLiteral("%1: cannot read scan results: %2")
                         .arg(info.name, errnoText(answer.error));
        return read;
    }
    const qint64 now = boottimeNs();
    read.results.reserve(answer.messages.size());
    for (const QByteArray &message : answer.messages) {
        QString reason;
        std::optional<BssEntry> entry = decodeBss(bytesOf(message), &reason);
        if (!entry) {
            ++read.skipped;
            qCWarning(lcNl80211).noquote() << info.name << "skipped a scan entry:" << reason;
            continue;
        }
        if (freshness.isStale(*entry, now)) {
            ++read.stale;
            continue;
        }
        if (entry->result.associated)
            read.joined = entry->result;
        read.results.append(std::move(entry->result));
    }
    if (read.joined)
        read.station = readStation(requester, info, read.joined->bssid);
    read.readUs = timer.nsecsElapsed() / 1000;
    return read;
}

AdapterChannels readChannels(Requester &requester, int ifindex) {
    // Split: a whole wiphy description no longer fits one message on
    // adapters with many bands and channels; the interface index narrows the
    // dump to its own wiphy.
    const Requester::Answer answer =
        requester.request(NL80211_CMD_GET_WIPHY, NLM_F_DUMP, [ifindex](nl_msg *msg) {
            nla_put_flag(msg, NL80211_ATTR_SPLIT_WIPHY_DUMP);
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
        });
    if (answer.error != 0) {
        qCInfo(lcNl80211).noquote() << "channel list:" << errnoText(answer.error);
        return std::nullopt;
    }
    QList<AdapterChannel> channels;
    for (const QByteArray &message : answer.messages)
        channels += decodeWiphyChannels(bytesOf(message));
    if (channels.isEmpty())
        return std::nullopt;
    return channels;
}

int triggerScan(Requester &requester, int ifindex) {
    const Requester::Answer answer =
        requester.request(NL80211_CMD_TRIGGER_SCAN, 0, [ifindex](nl_msg *msg) {
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
            // One empty SSID: an active scan that every network answers.
            nlattr *ssids = nla_nest_start(msg, NL80211_ATTR_SCAN_SSIDS);
            nla_put(msg, 1, 0, "");
            nla_nest_end(msg, ssids);
        });
    return answer.error;
}

} // namespace nl80211
