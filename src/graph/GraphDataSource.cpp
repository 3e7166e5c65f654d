#include "GraphDataSource.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace GraphDataSource {

int intervalSeconds(double pollingIntervalSeconds) {
    if (!std::isfinite(pollingIntervalSeconds) || pollingIntervalSeconds < 1.0)
        return 1;
    return static_cast<int>(std::min(pollingIntervalSeconds, 1.0e9));
}

qint64 numberOfRecordsForPlot(int intervalN) {
    return 100 * qint64(std::max(intervalN, 1));
}

bool isReading(qint64 stored, bool percent) {
    return percent ? stored > 0 : stored < 0;
}

std::optional<double> numberForPlot(const QList<qint64> &history, int field, qint64 index,
                                    bool percent) {
    if (index < 0)
        return std::nullopt;
    if (field == X)
        return double(index);
    if (field != Y || index >= history.size())
        return std::nullopt;
    const qint64 stored = history.at(index);
    if (!isReading(stored, percent))
        return std::nullopt;
    return double(stored);
}

bool hasMarker(qint64 index, int intervalN) {
    return index >= 0 && index % std::max(intervalN, 1) == 0;
}

QList<double> plotValues(const QList<qint64> &history, int intervalN, bool percent) {
    const qint64 count = std::min<qint64>(history.size(), numberOfRecordsForPlot(intervalN));
    QList<double> values;
    values.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 stored = history.at(i);
        values.append(isReading(stored, percent) ? double(stored)
                                                 : std::numeric_limits<double>::quiet_NaN());
    }
    return values;
}

QString hoverText(const QString &network, double value, qint64 ageSeconds, bool percent) {
    const QString reading = percent ? QStringLiteral("%1%").arg(qRound64(value))
                                    : QStringLiteral("%1 dBm").arg(qRound64(value));
    const QString age =
        ageSeconds == 0 ? QStringLiteral("now") : QStringLiteral("%1 s ago").arg(ageSeconds);
    return QStringLiteral("%1: %2, %3").arg(network, reading, age);
}

} // namespace GraphDataSource
