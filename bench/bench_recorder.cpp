// What recording a session adds to each tick: the tick's scan as one JSON
// line (raw networks with their elements in hex, the joined network), and
// that line written and synced to the disk.
#include "scan/sim/ScenarioRecorder.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// `count` networks with a typical beacon body each: SSID, rates, DS, TIM,
// country, HT and VHT capability and operation, RSN, a vendor element:
// about 300 bytes.
HeardScan heardScan(int count) {
    const QByteArray body = QByteArray::fromHex(
        "000a48656c6c6f576f726c64010882848b960c12182403010b0504000100000706444520010d14"
        "2d1a6f0017ffff0000000000000000000001000000000000000000003d160b070000000000000000"
        "00000000000000000000000030140100000fac040100000fac040100000fac020c00bf0cb0010000"
        "faff0000faff0000c005019b00fcffdd180050f2020101800003a4000027a4000042435e0062322f00"
        "dd0900037f01010000ff7fdd1a0050f204104a0001101044000102103c0001031049000600372a00"
        "0120");
    HeardScan heard;
    QList<ScanResult> networks;
    for (int i = 0; i < count; ++i) {
        ScanResult r;
        r.bssid = QStringLiteral("02:00:00:00:%1:%2")
                      .arg(i / 256, 2, 16, QLatin1Char('0'))
                      .arg(i % 256, 2, 16, QLatin1Char('0'));
        r.rssiValue = -40 - i % 50;
        r.frequencyMhz = 2412 + 5 * (i % 13);
        r.capability = 0x0411;
        r.ies = body;
        networks.append(r);
    }
    heard.networks = networks;
    heard.link =
        JoinedLink{QStringLiteral("HelloWorld"), networks.at(0).bssid, {1, 1, 1}, -40, 4, 4};
    heard.timeMs = QDateTime::currentMSecsSinceEpoch();
    return heard;
}

void BM_ScanLine(benchmark::State &state) {
    const HeardScan heard = heardScan(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ScenarioRecorder::scanLine(heard));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScanLine)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Serialised, written and synced, as append() does each tick. The file is
// reopened when it grows large, so the limits never stop the run.
void BM_AppendTick(benchmark::State &state) {
    const HeardScan heard = heardScan(static_cast<int>(state.range(0)));
    QTemporaryDir dir;
    ScenarioRecorder recorder;
    const QString path = dir.filePath(QStringLiteral("bench.jsonl"));
    QString error;
    if (!recorder.open(path, QStringLiteral("wlan0"), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    for (auto _ : state) {
        if (recorder.scansWritten() == 1000) {
            state.PauseTiming();
            recorder.open(path, QStringLiteral("wlan0"), &error);
            state.ResumeTiming();
        }
        if (!recorder.append(heard, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendTick)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
