#include "Nl80211Interface.h"

#include "Nl80211Log.h"
#include "Nl80211Socket.h"
#include "RadioPower.h"
#include "scan/WifiCodes.h"
#include "scan/ie/ElementParser.h"
#include "scan/networkmanager/NetworkManagerClient.h"

#include <QSocketNotifier>
#include <ctime>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

using namespace nl80211;

namespace {

std::optional<QList<InterfaceEntry>> stations(CommandSocket &socket, QString *error) {
    const CommandSocket::Answer answer = socket.request(NL80211_CMD_GET_INTERFACE, NLM_F_DUMP);
    if (answer.error != 0) {
        *error = QStringLiteral("nl80211: cannot list Wi-Fi interfaces: %1")
                     .arg(errnoText(answer.error));
        return std::nullopt;
    }
    QList<InterfaceEntry> result;
    for (const QByteArray &message : answer.messages) {
        QString reason;
        const auto entry =
            decodeInterface(Bytes(reinterpret_cast<const std::uint8_t *>(message.constData()),
                                  static_cast<size_t>(message.size())),
                            &reason);
        if (!entry)
            qCWarning(lcNl80211).noquote() << "skipped an unreadable interface:" << reason;
        else if (entry->isStation())
            result.append(*entry);
    }
    return result;
}

Bytes bytesOf(const QByteArray &message) {
    return {reinterpret_cast<const std::uint8_t *>(message.constData()),
            static_cast<size_t>(message.size())};
}

// Joined: the kernel names the network, or (kernels that do not) the scan
// table holds an entry the interface is associated with.
bool isJoined(CommandSocket &socket, const InterfaceEntry &entry) {
    if (entry.joined)
        return true;
    const int ifindex = entry.ifindex;
    const CommandSocket::Answer answer =
        socket.request(NL80211_CMD_GET_SCAN, NLM_F_DUMP,
                       [ifindex](nl_msg *msg) { nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex); });
    for (const QByteArray &message : answer.messages) {
        const std::optional<BssEntry> bss = decodeBss(bytesOf(message), nullptr);
        if (bss && bss->result.associated)
            return true;
    }
    return false;
}

} // namespace

qint64 Nl80211Interface::boottimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<qint64>(ts.tv_sec) * ScanFreshness::kSecond + ts.tv_nsec;
}

std::optional<QList<InterfaceEntry>> Nl80211Interface::listInterfaces(QString *error) {
    QString why;
    const std::unique_ptr<CommandSocket> socket = CommandSocket::open(&why);
    if (!socket) {
        *error = QStringLiteral("nl80211: ") + why;
        return std::nullopt;
    }
    return stations(*socket, error);
}

std::unique_ptr<Nl80211Interface> Nl80211Interface::open(const QString &name, QString *error) {
    QString why;
    std::unique_ptr<CommandSocket> socket = CommandSocket::open(&why);
    if (!socket) {
        *error = QStringLiteral("nl80211: ") + why;
        return nullptr;
    }
    const std::optional<QList<InterfaceEntry>> all = stations(*socket, error);
    if (!all)
        return nullptr;
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
        return nullptr;
    }

    std::unique_ptr<Nl80211Interface> iface(new Nl80211Interface(std::move(socket), *chosen));
    const int group = iface->m_command->groupId("scan");
    if (group < 0) {
        qCWarning(lcNl80211) << "nl80211 has no scan event group; scans are not followed";
    } else {
        iface->m_events = EventSocket::open(group, &why);
        if (!iface->m_events) {
            qCWarning(lcNl80211).noquote() << why;
        } else {
            iface->m_notifier =
                new QSocketNotifier(iface->m_events->fd(), QSocketNotifier::Read, iface.get());
            connect(iface->m_notifier, &QSocketNotifier::activated, iface.get(),
                    &Nl80211Interface::readEvents);
        }
    }
    qCInfo(lcNl80211).noquote() << "using" << chosen->name << "ifindex" << chosen->ifindex
                                << "wiphy" << chosen->wiphy;
    return iface;
}

Nl80211Interface::Nl80211Interface(std::unique_ptr<CommandSocket> command,
                                   const InterfaceEntry &info)
    : m_command(std::move(command))
    , m_info(info)
    , m_freshness(info.wiphy) {}

Nl80211Interface::~Nl80211Interface() = default;

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

bool Nl80211Interface::readInterface(QString *error) {
    const int ifindex = m_info.ifindex;
    const CommandSocket::Answer answer =
        m_command->request(NL80211_CMD_GET_INTERFACE, 0, [ifindex](nl_msg *msg) {
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
        });
    if (answer.error != 0 || answer.messages.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(
            m_info.name, answer.error == ENODEV ? QStringLiteral("the interface is gone")
                                                : errnoText(answer.error ? answer.error : EIO));
        return false;
    }
    QString reason;
    const auto entry = decodeInterface(bytesOf(answer.messages.first()), &reason);
    if (!entry) {
        *error =
            QStringLiteral("%1: unreadable interface information (%2)").arg(m_info.name, reason);
        return false;
    }
    m_info = *entry;
    return true;
}

void Nl80211Interface::readStation() {
    m_station.reset();
    if (!m_joined)
        return;
    QByteArray mac(6, '\0');
    const QStringList octets = m_joined->bssid.split(QLatin1Char(':'));
    for (int i = 0; i < 6 && i < octets.size(); ++i)
        mac[i] = static_cast<char>(octets[i].toUInt(nullptr, 16));
    const int ifindex = m_info.ifindex;
    const CommandSocket::Answer answer =
        m_command->request(NL80211_CMD_GET_STATION, 0, [&](nl_msg *msg) {
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
            nla_put(msg, NL80211_ATTR_MAC, 6, mac.constData());
        });
    if (answer.error != 0 || answer.messages.isEmpty()) {
        qCInfo(lcNl80211).noquote() << m_info.name << "station:" << errnoText(answer.error);
        return;
    }
    QString reason;
    m_station = decodeStation(bytesOf(answer.messages.first()), &reason);
    if (!m_station)
        qCWarning(lcNl80211).noquote() << m_info.name << "station:" << reason;
}

std::optional<QList<ScanResult>> Nl80211Interface::scanForNetworks(QString *error) {
    // Scan events already queued describe the table about to be read.
    readEvents();
    if (!readInterface(error))
        return std::nullopt;

    const int ifindex = m_info.ifindex;
    const CommandSocket::Answer answer =
        m_command->request(NL80211_CMD_GET_SCAN, NLM_F_DUMP, [ifindex](nl_msg *msg) {
            nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
        });
    if (answer.error != 0) {
        *error = QStringLiteral("%1: cannot read scan results: %2")
                     .arg(m_info.name, errnoText(answer.error));
        qCWarning(lcNl80211).noquote() << *error;
        return std::nullopt;
    }

    const qint64 now = boottimeNs();
    QList<ScanResult> results;
    results.reserve(answer.messages.size());
    m_joined.reset();
    m_lastStale = 0;
    int skipped = 0;
    for (const QByteArray &message : answer.messages) {
        QString reason;
        std::optional<BssEntry> entry = decodeBss(bytesOf(message), &reason);
        if (!entry) {
            ++skipped;
            qCWarning(lcNl80211).noquote() << m_info.name << "skipped a scan entry:" << reason;
            continue;
        }
        if (m_freshness.isStale(*entry, now)) {
            ++m_lastStale;
            continue;
        }
        if (entry->result.associated)
            m_joined = entry->result;
        results.append(std::move(entry->result));
    }
    readStation();
    qCInfo(lcNl80211).noquote() << m_info.name << results.size() << "networks," << m_lastStale
                                << "no longer heard," << skipped << "unreadable";

    if (!m_refreshQueued) {
        m_refreshQueued = true;
        QMetaObject::invokeMethod(this, &Nl80211Interface::refresh, Qt::QueuedConnection);
    }
    return results;
}

void Nl80211Interface::refresh() {
    m_refreshQueued = false;
    readEvents();
    const qint64 now = boottimeNs();
    switch (m_freshness.nextAction(now)) {
    case ScanFreshness::Action::None:
        return;
    case ScanFreshness::Action::Trigger: {
        const int ifindex = m_info.ifindex;
        m_freshness.triggerSent(now);
        const CommandSocket::Answer answer =
            m_command->request(NL80211_CMD_TRIGGER_SCAN, 0, [ifindex](nl_msg *msg) {
                nla_put_u32(msg, NL80211_ATTR_IFINDEX, ifindex);
                // One empty SSID: an active scan that every network answers.
                nlattr *ssids = nla_nest_start(msg, NL80211_ATTR_SCAN_SSIDS);
                nla_put(msg, 1, 0, "");
                nla_nest_end(msg, ssids);
            });
        m_freshness.triggerAnswered(answer.error, boottimeNs());
        if (answer.error == EPERM || answer.error == EACCES) {
            qCInfo(lcNl80211).noquote() << m_info.name << "scan trigger:" << errnoText(answer.error)
                                        << "- asking NetworkManager";
            useNetworkManager();
        } else if (answer.error != 0 && answer.error != EBUSY) {
            qCWarning(lcNl80211).noquote()
                << m_info.name << "scan trigger:" << errnoText(answer.error);
        }
        return;
    }
    case ScanFreshness::Action::AskNetworkManager:
        if (NetworkManagerClient *nm = networkManager()) {
            m_freshness.networkManagerAsked(now);
            nm->requestScan(m_info.name);
        }
        return;
    }
}

NetworkManagerClient *Nl80211Interface::networkManager() const {
    if (!m_nm)
        m_nm = std::make_unique<NetworkManagerClient>();
    return m_nm.get();
}

void Nl80211Interface::useNetworkManager() {
    NetworkManagerClient *nm = networkManager();
    if (!nm->isAvailable()) {
        m_freshness.networkManagerUnavailable();
    } else {
        connect(nm, &NetworkManagerClient::scanRequestFinished, this,
                [this](const QString &name, bool ok, const QString &error) {
                    if (name != m_info.name)
                        return;
                    m_freshness.networkManagerAnswered(ok, error, boottimeNs());
                    if (!ok)
                        qCInfo(lcNl80211).noquote()
                            << m_info.name << "NetworkManager scan:" << error;
                });
        connect(nm, &NetworkManagerClient::availabilityChanged, this, [this](bool available) {
            if (!available) {
                m_freshness.networkManagerUnavailable();
                tellRefresherOnce();
            }
        });
    }
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

bool Nl80211Interface::powered() const {
    if (const std::optional<bool> enabled = networkManager()->wirelessEnabled())
        return *enabled;
    if (const auto rfkill = rfkillState(m_info.name))
        return !rfkill->softBlocked && !rfkill->hardBlocked;
    return interfaceUp(m_info.name).value_or(false);
}

bool Nl80211Interface::setPower(bool on, QString *error) {
    NetworkManagerClient *nm = networkManager();
    if (nm->isAvailable()) {
        QString why;
        if (nm->setWirelessEnabled(on, &why))
            return true;
        *error = QStringLiteral("NetworkManager refused to switch Wi-Fi %1: %2")
                     .arg(on ? QStringLiteral("on") : QStringLiteral("off"), why);
    } else if (setWlanRfkill(on, error)) {
        return true;
    }
    qCWarning(lcNl80211).noquote() << m_info.name << *error;
    return false;
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
