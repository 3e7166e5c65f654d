#pragma once

#include "OccupiedBand.h"
#include "ScanResult.h"

#include <QList>
#include <QString>
#include <memory>

class WirelessInterface;

// The one record kept per radio (BSSID). Built from a scan result or from the
// interface's joined network; the codes become display texts here once, and
// only rssi, the bookkeeping counters, vendor and the history change later.
// Null QStrings stand for absent values (a hidden SSID, no BSSID).
class NetworkModel {
public:
    explicit NetworkModel(const ScanResult &network);      // a scanned network
    explicit NetworkModel(const WirelessInterface &iface); // the joined network

    static QString GetChannelWidth(int widthCode);
    static qint32 getNetworkFrequency(int band, int channelNo);
    static qint32 getNetworkFrequency(const ScanResult &network);
    static int activePHYModeForNetwork(const ScanResult &network);
    static int activePHYModeForInterface(const WirelessInterface &iface);
    static QString networkModeForactivePHYMode(int phyMode);
    static QString networkModeForNetwork(const ScanResult &network);
    static QString networkModeForInterface(const WirelessInterface &iface);
    static QString securityStringForNetwork(const ScanResult &network);
    static QString securityStringForInterface(const WirelessInterface &iface);

    QString ssid;
    QString bssid;
    QString networkMode;
    QString networkType;
    QString security;
    QString vendor;
    QString frequency;
    QString channelWidth;
    qint64 activePHY = 0;
    qint64 rssi = 0; // dBm
    qint64 channelBand = 0;
    qint64 channel = 0;
    qint64 availableCount = 0;         // scan counter of the last scan that saw it
    qint64 count = 0;                  // consecutive checks it was missing
    qint64 countInNoWiFi = 0;          // reserved
    QList<qint64> signalStrengthArray; // newest first, display unit of the moment

    // For the channel view and rating, not shown in the table: where the
    // network sits on the spectrum, and the load its BSS Load element
    // announced at the last scan (-1 when it announces none).
    OccupiedBand occupied;
    int stationCount = -1;
    int channelUtilisation = -1; // 0..255

private:
    void setCommon(const QString &ssidIn, const QString &bssidIn, const WlanChannel &ch,
                   int rssiIn);
};

using NetworkModelPtr = std::shared_ptr<NetworkModel>;
using NetworkList = QList<NetworkModelPtr>;
