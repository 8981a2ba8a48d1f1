#pragma once
// The depth/resistivity picture of the measurement screen: frame, both
// scales, the curve through all samples, the marker of the selected sample,
// and the resolution of a pending press on the picture into a sample.
//
// The pure functions below hold every geometric and scale decision so that
// they can be checked without pixels; DrawCurvePicture only paints them.

#include "testrecord.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>
#include <atomic>
#include <cstdint>
#include <functional>

class QPaintDevice;
class QPainter;
class QPixmap;
class QSize;

// Pending press on the picture in widget pixels: -2 when none, -1 once the
// drawing has turned it into a sample selection.
extern std::atomic<int32_t> pickX;
extern std::atomic<int32_t> pickY;

// Unit suffix shown after the resistivity titles ("(Ω∙m)"). The main dialog
// points it at the last five characters of its range label; the default
// returns the fixed unit text.
extern std::function<QString()> gRangeUnitText;
QString rangeUnitText();

// The rectangles of a W x H canvas.
struct CurveGeometry {
    QRect frame;  // everything is drawn inside
    QRect depthStrip;  // A: depth ticks and labels
    QRect resiStrip;   // B: resistivity ticks and labels
    QRect plot;        // C: curve and marker
};
CurveGeometry curveGeometry(int width, int height);

// Resistivity scale along a strip of stripWidth pixels for a full scale of
// range ohm-metres: value step, pixel step and the number of ticks.
struct ResistivityScale {
    int valueStep = 0;
    int pixelStep = 0;
    int tickCount = 0; // ticks j = 0 .. tickCount-1 with j*pixelStep < width
};
ResistivityScale resistivityScale(int range, int stripWidth);

// Depth scale along a strip of stripHeight pixels.
struct DepthScale {
    double depthM = 0;      // D, metres
    float stepM = 0;        // S, metres
    double steps = 0;       // n = D / S
    double pixelsPerStep = 0; // P
    int tickEvery = 1;      // k
    int labelEvery = 5;     // L
    int stepCount = 0;      // i runs 1 .. stepCount
};
DepthScale depthScale(int maxDepth, int moveDistance, int stripHeight);
// Whether the depth v (metres) of a step gets a label (before the interval rule).
bool isDepthLabel(float v, float stepM, double depthM);

// One depth step of the scale: tick y, tick length (0: no tick), label text
// (empty: none) and the label's top-left corner.
struct DepthTick {
    int index = 0;  // i, from 1
    int y = 0;
    int tickLength = 0;
    QString label;
    QPoint labelTopLeft;
    int labelSide = 0;
};
QVector<DepthTick> depthTicks(const QRect &strip, int maxDepth, int moveDistance);

// Pixel of a sample on the plot (not clipped).
QPoint curvePoint(const QRect &plot, int range, int maxDepth, int32_t depth, float resistivity);
// Points of the curve through list[from..]; runs of points on one pixel row
// are reduced to the ones that draw the same pixels (first, extremes, last).
QVector<QPoint> curvePolyline(const QRect &plot, int range, int maxDepth, const QVector<Sample> &list, int from);

// Whether a press at (x, y) lies on the pick area (the plot extended 10
// pixels downwards); when it does, *depth receives the picked depth in mm.
bool pickedDepth(const QRect &plot, int maxDepth, int x, int y, int *depth);
// Index of the last sample whose depth window (moveDistance/2 either side)
// holds the picked depth, or -1.
int pickSampleIndex(const QVector<Sample> &list, int pickDepthMm, int moveDistance);

// Draws text with a "Sans Serif" font fitted to rect and leaves that font on
// the painter; returns the chosen size.
int FitText(QPainter &painter, const QString &text, const QRect &rect, int flags, int weight);
// The point size FitText chooses for a target line height on a device: the
// line height of the first "Sans Serif" size whose line height reaches it
// from below (the target itself when none does).
int fitTextSize(const QPaintDevice *device, int target, int weight);

// Draws the whole picture into pixmap (its size is the canvas) with the
// current control information, sample list and selection, and resolves a
// pending press. Parts that do not change between calls are cached.
void DrawCurvePicture(QPixmap &pixmap);
// The same onto any painter for a canvas of the given size (the widget paints
// straight onto itself; the painter's clip limits the work).
void DrawCurvePicture(QPainter &painter, const QSize &size);

// Colours of the picture.
QColor curveBackground(int styleSetting);
QColor curveForeground();
