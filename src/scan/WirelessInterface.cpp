#include "WirelessInterface.h"

#include <QPointer>

WirelessInterface::WirelessInterface(QObject *parent)
    : QObject(parent) {}

WirelessInterface::~WirelessInterface() = default;

void WirelessInterface::scanForNetworks(QObject *context, Answer done) {
    startScan([self = QPointer<WirelessInterface>(this), guard = QPointer<QObject>(context),
               done = std::move(done)](const ScanOutcome &outcome) {
        if (!self)
            return;
        self->m_lastScan = outcome;
        if (guard)
            done(outcome);
    });
}

void WirelessInterface::readAdapterChannels(QObject *context, ChannelsAnswer done) {
    QMetaObject::invokeMethod(
        context, [done = std::move(done)] { done(std::nullopt); }, Qt::QueuedConnection);
}

void WirelessInterface::readCurrentNetworks(QObject *context, Answer done) {
    startRead([self = QPointer<WirelessInterface>(this), guard = QPointer<QObject>(context),
               done = std::move(done)](const ScanOutcome &outcome) {
        if (self && guard)
            done(outcome);
    });
}

std::optional<JoinedLink> WirelessInterface::joinedLink() const {
    const QString joined = bssid();
    if (joined.isNull())
        return std::nullopt;
    return JoinedLink{ssid(), joined, wlanChannel(), rssiValue(), activePHYMode(), security()};
}

ReadStatistics WirelessInterface::readStatistics() const {
    ReadStatistics statistics;
    statistics.dropped = m_lastScan.dropped;
    statistics.readUs = m_lastScan.readUs;
    if (m_lastScan.networks) {
        statistics.heard.reserve(m_lastScan.networks->size());
        for (const ScanResult &network : *m_lastScan.networks)
            statistics.heard.append(network.bssid);
    }
    return statistics;
}
