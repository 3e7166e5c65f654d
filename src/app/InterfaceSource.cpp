#include "InterfaceSource.h"

#include "AppLog.h"
#include "scan/WirelessInterface.h"
#include "scan/nl80211/Nl80211Interface.h"
#include "scan/sim/SimulatedInterface.h"

InterfaceSource::InterfaceSource(Opener opener, Lister lister, QObject *parent)
    : QObject(parent)
    , m_opener(opener ? std::move(opener) : Opener(openSource))
    , m_lister(lister ? std::move(lister) : Lister(nl80211InterfaceNames))
    , m_scenarioPath(SimulatedInterface::demoScenarioPath()) {}

InterfaceSource::~InterfaceSource() = default;

bool InterfaceSource::open(const SourceOption &source, QString *error, bool *usageError) {
    if (source.kind == SourceOption::Kind::Scenario)
        m_scenarioPath = source.argument;
    m_note.clear();
    m_current = m_opener(source, error, usageError, &m_note);
    if (!m_note.isEmpty())
        qCInfo(lcApp).noquote() << m_note;
    return m_current != nullptr;
}

bool InterfaceSource::isSimulated() const {
    return m_current && m_current->kind() == WirelessInterface::Kind::Simulated;
}

QString InterfaceSource::adapterInUse() const {
    if (!m_current)
        return {};
    return isSimulated() ? simulatedAdapter : m_current->interfaceName();
}

QStringList InterfaceSource::adapters() const {
    QStringList names = m_lister();
    const QString inUse = adapterInUse();
    if (!inUse.isEmpty() && inUse != simulatedAdapter && !names.contains(inUse))
        names.prepend(inUse);
    names.append(simulatedAdapter);
    return names;
}

QString InterfaceSource::windowTitle() const {
    const QString inUse = adapterInUse();
    if (inUse.isEmpty())
        return QStringLiteral("Airlume");
    return QStringLiteral("Airlume \u2014 %1").arg(inUse);
}

SourceOption InterfaceSource::optionFor(const QString &adapter) const {
    SourceOption option;
    if (adapter == simulatedAdapter) {
        option.kind = SourceOption::Kind::Scenario;
        option.argument = m_scenarioPath;
    } else {
        option.kind = SourceOption::Kind::Nl80211;
        option.argument = adapter;
    }
    return option;
}

bool InterfaceSource::applyAdapterChoice(const QString &choice) {
    if (choice.isEmpty() || choice == adapterInUse())
        return false;
    QString error;
    bool usageError = false;
    QString note;
    std::unique_ptr<WirelessInterface> opened =
        m_opener(optionFor(choice), &error, &usageError, &note);
    if (!opened) {
        const QString reason = QStringLiteral("Cannot use adapter %1: %2").arg(choice, error);
        qCWarning(lcApp).noquote() << reason;
        Q_EMIT adapterRefused(reason);
        return false;
    }
    m_retired = std::move(m_current);
    m_current = std::move(opened);
    m_note.clear();
    qCInfo(lcApp).noquote() << "adapter:" << adapterInUse();
    Q_EMIT interfaceChanged();
    return true;
}

QStringList InterfaceSource::nl80211InterfaceNames() {
    QString error;
    QStringList names;
    const auto entries = Nl80211Interface::listInterfaces(&error);
    if (!entries) {
        qCInfo(lcApp).noquote() << "no Wi-Fi interfaces listed:" << error;
        return names;
    }
    for (const nl80211::InterfaceEntry &entry : *entries) {
        if (!entry.name.isEmpty() && !names.contains(entry.name))
            names.append(entry.name);
    }
    return names;
}
