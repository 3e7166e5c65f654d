#include "LabelPlacement.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double maxHeights = 3; // how far a label may move from its place
constexpr double slack = 1e-6;   // rects that only touch (up to rounding) do not cover

bool covers(const QRectF &a, const QRectF &b) {
    return a.left() < b.right() - slack && b.left() < a.right() - slack &&
           a.top() < b.bottom() - slack && b.top() < a.bottom() - slack;
}

} // namespace

QList<std::optional<QRectF>> placeLabels(const QList<QRectF> &wanted, const QRectF &bounds) {
    QList<std::optional<QRectF>> placed;
    placed.reserve(wanted.size());
    QList<QRectF> taken;
    for (const QRectF &rect : wanted) {
        const double h = rect.height();
        // The wanted place, the edges, and against each label it could meet.
        QList<double> tops{rect.top(), bounds.top(), bounds.bottom() - h};
        for (const QRectF &t : std::as_const(taken)) {
            if (t.left() < rect.right() && rect.left() < t.right())
                tops << t.top() - h << t.bottom();
        }
        std::optional<QRectF> best;
        double bestDistance = 0;
        for (const double top : std::as_const(tops)) {
            const QRectF candidate(rect.left(), top, rect.width(), h);
            const double distance = std::abs(top - rect.top());
            if (distance > maxHeights * h + slack || top < bounds.top() - slack ||
                candidate.bottom() > bounds.bottom() + slack)
                continue;
            if (std::any_of(taken.cbegin(), taken.cend(),
                            [&](const QRectF &t) { return covers(t, candidate); }))
                continue;
            // The nearest; of two as near, the one above, where it reads as
            // the shape's own label.
            if (!best || distance < bestDistance - slack ||
                (distance < bestDistance + slack && top < best->top())) {
                best = candidate;
                bestDistance = distance;
            }
        }
        if (best)
            taken.append(*best);
        placed.append(best);
    }
    return placed;
}
