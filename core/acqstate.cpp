#include "acqstate.h"

void applyAcqRequest(AcqControl &c, const AcqRequest &r)
{
    const bool on = r.value != 0;
    switch (r.field) {
    case AcqRequest::State: c.curState = r.value; break;
    case AcqRequest::NeedZeroHeight: c.needZeroHeight = on; break;
    case AcqRequest::NeedStepHeight: c.needStepHeight = on; break;
    case AcqRequest::FinishSent: c.finishSent = on; break;
    case AcqRequest::EndReached: c.endReached = on; break;
    case AcqRequest::ReinitDevice: c.reinitDevice = on; break;
    case AcqRequest::RecordEnabled: c.recordEnabled = on; break;
    case AcqRequest::SamplesReset: break;
    }
}
