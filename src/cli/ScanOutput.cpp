#include "ScanOutput.h"

#include "netlist/CsvExport.h"
#include "netlist/VendorTable.h"
#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ScanOutput {

QString printable(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString columns(const QList<QStringList> &rows) {
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QString out;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += row[i].leftJustified(widths[i]) + QStringLiteral("  ");
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    }
    return out;
}

QString table(const NetworkList &records, const NetworkModelPtr &connected,
              const Preferences &prefs) {
    const QString unit = prefs.isPercent() ? QStringLiteral("%") : QStringLiteral("dBm");
    QList<QStringList> rows;
    rows.append({QString(), QStringLiteral("SSID"), QStringLiteral("Signal ") + unit,
                 QStringLiteral("Mode"), QStringLiteral("Width"), QStringLiteral("Security"),
                 QStringLiteral("Vendor"), QStringLiteral("BSSID"), QStringLiteral("Channel"),
                 QStringLiteral("Frequency"), QStringLiteral("Type")});
    for (const NetworkModelPtr &r : records) {
        const qint64 signal = ALUtilities::getSignalstrengthForNetwork(r->rssi, prefs);
        rows.append({r == connected ? QStringLiteral("*") : QString(),
                     r->ssid.isNull() ? QStringLiteral("(hidden)") : printable(r->ssid),
                     r->rssi == 0 ? QString() : QString::number(signal), r->networkMode,
                     r->channel == 0 ? QString() : r->channelWidth, r->security.trimmed(),
                     printable(r->vendor), r->bssid,
                     r->channel == 0 ? QString() : QString::number(r->channel), r->frequency,
                     r->networkType});
    }
    return columns(rows);
}

QString json(const NetworkList &records, const NetworkModelPtr &connected) {
    QJsonArray array;
    for (const NetworkModelPtr &r : records) {
        QJsonArray history;
        for (qint64 v : r->signalStrengthArray)
            history.append(v);
        const auto text = [](const QString &s) {
            return s.isNull() ? QJsonValue() : QJsonValue(s);
        };
        array.append(QJsonObject{
            {QStringLiteral("ssid"), text(r->ssid)},
            {QStringLiteral("bssid"), text(r->bssid)},
            {QStringLiteral("networkMode"), r->networkMode},
            {QStringLiteral("networkType"), r->networkType},
            {QStringLiteral("security"), r->security},
            {QStringLiteral("vendor"), r->vendor},
            {QStringLiteral("frequency"), r->frequency},
            {QStringLiteral("channelWidth"), r->channelWidth},
            {QStringLiteral("activePHY"), r->activePHY},
            {QStringLiteral("rssi"), r->rssi},
            {QStringLiteral("channelBand"), r->channelBand},
            {QStringLiteral("channel"), r->channel},
            {QStringLiteral("availableCount"), r->availableCount},
            {QStringLiteral("count"), r->count},
            {QStringLiteral("countInNoWiFi"), r->countInNoWiFi},
            {QStringLiteral("signalStrengthArray"), history},
            {QStringLiteral("connected"), r == connected},
        });
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString list(const QString &format, const NetworkList &records, const NetworkModelPtr &connected,
             const Preferences &prefs) {
    if (format == QLatin1String("csv"))
        return CsvExport::document(records, connected, prefs);
    if (format == QLatin1String("json"))
        return json(records, connected);
    return table(records, connected, prefs);
}

void VendorNames::apply(const NetworkList &records) {
    if (records.isEmpty())
        return;
    if (!m_index) {
        QString why;
        m_index = VendorIndex::fromFile(bundledVendorTable(), &why).value_or(VendorIndex());
    }
    for (const NetworkModelPtr &r : records) {
        if (const QString vendor = m_index->vendorFor(r->bssid); !vendor.isNull())
            r->vendor = vendor;
    }
}

} // namespace ScanOutput
