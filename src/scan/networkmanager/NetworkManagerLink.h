#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

// What the radio code asks of NetworkManager: scan requests and the Wi-Fi switch. The D-Bus
// client behind it (NetworkManagerClient) lives in a plugin that is loaded on first use, so a
// program that never needs NetworkManager (a scan run as root) never loads QtDBus and the
// D-Bus libraries. Nothing here waits: answers come through the signals, never from inside a
// call.
class NetworkManagerLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~NetworkManagerLink() override;

    // The D-Bus client on the system bus, from the plugin; when the plugin cannot be loaded,
    // a link that reports NetworkManager absent (the reason is logged once).
    static std::unique_ptr<NetworkManagerLink> create();
    // A link to no NetworkManager: known absent from the start, every request refused.
    static std::unique_ptr<NetworkManagerLink> absent(const QString &reason);

    // NetworkManager is on the bus, as last heard; false until the first answer.
    virtual bool isAvailable() const = 0;
    // The first answer about availability has come (announced with availabilityChanged unless
    // it was known at once).
    virtual bool availabilityKnown() const = 0;
    // Answered later through scanRequestFinished; requests in flight merge.
    virtual void requestScan(const QString &interfaceName) = 0;
    // NetworkManager's WirelessEnabled as last heard; nothing while unknown.
    virtual std::optional<bool> wirelessEnabled() const = 0;
    // Answered later through wirelessSwitchFinished.
    virtual void setWirelessEnabled(bool on) = 0;

Q_SIGNALS:
    void scanRequestFinished(const QString &interfaceName, bool ok, const QString &error);
    void availabilityChanged(bool available);
    void wirelessEnabledChanged();
    void wirelessSwitchFinished(bool on, bool ok, const QString &error);
};
