#pragma once
// The depth/resistivity picture of the measurement screen: frame, both
// scales, the curve through all samples, the marker of the selected sample,
// and the resolution of a pending press on the picture into a sample.
//
// The pure functions below hold every geometric and scale decision so that
// they can be checked without pixels; DrawCurvePicture only paints them.

#include "suggestionmarker.h"
#include "testrecord.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>
#include <cstdint>
#include <memory>

class QPaintDevice;
class QPainter;
class QPixmap;
class QSize;

// The unit of resistivity, written after its titles and names: "(Ω∙m)".
QString defaultRangeUnitText();

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
// The same ticks, only those whose y lies in [yMin, yMax]: a magnified
// curve paints a small part of a scale of thousands of steps.
QVector<DepthTick> depthTicks(const QRect &strip, int maxDepth, int moveDistance, int yMin, int yMax);

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

struct CurveInputs;
class CSampleMirror;
class CtrlInfo;
class SampleList;

// The picture of one curve widget, with what it keeps between paints: the
// unchanging layers and the suggested interface.
class CCurvePicture {
public:
    // A press that lies off the plot's pick area.
    static constexpr int OffPicture = -2;

    CCurvePicture();
    ~CCurvePicture();
    CCurvePicture(const CCurvePicture &) = delete;
    CCurvePicture &operator=(const CCurvePicture &) = delete;

    // What the picture shows: the samples and the record whose scales
    // (range, depth, move distance) it draws them on. Both outlive the
    // picture's use of them; none: an empty picture on default scales.
    void setSource(const SampleList *samples, const CtrlInfo *record);

    // An earlier test drawn faded under the curve, on the same scales, with
    // its label (name and date) in the plot's corner; empty samples: none.
    void setOverlay(const QVector<Sample> &samples, const QString &label);
    bool hasOverlay() const { return !m_overlay.isEmpty(); }

    // The sample marked with the red line and dot, -1 for none: the view
    // says which (the mark, or the newest sample of a test).
    void setSelected(int index) { m_selected = index; }
    int selected() const { return m_selected; }

    // Unit suffix of the resistivity title ("(Ω∙m)").
    void setUnitText(const QString &text) { m_unitText = text; }
    QString unitText() const { return m_unitText; }
    // Draws the whole picture for a canvas of the given size with the
    // source's record and samples and the selection; the
    // painter's clip limits the work. Changes nothing but the caches.
    void paint(QPainter &painter, const QSize &size);
    // The sample a press at `press` on a canvas of that size picks: false
    // while there are no samples (the press waits); else true with the
    // index, -1 when no sample lies within half a move distance, or
    // OffPicture.
    bool pick(const QSize &size, const QPoint &press, int *index);

private:
    struct Cache;
    const QPixmap &cachedLayer(const CurveInputs &in, const CSampleMirror &mirror);
    const QVector<QPoint> &curvePoints(const CurveInputs &in, const CSampleMirror &mirror);

    std::unique_ptr<Cache> m_cache;
    CSuggestionCache m_suggestion;
    QString m_unitText;
    QVector<Sample> m_overlay;
    QString m_overlayLabel;
    uint64_t m_overlayId = 0; // changes with every new overlay (cache key)
    int m_selected = -1;
    const SampleList *m_samples = nullptr;
    const CtrlInfo *m_record = nullptr;
};

// Draws the whole picture of a record and its samples into pixmap (its size
// is the canvas), as a fresh widget would, with the given sample marked
// (-1: none).
void DrawCurvePicture(QPixmap &pixmap, const SampleList &samples, const CtrlInfo &record, int selected = -1);

// Colours of the picture.
QColor curveBackground(int styleSetting);
QColor curveForeground();
// The faded colour of an earlier test's curve.
QColor curveOverlayColour(int styleSetting);
