#pragma once

#include "ScenarioReader.h"
#include "scan/WirelessInterface.h"

#include <memory>
#include <optional>

// A radio that plays a scenario file: each scan plays the next recorded scan.
// The joined network is that of the scan played last (of the first one before
// any scan); the power state starts from the file and follows setPowerAsync().
// Answers come through the event loop, as a real radio's do, and the
// recording moves on when a scan is answered.
class SimulatedInterface : public WirelessInterface {
public:
    // The bundled demo scenario, the default source on a machine without Wi-Fi.
    static QString demoScenarioPath();

    // Reads and checks a scenario file; nothing and a message naming the
    // file, the place and the problem when it cannot be used.
    static std::unique_ptr<SimulatedInterface> fromFile(const QString &path, QString *error);
    static std::unique_ptr<SimulatedInterface> fromJson(const QByteArray &json,
                                                        const QString &sourceName, QString *error);

    explicit SimulatedInterface(std::shared_ptr<const Scenario> scenario);
    // Why part of the file was left out (a recording's last line cut short),
    // naming the file; empty when it was read whole. Logged when loaded.
    QString loadWarning() const;
    ~SimulatedInterface() override;

    Kind kind() const override { return Kind::Simulated; }
    QString interfaceName() const override;
    bool powered() const override;
    QString ssid() const override;
    QString bssid() const override;
    WlanChannel wlanChannel() const override;
    int rssiValue() const override;
    int security() const override;
    int activePHYMode() const override;
    void setPowerAsync(bool on) override;

    // Plays the next recorded scan at once: what an answered scan does.
    std::optional<QList<ScanResult>> playNextScan(QString *error);
    // The scan the interface shows now, without moving on.
    std::optional<QList<ScanResult>> currentScan(QString *error) const;

    int scansPlayed() const { return m_scansPlayed; }
    // Index into the scenario's scans of the one the interface shows.
    int currentScanIndex() const { return m_current; }

protected:
    void startScan(Answer answer) override;
    void startRead(Answer answer) override;

private:
    static std::unique_ptr<SimulatedInterface> fromScenario(std::optional<Scenario> read);
    const ScanResult *joinedNetwork() const;
    const JoinedLink *recordedLink() const;
    int nextScanIndex() const;

    std::shared_ptr<const Scenario> m_scenario;
    int m_current = 0; // index of the scan whose state the interface shows
    int m_scansPlayed = 0;
    bool m_powered = true;
};
