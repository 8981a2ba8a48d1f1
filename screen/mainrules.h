#pragma once
// Arithmetic of the main dialog's commands, kept apart from the widgets so
// that each rule can be checked on its own.

#include <QString>
#include <QStringList>
#include <cstdint>

// Items of the sediment panel's combo boxes, in display order.
QStringList curveRangeItems();
QStringList holeQualityItems();
QStringList curveMagnifyItems();
// Choices offered when the operator touches the range combo; "800" has no
// combo item on purpose (the combo then shows no selection).
QStringList curveRangeChoices();

// Range that shows the largest resistivity: the current range when it
// already does, else the first ladder step at or above it (4000 beyond 3000).
// Never lower than the current range.
int32_t adaptedCurveRange(int32_t currentRange, float largestResistivity);

// How a sampling mode drives the probe.
struct PaceSetup {
    int32_t intervalMs = 0;   // 0: no pace timer
    uint8_t deviceChannel = 0; // 0 in the winch modes, 1 in the manual ones
    bool moveVisible = false;
};
PaceSetup paceSetupForMode(int32_t sampleMode, int32_t moveDistanceMm);

// One pace-timer tick while raising: advances the tick counter (0..16) and
// tells whether the probe moves one step. The first fifteen ticks move on
// every third one, later ticks on every one.
bool paceTickMoves(int32_t &ticks);

// Screen saver: one second passed without cursor movement.
// Returns the backlight level to set, or -1 for none; idleSeconds is updated.
int32_t screenSaverIdleTick(int32_t &idleSeconds, int32_t screensaverSeconds, int32_t brightness);

// Depth (centimetres from the top) offered when the operator resamples from
// the move button: two steps below the current depth, at most the bottom.
int32_t resampleOfferCm(int32_t maxDepthMm, int32_t moveDistanceMm, int32_t heightCm);
// Height for the device store (centimetres above the bottom) for a depth in
// centimetres from the top.
int32_t heightForDepthCm(int32_t maxDepthMm, int32_t depthCm);

// Leak point in a manual mode: the depths (centimetres) offered by the
// resample dialog and the notice shown before it.
struct LeakResample {
    int32_t minDepthCm = 0;
    int32_t initialDepthCm = 0;
};
LeakResample leakResampleRange(int32_t holeDepthMm, int32_t leakHeightMm, int32_t moveDistanceMm);
QString manualLeakMessage(int32_t holeDepthMm, int32_t curHeightMm, int32_t leakHeightMm);

// Hole name of a reviewed file: the file name without the hole-file
// extension (fileExt in any case), which is removed only at its end:
// "/d/P/a12.czo" -> "a12", "X.CZOb.CZO" -> "X.CZOb".
QString reviewedHoleName(const QString &path);

// Sediment thickness text: a keypad value written with no
// decimals, rounding to the nearest whole number.
QString wholeNumberText(float value);
