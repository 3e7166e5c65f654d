#include "RadarPlacement.h"

#include "RadarCoordinates.h"
#include "scan/ALUtilities.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace RadarPlacement {

namespace {

// The joined network's dot sits just above the positive x axis, whatever
// its position in the list.
constexpr int joinedAngle = 5;
// Index 10 starts the second turn of the spiral; in the normal radar index 4
// is moved out of the way of the joined network's label.
constexpr int secondTurnIndex = 10;
constexpr int secondTurnAngle = 320;
constexpr int normalIndex4Angle = 300;

constexpr QSizeF labelField{140, 20};

struct Role {
    enum Kind { Nothing, Head, Labelled, Plain } kind = Nothing;
    int plainSize = 0;
};

Role roleOf(int index, RadarKind kind) {
    if (index == 0)
        return {Role::Head};
    if (kind == RadarKind::Normal) {
        if (index <= 4)
            return {Role::Labelled};
        return index <= 15 ? Role{Role::Plain, 6} : Role{Role::Nothing};
    }
    return index <= 10 ? Role{Role::Labelled} : Role{Role::Plain, 10};
}

int lastIndex(int count) {
    return std::min(count, maxEntries) - 1;
}

// Counts code points, so a name is never cut inside a surrogate pair.
QString firstCharacters(const QString &text, int count) {
    int seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0 && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
            continue;
        if (seen == count)
            return text.left(i);
        ++seen;
    }
    return text;
}

RadarMark labelledDot(const QString &name, RadarColor color, QPointF dot, QPointF anchor, int angle,
                      RadarKind kind, qreal viewHeight) {
    const int size = labelSize(kind);
    RadarMark mark;
    mark.angle = angle;
    mark.color = color;
    mark.dot = RadarCoordinates::toView(dot, QSizeF(size, size), viewHeight);
    mark.cornerRadius = size / 2;
    mark.labelled = true;
    mark.text = labelText(name, kind);
    mark.fontSize = size;
    // The field follows the signed angle: a negative angle always gets a
    // left-aligned field right of the anchor.
    mark.alignRight = angle >= 90 && angle <= 269;
    const QPointF field(anchor.x() + (mark.alignRight ? -90 : 5), anchor.y());
    mark.label = RadarCoordinates::toView(field, labelField, viewHeight);
    return mark;
}

} // namespace

int labelSize(RadarKind kind) {
    return kind == RadarKind::Expanded ? 15 : 11;
}

QString labelText(const QString &name, RadarKind kind) {
    return firstCharacters(name, kind == RadarKind::Expanded ? 17 : 12);
}

QList<int> anglesFor(int count, RadarKind kind) {
    const int last = lastIndex(count);
    QList<int> angles(std::max(last + 1, 0));
    int prev = -22;
    for (int i = last; i >= 0; --i) {
        int a = 0;
        if (i == secondTurnIndex)
            a = secondTurnAngle;
        else
            a = prev + (i > secondTurnIndex ? 5 : 0) - (i >= 4 ? 25 : 45);
        if (i == 4 && kind == RadarKind::Normal)
            a = normalIndex4Angle;
        angles[i] = prev = a;
    }
    return angles;
}

qreal radiusFor(qint64 value, bool percent, RadarKind kind, QSizeF viewSize) {
    if (kind == RadarKind::Expanded) {
        // Percent and dBm edges of the same six bands.
        static constexpr struct {
            qint64 percent, dBm;
            qreal radius;
        } bands[] = {{100, -40, 25}, {91, -50, 33}, {81, -60, 45}, {61, -69, 85}, {41, -79, 115}};
        for (const auto &band : bands) {
            if (value >= (percent ? band.percent : band.dBm))
                return band.radius;
        }
        return 140;
    }
    const int unit = static_cast<int>(viewSize.width() * 0.5) / 7;
    if (value >= (percent ? 61 : -69))
        return 2 * unit;
    if (value >= (percent ? 41 : -79))
        return 3 * unit;
    if (value >= (percent ? 21 : -89))
        return 4 * unit - 5;
    return 5 * unit;
}

QPointF getRadarPoints(QSizeF viewSize, qint64 value, int angle, int index, RadarKind kind,
                       bool percent) {
    float cx = static_cast<int>(viewSize.width() * 0.5);
    const float cy = static_cast<int>(viewSize.height() * 0.5);
    const auto r = static_cast<float>(radiusFor(value, percent, kind, viewSize));
    if (kind == RadarKind::Normal && index == 0)
        cx -= 10;
    const auto theta = static_cast<float>(angle * std::numbers::pi / 180.0);
    return {cx + r * std::cos(theta), cy + r * std::sin(theta)};
}

QPointF getTextPosition(int angle, QPointF dot, RadarKind kind) {
    const int d = std::abs(angle);
    const qreal rightSide = kind == RadarKind::Expanded ? 13 : 10;
    if (d <= 89)
        return dot + QPointF(0, rightSide);
    if (d <= 179)
        return dot + QPointF(-50, 10);
    if (d <= 269)
        return dot + QPointF(-50, -10);
    if (d <= 359)
        return dot + QPointF(5, -rightSide);
    return dot + QPointF(0, 10);
}

QList<RadarMark> plotWifiPositionInRadar(const NetworkList &networks, const Context &context) {
    QList<RadarMark> marks;
    const QList<int> angles = anglesFor(networks.size(), context.kind);
    const qreal height = context.viewSize.height();
    for (int i = int(angles.size()) - 1; i >= 0; --i) {
        const NetworkModel &network = *networks.at(i);
        const qint64 value =
            context.percent ? ALUtilities::signalInPercent(network.rssi) : network.rssi;
        auto pointAt = [&](int angle) {
            return getRadarPoints(context.viewSize, value, angle, i, context.kind, context.percent);
        };
        auto labelled = [&](RadarColor color, int angle) {
            const QPointF dot = pointAt(angle);
            RadarMark mark =
                labelledDot(network.ssid, color, dot, getTextPosition(angle, dot, context.kind),
                            angle, context.kind, height);
            mark.index = i;
            marks.append(mark);
        };

        const Role role = roleOf(i, context.kind);
        switch (role.kind) {
        case Role::Nothing:
            break;
        case Role::Labelled:
            labelled(RadarColor::White, angles.at(i));
            break;
        case Role::Plain: {
            RadarMark mark;
            mark.index = i;
            mark.angle = angles.at(i);
            mark.color = RadarColor::Grey;
            mark.dot = RadarCoordinates::toView(pointAt(mark.angle),
                                                QSizeF(role.plainSize, role.plainSize), height);
            mark.cornerRadius = role.plainSize / 2;
            marks.append(mark);
            break;
        }
        case Role::Head:
            // The head of the list is shown only when it is the joined or the
            // located network.
            if (!context.joinedBssid.isEmpty() && network.bssid == context.joinedBssid)
                labelled(RadarColor::Orange, joinedAngle);
            else if (!context.locatedBssid.isEmpty() && network.bssid == context.locatedBssid)
                labelled(RadarColor::Yellow, angles.at(i));
            break;
        }
    }
    return marks;
}

} // namespace RadarPlacement
