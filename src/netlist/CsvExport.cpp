#include "CsvExport.h"

#include "scan/ALUtilities.h"
#include "settings/Preferences.h"

namespace CsvExport {

QString header() {
    return QStringLiteral(
        "Connected,SSID,Signal Level,Wi-Fi Mode,Width,Security,Vendor,BSSID,Channel,Frequency,"
        "Network Type \n");
}

QString field(const QString &text, bool guardFormula) {
    QString out = text;
    // A leading = + - @ makes spreadsheets evaluate the cell.
    static const QString formulaStarts = QStringLiteral("=+-@");
    if (guardFormula && !out.isEmpty() && formulaStarts.contains(out.front()))
        out.prepend(QLatin1Char('\''));
    // RFC 4180: such a field is quoted and its quotes doubled.
    const bool needsQuotes = out.contains(QLatin1Char(',')) || out.contains(QLatin1Char('"')) ||
                             out.contains(QLatin1Char('\r')) || out.contains(QLatin1Char('\n'));
    if (needsQuotes) {
        out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        out = QLatin1Char('"') + out + QLatin1Char('"');
    }
    return out;
}

QString line(const NetworkModel &r, bool connected, const Preferences &prefs) {
    // A hidden network's name and an absent BSSID are the word (null), which
    // tells them apart from an SSID that is the empty text.
    const QString ssid = r.ssid.isNull() ? QStringLiteral("(null)") : r.ssid;
    const QString bssid = r.bssid.isNull() ? QStringLiteral("(null)") : r.bssid;
    const qint64 signal = ALUtilities::getSignalstrengthForNetwork(r.rssi, prefs);
    // Concatenated, not QString::arg: a "%1" inside an SSID must stay text.
    const QChar comma(QLatin1Char(','));
    return (connected ? QStringLiteral("True") : QStringLiteral("False")) + comma +
           field(ssid, true) + comma + QString::number(signal) + comma +
           field(r.networkMode, false) + comma + field(r.channelWidth, false) + comma +
           QLatin1Char(' ') + field(r.security, false) + QLatin1Char(' ') + comma +
           field(r.vendor, true) + comma + field(bssid, false) + comma +
           QString::number(r.channel) + comma + field(r.frequency, false) + comma +
           field(r.networkType, false) + QStringLiteral(" \n");
}

QString document(const NetworkList &records, const NetworkModelPtr &connected,
                 const Preferences &prefs) {
    QString text = header();
    for (const NetworkModelPtr &record : records) {
        record->vendor.replace(QLatin1Char(','), QLatin1Char(' '));
        text += line(*record, record == connected, prefs);
    }
    return text;
}

} // namespace CsvExport
