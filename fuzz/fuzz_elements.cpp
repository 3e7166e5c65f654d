// Beacon bytes as a driver might hand them over, whatever they hold: the
// capability field, the frequency, then the element list.

#include "scan/OccupiedBand.h"
#include "scan/ie/ElementParser.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 4)
        return 0;
    const auto capability = static_cast<quint16>(data[0] | data[1] << 8);
    // Two octets reach every band edge (2412-7115 MHz) as well as 0 and the gaps.
    const int frequency = data[2] | data[3] << 8;
    const std::span<const std::uint8_t> ies(data + 4, size - 4);

    const BssFacts facts = ie::describeBss(capability, ies, frequency);
    // Text stays within what 32 octets can become (4 characters per escaped
    // byte) and every code is one the displays know.
    if (facts.ssid.size() > 32 * 4 || facts.channelBand > Band::Ghz6 ||
        facts.channelWidth > ChannelWidth::Mhz320 ||
        (facts.phyModes >> (PhyMode::Highest + 1)).any() ||
        (facts.securityModes >> (Security::Highest + 1)).any())
        __builtin_trap();
    // Whatever centres the elements name, the band the BSS occupies holds its
    // primary channel whole and is as wide as it claims (80+80 in two halves).
    const OccupiedBand occupied =
        occupiedBand(facts.channelBand, facts.channelNumber, facts.channelWidth,
                     facts.centreChannel, facts.secondCentreChannel);
    if (facts.channelNumber > 0 && facts.channelBand != Band::Unknown) {
        const int primaryMhz = channelFrequencyMhz(facts.channelBand, facts.channelNumber);
        const int spanMhz =
            occupied.highMhz - occupied.lowMhz + occupied.secondHighMhz - occupied.secondLowMhz;
        if (!occupied.isValid() || occupied.lowMhz > primaryMhz - 10 ||
            occupied.highMhz < primaryMhz + 10 || spanMhz != occupied.widthMhz)
            __builtin_trap();
    }
    ie::ssidText(ies);
    return 0;
}
