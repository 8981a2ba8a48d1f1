#pragma once
// The acquisition state word and the one-shot request flags that the main
// dialog (GUI thread) and the acquisition thread exchange. Each is a single
// atomic word: a change made by one side is seen by the other on its next
// cycle. No lock is ever needed for them.

#include <QAtomicInt>
#include <atomic>
#include <cstdint>

// State codes (upper 16 bits of curState) and sub-states (lowest 4 bits).
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

extern std::atomic<uint32_t> curState;
// Stores a new state word and returns the previous one.
uint32_t setState(uint32_t word);
uint32_t getState();

extern std::atomic<uint8_t> needZeroHeight;
extern std::atomic<uint8_t> needStepHeight;
extern std::atomic<uint8_t> finishSent;
extern std::atomic<uint8_t> endReached;
extern std::atomic<uint8_t> reinitDevice;
extern std::atomic<uint8_t> recordEnabled;

// Number of 16-bit points in one wave read.
constexpr int32_t waveLength = 0xC00;
// Buffer handed to every wave read; owned by the acquisition thread while it runs.
extern std::atomic<uint8_t *> waveBuffer;

// Height in millimetres derived from the winch controller's pulse count;
// written by the application model, read by the acquisition thread.
extern std::atomic<int32_t> winchHeight;

// Puts every acquisition global back to its process-start value
// (tests and a full restart use it).
void resetAcquisitionGlobals();
