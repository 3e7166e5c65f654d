// One polling tick end to end: scan, merge into the long-lived list, sort,
// pin the joined network, and the radar's one-record-per-SSID list.
#include "scan/ScanCycle.h"
#include "scan/WirelessInterface.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

// A radio that hears the same n networks every scan, signals wobbling.
class SteadyRadio : public WirelessInterface {
public:
    explicit SteadyRadio(int n) {
        for (int i = 0; i < n; ++i) {
            ScanResult r;
            r.ssid = QStringLiteral("Net-%1").arg(i % (n / 3 + 1)); // meshes share names
            r.bssid = QStringLiteral("02:00:00:%1:%2:%3")
                          .arg((i >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                          .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                          .arg(i & 0xff, 2, 16, QLatin1Char('0'));
            r.rssiValue = -30 - (i * 7) % 60;
            r.channelNumber = 1 + i % 11;
            r.channelBand = Band::Ghz2_4;
            r.channelWidth = ChannelWidth::Mhz20;
            r.phyModes.set(PhyMode::N);
            r.securityModes.set(Security::WPA2Personal);
            m_results.append(r);
        }
    }
    Kind kind() const override { return Kind::Simulated; }
    QString interfaceName() const override { return QStringLiteral("bench0"); }
    bool powered() const override { return true; }
    void setPowerAsync(bool) override {}
    QString ssid() const override { return m_results.first().ssid; }
    QString bssid() const override { return m_results.first().bssid; }
    WlanChannel wlanChannel() const override { return m_results.first().wlanChannel(); }
    int rssiValue() const override { return m_results.first().rssiValue; }
    int security() const override { return Security::WPA2Personal; }
    int activePHYMode() const override { return PhyMode::N; }

protected:
    // Answered through the event loop, as every interface answers.
    void startScan(Answer answer) override {
        ++m_scans;
        for (qsizetype i = 0; i < m_results.size(); ++i)
            m_results[i].rssiValue = -30 - static_cast<int>((i * 7 + m_scans) % 60);
        ScanOutcome outcome;
        outcome.networks = m_results;
        QMetaObject::invokeMethod(
            this, [answer, outcome] { answer(outcome); }, Qt::QueuedConnection);
    }
    void startRead(Answer answer) override {
        ScanOutcome outcome;
        outcome.networks = m_results;
        QMetaObject::invokeMethod(
            this, [answer, outcome] { answer(outcome); }, Qt::QueuedConnection);
    }

private:
    QList<ScanResult> m_results;
    int m_scans = 0;
};

void BM_PollingTick(benchmark::State &state) {
    SteadyRadio radio(static_cast<int>(state.range(0)));
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    ScanCycle cycle([&radio] { return &radio; }, prefs);
    bool reloaded = false;
    QObject::connect(&cycle, &ScanCycle::tableReloadRequested, [&] { reloaded = true; });
    for (auto _ : state) {
        reloaded = false;
        cycle.pollingStarts();
        while (!reloaded)
            QCoreApplication::processEvents();
        benchmark::DoNotOptimize(cycle.scanedResults().size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PollingTick)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
