// Export History with the history at its bound, two million lines (20000
// ticks of 100 networks): what the UI thread pays (the snapshot, and the
// copy of the shared last block at the next tick), against the whole export
// a worker does (text made chunk by chunk and written atomically), and the
// whole text made at once and written, as the UI thread once did.
#include "QtBenchmarkMain.h"
#include "netlist/CsvFile.h"
#include "netlist/SessionHistory.h"
#include "settings/PreferenceStore.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kNetworks = 100;
constexpr int kTicks = 20000;
constexpr qint64 kStart = 1714564800000; // 2024-05-01T12:00:00Z

const Preferences &prefs() {
    static Preferences p(std::make_shared<MemoryPreferenceStore>());
    static const bool defaults = (p.writeLaunchDefaults(), true);
    Q_UNUSED(defaults);
    return p;
}

ScanTick tickAt(int t, const NetworkList &listed) {
    for (const NetworkModelPtr &r : listed)
        r->availableCount = t + 2;
    ScanTick tick;
    tick.counter = t + 2;
    tick.displayList = listed;
    tick.joined = listed.first();
    tick.heard.timeMs = kStart + qint64(t) * 4000; // 20000 ticks stay within the day
    return tick;
}

NetworkList networks() {
    NetworkList listed;
    for (int n = 0; n < kNetworks; ++n) {
        ScanResult r;
        r.bssid = QStringLiteral("02:00:00:00:%1:%2")
                      .arg(n / 256, 2, 16, QLatin1Char('0'))
                      .arg(n % 256, 2, 16, QLatin1Char('0'));
        r.ssid = QStringLiteral("Network %1").arg(n);
        r.rssiValue = -40 - n % 50;
        r.channelNumber = 1 + n % 13;
        r.channelBand = 1;
        listed.append(std::make_shared<NetworkModel>(r));
    }
    return listed;
}

SessionHistory &fullHistory() {
    static SessionHistory history = [] {
        SessionHistory h;
        const NetworkList listed = networks();
        for (int t = 0; t < kTicks; ++t)
            h.addTick(tickAt(t, listed));
        return h;
    }();
    return history;
}

// On the UI thread: the snapshot the export takes (0); that and the next
// tick, which copies the last block the snapshot shares (1); a tick alone (2).
void BM_SnapshotOnCaller(benchmark::State &state) {
    SessionHistory &history = fullHistory();
    const NetworkList listed = networks();
    int t = kTicks;
    for (auto _ : state) {
        if (state.range(0) != 2) {
            HistorySnapshot snapshot = history.snapshot(prefs());
            benchmark::DoNotOptimize(snapshot);
        }
        if (state.range(0) != 0)
            history.addTick(tickAt(t++, listed));
    }
    state.counters["rows"] = static_cast<double>(history.rowCount());
}
BENCHMARK(BM_SnapshotOnCaller)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The worker's whole job: snapshot, text in chunks, atomic write.
void BM_ExportTotal(benchmark::State &state) {
    SessionHistory &history = fullHistory();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    QString error;
    for (auto _ : state) {
        if (!history.snapshot(prefs()).writeCsv(path, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ExportTotal)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole text at once, then written: what the UI thread used to pay.
void BM_WholeTextAtOnce(benchmark::State &state) {
    SessionHistory &history = fullHistory();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    QString error;
    for (auto _ : state) {
        if (!writeCsvFile(path, history.csv(prefs()), &error))
            state.SkipWithError(qPrintable(error));
    }
}
BENCHMARK(BM_WholeTextAtOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

AIRLUME_QT_BENCHMARK_MAIN()
