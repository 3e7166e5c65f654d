#pragma once

// Builds element lists the way an access point lays them out in a beacon,
// one 802.11 element per call, so tests read like the frame they stand for.

#include "scan/WifiCodes.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <initializer_list>
#include <span>

class Elements {
public:
    using List = std::initializer_list<int>;

    Elements &raw(QByteArray bytes) { return m_bytes.append(bytes), *this; }
    Elements &raw(List bytes) {
        for (const int b : bytes)
            m_bytes.append(char(b));
        return *this;
    }
    Elements &element(int id, QByteArray body) {
        m_bytes.append(char(id)).append(char(body.size())).append(body);
        return *this;
    }
    Elements &element(int id, List body) { return element(id, bytes(body)); }
    Elements &extension(int extId, QByteArray body) { return element(255, char(extId) + body); }

    Elements &ssid(QByteArray name) { return element(0, name); }
    Elements &rates(List units) { return element(1, units); }
    Elements &extRates(List units) { return element(50, units); }
    Elements &ds(int channel) { return element(3, {channel}); }
    Elements &tim() { return element(5, {0, 1, 0, 0}); }
    Elements &country(const char *cc) { return element(7, QByteArray(cc) + " \x01\x0d\x14"); }
    Elements &bssLoad(int stations, int utilisation) {
        return element(11, {stations & 0xff, stations >> 8, utilisation, 0, 0});
    }
    Elements &erp() { return element(42, {0}); }
    Elements &htCap() { return element(45, QByteArray(26, '\0').replace(0, 2, "\xef\x19")); }
    // Secondary channel offset 1 above / 3 below; anyWidth is STA Channel Width.
    Elements &htOp(int primary, int offset = 0, bool anyWidth = false) {
        QByteArray body(22, '\0');
        body[0] = char(primary);
        body[1] = char(offset | (anyWidth ? 0x04 : 0));
        return element(61, body);
    }
    Elements &extCap() { return element(127, {0x04, 0, 0, 0x02, 0, 0, 0, 0x40}); }
    Elements &vhtCap() {
        return element(191, {0x91, 0x59, 0x82, 0x0f, 0xea, 0xff, 0, 0, 0xea, 0xff, 0, 0});
    }
    Elements &vhtOp(int width, int ccfs0, int ccfs1 = 0) {
        return element(192, {width, ccfs0, ccfs1, 0xfc, 0xff});
    }
    // Capabilities and operation together, as every HT/VHT/HE/EHT AP sends them.
    Elements &ht(int primary, int offset = 0) { return htCap().htOp(primary, offset, offset != 0); }
    Elements &vht(int width, int ccfs0, int ccfs1 = 0) {
        return vhtCap().vhtOp(width, ccfs0, ccfs1);
    }
    Elements &he(QByteArray sixGhz = {}) { return heCap().heOp(false, false, sixGhz); }
    Elements &eht(int width, int ccfs0, int ccfs1 = 0) {
        return ehtCap().ehtOp(width, ccfs0, ccfs1);
    }

    Elements &heCap() { return extension(35, QByteArray(21, '\x01')); }
    // HE Operation with the optional fields the parameter bits announce.
    Elements &heOp(bool vhtInfo, bool coHosted, QByteArray sixGhz = {}) {
        const int params =
            (vhtInfo ? 1 << 14 : 0) | (coHosted ? 1 << 15 : 0) | (sixGhz.isEmpty() ? 0 : 1 << 17);
        QByteArray body =
            bytes({params & 0xff, params >> 8 & 0xff, params >> 16, 0x2a, 0xfc, 0xff});
        if (vhtInfo)
            body += bytes({1, 42, 0});
        if (coHosted)
            body += char(3);
        return extension(36, body + sixGhz);
    }
    static QByteArray sixGhzInfo(int primary, int width, int ccfs0, int ccfs1 = 0) {
        return bytes({primary, width, ccfs0, ccfs1, 6});
    }
    Elements &ehtCap() { return extension(108, QByteArray(14, '\x02')); }
    Elements &ehtOp(int width, int ccfs0, int ccfs1 = 0) {
        return extension(106, bytes({0x01, 0x44, 0x44, 0x44, 0x44, width, ccfs0, ccfs1}));
    }
    Elements &ehtOpWithoutInfo() { return extension(106, bytes({0x00, 0x44, 0x44, 0x44, 0x44})); }

    // RSN with CCMP group and pairwise ciphers and the given AKM suite types
    // under 00-0F-AC; capabilities 0x0080 is MFP capable, 0x00c0 required.
    Elements &rsn(List akms, int capabilities = 0) {
        return element(48, suites(1, "\x00\x0f\xac", 4, akms) + bytes({capabilities, 0}));
    }
    Elements &wpa(List akms) {
        return vendor("\x00\x50\xf2", 1, suites(1, "\x00\x50\xf2", 2, akms));
    }
    Elements &wmm() { return vendor("\x00\x50\xf2", 2, bytes({0, 1, 0x80, 0, 3, 0xa4, 0, 0})); }
    Elements &wps() { return vendor("\x00\x50\xf2", 4, bytes({0x10, 0x4a, 0, 1, 0x10})); }
    Elements &oweTransition(QByteArray ssid) {
        return vendor("\x50\x6f\x9a", 0x1c,
                      QByteArray("\x02\x11\x22\x33\x44\x55", 6) + char(ssid.size()) + ssid);
    }
    Elements &vendor(const char *oui, int type, QByteArray body) {
        return element(221, QByteArray(oui, 3) + char(type) + body);
    }

    // Version, one group and one pairwise cipher, then the AKM list.
    static QByteArray suites(int version, const char *oui, int cipher, List akms) {
        const QByteArray o(oui, 3);
        QByteArray body = bytes({version, 0}) + o + char(cipher) + bytes({1, 0}) + o + char(cipher);
        body += bytes({int(akms.size()), 0});
        for (const int akm : akms)
            body += o + char(akm);
        return body;
    }
    static QByteArray bytes(List values) {
        QByteArray b;
        for (const int v : values)
            b.append(char(v));
        return b;
    }

    operator QByteArray() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

inline std::span<const std::uint8_t> asSpan(const QByteArray &b) {
    return {reinterpret_cast<const std::uint8_t *>(b.constData()), std::size_t(b.size())};
}

// The codes of a set in ascending order, so a failed comparison prints them.
inline QList<int> codeList(CodeSet set) {
    QList<int> list;
    for (std::size_t i = 0; i < set.size(); ++i)
        if (set.test(i))
            list.append(int(i));
    return list;
}
