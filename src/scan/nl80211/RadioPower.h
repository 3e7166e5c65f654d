#pragma once

#include <QString>
#include <optional>

// The power of a Wi-Fi interface as the kernel's rfkill and the interface
// flags tell it, without NetworkManager.
namespace nl80211 {

// Soft/hard block of the rfkill switch of the interface's wiphy; nothing when
// the interface has none. sysfsRoot is "/sys" except in tests.
struct RfkillState {
    bool softBlocked = false;
    bool hardBlocked = false;
};
std::optional<RfkillState> rfkillState(const QString &interfaceName,
                                       const QString &sysfsRoot = QStringLiteral("/sys"));

// IFF_UP of the interface; nothing when it does not exist.
std::optional<bool> interfaceUp(const QString &interfaceName,
                                const QString &sysfsRoot = QStringLiteral("/sys"));

// Blocks (off) or unblocks (on) every WLAN radio through /dev/rfkill.
// False with *error naming the reason (permission, no rfkill device).
bool setWlanRfkill(bool on, QString *error, const QString &device = QStringLiteral("/dev/rfkill"));

} // namespace nl80211
