#pragma once

#include "Nl80211Decode.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

struct nl_sock;
struct nl_msg;

namespace nl80211 {

// Plain words for an errno from nl80211, naming the likely cause.
QString errnoText(int error);

// Requests to nl80211 and their answers, one at a time. The command socket
// is the real one; tests put a stand-in kernel in its place.
class Requester {
public:
    virtual ~Requester() = default;

    // Attribute payloads (after the genl header) of every answer message.
    struct Answer {
        int error = 0; // errno, 0 on success
        QList<QByteArray> messages;
    };
    using Fill = std::function<void(nl_msg *)>;
    // A request with NLM_F_DUMP in flags collects every message up to the
    // end of the dump; otherwise it waits for the ack. Blocks its caller,
    // within a bound.
    virtual Answer request(std::uint8_t command, int flags, const Fill &fill = {}) = 0;
};

// A generic-netlink socket bound to the nl80211 family for requests and
// their answers. Every wait is bounded: a request that gets no complete
// answer in time fails with ETIMEDOUT and the socket is reopened for the
// next one, so a late answer cannot be taken for the next request's.
class CommandSocket : public Requester {
public:
    static constexpr int kReceiveTimeoutMs = 2000;

    // Nothing, with *error set, when netlink or the nl80211 family (cfg80211)
    // is missing.
    static std::unique_ptr<CommandSocket> open(QString *error);
    ~CommandSocket() override;

    // A dump interrupted by a change of the table is repeated.
    Answer request(std::uint8_t command, int flags, const Fill &fill = {}) override;

    int familyId() const { return m_family; }
    // Id of a multicast group of nl80211; negative when unknown.
    int groupId(const char *name);

private:
    CommandSocket() = default;
    bool connectSocket(QString *error);
    Answer requestOnce(std::uint8_t command, int flags, const Fill &fill);

    nl_sock *m_sock = nullptr;
    int m_family = -1;
};

// A non-blocking socket subscribed to one nl80211 multicast group. Joining
// a group needs no privilege.
class EventSocket {
public:
    static std::unique_ptr<EventSocket> open(int groupId, QString *error);
    ~EventSocket();

    int fd() const;
    // Hands over every message queued now, without waiting.
    void drain(const std::function<void(std::uint8_t command, Bytes attributes)> &handler);

private:
    EventSocket() = default;
    nl_sock *m_sock = nullptr;
};

} // namespace nl80211
