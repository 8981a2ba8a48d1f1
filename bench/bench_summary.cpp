// The project record of a large project: 2,000 holes with a repeat test for
// every tenth, from bytes already in memory (what an archive hands over) and
// from a folder on the disk (what the browser and zpvw-hole do), CSV included.

#include "benchsupport.h"

#include "holefile.h"
#include "projectsummary.h"
#include "summarywriters.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The files of a project of `holes` holes of `samples` samples each.
QVector<HoleFileBytes> benchProject(int holes, int samples)
{
    QVector<HoleFileBytes> files;
    const QVector<Sample> v = benchHole(samples, samples * 50, 50);
    for (int i = 0; i < holes; ++i) {
        for (int test = 1; test <= (i % 10 == 0 ? 2 : 1); ++test) {
            CtrlInfo info;
            info.projectName = QStringLiteral("基准工程");
            info.holeNo = QStringLiteral("Z%1").arg(i + 1);
            info.testDate = QStringLiteral("2026-12-%1").arg(test, 2, 10, QLatin1Char('0'));
            info.testTime = QStringLiteral("10:00:00");
            info.maxDepth = samples * 50;
            info.sedimentThickness = (i * 7 + test) % 12;
            info.acceptance.code = QStringLiteral("JGJ 94-2008");
            info.acceptance.pileType = QStringLiteral("端承桩");
            info.acceptance.limitMm = 50;
            info.acceptance.verdict = info.sedimentThickness * 10 <= 50 ? 0 : 1;
            info.holeQuality = info.acceptance.verdict;
            info.acceptance.position = MeasuringPosition::Centre + i % 2;
            info.acceptance.sequence = test;
            const QString name = test == 1 ? info.holeNo.get() : QStringLiteral("%1-%2").arg(info.holeNo.get()).arg(test);
            files.append({name + QStringLiteral(".CZO"), encodeHoleFile(info, v)});
        }
    }
    return files;
}

void report(benchmark::State &state, const ProjectSummary &s, qint64 bytes)
{
    state.counters["holes"] = s.tested();
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_ProjectSummaryFromBytes(benchmark::State &state)
{
    const QVector<HoleFileBytes> files = benchProject(int(state.range(0)), int(state.range(1)));
    qint64 bytes = 0;
    for (const HoleFileBytes &f : files)
        bytes += f.bytes.size();
    ProjectSummary s;
    for (auto _ : state) {
        s = summarizeProject(files);
        benchmark::DoNotOptimize(projectSummaryCsv(s));
    }
    report(state, s, bytes);
}

void BM_ProjectSummaryFromFolder(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 bytes = 0;
    for (const HoleFileBytes &f : benchProject(int(state.range(0)), int(state.range(1)))) {
        QFile out(dir.filePath(f.fileName));
        if (!out.open(QIODevice::WriteOnly) || out.write(f.bytes) != f.bytes.size()) {
            state.SkipWithError("cannot write the project");
            return;
        }
        bytes += f.bytes.size();
    }
    ProjectSummary s;
    for (auto _ : state) {
        s = summarizeProjectFolder(dir.path());
        benchmark::DoNotOptimize(projectSummaryCsv(s));
    }
    report(state, s, bytes);
}

void summaryArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"holes", "samples"});
    b->Args({2000, 401});  // 20 m at 50 mm
    b->Args({2000, 2001}); // 20 m at 10 mm
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_ProjectSummaryFromBytes)->Apply(summaryArgs);
BENCHMARK(BM_ProjectSummaryFromFolder)->Apply(summaryArgs);
