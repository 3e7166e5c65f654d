#include "ElementWalk.h"

#include <algorithm>
#include <utility>

// Debug only by default: a busy scan meets odd beacons every cycle and the log
// should not fill with them unless someone asks (QT_LOGGING_RULES).
Q_LOGGING_CATEGORY(lcIe, "airlume.ie", QtInfoMsg)

namespace ie {
namespace {

// Body lengths an element must have for the derivations to read it; shorter
// or longer ones are dropped whole rather than half-read.
struct Rule {
    Slot slot;
    std::uint8_t minLength;
    std::uint8_t maxLength = 255;
};

// Bodies from the element layouts of 802.11-2020 9.4.2: SSID 0-32 octets,
// DS Parameter Set 1, Country string 3, BSS Load 5 (9.4.2.27), RSN version 2
// (9.4.2.24), HT Capabilities 26 (9.4.2.55), HT Operation 22 (9.4.2.56), VHT
// Capabilities 12 (9.4.2.157), VHT Operation 5 (9.4.2.158).
constexpr std::array<std::pair<std::uint8_t, Rule>, 11> kElementRules{{
    {Eid::Ssid, {Slot::Ssid, 0, 32}},
    {Eid::SupportedRates, {Slot::SupportedRates, 1}},
    {Eid::DsParameterSet, {Slot::DsParameterSet, 1}},
    {Eid::Country, {Slot::Country, 3}},
    {Eid::BssLoad, {Slot::BssLoad, 5}},
    {Eid::HtCapabilities, {Slot::HtCapabilities, 26}},
    {Eid::Rsn, {Slot::Rsn, 2}},
    {Eid::ExtendedSupportedRates, {Slot::ExtendedSupportedRates, 1}},
    {Eid::HtOperation, {Slot::HtOperation, 22}},
    {Eid::VhtCapabilities, {Slot::VhtCapabilities, 12}},
    {Eid::VhtOperation, {Slot::VhtOperation, 5}},
}};

// Extension bodies after the Element ID Extension octet: HE Capabilities
// MAC 6 + PHY 11 + 80 MHz MCS/NSS 4 (802.11ax 9.4.2.248); HE Operation
// parameters 3 + BSS color 1 + basic MCS/NSS 2 (9.4.2.249); EHT Capabilities
// MAC 2 + PHY 9 + smallest MCS/NSS map 3 (802.11be 9.4.2.313); EHT Operation
// parameters 1 + basic MCS/NSS 4 (9.4.2.311).
constexpr std::array<std::pair<std::uint8_t, Rule>, 4> kExtensionRules{{
    {ExtId::HeCapabilities, {Slot::HeCapabilities, 21}},
    {ExtId::HeOperation, {Slot::HeOperation, 6}},
    {ExtId::EhtCapabilities, {Slot::EhtCapabilities, 14}},
    {ExtId::EhtOperation, {Slot::EhtOperation, 5}},
}};

// Vendor bodies after OUI and type: WPA starts with its 2-octet version; the
// Wi-Fi Alliance OWE Transition Mode element with a BSSID and SSID length.
struct VendorRule {
    std::array<std::uint8_t, 4> ouiType;
    Rule rule;
};
constexpr std::array<VendorRule, 2> kVendorRules{{
    {{0x00, 0x50, 0xf2, 0x01}, {Slot::Wpa, 2}},
    {{0x50, 0x6f, 0x9a, 0x1c}, {Slot::OweTransition, 7}},
}};

// Element ID -> 1 + index into kElementRules, 0 for elements nobody reads;
// keeps the per-element cost of the walk to one load.
constexpr std::array<std::uint8_t, 256> kRuleIndex = [] {
    std::array<std::uint8_t, 256> index{};
    for (std::size_t i = 0; i < kElementRules.size(); ++i)
        index[kElementRules[i].first] = static_cast<std::uint8_t>(i + 1);
    return index;
}();

const Rule *extensionRule(std::uint8_t extId) {
    for (const auto &[id, rule] : kExtensionRules)
        if (id == extId)
            return &rule;
    return nullptr;
}

const Rule *vendorRule(Bytes body) {
    for (const VendorRule &v : kVendorRules)
        if (std::equal(v.ouiType.begin(), v.ouiType.end(), body.begin()))
            return &v.rule;
    return nullptr;
}

// "221/1" for a vendor element of type 1, "255/35" for an extension element.
QString elementName(int id, int subId) {
    return subId < 0 ? QString::number(id) : QStringLiteral("%1/%2").arg(id).arg(subId);
}

// subId is the extension ID or vendor type under elements 255 and 221.
void keep(ElementSpans &spans, const Rule &rule, Bytes body, int id, int subId = -1) {
    const unsigned bit = 1u << static_cast<unsigned>(rule.slot);
    if (body.size() < rule.minLength || body.size() > rule.maxLength) {
        qCDebug(lcIe).noquote() << "ignoring element" << elementName(id, subId) << "with"
                                << body.size() << "octets to read, expected" << rule.minLength
                                << "to" << rule.maxLength;
        ++spans.ignoredCount;
    } else if (spans.present & bit) {
        qCDebug(lcIe).noquote() << "ignoring duplicate element" << elementName(id, subId);
        ++spans.ignoredCount;
    } else {
        spans.present |= bit;
        spans.bodies[static_cast<std::size_t>(rule.slot)] = body;
    }
}

} // namespace

ElementSpans walkElements(Bytes ies) {
    ElementSpans spans;
    const std::uint8_t *p = ies.data();
    const std::uint8_t *const end = p + ies.size();
    while (end - p >= 2) {
        const std::uint8_t id = p[0];
        const std::size_t length = p[1];
        if (static_cast<std::size_t>(end - p - 2) < length) {
            qCDebug(lcIe) << "element" << id << "claims" << length << "octets but only"
                          << (end - p - 2) << "remain; stopping";
            spans.truncated = true;
            break;
        }
        const Bytes body(p + 2, length);
        p += 2 + length;
        ++spans.elementCount;

        if (const std::uint8_t index = kRuleIndex[id]) {
            keep(spans, kElementRules[index - 1].second, body, id);
        } else if (id == Eid::Extension) {
            if (body.empty()) {
                qCDebug(lcIe) << "ignoring extension element without an extension ID";
                ++spans.ignoredCount;
            } else if (const Rule *rule = extensionRule(body[0])) {
                keep(spans, *rule, body.subspan(1), id, body[0]);
            }
        } else if (id == Eid::Vendor && body.size() >= 4) {
            if (const Rule *rule = vendorRule(body))
                keep(spans, *rule, body.subspan(4), id, body[3]);
        }
    }
    spans.leftoverBytes = static_cast<int>(end - p);
    if (!spans.truncated && spans.leftoverBytes > 0)
        qCDebug(lcIe) << spans.leftoverBytes << "stray octet after the last element";
    return spans;
}

} // namespace ie
