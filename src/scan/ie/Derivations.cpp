#include "Derivations.h"

#include "RsnParser.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace ie {
namespace {

constexpr std::uint32_t bit(int n) {
    return 1u << n;
}

int le16(Bytes b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}
int le24(Bytes b, std::size_t at) {
    return le16(b, at) | b[at + 2] << 16;
}

// A width only counts where it can exist: 2.4 GHz channels are never wider
// than 40 MHz, so a wider claim there is not believed and the next source
// decides.
bool fits(int width, int band) {
    return band != Band::Ghz2_4 || width <= ChannelWidth::Mhz40;
}

// EHT Operation Information (802.11be 9.4.2.311): Control bits 0-2 give
// 0 = 20, 1 = 40, 2 = 80, 3 = 160, 4 = 320 MHz (5-7 reserved). CCFS0 is the
// centre of a 20, 40 or 80 MHz channel; for 160 and 320 MHz it names the half
// holding the primary channel and CCFS1 the centre of the whole.
ChannelShape ehtShape(const ElementSpans &e, int) {
    const Bytes info = ehtOperationInformation(e[Slot::EhtOperation]);
    if (info.empty() || (info[0] & 0x07) > 4)
        return {};
    const int width = ChannelWidth::Mhz20 + (info[0] & 0x07);
    return {width, width >= ChannelWidth::Mhz160 ? info[2] : info[1]};
}

// A centre pair in the form VHT (width 1) and the HE 6 GHz Operation share:
// CCFS1 0 is an 80 MHz channel at CCFS0; CCFS1 8 channels (40 MHz) from
// CCFS0 is the centre of a 160 MHz channel whose primary half is at CCFS0;
// more than 16 apart is 80+80 with the segments at CCFS0 and CCFS1.
ChannelShape wideShape(int ccfs0, int ccfs1, int width160) {
    const int apart = std::abs(ccfs1 - ccfs0);
    if (ccfs1 != 0 && apart == 8)
        return {ChannelWidth::Mhz160, ccfs1};
    if (ccfs1 != 0 && apart > 16)
        return {width160, ccfs0, ccfs1};
    return {ChannelWidth::Mhz80, ccfs0};
}

// 6 GHz Operation Information (802.11ax 9.4.2.249): Primary Channel,
// Control (bits 0-1: 0 = 20, 1 = 40, 2 = 80, 3 = 160 or 80+80 MHz), CCFS0,
// CCFS1.
ChannelShape heShape(const ElementSpans &e, int) {
    const Bytes info = heSixGhzOperation(e[Slot::HeOperation]);
    if (info.empty())
        return {};
    const int width = ChannelWidth::Mhz20 + (info[1] & 0x03);
    if (width < ChannelWidth::Mhz160)
        return {width, info[2]};
    const ChannelShape shape = wideShape(info[2], info[3], ChannelWidth::Mhz160);
    // A 160 MHz claim whose centres fit neither form keeps its width, not a centre.
    return shape.width == ChannelWidth::Mhz160 ? shape : ChannelShape{ChannelWidth::Mhz160};
}

// VHT Operation Information (802.11-2020 9.4.2.158): width 1 is 80 MHz, or
// 160 MHz when CCFS1 sits 8 channels from CCFS0 (80+80 signalled this way
// counts as 80); 2 (160 at CCFS0) and 3 (80+80 at CCFS0 and CCFS1) are the
// deprecated forms of 160; 0 leaves it to HT.
ChannelShape vhtShape(const ElementSpans &e, int) {
    if (!e.has(Slot::VhtOperation))
        return {};
    const Bytes op = e[Slot::VhtOperation];
    switch (op[0]) {
    case 1:
        return wideShape(op[1], op[2], ChannelWidth::Mhz80);
    case 2:
        return {ChannelWidth::Mhz160, op[1]};
    case 3:
        return {ChannelWidth::Mhz160, op[1], op[2]};
    default:
        return {};
    }
}

// HT Operation Information octet 1 (802.11-2020 9.4.2.56): bits 0-1 the
// secondary channel offset (1 above, 3 below), bit 2 any channel width. A
// 40 MHz channel is centred 10 MHz (two channel numbers) towards its
// secondary.
ChannelShape htShape(const ElementSpans &e, int primary) {
    if (!e.has(Slot::HtOperation))
        return {};
    const int info = e[Slot::HtOperation][1];
    const int offset = info & 0x03;
    if (!(info & 0x04) || (offset != 1 && offset != 3))
        return {ChannelWidth::Mhz20, primary};
    return {ChannelWidth::Mhz40, primary + (offset == 1 ? 2 : -2)};
}

// Rates in 500 kb/s units (802.11-2020 9.4.2.3): DSSS/CCK 1, 2, 5.5, 11 Mb/s;
// ERP-OFDM 6-54 Mb/s.
bool isDsssRate(int units) {
    return units == 2 || units == 4 || units == 11 || units == 22;
}
bool isOfdmRate(int units) {
    constexpr int kOfdm[] = {12, 18, 24, 36, 48, 72, 96, 108};
    return std::find(std::begin(kOfdm), std::end(kOfdm), units) != std::end(kOfdm);
}

// A rate octet with the basic bit and a value of 121-127 is a BSS membership
// selector (EHT, HE, SAE-H2E, EPD, GLK, VHT, HT PHY), not a rate; 0 is no rate.
int rateUnits(std::uint8_t octet) {
    const int units = octet & 0x7f;
    return units == 0 || ((octet & 0x80) && units >= 121) ? 0 : units;
}

template <typename F> void forEachRate(const ElementSpans &e, F &&f) {
    for (const Slot s : {Slot::SupportedRates, Slot::ExtendedSupportedRates})
        for (const std::uint8_t octet : e[s])
            if (const int units = rateUnits(octet))
                f(units);
}

// AKM suite types under 00-0F-AC (802.11-2020 9.4.2.24.3) by family.
constexpr std::uint32_t kAkm8021x = bit(1);
constexpr std::uint32_t kAkmFt8021x = bit(3);
constexpr std::uint32_t kAkm8021xSha256 = bit(5);
constexpr std::uint32_t kAkmFils = bit(14) | bit(15) | bit(16) | bit(17);
// Suite B (11), 192-bit (12, FT 13) and 802.1X-SHA384 (23): never a WPA2 suite.
constexpr std::uint32_t kAkmWpa3Enterprise = bit(11) | bit(12) | bit(13) | bit(23);
constexpr std::uint32_t kAkmPsk = bit(2) | bit(4) | bit(6) | bit(19) | bit(20);
constexpr std::uint32_t kAkmSae = bit(8) | bit(9) | bit(24) | bit(25);
constexpr std::uint32_t kAkmOwe = bit(18);
// Under 00-50-F2 in the WPA element.
constexpr std::uint32_t kWpaAkm8021x = bit(1);
constexpr std::uint32_t kWpaAkmPsk = bit(2);

} // namespace

int bandOfChannel(int channel) {
    if (channel >= 1 && channel <= 14)
        return Band::Ghz2_4;
    if (channel >= 32 && channel <= 177)
        return Band::Ghz5;
    return Band::Unknown;
}

ChannelOfFrequency channelOf(const ElementSpans &e, int frequencyMhz) {
    if (const ChannelOfFrequency c = channelFromFrequency(frequencyMhz); c.channelBand)
        return c;
    for (const Slot s : {Slot::DsParameterSet, Slot::HtOperation}) {
        if (!e.has(s))
            continue;
        const int channel = e[s][0];
        if (const int band = bandOfChannel(channel))
            return {channel, band};
    }
    // Only a 6 GHz BSS carries 6 GHz Operation Information, so it names the
    // band when no frequency came with the beacon.
    if (const Bytes info = heSixGhzOperation(e[Slot::HeOperation]);
        !info.empty() && info[0] >= 1 && info[0] <= 233)
        return {info[0], Band::Ghz6};
    return {};
}

Bytes heSixGhzOperation(Bytes op) {
    // HE Operation Parameters 3 octets (bit 14 VHT Operation Information,
    // bit 15 Co-Hosted BSS, bit 17 6 GHz Operation Information present), BSS
    // Color 1, Basic HE-MCS and NSS Set 2, then the optional fields in order.
    constexpr int kVhtInfo = 1 << 14, kCoHosted = 1 << 15, kSixGhzInfo = 1 << 17;
    if (op.size() < 6)
        return {};
    const int params = le24(op, 0);
    if (!(params & kSixGhzInfo))
        return {};
    const std::size_t at = 6 + (params & kVhtInfo ? 3 : 0) + (params & kCoHosted ? 1 : 0);
    if (op.size() < at + 5) {
        qCDebug(lcIe) << "HE Operation too short for its 6 GHz Operation Information";
        return {};
    }
    return op.subspan(at, 5);
}

Bytes ehtOperationInformation(Bytes op) {
    // EHT Operation Parameters 1 octet (bit 0: information present), Basic
    // EHT-MCS and NSS Set 4, then Control, CCFS0, CCFS1 and an optional
    // disabled subchannel bitmap.
    if (op.size() < 5 || !(op[0] & 0x01))
        return {};
    if (op.size() < 8) {
        qCDebug(lcIe) << "EHT Operation too short for its operation information";
        return {};
    }
    return op.subspan(5, 3);
}

ChannelShape shapeOf(const ElementSpans &e, int band, int primary) {
    for (const auto source : {ehtShape, heShape, vhtShape}) {
        const ChannelShape shape = source(e, primary);
        if (shape.width != ChannelWidth::Unknown && fits(shape.width, band))
            return shape;
    }
    if (const ChannelShape shape = htShape(e, primary); shape.width)
        return shape;
    if (band == Band::Unknown)
        return {};
    return {ChannelWidth::Mhz20, primary};
}

int widthOf(const ElementSpans &e, int band) {
    return shapeOf(e, band, 0).width;
}

CodeSet phyModesOf(const ElementSpans &e, int band) {
    CodeSet modes;
    if (band == Band::Ghz5) {
        modes.set(PhyMode::A);
    } else if (band == Band::Ghz2_4) {
        forEachRate(e, [&modes](int units) {
            if (isDsssRate(units))
                modes.set(PhyMode::B);
            else if (isOfdmRate(units))
                modes.set(PhyMode::G);
        });
    }
    // 6 GHz is HE-only: its rates name no legacy PHY a station could use.
    modes.set(PhyMode::N, e.has(Slot::HtCapabilities));
    modes.set(PhyMode::AC, e.has(Slot::VhtCapabilities));
    modes.set(PhyMode::AX, e.has(Slot::HeCapabilities));
    modes.set(PhyMode::BE, e.has(Slot::EhtCapabilities));
    return modes;
}

// How the elements map to Security codes. An RSN or WPA element decides on
// its own, whatever the privacy bit says; families add up, so an RSN element
// offering PSK and 802.1X yields both families' codes. The WPA3 rows follow
// the Wi-Fi Alliance's WPA3 modes (version 3): Personal only is SAE (8, FT 9,
// the SAE-EXT-KEY pair 24/25, SAE-PK included) with PMF required; Personal
// transition is PSK (2) beside SAE with PMF capable; Enterprise only is
// 802.1X-SHA256 (5, optionally with FT-802.1X 3) with PMF required and no
// plain 802.1X (1); Enterprise transition is 1 and 5 with PMF capable; the
// 192-bit mode is 12 (FT 13).
//
//   no RSN, no WPA, no privacy          None (+ OWETransition with the OWE
//                                       Transition Mode element: the open half)
//   no RSN, no WPA, privacy             WEP
//   WPA-PSK, no RSN-PSK                 WPAPersonal
//   WPA-PSK and RSN-PSK                 WPAWPA2Personal, WPA2Personal
//   RSN-PSK, no WPA-PSK, no SAE         WPA2Personal
//   RSN-PSK and SAE                     WPA2WPA3Personal (+ the two above with WPA-PSK)
//   SAE, no RSN-PSK                     WPA3Personal
//   WPA-802.1X, no RSN 802.1X           WPAEnterprise
//   WPA and RSN 802.1X                  WPAWPA2Enterprise, WPA2Enterprise
//   RSN 1, 3 or FILS (14-17)            WPA2Enterprise, except 3 in the
//                                       Enterprise-only mode
//   5 with PMF required and no 1        WPA3Enterprise (Enterprise only)
//   1 and 5 with PMF capable            WPA2Enterprise, WPA3Enterprise (transition)
//   5 otherwise (no PMF, or PMF         WPA2Enterprise: 802.1X-SHA256 as WPA2
//   capable without 1)                  with 802.11w uses it
//   11, 12, 13, 23                      WPA3Enterprise
//   OWE (18)                            OWE (the OWE half of a transition pair
//                                       is plain OWE)
//   RSN/WPA present, nothing known      empty: an unreadable or unknown RSN is
//                                       neither open nor WEP
CodeSet securityOf(quint16 capability, const ElementSpans &e) {
    constexpr quint16 kPrivacy = 0x0010;
    CodeSet modes;
    if (!e.has(Slot::Rsn) && !e.has(Slot::Wpa)) {
        if (capability & kPrivacy) {
            modes.set(Security::WEP);
        } else {
            modes.set(Security::None);
            modes.set(Security::OWETransition, e.has(Slot::OweTransition));
        }
        return modes;
    }

    const RsnInfo rsn = e.has(Slot::Rsn) ? parseRsn(e[Slot::Rsn]) : RsnInfo{};
    const RsnInfo wpa = e.has(Slot::Wpa) ? parseWpa(e[Slot::Wpa]) : RsnInfo{};
    const std::uint32_t akms = rsn.valid ? rsn.akms : 0;
    const std::uint32_t wpaAkms = wpa.valid ? wpa.akms : 0;
    // An absent capabilities field (-1) offers no PMF. Required without
    // capable is malformed; required is what a station has to honour.
    const int rsnCaps = rsn.valid ? std::max(rsn.capabilities, 0) : 0;
    const bool pmfRequired = rsnCaps & RsnCapability::MfpRequired;
    const bool pmfCapable = pmfRequired || (rsnCaps & RsnCapability::MfpCapable);

    const bool wpaPsk = wpaAkms & kWpaAkmPsk;
    const bool wpa8021x = wpaAkms & kWpaAkm8021x;
    const bool psk = akms & kAkmPsk;
    const bool sae = akms & kAkmSae;
    const bool plain8021x = akms & kAkm8021x;
    const bool sha256 = akms & kAkm8021xSha256;
    const bool enterpriseOnly3 = sha256 && pmfRequired && !plain8021x;
    const bool sha256AsWpa3 = enterpriseOnly3 || (sha256 && plain8021x && pmfCapable);
    const bool enterprise2 = plain8021x || (akms & kAkmFils) ||
                             ((akms & kAkmFt8021x) && !enterpriseOnly3) ||
                             (sha256 && !sha256AsWpa3);
    const bool enterprise3 = (akms & kAkmWpa3Enterprise) || sha256AsWpa3;

    if (wpaPsk && !psk)
        modes.set(Security::WPAPersonal);
    if (wpaPsk && psk) {
        modes.set(Security::WPAWPA2Personal);
        modes.set(Security::WPA2Personal);
    }
    if (psk && !sae && !wpaPsk)
        modes.set(Security::WPA2Personal);
    if (psk && sae)
        modes.set(Security::WPA2WPA3Personal);
    if (sae && !psk)
        modes.set(Security::WPA3Personal);

    if (wpa8021x && !enterprise2)
        modes.set(Security::WPAEnterprise);
    if (wpa8021x && enterprise2)
        modes.set(Security::WPAWPA2Enterprise);
    if (enterprise2)
        modes.set(Security::WPA2Enterprise);
    if (enterprise3)
        modes.set(Security::WPA3Enterprise);

    modes.set(Security::OWE, akms & kAkmOwe);
    return modes;
}

QList<int> ratesKbps(const ElementSpans &e) {
    QList<int> rates;
    rates.reserve(static_cast<qsizetype>(e[Slot::SupportedRates].size() +
                                         e[Slot::ExtendedSupportedRates].size()));
    forEachRate(e, [&rates](int units) { rates.append(units * 500); });
    return rates;
}

} // namespace ie
