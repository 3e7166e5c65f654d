#include "RadarBackdrop.h"

#include "shell/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace RadarBackdrop {

namespace {

const QColor radarBlue = Theme::as<QColor>(Theme::radarBlue);
const QColor frameSlate = Theme::as<QColor>(Theme::radarFrame);
const QColor frameBorder = Theme::as<QColor>(Theme::radarBorder);

QFont arial(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

// The framed disc the radar sits on: slate with a thin light grey border,
// the radar's blue inside.
void paintDisc(QPainter &p, QPointF c, qreal outer, qreal inner) {
    p.setPen(QPen(frameBorder, 0.8));
    p.setBrush(frameSlate);
    p.drawEllipse(c, outer, outer);
    QRadialGradient shade(c, inner);
    shade.setColorAt(0, radarBlue.lighter(112));
    shade.setColorAt(1, radarBlue.darker(118));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(c, inner, inner);
}

// Bearing ticks round the rim, longer every 30 degrees.
void paintTicks(QPainter &p, QPointF c, qreal radius, qreal shortTick, qreal longTick) {
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (int deg = 0; deg < 360; deg += 10) {
        const qreal length = deg % 30 == 0 ? longTick : shortTick;
        const qreal t = deg * std::numbers::pi / 180.0;
        const QPointF dir(std::cos(t), -std::sin(t));
        p.drawLine(c + dir * radius, c + dir * (radius - length));
    }
}

void paintNormal(QPainter &p, bool percent) {
    const QPointF c(100, 100);
    paintDisc(p, c, 99.5, 95);
    paintTicks(p, c, 94, 3, 7);

    // The drawn radar: rings 15 points apart with their scale values just
    // below the horizontal axis, the unit in the middle, the cross-hair.
    const QRectF drawn = drawnRadarRect();
    const QPointF dc = drawn.center();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ringColor(), 1.5));
    for (int k = 0; k < 5; ++k)
        p.drawEllipse(dc, 14.0 + 15 * k, 14.0 + 15 * k);
    p.setPen(QPen(ringColor(), 2.0));
    p.drawLine(QPointF(drawn.left(), dc.y()), QPointF(drawn.right(), dc.y()));
    p.drawLine(QPointF(dc.x(), drawn.top()), QPointF(dc.x(), drawn.bottom()));

    p.setPen(Qt::white);
    p.setFont(arial(8));
    for (int k = 0; k < 5; ++k) {
        const int value = percent ? 100 - 20 * k : -50 - 10 * k;
        const qreal d = 14 + 15 * k;
        p.drawText(QRectF(dc.x() + d - 16, dc.y() + 1, 40, 30), Qt::AlignLeft | Qt::AlignTop,
                   QString::number(value));
    }
    p.setFont(arial(9));
    p.drawText(QRectF(dc.x() - 15, dc.y() - 15, 30, 30), Qt::AlignCenter,
               percent ? QStringLiteral("(%)") : QStringLiteral("dBm"));
}

// The expanded radar's scale: one ring per signal band, labelled with the
// band's edge in the display unit, alternately right and left of the
// vertical axis so that the close inner rings stay readable.
void paintExpanded(QPainter &p, bool percent) {
    const QPointF c(250, 250);
    paintDisc(p, c, 247, 240);
    paintTicks(p, c, 239, 5, 11);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ringColor(), 1));
    for (int radius : {60, 110, 160, 210})
        p.drawEllipse(c, radius, radius);
    p.drawLine(c - QPointF(220, 0), c + QPointF(220, 0));
    p.drawLine(c - QPointF(0, 220), c + QPointF(0, 220));

    static constexpr struct {
        qreal radius;
        const char *percent, *dBm;
    } bands[] = {{25, "100", "-40"}, {33, "91", "-50"},  {45, "81", "-60"},
                 {85, "61", "-69"},  {115, "41", "-79"}, {140, "40", "-80"}};
    QPen dashed(QColor(255, 255, 255, 70), 1, Qt::DashLine);
    p.setFont(arial(11));
    bool right = true;
    for (const auto &band : bands) {
        p.setPen(dashed);
        p.drawEllipse(c, band.radius, band.radius);
        p.setPen(QColor(255, 255, 255, 200));
        const QString text = QString::fromLatin1(percent ? band.percent : band.dBm);
        const QPointF at(c.x() + (right ? 3 : -43), c.y() + band.radius - 14);
        p.drawText(QRectF(at, QSizeF(40, 14)), (right ? Qt::AlignLeft : Qt::AlignRight), text);
        right = !right;
    }
    p.setPen(Qt::white);
    p.setFont(arial(13));
    p.drawText(QRectF(c.x() - 30, c.y() - 232, 60, 18), Qt::AlignCenter,
               percent ? QStringLiteral("(%)") : QStringLiteral("dBm"));
}

} // namespace

qreal sideOf(RadarKind kind) {
    return kind == RadarKind::Expanded ? 500 : 200;
}

QRectF drawnRadarRect() {
    return {10, 10, 180, 180};
}

QColor colorOf(RadarColor color) {
    switch (color) {
    case RadarColor::Orange:
        return Theme::as<QColor>(Theme::radarJoined);
    case RadarColor::Yellow:
        return Theme::as<QColor>(Theme::yellow);
    case RadarColor::White:
        return Theme::as<QColor>(Theme::white);
    case RadarColor::Grey:
        return Theme::as<QColor>(Theme::radarGrey);
    case RadarColor::LightGrey:
        return Theme::as<QColor>(Theme::radarLightGrey);
    }
    return Theme::as<QColor>(Theme::white);
}

QColor ringColor() {
    return Theme::as<QColor>(Theme::radarRing);
}

void paint(QPainter &painter, RadarKind kind, bool percent) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (kind == RadarKind::Expanded)
        paintExpanded(painter, percent);
    else
        paintNormal(painter, percent);
    painter.restore();
}

} // namespace RadarBackdrop
