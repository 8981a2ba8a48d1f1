#pragma once
// The resistivity-against-depth curve of a printed report: depth down the
// panel, resistivity to the right, the resistivity scale along the top and
// the depth scale along the left as on the measurement screen, the judged
// sediment interface as a red line and the suggested one dashed.
//
// Scales and mapping are plain functions so that tests check them without
// a painter.

#include "sedimentsuggest.h"
#include "testrecord.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <cstdint>

class QPainter;

// Full scale of the resistivity axis: the first value of the screen's range
// ladder (10, 20, ... 100, 200, ... 700, 1000, 2000, 3000) that holds the
// largest finite resistivity, 4000 above that.
int reportResistivityRange(const QVector<Sample> &samples);

struct AxisTick {
    double value = 0;  // ohm-metres, or millimetres of depth
    QString label;     // empty: minor tick
};

// Labels at every (range / 4.5 cut toward zero) ohm-metres from 0, as the
// screen's scale steps.
QVector<AxisTick> resistivityTicks(int range);
// Depth ticks between two depths (millimetres) for an axis paperMm long:
// labelled ticks at a round step of metres at least about 8 mm apart on
// paper, four minor ticks between them. Labels in metres with the decimals
// the step needs.
QVector<AxisTick> depthTicks(double topMm, double bottomMm, double paperMm);

// One panel: what part of the hole it shows and where on the page.
struct ReportCurvePanel {
    QRectF plot;         // device pixels
    int range = 10;      // resistivity full scale
    double topMm = 0;    // depth at the plot's top edge
    double bottomMm = 1; // depth at its bottom edge

    double yOfDepth(double depthMm) const;
    double xOfValue(double value) const;
    // The point of a sample, held within a wide band around the plot so that
    // forged extremes cannot overflow the painter.
    QPointF point(const Sample &s) const;
};

// What the panel marks besides the curve.
struct ReportCurveMarks {
    int maxDepth = 0;
    int32_t sedimentThicknessCm = 0;
    // False for a test not judged yet: no judged interface is drawn.
    bool judged = true;
    SedimentSuggestion suggestion;
};

// Draws one panel: title above, both scales, the curve clipped to the plot,
// the judged interface (red, labelled with the thickness) and the suggestion
// (dashed) when it is shown. pxPerMm converts paper millimetres to device
// pixels for line widths and gaps.
void drawReportCurve(QPainter &painter, const ReportCurvePanel &panel, const QString &title,
                     const QVector<Sample> &samples, const ReportCurveMarks &marks, double pxPerMm);

// Depth of the judged interface: maxDepth - thickness x 10 mm.
double judgedInterfaceDepth(int maxDepth, int32_t thicknessCm);
