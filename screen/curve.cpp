#include "curve.h"

#include "ctrlinfo.h"
#include "curvesamples.h"
#include "reportcurve.h"
#include "suggestionmarker.h"
#include "sysconfig.h"
#include "verdict.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

const char kFontFamily[] = "Sans Serif";
// Canvases up to this many pixels keep a cached copy of the unchanging
// layers; larger ones (high magnification) are painted directly, clipped to
// what is exposed, so that memory stays bounded.
const int kMaxCachedPixels = 4 * 1024 * 1024;
// Full scale used when the configured range is unusable (below 10 the value
// step would be 0 and the scale would never end).
const int kMinRange = 10;

int usableRange(int range)
{
    return range < kMinRange ? kMinRange : range;
}

QString qobjectText(const char *source)
{
    return QCoreApplication::translate("QObject", source);
}

} // namespace

QString defaultRangeUnitText() { return QStringLiteral("(Ω∙m)"); }

QColor curveBackground(int styleSetting)
{
    return styleSetting == 0 ? QColor(255, 255, 255) : QColor(40, 48, 66);
}

QColor curveForeground()
{
    return QColor(71, 163, 248);
}

QColor curveOverlayColour(int styleSetting)
{
    // The foreground blended two thirds of the way into the background.
    const QColor fore = curveForeground(), back = curveBackground(styleSetting);
    auto mix = [](int f, int b) { return (f + 2 * b) / 3; };
    return QColor(mix(fore.red(), back.red()), mix(fore.green(), back.green()), mix(fore.blue(), back.blue()));
}

CurveGeometry curveGeometry(int width, int height)
{
    CurveGeometry g;
    g.frame = QRect(QPoint(25, 25), QPoint(width - 25, height - 25));
    g.depthStrip = QRect(QPoint(25, 55), QPoint(54, height - 25));
    g.resiStrip = QRect(QPoint(55, 25), QPoint(width - 25, 54));
    g.plot = QRect(QPoint(55, 55), QPoint(width - 25, height - 25));
    return g;
}

ResistivityScale resistivityScale(int range, int stripWidth)
{
    ResistivityScale s;
    range = usableRange(range);
    s.valueStep = int(range / 4.5);
    s.pixelStep = int(int64_t(stripWidth) * s.valueStep / range);
    if (s.pixelStep <= 0) {
        // A strip too narrow for one step still shows the zero tick.
        s.tickCount = stripWidth > 0 ? 1 : 0;
        return s;
    }
    while (int64_t(s.tickCount) * s.pixelStep < stripWidth)
        ++s.tickCount;
    return s;
}

DepthScale depthScale(int maxDepth, int moveDistance, int stripHeight)
{
    DepthScale s;
    s.depthM = maxDepth / 1000.0;
    s.stepM = float(moveDistance / 1000.0);
    if (moveDistance <= 0 || maxDepth < 0 || stripHeight <= 0)
        return s; // no steps: nothing sensible to divide the axis into
    s.steps = s.depthM / double(s.stepM);
    s.pixelsPerStep = stripHeight / std::ceil(s.steps + 1);
    s.tickEvery = int(10 / s.pixelsPerStep);
    if (s.tickEvery == 0) {
        s.tickEvery = 1;
        s.labelEvery = 5;
    } else {
        s.labelEvery = 5 * s.tickEvery;
    }
    s.stepCount = int(std::ceil(s.steps)) + 1;
    return s;
}

bool isDepthLabel(float v, float stepM, double depthM)
{
    if (depthM > 1)
        return v - float(std::trunc(v)) < 0.00001f;
    return double(std::trunc(v)) / double(stepM) == 5.0;
}

QVector<DepthTick> depthTicks(const QRect &strip, int maxDepth, int moveDistance)
{
    return depthTicks(strip, maxDepth, moveDistance, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

QVector<DepthTick> depthTicks(const QRect &strip, int maxDepth, int moveDistance, int yMin, int yMax)
{
    QVector<DepthTick> ticks;
    const DepthScale s = depthScale(maxDepth, moveDistance, strip.height());
    const int x1 = strip.left();
    const int y1 = strip.top();
    const int x2 = strip.right();
    const double P = s.pixelsPerStep;
    // Step i lies at y1 + int(P * (i - 1) + 1), so y >= yMin needs
    // i >= (yMin - y1 - 1) / P + 1 and y <= yMax needs i < (yMax - y1) / P + 1.
    // One step of margin on each side covers the rounding; the exact test is
    // on y below.
    int first = 1;
    int last = s.stepCount;
    if (P > 0) {
        first = int(qBound(1.0, std::floor((double(yMin) - y1 - 1) / P), double(s.stepCount) + 1));
        last = int(qBound(0.0, std::ceil((double(yMax) - y1) / P) + 1, double(s.stepCount)));
    }
    for (int i = first; i <= last; ++i) {
        if ((i - 1) % s.tickEvery != 0)
            continue;
        const int y = y1 + int(P * i - (P - 1));
        if (y < yMin || y > yMax)
            continue;
        const float v = float(double(s.stepM) * (i - 1));
        const bool labelled = isDepthLabel(v, s.stepM, s.depthM) && (i - 1) % s.labelEvery == 0;
        DepthTick t;
        t.index = i;
        t.y = y;
        t.tickLength = labelled ? 10 : 4;
        if (labelled) {
            t.label = QStringLiteral("%1").arg(double(v), 0, 'f', s.depthM <= 1 ? 2 : 0);
            t.labelTopLeft = QPoint(x1, y1 + 4 + int(P * i - 4 - (P - 1)));
            t.labelSide = x2 + 1 - x1;
        }
        ticks.append(t);
    }
    return ticks;
}

QPoint curvePoint(const QRect &plot, int range, int maxDepth, int32_t depth, float resistivity)
{
    const int x = int(plot.left() + double(resistivity) * plot.width() / usableRange(range));
    const int y = maxDepth > 0 ? plot.top() + int(int64_t(depth) * plot.height() / maxDepth) : plot.top();
    return QPoint(x, y);
}

bool pickedDepth(const QRect &plot, int maxDepth, int x, int y, int *depth)
{
    const QRect area(plot.topLeft(), QPoint(plot.right(), plot.bottom() + 10));
    if (!area.contains(x, y))
        return false;
    if (depth)
        *depth = plot.height() > 0 ? int(int64_t(y - plot.top()) * maxDepth / plot.height()) : 0;
    return true;
}

int pickSampleIndex(const QVector<Sample> &list, int pickDepthMm, int moveDistance)
{
    const int64_t h = moveDistance / 2;
    for (int i = list.size() - 1; i >= 0; --i) {
        const int64_t d = list.at(i).depth;
        if (d - h < pickDepthMm && pickDepthMm <= d + h)
            return i;
    }
    return -1;
}

QVector<QPoint> curvePolyline(const QRect &plot, int range, int maxDepth, const QVector<Sample> &list, int from)
{
    QVector<QPoint> out;
    if (from < 0)
        from = 0;
    out.reserve(std::min(list.size() - from, 4 * plot.height() + 8));
    // Consecutive points on one pixel row draw only the span between their
    // extremes; keeping first, extremes and last draws the same pixels.
    int i = from;
    while (i < list.size()) {
        const QPoint first = curvePoint(plot, range, maxDepth, list.at(i).depth, list.at(i).resistivity);
        QPoint lo = first, hi = first, last = first;
        int loAt = i, hiAt = i;
        int j = i + 1;
        for (; j < list.size(); ++j) {
            const QPoint p = curvePoint(plot, range, maxDepth, list.at(j).depth, list.at(j).resistivity);
            if (p.y() != first.y())
                break;
            if (p.x() < lo.x()) { lo = p; loAt = j; }
            if (p.x() > hi.x()) { hi = p; hiAt = j; }
            last = p;
        }
        const QPoint seq[4] = {first, loAt <= hiAt ? lo : hi, loAt <= hiAt ? hi : lo, last};
        for (const QPoint &p : seq) {
            if (out.isEmpty() || out.last() != p)
                out.append(p);
        }
        i = j;
    }
    return out;
}

// ---------------------------------------------------------------- FitText

int fitTextSize(const QPaintDevice *device, int target, int weight)
{
    // The search depends only on these three; labels repeat them constantly.
    struct Key {
        int dpi, target, weight;
        bool operator==(const Key &o) const { return dpi == o.dpi && target == o.target && weight == o.weight; }
    };
    struct KeyHash {
        size_t operator()(const Key &k) const { return size_t(k.dpi) * 1000003u ^ size_t(k.target) * 131u ^ size_t(k.weight); }
    };
    static std::unordered_map<Key, int, KeyHash> memo;
    static QHash<QPair<int, int>, int> heights; // (point size, weight) per dpi below
    static int heightsDpi = -1;
    const int dpi = device ? device->logicalDpiY() : 0;
    const Key key{dpi, target, weight};
    const auto it = memo.find(key);
    if (it != memo.end())
        return it->second;
    if (heightsDpi != dpi) {
        heights.clear();
        heightsDpi = dpi;
    }
    auto lineHeight = [&](int points) {
        const QPair<int, int> hk(points, weight);
        auto h = heights.find(hk);
        if (h == heights.end()) {
            const QFont f(QString::fromLatin1(kFontFamily), points, weight);
            const QFontMetrics fm = device ? QFontMetrics(f, const_cast<QPaintDevice *>(device)) : QFontMetrics(f);
            h = heights.insert(hk, fm.height());
        }
        return h.value();
    };
    int result = target;
    for (int k = 0; k < 3000; ++k) {
        const int s1 = int(0.1 * k + 0.1);
        const int s2 = int(0.1 * k + 0.2);
        const int h1 = lineHeight(s1);
        if (h1 <= target && target <= lineHeight(s2)) {
            result = h1;
            break;
        }
    }
    memo.emplace(key, result);
    return result;
}

int FitText(QPainter &painter, const QString &text, const QRect &rect, int flags, int weight)
{
    const int lines = text.count(QLatin1Char('\n')) + 1;
    const int target = ((rect.bottom() + 1 - rect.top()) / lines) * 4 / 5;
    const int size = fitTextSize(painter.device(), target, weight);
    painter.setFont(QFont(QString::fromLatin1(kFontFamily), size, weight, false));
    painter.drawText(rect.translated(0, 5), flags, text);
    return size;
}

// ---------------------------------------------------------------- picture

struct CurveInputs {
    QSize size;
    int range = 0;
    int maxDepth = 0;
    int moveDistance = 0;
    int style = 0;
    QString resiTitle;
    QString depthTitle;
    uint64_t overlayId = 0;

    bool operator==(const CurveInputs &o) const
    {
        return size == o.size && range == o.range && maxDepth == o.maxDepth && moveDistance == o.moveDistance
            && style == o.style && resiTitle == o.resiTitle && depthTitle == o.depthTitle
            && overlayId == o.overlayId;
    }
    bool operator!=(const CurveInputs &o) const { return !(*this == o); }
};

namespace {

CurveInputs currentInputs(const CtrlInfo &record, const QSize &size, const QString &unitText, uint64_t overlayId)
{
    CurveInputs in;
    in.overlayId = overlayId;
    in.size = size;
    in.range = usableRange(record.curveRange);
    in.maxDepth = record.maxDepth;
    in.moveDistance = record.moveDistance;
    in.style = style;
    in.resiTitle = qobjectText("电阻率") + unitText;
    in.depthTitle = qobjectText("深度(m)");
    return in;
}

QPen axisPen()
{
    return QPen(curveForeground(), 2);
}

void drawResistivityAxis(QPainter &p, const QRect &strip, const CurveInputs &in)
{
    const int x1 = strip.left(), y1 = strip.top(), x2 = strip.right(), y2 = strip.bottom();
    const int Wb = x2 + 1 - x1;
    const int Hb = y2 + 1 - y1;
    const int yt = int(0.5 * Hb + y1 - (Hb / 15 - 2));
    FitText(p, QStringLiteral(" "), QRect(QPoint(x1, y1), QPoint(x2, yt)), Qt::AlignCenter, QFont::Normal);
    const QFont stripFont = p.font();
    const int w2 = p.fontMetrics().horizontalAdvance(QStringLiteral("  "));
    p.setPen(axisPen());

    const ResistivityScale s = resistivityScale(in.range, Wb);
    const int top = int(y2 - 0.5 * Hb - 15);
    const int bottom = top - 1 + int(Hb / 2 - (Hb / 15 - 2));
    for (int j = 0; j < s.tickCount; ++j) {
        const int X = x1 + j * s.pixelStep;
        p.drawLine(X, y2 - 5, X, y2);
        const int shift = j == 0 ? w2 : 0;
        const QRect r(QPoint(X - s.pixelStep + shift, top), QPoint(X + s.pixelStep - 1 + shift, bottom));
        FitText(p, qobjectText("%1").arg(j * s.valueStep), r, Qt::AlignCenter, QFont::Normal);
    }

    p.setFont(stripFont);
    const int tw = p.fontMetrics().horizontalAdvance(in.resiTitle);
    FitText(p, in.resiTitle, QRect(QPoint(x2 - tw, y2), QPoint(x2 - 1, y2 - 1 + int(0.5 * Hb))), Qt::AlignCenter,
            QFont::Normal);

    p.drawLine(x1, y2, x2 + 15, y2);
    p.drawLine(x2 + 5, y2 - 3, x2 + 15, y2);
    p.drawLine(x2 + 5, y2 + 3, x2 + 15, y2);
}

// Ticks and labels further than this from the part in view touch none of
// its pixels (a label is a square of the strip's width, 30 pixels).
const int kTickReach = 40;

void drawDepthAxis(QPainter &p, const QRect &strip, const CurveInputs &in, const QRect &visible)
{
    const int x2 = strip.right(), y1 = strip.top(), y2 = strip.bottom();
    for (const DepthTick &t :
         depthTicks(strip, in.maxDepth, in.moveDistance, visible.top() - kTickReach, visible.bottom() + kTickReach)) {
        p.drawLine(x2 - t.tickLength, t.y, x2, t.y);
        if (!t.label.isEmpty())
            p.drawText(QRect(t.labelTopLeft, QSize(t.labelSide, t.labelSide)), Qt::AlignLeft | Qt::AlignTop, t.label);
    }
    const int w = p.fontMetrics().horizontalAdvance(QStringLiteral("  "));
    p.drawText(QPoint(x2 + w, y2), in.depthTitle);
    p.drawLine(x2, y1, x2, y2 + 15);
    p.drawLine(x2 - 3, y2 + 5, x2, y2 + 15);
    p.drawLine(x2 + 3, y2 + 5, x2, y2 + 15);
}

// visible: the part of the canvas that must come out right (all of it for
// the cached layer).
void drawStaticPart(QPainter &p, const CurveInputs &in, const QRect &visible)
{
    const CurveGeometry g = curveGeometry(in.size.width(), in.size.height());
    const QColor back = curveBackground(in.style);
    p.fillRect(QRect(QPoint(0, 0), in.size), back);
    p.setPen(QPen(back, 1));
    drawResistivityAxis(p, g.resiStrip, in);
    drawDepthAxis(p, g.depthStrip, in, visible);
}

void drawPolyline(QPainter &p, const QVector<QPoint> &pts)
{
    p.setPen(axisPen());
    if (pts.size() == 1)
        p.drawPoint(pts.first());
    else if (pts.size() > 1)
        p.drawPolyline(pts.constData(), pts.size());
}

// Only the runs of segments that touch the visible area are handed to the
// painter: at high magnification most of a long curve lies outside it, and
// stroking clipped-away segments costs as much as visible ones.
void drawPolylineWithin(QPainter &p, const QVector<QPoint> &pts, const QRect &visible)
{
    const QRect area = visible.adjusted(-3, -3, 3, 3); // pen width and joins
    QVector<QPoint> run;
    auto flush = [&] {
        drawPolyline(p, run);
        run.clear();
    };
    for (int i = 0; i + 1 < pts.size(); ++i) {
        const QRect box = QRect(pts.at(i), pts.at(i + 1)).normalized();
        if (box.intersects(area)) {
            if (run.isEmpty())
                run.append(pts.at(i));
            run.append(pts.at(i + 1));
        } else if (!run.isEmpty()) {
            flush();
        }
    }
    if (pts.size() == 1 && area.contains(pts.first()))
        run.append(pts.first());
    flush();
}

// The earlier test: thin and faded, kept inside the plot (it may reach
// deeper than the reviewed hole), with its label in the top right corner.
void drawOverlay(QPainter &p, const CurveInputs &in, const QVector<Sample> &list, const QString &label,
                 const QRect &visible)
{
    if (list.isEmpty())
        return;
    const QRect plot = curveGeometry(in.size.width(), in.size.height()).plot;
    const QColor colour = curveOverlayColour(in.style);
    p.save();
    p.setClipRect(plot.intersected(visible), Qt::IntersectClip);
    p.setPen(QPen(colour, 1));
    const QVector<QPoint> pts = curvePolyline(plot, in.range, in.maxDepth, list, 0);
    if (pts.size() == 1)
        p.drawPoint(pts.first());
    else
        p.drawPolyline(pts.constData(), pts.size());
    if (!label.isEmpty()) {
        p.setFont(QFont(QString::fromLatin1(kFontFamily), 10));
        const QFontMetrics fm = p.fontMetrics();
        const int textWidth = fm.horizontalAdvance(label);
        // Below the resistivity title, which reaches into the plot's top.
        const int right = plot.right() - 8, top = plot.top() + 30;
        const QRect text(right - textWidth, top, textWidth, fm.height());
        const int y = text.center().y();
        p.fillRect(text.adjusted(-34, 0, 2, 0), curveBackground(in.style)); // no curve through the text
        p.setPen(QPen(colour, 2));
        p.drawLine(text.left() - 30, y, text.left() - 6, y);
        p.setPen(curveForeground()); // the swatch says which curve; the text must stay legible
        p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, label);
    }
    p.restore();
}

void drawMarker(QPainter &p, const QRect &plot, const QPoint &pt)
{
    const QPen old = p.pen();
    const QBrush oldBrush = p.brush();
    p.setPen(QPen(Qt::red));
    p.setBrush(Qt::red);
    p.drawEllipse(QRectF(pt.x() - 2, pt.y() - 2, 4, 4));
    p.drawLine(plot.left(), pt.y(), plot.right(), pt.y());
    p.setBrush(oldBrush);
    p.setPen(old);
}

} // namespace

// Unchanging layers of the last canvas: background with both axes, and the
// same with the curve drawn so far.
struct CCurvePicture::Cache {
    CurveInputs inputs;
    bool valid = false;
    QPixmap axes;
    QPixmap withCurve;
    uint64_t generation = 0;
    int drawnSamples = 0;
    QPoint lastPoint;
    // The points of a canvas too large to cache (high magnification),
    // extended by the new samples only.
    CurveInputs pointInputs;
    uint64_t pointGeneration = 0;
    int pointSamples = -1;
    QVector<QPoint> points;
};

CCurvePicture::CCurvePicture() : m_cache(std::make_unique<Cache>()), m_unitText(defaultRangeUnitText()) {}
CCurvePicture::~CCurvePicture() = default;

const QPixmap &CCurvePicture::cachedLayer(const CurveInputs &in, const CSampleMirror &mirror)
{
    Cache &c = *m_cache;
    const QRect plot = curveGeometry(in.size.width(), in.size.height()).plot;
    if (!c.valid || c.inputs != in) {
        c.axes = QPixmap(in.size);
        QPainter p(&c.axes);
        drawStaticPart(p, in, QRect(QPoint(0, 0), in.size));
        drawOverlay(p, in, m_overlay, m_overlayLabel, QRect(QPoint(0, 0), in.size));
        c.inputs = in;
        c.valid = true;
        c.drawnSamples = -1; // curve must be redrawn
    }
    const QVector<Sample> &data = mirror.data();
    const bool appendOnly = c.drawnSamples >= 0 && c.generation == mirror.generation() && data.size() >= c.drawnSamples;
    if (appendOnly && data.size() == c.drawnSamples)
        return c.withCurve;
    if (!appendOnly) {
        c.withCurve = c.axes;
        c.drawnSamples = 0;
        c.generation = mirror.generation();
    }
    QVector<QPoint> pts;
    if (c.drawnSamples > 0)
        pts.append(c.lastPoint); // continue the line from the last drawn point
    pts += curvePolyline(plot, in.range, in.maxDepth, data, c.drawnSamples);
    QPainter p(&c.withCurve);
    drawPolyline(p, pts);
    c.drawnSamples = data.size();
    if (!data.isEmpty())
        c.lastPoint = curvePoint(plot, in.range, in.maxDepth, data.last().depth, data.last().resistivity);
    return c.withCurve;
}

const QVector<QPoint> &CCurvePicture::curvePoints(const CurveInputs &in, const CSampleMirror &mirror)
{
    Cache &c = *m_cache;
    const QVector<Sample> &data = mirror.data();
    const bool appendOnly = c.pointSamples >= 0 && c.pointInputs == in && c.pointGeneration == mirror.generation()
                            && data.size() >= c.pointSamples;
    if (!appendOnly) {
        c.points.clear();
        c.pointSamples = 0;
        c.pointInputs = in;
        c.pointGeneration = mirror.generation();
    }
    if (data.size() > c.pointSamples) {
        const QRect plot = curveGeometry(in.size.width(), in.size.height()).plot;
        c.points += curvePolyline(plot, in.range, in.maxDepth, data, c.pointSamples);
        c.pointSamples = data.size();
    }
    return c.points;
}

void CCurvePicture::setOverlay(const QVector<Sample> &samples, const QString &label)
{
    if (samples.isEmpty() && m_overlay.isEmpty())
        return;
    m_overlay = samples;
    m_overlayLabel = samples.isEmpty() ? QString() : label;
    ++m_overlayId;
}

void CCurvePicture::setSource(const SampleList *samples, const CtrlInfo *record)
{
    m_samples = samples;
    m_record = record;
}

namespace {
const SampleList &noSamples()
{
    static const SampleList empty;
    return empty;
}

const CtrlInfo &defaultRecord()
{
    static const CtrlInfo record;
    return record;
}
}

bool CCurvePicture::pick(const QSize &size, const QPoint &press, int *index)
{
    const CtrlInfo &record = m_record ? *m_record : defaultRecord();
    CSampleMirror &mirror = guiSampleMirror();
    mirror.refresh(m_samples ? *m_samples : noSamples());
    const QVector<Sample> &data = mirror.data();
    if (data.isEmpty())
        return false; // the press waits for the first sample
    const QRect plot = curveGeometry(size.width(), size.height()).plot;
    int depth = 0;
    if (!pickedDepth(plot, record.maxDepth, press.x(), press.y(), &depth)) {
        *index = OffPicture;
        return true;
    }
    *index = pickSampleIndex(data, depth, record.moveDistance);
    return true;
}

void CCurvePicture::paint(QPainter &painter, const QSize &size)
{
    const CurveInputs in = currentInputs(m_record ? *m_record : defaultRecord(), size, m_unitText, m_overlayId);
    const CurveGeometry g = curveGeometry(size.width(), size.height());
    CSampleMirror &mirror = guiSampleMirror();
    mirror.refresh(m_samples ? *m_samples : noSamples());
    const QVector<Sample> &data = mirror.data();

    if (int64_t(size.width()) * size.height() <= kMaxCachedPixels) {
        painter.drawPixmap(0, 0, cachedLayer(in, mirror));
    } else {
        const QRect visible = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : QRect(QPoint(0, 0), size);
        drawStaticPart(painter, in, visible);
        drawOverlay(painter, in, m_overlay, m_overlayLabel, visible);
        drawPolylineWithin(painter, curvePoints(in, mirror), visible);
    }
    // The judged interface (red, as the report draws it) and the suggested
    // one (advice only), under the selection; each label on the side of its
    // line away from the other line.
    const CtrlInfo &record = m_record ? *m_record : defaultRecord();
    const SedimentSuggestion &s = m_suggestion.update(data, in.maxDepth, in.moveDistance, mirror.generation());
    const int judgedDepth = int(judgedInterfaceDepth(in.maxDepth, record.sedimentThickness));
    // An older file's zero thickness without a verdict was never judged.
    const bool judged = hasJudgement(record) && (record.sedimentThickness > 0 || record.acceptance.judged())
                        && !data.isEmpty() && judgedDepth >= 0 && judgedDepth <= in.maxDepth;
    const bool judgedLabelBelow = s.shown() && judgedDepth > s.depth;
    if (judged)
        drawJudgedMarker(painter, g.plot, curvePoint(g.plot, in.range, in.maxDepth, judgedDepth, 0).y(),
                         record.sedimentThickness, 2, judgedLabelBelow);
    if (s.shown())
        drawSuggestionMarker(painter, g.plot, curvePoint(g.plot, in.range, in.maxDepth, s.depth, 0).y(), s, 2,
                             judged && !judgedLabelBelow);
    painter.setPen(axisPen());
    const int sel = m_selected;
    if (sel >= 0 && sel < data.size())
        drawMarker(painter, g.plot, curvePoint(g.plot, in.range, in.maxDepth, data.at(sel).depth, data.at(sel).resistivity));
}

void DrawCurvePicture(QPixmap &pixmap, const SampleList &samples, const CtrlInfo &record, int selected)
{
    if (pixmap.isNull())
        return;
    QPainter painter(&pixmap);
    CCurvePicture picture;
    picture.setSource(&samples, &record);
    picture.setSelected(selected);
    picture.paint(painter, pixmap.size());
}
