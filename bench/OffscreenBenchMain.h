#pragma once
// The main of the benchmarks that build the program's widgets: on the offscreen platform,
// so that they run on a machine without a display.
#include <benchmark/benchmark.h>

#include <QApplication>

#define LOOM_OFFSCREEN_BENCHMARK_MAIN()          \
    int main(int argc, char** argv) {            \
        qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication application(argc, argv);    \
        benchmark::Initialize(&argc, argv);      \
        benchmark::RunSpecifiedBenchmarks();     \
        benchmark::Shutdown();                   \
        return 0;                                \
    }
