#include "ScenarioFields.h"

#include "scan/WifiCodes.h"
#include "scan/ie/ElementParser.h"

#include <QDateTime>
#include <QJsonArray>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// Weaker than any receiver reports; 0 dBm and up would be a radio on the desk.
constexpr int kRssiMin = -127;
constexpr int kRssiMax = 0;
// IFNAMSIZ less the terminator.
constexpr int kInterfaceNameMax = 15;
// Longer than any beacon body a driver hands over; keeps a broken file from
// turning into megabytes of element walking.
constexpr int kIesMaxBytes = 4096;
constexpr int kSsidMaxBytes = 32;

QString numberText(double value) {
    return QString::number(value, 'g', 15);
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// "AA:bb:0c:..." -> "aa:bb:0c:..."; null when it is not six hex octets.
QString normalisedBssid(const QString &text) {
    if (text.size() != 17)
        return {};
    for (int i = 0; i < text.size(); ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? text[i] != QLatin1Char(':') : hexDigit(text[i]) < 0)
            return {};
    }
    return text.toLower();
}

// The text as UTF-8, except that a lone surrogate (which JSON's \u escapes
// allow and UTF-8 cannot hold) takes the three bytes of its code unit, ED A0
// 80 for U+D800: bytes no UTF-8 decoder accepts, as a radio might send them.
QByteArray ssidBytes(const QString &text) {
    QByteArray out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c < 0x80) {
            out.append(char(c));
        } else if (c < 0x800) {
            out.append(char(0xc0 | c >> 6)).append(char(0x80 | (c & 0x3f)));
        } else if (c < 0x10000) {
            out.append(char(0xe0 | c >> 12)).append(char(0x80 | (c >> 6 & 0x3f)));
            out.append(char(0x80 | (c & 0x3f)));
        } else {
            out.append(char(0xf0 | c >> 18)).append(char(0x80 | (c >> 12 & 0x3f)));
            out.append(char(0x80 | (c >> 6 & 0x3f))).append(char(0x80 | (c & 0x3f)));
        }
    }
    return out;
}

// Embeddings, overrides and isolates: they can make a name read as another.
bool isDirectionOverride(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
}

struct ChannelRange {
    int first;
    int last;
};

// Channel numbers each band's numbering allows (5 GHz up to 5.9 GHz ITS).
ChannelRange channelRange(int band) {
    switch (band) {
    case Band::Ghz2_4:
        return {1, 14};
    case Band::Ghz5:
        return {1, 177};
    case Band::Ghz6:
        return {1, 233};
    default:
        return {0, -1};
    }
}

} // namespace

QString ScenarioFields::typeName(const QJsonValue &value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

QString ScenarioFields::quoted(const QString &text) {
    constexpr int kShown = 40;
    QString out = QStringLiteral("\"");
    for (QChar c : text.left(kShown)) {
        if (c.isPrint())
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > kShown)
        out += QStringLiteral("...");
    return out + QLatin1Char('"');
}

QString ScenarioFields::at(const QString &place, const char *key) {
    const QString k = QString::fromLatin1(key);
    return place.isEmpty() ? k : place + QLatin1Char('.') + k;
}

QString ScenarioFields::at(const QString &place, qsizetype index) {
    return place + QStringLiteral("[%1]").arg(index);
}

bool ScenarioFields::fail(const QString &place, const QString &problem) {
    m_problem = place + QStringLiteral(": ") + problem;
    return false;
}

bool ScenarioFields::checkKeys(const QJsonObject &object, const QString &place,
                               std::initializer_list<const char *> allowed) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char *key : allowed)
            known = known || it.key() == QLatin1String(key);
        if (!known)
            return fail(place.isEmpty() ? QStringLiteral("top level") : place,
                        QStringLiteral("unknown field ") + quoted(it.key()));
    }
    return true;
}

bool ScenarioFields::readObject(const QJsonValue &value, const QString &place, QJsonObject *out) {
    if (!value.isObject())
        return fail(place, QStringLiteral("must be an object, not ") + typeName(value));
    *out = value.toObject();
    return true;
}

bool ScenarioFields::readInt(const QJsonObject &object, const QString &place, const char *key,
                             int min, int max, int *out) {
    const QJsonValue value = object.value(QLatin1String(key));
    const QString where = at(place, key);
    if (value.isUndefined())
        return fail(where, QStringLiteral("missing"));
    return readIntValue(value, where, min, max, out);
}

bool ScenarioFields::readIntValue(const QJsonValue &value, const QString &where, int min, int max,
                                  int *out) {
    if (!value.isDouble())
        return fail(where, QStringLiteral("must be an integer, not ") + typeName(value));
    const double number = value.toDouble();
    if (std::trunc(number) != number)
        return fail(where, QStringLiteral("must be an integer, not ") + numberText(number));
    if (number < min || number > max)
        return fail(where, QStringLiteral("must be from %1 to %2, not %3")
                               .arg(min)
                               .arg(max)
                               .arg(numberText(number)));
    *out = static_cast<int>(number);
    return true;
}

bool ScenarioFields::readBssid(const QJsonObject &object, const QString &place, QString *out) {
    const QJsonValue value = object.value(QLatin1String("bssid"));
    const QString where = at(place, "bssid");
    if (value.isUndefined())
        return fail(where, QStringLiteral("missing"));
    return readBssidValue(value, where, out);
}

bool ScenarioFields::readBssidValue(const QJsonValue &value, const QString &where, QString *out) {
    if (!value.isString())
        return fail(where, QStringLiteral("must be a string, not ") + typeName(value));
    *out = normalisedBssid(value.toString());
    if (out->isNull())
        return fail(where, QStringLiteral("must be six hex octets joined by ':' like "
                                          "00:11:22:aa:bb:cc, not ") +
                               quoted(value.toString()));
    return true;
}

bool ScenarioFields::readCodes(const QJsonObject &object, const QString &place, const char *key,
                               int highest, CodeSet *out) {
    const QJsonValue value = object.value(QLatin1String(key));
    const QString where = at(place, key);
    if (value.isUndefined())
        return fail(where, QStringLiteral("missing"));
    if (!value.isArray())
        return fail(where, QStringLiteral("must be an array of codes, not ") + typeName(value));
    const QJsonArray codes = value.toArray();
    if (codes.isEmpty())
        return fail(where, QStringLiteral("must list at least one code"));
    out->reset();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        int code = 0;
        if (!readIntValue(codes.at(i), at(where, i), 0, highest, &code))
            return false;
        out->set(static_cast<size_t>(code));
    }
    return true;
}

bool ScenarioFields::readInterface(const QJsonObject &root, Scenario *scenario) {
    const QString place = QStringLiteral("interface");
    if (!root.contains(place))
        return true;
    QJsonObject iface;
    if (!readObject(root.value(place), place, &iface) ||
        !checkKeys(iface, place, {"name", "powered"}))
        return false;
    if (iface.contains(QLatin1String("name"))) {
        const QJsonValue name = iface.value(QLatin1String("name"));
        const QString where = at(place, "name");
        if (!name.isString())
            return fail(where, QStringLiteral("must be a string, not ") + typeName(name));
        const QString text = name.toString();
        bool usable = !text.isEmpty() && text.size() <= kInterfaceNameMax;
        for (QChar c : text)
            usable = usable && c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'/';
        if (!usable)
            return fail(where, QStringLiteral("must be 1 to 15 printable ASCII characters "
                                              "without blanks or '/', not ") +
                                   quoted(text));
        scenario->interfaceName = text;
    }
    if (iface.contains(QLatin1String("powered"))) {
        const QJsonValue powered = iface.value(QLatin1String("powered"));
        if (!powered.isBool())
            return fail(at(place, "powered"),
                        QStringLiteral("must be true or false, not ") + typeName(powered));
        scenario->powered = powered.toBool();
    }
    return true;
}

bool ScenarioFields::readRepeat(const QJsonObject &root, Scenario *scenario) {
    const QJsonValue value = root.value(QLatin1String("repeat"));
    if (value.isUndefined())
        return true;
    const QString where = QStringLiteral("repeat");
    if (!value.isString())
        return fail(where, QStringLiteral("must be \"last\" or \"cycle\", not ") + typeName(value));
    if (value.toString() == QLatin1String("last"))
        scenario->repeat = Scenario::Repeat::Last;
    else if (value.toString() == QLatin1String("cycle"))
        scenario->repeat = Scenario::Repeat::Cycle;
    else
        return fail(where, QStringLiteral("must be \"last\" or \"cycle\", not ") +
                               quoted(value.toString()));
    return true;
}

bool ScenarioFields::readNetwork(const QJsonValue &value, const QString &place,
                                 ScanResult *network) {
    QJsonObject object;
    if (!readObject(value, place, &object))
        return false;
    // Element bytes mark a network recorded off the air rather than written by hand.
    return object.contains(QLatin1String("ies")) ? readRawNetwork(object, place, network)
                                                 : readExplicitNetwork(object, place, network);
}

bool ScenarioFields::readExplicitNetwork(const QJsonObject &object, const QString &place,
                                         ScanResult *network) {
    if (!checkKeys(object, place,
                   {"ssid", "bssid", "rssi", "channel", "band", "width", "phy", "security",
                    "centre", "stations", "utilisation"}) ||
        !readSsid(object, place, &network->ssid) || !readBssid(object, place, &network->bssid) ||
        !readInt(object, place, "rssi", kRssiMin, kRssiMax, &network->rssiValue) ||
        !readInt(object, place, "band", Band::Ghz2_4, Band::Ghz6, &network->channelBand))
        return false;
    const ChannelRange range = channelRange(network->channelBand);
    if (!readInt(object, place, "channel", range.first, range.last, &network->channelNumber) ||
        !readInt(object, place, "width", ChannelWidth::Unknown, ChannelWidth::Mhz320,
                 &network->channelWidth) ||
        !readCodes(object, place, "phy", PhyMode::Highest, &network->phyModes) ||
        !readCodes(object, place, "security", Security::Highest, &network->securityModes))
        return false;
    // Optional: what the operation and BSS Load elements would have said.
    const auto optional = [&](const char *key, int min, int max, int *out) {
        return !object.contains(QLatin1String(key)) || readInt(object, place, key, min, max, out);
    };
    if (!optional("centre", range.first, range.last, &network->centreChannel) ||
        !optional("stations", 0, 0xffff, &network->stationCount) ||
        !optional("utilisation", 0, 255, &network->channelUtilisation))
        return false;
    network->frequencyMhz = channelFrequencyMhz(network->channelBand, network->channelNumber);
    // What the element parser would have concluded from the capability elements.
    network->hasHt = network->supportsPHYMode(PhyMode::N);
    network->hasVht = network->supportsPHYMode(PhyMode::AC);
    network->hasHe = network->supportsPHYMode(PhyMode::AX);
    network->hasEht = network->supportsPHYMode(PhyMode::BE);
    return true;
}

bool ScenarioFields::readSsid(const QJsonObject &object, const QString &place, QString *out) {
    const QJsonValue value = object.value(QLatin1String("ssid"));
    const QString where = at(place, "ssid");
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString())
        return fail(where, QStringLiteral("must be a string or null, not ") + typeName(value));
    const QString text = value.toString();
    if (text.isEmpty())
        return true; // hidden, like an empty SSID element
    const QByteArray bytes = ssidBytes(text);
    if (bytes.size() > kSsidMaxBytes)
        return fail(where, QStringLiteral("is longer than 32 bytes in UTF-8: ") + quoted(text));
    // The parser escapes control bytes of received SSIDs; hand-written ones
    // must not smuggle in what a received one never carries.
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control || isDirectionOverride(c))
            return fail(where,
                        QStringLiteral("contains a control character or direction override: ") +
                            quoted(text));
    }
    // Decoded as a received SSID is, so what cannot be shown is escaped alike.
    *out = ie::ssidText(
        {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())});
    return true;
}

bool ScenarioFields::readRawNetwork(const QJsonObject &object, const QString &place,
                                    ScanResult *network) {
    int frequency = 0;
    int capability = 0;
    std::vector<std::uint8_t> ies;
    if (!checkKeys(object, place, {"bssid", "rssi", "frequency", "capability", "ies"}))
        return false;
    QString bssid;
    int rssi = 0;
    if (!readBssid(object, place, &bssid) ||
        !readInt(object, place, "rssi", kRssiMin, kRssiMax, &rssi) ||
        !readInt(object, place, "frequency", 0, 7200, &frequency) ||
        !readInt(object, place, "capability", 0, 0xffff, &capability) ||
        !readHex(object.value(QLatin1String("ies")), at(place, "ies"), &ies))
        return false;
    if (frequency != 0 && frequency < 2400)
        return fail(
            at(place, "frequency"),
            QStringLiteral("must be 0 (unknown) or from 2400 to 7200 MHz, not %1").arg(frequency));

    static_cast<BssFacts &>(*network) =
        ie::describeBss(static_cast<quint16>(capability), ies, frequency);
    network->bssid = bssid;
    network->rssiValue = rssi;
    network->frequencyMhz = frequency;
    network->capability = capability;
    network->ies =
        QByteArray(reinterpret_cast<const char *>(ies.data()), static_cast<qsizetype>(ies.size()));
    if (frequency == 0 && network->channelBand != Band::Unknown)
        network->frequencyMhz =
            std::max(0, channelFrequencyMhz(network->channelBand, network->channelNumber));
    return true;
}

bool ScenarioFields::readHex(const QJsonValue &value, const QString &where,
                             std::vector<std::uint8_t> *out) {
    if (!value.isString())
        return fail(where, QStringLiteral("must be a hex string, not ") + typeName(value));
    const QString text = value.toString();
    if (text.size() % 2 != 0)
        return fail(where, QStringLiteral("has an odd number of hex digits (%1)").arg(text.size()));
    if (text.size() / 2 > kIesMaxBytes)
        return fail(where, QStringLiteral("holds %1 bytes, more than the %2 a beacon body can")
                               .arg(text.size() / 2)
                               .arg(kIesMaxBytes));
    out->clear();
    out->reserve(static_cast<size_t>(text.size() / 2));
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return fail(where,
                        QStringLiteral("is not hex at character %1: ").arg(high < 0 ? i : i + 1) +
                            quoted(text.mid(high < 0 ? i : i + 1, 1)));
        out->push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return true;
}

bool ScenarioFields::readTime(const QJsonValue &value, const QString &where, qint64 *out) {
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!value.isString() || !time.isValid())
        return fail(where, QStringLiteral("must be an ISO 8601 time like "
                                          "2024-05-01T12:00:00.000Z, not ") +
                               (value.isString() ? quoted(value.toString()) : typeName(value)));
    *out = time.toMSecsSinceEpoch();
    return true;
}

bool ScenarioFields::readLink(const QJsonValue &value, const QString &place, JoinedLink *out) {
    QJsonObject object;
    if (!readObject(value, place, &object) ||
        !checkKeys(object, place, {"ssid", "rssi", "channel", "band", "width", "phy", "security"}))
        return false;
    // The name as the interface gave it, already decoded and escaped: four
    // characters at most for each of its 32 bytes, and nothing that escaping
    // would have removed.
    const QJsonValue ssid = object.value(QLatin1String("ssid"));
    const QString where = at(place, "ssid");
    if (!ssid.isNull() && !ssid.isString())
        return fail(where, QStringLiteral("must be a string or null, not ") + typeName(ssid));
    const QString text = ssid.toString();
    if (text.size() > 4 * kSsidMaxBytes)
        return fail(where, QStringLiteral("is longer than %1 characters").arg(4 * kSsidMaxBytes));
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control || isDirectionOverride(c))
            return fail(where,
                        QStringLiteral("contains a control character or direction override: ") +
                            quoted(text));
    }
    out->ssid = ssid.isNull() || text.isEmpty() ? QString() : text;
    return readInt(object, place, "rssi", kRssiMin, kRssiMax, &out->rssiValue) &&
           readInt(object, place, "channel", 0, 233, &out->channel.channelNumber) &&
           readInt(object, place, "band", Band::Unknown, Band::Ghz6, &out->channel.channelBand) &&
           readInt(object, place, "width", ChannelWidth::Unknown, ChannelWidth::Mhz320,
                   &out->channel.channelWidth) &&
           readInt(object, place, "phy", PhyMode::None, PhyMode::Highest, &out->phyMode) &&
           readInt(object, place, "security", -1, Security::Highest, &out->security);
}
