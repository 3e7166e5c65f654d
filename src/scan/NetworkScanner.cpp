#include "NetworkScanner.h"

#include "ScanLog.h"
#include "WirelessInterface.h"

#include <QDateTime>

NetworkScanner::NetworkScanner(WirelessInterface &iface)
    : m_iface(iface) {}

void NetworkScanner::scanNetworks(QObject *context, ScanCompletion completion) {
    WirelessInterface *iface = &m_iface;
    // The answer runs after the interface has taken in the scan, so the joined
    // network read from it describes the same moment as the networks.
    iface->scanForNetworks(
        context, [iface, completion = std::move(completion)](const ScanOutcome &outcome) {
            HeardScan heard;
            heard.networks = outcome.networks;
            heard.timeMs = outcome.recordedAtMs != 0 ? outcome.recordedAtMs
                                                     : QDateTime::currentMSecsSinceEpoch();
            if (!outcome.networks) {
                const QString error =
                    outcome.error.isEmpty() ? QStringLiteral("scan failed") : outcome.error;
                qCInfo(lcScan).noquote() << error;
                completion(std::nullopt, error, heard);
                return;
            }
            heard.link = iface->joinedLink();
            completion(Scan{std::make_shared<NetworkModel>(*iface), *outcome.networks}, QString(),
                       heard);
        });
}

void NetworkScanner::getSignalStrength(const NetworkModel &target, QObject *context,
                                       SignalCompletion completion) {
    if (target.ssid.isNull() || target.bssid.isNull()) {
        // Nothing can match; still answered later, like every other answer.
        QMetaObject::invokeMethod(
            context, [completion = std::move(completion)] { completion(0); }, Qt::QueuedConnection);
        return;
    }
    m_iface.readCurrentNetworks(
        context, [target, completion = std::move(completion)](const ScanOutcome &outcome) {
            if (!outcome.networks)
                qCInfo(lcScan).noquote() << outcome.error;
            completion(outcome.networks ? signalStrengthIn(*outcome.networks, target) : 0);
        });
}

qint32 NetworkScanner::signalStrengthIn(const QList<ScanResult> &results,
                                        const NetworkModel &target) {
    if (target.ssid.isNull() || target.bssid.isNull())
        return 0;
    for (const ScanResult &result : results) {
        const NetworkModel record(result);
        if (record.ssid == target.ssid && record.bssid == target.bssid &&
            record.channel == target.channel)
            return static_cast<qint32>(record.rssi);
    }
    return 0;
}
