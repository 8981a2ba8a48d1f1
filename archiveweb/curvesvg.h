#pragma once
// The resistivity curve of a hole as SVG, drawn as on the instrument: depth
// downwards, resistivity across, the judged interface in red and the
// suggested one dashed. Other tests and versions of the hole may be laid
// over it.
//
// A curve never carries more points than the picture can show: samples that
// fall on the same pixel row of depth are reduced to the first, the lowest,
// the highest and the last of them, so no minimum or maximum is lost.

#include "testrecord.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Indices of the samples kept for a depth axis from topMm to bottomMm over
// pixels rows, in the samples' order. Samples whose value is not a finite
// number are left out.
QVector<int> reduceToPixelRows(const QVector<Sample> &samples, double topMm, double bottomMm, int pixels);

struct CurveSeries {
    QVector<Sample> samples;
    QString label;   // legend text
    bool main = false; // the one shown; the others are overlays
};

struct CurveMarks {
    int maxDepthMm = 0;
    int judgedThicknessCm = 0; // the judged interface (0: none drawn)
    bool suggested = false;
    int suggestedDepthMm = 0;
    QString suggestedLabel;    // e.g. "建议沉渣 30cm (92%)"
    QString judgedLabel;       // e.g. "沉渣 30 cm"
};

struct CurveSvgSize {
    int width = 640;
    int height = 900;
};

// The picture as an inline <svg> element (UTF-8); texts are escaped.
QByteArray curveSvg(const QVector<CurveSeries> &series, const CurveMarks &marks, const CurveSvgSize &size = {});
// Plot rows of the depth axis of such a picture (for the reduction).
int curvePlotRows(const CurveSvgSize &size);
