// A page of the browser over a large data folder: listing the folder (newest
// first, as the browser shows it) and making the page's fifteen texts, for a
// project of 5,000 hole files and a data folder of 1,000 projects. What the
// browser does on every "上一页"/"下一页" after a change, and on opening.

#include "browserpage.h"
#include "holefiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_BrowserPageOfHoleFiles(benchmark::State &state)
{
    QTemporaryDir dir;
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i) {
        QFile f(dir.filePath(QStringLiteral("Z%1.CZO").arg(i + 1)));
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(596, 'x')) != 596) {
            state.SkipWithError("cannot write the project");
            return;
        }
    }
    int page = 1;
    for (auto _ : state) {
        const QStringList names = HoleFiles::listHoleFiles(dir.path());
        const int pages = BrowserPage::pageCount(names.size());
        benchmark::DoNotOptimize(BrowserPage::page(names, page, true));
        page = page % pages + 1;
    }
    state.counters["files"] = n;
}

void BM_BrowserPageOfProjects(benchmark::State &state)
{
    QTemporaryDir dir;
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i) {
        if (!QDir(dir.path()).mkdir(QStringLiteral("工程%1").arg(i + 1))) {
            state.SkipWithError("cannot make the projects");
            return;
        }
    }
    int page = 1;
    for (auto _ : state) {
        const QStringList names = HoleFiles::listProjects(dir.path());
        const int pages = BrowserPage::pageCount(names.size());
        benchmark::DoNotOptimize(BrowserPage::page(names, page, false));
        page = page % pages + 1;
    }
    state.counters["projects"] = n;
}

} // namespace

BENCHMARK(BM_BrowserPageOfHoleFiles)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BrowserPageOfProjects)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
