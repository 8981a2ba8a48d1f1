#pragma once
// The session's copy of the state word and flags, kept in step with the
// acquisition thread's own copy without either side writing the other's.
//
// The session changes a field with request(): the change shows at once and
// goes to the thread numbered. The thread applies the requests it has
// received at the start of a cycle, decides, and reports its result with the
// number of the last request it applied. A report is based on the thread's
// copy at that request; the session's requests the thread had not seen yet
// are laid over it again, so a change the operator made while a cycle ran is
// never undone by that cycle, and the two copies agree once the thread has
// caught up.
//
//     AcqControlMirror m;
//     quint64 n = m.request({AcqRequest::State, AcqState::Raising});
//     thread->post(n, ...);
//     ... on a report (basedOn, result):  m.takeReport(basedOn, result);

#include "acqcycle.h"
#include "acqstate.h"

#include <QVector>
#include <QtGlobal>

class AcqControlMirror {
public:
    // What the screen shows: the thread's last reported copy with the
    // session's newer requests over it.
    const AcqControl &control() const { return m_shown; }
    uint32_t state() const { return m_shown.curState; }

    // Changes one field at once; returns the request's number for the thread.
    quint64 request(const AcqRequest &r);
    // Takes a cycle's report (the result of a cycle run after the thread had
    // applied request basedOn).
    void takeReport(quint64 basedOn, const AcqCycleResult &r);
    // The thread reported after the sample list was last replaced (its
    // samples and notices belong to the list on show).
    bool currentSamples(quint64 basedOn) const { return basedOn >= m_samplesResetAt; }
    // The sample list was replaced: returns the request to hand the thread.
    quint64 samplesReset();
    // Requests the thread has not reported as applied yet.
    int pending() const { return m_unseen.size(); }

private:
    struct Numbered {
        quint64 number;
        AcqRequest request;
    };
    AcqControl m_thread; // the thread's copy as of its last report
    AcqControl m_shown;
    QVector<Numbered> m_unseen;
    quint64 m_next = 1;
    quint64 m_samplesResetAt = 0;
};
