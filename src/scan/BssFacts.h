#pragma once

#include "WifiCodes.h"

#include <QList>
#include <QString>

// What one BSS tells about itself in its beacon or probe response, already
// decoded into codes. Produced by the element parser (scan/ie) or written out
// by hand in a scenario file.
struct BssFacts {
    QString ssid;          // null: hidden (empty or all-zero SSID element)
    int channelNumber = 0; // 0: unknown
    int channelBand = 0;   // Band::*
    int channelWidth = 0;  // ChannelWidth::*
    // Centre of the whole channel the BSS occupies, as a channel number on its
    // band, from the operation element that set the width; 0 when none names
    // it. For 80+80 MHz it is the segment holding the primary channel and
    // secondCentreChannel the other one (0 otherwise).
    int centreChannel = 0;
    int secondCentreChannel = 0;
    CodeSet phyModes;      // PhyMode::* supported
    CodeSet securityModes; // Security::* supported

    // Facts kept for later views; absent values are -1 / empty.
    QString countryCode;         // two letters from the Country element
    int stationCount = -1;       // BSS Load: associated stations
    int channelUtilisation = -1; // BSS Load: 0..255 (busy fraction x 255)
    bool hasHt = false;
    bool hasVht = false;
    bool hasHe = false;
    bool hasEht = false;
    QList<int> supportedRatesKbps; // Supported + Extended Supported Rates, basic or not
};
