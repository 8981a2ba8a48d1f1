#pragma once
// Helpers shared by the benchmark executables: a throw-away application
// directory, a plausible hole to draw and save, and a monotonic clock that
// two processes can compare.

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <functional>

// A fresh application directory (ZPVW_APP_DIR) with a fake machine root
// (ZPVW_ROOT_DIR) inside it for as long as the object lives, so nothing the
// program writes or looks for touches the source tree or the machine.
class CBenchAppDir {
public:
    CBenchAppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// Resistivity of sample i of the benchmark hole: mud with some wobble.
float benchValue(int i);
// n samples raised from maxDepth upwards in steps of stepMm.
QVector<Sample> benchHole(int n, int maxDepth, int stepMm);
// The sample list the refresh benchmarks show, and its record.
SampleList &benchSamples();
CtrlInfo &benchRecord();
// Sets the control information for a hole of n samples taken every stepMm
// (depth and range the screen would show, the curve magnified by magnify
// per cent) and fills benchSamples().
void setUpBenchHole(int n, int stepMm = 10, int magnify = 100);

// Widgets kept across benchmarks must go before the application object:
// their owners register the release here, main() runs it at the end.
void atBenchEnd(std::function<void()> release);
void runBenchEnd();

// Milliseconds of CLOCK_MONOTONIC: the same clock in every process.
double monotonicMs();

class QProcess;
// The port a started "zpvw-archive serve" prints in its first line
// ("serving ... on http://127.0.0.1:PORT/"), waited for at most limitMs;
// 0 when it does not come.
int servedPort(QProcess &server, int limitMs = 10000);
// Runs "zpvw-archive --db DB ARGS" (beside this program) to its end, at
// most ten minutes; its exit status, or -1. out receives its stdout.
int runArchive(const QString &db, const QStringList &args, QByteArray *out = nullptr);
