#include "acqstate.h"

std::atomic<uint32_t> curState{0};
std::atomic<uint8_t> needZeroHeight{0};
std::atomic<uint8_t> needStepHeight{0};
std::atomic<uint8_t> finishSent{0};
std::atomic<uint8_t> endReached{0};
std::atomic<uint8_t> reinitDevice{0};
std::atomic<uint8_t> recordEnabled{1};
std::atomic<uint8_t *> waveBuffer{nullptr};
std::atomic<int32_t> winchHeight{0};

uint32_t setState(uint32_t word) { return curState.exchange(word); }

uint32_t getState() { return curState.load(); }

void resetAcquisitionGlobals()
{
    curState = 0;
    needZeroHeight = 0;
    needStepHeight = 0;
    finishSent = 0;
    endReached = 0;
    reinitDevice = 0;
    recordEnabled = 1;
    winchHeight = 0;
}
