#pragma once
// One cycle of the acquisition: from the state word, the request flags and the
// heights read, decide the new state word, the changes to the sample list, the
// notices for the main dialog and the next expected height. No threads, no
// device, no sleeps here: the acquisition thread reads, calls runAcqCycle and
// carries the result out.

#include "acqstate.h"

#include <QVector>
#include <cstdint>

class CtrlInfo;
class SampleList;

// The set-up numbers a cycle works with, handed to the thread by the session.
struct AcqSettings {
    int32_t moveDistance = 50;
    int32_t holeDepth = 20000;
    int32_t maxDepth = 20000;
    bool depthFromTop = false;
    bool heightFromWinch = true; // else the device's height (manual modes)
    uint8_t deviceChannel = 0;
    bool operator==(const AcqSettings &o) const
    {
        return moveDistance == o.moveDistance && holeDepth == o.holeDepth && maxDepth == o.maxDepth
               && depthFromTop == o.depthFromTop && heightFromWinch == o.heightFromWinch
               && deviceChannel == o.deviceChannel;
    }
    bool operator!=(const AcqSettings &o) const { return !(*this == o); }
};
AcqSettings acqSettingsOf(const CtrlInfo &info);

// Heights of the cycle loop, kept from one cycle to the next (millimetres).
struct AcqCycleVars {
    int32_t curHeight = 0;
    int32_t expectedHeight = 0;    // height of the next depth point
    int32_t oldExpectedHeight = 0; // height of the last depth point taken
    // The last expectedHeight taken by the catch-up rule. A full 32-bit word:
    // holes reach 200 m, beyond what 16 bits hold.
    int32_t lastCatchUp = 0;
    // lastCatchUp of a raise that has made no catch-up yet (set at the bottom).
    static constexpr int32_t NoCatchUp = INT32_MIN;
};

struct AcqCycleInput {
    uint32_t stateWord = 0; // the state word at the start of the cycle
    int32_t moveDistance = 50;
    int32_t holeDepth = 20000;
    int32_t maxDepth = 20000;
    int32_t readHeight = 0; // the cycle's plain height read
    int32_t waveHeight = 0; // raising: height of the wave read (see cycleReadsWaveHeight)
    bool reinitDevice = false;
    bool needZeroHeight = false;
    bool needStepHeight = false;
    bool endReached = false;
    bool finishSent = false;
    bool recordEnabled = true;
    // The thread's pause and stop requests, as read after the height reads.
    bool paused = false;
    bool stopped = false;
};

struct AcqSampleOp {
    enum Kind {
        Append,       // sample for height
        ReplaceLast,  // replace the last sample with the one for height (append when empty)
        RemoveAbove,  // remove the sample for height and every one above it (step = move distance)
        AppendTopIfNeeded, // append the sample for height unless the last one has depth 0 or less
        Remeasure     // replace the last sample when it is the one for height, else append
    };
    Kind kind;
    int32_t height;
    int32_t step = 0;
    bool operator==(const AcqSampleOp &o) const { return kind == o.kind && height == o.height && step == o.step; }
};

struct AcqNotice {
    enum Kind {
        UpdateWaveData,         // a = isWave, b = isSeg
        BtnTextByState,         // a = state word (as unsigned)
        HandleLeakPoint,        // a = current height, b = expected height
        HandleCurHeightLeakPoint, // a, b as above
        HandleQuitLeakPoint,
        QueryThreadFinish,      // a = type
        RaiseBegunEvent         // the event 1004 to the owner
    };
    Kind kind;
    int64_t a = 0;
    int64_t b = 0;
    bool operator==(const AcqNotice &o) const { return kind == o.kind && a == o.a && b == o.b; }
};

struct AcqCycleResult {
    bool stateWritten = false;
    uint32_t newState = 0;
    // Flag changes for the thread to store (the thread clears a one-shot flag
    // only when the cycle consumed it).
    bool reinitDevice = false;      // initialise the device again, clear reinitDevice
    bool clearNeedZeroHeight = false;
    bool clearNeedStepHeight = false;
    bool clearFinishSent = false;
    bool setFinishSent = false;
    bool setEndReached = false;
    bool clearEndReached = false;
    bool stopThread = false;
    // A wave block is read before the sample operations (the wave samples at
    // the bottom); the block itself is not kept.
    bool waveReadBeforeSamples = false;
    QVector<AcqSampleOp> sampleOps;
    // In order; the thread sends them after the sample operations and the state.
    QVector<AcqNotice> notices;
    // Sleep before the next cycle, milliseconds (0: the cycle ended at once).
    int waitMs = 0;
};

// True when the cycle for this state word reads a wave block for its height
// (raising without a pending leak point or pause); the thread then reads it
// before calling runAcqCycle and passes the height in waveHeight.
bool cycleReadsWaveHeight(uint32_t stateWord);

// Decides one cycle; vars carry the heights from cycle to cycle.
AcqCycleResult runAcqCycle(const AcqCycleInput &in, AcqCycleVars &vars);

// Carries out sample operations on a list with the value of this moment;
// heights become depths by the settings.
void applyAcqSampleOps(const QVector<AcqSampleOp> &ops, SampleList &list, float value, const AcqSettings &settings);

// The inputs of a cycle from the state and flags and the set-up, with the
// given state word. Heights and the thread's own requests are the caller's.
AcqCycleInput acqCycleInput(const AcqControl &control, const AcqSettings &settings);
// Carries a cycle's result out on a state and its flags: flags consumed, the
// state word, then the flags set or cleared. Samples, notices and the stop
// are the caller's.
void applyAcqCycleControl(const AcqCycleResult &r, AcqControl &control);
