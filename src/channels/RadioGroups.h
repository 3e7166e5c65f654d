#pragma once

#include "scan/NetworkModel.h"

#include <QList>
#include <QString>
#include <QStringList>

// One physical radio: the BSSIDs an access point announces on one channel,
// one for each of its networks (SSIDs).
struct Radio {
    QStringList bssids;          // strongest first
    QStringList ssids;           // of those BSSIDs, null for hidden ones
    OccupiedBand occupied;       // of the strongest BSSID
    int signalDbm = 0;           // of the strongest BSSID
    int channelUtilisation = -1; // highest any of them announced, 0..255; -1 none
};

// The BSSID with what multi-SSID access points vary between their networks
// cleared: the locally administered bit of the first octet and the low four
// bits of the last (up to sixteen networks per radio). Null for a text that
// is no MAC address.
QString radioBaseAddress(const QString &bssid);

// Groups records into radios: records on the same band, primary channel and
// occupied band whose BSSIDs share a radio base address are one radio, so
// two radios on different channels never merge. A radio counts at its
// strongest BSSID's signal. Records whose place on the spectrum is unknown
// are left out; a record without a usable BSSID is a radio of its own.
// Radios come strongest first, equal signals in the order met.
QList<Radio> groupRadios(const NetworkList &records);
