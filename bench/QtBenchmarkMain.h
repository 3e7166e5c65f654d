#pragma once

#include <QCoreApplication>
#include <benchmark/benchmark.h>

// main() for a benchmark whose code needs Qt's application object (event
// loop, timers, queued calls) but draws nothing.
#define AIRLUME_QT_BENCHMARK_MAIN()                                                                \
    int main(int argc, char **argv) {                                                              \
        QCoreApplication app(argc, argv);                                                          \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
