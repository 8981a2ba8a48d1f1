// Opening a repeat test for review looks for the test before it: one folder
// listing of a project of 5,000 hole files, the names of the hole's tests,
// and one read of the earlier file (a 20 m hole sampled every 10 mm).

#include "benchsupport.h"

#include "holefile.h"
#include "previoustestload.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_FindPreviousTest(benchmark::State &state)
{
    const int files = int(state.range(0));
    QTemporaryDir dir;
    const QVector<Sample> small = benchHole(10, 500, 50);
    const QVector<Sample> full = benchHole(2001, 20000, 10);
    HoleSaveOptions o;
    o.sync = false;
    CtrlInfo info;
    for (int i = 1; i < files - 1; ++i)
        saveHoleFile(dir.filePath(QStringLiteral("Z%1.CZO").arg(i)), info, small, o);
    info.acceptance.sequence = 1;
    saveHoleFile(dir.filePath(QStringLiteral("Z4242.CZO")), info, full, o);
    info.acceptance.sequence = 3;
    const QString reviewed = dir.filePath(QStringLiteral("Z4242-3.CZO"));
    saveHoleFile(reviewed, info, full, o);
    for (auto _ : state) {
        const PreviousTest t = findPreviousTest(reviewed, 3);
        if (t.samples.size() != full.size())
            state.SkipWithError("previous test not found");
        benchmark::DoNotOptimize(t.samples.constData());
    }
}

} // namespace

BENCHMARK(BM_FindPreviousTest)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
