#pragma once
// Takes an acquisition thread's reports as the test session does: its own
// copy of the state word and flags, a sample list, and the notices counted
// by kind. For tests that drive the thread without a session.

#include "acqcontrolmirror.h"
#include "querythread.h"
#include "testrecord.h"

#include <QCoreApplication>
#include <QHash>
#include <QObject>
#include <QThread>

class ReportTaker : public QObject {
public:
    explicit ReportTaker(QueryThread &thread) : m_thread(thread)
    {
        connect(&thread, &QueryThread::cycleReported, this, [this](const AcqReport &r) {
            if (QThread::currentThread() != qApp->thread())
                ++offGui;
            mirror.takeReport(r.basedOn, r.result);
            applyAcqSampleOps(r.result.sampleOps, list, r.value, r.settings);
            for (const AcqNotice &n : r.result.notices) {
                ++notices[n.kind];
                if (n.kind == AcqNotice::BtnTextByState)
                    textWord = uint(n.a);
            }
        });
    }
    // A change of the state word or a flag, handed to the thread.
    void request(AcqRequest::Field field, uint32_t value)
    {
        const AcqRequest r{field, value};
        m_thread.post(mirror.request(r), r);
    }
    int count(AcqNotice::Kind kind) const { return notices.value(kind); }

    AcqControlMirror mirror;
    SampleList list;
    QHash<int, int> notices;
    uint textWord = 0;
    int offGui = 0;

private:
    QueryThread &m_thread;
};
