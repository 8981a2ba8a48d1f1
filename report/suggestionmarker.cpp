#include "suggestionmarker.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

QColor suggestionColor()
{
    return QColor(230, 140, 0);
}

QString suggestionLabel(const SedimentSuggestion &s)
{
    return QCoreApplication::translate("CSedimentSuggestion", "建议沉渣 %1cm (%2%)")
        .arg(QString::number(s.thicknessCm), QString::number(std::lround(s.confidence * 100.0)));
}

double markerLabelTop(double y, double h, double gap, double plotTop, double plotBottom, bool preferBelow)
{
    const double above = y - gap - h;
    const double below = y + gap;
    const bool roomAbove = above >= plotTop;
    const bool roomBelow = below + h <= plotBottom;
    const bool useBelow = preferBelow ? roomBelow || !roomAbove : !roomAbove;
    return useBelow ? below : above;
}

void drawSuggestionMarker(QPainter &painter, const QRect &plot, int y, const SedimentSuggestion &s, int penWidth,
                          bool labelBelow, const QColor &labelBackground)
{
    painter.save();
    QPen pen(suggestionColor(), penWidth, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(plot.left(), y, plot.right(), y);

    const QString label = suggestionLabel(s);
    const QFontMetrics fm = painter.fontMetrics();
    const int w = fm.horizontalAdvance(label);
    const int h = fm.height();
    const int x = std::max(plot.left(), plot.right() - w - 4);
    const int top = int(markerLabelTop(y, h, 2, plot.top(), plot.bottom(), labelBelow));
    const QRect box(x, top, w + 4, h);
    if (labelBackground.alpha() > 0)
        painter.fillRect(box, labelBackground);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    painter.restore();
}

QString judgedInterfaceLabel(int32_t thicknessCm)
{
    return QCoreApplication::translate("CHoleReport", "沉渣面 %1cm").arg(thicknessCm);
}

void drawJudgedMarker(QPainter &painter, const QRect &plot, int y, int32_t thicknessCm, int penWidth,
                      bool labelBelow, const QColor &labelBackground)
{
    painter.save();
    painter.setPen(QPen(Qt::red, penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(plot.left(), y, plot.right(), y);
    const QString label = judgedInterfaceLabel(thicknessCm);
    const QFontMetrics fm = painter.fontMetrics();
    const int h = fm.height();
    const int top = int(markerLabelTop(y, h, 2, plot.top(), plot.bottom(), labelBelow));
    const QRect box(plot.left() + 4, top, fm.horizontalAdvance(label) + 4, h);
    if (labelBackground.alpha() > 0)
        painter.fillRect(box, labelBackground);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    painter.restore();
}

const SedimentSuggestion &CSuggestionCache::update(const QVector<Sample> &samples, int maxDepth, int moveDistance,
                                                   uint64_t generation)
{
    const bool sameInputs = m_valid && m_maxDepth == maxDepth && m_moveDistance == moveDistance
                            && m_generation == generation && samples.size() >= m_size;
    if (sameInputs) {
        // Only new samples at the end: the suggestion stands unless one of
        // them lies in the searched window (the probe still near the bottom).
        const int64_t top = suggestionWindowTop(maxDepth, moveDistance);
        bool windowChanged = false;
        for (int i = m_size; i < samples.size() && !windowChanged; ++i)
            windowChanged = countsForSuggestion(samples.at(i), top);
        m_size = samples.size();
        if (!windowChanged)
            return m_value;
    }
    m_value = suggestSedimentInterface(samples, maxDepth, moveDistance);
    m_valid = true;
    m_size = samples.size();
    m_maxDepth = maxDepth;
    m_moveDistance = moveDistance;
    m_generation = generation;
    return m_value;
}
