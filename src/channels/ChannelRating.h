#pragma once

#include "RadioGroups.h"
#include "scan/WirelessInterface.h"

#include <QList>
#include <optional>

// One channel an access point could be set to: a band, a width and the
// 20 MHz channels it spans.
struct ChannelOption {
    int band = 0;          // Band::*
    int widthMhz = 20;     // 20, 40, 80 or 160
    int centreChannel = 0; // centre channel number of the whole channel
    int firstChannel = 0;  // lowest 20 MHz channel in it: the name users know ("36 at 80 MHz")
    int lastChannel = 0;   // highest 20 MHz channel in it
    int lowMhz = 0;
    int highMhz = 0;
    bool radar = false; // needs radar detection (DFS) on some part
    double score = 0;   // lower is better; 0: nothing heard on it
};

// The adapter's channels as the kernel lists them, or none known (then the
// 802.11 plan stands in).
using KernelChannels = AdapterChannels;

// How much a radio weighs against the channels it overlaps:
//   2^((signal + 90) / 10) x (1 + 2 x utilisation / 255)
// so it doubles every 10 dB (1 at -90 dBm, 16 at -50 dBm; signals are held
// to -100..-20 dBm) and a radio announcing a fully busy channel counts three
// times one announcing an idle one (or none).
double radioWeight(const Radio &radio);

// The share of a candidate a radio covers: MHz they share over the narrower
// of the two, so a wide neighbour counts whole on every channel it covers and
// a 2.4 GHz channel partly overlapping counts in part.
double overlapShare(const Radio &radio, const ChannelOption &option);

// The candidates of one band and width: the plan's channels, or with a kernel
// list only those whose every 20 MHz part it lists enabled (radar marked from
// it). Without one, the channels most regulatory domains allow (2.4 GHz 1-13,
// 5 GHz up to 165), with 5 GHz channels 52-144 marked radar, as nearly every
// domain demands there. Scores are 0.
QList<ChannelOption> channelOptions(int band, int widthMhz, const KernelChannels &kernel);

// The widths rated on a band: 20 and 40 MHz on 2.4 GHz, up to 160 elsewhere.
QList<int> ratedWidths(int band);

// Every candidate of the band and width scored as the sum over radios of
// radioWeight x overlapShare, best (lowest) first; equal scores prefer a
// channel without radar detection, then on 2.4 GHz channels 1, 6 and 11 and
// on 6 GHz the preferred scanning channels, then the lower channel.
QList<ChannelOption> rateChannels(const QList<Radio> &radios, int band, int widthMhz,
                                  const KernelChannels &kernel = std::nullopt);

// Every candidate of one band, all rated widths: narrowest width first, each
// width best first.
struct BandRating {
    int band = 0; // Band::*
    QList<ChannelOption> channels;
};

// The ratings of the bands with at least one candidate, in band order
// (2.4, 5, 6 GHz): with a kernel list, the bands the adapter can use.
QList<BandRating> rateBands(const QList<Radio> &radios, const KernelChannels &kernel);
