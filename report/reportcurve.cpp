#include "reportcurve.h"

#include "suggestionmarker.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QString reportText(const char *source)
{
    return QCoreApplication::translate("CHoleReport", source);
}

// Points this far outside the plot are pulled in: they are clipped anyway,
// and the painter's integer paths must not overflow.
constexpr double kBand = 20000.0;

QColor inkColor() { return QColor(40, 40, 40); }
QColor gridColor() { return QColor(215, 220, 228); }
QColor curveColor() { return QColor(71, 163, 248); }
// Labels over the curve stay readable on a light box.
QColor labelBackground() { return QColor(255, 255, 255, 210); }

QFont labelFont(double points, bool bold = false)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setStyleStrategy(QFont::PreferNoShaping); // no ligatures in the PDF's text
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace

int reportResistivityRange(const QVector<Sample> &samples)
{
    static const int ladder[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 1000, 2000, 3000};
    double top = 0.0;
    for (const Sample &s : samples)
        if (std::isfinite(s.resistivity))
            top = std::max(top, double(s.resistivity));
    for (int r : ladder)
        if (r >= top)
            return r;
    return 4000;
}

QVector<AxisTick> resistivityTicks(int range)
{
    QVector<AxisTick> ticks;
    range = std::max(range, 10);
    const int step = int(range / 4.5);
    for (int v = 0; v <= range; v += step)
        ticks.append({double(v), QString::number(v)});
    return ticks;
}

QVector<AxisTick> depthTicks(double topMm, double bottomMm, double paperMm)
{
    QVector<AxisTick> ticks;
    const double span = bottomMm - topMm;
    if (!(span > 0) || !(paperMm > 0) || !std::isfinite(span))
        return ticks;
    // Round steps of 1, 2 and 5 times a power of ten millimetres (10 mm up).
    double step = 10.0;
    for (int i = 0; i < 40 && step / span * paperMm < 8.0; ++i) {
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        step *= mantissa < 1.5 ? 2.0 : (mantissa < 3.0 ? 2.5 : 2.0);
    }
    const int decimals = step >= 1000.0 ? 0 : (step >= 100.0 ? 1 : 2);
    const double minor = step / 5.0;
    const double first = std::ceil(topMm / minor - 1e-9) * minor;
    for (int i = 0; i < 1000; ++i) {
        const double v = first + i * minor;
        if (v > bottomMm + 1e-6)
            break;
        const double ratio = v / step;
        const bool major = std::fabs(ratio - std::round(ratio)) < 1e-6;
        ticks.append({v, major ? QString::number(v / 1000.0, 'f', decimals) : QString()});
    }
    return ticks;
}

double ReportCurvePanel::yOfDepth(double depthMm) const
{
    const double span = bottomMm - topMm;
    const double y = span > 0 ? plot.top() + (depthMm - topMm) * plot.height() / span : plot.top();
    return std::clamp(y, plot.top() - kBand, plot.bottom() + kBand);
}

double ReportCurvePanel::xOfValue(double value) const
{
    const double x = plot.left() + value * plot.width() / std::max(range, 1);
    return std::clamp(x, plot.left() - kBand, plot.right() + kBand);
}

QPointF ReportCurvePanel::point(const Sample &s) const
{
    return QPointF(xOfValue(double(s.resistivity)), yOfDepth(double(s.depth)));
}

double judgedInterfaceDepth(int maxDepth, int32_t thicknessCm)
{
    return double(maxDepth) - 10.0 * double(thicknessCm);
}

void drawReportCurve(QPainter &painter, const ReportCurvePanel &panel, const QString &title,
                     const QVector<Sample> &samples, const ReportCurveMarks &marks, double pxPerMm)
{
    const QRectF &plot = panel.plot;
    painter.save();
    const double thin = std::max(1.0, 0.15 * pxPerMm);
    const double line = std::max(1.0, 0.35 * pxPerMm);

    // Titles above the scale.
    painter.setPen(inkColor());
    painter.setFont(labelFont(8.5, true));
    painter.drawText(QRectF(plot.left(), plot.top() - 15 * pxPerMm, plot.width(), 5 * pxPerMm),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(labelFont(7));
    painter.drawText(QRectF(plot.left(), plot.top() - 10 * pxPerMm, plot.width(), 4.5 * pxPerMm),
                     Qt::AlignRight | Qt::AlignVCenter, reportText("电阻率(Ω∙m)"));
    painter.drawText(QRectF(plot.left() - 14 * pxPerMm, plot.bottom() + 1 * pxPerMm, 14 * pxPerMm, 4 * pxPerMm),
                     Qt::AlignRight | Qt::AlignTop, reportText("深度(m)"));

    // Resistivity scale along the top, grid lines down the plot.
    painter.setFont(labelFont(6.5));
    for (const AxisTick &t : resistivityTicks(panel.range)) {
        const double x = panel.xOfValue(t.value);
        painter.setPen(QPen(gridColor(), thin));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(QPen(inkColor(), thin));
        painter.drawLine(QPointF(x, plot.top() - 1.2 * pxPerMm), QPointF(x, plot.top()));
        painter.drawText(QRectF(x - 8 * pxPerMm, plot.top() - 5.2 * pxPerMm, 16 * pxPerMm, 3.8 * pxPerMm),
                         Qt::AlignCenter, t.label);
    }
    // Depth scale along the left.
    for (const AxisTick &t : depthTicks(panel.topMm, panel.bottomMm, plot.height() / pxPerMm)) {
        const double y = panel.yOfDepth(t.value);
        const bool major = !t.label.isEmpty();
        if (major) {
            painter.setPen(QPen(gridColor(), thin));
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
        painter.setPen(QPen(inkColor(), thin));
        painter.drawLine(QPointF(plot.left() - (major ? 1.2 : 0.6) * pxPerMm, y), QPointF(plot.left(), y));
        if (major)
            painter.drawText(QRectF(plot.left() - 14 * pxPerMm, y - 2 * pxPerMm, 12.5 * pxPerMm, 4 * pxPerMm),
                             Qt::AlignRight | Qt::AlignVCenter, t.label);
    }
    painter.setPen(QPen(inkColor(), thin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    // Curve, broken where a value is not a number.
    painter.setClipRect(plot.adjusted(-line, -line, line, line));
    painter.setPen(QPen(curveColor(), line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QVector<QPointF> run;
    auto flush = [&] {
        if (run.size() == 1)
            painter.drawPoint(run.first());
        else if (run.size() > 1)
            painter.drawPolyline(run.constData(), run.size());
        run.clear();
    };
    for (const Sample &s : samples) {
        if (!std::isfinite(s.resistivity)) {
            flush();
            continue;
        }
        run.append(panel.point(s));
    }
    flush();

    // Judged interface (red) and suggestion (dashed): each label goes on the
    // side of its line away from the other line, so no line crosses a label.
    const double judged = judgedInterfaceDepth(marks.maxDepth, marks.sedimentThicknessCm);
    const SedimentSuggestion &s = marks.suggestion;
    const bool showJudged = marks.judged && judged >= panel.topMm && judged <= panel.bottomMm;
    const bool showSuggestion = s.shown() && s.depth >= panel.topMm && s.depth <= panel.bottomMm;
    const bool judgedLabelBelow = showSuggestion && judged > s.depth;
    painter.setFont(labelFont(6.5));
    if (showJudged) {
        const double y = panel.yOfDepth(judged);
        painter.setPen(QPen(Qt::red, line));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        const QString label = reportText("沉渣面 %1cm").arg(marks.sedimentThicknessCm);
        const double h = QFontMetricsF(painter.font(), painter.device()).height();
        const double top = markerLabelTop(y, h, 0.4 * pxPerMm, plot.top(), plot.bottom(), judgedLabelBelow);
        const double w = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(label);
        const QRectF box(plot.left() + 1 * pxPerMm, top, w + 1 * pxPerMm, h);
        painter.fillRect(box, labelBackground());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    if (showSuggestion)
        drawSuggestionMarker(painter, plot.toRect(), int(std::lround(panel.yOfDepth(s.depth))), s,
                             int(std::lround(line)), showJudged && !judgedLabelBelow, labelBackground());
    painter.restore();
}
