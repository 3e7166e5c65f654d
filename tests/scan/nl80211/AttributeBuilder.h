#pragma once

#include <QByteArray>
#include <cstdint>
#include <netlink/attr.h>
#include <netlink/msg.h>
#include <span>

// Builds an nl80211 attribute stream the way the kernel lays it out, with
// libnl's own message builders, and hands out its bytes.
class AttributeBuilder {
public:
    AttributeBuilder()
        : m_msg(nlmsg_alloc()) {}
    ~AttributeBuilder() { nlmsg_free(m_msg); }
    AttributeBuilder(const AttributeBuilder &) = delete;
    AttributeBuilder &operator=(const AttributeBuilder &) = delete;

    AttributeBuilder &u8(int type, std::uint8_t v) { return raw(type, &v, sizeof v); }
    AttributeBuilder &u16(int type, std::uint16_t v) { return raw(type, &v, sizeof v); }
    AttributeBuilder &u32(int type, std::uint32_t v) { return raw(type, &v, sizeof v); }
    AttributeBuilder &s32(int type, std::int32_t v) { return raw(type, &v, sizeof v); }
    AttributeBuilder &u64(int type, std::uint64_t v) { return raw(type, &v, sizeof v); }
    AttributeBuilder &flag(int type) { return raw(type, nullptr, 0); }
    AttributeBuilder &bytes(int type, const QByteArray &v) {
        return raw(type, v.constData(), v.size());
    }
    AttributeBuilder &raw(int type, const void *data, int length) {
        nla_put(m_msg, type, length, data);
        return *this;
    }
    AttributeBuilder &begin(int type) {
        m_nests[m_depth++] = nla_nest_start(m_msg, type);
        return *this;
    }
    AttributeBuilder &end() {
        nla_nest_end(m_msg, m_nests[--m_depth]);
        return *this;
    }

    QByteArray data() const {
        const nlmsghdr *h = nlmsg_hdr(m_msg);
        return QByteArray(static_cast<const char *>(nlmsg_data(h)), nlmsg_datalen(h));
    }

private:
    nl_msg *m_msg;
    nlattr *m_nests[8] = {};
    int m_depth = 0;
};

inline std::span<const std::uint8_t> span(const QByteArray &bytes) {
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
            static_cast<size_t>(bytes.size())};
}
