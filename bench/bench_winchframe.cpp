// The winch report reassembler on a hostile stream: nothing but false report
// starts (a start byte followed by the right length byte, never a whole
// report), arriving in one read, as a flooding or broken peer could send it.

#include "winchframe.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray falseStarts(int bytes)
{
    const char pair[2] = {char(WinchFrame::ReportStart), char(WinchFrame::ReportSize)};
    QByteArray b;
    b.reserve(bytes);
    while (b.size() < bytes)
        b.append(pair, 2);
    return b;
}

void BM_WinchReassemblyFalseStarts(benchmark::State &state)
{
    const QByteArray stream = falseStarts(int(state.range(0)));
    for (auto _ : state) {
        CWinchFrameAssembler assembler;
        const QList<QByteArray> frames = assembler.feed(stream);
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
}
BENCHMARK(BM_WinchReassemblyFalseStarts)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace
