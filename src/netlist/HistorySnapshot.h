#pragma once

#include <QString>
#include <memory>
#include <vector>

// What one line of the signal history repeats for each tick.
struct HistoryNetwork {
    QString bssid;
    QString ssid; // null for a hidden network
    qint64 channel = 0;
};

// One network at one tick.
struct HistoryRow {
    qint64 timeMs = 0;
    qint32 network = 0; // into the networks
    qint16 rssi = 0;    // dBm
    bool heard = false;
    bool joined = false;
};

// The rows are kept in blocks of a fixed size; a block a snapshot holds is
// never written again, so a snapshot costs a pointer per block.
using HistoryBlock = std::vector<HistoryRow>;

// The signal history as it was at one moment, in the unit chosen then, as
// CSV text. It shares the history's rows and never changes, so it may be
// read on any thread while the history goes on (SessionHistory::snapshot).
class HistorySnapshot {
public:
    HistorySnapshot() = default;

    qsizetype size() const { return m_size; }
    // "Time,BSSID,SSID,Channel,Signal (dBm),Joined" and the line feed.
    static QString header(bool percent);
    QString header() const { return header(m_percent); }
    // The lines [from, to) (row numbers), each ending with a line feed.
    QString lines(qsizetype from, qsizetype to) const;
    QString lines() const { return lines(0, m_size); }
    QString csv() const { return header() + lines(); }

    // Writes csv() to `path` all or nothing, a bounded number of lines at a
    // time, so the whole text is never held at once. False with *error naming
    // the path and the reason.
    bool writeCsv(const QString &path, QString *error) const;

    static constexpr qsizetype linesPerChunk = 16384;

private:
    friend class SessionHistory;
    const HistoryRow &row(qsizetype i) const;

    std::vector<std::shared_ptr<const HistoryBlock>> m_blocks;
    qsizetype m_first = 0; // rows of the first block no longer in the history
    qsizetype m_size = 0;
    qsizetype m_blockRows = 1;
    std::shared_ptr<const std::vector<HistoryNetwork>> m_networks;
    bool m_percent = false;
};
