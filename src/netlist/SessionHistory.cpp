#include "SessionHistory.h"

#include "settings/Preferences.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>

namespace {
Q_LOGGING_CATEGORY(lcHistory, "airlume.history")
}

SessionHistory::SessionHistory(qint64 maxAgeMs, qsizetype maxRows)
    : m_maxAgeMs(maxAgeMs)
    , m_maxRows(maxRows)
    , m_networks(std::make_shared<std::vector<HistoryNetwork>>()) {}

void SessionHistory::clear() {
    m_blocks.clear();
    m_first = 0;
    m_size = 0;
    m_networks = std::make_shared<std::vector<HistoryNetwork>>();
    m_networkIndex.clear();
    m_lastBlockShared = m_networksShared = false;
    m_dropped = 0;
}

// A network's name or channel may change under the same BSSID; each
// combination is kept once and the lines point at it.
qint32 SessionHistory::networkIndex(const NetworkModel &record) {
    const QString key = record.bssid + QLatin1Char('\n') +
                        (record.ssid.isNull() ? QStringLiteral("\x01") : record.ssid) +
                        QLatin1Char('\n') + QString::number(record.channel);
    const auto known = m_networkIndex.constFind(key);
    if (known != m_networkIndex.constEnd())
        return *known;
    if (m_networksShared) {
        m_networks = std::make_shared<std::vector<HistoryNetwork>>(*m_networks);
        m_networksShared = false;
    }
    const auto index = static_cast<qint32>(m_networks->size());
    m_networks->push_back({record.bssid, record.ssid, record.channel});
    m_networkIndex.insert(key, index);
    return index;
}

void SessionHistory::append(const HistoryRow &row) {
    if (m_blocks.empty() || m_blocks.back()->size() == static_cast<size_t>(blockRows)) {
        m_blocks.push_back(std::make_shared<HistoryBlock>());
        m_blocks.back()->reserve(static_cast<size_t>(blockRows));
        m_lastBlockShared = false;
    } else if (m_lastBlockShared) {
        auto copy = std::make_shared<HistoryBlock>();
        copy->reserve(static_cast<size_t>(blockRows));
        copy->assign(m_blocks.back()->begin(), m_blocks.back()->end());
        m_blocks.back() = std::move(copy);
        m_lastBlockShared = false;
    }
    m_blocks.back()->push_back(row);
    ++m_size;
}

void SessionHistory::popFront() {
    ++m_first;
    --m_size;
    if (m_first == static_cast<qsizetype>(m_blocks.front()->size())) {
        m_blocks.pop_front();
        m_first = 0;
    }
}

void SessionHistory::addTick(const ScanTick &tick) {
    const qint64 timeMs =
        tick.heard.timeMs != 0 ? tick.heard.timeMs : QDateTime::currentMSecsSinceEpoch();
    for (const NetworkModelPtr &record : tick.displayList) {
        if (!record || record->bssid.isNull())
            continue;
        HistoryRow row;
        row.timeMs = timeMs;
        row.network = networkIndex(*record);
        row.rssi = static_cast<qint16>(std::clamp<qint64>(record->rssi, -32768, 32767));
        // Listed but missed by this scan: the record keeps its last signal, which
        // this tick did not hear.
        row.heard = record->availableCount == tick.counter;
        row.joined = record == tick.joined;
        append(row);
    }
    dropOldest(timeMs);
}

HistorySnapshot SessionHistory::snapshot(const Preferences &prefs) const {
    HistorySnapshot s;
    s.m_blocks.assign(m_blocks.begin(), m_blocks.end());
    s.m_first = m_first;
    s.m_size = m_size;
    s.m_blockRows = blockRows;
    s.m_networks = m_networks;
    s.m_percent = prefs.isPercent();
    m_lastBlockShared = m_networksShared = true;
    return s;
}

void SessionHistory::dropOldest(qint64 newestMs) {
    qsizetype dropped = 0;
    while (m_size > 0 && (m_size > m_maxRows || front().timeMs < newestMs - m_maxAgeMs)) {
        popFront();
        ++dropped;
    }
    if (dropped == 0)
        return;
    if (m_dropped == 0)
        qCWarning(lcHistory).noquote()
            << QStringLiteral("the signal history keeps at most %1 hours or %2 lines; the oldest "
                              "lines are dropped from now on")
                   .arg(m_maxAgeMs / 3'600'000.0)
                   .arg(m_maxRows);
    m_dropped += dropped;
}

QString SessionHistory::header(const Preferences &prefs) {
    return HistorySnapshot::header(prefs.isPercent());
}
