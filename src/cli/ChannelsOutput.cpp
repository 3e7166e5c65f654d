#include "ChannelsOutput.h"

#include "ScanOutput.h"
#include "channels/ChannelScene.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace ChannelsOutput {

QString json(const QList<BandRating> &bands, const QList<Radio> &radios) {
    QJsonArray bandArray;
    for (const BandRating &band : bands) {
        QJsonArray channels;
        for (const ChannelOption &o : band.channels)
            channels.append(
                QJsonObject{{QStringLiteral("channel"), o.firstChannel},
                            {QStringLiteral("width"), o.widthMhz},
                            {QStringLiteral("score"), std::round(o.score * 1000) / 1000}});
        bandArray.append(QJsonObject{{QStringLiteral("band"), bandTitle(band.band)},
                                     {QStringLiteral("channels"), channels}});
    }
    QJsonArray radioArray;
    for (const Radio &radio : radios)
        radioArray.append(
            QJsonObject{{QStringLiteral("bssids"), QJsonArray::fromStringList(radio.bssids)},
                        {QStringLiteral("channel"), radio.occupied.primaryChannel},
                        {QStringLiteral("signal"), radio.signalDbm}});
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("bands"), bandArray},
                                                       {QStringLiteral("radios"), radioArray}})
                                 .toJson(QJsonDocument::Indented));
}

QString table(const QList<BandRating> &bands, const QList<Radio> &radios) {
    QList<QStringList> rows{{QStringLiteral("Band"), QStringLiteral("Width"),
                             QStringLiteral("Best channels (score, lower is better)")}};
    for (const BandRating &band : bands) {
        for (const int width : ratedWidths(band.band)) {
            QStringList best;
            for (const ChannelOption &o : band.channels) {
                if (o.widthMhz == width && best.size() < 3)
                    best << QStringLiteral("%1 (%2)").arg(choiceText(o)).arg(o.score, 0, 'f', 2);
            }
            if (!best.isEmpty())
                rows.append({bandTitle(band.band), QStringLiteral("%1 MHz").arg(width),
                             best.join(QStringLiteral(", "))});
        }
    }
    QList<QStringList> radioRows{{QStringLiteral("Radio band"), QStringLiteral("Channel"),
                                  QStringLiteral("Signal dBm"), QStringLiteral("Networks")}};
    for (const Radio &radio : radios) {
        QStringList names;
        for (const QString &ssid : radio.ssids)
            names << (ssid.isNull() ? QStringLiteral("(hidden)") : ScanOutput::printable(ssid));
        radioRows.append({bandTitle(radio.occupied.band),
                          QStringLiteral("%1 (%2 MHz)")
                              .arg(radio.occupied.primaryChannel)
                              .arg(radio.occupied.widthMhz),
                          QString::number(radio.signalDbm), names.join(QStringLiteral(", "))});
    }
    return ScanOutput::columns(rows) + QLatin1Char('\n') + ScanOutput::columns(radioRows);
}

} // namespace ChannelsOutput
