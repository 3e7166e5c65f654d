#pragma once

#include "scan/sim/SimulatedInterface.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

// Scenarios for the window's tests, written inline so each test shows what
// the radio plays. A scan is a list of "ssid:rssi" words; BSSIDs are numbered
// aa:bb:cc:00:00:01, :02, ... in the order the words first appear.
namespace ScenarioJson {

inline QByteArray scan(const QStringList &words, int joinedIndex = -1) {
    QByteArray networks;
    for (int i = 0; i < words.size(); ++i) {
        const QString ssid = words.at(i).section(QLatin1Char(':'), 0, 0);
        const QString rssi = words.at(i).section(QLatin1Char(':'), 1, 1);
        if (i > 0)
            networks += ',';
        networks += QStringLiteral(R"({"ssid": "%1", "bssid": "aa:bb:cc:00:00:%2", "rssi": %3,
            "channel": 6, "band": 1, "width": 1, "phy": [2, 3, 4], "security": [4]})")
                        .arg(ssid)
                        .arg(i + 1, 2, 10, QLatin1Char('0'))
                        .arg(rssi)
                        .toUtf8();
    }
    const QByteArray joined = joinedIndex < 0 ? QByteArray("null")
                                              : QStringLiteral("\"aa:bb:cc:00:00:%1\"")
                                                    .arg(joinedIndex + 1, 2, 10, QLatin1Char('0'))
                                                    .toUtf8();
    return "{\"joined\": " + joined + ", \"networks\": [" + networks + "]}";
}

inline QByteArray scenario(const QList<QByteArray> &scans, const QString &name = "wlan0") {
    QByteArray all;
    for (const QByteArray &s : scans)
        all += (all.isEmpty() ? "" : ",") + s;
    return "{\"interface\": {\"name\": \"" + name.toUtf8() +
           "\", \"powered\": true}, \"repeat\": \"last\", \"scans\": [" + all + "]}";
}

inline std::unique_ptr<SimulatedInterface> play(const QList<QByteArray> &scans) {
    QString error;
    auto iface = SimulatedInterface::fromJson(scenario(scans), QStringLiteral("test"), &error);
    if (!iface)
        qFatal("bad test scenario: %s", qPrintable(error));
    return iface;
}

} // namespace ScenarioJson
