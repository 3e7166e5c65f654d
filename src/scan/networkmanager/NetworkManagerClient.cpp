#include "scan/networkmanager/NetworkManagerClient.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString ManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString WirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString WirelessEnabled = QStringLiteral("WirelessEnabled");

const QString NotAllowedError = QStringLiteral("org.freedesktop.NetworkManager.Device.NotAllowed");

const QString BusService = QStringLiteral("org.freedesktop.DBus");
const QString BusPath = QStringLiteral("/org/freedesktop/DBus");

// Device lookup is a table read inside NetworkManager; RequestScan may wait on a polkit
// prompt, so it keeps D-Bus's default timeout.
constexpr int LookupTimeoutMs = 5000;

QDBusMessage nmCall(const QString &path, const QString &interface, const QString &method) {
    QDBusMessage msg = QDBusMessage::createMethodCall(Service, path, interface, method);
    // NetworkManager ships a D-Bus activation file: a scan or a property read must not start a
    // service the user has stopped.
    msg.setAutoStartService(false);
    return msg;
}

bool isServiceAbsent(const QDBusError &error) {
    return error.type() == QDBusError::ServiceUnknown ||
           error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

// The errors every call shares: no bus, or no NetworkManager on it.
QString commonErrorText(const QDBusError &error) {
    if (error.type() == QDBusError::Disconnected)
        return QStringLiteral("the D-Bus connection is not open");
    if (isServiceAbsent(error))
        return QStringLiteral("NetworkManager is not running");
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return QStringLiteral("NetworkManager did not answer in time");
    return {};
}

QString describe(const QDBusError &error) {
    if (QString common = commonErrorText(error); !common.isEmpty())
        return common;
    if (error.message().isEmpty())
        return error.name();
    return error.message();
}

} // namespace

NetworkManagerClient::NetworkManagerClient(const QDBusConnection &bus, QObject *parent)
    : NetworkManagerLink(parent)
    , m_bus(bus) {
    if (!m_bus.isConnected()) {
        m_availabilityKnown = true; // no bus, no NetworkManager
        return;
    }
    // Watch before asking, so NetworkManager appearing in between still gets noticed: the bus
    // daemon answers the question after it has taken the watch.
    m_watcher =
        new QDBusServiceWatcher(Service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                onOwnerChanged(newOwner);
            });
    // Any sender is heard here and only NetworkManager's own signals are taken: a match on
    // its well-known name would make Qt look up the owner with a blocking call.
    m_bus.connect(QString(), ManagerPath, PropertiesInterface, QStringLiteral("PropertiesChanged"),
                  this, SLOT(onPropertiesChanged(QDBusMessage)));

    QDBusMessage ask =
        QDBusMessage::createMethodCall(BusService, BusPath, BusService, "GetNameOwner");
    ask << Service;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QString> reply = *w;
        // An owner change seen meanwhile is newer than this answer.
        if (!m_availabilityKnown)
            onOwnerChanged(reply.isError() ? QString() : reply.value());
    });
}

NetworkManagerClient::~NetworkManagerClient() = default;

void NetworkManagerClient::onOwnerChanged(const QString &newOwner) {
    const bool wasKnown = m_availabilityKnown;
    m_availabilityKnown = true;
    const QString oldOwner = m_owner;
    m_owner = newOwner;
    const bool available = !newOwner.isEmpty();
    if (available && newOwner != oldOwner)
        readProperties(); // a new process: its switch may differ
    if (!available)
        setWirelessEnabledValue(std::nullopt);
    // An owner handing over straight to another (a replacement) stays available: no event.
    if (available == m_available && wasKnown)
        return;
    m_available = available;
    Q_EMIT availabilityChanged(available);
}

void NetworkManagerClient::readProperties() {
    QDBusMessage getAll = nmCall(ManagerPath, PropertiesInterface, QStringLiteral("GetAll"));
    getAll << ManagerInterface;
    const QString owner = m_owner;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(getAll), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, owner](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *w;
                if (owner != m_owner || reply.isError())
                    return; // gone or replaced meanwhile; a replacement is read on its own
                const QVariant value = reply.value().value(WirelessEnabled);
                if (value.typeId() == QMetaType::Bool)
                    setWirelessEnabledValue(value.toBool());
            });
}

void NetworkManagerClient::onPropertiesChanged(const QDBusMessage &message) {
    const QList<QVariant> args = message.arguments();
    if (m_owner.isEmpty() || message.service() != m_owner || args.size() < 2 ||
        args.at(0).toString() != ManagerInterface)
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
    if (const auto it = changed.constFind(WirelessEnabled); it != changed.constEnd()) {
        QVariant value = *it;
        if (value.canConvert<QDBusVariant>())
            value = value.value<QDBusVariant>().variant();
        if (value.typeId() == QMetaType::Bool)
            setWirelessEnabledValue(value.toBool());
    } else if (args.size() > 2 && qdbus_cast<QStringList>(args.at(2)).contains(WirelessEnabled)) {
        readProperties(); // changed without its value: ask for it
    }
}

void NetworkManagerClient::setWirelessEnabledValue(std::optional<bool> value) {
    if (value == m_wirelessEnabled)
        return;
    m_wirelessEnabled = value;
    Q_EMIT wirelessEnabledChanged();
}

NetworkManagerClient::ScanState &NetworkManagerClient::stateFor(const QString &interfaceName) {
    ScanState &state = m_scans[interfaceName];
    if (state.deferred == nullptr) {
        state.deferred = new QTimer(this);
        state.deferred->setSingleShot(true);
        // A coarse timer may fire a little early, straight into another refusal.
        state.deferred->setTimerType(Qt::PreciseTimer);
        connect(state.deferred, &QTimer::timeout, this,
                [this, interfaceName] { startScan(interfaceName); });
    }
    return state;
}

void NetworkManagerClient::requestScan(const QString &interfaceName) {
    if (interfaceName.isEmpty()) {
        // Queued so the caller never sees the answer re-entrantly, as with a real reply.
        QMetaObject::invokeMethod(
            this,
            [this] {
                Q_EMIT scanRequestFinished(QString(), false,
                                           QStringLiteral("no interface name given"));
            },
            Qt::QueuedConnection);
        return;
    }

    ScanState &state = stateFor(interfaceName);
    if (!state.holdOffUntil.hasExpired()) {
        // Re-arm for the time left rather than drop: the caller still gets a scan, as soon as
        // NetworkManager will take one. One timer per interface keeps it to one pending.
        state.deferred->start(std::chrono::milliseconds(state.holdOffUntil.remainingTime()));
        return;
    }
    startScan(interfaceName);
}

void NetworkManagerClient::startScan(const QString &interfaceName) {
    ScanState &state = stateFor(interfaceName);
    if (state.inFlight)
        return; // its answer will serve this request too
    state.deferred->stop();
    state.inFlight = true;

    if (!m_bus.isConnected()) {
        // Qt hands back a null pending call here, whose watcher would never fire.
        QMetaObject::invokeMethod(
            this,
            [this, interfaceName] {
                finishScan(interfaceName, false,
                           QStringLiteral("the D-Bus connection is not open"));
            },
            Qt::QueuedConnection);
        return;
    }

    QDBusMessage lookup =
        nmCall(ManagerPath, ManagerInterface, QStringLiteral("GetDeviceByIpIface"));
    lookup << interfaceName;
    // Parented to this: destroying the client drops the watcher and with it the reply.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(lookup, LookupTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, interfaceName](QDBusPendingCallWatcher *w) { onDeviceFound(interfaceName, w); });
}

void NetworkManagerClient::onDeviceFound(const QString &interfaceName,
                                         QDBusPendingCallWatcher *watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        QString text = commonErrorText(reply.error());
        if (text.isEmpty()) {
            // NetworkManager answers UnknownDevice; any other refusal here means the same.
            text = QStringLiteral("NetworkManager has no device named '%1' (%2)")
                       .arg(interfaceName, reply.error().message());
        }
        finishScan(interfaceName, false, text);
        return;
    }

    QDBusMessage scan =
        nmCall(reply.value().path(), WirelessInterface, QStringLiteral("RequestScan"));
    scan << QVariantMap(); // empty a{sv}: a plain scan with NetworkManager's own choices
    auto *next = new QDBusPendingCallWatcher(m_bus.asyncCall(scan), this);
    connect(next, &QDBusPendingCallWatcher::finished, this,
            [this, interfaceName](QDBusPendingCallWatcher *w) { onScanReplied(interfaceName, w); });
}

void NetworkManagerClient::onScanReplied(const QString &interfaceName,
                                         QDBusPendingCallWatcher *watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<> reply = *watcher;
    if (!reply.isError()) {
        finishScan(interfaceName, true, QString());
        return;
    }

    const QDBusError error = reply.error();
    if (error.name() == NotAllowedError) {
        // NetworkManager said "not now" (too soon after a scan, already scanning, or the device
        // is not ready); asking again before the hold-off only earns the same answer.
        stateFor(interfaceName).holdOffUntil = QDeadlineTimer(m_holdOff);
        const QString text =
            error.message().contains(QLatin1String("unavailable"), Qt::CaseInsensitive)
                ? QStringLiteral("scanning not allowed: %1").arg(error.message())
                : QStringLiteral("rate-limited");
        finishScan(interfaceName, false, text);
        return;
    }
    if (error.type() == QDBusError::UnknownMethod || error.type() == QDBusError::UnknownInterface) {
        // The device exists but has no Wireless interface: wired, bridge, loopback...
        finishScan(interfaceName, false,
                   QStringLiteral("'%1' is not a Wi-Fi device").arg(interfaceName));
        return;
    }
    finishScan(interfaceName, false, describe(error));
}

void NetworkManagerClient::finishScan(const QString &interfaceName, bool ok, const QString &error) {
    // Cleared before emitting, so a receiver that asks again at once is heard.
    stateFor(interfaceName).inFlight = false;
    Q_EMIT scanRequestFinished(interfaceName, ok, error);
}

void NetworkManagerClient::setWirelessEnabled(bool on) {
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            this,
            [this, on] {
                Q_EMIT wirelessSwitchFinished(on, false,
                                              QStringLiteral("the D-Bus connection is not open"));
            },
            Qt::QueuedConnection);
        return;
    }
    QDBusMessage set = nmCall(ManagerPath, PropertiesInterface, QStringLiteral("Set"));
    set << ManagerInterface << WirelessEnabled << QVariant::fromValue(QDBusVariant(on));
    // D-Bus's default timeout: the change may wait on a polkit prompt.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(set), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, on](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<> reply = *w;
                Q_EMIT wirelessSwitchFinished(
                    on, !reply.isError(), reply.isError() ? describe(reply.error()) : QString());
            });
}

void NetworkManagerClient::setScanHoldOff(std::chrono::milliseconds holdOff) {
    m_holdOff = holdOff;
}
