#pragma once
// The acquisition state word and the one-shot request flags of a test.
//
// The test session owns them. The acquisition thread keeps its own copy: the
// session hands it every change as a numbered request, and the thread reports
// each cycle's changes back (see AcqControlMirror). Neither side ever writes
// the other's copy.

#include <cstdint>

// State codes (upper 16 bits of the state word) and sub-states (lowest 4 bits).
namespace AcqState {
constexpr uint32_t Idle = 0xF0000000u;
constexpr uint32_t FileShown = 0xF4000000u;
constexpr uint32_t Reading = 0xF6000000u;
constexpr uint32_t AtBottom = 0xF7000000u;
constexpr uint32_t Raising = 0xFA000000u;
constexpr uint32_t End = 0xABCD0000u;
constexpr uint32_t SubLeakPending = 1u;
constexpr uint32_t SubPaused = 4u;
constexpr uint32_t CodeMask = 0xFFFF0000u;
constexpr uint32_t SubMask = 0x0000000Fu;
inline uint32_t code(uint32_t word) { return word & CodeMask; }
inline uint32_t sub(uint32_t word) { return word & SubMask; }
}

// The state word of a test and the flags that go with it.
struct AcqControl {
    uint32_t curState = 0;
    bool needZeroHeight = false; // the next bottom cycle starts from height 0
    bool needStepHeight = false; // the next raising cycle starts one step up
    bool finishSent = false;     // the end of the hole was reported
    bool endReached = false;     // the top sample was taken
    bool reinitDevice = false;   // initialise the device before the next cycle
    bool recordEnabled = true;   // raising cycles record samples
    bool operator==(const AcqControl &o) const
    {
        return curState == o.curState && needZeroHeight == o.needZeroHeight && needStepHeight == o.needStepHeight
               && finishSent == o.finishSent && endReached == o.endReached && reinitDevice == o.reinitDevice
               && recordEnabled == o.recordEnabled;
    }
};

// One change of one field of AcqControl. SamplesReset changes no field: it
// tells the thread's reports apart from before and after the sample list was
// replaced.
struct AcqRequest {
    enum Field { State, NeedZeroHeight, NeedStepHeight, FinishSent, EndReached, ReinitDevice, RecordEnabled, SamplesReset };
    Field field = State;
    uint32_t value = 0;
};

void applyAcqRequest(AcqControl &control, const AcqRequest &request);

// Number of 16-bit points in one wave read.
constexpr int32_t waveLength = 0xC00;
