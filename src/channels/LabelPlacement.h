#pragma once

#include <QList>
#include <QRectF>
#include <optional>

// Where text labels go so that none covers another: each is placed in turn,
// at its wanted place when that is free, else at the nearest free place
// straight above or below, against a label already placed or an edge of
// `bounds`, no further than three of its heights away; failing that it is
// left out (nothing). A place lies within `bounds` top to bottom. Place the
// most important label first: it keeps its place.
QList<std::optional<QRectF>> placeLabels(const QList<QRectF> &wanted, const QRectF &bounds);
