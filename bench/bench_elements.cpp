// describeBss() on the beacon a scan meets most: a dual-band home router's
// 5 GHz radio with WPA2-PSK, HT, VHT and WMM.

#include "scan/ie/ElementParser.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

void add(std::vector<std::uint8_t> &ies, std::uint8_t id, std::initializer_list<std::uint8_t> body,
         std::size_t zeroPadTo = 0) {
    ies.push_back(id);
    ies.push_back(static_cast<std::uint8_t>(std::max(body.size(), zeroPadTo)));
    ies.insert(ies.end(), body);
    for (std::size_t i = body.size(); i < zeroPadTo; ++i)
        ies.push_back(0);
}

std::vector<std::uint8_t> typicalBeacon() {
    std::vector<std::uint8_t> ies;
    add(ies, 0, {'V', 'o', 'd', 'a', 'f', 'o', 'n', 'e', '-', 'A', '1', 'B', '2', '-', '5', 'G'});
    add(ies, 1, {0x8c, 0x12, 0x98, 0x24, 0xb0, 0x48, 0x60, 0x6c});
    add(ies, 3, {36});
    add(ies, 5, {0, 3, 0, 0});
    add(ies, 7, {'D', 'E', ' ', 36, 4, 23, 52, 4, 20, 100, 11, 27});
    add(ies, 11, {5, 0, 42, 0, 0});
    add(ies, 48, {1, 0, 0, 0x0f, 0xac, 4, 1, 0,    0,    0x0f, 0xac, 4,
                  2, 0, 0, 0x0f, 0xac, 2, 0, 0x0f, 0xac, 6,    0x8c, 0});
    add(ies, 45, {0xef, 0x19, 0x1b, 0xff, 0xff, 0xff, 0xff}, 26);
    add(ies, 61, {36, 0x05, 0x04}, 22);
    add(ies, 127, {0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x40});
    add(ies, 191, {0xb1, 0x71, 0x80, 0x0f, 0xaa, 0xff, 0x00, 0x00, 0xaa, 0xff, 0x00, 0x20});
    add(ies, 192, {1, 42, 0, 0xfc, 0xff});
    add(ies, 195, {0x02, 0x2f, 0x2f, 0x2f, 0x2f});
    add(ies, 221, {0x00, 0x50, 0xf2, 0x02, 0x01, 0x01, 0x80, 0x00, 0x03, 0xa4, 0x00, 0x00,
                   0x27, 0xa4, 0x00, 0x00, 0x42, 0x43, 0x5e, 0x00, 0x62, 0x32, 0x2f, 0x00});
    add(ies, 221, {0x00, 0x10, 0x18, 0x02, 0x00, 0x00, 0x1c, 0x00, 0x00});
    add(ies, 221, {0x00, 0x50, 0xf2, 0x04, 0x10, 0x4a, 0x00, 0x01, 0x10, 0x10, 0x44, 0x00,
                   0x01, 0x02, 0x10, 0x49, 0x00, 0x06, 0x00, 0x37, 0x2a, 0x00, 0x01, 0x20});
    add(ies, 221, {0x50, 0x6f, 0x9a, 0x16, 0x03, 0x01, 0x03}, 40);
    return ies;
}

void BM_describeTypicalBeacon(benchmark::State &state) {
    const std::vector<std::uint8_t> ies = typicalBeacon();
    // Time the full path only: a beacon the parser misreads would skip work.
    const BssFacts once = ie::describeBss(0x1411, ies, 5180);
    if (once.channelWidth != ChannelWidth::Mhz80 ||
        !once.securityModes.test(Security::WPA2Personal) || !once.hasVht ||
        once.supportedRatesKbps.size() != 8) {
        state.SkipWithError("typical beacon not understood");
        return;
    }
    for (auto _ : state) {
        BssFacts facts = ie::describeBss(0x1411, ies, 5180);
        benchmark::DoNotOptimize(facts);
    }
    state.counters["ie_octets"] = static_cast<double>(ies.size());
}
BENCHMARK(BM_describeTypicalBeacon);

} // namespace

BENCHMARK_MAIN();
