#pragma once

#include <QLoggingCategory>
#include <array>
#include <cstdint>
#include <span>

Q_DECLARE_LOGGING_CATEGORY(lcIe)

namespace ie {

using Bytes = std::span<const std::uint8_t>;

// Element IDs (802.11-2020 9.4.2.1) of the elements read here.
namespace Eid {
enum : std::uint8_t {
    Ssid = 0,
    SupportedRates = 1,
    DsParameterSet = 3,
    Country = 7,
    BssLoad = 11,
    HtCapabilities = 45,
    Rsn = 48,
    ExtendedSupportedRates = 50,
    HtOperation = 61,
    VhtCapabilities = 191,
    VhtOperation = 192,
    Vendor = 221,
    Extension = 255,
};
}

// Element ID Extensions carried under Eid::Extension.
namespace ExtId {
enum : std::uint8_t {
    HeCapabilities = 35,
    HeOperation = 36,
    EhtOperation = 106,
    EhtCapabilities = 108,
};
}

// The elements the derivations read, one slot each.
enum class Slot : std::uint8_t {
    Ssid,
    SupportedRates,
    DsParameterSet,
    Country,
    BssLoad,
    HtCapabilities,
    Rsn,
    ExtendedSupportedRates,
    HtOperation,
    VhtCapabilities,
    VhtOperation,
    HeCapabilities,
    HeOperation,
    EhtCapabilities,
    EhtOperation,
    Wpa,           // vendor 00-50-F2 type 1
    OweTransition, // vendor 50-6F-9A type 28
    Count
};
constexpr std::size_t kSlotCount = static_cast<std::size_t>(Slot::Count);

// One pass over an element list. Each slot holds the body of the first
// well-formed element of its kind: after the Element ID Extension octet for
// extension elements, after the OUI and type octet for vendor elements.
struct ElementSpans {
    std::array<Bytes, kSlotCount> bodies{};
    std::uint32_t present = 0;

    int elementCount = 0;   // elements walked, kept or not
    int ignoredCount = 0;   // known elements dropped as short, long or duplicate
    bool truncated = false; // an element's length ran past the end
    int leftoverBytes = 0;  // bytes not walked: a stray octet or the truncated element

    bool has(Slot s) const { return present & (1u << static_cast<unsigned>(s)); }
    Bytes operator[](Slot s) const { return bodies[static_cast<std::size_t>(s)]; }
};

ElementSpans walkElements(Bytes ies);

} // namespace ie
