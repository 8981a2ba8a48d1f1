#include "acqcontrolmirror.h"

quint64 AcqControlMirror::request(const AcqRequest &r)
{
    const quint64 n = m_next++;
    m_unseen.append({n, r});
    applyAcqRequest(m_shown, r);
    return n;
}

quint64 AcqControlMirror::samplesReset()
{
    const quint64 n = request({AcqRequest::SamplesReset, 0});
    m_samplesResetAt = n;
    return n;
}

void AcqControlMirror::takeReport(quint64 basedOn, const AcqCycleResult &r)
{
    int seen = 0;
    while (seen < m_unseen.size() && m_unseen[seen].number <= basedOn)
        applyAcqRequest(m_thread, m_unseen[seen++].request);
    m_unseen.remove(0, seen);
    applyAcqCycleControl(r, m_thread);
    m_shown = m_thread;
    for (const Numbered &u : qAsConst(m_unseen))
        applyAcqRequest(m_shown, u.request);
}
