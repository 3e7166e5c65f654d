#pragma once

#include <QString>
#include <QVariantMap>

// The process-wide values that views which do not hold each other exchange:
// radar radius, sonar ring, graph legend layout and the connection facts.
// Values only: no behaviour, no signals; readers poll it.
class SharedInstanceClass {
public:
    static SharedInstanceClass &sharedInstance();

    qint64 num = 10;          // sonar ring radius, points
    qint64 maxValue = 90;     // radar radius; 220 means the expanded radar is shown
    qint64 position = 850;    // x of the next graph legend label
    qint64 graphPadding = 80; // bottom padding of the graph for the legend
    QVariantMap latencyDict;  // connection test ping results
    QString dnsLookup;        // connection test texts, empty until measured
    QString dnsReachability;
    QString gatwayReachability;
    QString externalIP;
    qint64 count = 3; // unused

    static constexpr qint64 expandedRadarRadius = 220;
    bool isExpandedRadar() const { return maxValue == expandedRadarRadius; }

    SharedInstanceClass(const SharedInstanceClass &) = delete;
    SharedInstanceClass &operator=(const SharedInstanceClass &) = delete;

private:
    SharedInstanceClass() = default;
};
