// The entry point NetworkManagerLink::create() looks up: the D-Bus client on the system bus.
#include "NetworkManagerClient.h"

extern "C" Q_DECL_EXPORT NetworkManagerLink *airlumeNetworkManagerLink() {
    return new NetworkManagerClient(QDBusConnection::systemBus());
}
