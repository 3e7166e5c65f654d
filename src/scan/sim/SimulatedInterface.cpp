#include "SimulatedInterface.h"

#include "ScenarioReader.h"
#include "scan/ScanLog.h"
#include "scan/WifiCodes.h"

#include <QElapsedTimer>

namespace {

void setError(QString *error, const QString &text) {
    if (error)
        *error = text;
}

} // namespace

QString SimulatedInterface::demoScenarioPath() {
    return QStringLiteral(":/scenarios/demo.json");
}

std::unique_ptr<SimulatedInterface> SimulatedInterface::fromFile(const QString &path,
                                                                 QString *error) {
    return fromScenario(readScenarioFile(path, error));
}

std::unique_ptr<SimulatedInterface>
SimulatedInterface::fromJson(const QByteArray &json, const QString &sourceName, QString *error) {
    return fromScenario(readScenario(json, sourceName, error));
}

std::unique_ptr<SimulatedInterface> SimulatedInterface::fromScenario(std::optional<Scenario> read) {
    if (!read)
        return nullptr;
    auto iface =
        std::make_unique<SimulatedInterface>(std::make_shared<const Scenario>(std::move(*read)));
    if (const QString warning = iface->loadWarning(); !warning.isEmpty())
        qCWarning(lcScan).noquote() << warning;
    return iface;
}

QString SimulatedInterface::loadWarning() const {
    if (!m_scenario || m_scenario->truncationWarning.isEmpty())
        return {};
    return m_scenario->sourceName + QStringLiteral(": ") + m_scenario->truncationWarning;
}

SimulatedInterface::SimulatedInterface(std::shared_ptr<const Scenario> scenario)
    : m_scenario(std::move(scenario))
    , m_powered(m_scenario ? m_scenario->powered : false) {}

SimulatedInterface::~SimulatedInterface() = default;

QString SimulatedInterface::interfaceName() const {
    return m_scenario ? m_scenario->interfaceName : QString();
}

bool SimulatedInterface::powered() const {
    return m_powered;
}

const ScanResult *SimulatedInterface::joinedNetwork() const {
    // A radio that is off is joined to nothing, whatever the recording says.
    if (!m_powered || !m_scenario || m_current >= m_scenario->scans.size())
        return nullptr;
    const ScenarioScan &scan = m_scenario->scans[m_current];
    if (scan.joinedIndex < 0 || scan.joinedIndex >= scan.networks.size())
        return nullptr;
    return &scan.networks[scan.joinedIndex];
}

// A recording's own view of the joined network, where it kept one, stands
// for what the interface reported then.
const JoinedLink *SimulatedInterface::recordedLink() const {
    if (!joinedNetwork())
        return nullptr;
    const ScenarioScan &scan = m_scenario->scans[m_current];
    return scan.link ? &*scan.link : nullptr;
}

QString SimulatedInterface::ssid() const {
    if (const JoinedLink *link = recordedLink())
        return link->ssid;
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->ssid : QString();
}

QString SimulatedInterface::bssid() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->bssid : QString();
}

WlanChannel SimulatedInterface::wlanChannel() const {
    if (const JoinedLink *link = recordedLink())
        return link->channel;
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->wlanChannel() : WlanChannel{};
}

int SimulatedInterface::rssiValue() const {
    if (const JoinedLink *link = recordedLink())
        return link->rssiValue;
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->rssiValue : 0;
}

// The weakest method the network accepts is the one a station without
// further configuration ends up using, so the lowest code stands for the link.
// A parsed beacon announcing no method at all yields -1, shown as unknown.
int SimulatedInterface::security() const {
    if (const JoinedLink *link = recordedLink())
        return link->security;
    const ScanResult *joined = joinedNetwork();
    return joined ? lowestSecurityCode(joined->securityModes) : Security::None;
}

int SimulatedInterface::activePHYMode() const {
    if (const JoinedLink *link = recordedLink())
        return link->phyMode;
    const ScanResult *joined = joinedNetwork();
    return joined ? highestPhyMode(joined->phyModes) : PhyMode::None;
}

int SimulatedInterface::nextScanIndex() const {
    if (m_scansPlayed == 0)
        return 0;
    const int count = static_cast<int>(m_scenario->scans.size());
    if (m_current + 1 < count)
        return m_current + 1;
    return m_scenario->repeat == Scenario::Repeat::Cycle ? 0 : count - 1;
}

std::optional<QList<ScanResult>> SimulatedInterface::currentScan(QString *error) const {
    // Switched off, the radio hears nothing.
    if (!m_powered) {
        setError(error, QStringLiteral("%1 is powered off").arg(interfaceName()));
        return std::nullopt;
    }
    if (!m_scenario || m_scenario->scans.isEmpty()) {
        setError(error, QStringLiteral("%1 has no recorded scans").arg(interfaceName()));
        return std::nullopt;
    }
    const ScenarioScan &scan = m_scenario->scans[m_current];
    if (scan.error) {
        setError(error, QStringLiteral("scan failed on %1 (recorded failure, scans[%2] of %3)")
                            .arg(interfaceName())
                            .arg(m_current)
                            .arg(m_scenario->sourceName));
        return std::nullopt;
    }
    return scan.networks;
}

std::optional<QList<ScanResult>> SimulatedInterface::playNextScan(QString *error) {
    // While the radio is off the recording waits.
    if (m_powered && m_scenario && !m_scenario->scans.isEmpty()) {
        m_current = nextScanIndex();
        ++m_scansPlayed;
    }
    return currentScan(error);
}

void SimulatedInterface::startScan(Answer answer) {
    QMetaObject::invokeMethod(
        this,
        [this, answer = std::move(answer)] {
            QElapsedTimer timer;
            timer.start();
            ScanOutcome outcome;
            outcome.networks = playNextScan(&outcome.error);
            if (m_scenario && m_current < m_scenario->scans.size())
                outcome.recordedAtMs = m_scenario->scans[m_current].timeMs;
            outcome.readUs = timer.nsecsElapsed() / 1000;
            answer(outcome);
        },
        Qt::QueuedConnection);
}

void SimulatedInterface::startRead(Answer answer) {
    QMetaObject::invokeMethod(
        this,
        [this, answer = std::move(answer)] {
            ScanOutcome outcome;
            outcome.networks = currentScan(&outcome.error);
            answer(outcome);
        },
        Qt::QueuedConnection);
}

void SimulatedInterface::setPowerAsync(bool on) {
    // A simulated radio never refuses; it answers later all the same.
    QMetaObject::invokeMethod(
        this,
        [this, on] {
            const bool changed = m_powered != on;
            m_powered = on;
            if (changed)
                Q_EMIT poweredChanged(on);
            Q_EMIT powerSwitchFinished(on, true, QString());
        },
        Qt::QueuedConnection);
}
