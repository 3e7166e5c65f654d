// One polling tick end to end: scan, merge into the long-lived list, sort,
// pin the joined network, and the radar's one-record-per-SSID list.
#include "QtBenchmarkMain.h"
#include "SteadyRadio.h"
#include "scan/ScanCycle.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_PollingTick(benchmark::State &state) {
    SteadyRadio radio(static_cast<int>(state.range(0)), 100);
    Preferences prefs(std::make_shared<MemoryPreferenceStore>());
    prefs.writeLaunchDefaults();
    ScanCycle cycle([&radio] { return &radio; }, prefs);
    bool reloaded = false;
    QObject::connect(&cycle, &ScanCycle::graphReloadRequested, [&] { reloaded = true; });
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

AIRLUME_QT_BENCHMARK_MAIN()
