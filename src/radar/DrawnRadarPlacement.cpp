#include "DrawnRadarPlacement.h"

#include "RadarCoordinates.h"
#include "scan/ALUtilities.h"

#include <cmath>
#include <numbers>

namespace DrawnRadarPlacement {

namespace {
constexpr float ringWidth = 15;
constexpr int spiralCount = 4;
} // namespace

QList<QPointF> positions(const NetworkList &networks, QSizeF viewSize,
                         const ALUtilities::AngleSource &angle) {
    QList<QPointF> points;
    if (networks.isEmpty())
        return points;
    const auto step = static_cast<float>(360u / static_cast<unsigned>(networks.size()));
    const QPointF center(viewSize.width() * 0.5, viewSize.height() * 0.5);
    int spiral = -22;
    for (int k = 0; k < networks.size(); ++k) {
        const auto signal = static_cast<float>(std::abs(networks.at(k)->rssi));
        const float radius = ALUtilities::getRadiusForSignalValue(signal, ringWidth);
        if (k < spiralCount) {
            const int folded = spiral % 360; // keeps the sign: -22 stays -22
            points << ALUtilities::getRandomPointForInnerCircle(
                center, radius, static_cast<float>(folded * std::numbers::pi / 180.0));
            spiral = static_cast<int>(static_cast<float>(folded) - step) - 50;
        } else {
            points << ALUtilities::getRandomPointInCircle(radius - ringWidth, radius, center,
                                                          angle);
        }
    }
    return points;
}

QList<Dot> plotWifiPositionInRadar(const NetworkList &networks, QSizeF viewSize,
                                   const QString &joinedBssid,
                                   const ALUtilities::AngleSource &angle) {
    QList<Dot> dots;
    const QList<QPointF> points = positions(networks, viewSize, angle);
    const qreal height = viewSize.height();
    for (int k = 0; k < points.size(); ++k) {
        const QPointF p = points.at(k);
        const NetworkModel &network = *networks.at(k);
        const bool joined = !joinedBssid.isEmpty() && network.bssid == joinedBssid;
        Dot dot;
        if (joined || k < spiralCount) {
            dot.color = joined ? RadarColor::Orange : RadarColor::White;
            dot.circle = RadarCoordinates::toView(p - QPointF(2, 2), QSizeF(12, 12), height);
            dot.text = network.ssid;
            dot.label = RadarCoordinates::toView(p - QPointF(30, 9), QSizeF(100, 15), height);
        } else {
            dot.color = k <= 10 ? RadarColor::White : RadarColor::LightGrey;
            dot.circle = RadarCoordinates::toView(p - QPointF(2, 2), QSizeF(7, 7), height);
        }
        dots << dot;
    }
    return dots;
}

} // namespace DrawnRadarPlacement
