#include "mainstate.h"

#include "acqstate.h"

namespace {
bool paused(uint32_t word) { return (word & AcqState::SubPaused) != 0; }

MainButtonEnable row(bool set, bool sample, bool newTest, bool fileAndQuit, bool move)
{
    MainButtonEnable e;
    e.set = set;
    e.sample = sample;
    e.newTest = newTest;
    e.fileAndQuit = fileAndQuit;
    e.move = move;
    return e;
}
}

bool mainButtonEnableForState(uint32_t word, MainButtonEnable *out)
{
    MainButtonEnable e;
    switch (AcqState::code(word)) {
    case AcqState::Idle:
    case AcqState::End:
        e = row(true, true, true, true, false);
        break;
    case AcqState::FileShown:
        e = row(false, false, false, false, true);
        break;
    case AcqState::Reading:
        e = paused(word) ? row(true, true, true, true, false) : row(false, true, true, false, false);
        break;
    case AcqState::AtBottom:
        e = row(false, true, false, paused(word), true);
        break;
    case AcqState::Raising:
        e = row(false, true, true, false, true);
        break;
    default:
        return false;
    }
    if (out)
        *out = e;
    return true;
}

MainButtonTexts mainButtonTextsForState(uint32_t word)
{
    MainButtonTexts t;
    switch (AcqState::code(word)) {
    case AcqState::End:
        t.newTest = MainTexts::New;
        t.sample = MainTexts::Sample;
        t.move = MainTexts::Move;
        break;
    case AcqState::Idle:
        t.newTest = MainTexts::New;
        t.sample = MainTexts::Sample;
        break;
    case AcqState::Reading:
        t.sample = paused(word) ? MainTexts::Sample : MainTexts::Pause;
        break;
    case AcqState::AtBottom:
    case AcqState::Raising:
        t.newTest = MainTexts::TestComplete;
        t.sample = paused(word) ? MainTexts::Sample : MainTexts::Pause;
        t.move = moveButtonResamples(word) ? MainTexts::Resample : MainTexts::Move;
        break;
    default:
        break;
    }
    return t;
}

bool moveButtonResamples(uint32_t word)
{
    const uint32_t code = AcqState::code(word);
    return (code == AcqState::AtBottom || code == AcqState::Raising) && paused(word);
}

bool judgeEnabled(bool reviewMode, uint32_t word)
{
    return reviewMode || (AcqState::code(word) == AcqState::Raising && (word & AcqState::SubLeakPending));
}

SampleButtonStep sampleButtonStep(uint32_t word)
{
    SampleButtonStep s;
    const uint32_t c = AcqState::code(word);
    switch (c) {
    case AcqState::Idle:
        s.kind = SampleButtonStep::ChangeState;
        s.sendOperation = true;
        s.startsReading = true;
        s.newState = AcqState::Reading;
        s.threadOp = SampleThreadOp::Start;
        break;
    case AcqState::Reading:
        s.kind = SampleButtonStep::ChangeState;
        s.newState = paused(word) ? (word & ~AcqState::SubPaused) : (word | AcqState::SubPaused);
        s.threadOp = paused(word) ? SampleThreadOp::Resume : SampleThreadOp::Pause;
        break;
    case AcqState::AtBottom:
        s.kind = SampleButtonStep::ChangeState;
        s.sendOperation = paused(word);
        s.newState = paused(word) ? AcqState::AtBottom : (AcqState::AtBottom | AcqState::SubPaused);
        s.threadOp = paused(word) ? SampleThreadOp::ResumeOrStart : SampleThreadOp::Pause;
        break;
    case AcqState::Raising:
        // A pause drops a pending leak point: the operator resamples instead.
        s.kind = SampleButtonStep::ChangeState;
        s.sendOperation = paused(word);
        s.newState = paused(word) ? c : (c + AcqState::SubPaused);
        s.threadOp = paused(word) ? SampleThreadOp::Resume : SampleThreadOp::Pause;
        break;
    case AcqState::FileShown:
        s.kind = SampleButtonStep::CloseFile;
        break;
    default:
        break;
    }
    return s;
}
