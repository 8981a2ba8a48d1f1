#pragma once
// CPU time of another process from /proc: the whole process and each of its
// live threads (by the thread names the toolkit gives them).

#include <QMap>
#include <QString>
#include <sys/types.h>

struct ProcCpu {
    bool ok = false;
    double processSeconds = 0;              // user + system, all threads ever
    QMap<QString, double> threadSeconds;    // live threads, by name (summed)
};

ProcCpu readProcCpu(pid_t pid);

// Share of one core used between two readings taken wallSeconds apart, in
// per cent; per thread as well (threads present in both readings).
struct CpuShare {
    double percent = 0;
    QMap<QString, double> threadPercent;
};
CpuShare cpuShare(const ProcCpu &before, const ProcCpu &after, double wallSeconds);
