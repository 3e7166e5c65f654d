#include "ScenarioRecorder.h"

#include "ScenarioReader.h"
#include "scan/WifiCodes.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The reader's ranges: a value outside them would make the whole recording
// unreadable, so an odd report is brought inside (see scanLine()).
constexpr int kRssiMin = -127;
constexpr int kIesMaxBytes = 4096;

QJsonValue text(const QString &s) {
    return s.isNull() ? QJsonValue() : QJsonValue(s);
}

QJsonArray codes(const CodeSet &set) {
    QJsonArray out;
    for (size_t code = 0; code < set.size(); ++code) {
        if (set.test(code))
            out.append(static_cast<int>(code));
    }
    return out;
}

QString isoTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

QByteArray compact(const QJsonObject &object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A JSON string. Plain ASCII (BSSIDs, times) is copied; anything else goes
// through Qt's writer for its escapes.
void appendString(QByteArray &out, const QString &text) {
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'"' && c != u'\\';
    });
    if (plain) {
        out += '"' + text.toLatin1() + '"';
        return;
    }
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    out += QByteArrayView(array).sliced(1, array.size() - 2); // without [ ]
}

// A network as received is written field by field: Qt's JSON objects cost
// several times as much, and a tick may hold a hundred networks or more.
void appendNetwork(QByteArray &out, const ScanResult &network) {
    const int rssi = std::clamp(network.rssiValue, kRssiMin, 0);
    if (network.capability < 0) {
        // Written out by hand in the scenario played: written back the same way.
        QJsonObject object{{QStringLiteral("ssid"), text(network.ssid)},
                           {QStringLiteral("bssid"), network.bssid},
                           {QStringLiteral("rssi"), rssi},
                           {QStringLiteral("channel"), network.channelNumber},
                           {QStringLiteral("band"), network.channelBand},
                           {QStringLiteral("width"), network.channelWidth},
                           {QStringLiteral("phy"), codes(network.phyModes)},
                           {QStringLiteral("security"), codes(network.securityModes)}};
        // The optional facts only where the scenario gave them.
        if (network.centreChannel > 0)
            object.insert(QStringLiteral("centre"), network.centreChannel);
        if (network.stationCount >= 0)
            object.insert(QStringLiteral("stations"), network.stationCount);
        if (network.channelUtilisation >= 0)
            object.insert(QStringLiteral("utilisation"), network.channelUtilisation);
        out += compact(object);
        return;
    }
    // Frequencies outside the Wi-Fi bands the reader knows (sub-1 GHz) are
    // written as unknown; the elements still give the channel where they can.
    const int frequency =
        network.frequencyMhz >= 2400 && network.frequencyMhz <= 7200 ? network.frequencyMhz : 0;
    out += "{\"bssid\":";
    appendString(out, network.bssid);
    out += ",\"rssi\":" + QByteArray::number(rssi) +
           ",\"frequency\":" + QByteArray::number(frequency) +
           ",\"capability\":" + QByteArray::number(network.capability & 0xffff) + ",\"ies\":\"" +
           network.ies.first(std::min<qsizetype>(network.ies.size(), kIesMaxBytes)).toHex() + "\"}";
}

QJsonObject linkObject(const JoinedLink &link) {
    // An escaped name of 32 bytes takes at most 128 characters.
    return {{QStringLiteral("ssid"), text(link.ssid.isNull() ? QString() : link.ssid.left(128))},
            {QStringLiteral("rssi"), std::clamp(link.rssiValue, kRssiMin, 0)},
            {QStringLiteral("channel"), link.channel.channelNumber},
            {QStringLiteral("band"), link.channel.channelBand},
            {QStringLiteral("width"), link.channel.channelWidth},
            {QStringLiteral("phy"), link.phyMode},
            {QStringLiteral("security"), std::max(link.security, -1)}};
}

bool failed(QString *error, const QString &text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

QByteArray ScenarioRecorder::headerLine(const QString &interfaceName, qint64 startMs) {
    QJsonObject header{{QStringLiteral("description"),
                        QStringLiteral("Recorded by airlume from %1").arg(isoTime(startMs))},
                       {QStringLiteral("repeat"), QStringLiteral("last")}};
    // The reader takes 1 to 15 printable ASCII characters, no blank or '/'.
    const bool usable = !interfaceName.isEmpty() && interfaceName.size() <= 15 &&
                        std::all_of(interfaceName.begin(), interfaceName.end(), [](QChar c) {
                            return c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'/';
                        });
    if (usable)
        header.insert(QStringLiteral("interface"),
                      QJsonObject{{QStringLiteral("name"), interfaceName},
                                  {QStringLiteral("powered"), true}});
    return QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray ScenarioRecorder::scanLine(const HeardScan &heard) {
    QByteArray line = "{\"time\":";
    appendString(line, isoTime(heard.timeMs));
    if (!heard.networks)
        return line + ",\"error\":true}\n";
    // A scenario lists a BSSID once per scan. A table that holds one twice
    // (heard on two channels) merges into one record with the first entry's
    // facts and the last one's signal, which is what gets written.
    QList<ScanResult> listed;
    listed.reserve(heard.networks->size());
    QHash<QString, qsizetype> index;
    index.reserve(heard.networks->size());
    for (const ScanResult &network : *heard.networks) {
        if (network.bssid.isNull())
            continue; // names no radio; the merge leaves it out as well
        const auto known = index.constFind(network.bssid);
        if (known != index.constEnd()) {
            listed[*known].rssiValue = network.rssiValue;
            continue;
        }
        index.insert(network.bssid, listed.size());
        listed.append(network);
    }
    line.reserve(line.size() + listed.size() * 700);
    line += ",\"networks\":[";
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (i > 0)
            line += ',';
        appendNetwork(line, listed.at(i));
    }
    line += ']';
    // The reader needs the joined network among the scan's; a link to one
    // that the scan did not list is left out.
    if (heard.link && index.contains(heard.link->bssid)) {
        line += ",\"joined\":";
        appendString(line, heard.link->bssid);
        line += ",\"link\":" + compact(linkObject(*heard.link));
    }
    return line + "}\n";
}

bool ScenarioRecorder::writeLine(QFile &file, const QByteArray &line, QString *reason) {
    qint64 done = 0;
    while (done < line.size()) {
        const qint64 written = file.write(line.constData() + done, line.size() - done);
        if (written <= 0)
            return failed(reason, file.errorString());
        done += written;
    }
    // On the disk, not only in the page cache: a power cut keeps the line.
    if (::fdatasync(file.handle()) != 0)
        return failed(reason, QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

bool ScenarioRecorder::open(const QString &path, const QString &interfaceName, QString *error) {
    close();
    m_bytes = 0;
    m_scans = 0;
    m_networks = 0;
    m_file.setFileName(path);
    QString reason;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return failed(error,
                      QStringLiteral("cannot write \"%1\": %2").arg(path, m_file.errorString()));
    const QByteArray header = headerLine(interfaceName, QDateTime::currentMSecsSinceEpoch());
    if (!writeLine(m_file, header, &reason)) {
        close();
        return failed(error, QStringLiteral("cannot write \"%1\": %2").arg(path, reason));
    }
    m_bytes = header.size();
    return true;
}

bool ScenarioRecorder::append(const HeardScan &heard, QString *error) {
    if (!m_file.isOpen())
        return failed(error, QStringLiteral("the recording is not open"));
    const QByteArray line = scanLine(heard);
    const qsizetype networks = heard.networks ? heard.networks->size() : 0;
    // What the reader takes back: a recording stops short of it.
    if (m_scans + 1 > scenariolimits::scansMax ||
        m_networks + networks > scenariolimits::networksMax ||
        m_bytes + line.size() > scenariolimits::fileMaxBytes) {
        close();
        return failed(error, QStringLiteral("\"%1\" holds as much as a scenario may (%2 scans, "
                                            "%3 networks or %4 MiB); the recording stops")
                                 .arg(m_file.fileName())
                                 .arg(scenariolimits::scansMax)
                                 .arg(scenariolimits::networksMax)
                                 .arg(scenariolimits::fileMaxBytes >> 20));
    }
    QString reason;
    if (!writeLine(m_file, line, &reason)) {
        close();
        return failed(error, QStringLiteral("cannot write \"%1\": %2; the recording stops")
                                 .arg(m_file.fileName(), reason));
    }
    m_bytes += line.size();
    ++m_scans;
    m_networks += networks;
    return true;
}
