// One sampling pass of the signal-history graph over 50 sampled networks,
// given the interface's current results (the read itself is not measured).
#include "QtBenchmarkMain.h"
#include "graph/PlottingState.h"
#include "graph/SignalHistory.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

ScanResult heardNetwork(int i) {
    ScanResult r;
    r.ssid = QStringLiteral("Net-%1").arg(i);
    r.bssid = QStringLiteral("02:00:00:00:%1:%2")
                  .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                  .arg(i & 0xff, 2, 16, QLatin1Char('0'));
    r.rssiValue = -30 - (i * 7) % 60;
    return r;
}

// The read holds twice as many networks as are sampled; every sampled one
// is heard, so none is dropped however long the benchmark runs.
void BM_SamplingPass(benchmark::State &state) {
    const int sampled = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    auto store = std::make_shared<SettingsPreferenceStore>(dir.filePath("prefs.ini"));
    Preferences prefs(store);
    prefs.writeLaunchDefaults();
    prefs.setValue(Preferences::displayUnitsKey, Preferences::percent);
    PlottingState plotting;
    QList<ScanResult> current;
    for (int i = 0; i < 2 * sampled; ++i) {
        current.append(heardNetwork(i));
        if (i % 2 == 0)
            plotting.setPlotted(std::make_shared<NetworkModel>(current.last()), true);
    }
    SignalHistory history(plotting, prefs, {});
    // Histories at their limit: the steady state after a few minutes.
    for (int i = 0; i < SignalHistory::historyLimit; ++i)
        history.applyCurrentNetworks(current);
    for (auto _ : state) {
        history.applyCurrentNetworks(current);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * sampled);
}
BENCHMARK(BM_SamplingPass)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

AIRLUME_QT_BENCHMARK_MAIN()
