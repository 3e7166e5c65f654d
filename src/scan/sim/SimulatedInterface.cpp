#include "SimulatedInterface.h"

#include "ScenarioReader.h"
#include "scan/WifiCodes.h"

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
    std::optional<Scenario> scenario = readScenarioFile(path, error);
    if (!scenario)
        return nullptr;
    return std::make_unique<SimulatedInterface>(
        std::make_shared<const Scenario>(std::move(*scenario)));
}

std::unique_ptr<SimulatedInterface>
SimulatedInterface::fromJson(const QByteArray &json, const QString &sourceName, QString *error) {
    std::optional<Scenario> scenario = readScenario(json, sourceName, error);
    if (!scenario)
        return nullptr;
    return std::make_unique<SimulatedInterface>(
        std::make_shared<const Scenario>(std::move(*scenario)));
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

QString SimulatedInterface::ssid() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->ssid : QString();
}

QString SimulatedInterface::bssid() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->bssid : QString();
}

WlanChannel SimulatedInterface::wlanChannel() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->wlanChannel() : WlanChannel{};
}

int SimulatedInterface::rssiValue() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? joined->rssiValue : 0;
}

// The weakest method the network accepts is the one a station without
// further configuration ends up using, so the lowest code stands for the link.
// A parsed beacon announcing no method at all yields -1, shown as unknown.
int SimulatedInterface::security() const {
    const ScanResult *joined = joinedNetwork();
    return joined ? lowestSecurityCode(joined->securityModes) : Security::None;
}

int SimulatedInterface::activePHYMode() const {
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

std::optional<QList<ScanResult>> SimulatedInterface::scanForNetworks(QString *error) {
    // Switched off, the radio hears nothing, so the recording waits.
    if (!m_powered) {
        setError(error, QStringLiteral("%1 is powered off").arg(interfaceName()));
        return std::nullopt;
    }
    if (!m_scenario || m_scenario->scans.isEmpty()) {
        setError(error, QStringLiteral("%1 has no recorded scans").arg(interfaceName()));
        return std::nullopt;
    }
    m_current = nextScanIndex();
    ++m_scansPlayed;
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

bool SimulatedInterface::setPower(bool on, QString *error) {
    Q_UNUSED(error); // a simulated radio never refuses
    m_powered = on;
    return true;
}
