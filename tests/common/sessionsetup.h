#pragma once
// Puts a test session into a given state or gives it samples, as a test
// carried on from a kept one would be: no thread cycle needed.

#include "testrecord.h"
#include "testsession.h"

#include <functional>

inline void setSessionState(CTestSession *session, uint32_t word)
{
    session->restoreTest(session->samples().snapshot(), word);
}

inline void appendSessionSample(CTestSession *session, int32_t depth, float value)
{
    QVector<Sample> v = session->samples().snapshot();
    v.append(Sample{depth, value, value});
    session->restoreTest(v, session->state());
}

// The session's record with a change, as if the set-up dialog had stored it.
inline void editSessionRecord(CTestSession *session, const std::function<void(CtrlInfo &)> &change)
{
    CtrlInfo r = session->record();
    change(r);
    session->storeSetup(r);
}
