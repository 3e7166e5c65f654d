#include "RadioPower.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/rfkill.h>
#include <unistd.h>

namespace nl80211 {

namespace {

std::optional<QByteArray> readSmallFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(64).trimmed();
}

} // namespace

std::optional<RfkillState> rfkillState(const QString &interfaceName, const QString &sysfsRoot) {
    // The wiphy's switch sits under the interface's phy80211 link.
    const QDir phy(sysfsRoot + QStringLiteral("/class/net/") + interfaceName +
                   QStringLiteral("/phy80211"));
    const QStringList switches =
        phy.entryList({QStringLiteral("rfkill*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (switches.isEmpty())
        return std::nullopt;
    const QString base = phy.filePath(switches.first());
    const auto soft = readSmallFile(base + QStringLiteral("/soft"));
    const auto hard = readSmallFile(base + QStringLiteral("/hard"));
    if (!soft || !hard)
        return std::nullopt;
    return RfkillState{*soft == "1", *hard == "1"};
}

std::optional<bool> interfaceUp(const QString &interfaceName, const QString &sysfsRoot) {
    const auto flags = readSmallFile(sysfsRoot + QStringLiteral("/class/net/") + interfaceName +
                                     QStringLiteral("/flags"));
    if (!flags)
        return std::nullopt;
    bool ok = false;
    const uint value = QString::fromLatin1(*flags).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return (value & 0x1) != 0; // IFF_UP
}

bool setWlanRfkill(bool on, QString *error, const QString &device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        *error = QStringLiteral("%1: %2%3")
                     .arg(device, QString::fromLocal8Bit(std::strerror(e)),
                          e == EACCES || e == EPERM
                              ? QStringLiteral(" (switching radios needs write access to it)")
                              : QString());
        return false;
    }
    rfkill_event event{};
    event.op = RFKILL_OP_CHANGE_ALL;
    event.type = RFKILL_TYPE_WLAN;
    event.soft = on ? 0 : 1;
    // The 8-byte version-1 event: every kernel with /dev/rfkill takes it.
    const ssize_t written = ::write(fd, &event, RFKILL_EVENT_SIZE_V1);
    const int e = errno;
    ::close(fd);
    if (written != RFKILL_EVENT_SIZE_V1) {
        *error = QStringLiteral("%1: %2").arg(device, QString::fromLocal8Bit(std::strerror(e)));
        return false;
    }
    return true;
}

} // namespace nl80211
