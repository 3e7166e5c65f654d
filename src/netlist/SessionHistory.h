#pragma once

#include "HistorySnapshot.h"
#include "scan/ScanTick.h"

#include <QHash>
#include <QString>
#include <deque>
#include <memory>
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
//
// snapshot() hands out the lines as they are for another thread to write
// out: blocks of lines already handed out are shared, never written again.
class SessionHistory {
public:
    static constexpr qint64 defaultMaxAgeMs = 24LL * 60 * 60 * 1000;
    static constexpr qsizetype defaultMaxRows = 2'000'000;
    static constexpr qsizetype blockRows = 8192;

    explicit SessionHistory(qint64 maxAgeMs = defaultMaxAgeMs, qsizetype maxRows = defaultMaxRows);

    // Takes in one finished tick: its display list at its time.
    void addTick(const ScanTick &tick);
    void clear();

    qsizetype rowCount() const { return m_size; }
    qint64 droppedRows() const { return m_dropped; }

    static QString header(const Preferences &prefs);
    // The lines as they are now, signals in the unit the preferences give now:
    // a pointer per block of lines, whatever the history holds.
    HistorySnapshot snapshot(const Preferences &prefs) const;
    // The whole CSV text of snapshot(prefs).
    QString csv(const Preferences &prefs) const { return snapshot(prefs).csv(); }
    // The same without the header: the lines alone.
    QString lines(const Preferences &prefs) const { return snapshot(prefs).lines(); }
    // Writes csv() to `path` all or nothing (see HistorySnapshot::writeCsv);
    // false with *error naming the path and the reason.
    bool writeCsv(const QString &path, const Preferences &prefs, QString *error) const {
        return snapshot(prefs).writeCsv(path, error);
    }

private:
    qint32 networkIndex(const NetworkModel &record);
    void append(const HistoryRow &row);
    const HistoryRow &front() const { return (*m_blocks.front())[static_cast<size_t>(m_first)]; }
    void popFront();
    void dropOldest(qint64 newestMs);

    qint64 m_maxAgeMs;
    qsizetype m_maxRows;
    std::deque<std::shared_ptr<HistoryBlock>> m_blocks; // all full but the last
    qsizetype m_first = 0;                              // lines dropped from the first block
    qsizetype m_size = 0;
    std::shared_ptr<std::vector<HistoryNetwork>> m_networks;
    QHash<QString, qint32> m_networkIndex; // "bssid ssid channel" -> m_networks
    // What snapshots hold is copied before it changes.
    mutable bool m_lastBlockShared = false;
    mutable bool m_networksShared = false;
    qint64 m_dropped = 0;
};
