#pragma once

#include <QPointF>
#include <QRectF>

// The radar's geometry is worked out with the y axis pointing up from the
// lower-left corner of the view, and a point given for a dot or a label is
// the lower-left corner of its frame. Qt draws with y pointing down from the
// upper-left corner; this is the one place that turns the first into the
// second.
namespace RadarCoordinates {

// A frame whose lower-left corner is `lowerLeft` (y up) as a Qt rectangle in
// a view `viewHeight` high.
inline QRectF toView(QPointF lowerLeft, QSizeF size, qreal viewHeight) {
    return {lowerLeft.x(), viewHeight - lowerLeft.y() - size.height(), size.width(), size.height()};
}

} // namespace RadarCoordinates
