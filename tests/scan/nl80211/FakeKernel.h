// A stand-in for the kernel's nl80211: one station interface (wlan0, ifindex 3, wiphy 0), a BSS
// table and the joined access point's station entry, each answered after `delayMs`; `error`
// fails every request. Runs on the interface's worker thread; tests change it under the lock.
#pragma once

#include "scan/nl80211/Nl80211Decode.h"
#include "scan/nl80211/Nl80211Socket.h"

#include <QMutex>
#include <QThread>
#include <cerrno>
#include <linux/nl80211.h>
#include <memory>
#include <netlink/attr.h>
#include <netlink/msg.h>
#include <span>

// nl80211 messages laid out by libnl's own builders, the way the kernel sends them: the
// attribute stream after the genl header, for the decoders and for the stand-in kernel.
namespace nlmsg {

using Attr = QPair<int, QByteArray>;
using Attrs = QList<Attr>;

inline QByteArray msg(const Attrs &attrs) {
    nl_msg *m = nlmsg_alloc();
    for (const auto &[type, value] : attrs)
        nla_put(m, type, static_cast<int>(value.size()), value.constData());
    const nlmsghdr *h = nlmsg_hdr(m);
    QByteArray out(static_cast<const char *>(nlmsg_data(h)), nlmsg_datalen(h));
    nlmsg_free(m);
    return out;
}
template <typename T> Attr num(int type, T v) {
    return {type, QByteArray(reinterpret_cast<const char *>(&v), sizeof v)};
}
inline Attr u32(int type, quint32 v) {
    return num(type, v);
}
inline Attr nest(int type, const Attrs &inner) {
    return {type, msg(inner)};
}
inline Attr hex(int type, const char *h) {
    return {type, QByteArray::fromHex(h)};
}
inline Attr text(int type, const char *t) {
    return {type, QByteArray(t)};
}
inline std::span<const std::uint8_t> span(const QByteArray &b) {
    return {reinterpret_cast<const std::uint8_t *>(b.constData()), static_cast<size_t>(b.size())};
}

} // namespace nlmsg

struct KernelState {
    QMutex lock;
    int delayMs = 0;
    int error = 0;
    QList<QByteArray> table; // GET_SCAN dump messages
    int stationSignal = 0;   // dBm of GET_STATION; 0: no station entry
    QList<int> commands;     // every request, in order

    int count(int command) {
        QMutexLocker locked(&lock);
        return int(commands.count(command));
    }
};

class FakeKernel : public nl80211::Requester {
public:
    explicit FakeKernel(std::shared_ptr<KernelState> state)
        : m_state(std::move(state)) {}

    static nl80211::InterfaceEntry wlan0() {
        return {.name = "wlan0",
                .ifindex = 3,
                .wiphy = 0,
                .iftype = NL80211_IFTYPE_STATION,
                .macAddress = {},
                .ssid = {}};
    }
    // A BSS heard on channel 6 at `dbm`, named `ssid`, associated or not; `n` ends its BSSID.
    static QByteArray bss(int n, const char *ssid, int dbm, bool associated = false) {
        using namespace nlmsg;
        Attrs attrs{{NL80211_BSS_BSSID, QByteArray::fromHex("0200000000") + char(n)},
                    u32(NL80211_BSS_FREQUENCY, 2437),
                    num<qint32>(NL80211_BSS_SIGNAL_MBM, dbm * 100),
                    {NL80211_BSS_INFORMATION_ELEMENTS, QByteArray(1, '\0') + char(qstrlen(ssid)) +
                                                           QByteArray(ssid) + "\x03\x01\x06"}};
        if (associated)
            attrs << u32(NL80211_BSS_STATUS, NL80211_BSS_STATUS_ASSOCIATED);
        return msg({u32(NL80211_ATTR_IFINDEX, 3), nest(NL80211_ATTR_BSS, attrs)});
    }

    Answer request(std::uint8_t command, int, const Fill &) override {
        int delayMs = 0;
        {
            QMutexLocker locked(&m_state->lock);
            m_state->commands << command;
            delayMs = m_state->delayMs;
        }
        QThread::msleep(static_cast<unsigned long>(delayMs));
        QMutexLocker locked(&m_state->lock);
        if (m_state->error != 0)
            return {m_state->error, {}};
        using namespace nlmsg;
        switch (command) {
        case NL80211_CMD_GET_INTERFACE:
            return {0,
                    {msg({u32(NL80211_ATTR_IFINDEX, 3), text(NL80211_ATTR_IFNAME, "wlan0"),
                          u32(NL80211_ATTR_WIPHY, 0),
                          u32(NL80211_ATTR_IFTYPE, NL80211_IFTYPE_STATION)})}};
        case NL80211_CMD_GET_SCAN:
            return {0, m_state->table};
        case NL80211_CMD_GET_STATION:
            if (m_state->stationSignal == 0)
                return {ENOENT, {}};
            return {
                0,
                {msg({nest(NL80211_ATTR_STA_INFO, {num<qint8>(NL80211_STA_INFO_SIGNAL,
                                                              qint8(m_state->stationSignal))})})}};
        case NL80211_CMD_TRIGGER_SCAN:
            return {EPERM, {}}; // an ordinary user may not trigger scans
        default:
            return {EOPNOTSUPP, {}};
        }
    }

private:
    std::shared_ptr<KernelState> m_state;
};
