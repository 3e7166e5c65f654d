#pragma once

#include <bitset>

// Numeric codes shared by the scan sources, the records and every display.
// Each family counts from 0 (unknown, or none for PHY and security) in the
// order below; scenario files hold these numbers, so a value keeps its meaning
// and a new one goes at the end of its family.

namespace Band {
enum : int { Unknown = 0, Ghz2_4 = 1, Ghz5 = 2, Ghz6 = 3 };
}

namespace ChannelWidth {
enum : int { Unknown = 0, Mhz20 = 1, Mhz40 = 2, Mhz80 = 3, Mhz160 = 4, Mhz320 = 5 };
}

namespace PhyMode {
enum : int { None = 0, A = 1, B = 2, G = 3, N = 4, AC = 5, AX = 6, BE = 7 };
constexpr int Highest = BE;
} // namespace PhyMode

namespace Security {
enum : int {
    None = 0,
    WEP = 1,
    WPAPersonal = 2,
    WPAWPA2Personal = 3,
    WPA2Personal = 4,
    Personal = 5,
    DynamicWEP = 6,
    WPAEnterprise = 7,
    WPAWPA2Enterprise = 8,
    WPA2Enterprise = 9,
    Enterprise = 10,
    WPA3Personal = 11,
    WPA3Enterprise = 12,
    WPA2WPA3Personal = 13,
    OWE = 14,
    OWETransition = 15,
};
constexpr int Highest = OWETransition;
} // namespace Security

// A set of PHY or security codes a network supports (bit n = code n).
using CodeSet = std::bitset<16>;

// Derivations the scan sources and the records share.

// Centre frequency in MHz of a channel on a band (Band::*); -1 for an unknown band.
int channelFrequencyMhz(int band, int channelNumber);

// The newest PHY mode in the set, PhyMode::None when it holds none: a network
// is labelled with the highest standard it supports.
int highestPhyMode(const CodeSet &phyModes);

// The lowest security code in the set, or -1 when it holds none. The weakest
// method a network accepts is the one a station without further configuration
// ends up using, so a network that also accepts an open connection counts as
// open (Security::None).
int lowestSecurityCode(const CodeSet &securityModes);
