#include "WifiCodes.h"

// Channel centre frequencies, IEEE 802.11-2020 clauses 15.4.4.3 (2.4 GHz),
// 17.3.8.4.2 (5 GHz) and 802.11ax-2021 27.3.23.2 (6 GHz).
int channelFrequencyMhz(int band, int channelNumber) {
    switch (band) {
    case Band::Ghz2_4:
        return channelNumber == 14 ? 2484 : 2407 + 5 * channelNumber; // 14 is Japan's odd one out
    case Band::Ghz5:
        return 5000 + 5 * channelNumber;
    case Band::Ghz6:
        return channelNumber == 2 ? 5935
                                  : 5950 + 5 * channelNumber; // channel 2 sits below the grid
    default:
        return -1;
    }
}

int highestPhyMode(const CodeSet &phyModes) {
    for (int mode = PhyMode::Highest; mode >= PhyMode::A; --mode) {
        if (phyModes.test(static_cast<size_t>(mode)))
            return mode;
    }
    return PhyMode::None;
}

int lowestSecurityCode(const CodeSet &securityModes) {
    for (int code = Security::None; code <= Security::Highest; ++code) {
        if (securityModes.test(static_cast<size_t>(code)))
            return code;
    }
    return -1;
}
