#include "curvesvg.h"

#include "htmltext.h"
#include "reportcurve.h"

#include <QtMath>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr int kLeft = 64;
constexpr int kRight = 24;
constexpr int kTop = 44;
constexpr int kBottom = 16;

const char *const kOverlayColours[] = {"#e69f00", "#009e73", "#cc79a7", "#56b4e9", "#d55e00", "#999999"};

QByteArray num(double v) { return QByteArray::number(v, 'f', 1); }

// A readable depth step (mm) giving about ten ticks over the span.
double depthStep(double spanMm)
{
    const double steps[] = {100, 200, 250, 500, 1000, 2000, 2500, 5000, 10000, 20000, 25000, 50000};
    for (double s : steps) {
        if (spanMm / s <= 12)
            return s;
    }
    return 100000;
}
} // namespace

int curvePlotRows(const CurveSvgSize &size) { return qMax(1, size.height - kTop - kBottom); }

QVector<int> reduceToPixelRows(const QVector<Sample> &samples, double topMm, double bottomMm, int pixels)
{
    QVector<int> kept;
    const double span = bottomMm - topMm;
    if (pixels <= 0 || !(span > 0)) {
        for (int i = 0; i < samples.size(); ++i) {
            if (std::isfinite(samples.at(i).resistivity))
                kept << i;
        }
        return kept;
    }
    kept.reserve(qMin(samples.size(), 4 * pixels + 4));
    int runRow = INT_MIN;
    int first = -1, low = -1, high = -1, last = -1;
    auto flush = [&] {
        if (first < 0)
            return;
        int idx[4] = {first, low, high, last};
        std::sort(idx, idx + 4);
        for (int k = 0; k < 4; ++k) {
            if (k == 0 || idx[k] != idx[k - 1])
                kept << idx[k];
        }
        first = low = high = last = -1;
    };
    for (int i = 0; i < samples.size(); ++i) {
        const Sample &s = samples.at(i);
        if (!std::isfinite(s.resistivity))
            continue;
        const int row = qBound(0, int(std::floor((s.depth - topMm) / span * pixels)), pixels - 1);
        if (row != runRow) {
            flush();
            runRow = row;
        }
        if (first < 0) {
            first = low = high = last = i;
            continue;
        }
        last = i;
        if (s.resistivity < samples.at(low).resistivity)
            low = i;
        if (s.resistivity > samples.at(high).resistivity)
            high = i;
    }
    flush();
    return kept;
}

QByteArray curveSvg(const QVector<CurveSeries> &series, const CurveMarks &marks, const CurveSvgSize &size)
{
    const int w = size.width, h = size.height;
    const int plotW = w - kLeft - kRight;
    const int rows = curvePlotRows(size);

    // Depth axis: from the shallowest sample (or 0) to the hole's bottom.
    double top = 0, bottom = marks.maxDepthMm;
    QVector<Sample> all;
    bool any = false;
    for (const CurveSeries &c : series) {
        for (const Sample &s : c.samples) {
            top = any ? qMin(top, double(s.depth)) : double(s.depth);
            bottom = qMax(bottom, double(s.depth));
            any = true;
        }
        if (c.main)
            all = c.samples;
    }
    const double step0 = depthStep(bottom - top);
    top = any ? std::floor(top / step0) * step0 : 0;
    if (!(bottom > top))
        bottom = top + 1000;
    const int range = reportResistivityRange(all);
    auto xOf = [&](double v) { return kLeft + qBound(0.0, v / range, 1.02) * plotW; };
    auto yOf = [&](double d) { return kTop + (d - top) / (bottom - top) * rows; };

    QByteArray out;
    out.reserve(64 * 1024);
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"curve\" width=\"" + QByteArray::number(w)
         + "\" height=\"" + QByteArray::number(h) + "\" viewBox=\"0 0 " + QByteArray::number(w) + ' '
         + QByteArray::number(h) + "\" role=\"img\">\n";
    out += "<rect class=\"plot\" x=\"" + QByteArray::number(kLeft) + "\" y=\"" + QByteArray::number(kTop)
         + "\" width=\"" + QByteArray::number(plotW) + "\" height=\"" + QByteArray::number(rows) + "\"/>\n";
    // Resistivity scale along the top.
    for (const AxisTick &t : resistivityTicks(range)) {
        const QByteArray x = num(xOf(t.value));
        out += "<line class=\"grid\" x1=\"" + x + "\" y1=\"" + QByteArray::number(kTop) + "\" x2=\"" + x + "\" y2=\""
             + QByteArray::number(kTop + rows) + "\"/>";
        if (!t.label.isEmpty())
            out += "<text class=\"tick\" x=\"" + x + "\" y=\"" + QByteArray::number(kTop - 8)
                 + "\" text-anchor=\"middle\">" + htmlEscape(t.label).toUtf8() + "</text>";
        out += '\n';
    }
    // Depth scale on the left, metres.
    const double step = depthStep(bottom - top);
    for (double d = std::ceil(top / step) * step; d <= bottom + 0.5; d += step) {
        const QByteArray y = num(yOf(d));
        out += "<line class=\"grid\" x1=\"" + QByteArray::number(kLeft) + "\" y1=\"" + y + "\" x2=\""
             + QByteArray::number(kLeft + plotW) + "\" y2=\"" + y + "\"/><text class=\"tick\" x=\""
             + QByteArray::number(kLeft - 6) + "\" y=\"" + y + "\" dy=\"4\" text-anchor=\"end\">"
             + QByteArray::number(d / 1000.0, 'f', step < 1000 ? 2 : 1) + "</text>\n";
    }
    // Overlays first, the shown curve on top.
    int colour = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (const CurveSeries &c : series) {
            if (c.main != (pass == 1))
                continue;
            const QVector<int> keep = reduceToPixelRows(c.samples, top, bottom, rows);
            out += c.main ? QByteArray("<polyline class=\"main\" points=\"")
                          : "<polyline class=\"overlay\" stroke=\""
                                + QByteArray(kOverlayColours[colour++ % int(sizeof kOverlayColours / sizeof *kOverlayColours)])
                                + "\" points=\"";
            for (int k = 0; k < keep.size(); ++k) {
                const Sample &s = c.samples.at(keep.at(k));
                if (k)
                    out += ' ';
                out += num(xOf(s.resistivity)) + ',' + num(yOf(s.depth));
            }
            out += "\"><title>" + htmlEscape(c.label).toUtf8() + "</title></polyline>\n";
        }
    }
    // The judged label at the left end, the suggestion's at the right: the
    // two often mark the same depth.
    auto marker = [&](const char *cls, double depth, const QString &label, bool left) {
        const QByteArray y = num(yOf(depth));
        out += "<line class=\"" + QByteArray(cls) + "\" x1=\"" + QByteArray::number(kLeft) + "\" y1=\"" + y
             + "\" x2=\"" + QByteArray::number(kLeft + plotW) + "\" y2=\"" + y + "\"/><text class=\"" + QByteArray(cls)
             + "\" x=\"" + QByteArray::number(left ? kLeft + 4 : kLeft + plotW - 4) + "\" y=\"" + y
             + "\" dy=\"-5\" text-anchor=\"" + (left ? "start" : "end") + "\">" + htmlEscape(label).toUtf8()
             + "</text>\n";
    };
    if (marks.judgedThicknessCm > 0)
        marker("judged", judgedInterfaceDepth(marks.maxDepthMm, marks.judgedThicknessCm), marks.judgedLabel, true);
    if (marks.suggested)
        marker("suggested", marks.suggestedDepthMm, marks.suggestedLabel, false);
    out += "</svg>\n";
    return out;
}
