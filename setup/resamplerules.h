#pragma once
// Depth arithmetic of the leak notice and the resample question, kept apart
// from their widgets. Depths count from the hole top.

#include <QString>
#include <cstdint>

namespace ResampleRules {

// Depth of a height (millimetres above the bottom) in metres with two
// decimals: (holeDepth - height) / 1000.
QString depthMetresText(int32_t holeDepthMm, int32_t heightMm);

enum class Verdict {
    Accepted,
    OutOfRange,  // below the current depth or beyond the hole depth
    NotMultiple, // not a whole number of move distances from the current depth
};

// Checks a resample depth (centimetres) against the current depth
// (centimetres), the hole depth and the move distance (millimetres).
Verdict check(int32_t reDepthCm, int32_t minDepthCm, int32_t maxDepthMm, int32_t moveDistanceMm);

// The message for a refused depth through the catalogue (context
// CDlgReSample); empty for an accepted one.
QString message(Verdict verdict, int32_t minDepthCm, int32_t maxDepthMm, int32_t moveDistanceMm);

} // namespace ResampleRules
