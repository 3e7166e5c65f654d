#include "Nl80211Socket.h"

#include "Nl80211Log.h"

#include <cerrno>
#include <cstring>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <sys/socket.h>
#include <sys/time.h>

Q_LOGGING_CATEGORY(lcNl80211, "airlume.nl80211", QtInfoMsg)

namespace nl80211 {

QString errnoText(int error) {
    switch (error) {
    case EPERM:
    case EACCES:
        return QStringLiteral("not permitted (scanning needs CAP_NET_ADMIN)");
    case ENETDOWN:
        return QStringLiteral("interface is down or switched off by rfkill");
    case EBUSY:
        return QStringLiteral("a scan is already pending");
    case ENODEV:
        return QStringLiteral("no such Wi-Fi device");
    case EOPNOTSUPP:
        return QStringLiteral("not supported by the driver");
    case ETIMEDOUT:
    case EAGAIN:
        return QStringLiteral("no answer from the kernel in time");
    case ENOLINK:
        return QStringLiteral("not connected");
    case ENOENT:
        return QStringLiteral("no such entry");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

namespace {

int errnoFromNl(int nlError) {
    switch (-nlError) {
    case NLE_AGAIN:
        return ETIMEDOUT;
    case NLE_PERM:
        return EPERM;
    case NLE_BUSY:
        return EBUSY;
    case NLE_NODEV:
        return ENODEV;
    case NLE_OPNOTSUPP:
        return EOPNOTSUPP;
    case NLE_NOMEM:
        return ENOMEM;
    default:
        return EIO;
    }
}

struct Collector {
    CommandSocket::Answer *answer;
    bool done = false;
    int error = 0;
};

int onValid(nl_msg *msg, void *arg) {
    auto *c = static_cast<Collector *>(arg);
    const nlmsghdr *header = nlmsg_hdr(msg);
    const int length = genlmsg_attrlen(static_cast<genlmsghdr *>(nlmsg_data(header)), 0);
    c->answer->messages.append(QByteArray(reinterpret_cast<const char *>(genlmsg_attrdata(
                                              static_cast<genlmsghdr *>(nlmsg_data(header)), 0)),
                                          std::max(length, 0)));
    return NL_OK;
}

int onFinish(nl_msg *, void *arg) {
    static_cast<Collector *>(arg)->done = true;
    return NL_STOP;
}

int onError(sockaddr_nl *, nlmsgerr *err, void *arg) {
    auto *c = static_cast<Collector *>(arg);
    c->error = -err->error;
    c->done = true;
    return NL_STOP;
}

int noSequenceCheck(nl_msg *, void *) {
    return NL_OK;
}

void setReceiveTimeout(nl_sock *sock, int ms) {
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    setsockopt(nl_socket_get_fd(sock), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

} // namespace

std::unique_ptr<CommandSocket> CommandSocket::open(QString *error) {
    std::unique_ptr<CommandSocket> socket(new CommandSocket);
    if (!socket->connectSocket(error))
        return nullptr;
    return socket;
}

CommandSocket::~CommandSocket() {
    nl_socket_free(m_sock);
}

bool CommandSocket::connectSocket(QString *error) {
    nl_socket_free(m_sock);
    m_sock = nl_socket_alloc();
    if (!m_sock) {
        *error = QStringLiteral("cannot allocate a netlink socket");
        return false;
    }
    if (const int rc = genl_connect(m_sock); rc < 0) {
        *error = QStringLiteral("cannot open a generic netlink socket: %1")
                     .arg(QString::fromLocal8Bit(nl_geterror(rc)));
        return false;
    }
    // Replies of a few hundred BSS entries come in large datagrams.
    nl_socket_set_buffer_size(m_sock, 1 << 20, 0);
    nl_socket_set_msg_buf_size(m_sock, 1 << 16);
    setReceiveTimeout(m_sock, kReceiveTimeoutMs);
    m_family = genl_ctrl_resolve(m_sock, "nl80211");
    if (m_family < 0) {
        *error = QStringLiteral("the kernel offers no nl80211 (cfg80211 is not loaded; no Wi-Fi "
                                "driver)");
        return false;
    }
    return true;
}

int CommandSocket::groupId(const char *name) {
    return genl_ctrl_resolve_grp(m_sock, "nl80211", name);
}

CommandSocket::Answer CommandSocket::request(std::uint8_t command, int flags, const Fill &fill) {
    Answer answer;
    // A table that changes during the dump is dumped again; three tries
    // bound it when the air is busy.
    for (int attempt = 0; attempt < 3; ++attempt) {
        answer = requestOnce(command, flags, fill);
        if (answer.error != EINTR)
            break;
        qCInfo(lcNl80211) << "dump interrupted by a change; reading again";
    }
    if (answer.error == ETIMEDOUT || answer.error == EIO) {
        QString error;
        if (!connectSocket(&error))
            qCWarning(lcNl80211).noquote() << "reopening the netlink socket:" << error;
    }
    return answer;
}

CommandSocket::Answer CommandSocket::requestOnce(std::uint8_t command, int flags,
                                                 const Fill &fill) {
    Answer answer;
    if (!m_sock || m_family < 0) {
        answer.error = EIO;
        return answer;
    }
    nl_msg *msg = nlmsg_alloc();
    if (!msg || !genlmsg_put(msg, NL_AUTO_PORT, NL_AUTO_SEQ, m_family, 0, flags, command, 0)) {
        nlmsg_free(msg);
        answer.error = ENOMEM;
        return answer;
    }
    if (fill)
        fill(msg);

    Collector collector{&answer};
    nl_cb *cb = nl_cb_alloc(NL_CB_CUSTOM);
    nl_cb_set(cb, NL_CB_VALID, NL_CB_CUSTOM, onValid, &collector);
    nl_cb_set(cb, NL_CB_FINISH, NL_CB_CUSTOM, onFinish, &collector);
    nl_cb_set(cb, NL_CB_ACK, NL_CB_CUSTOM, onFinish, &collector);
    nl_cb_err(cb, NL_CB_CUSTOM, onError, &collector);
    const int sent = nl_send_auto(m_sock, msg);
    nlmsg_free(msg);
    if (sent < 0) {
        nl_cb_put(cb);
        answer.error = errnoFromNl(sent);
        return answer;
    }
    // Each receive is bounded by SO_RCVTIMEO; the number of them by the
    // size of any sane table.
    for (int round = 0; !collector.done && round < 10000; ++round) {
        const int rc = nl_recvmsgs(m_sock, cb);
        if (rc == -NLE_DUMP_INTR) {
            collector.error = EINTR;
            break;
        }
        if (collector.done)
            break;
        if (rc < 0) {
            collector.error = errnoFromNl(rc);
            break;
        }
    }
    nl_cb_put(cb);
    if (!collector.done && collector.error == 0)
        collector.error = ETIMEDOUT;
    answer.error = collector.error;
    if (answer.error != 0)
        answer.messages.clear();
    return answer;
}

std::unique_ptr<EventSocket> EventSocket::open(int groupId, QString *error) {
    std::unique_ptr<EventSocket> socket(new EventSocket);
    socket->m_sock = nl_socket_alloc();
    if (!socket->m_sock) {
        *error = QStringLiteral("cannot allocate a netlink socket");
        return nullptr;
    }
    nl_socket_disable_seq_check(socket->m_sock);
    int rc = genl_connect(socket->m_sock);
    if (rc >= 0)
        rc = nl_socket_add_membership(socket->m_sock, groupId);
    if (rc >= 0)
        rc = nl_socket_set_nonblocking(socket->m_sock);
    if (rc < 0) {
        *error = QStringLiteral("cannot listen to nl80211 scan events: %1")
                     .arg(QString::fromLocal8Bit(nl_geterror(rc)));
        return nullptr;
    }
    nl_socket_set_buffer_size(socket->m_sock, 1 << 18, 0);
    return socket;
}

EventSocket::~EventSocket() {
    nl_socket_free(m_sock);
}

int EventSocket::fd() const {
    return nl_socket_get_fd(m_sock);
}

void EventSocket::drain(const std::function<void(std::uint8_t, Bytes)> &handler) {
    struct Context {
        const std::function<void(std::uint8_t, Bytes)> *handler;
    } context{&handler};
    nl_cb *cb = nl_cb_alloc(NL_CB_CUSTOM);
    nl_cb_set(cb, NL_CB_SEQ_CHECK, NL_CB_CUSTOM, noSequenceCheck, nullptr);
    nl_cb_set(
        cb, NL_CB_VALID, NL_CB_CUSTOM,
        [](nl_msg *msg, void *arg) {
            auto *genl = static_cast<genlmsghdr *>(nlmsg_data(nlmsg_hdr(msg)));
            const int length = std::max(genlmsg_attrlen(genl, 0), 0);
            (*static_cast<Context *>(arg)->handler)(
                genl->cmd, Bytes(reinterpret_cast<const std::uint8_t *>(genlmsg_attrdata(genl, 0)),
                                 static_cast<size_t>(length)));
            return static_cast<int>(NL_OK);
        },
        &context);
    // Non-blocking: stops at the first empty read. The bound keeps a flood
    // of events from holding the caller.
    for (int round = 0; round < 256; ++round) {
        // The number of messages read, 0 when the read brought none.
        const int rc = nl_recvmsgs_report(m_sock, cb);
        if (rc == -NLE_AGAIN || rc == 0)
            break;
        if (rc < 0) {
            // An overrun loses events; the scan bookkeeping times out by itself.
            qCInfo(lcNl80211).noquote() << "scan events:" << nl_geterror(rc);
            if (rc != -NLE_NOMEM)
                break;
        }
    }
    nl_cb_put(cb);
}

} // namespace nl80211
