#include "HistorySnapshot.h"

#include "CsvExport.h"
#include "CsvFile.h"
#include "scan/ALUtilities.h"

#include <QDateTime>
#include <algorithm>

QString HistorySnapshot::header(bool percent) {
    return percent ? QStringLiteral("Time,BSSID,SSID,Channel,Signal (%),Joined\n")
                   : QStringLiteral("Time,BSSID,SSID,Channel,Signal (dBm),Joined\n");
}

const HistoryRow &HistorySnapshot::row(qsizetype i) const {
    const qsizetype at = m_first + i;
    return (
        *m_blocks[static_cast<size_t>(at / m_blockRows)])[static_cast<size_t>(at % m_blockRows)];
}

QString HistorySnapshot::lines(qsizetype from, qsizetype to) const {
    from = std::clamp<qsizetype>(from, 0, m_size);
    to = std::clamp<qsizetype>(to, from, m_size);
    QString text;
    text.reserve((to - from) * 64);
    const QChar comma(QLatin1Char(','));
    qint64 lastTimeMs = -1;
    QString time;
    for (qsizetype i = from; i < to; ++i) {
        const HistoryRow &r = row(i);
        if (r.timeMs != lastTimeMs) { // the same for every line of a tick
            lastTimeMs = r.timeMs;
            time = QDateTime::fromMSecsSinceEpoch(r.timeMs, Qt::UTC).toString(Qt::ISODateWithMs);
        }
        const HistoryNetwork &network = (*m_networks)[static_cast<size_t>(r.network)];
        // As in the network export: a hidden name is the word (null).
        const QString ssid = network.ssid.isNull() ? QStringLiteral("(null)") : network.ssid;
        text += time + comma + CsvExport::field(network.bssid, false) + comma +
                CsvExport::field(ssid, true) + comma + QString::number(network.channel) + comma;
        if (r.heard)
            text += QString::number(m_percent ? ALUtilities::signalInPercent(r.rssi) : r.rssi);
        text += comma + (r.joined ? QStringLiteral("True") : QStringLiteral("False")) +
                QLatin1Char('\n');
    }
    return text;
}

bool HistorySnapshot::writeCsv(const QString &path, QString *error) const {
    qsizetype next = -1; // -1: the header comes first
    return writeCsvChunks(
        path,
        [this, &next]() -> QString {
            if (next < 0) {
                next = 0;
                return header();
            }
            const qsizetype from = next;
            next = std::min(m_size, next + linesPerChunk);
            return lines(from, next);
        },
        error);
}
