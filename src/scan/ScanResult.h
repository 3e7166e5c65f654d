#pragma once

#include "BssFacts.h"

#include <QByteArray>
#include <QString>

// The channel of a network: number, band code and width code.
struct WlanChannel {
    int channelNumber = 0;
    int channelBand = 0;  // Band::*
    int channelWidth = 0; // ChannelWidth::*
};

// One network heard in a scan: a radio (BSSID) and what it announced.
struct ScanResult : BssFacts {
    QString bssid;     // "aa:bb:cc:dd:ee:ff" lower case; null when unknown
    int rssiValue = 0; // dBm; 0 when the source reports none
    int frequencyMhz = 0;
    qint64 lastSeenMsAgo = 0;
    bool associated = false; // the interface is joined to this BSS
    // The BSS as it was received, kept so that a scan can be recorded and
    // played back as heard: the capability field (-1 for a network written
    // out by hand, which has neither) and the information elements.
    int capability = -1;
    QByteArray ies;

    WlanChannel wlanChannel() const { return {channelNumber, channelBand, channelWidth}; }
    bool supportsPHYMode(int code) const { return inSet(phyModes, code); }
    bool supportsSecurity(int code) const { return inSet(securityModes, code); }

private:
    static bool inSet(const CodeSet &set, int code) {
        return code >= 0 && code < static_cast<int>(set.size()) &&
               set.test(static_cast<size_t>(code));
    }
};
