#pragma once

#include "scan/ScanResult.h"
#include "scan/WirelessInterface.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

// Pure decoding of nl80211 messages into plain values: the attribute stream
// of one generic-netlink message (the bytes after its genlmsghdr) in, a value
// out. No socket, no kernel: what arrives is checked here, so a short or
// malformed attribute skips the entry (with a logged reason) and never reads
// past the buffer.
namespace nl80211 {

using Bytes = std::span<const std::uint8_t>;

// One entry of the kernel's BSS table (NL80211_CMD_GET_SCAN dump).
struct BssEntry {
    ScanResult result; // facts decoded through ie::describeBss, signal in dBm
    int wiphy = -1;
    int ifindex = -1;
    qint64 lastSeenBoottimeNs = -1; // CLOCK_BOOTTIME of the last frame; -1 when not given
    bool fromProbeResponse = false; // elements came from a probe response, not a beacon
    bool signalFromPercent = false; // the driver gave 0-100 only; see dbmFromPercent
};

// One Wi-Fi interface (NL80211_CMD_GET_INTERFACE).
struct InterfaceEntry {
    QString name;     // empty for a device without a network interface
    int ifindex = -1; // -1 for a device without a network interface
    int wiphy = -1;
    int iftype = -1;      // NL80211_IFTYPE_*
    QString macAddress;   // lower case, null when absent
    bool joined = false;  // the kernel named a joined network (not every kernel does)
    QString ssid;         // joined network's name; null when not named or hidden
    int frequencyMhz = 0; // operating channel, 0 when unknown
    int channelWidth = 0; // ChannelWidth::* code
    bool isStation() const;
};

// What GET_STATION tells about the joined access point.
struct StationEntry {
    std::optional<int> signalDbm;
    std::optional<int> signalAverageDbm;
    int txPhyMode = 0; // PhyMode::* from the tx bitrate's MCS kind, 0 when legacy/unknown
};

// A scan notification from the "scan" multicast group.
struct ScanEvent {
    enum class Kind { Started, Finished, Aborted, Other };
    Kind kind = Kind::Other;
    int wiphy = -1;
    int ifindex = -1;
    QList<int> frequenciesMhz; // channels the scan covers; empty when not told
    bool wildcardSsid = false; // probes for every network (or passive: listens to all)
};

// Signal given as 0-100 "unspecified units" (NL80211_BSS_SIGNAL_UNSPEC) to
// dBm: the inverse of the percent display (2 x dBm + 200), so 0 -> -100 dBm,
// 100 -> -50 dBm, and showing it in percent gives the driver's own number.
int dbmFromPercent(int percent);

// NL80211_CHAN_WIDTH_* to ChannelWidth::*.
int channelWidthCode(int nlWidth);

// The top-level attributes of one GET_SCAN dump message. Nothing, with
// *reason set, when the entry cannot be used (no BSS, no or short BSSID, a
// short numeric attribute, a nest that runs past its end).
std::optional<BssEntry> decodeBss(Bytes attributes, QString *reason);

std::optional<InterfaceEntry> decodeInterface(Bytes attributes, QString *reason);
std::optional<StationEntry> decodeStation(Bytes attributes, QString *reason);
// The 20 MHz channels of every band in one GET_WIPHY message (a split dump
// spreads them over several: decode each and join the lists). A channel
// without a frequency is skipped.
QList<AdapterChannel> decodeWiphyChannels(Bytes attributes);
ScanEvent decodeScanEvent(std::uint8_t command, Bytes attributes);

// "aa:bb:cc:dd:ee:ff" from six bytes.
QString macText(Bytes mac);

} // namespace nl80211
