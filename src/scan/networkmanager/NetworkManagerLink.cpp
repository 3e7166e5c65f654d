#include "NetworkManagerLink.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcNetworkManagerLink, "airlume.networkmanager", QtInfoMsg)

namespace {

class AbsentNetworkManager : public NetworkManagerLink {
public:
    explicit AbsentNetworkManager(QString reason)
        : m_reason(std::move(reason)) {}
    bool isAvailable() const override { return false; }
    bool availabilityKnown() const override { return true; }
    void requestScan(const QString &interfaceName) override {
        QMetaObject::invokeMethod(
            this,
            [this, interfaceName] { Q_EMIT scanRequestFinished(interfaceName, false, m_reason); },
            Qt::QueuedConnection);
    }
    std::optional<bool> wirelessEnabled() const override { return std::nullopt; }
    void setWirelessEnabled(bool on) override {
        QMetaObject::invokeMethod(
            this, [this, on] { Q_EMIT wirelessSwitchFinished(on, false, m_reason); },
            Qt::QueuedConnection);
    }

private:
    QString m_reason;
};

using Factory = NetworkManagerLink *(*)();

// Beside the program as installed, then where the build puts it.
Factory loadFactory(QString *error) {
    const QStringList places = {QCoreApplication::applicationDirPath() +
                                    QStringLiteral("/" AIRLUME_PLUGIN_RELATIVE_DIR),
                                QStringLiteral(AIRLUME_PLUGIN_BUILD_DIR)};
    for (const QString &dir : places) {
        QLibrary library(dir + QStringLiteral("/airlume-networkmanager"));
        if (auto factory = reinterpret_cast<Factory>(library.resolve("airlumeNetworkManagerLink")))
            return factory; // the library stays loaded for the rest of the run
        *error = library.errorString();
    }
    return nullptr;
}

} // namespace

NetworkManagerLink::~NetworkManagerLink() = default;

std::unique_ptr<NetworkManagerLink> NetworkManagerLink::create() {
    static QString error;
    static const Factory factory = [] {
        const Factory found = loadFactory(&error);
        if (!found)
            qCWarning(lcNetworkManagerLink).noquote()
                << "NetworkManager cannot be reached, its plugin is missing:" << error;
        return found;
    }();
    if (!factory)
        return absent(QStringLiteral("NetworkManager's plugin is missing"));
    return std::unique_ptr<NetworkManagerLink>(factory());
}

std::unique_ptr<NetworkManagerLink> NetworkManagerLink::absent(const QString &reason) {
    return std::make_unique<AbsentNetworkManager>(reason);
}
