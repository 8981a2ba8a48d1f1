// The acquisition thread's decision per cycle (runAcqCycle), alone and with
// its sample operation carried out on a sample list.

#include "acqcycle.h"
#include "acqstate.h"
#include "ctrlinfo.h"
#include "testrecord.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kStep = 10;
// Deep enough that no run reaches the top.
constexpr int32_t kHoleDepth = 100000000;

AcqCycleInput raisingInput()
{
    AcqCycleInput in;
    in.stateWord = AcqState::Raising;
    in.moveDistance = kStep;
    in.holeDepth = kHoleDepth;
    in.maxDepth = kHoleDepth;
    return in;
}

// Every cycle the probe has reached the next depth point: one new sample.
void BM_AcqCycleNewSample(benchmark::State &state)
{
    AcqCycleInput in = raisingInput();
    AcqCycleVars vars;
    vars.expectedHeight = kStep;
    for (auto _ : state) {
        in.readHeight = in.waveHeight = vars.expectedHeight;
        AcqCycleResult r = runAcqCycle(in, vars);
        benchmark::DoNotOptimize(r);
        if (vars.expectedHeight > kHoleDepth / 2) {
            vars = AcqCycleVars();
            vars.expectedHeight = kStep;
        }
    }
}

// The probe stands between two depth points: the last sample is measured again.
void BM_AcqCycleBetweenPoints(benchmark::State &state)
{
    AcqCycleInput in = raisingInput();
    AcqCycleVars vars;
    vars.oldExpectedHeight = 1000;
    vars.expectedHeight = 1000 + kStep;
    for (auto _ : state) {
        in.readHeight = in.waveHeight = 1001;
        AcqCycleResult r = runAcqCycle(in, vars);
        benchmark::DoNotOptimize(r);
    }
}

// Decision plus its sample operation on a list (the list's lock included).
void BM_AcqCycleAppendToList(benchmark::State &state)
{
    AcqSettings settings;
    settings.holeDepth = kHoleDepth;
    SampleList list;
    AcqCycleInput in = raisingInput();
    AcqCycleVars vars;
    vars.expectedHeight = kStep;
    for (auto _ : state) {
        in.readHeight = in.waveHeight = vars.expectedHeight;
        const AcqCycleResult r = runAcqCycle(in, vars);
        applyAcqSampleOps(r.sampleOps, list, 30.0f, settings);
        if (list.size() >= 20000) {
            state.PauseTiming();
            list.clear();
            vars = AcqCycleVars();
            vars.expectedHeight = kStep;
            state.ResumeTiming();
        }
    }
}

} // namespace

BENCHMARK(BM_AcqCycleNewSample)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AcqCycleBetweenPoints)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AcqCycleAppendToList)->Unit(benchmark::kNanosecond);
