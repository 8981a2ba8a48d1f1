// What signing adds to a save of 20,000 samples: sealing the saved hole file
// and its report (hashing both, signing the statement, the chain's state and
// the manifest written whole). On the disk and, with ram:1, in memory. The
// report is a real one of that hole.
//
// BM_SealSavedTest seals files read back from the disk: the whole work of a
// seal on one core. BM_SaveReportThenSeal is the instrument's way: the hole
// file and the report are hashed while the report is drawn, so the save
// waits after the report only for what is left (the counter seal_after_
// report_ms); report_ms is the report itself, for scale.

#include "benchsupport.h"

#include "holefile.h"
#include "holereport.h"
#include "savedigests.h"
#include "testseal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct SavedHole {
    std::unique_ptr<QTemporaryDir> app;
    QString hole;
    SealFacts facts;
};

// A saved test of n samples with its report, in memory (ram) or on the disk.
bool saveHole(int n, bool ram, SavedHole *out, QString *error)
{
    const QString base = ram && QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                          : QDir::tempPath();
    out->app.reset(new QTemporaryDir(base + QStringLiteral("/zpvw-bench-seal-XXXXXX")));
    out->hole = out->app->path() + QStringLiteral("/P/12#.CZO");
    QDir().mkpath(out->app->path() + QStringLiteral("/P"));
    CtrlInfo info;
    info.projectName = QStringLiteral("基准工程");
    info.holeNo = QStringLiteral("12#");
    info.maxDepth = info.holeDepth = n * 10;
    info.moveDistance = 10;
    HoleSaveOptions o;
    o.sync = false;
    out->facts = {info.projectName.get(), info.holeNo.get(), QStringLiteral("2026-12-11 10:00:00")};
    if (!saveHoleFile(out->hole, info, benchHole(n, n * 10, 10), o) || !writeHoleReport(out->hole, error))
        return false;
    // The first seal makes the device key; it is not what a save pays.
    SealResult seal;
    return sealSavedFiles(out->app->path(), {out->hole, holeReportPath(out->hole)}, out->facts, &seal, error);
}

void BM_SealSavedTest(benchmark::State &state)
{
    SavedHole saved;
    QString error;
    if (!saveHole(int(state.range(0)), state.range(1) != 0, &saved, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const QStringList files{saved.hole, holeReportPath(saved.hole)};
    SealResult seal;
    for (auto _ : state) {
        if (!sealSavedFiles(saved.app->path(), files, saved.facts, &seal, &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
    }
    state.counters["samples"] = double(state.range(0));
    state.counters["hole_kB"] = double(QFileInfo(files.at(0)).size()) / 1024.0;
    state.counters["report_kB"] = double(QFileInfo(files.at(1)).size()) / 1024.0;
}

void BM_SaveReportThenSeal(benchmark::State &state)
{
    SavedHole saved;
    QString error;
    if (!saveHole(int(state.range(0)), state.range(1) != 0, &saved, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const QString report = holeReportPath(saved.hole);
    const QStringList files{saved.hole, report};
    double reportNs = 0, sealNs = 0;
    SealResult seal;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        SaveDigests digests(saved.hole, report);
        if (!writeHoleReport(saved.hole, &error, QString(), digests.report())) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        reportNs += double(t.nsecsElapsed());
        t.restart();
        if (!sealSavedFiles(saved.app->path(), files, saved.facts, &seal, &error, &digests)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        sealNs += double(t.nsecsElapsed());
    }
    const double runs = double(state.iterations());
    state.counters["samples"] = double(state.range(0));
    state.counters["report_ms"] = reportNs / runs / 1e6;
    state.counters["seal_after_report_ms"] = sealNs / runs / 1e6;
}

} // namespace

BENCHMARK(BM_SealSavedTest)
    ->ArgNames({"n", "ram"})
    ->ArgsProduct({{20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_SaveReportThenSeal)
    ->ArgNames({"n", "ram"})
    ->ArgsProduct({{20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();
