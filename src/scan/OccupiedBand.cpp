#include "OccupiedBand.h"

#include "WifiCodes.h"

#include <algorithm>
#include <cstdlib>

namespace {

QList<int> steps(int first, int last, int step) {
    QList<int> list;
    for (int c = first; c <= last; c += step)
        list.append(c);
    return list;
}

// 5 GHz channelisation, 802.11-2020 Annex E table E-4 with the 165-177
// channels 802.11ax added: 20 MHz channels in three runs, and the centres of
// the 40, 80 and 160 MHz channels built from them.
QList<int> fiveGhzCentres(int widthMhz) {
    switch (widthMhz) {
    case 20:
        return steps(36, 64, 4) + steps(100, 144, 4) + steps(149, 177, 4);
    case 40:
        return steps(38, 62, 8) + steps(102, 142, 8) + steps(151, 175, 8);
    case 80:
        return {42, 58, 106, 122, 138, 155, 171};
    case 160:
        return {50, 114, 163};
    default:
        return {};
    }
}

// 6 GHz channelisation (802.11ax 27.3.23.2, 802.11be 36.3.23.2): 20 MHz
// channels 1, 5, ... 233; a channel of 20 x 2^k MHz spans 4 x 2^k channel
// numbers from 1, centred in its span. 320 MHz channels come in two
// overlapping sets, centred 31 + 64k and 63 + 64k.
QList<int> sixGhzCentres(int widthMhz) {
    switch (widthMhz) {
    case 20:
        return steps(1, 233, 4);
    case 40:
        return steps(3, 227, 8);
    case 80:
        return steps(7, 215, 16);
    case 160:
        return steps(15, 207, 32);
    case 320: {
        QList<int> both = steps(31, 159, 64) + steps(63, 191, 64);
        std::sort(both.begin(), both.end());
        return both;
    }
    default:
        return {};
    }
}

// A channel of widthMhz centred at centreMhz holds the primary 20 MHz channel
// at primaryMhz whole.
bool holds(int centreMhz, int widthMhz, int primaryMhz) {
    return std::abs(primaryMhz - centreMhz) <= widthMhz / 2 - 10;
}

} // namespace

int OccupiedBand::overlapMhz(int low, int high) const {
    const auto shared = [low, high](int a, int b) {
        return std::max(0, std::min(high, b) - std::max(low, a));
    };
    return shared(lowMhz, highMhz) + shared(secondLowMhz, secondHighMhz);
}

int widthMhzOfCode(int widthCode) {
    switch (widthCode) {
    case ChannelWidth::Mhz40:
        return 40;
    case ChannelWidth::Mhz80:
        return 80;
    case ChannelWidth::Mhz160:
        return 160;
    case ChannelWidth::Mhz320:
        return 320;
    default:
        return 20;
    }
}

QList<int> planCentres(int band, int widthMhz) {
    switch (band) {
    case Band::Ghz2_4:
        return widthMhz == 20 ? steps(1, 13, 1) : widthMhz == 40 ? steps(3, 11, 1) : QList<int>{};
    case Band::Ghz5:
        return fiveGhzCentres(widthMhz);
    case Band::Ghz6:
        return sixGhzCentres(widthMhz);
    default:
        return {};
    }
}

int planCentreFor(int band, int primaryChannel, int widthMhz) {
    if (band == Band::Ghz2_4 && widthMhz == 40 && primaryChannel >= 1 && primaryChannel <= 13)
        return primaryChannel <= 7 ? primaryChannel + 2 : primaryChannel - 2;
    const int primaryMhz = channelFrequencyMhz(band, primaryChannel);
    for (const int centre : planCentres(band, widthMhz))
        if (holds(channelFrequencyMhz(band, centre), widthMhz, primaryMhz))
            return centre;
    return 0;
}

OccupiedBand occupiedBand(int band, int primaryChannel, int widthCode, int centreChannel,
                          int secondCentreChannel) {
    const int primaryMhz = channelFrequencyMhz(band, primaryChannel);
    if (primaryMhz <= 0 || primaryChannel <= 0)
        return {};
    int widthMhz = widthMhzOfCode(widthCode);
    // 2.4 GHz channels are never wider than 40 MHz.
    if (band == Band::Ghz2_4)
        widthMhz = std::min(widthMhz, 40);

    OccupiedBand occupied{band, primaryChannel, widthMhz};
    const bool split = secondCentreChannel > 0 && widthMhz == 160 &&
                       channelFrequencyMhz(band, secondCentreChannel) > 0;
    const int stretchMhz = split ? 80 : widthMhz; // the stretch that holds the primary
    int centreMhz = centreChannel > 0 ? channelFrequencyMhz(band, centreChannel) : -1;
    if (centreMhz <= 0 || !holds(centreMhz, stretchMhz, primaryMhz)) {
        // A centre that does not hold the primary is a misreading, not a
        // place; the plan knows where the primary's channel of that width is.
        const int planned = planCentreFor(band, primaryChannel, widthMhz);
        centreMhz = planned ? channelFrequencyMhz(band, planned) : primaryMhz;
        if (!planned)
            occupied.widthMhz = widthMhz = 20; // no such channel: count what is certain
        occupied.lowMhz = centreMhz - widthMhz / 2;
        occupied.highMhz = centreMhz + widthMhz / 2;
        return occupied;
    }
    occupied.lowMhz = centreMhz - stretchMhz / 2;
    occupied.highMhz = centreMhz + stretchMhz / 2;
    if (split) {
        const int secondMhz = channelFrequencyMhz(band, secondCentreChannel);
        occupied.secondLowMhz = secondMhz - 40;
        occupied.secondHighMhz = secondMhz + 40;
    }
    return occupied;
}
