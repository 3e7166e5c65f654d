#include "ElementParser.h"

#include "Derivations.h"
#include "ElementWalk.h"

#include <algorithm>

namespace ie {

BssFacts describeBss(quint16 capability, std::span<const std::uint8_t> ies, int frequencyMhz) {
    const ElementSpans e = walkElements(ies);

    BssFacts facts;
    if (e.has(Slot::Ssid))
        facts.ssid = ssidText(e[Slot::Ssid]);
    const ChannelOfFrequency channel = channelOf(e, frequencyMhz);
    facts.channelNumber = channel.channelNumber;
    facts.channelBand = channel.channelBand;
    const ChannelShape shape = shapeOf(e, channel.channelBand, channel.channelNumber);
    facts.channelWidth = shape.width;
    facts.centreChannel = shape.centre;
    facts.secondCentreChannel = shape.secondCentre;
    facts.phyModes = phyModesOf(e, channel.channelBand);
    facts.securityModes = securityOf(capability, e);

    if (e.has(Slot::Country)) {
        const Bytes country = e[Slot::Country];
        const auto isLetter = [](std::uint8_t c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        };
        if (isLetter(country[0]) && isLetter(country[1]))
            facts.countryCode =
                QString::fromLatin1(reinterpret_cast<const char *>(country.data()), 2);
    }
    if (e.has(Slot::BssLoad)) {
        const Bytes load = e[Slot::BssLoad];
        facts.stationCount = load[0] | load[1] << 8;
        facts.channelUtilisation = load[2];
    }
    facts.hasHt = e.has(Slot::HtCapabilities);
    facts.hasVht = e.has(Slot::VhtCapabilities);
    facts.hasHe = e.has(Slot::HeCapabilities);
    facts.hasEht = e.has(Slot::EhtCapabilities);
    facts.supportedRatesKbps = ratesKbps(e);
    return facts;
}

// 802.11-2020 Annex E channel starting frequencies: 2407 MHz (2.4 GHz, with
// channel 14 at 2484 MHz), 5000 MHz (5 GHz), 5950 MHz (6 GHz, with channel 2
// at 5935 MHz). Frequencies off the 5 MHz raster or between the bands are no
// channel centre; 2473-2483 MHz holds none either.
ChannelOfFrequency channelFromFrequency(int f) {
    if (f == 2484)
        return {14, Band::Ghz2_4};
    if (f >= 2412 && f <= 2472 && (f - 2407) % 5 == 0)
        return {(f - 2407) / 5, Band::Ghz2_4};
    if (f >= 5160 && f <= 5885 && f % 5 == 0)
        return {(f - 5000) / 5, Band::Ghz5};
    if (f == 5935)
        return {2, Band::Ghz6};
    if (f >= 5955 && f <= 7115 && f % 5 == 0)
        return {(f - 5950) / 5, Band::Ghz6};
    return {};
}

namespace {

// Code points shown escaped even though they are valid UTF-8: C1 controls,
// and the marks, separators and overrides that reorder or break a line of
// text (U+061C, U+200E-200F, U+2028-202E, U+2066-2069).
bool isHiddenCodePoint(char32_t c) {
    return (c >= 0x80 && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f ||
           (c >= 0x2028 && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

void appendEscaped(QByteArray &out, std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const std::uint8_t b : bytes) {
        const char escaped[] = {'\\', 'x', kHex[b >> 4], kHex[b & 0x0f]};
        out.append(escaped, sizeof escaped);
    }
}

// Length of the well-formed UTF-8 sequence at the start of s (RFC 3629
// section 4: no overlongs, surrogates or values past U+10FFFF), 0 if none.
std::size_t sequenceLength(std::span<const std::uint8_t> s, char32_t &codePoint) {
    const std::uint8_t lead = s[0];
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xbf;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0f;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t c = s[i];
        if (c < low || c > high)
            return 0;
        codePoint = codePoint << 6 | (c & 0x3f);
        low = 0x80;
        high = 0xbf;
    }
    return length;
}

} // namespace

// Escapes are "\x" and two lower-case hex digits, one per offending byte; a
// byte that starts no well-formed sequence is escaped alone and decoding
// resumes at the next one. A literal backslash is left as it is.
QString ssidText(std::span<const std::uint8_t> ssid) {
    if (std::all_of(ssid.begin(), ssid.end(), [](std::uint8_t b) { return b == 0; }))
        return {};
    if (std::all_of(ssid.begin(), ssid.end(), [](std::uint8_t b) { return b >= 0x20 && b < 0x7f; }))
        return QString::fromLatin1(reinterpret_cast<const char *>(ssid.data()),
                                   static_cast<qsizetype>(ssid.size()));

    QByteArray out;
    out.reserve(static_cast<qsizetype>(ssid.size() * 4));
    while (!ssid.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceLength(ssid, codePoint);
        if (length == 0) {
            appendEscaped(out, ssid.first(1));
            ssid = ssid.subspan(1);
            continue;
        }
        const auto sequence = ssid.first(length);
        if (codePoint < 0x20 || codePoint == 0x7f || isHiddenCodePoint(codePoint))
            appendEscaped(out, sequence);
        else
            out.append(reinterpret_cast<const char *>(sequence.data()),
                       static_cast<qsizetype>(length));
        ssid = ssid.subspan(length);
    }
    return QString::fromUtf8(out);
}

} // namespace ie
