// A page of the browser over a large data folder: listing the folder (newest
// first, as the browser shows it) and making the page's fifteen texts, for a
// project of 5,000 hole files and a data folder of 1,000 projects. What the
// browser does on every "上一页"/"下一页" after a change, and on opening. In
// a project the files are grouped into holes (every tenth hole tested twice)
// and the page's holes read for their verdicts.

#include "benchsupport.h"
#include "browserpage.h"
#include "holefile.h"
#include "holefiles.h"
#include "holelist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_BrowserPageOfHoleFiles(benchmark::State &state)
{
    QTemporaryDir dir;
    const int n = int(state.range(0));
    const QVector<Sample> samples = benchHole(401, 20000, 50);
    int files = 0;
    for (int hole = 1; files < n; ++hole) {
        for (int test = 1; test <= (hole % 10 == 0 ? 2 : 1) && files < n; ++test, ++files) {
            CtrlInfo info;
            info.holeNo = QStringLiteral("Z%1").arg(hole);
            info.acceptance.sequence = test;
            info.acceptance.limitMm = 50;
            info.acceptance.verdict = hole % 3 == 0 ? 1 : 0;
            info.holeQuality = info.acceptance.verdict;
            const QString name = test == 1 ? info.holeNo.get() : QStringLiteral("Z%1-%2").arg(hole).arg(test);
            QFile f(dir.filePath(name + QStringLiteral(".CZO")));
            const QByteArray bytes = encodeHoleFile(info, samples);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
                state.SkipWithError("cannot write the project");
                return;
            }
        }
    }
    int page = 1;
    int holes = 0;
    for (auto _ : state) {
        HoleList list;
        list.load(dir.path());
        holes = list.size();
        const int pages = BrowserPage::pageCount(holes);
        for (int i = 0; i < BrowserPage::itemsPerPage; ++i) {
            const int k = (page - 1) * BrowserPage::itemsPerPage + i;
            if (k < holes)
                benchmark::DoNotOptimize(HoleList::buttonText(list.entry(k)));
        }
        page = page % pages + 1;
    }
    state.counters["files"] = n;
    state.counters["holes"] = holes;
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
