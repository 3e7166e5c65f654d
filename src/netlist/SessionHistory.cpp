#include "SessionHistory.h"

#include "CsvExport.h"
#include "CsvFile.h"
#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>

namespace {
Q_LOGGING_CATEGORY(lcHistory, "airlume.history")
}

SessionHistory::SessionHistory(qint64 maxAgeMs, qsizetype maxRows)
    : m_maxAgeMs(maxAgeMs)
    , m_maxRows(maxRows) {}

void SessionHistory::clear() {
    m_rows.clear();
    m_networks.clear();
    m_networkIndex.clear();
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
    const auto index = static_cast<qint32>(m_networks.size());
    m_networks.push_back({record.bssid, record.ssid, record.channel});
    m_networkIndex.insert(key, index);
    return index;
}

void SessionHistory::addTick(const ScanTick &tick) {
    const qint64 timeMs =
        tick.heard.timeMs != 0 ? tick.heard.timeMs : QDateTime::currentMSecsSinceEpoch();
    for (const NetworkModelPtr &record : tick.displayList) {
        if (!record || record->bssid.isNull())
            continue;
        Row row;
        row.timeMs = timeMs;
        row.network = networkIndex(*record);
        row.rssi = static_cast<qint16>(std::clamp<qint64>(record->rssi, -32768, 32767));
        // Listed but missed by this scan: the record keeps its last signal, which
        // this tick did not hear.
        row.heard = record->availableCount == tick.counter;
        row.joined = record == tick.joined;
        m_rows.push_back(row);
    }
    dropOldest(timeMs);
}

void SessionHistory::dropOldest(qint64 newestMs) {
    qsizetype dropped = 0;
    while (!m_rows.empty() &&
           (rowCount() > m_maxRows || m_rows.front().timeMs < newestMs - m_maxAgeMs)) {
        m_rows.pop_front();
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
    return prefs.isPercent() ? QStringLiteral("Time,BSSID,SSID,Channel,Signal (%),Joined\n")
                             : QStringLiteral("Time,BSSID,SSID,Channel,Signal (dBm),Joined\n");
}

QString SessionHistory::csv(const Preferences &prefs) const {
    return header(prefs) + lines(prefs);
}

QString SessionHistory::lines(const Preferences &prefs) const {
    QString text;
    text.reserve(rowCount() * 64);
    const QChar comma(QLatin1Char(','));
    qint64 lastTimeMs = -1;
    QString time;
    for (const Row &row : m_rows) {
        if (row.timeMs != lastTimeMs) { // the same for every line of a tick
            lastTimeMs = row.timeMs;
            time = QDateTime::fromMSecsSinceEpoch(row.timeMs, Qt::UTC).toString(Qt::ISODateWithMs);
        }
        const Network &network = m_networks[static_cast<size_t>(row.network)];
        // As in the network export: a hidden name is the word (null).
        const QString ssid = network.ssid.isNull() ? QStringLiteral("(null)") : network.ssid;
        text += time + comma + CsvExport::field(network.bssid, false) + comma +
                CsvExport::field(ssid, true) + comma + QString::number(network.channel) + comma;
        if (row.heard)
            text += QString::number(ALUtilities::getSignalstrengthForNetwork(row.rssi, prefs));
        text += comma + (row.joined ? QStringLiteral("True") : QStringLiteral("False")) +
                QLatin1Char('\n');
    }
    return text;
}

bool SessionHistory::writeCsv(const QString &path, const Preferences &prefs, QString *error) const {
    return writeCsvFile(path, csv(prefs), error);
}
