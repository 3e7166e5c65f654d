#include "NetworkScanner.h"

#include "ScanLog.h"
#include "WirelessInterface.h"

NetworkScanner::NetworkScanner(WirelessInterface &iface)
    : m_iface(iface) {}

void NetworkScanner::getAvailableNetworks(const Completion &completion) {
    availableNetworks = {};
    QString error;
    // The scan runs before the joined network is read, so both describe the
    // same moment (a simulated radio moves on with each scan).
    const std::optional<QList<ScanResult>> results = m_iface.scanForNetworks(&error);
    if (!results) {
        lastError = error.isEmpty() ? QStringLiteral("scan failed") : error;
        qCInfo(lcScan).noquote() << lastError;
        completion(std::nullopt);
        return;
    }
    auto joined = std::make_shared<NetworkModel>(m_iface);
    const QString joinedBssid = joined->bssid;
    availableNetworks.reserve(results->size() + 1);
    availableNetworks.append(std::move(joined));
    for (const ScanResult &network : *results) {
        // The joined network is already listed from the interface's own view.
        if (!joinedBssid.isNull() && network.bssid == joinedBssid)
            continue;
        availableNetworks.append(std::make_shared<NetworkModel>(network));
    }
    completion(availableNetworks);
}

qint32 NetworkScanner::getSignalStrength(const NetworkModel &target) {
    qint32 result = 0;
    if (target.ssid.isNull() || target.bssid.isNull())
        return result;
    getAvailableNetworks([&](const std::optional<NetworkList> &list) {
        if (!list)
            return;
        for (const NetworkModelPtr &record : *list) {
            if (record->ssid == target.ssid && record->bssid == target.bssid &&
                record->channel == target.channel) {
                result = static_cast<qint32>(record->rssi);
                return;
            }
        }
    });
    return result;
}
