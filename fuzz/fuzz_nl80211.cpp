// nl80211 answers as the kernel (or anything posing as it) might send them: the first byte
// picks the command, the rest is the attribute stream after the generic-netlink header.

#include "scan/nl80211/Nl80211Decode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <linux/nl80211.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::uint8_t command = data[0];
    // Netlink hands attributes over 4-byte aligned; keep that, and an exact end for ASan.
    std::vector<std::uint32_t> aligned((size - 1 + 3) / 4);
    std::memcpy(aligned.data(), data + 1, size - 1);
    const nl80211::Bytes attributes(reinterpret_cast<const std::uint8_t *>(aligned.data()),
                                    size - 1);

    QString reason;
    if (const auto bss = nl80211::decodeBss(attributes, &reason)) {
        // A decoded entry always names its radio and uses codes the displays know.
        if (bss->result.bssid.size() != 17 || bss->result.channelBand > Band::Ghz6 ||
            bss->result.rssiValue < -21474837 || bss->result.rssiValue > 21474837)
            __builtin_trap();
    } else if (reason.isEmpty()) {
        __builtin_trap(); // a skipped entry always says why
    }
    if (const auto iface = nl80211::decodeInterface(attributes, &reason)) {
        if (iface->channelWidth > ChannelWidth::Mhz320)
            __builtin_trap();
    }
    if (const auto station = nl80211::decodeStation(attributes, &reason)) {
        if (station->txPhyMode > PhyMode::Highest)
            __builtin_trap();
    }
    nl80211::decodeScanEvent(command, attributes);
    return 0;
}
