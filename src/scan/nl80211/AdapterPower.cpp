#include "AdapterPower.h"

#include "Nl80211Log.h"
#include "Nl80211Worker.h"
#include "RadioPower.h"
#include "scan/networkmanager/NetworkManagerLink.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <linux/rfkill.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nl80211 {

AdapterPower::AdapterPower(const QString &interfaceName, NetworkManagerLink &networkManager,
                           Worker &worker, PowerPaths paths, QObject *parent)
    : QObject(parent)
    , m_name(interfaceName)
    , m_nm(networkManager)
    , m_worker(worker)
    , m_paths(std::move(paths)) {
    // Every rfkill change is announced on the device, readable without
    // privilege; where it cannot be opened, recheck() keeps the value current.
    m_rfkillFd = ::open(QFile::encodeName(m_paths.rfkillDevice).constData(),
                        O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    // Anything but a device (or a pipe standing in for one) reads as always ready.
    if (m_rfkillFd >= 0 &&
        (::fstat(m_rfkillFd, &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)))) {
        ::close(m_rfkillFd);
        m_rfkillFd = -1;
    }
    if (m_rfkillFd >= 0) {
        m_rfkillEvents = new QSocketNotifier(m_rfkillFd, QSocketNotifier::Read, this);
        connect(m_rfkillEvents, &QSocketNotifier::activated, this, &AdapterPower::readRfkillEvents);
    }
    connect(&m_nm, &NetworkManagerLink::wirelessEnabledChanged, this, &AdapterPower::update);
    // The client is this adapter's own: each of its answers is one of our switches.
    connect(&m_nm, &NetworkManagerLink::wirelessSwitchFinished, this,
            [this](bool on, bool ok, const QString &why) {
                QString error;
                if (!ok) {
                    error = QStringLiteral("NetworkManager refused to switch Wi-Fi %1: %2")
                                .arg(on ? QStringLiteral("on") : QStringLiteral("off"), why);
                    qCWarning(lcNl80211).noquote() << m_name << error;
                }
                Q_EMIT powerSwitchFinished(on, ok, error);
            });
    recheck();
}

AdapterPower::~AdapterPower() {
    delete m_rfkillEvents;
    if (m_rfkillFd >= 0)
        ::close(m_rfkillFd);
}

void AdapterPower::readRfkillEvents() {
    // The events only say that something changed; the interface's own switch
    // is read from sysfs afterwards.
    rfkill_event event{};
    int rounds = 0;
    while (::read(m_rfkillFd, &event, sizeof event) > 0 && ++rounds < 256) {
    }
    recheck();
}

void AdapterPower::recheck() {
    if (const auto rfkill = rfkillState(m_name, m_paths.sysfsRoot))
        m_kernelPowered = !rfkill->softBlocked && !rfkill->hardBlocked;
    else
        m_kernelPowered = interfaceUp(m_name, m_paths.sysfsRoot).value_or(false);
    update();
}

void AdapterPower::update() {
    const bool powered = m_nm.wirelessEnabled().value_or(m_kernelPowered);
    if (powered == m_powered)
        return;
    m_powered = powered;
    Q_EMIT poweredChanged(powered);
}

void AdapterPower::setPowerAsync(bool on) {
    if (m_nm.isAvailable()) {
        m_nm.setWirelessEnabled(on);
        return;
    }
    const QString device = m_paths.rfkillDevice;
    m_worker.run<QString>(
        this,
        [on, device](Requester &) {
            QString error;
            return setWlanRfkill(on, &error, device) ? QString() : error;
        },
        [this, on](const QString &error) {
            if (!error.isEmpty())
                qCWarning(lcNl80211).noquote() << m_name << error;
            recheck();
            Q_EMIT powerSwitchFinished(on, error.isEmpty(), error);
        });
}

} // namespace nl80211
