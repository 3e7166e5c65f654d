// The window's polling tick without drawing: scan, merge, display list, the
// table model's reload and the radar's list, wired as the window wires them,
// with the table's selection held on one row as a view would hold it.
#include "QtBenchmarkMain.h"
#include "SteadyRadio.h"
#include "app/TickDispatcher.h"
#include "graph/PlottingState.h"
#include "netlist/NetworkTableModel.h"
#include "netlist/SortDescriptors.h"
#include "netlist/VendorLookup.h"
#include "radar/LocateState.h"
#include "scan/ScanCycle.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// args: networks heard, share of them (percent) whose signal changes per scan
void BM_WindowTick(benchmark::State &state) {
    SteadyRadio radio(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    QTemporaryDir dir;
    Preferences prefs(std::make_shared<SettingsPreferenceStore>(dir.filePath("airlume.ini")));
    prefs.writeLaunchDefaults();
    prefs.setValue(Preferences::vendorLookupKey, Preferences::off);
    VendorLookup vendors(prefs, nullptr);
    vendors.vendorName();
    ScanCycle cycle([&radio] { return &radio; }, prefs);
    PlottingState plotting;
    LocateState locate;
    SortDescriptors sort;
    cycle.setTableSorter(sort.sorter());
    NetworkTableModel model({&prefs, &vendors, &plotting, &locate});
    TickDispatcher ticks(cycle);
    QObject::connect(&ticks, &TickDispatcher::tableTick, &model, [&](const ScanTick &tick) {
        model.setAdapterPowered(radio.powered());
        model.showTick(tick);
    });
    bool done = false;
    QObject::connect(&ticks, &TickDispatcher::graphTick, [&] { done = true; });
    auto tick = [&] {
        done = false;
        cycle.pollingStarts();
        while (!done)
            QCoreApplication::processEvents();
    };
    tick();
    const QPersistentModelIndex selected = model.index(5, NetworkTableModel::Ssid);
    for (auto _ : state)
        tick();
    benchmark::DoNotOptimize(selected.row());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WindowTick)
    ->Args({1000, 0})
    ->Args({1000, 10})
    ->Args({1000, 100})
    ->Args({10000, 0})
    ->Args({10000, 10})
    ->Args({10000, 100})
    ->Unit(benchmark::kMicrosecond);

} // namespace

AIRLUME_QT_BENCHMARK_MAIN()
