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
        ReadStatistics statistics;
        statistics.dropped = outcome.dropped;
        statistics.readUs = outcome.readUs;
        if (outcome.networks) {
            statistics.heard.reserve(outcome.networks->size());
            for (const ScanResult &network : *outcome.networks)
                statistics.heard.append(network.bssid);
        }
        self->m_statistics = std::move(statistics);
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
