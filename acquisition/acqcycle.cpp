#include "acqcycle.h"

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcAcq, "zpvw.acquisition")

namespace {
struct Cycle {
    const AcqCycleInput &in;
    AcqCycleVars &v;
    AcqCycleResult r;
    int32_t errorHeight = 0;
    int32_t nextExpected = 0;

    void setState(uint32_t word)
    {
        r.stateWritten = true;
        r.newState = word;
    }
    uint32_t stateNow() const { return r.stateWritten ? r.newState : in.stateWord; }
    void notice(AcqNotice::Kind k, int64_t a = 0, int64_t b = 0) { r.notices.append({k, a, b}); }
    void updateWave(bool isSeg) { notice(AcqNotice::UpdateWaveData, 1, isSeg ? 1 : 0); }
    void sample(AcqSampleOp::Kind k, int32_t height, int32_t step = 0) { r.sampleOps.append({k, height, step}); }

    void advance()
    {
        v.oldExpectedHeight = v.expectedHeight;
        const int32_t next = v.expectedHeight + in.moveDistance;
        nextExpected = next >= in.holeDepth ? in.holeDepth : next;
    }

    void atBottom();
    void raising();
    void lowered();
    void endCheck();
};

void Cycle::atBottom()
{
    if (in.needZeroHeight) {
        v.curHeight = 0;
        r.clearNeedZeroHeight = true;
    }
    if (v.curHeight > errorHeight) {
        if (v.curHeight > errorHeight + in.moveDistance) {
            setState(AcqState::Raising | AcqState::SubLeakPending);
            notice(AcqNotice::HandleLeakPoint, v.curHeight, v.expectedHeight);
        } else {
            setState(AcqState::Raising);
        }
        notice(AcqNotice::RaiseBegunEvent);
        notice(AcqNotice::BtnTextByState, AcqState::Raising);
    } else {
        r.waveReadBeforeSamples = true;
        sample(AcqSampleOp::ReplaceLast, 0);
        updateWave(true);
    }
    nextExpected = in.moveDistance;
    v.oldExpectedHeight = 0;
    // The bottom sample is no catch-up: a raise that leaves the bottom at
    // tolerance + step (still a plain start above) must be able to catch up
    // its first point like any other, or the same height that started the
    // raise is a leak point one cycle later.
    v.lastCatchUp = AcqCycleVars::NoCatchUp;
}

void Cycle::lowered()
{
    int32_t p = v.oldExpectedHeight;
    for (;;) {
        sample(AcqSampleOp::RemoveAbove, p, in.moveDistance);
        updateWave(true);
        const int32_t below = p - in.moveDistance;
        if (below < in.maxDepth)
            r.clearFinishSent = true;
        if (below <= 0) {
            setState(AcqState::AtBottom);
            nextExpected = p;
            v.oldExpectedHeight = 0;
            return;
        }
        // A broken set-up without a positive step would never get there.
        if (in.moveDistance > 0 && v.curHeight <= below - errorHeight) {
            p = below;
            continue;
        }
        v.oldExpectedHeight = below;
        nextExpected = p;
        return;
    }
}

void Cycle::raising()
{
    const uint32_t sub = AcqState::sub(in.stateWord);
    if (in.needStepHeight) {
        v.curHeight = in.moveDistance;
        r.clearNeedStepHeight = true;
    }
    if (sub & AcqState::SubLeakPending) {
        if (v.curHeight < v.expectedHeight + errorHeight) {
            notice(AcqNotice::HandleQuitLeakPoint);
            // A pause set meanwhile by the dialog stays set.
            setState(AcqState::Raising | (sub & AcqState::SubPaused));
        } else {
            notice(AcqNotice::HandleCurHeightLeakPoint, v.curHeight, v.expectedHeight);
        }
        return;
    }
    if (sub & AcqState::SubPaused)
        return;

    v.curHeight = in.waveHeight;
    const int32_t exp = v.expectedHeight;
    const int32_t old = v.oldExpectedHeight;
    if (v.curHeight < exp - errorHeight) {
        if (v.curHeight < old - errorHeight) {
            lowered();
        } else if (v.curHeight <= old + errorHeight) {
            if (in.paused || in.stopped) {
                r.waitMs = -1; // ends at once, without the wait
                return;
            }
            sample(AcqSampleOp::ReplaceLast, old);
            updateWave(false);
        } else {
            qCDebug(lcAcq, "default1: curCorderHeight=%d oldExpectedHeight:%d ExpectedHeight:%d ErrorHeight:%d\n",
                    v.curHeight, old, exp, errorHeight);
            updateWave(true);
        }
    } else if (v.curHeight >= exp + errorHeight) {
        if (exp > in.holeDepth) {
            // nothing: the point lies beyond the hole
        } else if (in.moveDistance <= 100 && v.curHeight < errorHeight + in.moveDistance + exp
                   && int64_t(exp) > int64_t(v.lastCatchUp) + in.moveDistance) {
            if (in.recordEnabled) {
                sample(AcqSampleOp::Append, exp);
                updateWave(true);
            }
            v.lastCatchUp = exp;
            advance();
        } else {
            setState(AcqState::Raising | AcqState::SubLeakPending);
            notice(AcqNotice::HandleLeakPoint, v.curHeight, exp);
        }
    } else if (in.paused) {
        // nothing
    } else if (in.stopped) {
        updateWave(true);
        advance();
    } else if (exp == old) {
        // The top point, capped at the hole depth, was taken already: the
        // probe is still there, so measure it again instead of adding one
        // more sample of the same depth every cycle.
        sample(AcqSampleOp::Remeasure, exp);
        updateWave(false);
        advance();
    } else {
        sample(AcqSampleOp::Append, exp);
        updateWave(true);
        advance();
    }
    endCheck();
}

void Cycle::endCheck()
{
    if (AcqState::sub(stateNow()) & AcqState::SubLeakPending)
        return;
    if (v.oldExpectedHeight - errorHeight + in.moveDistance <= in.holeDepth)
        return;
    qCDebug(lcAcq, "7");
    int32_t r0 = in.moveDistance != 0 ? in.holeDepth % in.moveDistance : 0;
    if (r0 == 0)
        r0 = errorHeight;
    if (in.holeDepth - v.curHeight < r0 && !in.endReached) {
        sample(AcqSampleOp::AppendTopIfNeeded, in.holeDepth);
        setState(AcqState::End);
        r.clearFinishSent = true;
        r.setEndReached = true;
    }
}

int waitFor(uint32_t stateWord)
{
    int ms;
    switch (AcqState::code(stateWord)) {
    case AcqState::Reading:
    case AcqState::AtBottom: ms = 8; break;
    case AcqState::Raising: ms = 12; break;
    default: ms = 15; break;
    }
    if (AcqState::sub(stateWord) & AcqState::SubLeakPending)
        ms += 30;
    return ms;
}
}

bool cycleReadsWaveHeight(uint32_t stateWord)
{
    return AcqState::code(stateWord) == AcqState::Raising
           && !(AcqState::sub(stateWord) & (AcqState::SubLeakPending | AcqState::SubPaused));
}

AcqCycleResult runAcqCycle(const AcqCycleInput &in, AcqCycleVars &vars)
{
    Cycle c{in, vars, AcqCycleResult()};
    vars.curHeight = in.readHeight;
    if (in.reinitDevice) {
        c.r.reinitDevice = true;
        vars.curHeight = 0;
    }
    c.errorHeight = int32_t(0.5 * in.moveDistance);
    c.nextExpected = vars.expectedHeight;

    switch (AcqState::code(in.stateWord)) {
    case AcqState::Reading:
        c.r.waveReadBeforeSamples = true;
        c.sample(AcqSampleOp::ReplaceLast, 0);
        c.updateWave(true);
        break;
    case AcqState::AtBottom:
        c.atBottom();
        break;
    case AcqState::Raising:
        c.raising();
        break;
    case AcqState::End:
        if (!in.finishSent) {
            c.r.stopThread = true;
            c.r.setFinishSent = true;
            c.notice(AcqNotice::QueryThreadFinish, 0);
        }
        break;
    default:
        break;
    }

    if (c.r.waitMs < 0) {
        c.r.waitMs = 0;
    } else {
        c.r.waitMs = waitFor(in.stateWord);
    }
    vars.expectedHeight = c.nextExpected;
    return c.r;
}

AcqSettings acqSettingsOf(const CtrlInfo &info)
{
    AcqSettings s;
    s.moveDistance = info.moveDistance;
    s.holeDepth = info.holeDepth;
    s.maxDepth = info.maxDepth;
    s.depthFromTop = int32_t(info.depthFromTop) != 0;
    s.heightFromWinch = !SampleModes::isManual(info.sampleMode);
    s.deviceChannel = info.deviceChannel;
    return s;
}

void applyAcqSampleOps(const QVector<AcqSampleOp> &ops, SampleList &list, float value, const AcqSettings &settings)
{
    for (const AcqSampleOp &op : ops) {
        const int32_t depth = depthForRaisedDistance(op.height, settings.holeDepth, settings.depthFromTop);
        switch (op.kind) {
        case AcqSampleOp::Append:
            list.append(depth, value);
            break;
        case AcqSampleOp::ReplaceLast:
            list.replaceLast(depth, value);
            break;
        case AcqSampleOp::RemoveAbove:
            list.removeFromEndWhileDepthNotAbove(double(depth) + double(op.step) - 0.000005);
            break;
        case AcqSampleOp::AppendTopIfNeeded: {
            Sample last;
            if (!list.last(&last) || last.depth > 0)
                list.append(depth, value);
            break;
        }
        case AcqSampleOp::Remeasure: {
            Sample last;
            if (list.last(&last) && last.depth == depth)
                list.replaceLast(depth, value);
            else
                list.append(depth, value);
            break;
        }
        }
    }
}

AcqCycleInput acqCycleInput(const AcqControl &c, const AcqSettings &settings)
{
    AcqCycleInput in;
    in.stateWord = c.curState;
    in.moveDistance = settings.moveDistance;
    in.holeDepth = settings.holeDepth;
    in.maxDepth = settings.maxDepth;
    in.reinitDevice = c.reinitDevice;
    in.needZeroHeight = c.needZeroHeight;
    in.needStepHeight = c.needStepHeight;
    in.endReached = c.endReached;
    in.finishSent = c.finishSent;
    in.recordEnabled = c.recordEnabled;
    return in;
}

void applyAcqCycleControl(const AcqCycleResult &r, AcqControl &c)
{
    if (r.reinitDevice)
        c.reinitDevice = false;
    if (r.clearNeedZeroHeight)
        c.needZeroHeight = false;
    if (r.clearNeedStepHeight)
        c.needStepHeight = false;
    if (r.stateWritten)
        c.curState = r.newState;
    if (r.clearFinishSent)
        c.finishSent = false;
    if (r.setFinishSent)
        c.finishSent = true;
    if (r.clearEndReached)
        c.endReached = false;
    if (r.setEndReached)
        c.endReached = true;
}
