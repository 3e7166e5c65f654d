#include "ChannelScene.h"

#include "scan/WifiCodes.h"

#include <QCryptographicHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

// Channel 0 of each band, in MHz (802.11-2020 Annex E starting frequencies).
int channelZeroMhz(int band) {
    switch (band) {
    case Band::Ghz2_4:
        return 2407;
    case Band::Ghz5:
        return 5000;
    case Band::Ghz6:
        return 5950;
    default:
        return 0;
    }
}

// The axis of a band: the whole band, so a view keeps its place from tick to
// tick; labels on the 20 MHz channels, every other one on 6 GHz where they
// would crowd.
void setAxis(BandScene &scene) {
    const QList<int> twenties = planCentres(scene.band, 20);
    if (scene.band == Band::Ghz2_4) {
        scene.xMin = -1;
        scene.xMax = 16;
        scene.tickChannels = twenties + QList<int>{14};
        return;
    }
    scene.xMin = twenties.first() - 4;
    scene.xMax = twenties.last() + 4;
    for (qsizetype i = 0; i < twenties.size(); i += scene.band == Band::Ghz6 ? 2 : 1)
        scene.tickChannels.append(twenties[i]);
}

BssShape shapeOf(const NetworkModel &r, const ColorPool &plotColours) {
    const OccupiedBand &o = r.occupied;
    BssShape s;
    s.bssid = r.bssid;
    s.label = r.ssid.isNull() ? r.bssid : r.ssid;
    s.colour =
        plotColours.hasColor(r.bssid) ? plotColours.colorFor(r.bssid) : stableColour(r.bssid);
    s.xLow = channelPosition(o.band, o.lowMhz);
    s.xHigh = channelPosition(o.band, o.highMhz);
    s.x2Low = s.x2High = s.xHigh;
    if (o.secondHighMhz) {
        s.x2Low = channelPosition(o.band, o.secondLowMhz);
        s.x2High = channelPosition(o.band, o.secondHighMhz);
    }
    s.signalDbm = static_cast<int>(r.rssi);
    s.hoverText = QStringLiteral("%1 (%2) channel %3, %4 MHz, %5 dBm")
                      .arg(r.ssid.isNull() ? QStringLiteral("hidden network") : r.ssid, r.bssid)
                      .arg(o.primaryChannel)
                      .arg(o.widthMhz)
                      .arg(r.rssi);
    if (r.channelUtilisation >= 0)
        s.hoverText += QStringLiteral(", %1% busy").arg(qRound(r.channelUtilisation * 100 / 255.0));
    if (r.stationCount >= 0)
        s.hoverText += QStringLiteral(", %1 stations").arg(r.stationCount);
    return s;
}

} // namespace

QString bandTitle(int band) {
    switch (band) {
    case Band::Ghz2_4:
        return QStringLiteral("2.4 GHz");
    case Band::Ghz5:
        return QStringLiteral("5 GHz");
    default:
        return QStringLiteral("6 GHz");
    }
}

double channelPosition(int band, int mhz) {
    return (mhz - channelZeroMhz(band)) / 5.0;
}

PlotColor stableColour(const QString &bssid) {
    // A hash rather than qHash: the colour must not change between runs.
    const QByteArray digest = QCryptographicHash::hash(bssid.toLatin1(), QCryptographicHash::Md5);
    const int hue = (static_cast<quint8>(digest[0]) << 8 | static_cast<quint8>(digest[1])) % 360;
    // HSV with S = 0.75, V = 0.8 to RGB.
    const double v = 0.8, c = v * 0.75;
    const double h = hue / 60.0;
    const double x = c * (1 - std::abs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
    case 0:
        r = c, g = x;
        break;
    case 1:
        r = x, g = c;
        break;
    case 2:
        g = c, b = x;
        break;
    case 3:
        g = x, b = c;
        break;
    case 4:
        r = x, b = c;
        break;
    default:
        r = c, b = x;
        break;
    }
    const double m = v - c;
    return {r + m, g + m, b + m, 1};
}

qsizetype shapeAt(const BandScene &scene, double x, double yDbm) {
    qsizetype found = -1;
    for (qsizetype i = 0; i < scene.shapes.size(); ++i) {
        const BssShape &s = scene.shapes[i];
        const bool inside = (x >= s.xLow && x <= s.xHigh) || (x >= s.x2Low && x <= s.x2High);
        if (inside && s.signalDbm >= yDbm &&
            (found < 0 || s.signalDbm <= scene.shapes[found].signalDbm))
            found = i;
    }
    return found;
}

QString choiceText(const ChannelOption &o) {
    QString text = o.widthMhz == 20 ? QString::number(o.firstChannel)
                   : o.band == Band::Ghz2_4
                       ? QStringLiteral("%1+%2").arg(o.firstChannel).arg(o.lastChannel)
                       : QStringLiteral("%1-%2").arg(o.firstChannel).arg(o.lastChannel);
    if (o.radar)
        text += QStringLiteral(" DFS");
    return text;
}

QList<BandScene> buildScenes(const NetworkList &records, const ColorPool &plotColours,
                             const KernelChannels &kernel) {
    const QList<Radio> radios = groupRadios(records);
    QList<BandScene> scenes;
    for (const int band : {Band::Ghz2_4, Band::Ghz5, Band::Ghz6}) {
        BandScene scene;
        scene.band = band;
        scene.title = bandTitle(band);
        QSet<QString> drawn; // a record listed twice (the joined network) is drawn once
        for (const NetworkModelPtr &r : records) {
            if (r && r->occupied.isValid() && r->occupied.band == band &&
                !(drawn.contains(r->bssid) && !r->bssid.isNull())) {
                drawn.insert(r->bssid);
                scene.shapes.append(shapeOf(*r, plotColours));
            }
        }
        if (scene.shapes.isEmpty())
            continue;
        std::stable_sort(
            scene.shapes.begin(), scene.shapes.end(),
            [](const BssShape &a, const BssShape &b) { return a.signalDbm < b.signalDbm; });
        setAxis(scene);
        for (const Radio &radio : radios)
            scene.radioCount += radio.occupied.band == band;
        for (const int width : ratedWidths(band)) {
            const QList<ChannelOption> ranked = rateChannels(radios, band, width, kernel);
            if (!ranked.isEmpty())
                scene.best.append({width, ranked.mid(0, 3)});
        }
        scenes.append(scene);
    }
    return scenes;
}
