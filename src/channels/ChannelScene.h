#pragma once

#include "ChannelRating.h"
#include "graph/ColorPool.h"

#include <QList>
#include <QString>

// What the channel view draws, worked out without widgets: one scene per
// band that has networks, its x axis in channel numbers.

// One BSS as a shape over the band it occupies.
struct BssShape {
    QString bssid;
    QString label;    // the SSID; the BSSID for a hidden network
    PlotColor colour; // its plot colour when plotted, else one fixed per BSSID
    double xLow = 0;  // edges in channel numbers (5 MHz per unit)
    double xHigh = 0;
    double x2Low = 0; // second stretch of 80+80; equal edges when none
    double x2High = 0;
    int signalDbm = 0;
    QString hoverText; // "SSID (BSSID) channel 36, 80 MHz, -60 dBm[, 12% busy]"
};

// The best choices of one width on a band.
struct WidthChoices {
    int widthMhz = 20;
    QList<ChannelOption> best; // up to three, best first
};

struct BandScene {
    int band = 0;    // Band::*
    QString title;   // "2.4 GHz", "5 GHz", "6 GHz"
    double xMin = 0; // axis range, channel numbers
    double xMax = 0;
    QList<int> tickChannels;  // channels labelled on the axis
    QList<BssShape> shapes;   // weakest first, so the strongest is drawn on top
    QList<WidthChoices> best; // per rated width, narrowest first
    int radioCount = 0;       // radios the BSSIDs make
};

// Scenes of the bands that hold at least one network placed on the
// spectrum, in band order; `plotColours` tells which BSSIDs are plotted.
QList<BandScene> buildScenes(const NetworkList &records, const ColorPool &plotColours,
                             const KernelChannels &kernel = std::nullopt);

// "2.4 GHz", "5 GHz" or "6 GHz" for a Band::* code.
QString bandTitle(int band);

// Where a frequency lies on a band's channel axis: (MHz - channel 0) / 5.
double channelPosition(int band, int mhz);

// A colour that stays with the BSSID: a hue from a hash of its text, at a
// saturation and value that stay readable on white.
PlotColor stableColour(const QString &bssid);

// The shape under a point (channel number, dBm): of the shapes whose band
// holds x and whose top is at or above y, the one with the lowest top (the
// one the pointer sits in, not the taller ones behind it); -1 when none.
qsizetype shapeAt(const BandScene &scene, double x, double yDbm);

// A choice as users name it: "6", "36-48" for wider 5/6 GHz channels, "1+5"
// for 40 MHz on 2.4 GHz; " DFS" after channels that need radar detection.
QString choiceText(const ChannelOption &option);
