#include "RadioGroups.h"

#include <QHash>
#include <algorithm>

QString radioBaseAddress(const QString &bssid) {
    const QStringList octets = bssid.split(u':');
    if (octets.size() != 6)
        return {};
    quint8 bytes[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const uint value = octets[i].toUInt(&ok, 16);
        if (!ok || octets[i].size() != 2)
            return {};
        bytes[i] = static_cast<quint8>(value);
    }
    // Access points make their extra BSSIDs by setting the locally
    // administered bit (0x02) of the first octet, or by counting up in the
    // last octet's low bits (802.11-2020 11.1.3.8, multiple BSSID).
    bytes[0] &= static_cast<quint8>(~0x02);
    bytes[5] &= 0xf0;
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), 6).toHex(':'));
}

QList<Radio> groupRadios(const NetworkList &records) {
    NetworkList sorted;
    sorted.reserve(records.size());
    for (const NetworkModelPtr &r : records)
        if (r && r->occupied.isValid())
            sorted.append(r);
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](const NetworkModelPtr &a, const NetworkModelPtr &b) { return a->rssi > b->rssi; });

    QList<Radio> radios;
    QHash<QString, qsizetype> byKey; // radio key -> index in radios
    for (const NetworkModelPtr &r : std::as_const(sorted)) {
        const OccupiedBand &o = r->occupied;
        QString base = radioBaseAddress(r->bssid);
        if (base.isNull())
            base = QStringLiteral("#%1").arg(reinterpret_cast<quintptr>(r.get()));
        // Channel and band in the key: grouping never crosses channels.
        const QString key = QStringLiteral("%1/%2/%3-%4+%5-%6/%7")
                                .arg(o.band)
                                .arg(o.primaryChannel)
                                .arg(o.lowMhz)
                                .arg(o.highMhz)
                                .arg(o.secondLowMhz)
                                .arg(o.secondHighMhz)
                                .arg(base);
        const auto found = byKey.constFind(key);
        Radio *radio = nullptr;
        if (found == byKey.constEnd()) {
            byKey.insert(key, radios.size());
            radios.append({{}, {}, o, static_cast<int>(r->rssi), -1});
            radio = &radios.last();
        } else {
            radio = &radios[*found];
        }
        // The joined network stands twice in the display list: one BSSID.
        if (radio->bssids.contains(r->bssid))
            continue;
        radio->bssids.append(r->bssid);
        radio->ssids.append(r->ssid);
        radio->channelUtilisation = std::max(radio->channelUtilisation, r->channelUtilisation);
    }
    return radios;
}
