#pragma once

#include <QPointF>
#include <functional>

// Points on a circle for the drawn radar's own placement.
namespace ALUtilities {

// An angle in radians, drawn uniformly from [0, 6.28).
using AngleSource = std::function<float()>;
AngleSource systemAngleSource();

// A point on the middle circle of the ring between the two radii, in a
// random direction. (The ring's inside is never used: every point lies on
// the mid circle.)
QPointF getRandomPointInCircle(float innerRadius, float outerRadius, QPointF center,
                               const AngleSource &angle);

// The point at `angle` radians on the circle of radius `radius`.
QPointF getRandomPointForInnerCircle(QPointF center, float radius, float angle);

} // namespace ALUtilities
