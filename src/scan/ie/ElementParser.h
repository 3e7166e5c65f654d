#pragma once

#include "scan/BssFacts.h"

#include <QString>
#include <cstdint>
#include <span>

// Decodes what a BSS announces in its beacon or probe response.
namespace ie {

// Band, channel, width, PHY and security sets, and the extra facts, of one
// BSS from its capability field, its information elements (the body after
// the fixed fields) and the frequency it was heard on (MHz, 0 if unknown).
// Malformed input never reads past the buffer: the walk stops at a truncated
// element, skips unknown ones and ignores short ones (logged under airlume.ie).
BssFacts describeBss(quint16 capability, std::span<const std::uint8_t> ies, int frequencyMhz);

// An SSID element's bytes as text: null for a hidden SSID (empty or all
// zero), otherwise UTF-8 with invalid bytes, control characters and
// bidirectional overrides written as \xNN.
QString ssidText(std::span<const std::uint8_t> ssid);

// Channel number and band code (Band::*) of a centre frequency; 0 / Unknown
// when the frequency lies in no Wi-Fi band.
struct ChannelOfFrequency {
    int channelNumber = 0;
    int channelBand = 0;
};
ChannelOfFrequency channelFromFrequency(int frequencyMhz);

} // namespace ie
