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

// Among equal scores a channel is preferred that clients and neighbours
// expect: on 2.4 GHz the non-overlapping 1, 6 and 11 most networks keep to;
// on 6 GHz the preferred scanning channels (5, 21, 37, ...: 802.11ax
// 26.17.2.3.3), where clients look for access points first.
bool preferred(const ChannelOption &o) {
    if (o.widthMhz != 20)
        return false;
    if (o.band == Band::Ghz2_4)
        return o.firstChannel == 1 || o.firstChannel == 6 || o.firstChannel == 11;
    return o.band == Band::Ghz6 && o.firstChannel % 16 == 5;
}

// Without the adapter's list, the 5 GHz channels above 165 (allowed in few
// domains yet) are left out, as channel 14 is on 2.4 GHz.
bool widelyAllowed(int band, int channel) {
    return band != Band::Ghz5 || channel <= 165;
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
                usable = usable && widelyAllowed(band, part);
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
                         if (preferred(a) != preferred(b))
                             return preferred(a);
                         return a.centreChannel < b.centreChannel;
                     });
    return options;
}

QList<BandRating> rateBands(const QList<Radio> &radios, const KernelChannels &kernel) {
    QList<BandRating> bands;
    for (const int band : {Band::Ghz2_4, Band::Ghz5, Band::Ghz6}) {
        BandRating rating{band, {}};
        for (const int width : ratedWidths(band))
            rating.channels += rateChannels(radios, band, width, kernel);
        if (!rating.channels.isEmpty())
            bands.append(rating);
    }
    return bands;
}
