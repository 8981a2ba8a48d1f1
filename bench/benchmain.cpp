// zpvw-bench: figures for the refresh of the measurement screen, the hole
// file, the acquisition cycle and the start-up of the main screen. Run by
// scripts/bench.sh; it prints figures and never judges them. Google
// Benchmark's options apply (--benchmark_filter=Refresh, ...).

#include "benchsupport.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("ZPVW_WINCH"); // the main screen's link stays off
    CBenchAppDir appDir;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    runBenchEnd();
    return 0;
}
