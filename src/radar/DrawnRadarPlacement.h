#pragma once

#include "RadarPlacement.h"
#include "RadarPoints.h"

// The drawn radar's own placement, used once locate mode ends: the first
// four networks on a spiral, the rest on the mid circle of their signal's
// ring in a random direction. Its dots stay until the normal radar is built
// again.
namespace DrawnRadarPlacement {

struct Dot {
    RadarColor color = RadarColor::White;
    QRectF circle; // the filled circle's square, view coordinates (y down)
    QString text;  // empty: no label
    QRectF label;
};

// Centres of the dots (y up) for `networks` on a drawn radar of `viewSize`.
QList<QPointF> positions(const NetworkList &networks, QSizeF viewSize,
                         const ALUtilities::AngleSource &angle);

// What the drawn radar paints for the placed networks.
QList<Dot> plotWifiPositionInRadar(const NetworkList &networks, QSizeF viewSize,
                                   const QString &joinedBssid,
                                   const ALUtilities::AngleSource &angle);

} // namespace DrawnRadarPlacement
