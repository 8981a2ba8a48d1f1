// zpvw-archivebench: figures of the office archive on SQLite and on a
// PostgreSQL server started for the run (Unix socket only, fsync on):
// import of 10,000 hole files of 400 samples, "holes" of a 5,000-hole
// project, verify next to reading the same bytes from the disk, and the web
// view's page of a 20,000-sample hole. Run by scripts/bench.sh; it prints
// figures and never judges them.

#include "archiveaddress.h"
#include "archivedb.h"
#include "archiveimport.h"
#include "archivepages.h"
#include "archivequeries.h"
#include "archiveserver.h"
#include "archiveverify.h"
#include "ctrlinfo.h"
#include "holefile.h"
#include "postgresserver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <map>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {
constexpr int kFiles = 10000;
constexpr int kSamples = 400;
constexpr int kBigHoleSamples = 20000;
const char kBigProject[] = "Bench 5000"; // holes 1..5000 (the other 5,000 files are project Bench B)

QByteArray holeBytes(const QString &project, int hole, int samples, int thicknessCm)
{
    CtrlInfo info;
    info.projectName = project;
    info.holeNo = QStringLiteral("Z%1").arg(hole);
    info.testDate = QStringLiteral("2026-03-01");
    info.testTime = QStringLiteral("10:%1:%2").arg(hole / 60 % 60, 2, 10, QLatin1Char('0')).arg(hole % 60, 2, 10, QLatin1Char('0'));
    info.tester = QStringLiteral("Bench");
    info.testUnit = QStringLiteral("Bench Co");
    info.maxDepth = samples * 10;
    info.holeDepth = samples * 10;
    info.moveDistance = 10;
    info.sedimentThickness = thicknessCm;
    info.holeQuality = hole % 7 == 0 ? 1 : 0;
    info.paramDate = QStringLiteral("20151030");
    QVector<Sample> v;
    v.reserve(samples);
    for (int i = 0; i < samples; ++i) {
        Sample s;
        s.depth = samples * 10 - 10 * i;
        s.resistivity = (i * 10 < thicknessCm * 10 ? 30.0f : 12.0f) + float((i * 7919 + hole) % 13) * 0.1f;
        s.rawResistivity = s.resistivity;
        v << s;
    }
    return encodeHoleFile(info, v);
}

// Everything the benchmarks share, made once.
struct World {
    QTemporaryDir dir;
    QString files;   // 10,000 hole files in 10 folders of 1,000
    qint64 fileBytes = 0;
    std::unique_ptr<CPostgresServer> pg;
    int pgDatabases = 0;
    std::map<int, QString> imported; // engine -> archive holding the 10,000 files
    QString bigHoleArchive;

    World()
    {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther);
        files = dir.path() + QStringLiteral("/usb");
        for (int i = 0; i < kFiles; ++i) {
            const bool big = i < kFiles / 2;
            const int hole = big ? i + 1 : i - kFiles / 2 + 1;
            const QString folder = QStringLiteral("%1/%2").arg(files).arg(i / 1000);
            if (i % 1000 == 0)
                QDir().mkpath(folder);
            QFile f(QStringLiteral("%1/Z%2.CZO").arg(folder).arg(hole));
            const QByteArray b = holeBytes(big ? QString::fromLatin1(kBigProject) : QStringLiteral("Bench B"), hole,
                                           kSamples, hole % 40);
            if (f.open(QIODevice::WriteOnly))
                f.write(b);
            fileBytes += b.size();
        }
        if (!CPostgresServer::binDir().isEmpty()) {
            QDir().mkpath(dir.path() + QStringLiteral("/pg"));
            pg = std::make_unique<CPostgresServer>(dir.path() + QStringLiteral("/pg"), true);
            QString error;
            if (!pg->start(&error)) {
                fprintf(stderr, "PostgreSQL not started: %s\n", qUtf8Printable(error));
                pg.reset();
            }
        }
    }

    // A new empty archive of an engine (0 SQLite, 1 PostgreSQL); empty when
    // the engine cannot run here.
    QString freshArchive(int engine)
    {
        static int n = 0;
        ++n;
        if (engine == 0)
            return dir.path() + QStringLiteral("/a%1.sqlite").arg(n);
        if (!pg)
            return QString();
        const QString name = QStringLiteral("bench%1").arg(n);
        QString error;
        if (!pg->createDatabase(name, &error))
            return QString();
        return pg->url(name);
    }
};

World &world()
{
    static World w;
    return w;
}

bool openDb(CArchiveDb &db, const QString &text)
{
    ArchiveAddress a;
    QString error;
    return parseArchiveAddress(text, &a, &error) && db.open(a, &error);
}

const char *engineName(int e) { return e == 0 ? "SQLite" : "PostgreSQL"; }

// The 10,000 files into a fresh archive.
void BM_Import(benchmark::State &state)
{
    const int engine = int(state.range(0));
    World &w = world();
    for (auto _ : state) {
        state.PauseTiming();
        const QString db = w.freshArchive(engine);
        // Nothing left for the import's flushes to write but its own.
        ::sync();
        state.ResumeTiming();
        if (db.isEmpty()) {
            state.SkipWithError("engine not available");
            return;
        }
        CArchiveDb archive;
        ImportSummary s;
        QString error;
        if (!openDb(archive, db) || !importIntoArchive(archive, {w.files}, ImportOptions(), &s, &error) || s.added != kFiles) {
            state.SkipWithError(qPrintable(QStringLiteral("import failed: %1 (%2)").arg(error, s.line())));
            return;
        }
        w.imported[engine] = db;
    }
    state.SetLabel(engineName(engine));
    state.counters["files/s"] = benchmark::Counter(double(kFiles) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(double(w.fileBytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

// Opens the archive BM_Import made on this engine; false (and the benchmark
// skipped) when there is none.
bool openImported(benchmark::State &state, int engine, CArchiveDb &archive)
{
    World &w = world();
    if (!w.imported.count(engine)) {
        state.SkipWithError("run BM_Import of this engine first");
        return false;
    }
    openDb(archive, w.imported[engine]);
    return true;
}

// "holes" of the 5,000-hole project.
void BM_Holes5000(benchmark::State &state)
{
    const int engine = int(state.range(0));
    CArchiveDb archive;
    if (!openImported(state, engine, archive))
        return;
    QVector<HoleRow> rows;
    for (auto _ : state) {
        QString error;
        listHoles(archive, QString::fromLatin1(kBigProject), &rows, &error);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetLabel(engineName(engine));
    state.counters["holes"] = rows.size();
}

void BM_Verify(benchmark::State &state)
{
    const int engine = int(state.range(0));
    CArchiveDb archive;
    if (!openImported(state, engine, archive))
        return;
    VerifyReport r;
    for (auto _ : state) {
        QString error;
        verifyArchive(archive, &r, &error);
    }
    state.SetLabel(engineName(engine));
    state.counters["MB/s"] = benchmark::Counter(double(r.bytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["files"] = double(r.files);
}

// The floor verify is measured against: the same bytes read from the files.
void BM_ReadHoleFiles(benchmark::State &state)
{
    World &w = world();
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int folder = 0; folder < kFiles / 1000; ++folder) {
            const QString path = QStringLiteral("%1/%2").arg(w.files).arg(folder);
            for (const QString &name : QDir(path).entryList(QDir::Files)) {
                QFile f(path + QLatin1Char('/') + name);
                if (f.open(QIODevice::ReadOnly))
                    bytes += f.readAll().size();
            }
        }
    }
    state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

// The same bytes read and hashed (SHA-256), one file after the other.
void BM_ReadAndHashHoleFiles(benchmark::State &state)
{
    World &w = world();
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int folder = 0; folder < kFiles / 1000; ++folder) {
            const QString path = QStringLiteral("%1/%2").arg(w.files).arg(folder);
            for (const QString &name : QDir(path).entryList(QDir::Files)) {
                QFile f(path + QLatin1Char('/') + name);
                if (!f.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray b = f.readAll();
                benchmark::DoNotOptimize(QCryptographicHash::hash(b, QCryptographicHash::Sha256));
                bytes += b.size();
            }
        }
    }
    state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

// Reading the SQLite archive file itself, start to end.
void BM_ReadArchiveFile(benchmark::State &state)
{
    World &w = world();
    if (!w.imported.count(0)) {
        state.SkipWithError("run BM_Import/0 first");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        QFile f(w.imported[0]);
        f.open(QIODevice::ReadOnly);
        bytes = 0;
        while (!f.atEnd())
            bytes += f.read(1 << 20).size();
    }
    state.counters["MB/s"] = benchmark::Counter(double(bytes) / 1e6 * state.iterations(), benchmark::Counter::kIsRate);
}

// The hole page of a 20,000-sample hole through HTTP from the server.
void BM_HolePage20000(benchmark::State &state)
{
    const int engine = int(state.range(0));
    World &w = world();
    const QString db = w.freshArchive(engine);
    if (db.isEmpty()) {
        state.SkipWithError("engine not available");
        return;
    }
    const QString src = w.dir.path() + QStringLiteral("/big%1").arg(engine);
    QDir().mkpath(src);
    for (int v = 0; v < 2; ++v) { // two versions: the page lays the first over the second
        QDir().mkpath(src + QStringLiteral("/%1").arg(v));
        QFile f(src + QStringLiteral("/%1/Z1.CZO").arg(v));
        f.open(QIODevice::WriteOnly);
        f.write(holeBytes(QStringLiteral("Big"), 1, kBigHoleSamples, 30 + v));
    }
    {
        CArchiveDb archive;
        ImportSummary s;
        QString error;
        openDb(archive, db);
        importIntoArchive(archive, {src}, ImportOptions(), &s, &error);
    }
    ArchiveAddress address;
    QString error;
    parseArchiveAddress(db, &address, &error);
    CArchiveWebServer server(address);
    if (!server.bind(ListenAddress{QStringLiteral("127.0.0.1"), 0}, &error)) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::thread serving([&server] { server.run(); });
    httplib::Client client("127.0.0.1", server.boundPort());
    // Every server thread opens its archive connection at its first page.
    for (int i = 0; i < 8; ++i)
        client.Get("/hole?project=Big&hole=Z1");
    size_t pageBytes = 0, svgBytes = 0;
    for (auto _ : state) {
        auto res = client.Get("/hole?project=Big&hole=Z1");
        if (!res || res->status != 200) {
            state.SkipWithError("page failed");
            break;
        }
        pageBytes = res->body.size();
        const size_t from = res->body.find("<svg"), to = res->body.find("</svg>");
        svgBytes = from != std::string::npos && to != std::string::npos ? to - from + 6 : 0;
    }
    server.stop();
    serving.join();
    state.SetLabel(engineName(engine));
    state.counters["page KB"] = double(pageBytes) / 1024.0;
    state.counters["SVG KB"] = double(svgBytes) / 1024.0;
}
} // namespace

BENCHMARK(BM_Import)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Holes5000)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify)->Arg(0)->Arg(1)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadHoleFiles)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndHashHoleFiles)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadArchiveFile)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HolePage20000)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
