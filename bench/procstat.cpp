#include "procstat.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace {

// utime + stime of a /proc stat line, in seconds; the command name in it may
// hold blanks and parentheses, so the fields are counted after the last ")".
bool statSeconds(const QString &path, double *seconds)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = f.readAll();
    const int close = line.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // After ")": state is field 3 of the line, utime 14 and stime 15.
    if (fields.size() < 13)
        return false;
    const double ticks = double(fields.at(11).toLongLong() + fields.at(12).toLongLong());
    *seconds = ticks / double(sysconf(_SC_CLK_TCK));
    return true;
}

QString threadName(const QString &taskDir)
{
    QFile f(taskDir + QStringLiteral("/comm"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLocal8Bit(f.readAll()).trimmed();
}

} // namespace

ProcCpu readProcCpu(pid_t pid)
{
    ProcCpu r;
    const QString dir = QStringLiteral("/proc/%1").arg(pid);
    r.ok = statSeconds(dir + QStringLiteral("/stat"), &r.processSeconds);
    if (!r.ok)
        return r;
    const QStringList tasks = QDir(dir + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &tid : tasks) {
        const QString taskDir = dir + QStringLiteral("/task/") + tid;
        double s = 0;
        if (statSeconds(taskDir + QStringLiteral("/stat"), &s))
            r.threadSeconds[threadName(taskDir)] += s;
    }
    return r;
}

CpuShare cpuShare(const ProcCpu &before, const ProcCpu &after, double wallSeconds)
{
    CpuShare s;
    if (wallSeconds <= 0)
        return s;
    s.percent = 100.0 * (after.processSeconds - before.processSeconds) / wallSeconds;
    for (auto it = after.threadSeconds.constBegin(); it != after.threadSeconds.constEnd(); ++it) {
        if (before.threadSeconds.contains(it.key()))
            s.threadPercent[it.key()] = 100.0 * (it.value() - before.threadSeconds.value(it.key())) / wallSeconds;
    }
    return s;
}
