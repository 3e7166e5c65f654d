#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the graph draws for one network, answered from its history alone: the
// records of a line, their X and Y values and which records carry a dot.
// Pure functions, so the widget only draws what they return.
namespace GraphDataSource {

enum Field { X = 0, Y = 1 };

// The polling interval as the graph's whole number of seconds N. Never below
// one: the marker rule divides by it.
int intervalSeconds(double pollingIntervalSeconds);

// Records per line: 100 x N, the same for every line, matching the X range.
qint64 numberOfRecordsForPlot(int intervalN);

// Whether a stored value is a reading rather than the filler of a missed
// sample: percentages are positive, dBm readings negative.
bool isReading(qint64 stored, bool percent);

// The value of record `index` (its age in seconds) of a line drawn from
// `history` (newest first): X is the index; Y the stored value, or nothing
// beyond the history, at a filler value, or for any other field.
std::optional<double> numberForPlot(const QList<qint64> &history, int field, qint64 index,
                                    bool percent);

// A 5 x 5 dot marks every N-th record, starting with the newest.
bool hasMarker(qint64 index, int intervalN);

// Y of records 0, 1, ... as the line draws them, NaN where it has a gap. The
// list stops at the history's end (everything past it is a gap) and at the
// record count.
QList<double> plotValues(const QList<qint64> &history, int intervalN, bool percent);

// What the pointer shows over a line: "Office aa:bb:cc:dd:ee:ff: -60 dBm,
// 12 s ago" ("80%" in Percent, "now" for the newest record).
QString hoverText(const QString &network, double value, qint64 ageSeconds, bool percent);

} // namespace GraphDataSource
