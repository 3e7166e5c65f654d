#pragma once

#include "RadarPlacement.h"

#include <QColor>

class QPainter;

// The still part of a radar, painted once into a cache by the radar widget:
// the framed circular background, the ring-scale picture for the display
// unit, and the drawn radar's rings, scale values, unit and cross-hair.
// Coordinates are the radar's own points: 200 x 200 for the radar pane,
// 500 x 500 for the expanded radar.
namespace RadarBackdrop {

// The radar's side in points.
qreal sideOf(RadarKind kind);
// The drawn radar inside the normal radar: the rings and its own dots.
QRectF drawnRadarRect();

QColor colorOf(RadarColor color);
QColor ringColor();

void paint(QPainter &painter, RadarKind kind, bool percent);

} // namespace RadarBackdrop
