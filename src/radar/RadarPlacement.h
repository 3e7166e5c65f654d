#pragma once

#include "scan/NetworkModel.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

// Which radar a plot is for: the one in the radar pane, or the 500-point
// radar of the Radar layout (the shared maxValue is 220 while it is shown).
enum class RadarKind { Normal, Expanded };

// The radar's own colours; the widget turns them into QColors.
enum class RadarColor { Orange, Yellow, White, Grey, LightGrey };

// One dot of a plot, with its name label when it has one. Rectangles are in
// the target view's Qt coordinates (y down).
struct RadarMark {
    int index = 0; // position in the plotted list
    int angle = 0; // degrees, counter-clockwise from the positive x axis
    RadarColor color = RadarColor::White;
    QRectF dot;
    int cornerRadius = 0;
    bool labelled = false;
    QString text;
    QRectF label;
    bool alignRight = false;
    int fontSize = 0;
};

// Turns an ordered list of networks into dots and labels on a radar. The
// list position decides everything but the distance from the centre: a dot
// keeps its place exactly as long as its position and signal band stay.
namespace RadarPlacement {

struct Context {
    RadarKind kind = RadarKind::Normal;
    bool percent = false; // the display unit: bands and values in percent, else dBm
    QSizeF viewSize;      // the target view
    QString joinedBssid;  // empty when not joined
    QString locatedBssid; // empty unless locating
};

// Only the first 30 entries of a list are looked at.
constexpr int maxEntries = 30;

// The dots and labels for `networks`, bottom first: the list's head is drawn
// last, on top. Normal radar: at most 16 dots, 5 of them named; expanded: at
// most 30, 11 named.
QList<RadarMark> plotWifiPositionInRadar(const NetworkList &networks, const Context &context);

// The angle of each list position for a list of `count` entries (at most
// the first 30), by index.
QList<int> anglesFor(int count, RadarKind kind);

// Distance of a signal value from the centre. The normal radar's ring unit
// comes from the view's width; the expanded radar's radii are fixed.
qreal radiusFor(qint64 value, bool percent, RadarKind kind, QSizeF viewSize);

// The lower-left corner of a dot (y up): index 0 of the normal radar is
// measured from a centre 10 points left of the middle.
QPointF getRadarPoints(QSizeF viewSize, qint64 value, int angle, int index, RadarKind kind,
                       bool percent);

// The anchor of a dot's label (y up), from the angle folded to its absolute
// value.
QPointF getTextPosition(int angle, QPointF dot, RadarKind kind);

// Label and dot size: also the point size of the label's font.
int labelSize(RadarKind kind);

// The name as a label shows it: cut to 12 characters (expanded: 17), with no
// ellipsis.
QString labelText(const QString &name, RadarKind kind);

} // namespace RadarPlacement
