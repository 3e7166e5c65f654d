#pragma once

// Builds element lists as an access point lays them out in a beacon, one element per call.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <span>

class Elements {
public:
    using List = std::initializer_list<int>;

    Elements &raw(QByteArray bytes) { return m_bytes.append(bytes), *this; }
    Elements &element(int id, QByteArray body) {
        m_bytes.append(char(id)).append(char(body.size())).append(body);
        return *this;
    }
    Elements &element(int id, List body) { return element(id, bytes(body)); }
    Elements &extension(int extId, QByteArray body) { return element(255, char(extId) + body); }
    Elements &vendor(const char *oui, int type, QByteArray body) {
        return element(221, QByteArray(oui, 3) + char(type) + body);
    }

    Elements &ssid(QByteArray name) { return element(0, name); }
    Elements &rates(List units) { return element(1, units); }
    Elements &extRates(List units) { return element(50, units); }
    Elements &ds(int channel) { return element(3, {channel}); }
    // Secondary channel offset 1 above / 3 below; anyWidth is STA Channel Width.
    Elements &htOp(int primary, int offset = 0, bool anyWidth = false) {
        QByteArray body(22, '\0');
        body[0] = char(primary);
        body[1] = char(offset | (anyWidth ? 0x04 : 0));
        return element(61, body);
    }
    Elements &vhtOp(int width, int ccfs0, int ccfs1 = 0) {
        return element(192, {width, ccfs0, ccfs1, 0xfc, 0xff});
    }
    Elements &heCap() { return extension(35, QByteArray(21, '\x01')); }
    // HE Operation with the optional fields the parameter bits announce.
    Elements &heOp(bool vhtInfo = false, QByteArray sixGhz = {}) {
        const int params = (vhtInfo ? 1 << 14 : 0) | (sixGhz.isEmpty() ? 0 : 1 << 17);
        const QByteArray body =
            bytes({params & 0xff, params >> 8 & 0xff, params >> 16, 0x2a, 0xfc, 0xff});
        return extension(36, body + (vhtInfo ? bytes({1, 42, 0}) : "") + sixGhz);
    }
    static QByteArray sixGhzInfo(int primary, int width, int ccfs0, int ccfs1 = 0) {
        return bytes({primary, width, ccfs0, ccfs1, 6});
    }
    Elements &ehtCap() { return extension(108, QByteArray(14, '\x02')); }
    Elements &ehtOp(int width, int ccfs0, int ccfs1 = 0) {
        return extension(106, bytes({0x01, 0x44, 0x44, 0x44, 0x44, width, ccfs0, ccfs1}));
    }

    // RSN with CCMP group and pairwise ciphers and the given AKM suite types
    // under 00-0F-AC; capabilities 0x0080 is MFP capable, 0x00c0 required.
    Elements &rsn(List akms, int capabilities = 0) {
        return element(48, suites("\x00\x0f\xac", 4, akms) + bytes({capabilities, 0}));
    }
    Elements &wpa(List akms) { return vendor("\x00\x50\xf2", 1, suites("\x00\x50\xf2", 2, akms)); }
    Elements &oweTransition(QByteArray ssid) {
        return vendor("\x50\x6f\x9a", 0x1c,
                      QByteArray("\x02\x11\x22\x33\x44\x55", 6) + char(ssid.size()) + ssid);
    }

    // Version 1, one group and one pairwise cipher, then the AKM list.
    static QByteArray suites(const char *oui, int cipher, List akms) {
        const QByteArray suite = QByteArray(oui, 3) + char(cipher);
        QByteArray body =
            bytes({1, 0}) + suite + bytes({1, 0}) + suite + bytes({int(akms.size()), 0});
        for (const int akm : akms)
            body += QByteArray(oui, 3) + char(akm);
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
