#pragma once
// A suggested sediment interface: the sample where the resistivity curve
// changes level near the bottom of the hole.
//
// The samples of the last metres above the hole bottom are split, in depth
// order, into a lower part (the sediment) and an upper part (the mud) so that
// the sum of absolute deviations from each part's median is smallest. Medians
// and absolute deviations keep single spikes from moving the split. The
// confidence grows with the step between the two medians measured in units of
// the noise (a robust spread of the deviations).
//
// Nothing is suggested until both parts are enough to judge: the sediment
// below and a settled level of mud above it (see the options).
//
// The suggestion is advice only: nothing here changes a sample or a judgement.
// The operator accepts it by selecting the suggested sample and judging as
// usual, which gives exactly `thicknessCm`.

#include "testrecord.h"

#include <QVector>
#include <cstdint>

struct SedimentSuggestOptions {
    // Height above the hole bottom that is searched, millimetres.
    int windowMm = 3000;
    // Evidence before anything is suggested. The sediment is at least the
    // bottom sample. The mud above it must hold this many samples over at
    // least this height (while the probe is still in the sediment there is
    // no mud at all), and it must have settled: the medians of its deepest
    // and of its shallowest third lie within plateauShare of the step of
    // each other. While the probe rises through the change the upper part is
    // still a slope and fails that.
    int minLowerSamples = 1;
    int minUpperSamples = 5;
    int minUpperSpanMm = 150;
    double plateauShare = 0.25;
    // The deepest samples of the window taken at most (bounds the work on
    // very fine sampling).
    int maxWindowSamples = 2000;
    // Step-to-noise ratios at which the confidence starts to rise from 0 and
    // reaches 1.
    double lowRatio = 3.0;
    double highRatio = 8.0;
};

struct SedimentSuggestion {
    bool found = false;      // a split could be computed at all
    int sampleIndex = -1;    // index in the list handed in: top of the sediment
    int32_t depth = 0;       // that sample's depth, millimetres
    int32_t thicknessCm = 0; // (maxDepth - depth) / 10 cut toward zero, as judging gives
    double confidence = 0.0; // 0 .. 1
    double stepToNoise = 0.0; // |lower level - upper level| / noise
    float lowerLevel = 0.0f; // median of the sediment part
    float upperLevel = 0.0f; // median of the mud part
    double noise = 0.0;      // robust spread of the deviations (1.4826 x MAD)
    int lowerSamples = 0;
    int upperSamples = 0;

    // Clear enough to be shown on the curve.
    bool shown() const { return found && confidence >= 0.25; }
    // A step well above the noise.
    bool clear() const { return found && confidence >= 0.5; }
};

// samples in any order (acquisition order is bottom first); maxDepth and
// moveDistance in millimetres. Samples with a value that is not a finite
// number are left out.
SedimentSuggestion suggestSedimentInterface(const QVector<Sample> &samples, int maxDepth, int moveDistance,
                                            const SedimentSuggestOptions &options = SedimentSuggestOptions());

// Sediment thickness in centimetres that judging a sample at this depth gives.
int32_t thicknessForDepth(int maxDepth, int32_t depth);
