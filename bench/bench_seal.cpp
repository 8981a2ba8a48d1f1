// What signing adds to a save: sealing the saved hole file and its report
// (hashing both, signing the statement, the chain's state and the manifest
// written whole), next to the save of the same hole (BM_HoleSave). On the
// disk and, with ram:1, in memory. The report is a real one of that hole.

#include "benchsupport.h"

#include "holefile.h"
#include "holereport.h"
#include "testseal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_SealSavedTest(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QString base = state.range(1) != 0 && QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                                           : QDir::tempPath();
    QTemporaryDir app(base + QStringLiteral("/zpvw-bench-seal-XXXXXX"));
    const QString hole = app.path() + QStringLiteral("/P/12#.CZO");
    QDir().mkpath(app.path() + QStringLiteral("/P"));
    CtrlInfo info;
    info.projectName = QStringLiteral("基准工程");
    info.holeNo = QStringLiteral("12#");
    info.maxDepth = info.holeDepth = n * 10;
    info.moveDistance = 10;
    HoleSaveOptions o;
    o.sync = false;
    QString error;
    if (!saveHoleFile(hole, info, benchHole(n, n * 10, 10), o) || !writeHoleReport(hole, &error)) {
        state.SkipWithError("hole file or report not written");
        return;
    }
    const QStringList files{hole, holeReportPath(hole)};
    const SealFacts facts{info.projectName.get(), info.holeNo.get(), QStringLiteral("2026-12-11 10:00:00")};
    SealResult seal;
    // The first seal makes the device key; it is not what a save pays.
    if (!sealSavedFiles(app.path(), files, facts, &seal, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    for (auto _ : state) {
        if (!sealSavedFiles(app.path(), files, facts, &seal, &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
    }
    state.counters["samples"] = n;
    state.counters["sealed_kB"] = double(QFileInfo(hole).size() + QFileInfo(holeReportPath(hole)).size()) / 1024.0;
}

} // namespace

BENCHMARK(BM_SealSavedTest)
    ->ArgNames({"n", "ram"})
    ->ArgsProduct({{20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
