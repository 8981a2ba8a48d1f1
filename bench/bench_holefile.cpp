// Saving and loading a hole file, next to the floor set by the machine:
// memcpy of the same bytes, and writing them with the same flushes and
// rename the safe save does (the physical reference on this disk). Files go
// to the disk (the system's temporary folder) or, with ram:1, to a memory
// file system, where flushing costs nothing and only the program's own work
// is left.

#include "benchsupport.h"

#include "ctrlinfo.h"
#include "holefile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString holeFolder(const benchmark::State &state)
{
    return state.range(1) != 0 && QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

QString holePath(const benchmark::State &state)
{
    return holeFolder(state) + QStringLiteral("/zpvw-bench-hole-%1.CZO").arg(state.range(0));
}

bool fsyncFolder(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// A record as the end-of-test save would write it.
CtrlInfo benchRecord(int n)
{
    CtrlInfo info;
    info.projectName = QStringLiteral("基准工程");
    info.holeNo = QStringLiteral("12#");
    info.maxDepth = n * 10;
    info.holeDepth = n * 10;
    info.moveDistance = 10;
    return info;
}

void setBytes(benchmark::State &state, int n)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * HoleFile::fileSize(n));
    state.counters["samples"] = n;
}

void BM_HoleSave(benchmark::State &state)
{
    const int n = int(state.range(0));
    const CtrlInfo info = benchRecord(n);
    const QVector<Sample> v = benchHole(n, n * 10, 10);
    HoleSaveOptions o;
    o.sync = false;
    const QString path = holePath(state);
    for (auto _ : state) {
        if (!saveHoleFile(path, info, v, o)) {
            state.SkipWithError("save failed");
            break;
        }
    }
    setBytes(state, n);
    QFile::remove(path);
}

void BM_HoleLoad(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QString path = holePath(state);
    HoleSaveOptions o;
    o.sync = false;
    if (!saveHoleFile(path, benchRecord(n), benchHole(n, n * 10, 10), o)) {
        state.SkipWithError("save failed");
        return;
    }
    // As opening a file for review does: record and sample list replaced.
    SampleList list;
    HoleLoadOptions lo;
    lo.beforeSamples = [&list] { list.clear(); };
    CtrlInfo info;
    for (auto _ : state) {
        const HoleLoadResult r = loadHoleFile(path, info, list, lo);
        if (!r.ok || r.samples.size() != n) {
            state.SkipWithError("load failed");
            break;
        }
    }
    setBytes(state, n);
    QFile::remove(path);
}

void BM_HoleEncode(benchmark::State &state)
{
    const int n = int(state.range(0));
    const CtrlInfo info = benchRecord(n);
    const QVector<Sample> v = benchHole(n, n * 10, 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeHoleFile(info, v));
    setBytes(state, n);
}

void BM_MemcpyReference(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray src = encodeHoleFile(benchRecord(n), benchHole(n, n * 10, 10));
    QByteArray dst(src.size(), '\0');
    for (auto _ : state) {
        std::memcpy(dst.data(), src.constData(), size_t(src.size()));
        benchmark::ClobberMemory();
    }
    setBytes(state, n);
}

// The same bytes written straight to a temporary file, flushed to the disk,
// renamed over the target and the folder flushed: what any save that
// survives a power cut must at least spend here.
void BM_WriteFsyncRenameReference(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray src = encodeHoleFile(benchRecord(n), benchHole(n, n * 10, 10));
    const QString folder = holeFolder(state);
    const QByteArray target = QFile::encodeName(holePath(state));
    const QByteArray temp = target + ".tmp";
    for (auto _ : state) {
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = fd >= 0 && ::write(fd, src.constData(), size_t(src.size())) == src.size() && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok || ::rename(temp.constData(), target.constData()) != 0 || !fsyncFolder(folder)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    setBytes(state, n);
    QFile::remove(QString::fromLocal8Bit(target));
}

void BM_ReadReference(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray src = encodeHoleFile(benchRecord(n), benchHole(n, n * 10, 10));
    const QString path = holePath(state);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(src) != src.size()) {
        state.SkipWithError("write failed");
        return;
    }
    f.close();
    const QByteArray name = QFile::encodeName(path);
    QByteArray buf(src.size(), '\0');
    for (auto _ : state) {
        const int fd = ::open(name.constData(), O_RDONLY);
        const bool ok = fd >= 0 && ::read(fd, buf.data(), size_t(buf.size())) == buf.size();
        if (fd >= 0)
            ::close(fd);
        if (!ok) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::ClobberMemory();
    }
    setBytes(state, n);
    QFile::remove(path);
}

// Hole sizes, on the disk and in memory.
void fileArgs(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"n", "ram"})->ArgsProduct({{4000, 20000}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_HoleSave)->Apply(fileArgs);
BENCHMARK(BM_WriteFsyncRenameReference)->Apply(fileArgs);
BENCHMARK(BM_HoleEncode)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HoleLoad)->Apply(fileArgs);
BENCHMARK(BM_ReadReference)->Apply(fileArgs);
BENCHMARK(BM_MemcpyReference)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();
