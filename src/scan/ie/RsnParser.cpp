#include "RsnParser.h"

namespace ie {
namespace {

constexpr std::uint32_t kRsnOui = 0x000fac;
constexpr std::uint32_t kWpaOui = 0x0050f2;
constexpr std::size_t kSuiteLength = 4;

// Cipher and AKM defaults an element may leave out (802.11-2020 9.4.2.24.1:
// CCMP-128 and 802.1X for RSN; TKIP and 802.1X for WPA, as deployed).
struct Defaults {
    std::uint32_t oui;
    std::uint8_t cipher;
    std::uint8_t akm;
};

class Reader {
public:
    explicit Reader(Bytes bytes)
        : m_bytes(bytes) {}

    std::size_t left() const { return m_bytes.size(); }
    int le16() {
        const int v = m_bytes[0] | m_bytes[1] << 8;
        m_bytes = m_bytes.subspan(2);
        return v;
    }
    std::uint32_t suite() {
        const std::uint32_t v =
            std::uint32_t(m_bytes[0]) << 16 | std::uint32_t(m_bytes[1]) << 8 | m_bytes[2];
        const std::uint8_t type = m_bytes[3];
        m_bytes = m_bytes.subspan(kSuiteLength);
        return v << 8 | type;
    }
    // A suite count must be non-zero and its list must fit.
    int suiteCount() {
        const int count = le16();
        return count == 0 || std::size_t(count) > left() / kSuiteLength ? -1 : count;
    }

private:
    Bytes m_bytes;
};

// Fields are read in order and each may be absent from the end on, so a body
// that stops at a field boundary is whole; one that stops inside a field is
// not (802.11-2020 9.4.2.24.1).
RsnInfo parseSuites(Bytes body, const Defaults &defaults) {
    RsnInfo info;
    info.groupCipher = defaults.oui << 8 | defaults.cipher;
    info.pairwiseCount = 1;
    info.akms = 1u << defaults.akm;

    const auto whole = [&info] {
        info.valid = true;
        return info;
    };

    Reader r(body);
    if (r.left() < 2 || r.le16() != 1) {
        qCDebug(lcIe) << "RSN/WPA element with a missing or unknown version";
        return info;
    }
    if (r.left() == 0)
        return whole();
    if (r.left() < kSuiteLength) {
        qCDebug(lcIe) << "RSN/WPA group cipher cut short";
        return info;
    }
    info.groupCipher = r.suite();
    if (r.left() == 0)
        return whole();

    if (r.left() < 2 || (info.pairwiseCount = r.suiteCount()) < 0) {
        qCDebug(lcIe) << "RSN/WPA pairwise cipher count does not fit the element";
        return info;
    }
    for (int i = 0; i < info.pairwiseCount; ++i)
        r.suite();
    if (r.left() == 0)
        return whole();

    const int akmCount = r.left() < 2 ? -1 : r.suiteCount();
    if (akmCount < 0) {
        qCDebug(lcIe) << "RSN/WPA AKM count does not fit the element";
        return info;
    }
    info.akms = 0;
    for (int i = 0; i < akmCount; ++i) {
        const std::uint32_t akm = r.suite();
        if (akm >> 8 == defaults.oui && (akm & 0xff) < 32)
            info.akms |= 1u << (akm & 0xff);
        else
            ++info.otherAkms;
    }
    if (r.left() >= 2)
        info.capabilities = r.le16();
    // PMKIDs and the group management cipher follow; nothing here needs them.
    return whole();
}

} // namespace

RsnInfo parseRsn(Bytes body) {
    return parseSuites(body, {kRsnOui, 4, 1});
}

RsnInfo parseWpa(Bytes body) {
    return parseSuites(body, {kWpaOui, 2, 1});
}

} // namespace ie
