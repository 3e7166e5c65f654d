#include "Nl80211Decode.h"

#include "Nl80211Log.h"
#include "scan/ie/ElementParser.h"

#include <array>
#include <cmath>
#include <cstring>
#include <linux/nl80211.h>
#include <netlink/attr.h>

namespace nl80211 {

namespace {

// The attributes of one level, indexed by type. Parsing goes through libnl's
// nla_parse without a policy: it only walks headers that fit the buffer, and
// every length is checked here, where a reason can be given.
class Attributes {
public:
    // Every level's types are below NL80211_ATTR_MAX, the largest of them.
    static constexpr int kTableSize = NL80211_ATTR_MAX + 1;

    Attributes(Bytes data, int maxType) {
        if (data.empty() || maxType >= kTableSize)
            return;
        // nla_parse takes a mutable pointer but only reads.
        auto *head = reinterpret_cast<nlattr *>(const_cast<std::uint8_t *>(data.data()));
        m_ok =
            nla_parse(m_table.data(), maxType, head, static_cast<int>(data.size()), nullptr) == 0;
    }
    Attributes(const nlattr *nest, int maxType)
        : Attributes(nest ? Bytes(static_cast<const std::uint8_t *>(nla_data(nest)),
                                  static_cast<size_t>(std::max(nla_len(nest), 0)))
                          : Bytes(),
                     maxType) {}

    bool ok() const { return m_ok; }
    bool has(int type) const { return m_table[type] != nullptr; }
    const nlattr *get(int type) const { return m_table[type]; }
    Bytes bytes(int type) const {
        const nlattr *a = m_table[type];
        if (!a)
            return {};
        return {static_cast<const std::uint8_t *>(nla_data(a)), static_cast<size_t>(nla_len(a))};
    }

    // A fixed-size number; nothing when absent or shorter than the type.
    template <typename T> std::optional<T> number(int type) const {
        const Bytes b = bytes(type);
        if (!has(type) || b.size() < sizeof(T))
            return std::nullopt;
        T value;
        std::memcpy(&value, b.data(), sizeof value);
        return value;
    }
    // A number that must be well formed when present: *bad is set when it is
    // there but too short.
    template <typename T> std::optional<T> checked(int type, const char *name, QString *bad) const {
        const std::optional<T> v = number<T>(type);
        if (has(type) && !v && bad->isEmpty())
            *bad = QStringLiteral("%1 is %2 bytes, expected %3")
                       .arg(QLatin1String(name))
                       .arg(bytes(type).size())
                       .arg(sizeof(T));
        return v;
    }

private:
    std::array<nlattr *, kTableSize> m_table{};
    bool m_ok = true;
};

void setReason(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
}

} // namespace

bool InterfaceEntry::isStation() const {
    // Devices without a network interface (P2P device, NAN) cannot be scanned by name.
    return iftype == NL80211_IFTYPE_STATION && ifindex >= 0 && !name.isEmpty();
}

int dbmFromPercent(int percent) {
    return std::clamp(percent, 0, 100) / 2 - 100;
}

int channelWidthCode(int nlWidth) {
    switch (nlWidth) {
    case NL80211_CHAN_WIDTH_20_NOHT:
    case NL80211_CHAN_WIDTH_20:
        return ChannelWidth::Mhz20;
    case NL80211_CHAN_WIDTH_40:
        return ChannelWidth::Mhz40;
    case NL80211_CHAN_WIDTH_80:
        return ChannelWidth::Mhz80;
    case NL80211_CHAN_WIDTH_80P80: // two 80 MHz segments: 160 MHz of spectrum
    case NL80211_CHAN_WIDTH_160:
        return ChannelWidth::Mhz160;
    case NL80211_CHAN_WIDTH_320:
        return ChannelWidth::Mhz320;
    default:
        return ChannelWidth::Unknown; // 5/10 MHz and sub-1 GHz widths have no code
    }
}

QString macText(Bytes mac) {
    if (mac.size() < 6)
        return {};
    return QStringLiteral("%1:%2:%3:%4:%5:%6")
        .arg(mac[0], 2, 16, QLatin1Char('0'))
        .arg(mac[1], 2, 16, QLatin1Char('0'))
        .arg(mac[2], 2, 16, QLatin1Char('0'))
        .arg(mac[3], 2, 16, QLatin1Char('0'))
        .arg(mac[4], 2, 16, QLatin1Char('0'))
        .arg(mac[5], 2, 16, QLatin1Char('0'));
}

std::optional<BssEntry> decodeBss(Bytes attributes, QString *reason) {
    const Attributes top(attributes, NL80211_ATTR_MAX);
    if (!top.ok() || !top.has(NL80211_ATTR_BSS)) {
        setReason(reason, QStringLiteral("no BSS attribute"));
        return std::nullopt;
    }
    const Attributes bss(top.get(NL80211_ATTR_BSS), NL80211_BSS_MAX);
    if (!bss.ok()) {
        setReason(reason, QStringLiteral("unreadable BSS attributes"));
        return std::nullopt;
    }
    const Bytes bssid = bss.bytes(NL80211_BSS_BSSID);
    if (bssid.size() != 6) {
        setReason(reason, bss.has(NL80211_BSS_BSSID)
                              ? QStringLiteral("BSSID is %1 bytes").arg(bssid.size())
                              : QStringLiteral("no BSSID"));
        return std::nullopt;
    }

    QString bad;
    BssEntry entry;
    entry.ifindex =
        static_cast<int>(top.checked<quint32>(NL80211_ATTR_IFINDEX, "ifindex", &bad).value_or(-1));
    entry.wiphy =
        static_cast<int>(top.checked<quint32>(NL80211_ATTR_WIPHY, "wiphy", &bad).value_or(-1));
    const auto frequency = bss.checked<quint32>(NL80211_BSS_FREQUENCY, "frequency", &bad);
    const auto capability = bss.checked<quint16>(NL80211_BSS_CAPABILITY, "capability", &bad);
    const auto mbm = bss.checked<qint32>(NL80211_BSS_SIGNAL_MBM, "signal (mBm)", &bad);
    const auto unspec = bss.checked<quint8>(NL80211_BSS_SIGNAL_UNSPEC, "signal (0-100)", &bad);
    const auto status = bss.checked<quint32>(NL80211_BSS_STATUS, "status", &bad);
    const auto msAgo = bss.checked<quint32>(NL80211_BSS_SEEN_MS_AGO, "age", &bad);
    const auto boottime = bss.checked<quint64>(NL80211_BSS_LAST_SEEN_BOOTTIME, "last seen", &bad);
    if (!bad.isEmpty()) {
        setReason(reason, QStringLiteral("%1: %2").arg(macText(bssid), bad));
        return std::nullopt;
    }

    // The probe response carries the fuller picture (a hidden network's name,
    // all vendor elements); the beacon's elements stand in when none came.
    Bytes ies = bss.bytes(NL80211_BSS_INFORMATION_ELEMENTS);
    if (!bss.has(NL80211_BSS_INFORMATION_ELEMENTS))
        ies = bss.bytes(NL80211_BSS_BEACON_IES);
    entry.fromProbeResponse = bss.has(NL80211_BSS_PRESP_DATA);

    const int frequencyMhz = static_cast<int>(frequency.value_or(0));
    ScanResult &r = entry.result;
    static_cast<BssFacts &>(r) = ie::describeBss(capability.value_or(0), ies, frequencyMhz);
    r.bssid = macText(bssid);
    r.frequencyMhz = frequencyMhz;
    r.capability = capability.value_or(0);
    r.ies =
        QByteArray(reinterpret_cast<const char *>(ies.data()), static_cast<qsizetype>(ies.size()));
    if (mbm) {
        r.rssiValue = static_cast<int>(std::lround(*mbm / 100.0));
    } else if (unspec) {
        r.rssiValue = dbmFromPercent(*unspec);
        entry.signalFromPercent = true;
    }
    r.lastSeenMsAgo = msAgo.value_or(0);
    r.associated = status && (*status == NL80211_BSS_STATUS_ASSOCIATED ||
                              *status == NL80211_BSS_STATUS_IBSS_JOINED);
    entry.lastSeenBoottimeNs = boottime ? static_cast<qint64>(*boottime) : -1;
    return entry;
}

std::optional<InterfaceEntry> decodeInterface(Bytes attributes, QString *reason) {
    const Attributes top(attributes, NL80211_ATTR_MAX);
    QString bad;
    const auto ifindex = top.checked<quint32>(NL80211_ATTR_IFINDEX, "ifindex", &bad);
    const auto wiphy = top.checked<quint32>(NL80211_ATTR_WIPHY, "wiphy", &bad);
    const auto iftype = top.checked<quint32>(NL80211_ATTR_IFTYPE, "interface type", &bad);
    const auto frequency = top.checked<quint32>(NL80211_ATTR_WIPHY_FREQ, "frequency", &bad);
    const auto width = top.checked<quint32>(NL80211_ATTR_CHANNEL_WIDTH, "channel width", &bad);
    if (!top.ok() || !bad.isEmpty()) {
        setReason(reason, bad);
        return std::nullopt;
    }
    // The name is a NUL-terminated string; one without its NUL is cut at the
    // attribute's end rather than read past it.
    const Bytes name = top.bytes(NL80211_ATTR_IFNAME);
    size_t nameLength = 0;
    while (nameLength < name.size() && name[nameLength] != 0)
        ++nameLength;

    InterfaceEntry entry;
    entry.name = QString::fromUtf8(reinterpret_cast<const char *>(name.data()),
                                   static_cast<qsizetype>(nameLength));
    entry.ifindex = ifindex ? static_cast<int>(*ifindex) : -1;
    entry.wiphy = wiphy ? static_cast<int>(*wiphy) : -1;
    entry.iftype = iftype ? static_cast<int>(*iftype) : -1;
    entry.macAddress = macText(top.bytes(NL80211_ATTR_MAC));
    // Kernels that report a station's SSID do so only while it is joined.
    entry.joined = top.has(NL80211_ATTR_SSID);
    entry.ssid = ie::ssidText(top.bytes(NL80211_ATTR_SSID));
    entry.frequencyMhz = static_cast<int>(frequency.value_or(0));
    entry.channelWidth = width ? channelWidthCode(static_cast<int>(*width)) : 0;
    return entry;
}

QList<AdapterChannel> decodeWiphyChannels(Bytes attributes) {
    QList<AdapterChannel> channels;
    const Attributes top(attributes, NL80211_ATTR_MAX);
    nlattr *bands = top.ok() ? const_cast<nlattr *>(top.get(NL80211_ATTR_WIPHY_BANDS)) : nullptr;
    if (!bands)
        return channels;
    // Bands, then their frequencies, are nests indexed by position; libnl's
    // walk stops at the first header that does not fit.
    nlattr *band = nullptr;
    int bandsLeft = 0;
    nla_for_each_nested(band, bands, bandsLeft) {
        const Attributes b(band, NL80211_BAND_ATTR_MAX);
        nlattr *freqs = b.ok() ? const_cast<nlattr *>(b.get(NL80211_BAND_ATTR_FREQS)) : nullptr;
        if (!freqs)
            continue;
        nlattr *freq = nullptr;
        int freqsLeft = 0;
        nla_for_each_nested(freq, freqs, freqsLeft) {
            const Attributes f(freq, NL80211_FREQUENCY_ATTR_MAX);
            const std::optional<quint32> mhz = f.number<quint32>(NL80211_FREQUENCY_ATTR_FREQ);
            if (!f.ok() || !mhz)
                continue;
            channels.append({static_cast<int>(*mhz), f.has(NL80211_FREQUENCY_ATTR_DISABLED),
                             f.has(NL80211_FREQUENCY_ATTR_RADAR)});
        }
    }
    return channels;
}

std::optional<StationEntry> decodeStation(Bytes attributes, QString *reason) {
    const Attributes top(attributes, NL80211_ATTR_MAX);
    if (!top.ok() || !top.has(NL80211_ATTR_STA_INFO)) {
        setReason(reason, QStringLiteral("no station information"));
        return std::nullopt;
    }
    const Attributes info(top.get(NL80211_ATTR_STA_INFO), NL80211_STA_INFO_MAX);
    QString bad;
    const auto signal = info.checked<qint8>(NL80211_STA_INFO_SIGNAL, "signal", &bad);
    const auto average = info.checked<qint8>(NL80211_STA_INFO_SIGNAL_AVG, "average signal", &bad);
    if (!info.ok() || !bad.isEmpty()) {
        setReason(reason, bad.isEmpty() ? QStringLiteral("unreadable station information") : bad);
        return std::nullopt;
    }
    StationEntry entry;
    if (signal)
        entry.signalDbm = *signal;
    if (average)
        entry.signalAverageDbm = *average;
    if (info.has(NL80211_STA_INFO_TX_BITRATE)) {
        const Attributes rate(info.get(NL80211_STA_INFO_TX_BITRATE), NL80211_RATE_INFO_MAX);
        if (rate.has(NL80211_RATE_INFO_EHT_MCS))
            entry.txPhyMode = PhyMode::BE;
        else if (rate.has(NL80211_RATE_INFO_HE_MCS))
            entry.txPhyMode = PhyMode::AX;
        else if (rate.has(NL80211_RATE_INFO_VHT_MCS))
            entry.txPhyMode = PhyMode::AC;
        else if (rate.has(NL80211_RATE_INFO_MCS))
            entry.txPhyMode = PhyMode::N;
    }
    return entry;
}

ScanEvent decodeScanEvent(std::uint8_t command, Bytes attributes) {
    ScanEvent event;
    switch (command) {
    case NL80211_CMD_TRIGGER_SCAN:
        event.kind = ScanEvent::Kind::Started;
        break;
    case NL80211_CMD_NEW_SCAN_RESULTS:
        event.kind = ScanEvent::Kind::Finished;
        break;
    case NL80211_CMD_SCAN_ABORTED:
        event.kind = ScanEvent::Kind::Aborted;
        break;
    default:
        return event;
    }
    const Attributes top(attributes, NL80211_ATTR_MAX);
    event.wiphy = static_cast<int>(top.number<quint32>(NL80211_ATTR_WIPHY).value_or(-1));
    event.ifindex = static_cast<int>(top.number<quint32>(NL80211_ATTR_IFINDEX).value_or(-1));

    if (const nlattr *freqs = top.get(NL80211_ATTR_SCAN_FREQUENCIES)) {
        const nlattr *f;
        int rem;
        nla_for_each_nested(f, freqs, rem) {
            if (nla_len(f) >= 4) {
                quint32 mhz;
                std::memcpy(&mhz, nla_data(f), sizeof mhz);
                event.frequenciesMhz.append(static_cast<int>(mhz));
            }
        }
    }
    // No SSID list is a passive scan, which hears every beacon; an active scan
    // hears every network only when it probes for the empty (wildcard) SSID.
    const nlattr *ssids = top.get(NL80211_ATTR_SCAN_SSIDS);
    event.wildcardSsid = !ssids || nla_len(ssids) < NLA_HDRLEN;
    if (ssids) {
        const nlattr *s;
        int rem;
        nla_for_each_nested(s, ssids, rem) {
            if (nla_len(s) == 0)
                event.wildcardSsid = true;
        }
    }
    return event;
}

} // namespace nl80211
