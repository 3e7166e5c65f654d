#include "Nl80211Interface.h"

#include "Nl80211Log.h"
#include "Nl80211Reads.h"
#include "Nl80211Socket.h"
#include "Nl80211Worker.h"
#include "scan/WifiCodes.h"
#include "scan/ie/ElementParser.h"
#include "scan/networkmanager/NetworkManagerLink.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>
#include <cerrno>

using namespace nl80211;

struct Nl80211Interface::Opening {
    std::unique_ptr<CommandSocket> socket;
    InterfaceEntry chosen;
    int group = -1; // nl80211's scan event group
};

std::optional<Nl80211Interface::Opening> Nl80211Interface::prepare(const QString &name,
                                                                   QString *error) {
    QString why;
    std::unique_ptr<CommandSocket> socket = CommandSocket::open(&why);
    if (!socket) {
        *error = QStringLiteral("nl80211: ") + why;
        return std::nullopt;
    }
    const std::optional<QList<InterfaceEntry>> all = listStations(*socket, error);
    if (!all)
        return std::nullopt;
    const InterfaceEntry *chosen = nullptr;
    for (const InterfaceEntry &entry : *all) {
        if (name.isEmpty() ? isJoined(*socket, entry) : entry.name == name) {
            chosen = &entry;
            break;
        }
    }
    if (!chosen && name.isEmpty() && !all->isEmpty())
        chosen = &all->first();
    if (!chosen) {
        *error = name.isEmpty()
                     ? QStringLiteral("nl80211: no Wi-Fi interface in station mode")
                     : QStringLiteral("nl80211: no Wi-Fi station interface named \"%1\"").arg(name);
        return std::nullopt;
    }
    const int group = socket->groupId("scan");
    return Opening{std::move(socket), *chosen, group};
}

std::unique_ptr<Nl80211Interface> Nl80211Interface::finish(Opening opening) {
    const InterfaceEntry chosen = opening.chosen;
    auto iface = std::make_unique<Nl80211Interface>(std::move(opening.socket), chosen);
    QString why;
    if (opening.group < 0) {
        qCWarning(lcNl80211) << "nl80211 has no scan event group; scans are not followed";
    } else if (std::unique_ptr<EventSocket> events = EventSocket::open(opening.group, &why)) {
        iface->listenToEvents(std::move(events));
    } else {
        qCWarning(lcNl80211).noquote() << why;
    }
    qCInfo(lcNl80211).noquote() << "using" << chosen.name << "ifindex" << chosen.ifindex << "wiphy"
                                << chosen.wiphy;
    return iface;
}

std::unique_ptr<Nl80211Interface> Nl80211Interface::open(const QString &name, QString *error) {
    std::optional<Opening> opening = prepare(name, error);
    return opening ? finish(std::move(*opening)) : nullptr;
}

void Nl80211Interface::openAsync(const QString &name, QObject *context, Opened done) {
    QThreadPool::globalInstance()->start(
        [name, guard = QPointer<QObject>(context), done = std::move(done)] {
            // Shared, so that the copyable job below can carry the socket.
            auto opening = std::make_shared<std::optional<Opening>>();
            auto error = std::make_shared<QString>();
            *opening = prepare(name, error.get());
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, done, opening, error] {
                    if (guard)
                        done(*opening ? finish(std::move(**opening)) : nullptr, *error);
                },
                Qt::QueuedConnection);
        });
}

Nl80211Interface::Nl80211Interface(std::unique_ptr<Requester> requester, const InterfaceEntry &info,
                                   const nl80211::Environment &environment)
    : m_environment(environment)
    , m_worker(std::make_unique<Worker>(std::move(requester), info.name))
    , m_info(info)
    , m_freshness(info.wiphy) {}

NetworkManagerLink &Nl80211Interface::networkManager() const {
    if (!m_nm)
        m_nm = m_environment.networkManager ? m_environment.networkManager()
                                            : NetworkManagerLink::create();
    return *m_nm;
}

AdapterPower &Nl80211Interface::power() const {
    if (!m_power) {
        m_power = std::make_unique<AdapterPower>(m_info.name, networkManager(), *m_worker,
                                                 m_environment.power);
        auto *self = const_cast<Nl80211Interface *>(this);
        connect(m_power.get(), &AdapterPower::poweredChanged, self,
                &WirelessInterface::poweredChanged);
        connect(m_power.get(), &AdapterPower::powerSwitchFinished, self,
                &WirelessInterface::powerSwitchFinished);
    }
    return *m_power;
}

// Whoever listens for power changes gets them from the start.
void Nl80211Interface::connectNotify(const QMetaMethod &signal) {
    if (signal == QMetaMethod::fromSignal(&WirelessInterface::poweredChanged) ||
        signal == QMetaMethod::fromSignal(&WirelessInterface::powerSwitchFinished))
        power();
}

Nl80211Interface::~Nl80211Interface() {
    delete m_notifier; // before the socket it watches
}

void Nl80211Interface::listenToEvents(std::unique_ptr<EventSocket> events) {
    delete m_notifier;
    m_events = std::move(events);
    m_notifier = new QSocketNotifier(m_events->fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Nl80211Interface::readEvents);
}

void Nl80211Interface::readEvents() {
    if (!m_events)
        return;
    const qint64 now = boottimeNs();
    m_events->drain([&](std::uint8_t command, Bytes attributes) {
        const ScanEvent event = decodeScanEvent(command, attributes);
        if (event.kind == ScanEvent::Kind::Other)
            return;
        m_freshness.onEvent(event, now);
        if (event.wiphy == m_info.wiphy && event.kind == ScanEvent::Kind::Aborted)
            qCInfo(lcNl80211).noquote() << m_info.name << "scan aborted";
    });
}

void Nl80211Interface::startScan(Answer answer) {
    m_scanWaiters.append(std::move(answer));
    if (m_scanWaiters.size() > 1)
        return; // answered by the read already out
    // Scan events already queued describe the table about to be read.
    readEvents();
    m_worker->run<TableRead>(
        this,
        [info = m_info, freshness = m_freshness](Requester &requester) {
            return readTable(requester, info, freshness, true);
        },
        [this](const TableRead &read) { takeScan(read); });
}

void Nl80211Interface::takeScan(const TableRead &read) {
    ScanOutcome outcome;
    outcome.readUs = read.readUs;
    if (!read.error.isEmpty()) {
        outcome.error = read.error;
        qCWarning(lcNl80211).noquote() << read.error;
    } else {
        if (read.info)
            m_info = *read.info;
        m_joined = read.joined;
        m_station = read.station;
        outcome.networks = read.results;
        outcome.dropped = read.stale;
        qCInfo(lcNl80211).noquote()
            << m_info.name << read.results.size() << "networks," << read.stale << "no longer heard,"
            << read.skipped << "unreadable";
        if (!m_refreshing) {
            m_refreshing = true;
            QMetaObject::invokeMethod(this, &Nl80211Interface::refresh, Qt::QueuedConnection);
        }
    }
    // The interface may have gone down or been switched off meanwhile.
    if (m_power)
        m_power->recheck();
    const QList<Answer> waiters = std::exchange(m_scanWaiters, {});
    for (const Answer &answer : waiters)
        answer(outcome);
}

void Nl80211Interface::readAdapterChannels(QObject *context, ChannelsAnswer done) {
    m_worker->run<AdapterChannels>(
        context,
        [ifindex = m_info.ifindex](Requester &requester) {
            return readChannels(requester, ifindex);
        },
        std::move(done));
}

void Nl80211Interface::startRead(Answer answer) {
    m_readWaiters.append(std::move(answer));
    if (m_readWaiters.size() > 1)
        return;
    readEvents();
    m_worker->run<TableRead>(
        this,
        [info = m_info, freshness = m_freshness](Requester &requester) {
            return readTable(requester, info, freshness, false);
        },
        [this](const TableRead &read) {
            ScanOutcome outcome;
            outcome.readUs = read.readUs;
            outcome.error = read.error;
            if (read.error.isEmpty()) {
                QList<ScanResult> results = read.results;
                // The station's own signal is current; the table's is of the last frame heard.
                if (read.station && read.station->signalDbm) {
                    for (ScanResult &result : results) {
                        if (result.associated)
                            result.rssiValue = *read.station->signalDbm;
                    }
                }
                outcome.networks = std::move(results);
                outcome.dropped = read.stale;
            }
            const QList<Answer> waiters = std::exchange(m_readWaiters, {});
            for (const Answer &waiter : waiters)
                waiter(outcome);
        });
}

void Nl80211Interface::refresh() {
    readEvents();
    const qint64 now = boottimeNs();
    switch (m_freshness.nextAction(now)) {
    case ScanFreshness::Action::None:
        m_refreshing = false;
        return;
    case ScanFreshness::Action::Trigger:
        m_freshness.triggerSent(now);
        // m_refreshing stays set until the kernel has answered.
        m_worker->run<int>(
            this,
            [ifindex = m_info.ifindex](Requester &requester) {
                return triggerScan(requester, ifindex);
            },
            [this](int error) { triggerAnswered(error); });
        return;
    case ScanFreshness::Action::AskNetworkManager:
        m_refreshing = false;
        m_freshness.networkManagerAsked(now);
        networkManager().requestScan(m_info.name);
        return;
    }
}

void Nl80211Interface::triggerAnswered(int error) {
    m_refreshing = false;
    m_freshness.triggerAnswered(error, boottimeNs());
    if (error == EPERM || error == EACCES) {
        qCInfo(lcNl80211).noquote()
            << m_info.name << "scan trigger:" << errnoText(error) << "- asking NetworkManager";
        useNetworkManager();
    } else if (error != 0 && error != EBUSY) {
        qCWarning(lcNl80211).noquote() << m_info.name << "scan trigger:" << errnoText(error);
    }
}

void Nl80211Interface::useNetworkManager() {
    if (m_usingNetworkManager)
        return;
    m_usingNetworkManager = true;
    NetworkManagerLink &nm = networkManager();
    connect(&nm, &NetworkManagerLink::scanRequestFinished, this,
            [this](const QString &name, bool ok, const QString &error) {
                if (name != m_info.name)
                    return;
                m_freshness.networkManagerAnswered(ok, error, boottimeNs());
                if (!ok)
                    qCInfo(lcNl80211).noquote() << m_info.name << "NetworkManager scan:" << error;
            });
    connect(&nm, &NetworkManagerLink::availabilityChanged, this, [this](bool available) {
        if (!available) {
            m_freshness.networkManagerUnavailable();
            tellRefresherOnce();
        }
    });
    // Not yet known: its first answer comes as availabilityChanged.
    if (nm.availabilityKnown() && !nm.isAvailable())
        m_freshness.networkManagerUnavailable();
    tellRefresherOnce();
}

void Nl80211Interface::tellRefresherOnce() {
    if (m_toldRefresher || statusNote().isEmpty())
        return;
    m_toldRefresher = true;
    qCWarning(lcNl80211).noquote()
        << m_info.name
        << "cannot start scans (no CAP_NET_ADMIN, no NetworkManager):" << statusNote();
}

QString Nl80211Interface::ssid() const {
    if (!m_joined)
        return {};
    return m_info.joined ? m_info.ssid : m_joined->ssid;
}

QString Nl80211Interface::bssid() const {
    return m_joined ? m_joined->bssid : QString();
}

WlanChannel Nl80211Interface::wlanChannel() const {
    if (!m_joined)
        return {};
    // The interface knows its operating channel and width; the BSS's own
    // announcement stands in when the driver does not report them.
    const int frequency = m_info.frequencyMhz ? m_info.frequencyMhz : m_joined->frequencyMhz;
    const ie::ChannelOfFrequency channel = ie::channelFromFrequency(frequency);
    if (channel.channelNumber == 0)
        return m_joined->wlanChannel();
    return {channel.channelNumber, channel.channelBand,
            m_info.channelWidth ? m_info.channelWidth : m_joined->channelWidth};
}

int Nl80211Interface::rssiValue() const {
    if (!m_joined)
        return 0;
    if (m_station && m_station->signalDbm)
        return *m_station->signalDbm;
    return m_joined->rssiValue;
}

int Nl80211Interface::security() const {
    return m_joined ? lowestSecurityCode(m_joined->securityModes) : Security::None;
}

int Nl80211Interface::activePHYMode() const {
    if (!m_joined)
        return PhyMode::None;
    if (m_station && m_station->txPhyMode != PhyMode::None)
        return m_station->txPhyMode;
    return highestPhyMode(m_joined->phyModes);
}
