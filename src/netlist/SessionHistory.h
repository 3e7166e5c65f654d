#pragma once

#include "scan/ScanTick.h"

#include <QHash>
#include <QString>
#include <deque>
#include <vector>

class Preferences;

// The signal of every listed network at every tick since the start (or the
// last clear(), which a settings change calls for), exported as CSV: one
// line per network per tick with the time, BSSID, SSID, channel, signal and
// whether it was the joined network. A network still listed but not heard in
// a tick (it has not aged out yet) has its line with an empty signal.
//
// Memory is bounded: at most a day of ticks and two million lines, whichever
// comes first; the oldest lines go first, and the first drop is logged.
class SessionHistory {
public:
    static constexpr qint64 defaultMaxAgeMs = 24LL * 60 * 60 * 1000;
    static constexpr qsizetype defaultMaxRows = 2'000'000;

    explicit SessionHistory(qint64 maxAgeMs = defaultMaxAgeMs, qsizetype maxRows = defaultMaxRows);

    // Takes in one finished tick: its display list at its time.
    void addTick(const ScanTick &tick);
    void clear();

    qsizetype rowCount() const { return static_cast<qsizetype>(m_rows.size()); }
    qint64 droppedRows() const { return m_dropped; }

    static QString header(const Preferences &prefs);
    // The whole CSV text, signals in the unit the preferences give now.
    QString csv(const Preferences &prefs) const;
    // The same without the header: the lines alone.
    QString lines(const Preferences &prefs) const;
    // Writes csv() to `path` all or nothing (see writeCsvFile); false with
    // *error naming the path and the reason.
    bool writeCsv(const QString &path, const Preferences &prefs, QString *error) const;

private:
    struct Network { // what the line repeats for each tick
        QString bssid;
        QString ssid;
        qint64 channel = 0;
    };
    struct Row {
        qint64 timeMs = 0;
        qint32 network = 0; // into m_networks
        qint16 rssi = 0;    // dBm
        bool heard = false;
        bool joined = false;
    };
    qint32 networkIndex(const NetworkModel &record);
    void dropOldest(qint64 newestMs);

    qint64 m_maxAgeMs;
    qsizetype m_maxRows;
    std::deque<Row> m_rows;
    std::vector<Network> m_networks;
    QHash<QString, qint32> m_networkIndex; // "bssid ssid channel" -> m_networks
    qint64 m_dropped = 0;
};
