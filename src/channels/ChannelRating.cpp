#include "ChannelRating.h"

#include "scan/WifiCodes.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace {

// The 20 MHz channels a candidate spans: on 2.4 GHz, where channels overlap,
// the primary and secondary of a 40 MHz channel sit two numbers either side
// of its centre; elsewhere they are the plan's 20 MHz channels inside it.
QList<int> partsOf(int band, int widthMhz, int centre) {
    if (widthMhz == 20)
        return {centre};
    if (band == Band::Ghz2_4)
        return {centre - 2, centre + 2};
    const int mid = channelFrequencyMhz(band, centre);
    QList<int> parts;
    for (const int c : planCentres(band, 20)) {
        const int f = channelFrequencyMhz(band, c);
        if (f - 10 >= mid - widthMhz / 2 && f + 10 <= mid + widthMhz / 2)
            parts.append(c);
    }
    return parts;
}

// 5 GHz channels 52-144 (5250-5730 MHz) need radar detection in the EU, the
// US, Japan and most other domains.
bool likelyRadar(int band, int channel) {
    return band == Band::Ghz5 && channel >= 52 && channel <= 144;
}

// On 2.4 GHz most networks keep to channels 1, 6 and 11, the three that do
// not overlap; among equal scores a channel aligned with them is preferred.
bool onCommonGrid(const ChannelOption &o) {
    return o.band == Band::Ghz2_4 && o.widthMhz == 20 &&
           (o.firstChannel == 1 || o.firstChannel == 6 || o.firstChannel == 11);
}

} // namespace

double radioWeight(const Radio &radio) {
    const double signal = std::clamp(radio.signalDbm, -100, -20);
    const double busy = std::clamp(radio.channelUtilisation, 0, 255) / 255.0;
    return std::pow(2.0, (signal + 90) / 10) * (1 + 2 * busy);
}

double overlapShare(const Radio &radio, const ChannelOption &option) {
    const int shared = radio.occupied.overlapMhz(option.lowMhz, option.highMhz);
    return shared <= 0 ? 0 : double(shared) / std::min(option.widthMhz, radio.occupied.widthMhz);
}

QList<int> ratedWidths(int band) {
    return band == Band::Ghz2_4 ? QList<int>{20, 40} : QList<int>{20, 40, 80, 160};
}

QList<ChannelOption> channelOptions(int band, int widthMhz, const KernelChannels &kernel) {
    QHash<int, AdapterChannel> listed; // by frequency
    if (kernel)
        for (const AdapterChannel &k : *kernel)
            listed.insert(k.frequencyMhz, k);

    QList<int> centres = planCentres(band, widthMhz);
    // Channel 14 is 802.11b only and legal in Japan alone: a candidate only
    // where the kernel offers it.
    if (band == Band::Ghz2_4 && widthMhz == 20 && listed.contains(2484))
        centres.append(14);

    QList<ChannelOption> options;
    for (const int centre : std::as_const(centres)) {
        const QList<int> parts = partsOf(band, widthMhz, centre);
        if (parts.isEmpty())
            continue;
        const int mid = channelFrequencyMhz(band, centre);
        ChannelOption option{band,
                             widthMhz,
                             centre,
                             parts.first(),
                             parts.last(),
                             mid - widthMhz / 2,
                             mid + widthMhz / 2};
        bool usable = true;
        for (const int part : parts) {
            if (kernel) {
                const auto k = listed.constFind(channelFrequencyMhz(band, part));
                usable = usable && k != listed.constEnd() && !k->disabled;
                option.radar = option.radar || (k != listed.constEnd() && k->radar);
            } else {
                option.radar = option.radar || likelyRadar(band, part);
            }
        }
        if (usable)
            options.append(option);
    }
    return options;
}

QList<ChannelOption> rateChannels(const QList<Radio> &radios, int band, int widthMhz,
                                  const KernelChannels &kernel) {
    QList<ChannelOption> options = channelOptions(band, widthMhz, kernel);
    for (ChannelOption &option : options) {
        for (const Radio &radio : radios)
            if (radio.occupied.band == band)
                option.score += radioWeight(radio) * overlapShare(radio, option);
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const ChannelOption &a, const ChannelOption &b) {
                         if (a.score != b.score)
                             return a.score < b.score;
                         if (a.radar != b.radar)
                             return !a.radar;
                         if (onCommonGrid(a) != onCommonGrid(b))
                             return onCommonGrid(a);
                         return a.centreChannel < b.centreChannel;
                     });
    return options;
}
