#pragma once

#include <QList>

// Where a BSS sits on the spectrum, and the channel sets 802.11 allows for
// each width: what the channel view draws and the channel rating compares.

// The stretch of spectrum a BSS transmits on. An 80+80 MHz BSS has a second
// stretch; every other has one.
struct OccupiedBand {
    int band = 0;           // Band::*; 0 when nothing is known
    int primaryChannel = 0; // channel number of the primary 20 MHz channel
    int widthMhz = 0;       // 20, 40, 80, 160 or 320 (80+80 counts 160)
    int lowMhz = 0;         // edges of the (first) stretch
    int highMhz = 0;
    int secondLowMhz = 0; // edges of the second 80 MHz stretch of 80+80; 0 when none
    int secondHighMhz = 0;

    bool isValid() const { return band != 0 && highMhz > lowMhz; }
    int centreMhz() const { return (lowMhz + highMhz) / 2; }
    // MHz this band shares with [low, high).
    int overlapMhz(int low, int high) const;
    bool operator==(const OccupiedBand &) const = default;
};

// The band a BSS occupies from its primary channel, width code and the centre
// channels its operation elements named (0: none). A centre that does not
// hold the primary channel, or none at all, gives way to the channel of that
// width the 802.11 channel plan puts the primary in; an unknown width counts
// as 20 MHz. Invalid (all zero) when the band or channel is unknown.
OccupiedBand occupiedBand(int band, int primaryChannel, int widthCode, int centreChannel = 0,
                          int secondCentreChannel = 0);

// MHz of a ChannelWidth::* code; 20 for Unknown.
int widthMhzOfCode(int widthCode);

// The channels 802.11 allows for one width on one band, as centre channel
// numbers: 2.4 GHz 20 MHz 1-13 and 40 MHz centres 3-11 (channel 14, Japan's
// 802.11b-only one, is left to the kernel's list); 5 GHz and 6 GHz the fixed
// 20/40/80/160 (and on 6 GHz 320) MHz channelisations of 802.11-2020 Annex E
// and 802.11be. Empty for a width the band has no channels of.
QList<int> planCentres(int band, int widthMhz);

// The centre channel of the plan's channel of that width holding the primary
// channel; 0 when there is none. On 2.4 GHz, where 40 MHz channels overlap,
// channels 1-7 pair with the channel four above and 8-13 with the one four
// below, as access points choose by default.
int planCentreFor(int band, int primaryChannel, int widthMhz);
