#include "RadarPoints.h"

#include <QRandomGenerator>
#include <cmath>

namespace ALUtilities {

AngleSource systemAngleSource() {
    return [] { return static_cast<float>(QRandomGenerator::global()->bounded(6.28)); };
}

QPointF getRandomPointInCircle(float innerRadius, float outerRadius, QPointF center,
                               const AngleSource &angle) {
    return getRandomPointForInnerCircle(center, (innerRadius + outerRadius) * 0.5f, angle());
}

QPointF getRandomPointForInnerCircle(QPointF center, float radius, float angle) {
    return {static_cast<float>(center.x()) + radius * std::cos(angle),
            static_cast<float>(center.y()) + radius * std::sin(angle)};
}

} // namespace ALUtilities
