#include "ColorPool.h"

#include <QRandomGenerator>
#include <cmath>

ColorPool::ColorPool(RandomSource random)
    : availableColors(initialColors())
    , m_random(random ? std::move(random) : [] { return QRandomGenerator::global()->generate(); }) {
}

QList<PlotColor> ColorPool::initialColors() {
    return {
        {156 / 255.0, 158 / 255.0, 73 / 255.0},
        {203 / 255.0, 1 / 255.0, 133 / 255.0},
        {172 / 255.0, 48 / 255.0, 220 / 255.0},
        {239 / 255.0, 113 / 255.0, 29 / 255.0},
        {0, 0, 1},       // blue
        {0, 1, 1},       // cyan
        {1, 0, 0},       // red
        {0, 1, 0},       // green
        {0.6, 0.4, 0.2}, // brown
        {1, 0, 1},       // magenta
        {0.5, 0, 0.5},   // purple
        {0, 0, 0},       // black
        {1, 0.5, 0},     // orange
        {0.8, 0.8, 0.8}, // table grid grey
    };
}

PlotColor ColorPool::getColors(const QString &bssid) {
    const PlotColor colour =
        availableColors.isEmpty() ? randomColor() : availableColors.takeFirst();
    dict.insert(bssid, colour);
    return colour;
}

void ColorPool::returnColor(const QString &bssid) {
    const auto it = dict.constFind(bssid);
    if (it == dict.constEnd())
        return;
    availableColors.append(*it);
    dict.erase(it);
}

// Hue anywhere, saturation and brightness in [0.5, 1): colours that stand out
// on the graph's background.
PlotColor ColorPool::randomColor() {
    const double hue = (m_random() % 256) / 256.0;
    const double saturation = (m_random() % 128) / 256.0 + 0.5;
    const double brightness = (m_random() % 128) / 256.0 + 0.5;

    // HSB to RGB: six sectors of the colour wheel.
    const double h6 = hue * 6.0;
    const int sector = static_cast<int>(std::floor(h6)) % 6;
    const double f = h6 - std::floor(h6);
    const double p = brightness * (1 - saturation);
    const double q = brightness * (1 - saturation * f);
    const double t = brightness * (1 - saturation * (1 - f));
    const double v = brightness;
    switch (sector) {
    case 0:
        return {v, t, p};
    case 1:
        return {q, v, p};
    case 2:
        return {p, v, t};
    case 3:
        return {p, q, v};
    case 4:
        return {t, p, v};
    default:
        return {v, p, q};
    }
}
