// nl80211 messages laid out by libnl's own builders, the way the kernel sends them: the
// attribute stream after the genl header, for the decoders and for stand-in kernels.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <cstdint>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/msg.h>
#include <span>

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
