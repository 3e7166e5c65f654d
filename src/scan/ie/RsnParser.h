#pragma once

#include "ElementWalk.h"

#include <cstdint>

namespace ie {

// The parts of an RSN element (or of the older WPA vendor element, which has
// the same layout under OUI 00-50-F2) that say how a station may join.
struct RsnInfo {
    bool valid = false;
    // Bit n: AKM suite type n under the element's own OUI (00-0F-AC for RSN,
    // 00-50-F2 for WPA). Fields the element leaves out keep their defaults,
    // so a version-only RSN element offers 802.1X (bit 1).
    std::uint32_t akms = 0;
    int otherAkms = 0;             // AKM suites under other OUIs, or with types >= 32
    std::uint32_t groupCipher = 0; // OUI << 8 | suite type
    int pairwiseCount = 0;
    int capabilities = -1; // RSN Capabilities field, -1 when absent
};

// Body of an RSN element (ID 48).
RsnInfo parseRsn(Bytes body);
// Body of a WPA vendor element after its OUI 00-50-F2 and type 1.
RsnInfo parseWpa(Bytes body);

// RSN Capabilities bits (802.11-2020 9.4.2.24.4).
namespace RsnCapability {
enum : int { MfpRequired = 1 << 6, MfpCapable = 1 << 7 };
}

} // namespace ie
