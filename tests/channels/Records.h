#pragma once

// Records written the way the channel tests think of them.

#include "scan/NetworkModel.h"

#include <QStringList>

// "aa:bb:cc:dd:ee:01 5/36/80 -60 u128": BSSID, band (2, 5, 6) / primary
// channel / width in MHz, dBm, and optionally the announced utilisation.
// A null ssid makes a hidden network.
inline NetworkModelPtr record(const QString &words, const QString &ssid = QStringLiteral("net")) {
    const QStringList f = words.split(' ');
    const QStringList ch = f[1].split('/');
    ScanResult n;
    n.bssid = f[0];
    n.ssid = ssid;
    n.channelBand = ch[0] == "2" ? Band::Ghz2_4 : ch[0] == "5" ? Band::Ghz5 : Band::Ghz6;
    n.channelNumber = ch[1].toInt();
    for (int w = 20, code = ChannelWidth::Mhz20; w <= ch[2].toInt(); w *= 2, ++code)
        n.channelWidth = code;
    n.rssiValue = f[2].toInt();
    if (f.size() > 3)
        n.channelUtilisation = f[3].mid(1).toInt();
    return std::make_shared<NetworkModel>(n);
}

inline NetworkList records(const QStringList &lines) {
    NetworkList list;
    for (const QString &s : lines)
        list.append(record(s));
    return list;
}
