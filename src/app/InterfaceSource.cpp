#include "InterfaceSource.h"

#include "AppLog.h"
#include "scan/WirelessInterface.h"
#include "scan/nl80211/Nl80211AdapterList.h"
#include "scan/sim/SimulatedInterface.h"

InterfaceSource::InterfaceSource(Opener opener, Switcher switcher,
                                 std::unique_ptr<AdapterList> adapterList, QObject *parent)
    : QObject(parent)
    , m_opener(opener ? std::move(opener) : Opener(openSource))
    , m_switcher(switcher ? std::move(switcher) : Switcher(openSourceLater))
    , m_adapterList(adapterList ? std::move(adapterList) : std::make_unique<Nl80211AdapterList>())
    , m_scenarioPath(SimulatedInterface::demoScenarioPath()) {
    connect(m_adapterList.get(), &AdapterList::changed, this, &InterfaceSource::adaptersChanged);
}

InterfaceSource::~InterfaceSource() = default;

bool InterfaceSource::open(const SourceOption &source, QString *error, bool *usageError) {
    if (source.kind == SourceOption::Kind::Scenario)
        m_scenarioPath = source.argument;
    m_note.clear();
    m_current = m_opener(source, error, usageError, &m_note);
    if (!m_note.isEmpty())
        qCInfo(lcApp).noquote() << m_note;
    refreshAdapters();
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
    QStringList names = m_adapterList->names();
    const QString inUse = adapterInUse();
    if (!inUse.isEmpty() && inUse != simulatedAdapter && !names.contains(inUse))
        names.prepend(inUse);
    names.append(simulatedAdapter);
    return names;
}

void InterfaceSource::refreshAdapters() {
    m_adapterList->refresh();
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

void InterfaceSource::applyAdapterChoice(const QString &choice) {
    const quint64 serial = ++m_choice;
    if (choice.isEmpty() || choice == adapterInUse())
        return;
    m_switcher(
        optionFor(choice), this,
        [this, choice, serial](std::unique_ptr<WirelessInterface> opened, const QString &error) {
            if (serial != m_choice)
                return; // another choice came since
            if (!opened) {
                const QString reason =
                    QStringLiteral("Cannot use adapter %1: %2").arg(choice, error);
                qCWarning(lcApp).noquote() << reason;
                Q_EMIT adapterRefused(reason);
                return;
            }
            m_retired = std::move(m_current);
            m_current = std::move(opened);
            m_note.clear();
            qCInfo(lcApp).noquote() << "adapter:" << adapterInUse();
            Q_EMIT interfaceChanged();
        });
}
