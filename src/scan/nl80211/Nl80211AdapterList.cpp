#include "Nl80211AdapterList.h"

#include "Nl80211Log.h"
#include "Nl80211Reads.h"
#include "Nl80211Socket.h"
#include "Nl80211Worker.h"

#include <cerrno>
#include <optional>

using namespace nl80211;

namespace {

// Each name once, in the kernel's order; nothing when the kernel cannot be asked.
std::optional<QStringList> namesOf(Requester &requester) {
    QString error;
    const std::optional<QList<InterfaceEntry>> entries = listStations(requester, &error);
    if (!entries) {
        qCInfo(lcNl80211).noquote() << "no Wi-Fi interfaces listed:" << error;
        return std::nullopt;
    }
    QStringList names;
    for (const InterfaceEntry &entry : *entries) {
        if (!entry.name.isEmpty() && !names.contains(entry.name))
            names.append(entry.name);
    }
    return names;
}

// The command socket, opened by the first request: on the worker's thread, like the requests.
class SocketOnFirstUse : public Requester {
public:
    Answer request(std::uint8_t command, int flags, const Fill &fill) override {
        if (!m_socket) {
            QString why;
            m_socket = CommandSocket::open(&why);
            if (!m_socket) {
                qCInfo(lcNl80211).noquote() << "nl80211:" << why;
                return {ENODEV, {}};
            }
        }
        return m_socket->request(command, flags, fill);
    }

private:
    std::unique_ptr<CommandSocket> m_socket;
};

} // namespace

Nl80211AdapterList::Nl80211AdapterList(QObject *parent)
    : Nl80211AdapterList(std::make_unique<SocketOnFirstUse>(), parent) {}

Nl80211AdapterList::Nl80211AdapterList(std::unique_ptr<Requester> requester, QObject *parent)
    : AdapterList(parent)
    , m_worker(std::make_unique<Worker>(std::move(requester), QStringLiteral("adapter list"))) {}

Nl80211AdapterList::~Nl80211AdapterList() = default;

void Nl80211AdapterList::refresh() {
    if (m_listing)
        return;
    m_listing = true;
    m_worker->run<std::optional<QStringList>>(
        this, [](Requester &requester) { return namesOf(requester); },
        [this](const std::optional<QStringList> &names) {
            m_listing = false;
            if (names)
                take(*names);
        });
}
