#pragma once
// The measured loop of the refresh benchmarks: one new sample, then one
// refresh, as often as the benchmark asks. The list is brought back to its
// starting length now and then (outside the timing) so that the figure
// belongs to the hole size named, not to a hole that grew during the run.

#include "benchsupport.h"
#include "ctrlinfo.h"
#include "testrecord.h"

#include <benchmark/benchmark.h>
#include <functional>

// Samples added before the list is set back.
constexpr int kRefreshGrowth = 50;

inline void runRefreshLoop(benchmark::State &state, const std::function<void()> &refresh, int magnify = 100)
{
    const int n = int(state.range(0));
    setUpBenchHole(n, 10, magnify);
    const QVector<Sample> start = benchSamples().snapshot();
    refresh(); // the full redraw after the list was replaced is not measured
    int added = 0;
    for (auto _ : state) {
        if (added == kRefreshGrowth) {
            state.PauseTiming();
            benchSamples().assign(start);
            refresh();
            added = 0;
            state.ResumeTiming();
        }
        const int i = n + added;
        benchSamples().append(int(benchRecord().maxDepth) - i * int(benchRecord().moveDistance), benchValue(i));
        refresh();
        ++added;
    }
    state.counters["samples"] = n;
    benchRecord().curveMagnify = 100;
}
