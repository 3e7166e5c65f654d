// Drawing the signal-history graph offscreen: 50 lines of 500 points, with a
// gap now and then and a dot every fifth point.
#include "graph/SignalGraph.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

QList<double> line(int network) {
    QList<double> values;
    for (int i = 0; i < 500; ++i)
        values.append(i % 97 == network % 97 ? std::nan("") : -40.0 - (i * 3 + network * 7) % 55);
    return values;
}

void fill(SignalGraph &graph, int lines) {
    for (int n = 0; n < lines; ++n) {
        const QString bssid = QStringLiteral("02:00:00:00:00:%1").arg(n, 2, 16, QLatin1Char('0'));
        graph.configurePlots(bssid, QStringLiteral("  Net ") + bssid,
                             QColor::fromHsv((n * 37) % 360, 200, 220));
        graph.setPlotValues(bssid, line(n));
    }
}

void BM_GraphReplot(benchmark::State &state) {
    SignalGraph graph;
    graph.resize(1280, 320);
    graph.configureAxes(false, 5);
    fill(graph, static_cast<int>(state.range(0)));
    graph.show();
    for (auto _ : state)
        graph.replotNow();
}
BENCHMARK(BM_GraphReplot)->Arg(50)->Unit(benchmark::kMillisecond);

// What a tick costs the graph: every line takes its values, then one replot.
void BM_GraphReload(benchmark::State &state) {
    SignalGraph graph;
    graph.resize(1280, 320);
    graph.configureAxes(false, 5);
    const int lines = static_cast<int>(state.range(0));
    fill(graph, lines);
    graph.show();
    QList<QList<double>> values;
    for (int n = 0; n < lines; ++n)
        values.append(line(n));
    for (auto _ : state) {
        for (int n = 0; n < lines; ++n)
            graph.setPlotValues(QStringLiteral("02:00:00:00:00:%1").arg(n, 2, 16, QLatin1Char('0')),
                                values.at(n));
        graph.replotNow();
    }
}
BENCHMARK(BM_GraphReload)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
