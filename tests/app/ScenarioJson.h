#pragma once

#include "scan/sim/SimulatedInterface.h"

#include <QCoreApplication>
#include <QStringList>

// Scenarios written inline so each test shows what the radio plays. A scan is a
// list of "ssid:rssi" words; BSSIDs are aa:bb:cc:00:00:01, :02, ... in word order.
namespace ScenarioJson {

inline QString bssid(int index) {
    return QStringLiteral("\"aa:bb:cc:00:00:%1\"").arg(index + 1, 2, 10, QLatin1Char('0'));
}

inline QByteArray scan(const QStringList &words, int joinedIndex = -1) {
    QStringList networks;
    for (int i = 0; i < words.size(); ++i)
        networks << QStringLiteral(R"({"ssid": "%1", "bssid": %2, "rssi": %3, "channel": 6,
            "band": 1, "width": 1, "phy": [2, 3, 4], "security": [4]})")
                        .arg(words[i].section(':', 0, 0), bssid(i), words[i].section(':', 1));
    return QStringLiteral(R"({"joined": %1, "networks": [%2]})")
        .arg(joinedIndex < 0 ? QStringLiteral("null") : bssid(joinedIndex), networks.join(','))
        .toUtf8();
}

inline std::unique_ptr<SimulatedInterface> play(const QList<QByteArray> &scans) {
    const QByteArray json = R"({"interface": {"name": "wlan0", "powered": true},
        "repeat": "last", "scans": [)" +
                            scans.join(',') + "]}";
    QString error;
    auto iface = SimulatedInterface::fromJson(json, QStringLiteral("test"), &error);
    if (!iface)
        qFatal("bad test scenario: %s", qPrintable(error));
    return iface;
}

// Runs queued jobs until `done` holds; the jobs never wait on a clock.
template <typename Done> void runJobsUntil(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        QCoreApplication::processEvents();
}

} // namespace ScenarioJson
