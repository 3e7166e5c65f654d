#include "NetworkModel.h"

#include "WirelessInterface.h"

#include <array>

namespace {

// Security texts of a scanned network. The texts of codes 3 and 8 end in one
// blank, which the table and the CSV's Security field carry; the joined
// network's texts are the same without it.
constexpr std::array<const char *, Security::Highest + 1> networkSecurityTexts = {
    "None",           "WEP",           "WPA Personal",    "WPA/WPA2 Personal ",   "WPA2 Personal",
    "Personal",       "Dynamic WEP",   "WPA Enterprise",  "WPA/WPA2 Enterprise ", "WPA2 Enterprise",
    "Enterprise",     "WPA3 Personal", "WPA3 Enterprise", "WPA2/WPA3 Personal",   "OWE",
    "OWE Transition",
};

QString securityText(int code, bool forInterface) {
    if (code < 0 || code > Security::Highest)
        return QStringLiteral("Unknown");
    QString text = QString::fromLatin1(networkSecurityTexts[static_cast<size_t>(code)]);
    return forInterface ? text.trimmed() : text;
}

} // namespace

NetworkModel::NetworkModel(const ScanResult &network) {
    setCommon(network.ssid, network.bssid, network.wlanChannel(), network.rssiValue);
    security = securityStringForNetwork(network);
    activePHY = activePHYModeForNetwork(network);
    networkMode = networkModeForactivePHYMode(static_cast<int>(activePHY));
    occupied = occupiedBand(network.channelBand, network.channelNumber, network.channelWidth,
                            network.centreChannel, network.secondCentreChannel);
    stationCount = network.stationCount;
    channelUtilisation = network.channelUtilisation;
}

NetworkModel::NetworkModel(const WirelessInterface &iface) {
    setCommon(iface.ssid(), iface.bssid(), iface.wlanChannel(), iface.rssiValue());
    security = securityStringForInterface(iface);
    activePHY = activePHYModeForInterface(iface);
    networkMode = networkModeForactivePHYMode(static_cast<int>(activePHY));
    const WlanChannel ch = iface.wlanChannel();
    occupied = occupiedBand(ch.channelBand, ch.channelNumber, ch.channelWidth);
}

void NetworkModel::setCommon(const QString &ssidIn, const QString &bssidIn, const WlanChannel &ch,
                             int rssiIn) {
    ssid = ssidIn;
    bssid = bssidIn;
    channel = ch.channelNumber;
    channelBand = ch.channelBand;
    channelWidth = GetChannelWidth(ch.channelWidth);
    rssi = rssiIn;
    vendor = QStringLiteral("Unknown");
    // -100 dBm and below is at the noise floor: nothing could associate there.
    networkType = rssiIn < -99 ? QStringLiteral("No Access") : QStringLiteral("Access Point");
    frequency = QString::number(getNetworkFrequency(ch.channelBand, ch.channelNumber));
}

QString NetworkModel::GetChannelWidth(int widthCode) {
    switch (widthCode) {
    case ChannelWidth::Mhz20:
        return QStringLiteral("20 MHz");
    case ChannelWidth::Mhz40:
        return QStringLiteral("40 MHz");
    case ChannelWidth::Mhz80:
        return QStringLiteral("80 MHz");
    case ChannelWidth::Mhz160:
        return QStringLiteral("160 MHz");
    case ChannelWidth::Mhz320:
        return QStringLiteral("320 MHz");
    default:
        return QStringLiteral("unknown");
    }
}

qint32 NetworkModel::getNetworkFrequency(int band, int channelNo) {
    return channelFrequencyMhz(band, channelNo);
}

qint32 NetworkModel::getNetworkFrequency(const ScanResult &network) {
    return getNetworkFrequency(network.channelBand, network.channelNumber);
}

int NetworkModel::activePHYModeForNetwork(const ScanResult &network) {
    return highestPhyMode(network.phyModes);
}

int NetworkModel::activePHYModeForInterface(const WirelessInterface &iface) {
    return iface.activePHYMode();
}

QString NetworkModel::networkModeForactivePHYMode(int phyMode) {
    switch (phyMode) {
    case PhyMode::None:
        return QStringLiteral("None");
    case PhyMode::A:
        return QStringLiteral("802.11a");
    case PhyMode::B:
        return QStringLiteral("802.11b");
    case PhyMode::G:
        return QStringLiteral("802.11g");
    case PhyMode::N:
        return QStringLiteral("802.11n");
    case PhyMode::AC:
        return QStringLiteral("802.11ac");
    case PhyMode::AX:
        return QStringLiteral("802.11ax");
    case PhyMode::BE:
        return QStringLiteral("802.11be");
    default:
        return QStringLiteral("Unknown");
    }
}

QString NetworkModel::networkModeForNetwork(const ScanResult &network) {
    // The same text the record shows: the highest mode supported.
    return networkModeForactivePHYMode(activePHYModeForNetwork(network));
}

QString NetworkModel::networkModeForInterface(const WirelessInterface &iface) {
    return networkModeForactivePHYMode(iface.activePHYMode());
}

QString NetworkModel::securityStringForNetwork(const ScanResult &network) {
    return securityText(lowestSecurityCode(network.securityModes), false);
}

QString NetworkModel::securityStringForInterface(const WirelessInterface &iface) {
    return securityText(iface.security(), true);
}
