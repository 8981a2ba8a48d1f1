#include "benchsupport.h"

#include "ctrlinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QFile>
#include <cmath>
#include <ctime>
#include <vector>

CBenchAppDir::CBenchAppDir() : m_dir(QDir::tempPath() + QStringLiteral("/zpvw-bench-XXXXXX"))
{
    const QString root = m_dir.path() + QStringLiteral("/root");
    QDir().mkpath(root);
    qputenv("ZPVW_APP_DIR", QFile::encodeName(m_dir.path()));
    qputenv("ZPVW_ROOT_DIR", QFile::encodeName(root));
}

float benchValue(int i)
{
    return float(30 + 8 * std::sin(i / 9.0) + 3 * std::sin(i / 2.3));
}

QVector<Sample> benchHole(int n, int maxDepth, int stepMm)
{
    QVector<Sample> v;
    v.reserve(n);
    for (int i = 0; i < n; ++i) {
        const float r = benchValue(i);
        v.append(Sample{maxDepth - i * stepMm, r, r});
    }
    return v;
}

CtrlInfo &benchRecord()
{
    static CtrlInfo record;
    return record;
}

SampleList &benchSamples()
{
    static SampleList list;
    return list;
}

void setUpBenchHole(int n, int stepMm, int magnify)
{
    // Room for the samples the benchmark adds after the hole it starts with.
    const int maxDepth = (n + 1000) * stepMm;
    benchRecord().moveDistance = stepMm;
    benchRecord().maxDepth = maxDepth;
    benchRecord().holeDepth = maxDepth;
    benchRecord().curveRange = 50;
    benchRecord().curveMagnify = magnify;
    benchSamples().assign(benchHole(n, maxDepth, stepMm));
}

namespace {
std::vector<std::function<void()>> &endActions()
{
    static std::vector<std::function<void()>> actions;
    return actions;
}
} // namespace

void atBenchEnd(std::function<void()> release) { endActions().push_back(std::move(release)); }

void runBenchEnd()
{
    for (auto it = endActions().rbegin(); it != endActions().rend(); ++it)
        (*it)();
    endActions().clear();
}

double monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

int servedPort(QProcess &server, int limitMs)
{
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (t.elapsed() < limitMs && !out.contains('\n') && server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(200);
        out += server.readAllStandardOutput();
    }
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(":(\\d+)/")).match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

int runArchive(const QString &db, const QStringList &args, QByteArray *out)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zpvw-archive"), QStringList{"--db", db} + args);
    if (!p.waitForFinished(600000)) {
        p.kill();
        p.waitForFinished(5000);
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
