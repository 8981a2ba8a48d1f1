#include "clocationpic.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace LocationPic {

Geometry geometry(int width, int height)
{
    Geometry g;
    g.cx = (width + 29) / 2;
    g.cy = (height - 1) / 2;
    const int m = g.cy < g.cx - 29 ? g.cy : g.cx - 30;
    g.radius = (4 * m) / 5;
    return g;
}

QPoint labelAnchor(const Geometry &g, int thetaDeg)
{
    const double r = g.radius;
    const double theta = thetaDeg;
    const int dx = static_cast<int>(std::trunc(r * std::sin(3.14 * 2.0 * theta / 360.0)));
    const int dy = static_cast<int>(std::trunc(r * std::cos(3.14 * (2.0 * theta - 360.0) / 360.0)));
    return QPoint(g.cx + dx, g.cy + dy);
}

QPoint labelOffset(int positionAngle)
{
    switch (positionAngle / 90) {
    case 0:
        return QPoint(10, -15);
    case 1:
        return QPoint(10, 0);
    case 2:
        return QPoint(-20, 0);
    default:
        return QPoint(-20, -15);
    }
}

QString label(int index)
{
    static const char *const kLabels[] = {"X", "Y'", "X'", "Y", "H"};
    if (index < 0 || index > 4)
        return QString();
    return QString::fromLatin1(kLabels[index]);
}

} // namespace LocationPic

CLocationPic::CLocationPic(QWidget *parent) : QWidget(parent) {}

void CLocationPic::SetTubeParams(int count, int angle)
{
    m_nTubeCount = std::clamp(count, 1, 5);
    m_nAngle = angle;
    repaint();
}

void CLocationPic::SetColors(const QColor &background, const QColor &fill)
{
    m_backColor = background;
    m_fillColor = fill;
    update();
}

void CLocationPic::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);

    p.setPen(QPen(m_backColor, 1));
    p.setBrush(QBrush(m_backColor, Qt::SolidPattern));
    p.drawRoundedRect(QRectF(0, 0, width(), height()), 4.0, 4.0);

    const LocationPic::Geometry g = LocationPic::geometry(width(), height());
    const int r = g.radius;
    p.setBrush(QBrush(m_fillColor, Qt::SolidPattern));
    p.setPen(QPen(m_lineColor, 2, Qt::SolidLine));
    p.drawEllipse(QRect(QPoint(g.cx - r, g.cy - r), QPoint(g.cx + r - 1, g.cy + r - 1)));

    QFont font(QStringLiteral("思源黑体 CN Regular"));
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    p.setFont(font);

    // North arrow, with its letter above the tip.
    const int t = g.cy - (3 * r) / 5;
    p.drawLine(20, t, 20, g.cy + r);
    p.drawLine(20, t, 15, t + 10);
    p.drawLine(20, t, 25, t + 10);
    const int textHeight = p.fontMetrics().height();
    p.drawText(QRect(5, g.cy - r, 30, textHeight), Qt::AlignHCenter | Qt::AlignTop, tr("N"));

    const int step = 360 / m_nTubeCount;
    for (int i = 0; i < m_nTubeCount; ++i) {
        const int a = i * step;
        const QPoint pos = LocationPic::labelAnchor(g, a + m_nAngle) + LocationPic::labelOffset(a);
        const QString text = LocationPic::label(i);
        const QRect box(pos, QSize(p.fontMetrics().horizontalAdvance(text) + 4, textHeight));
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    }

    p.translate(g.cx, g.cy);
    p.rotate(m_nAngle - 90);
    for (int i = 0; i < m_nTubeCount; ++i) {
        p.setBrush(QBrush(m_lineColor, Qt::SolidPattern));
        p.drawEllipse(QRect(QPoint(r - 4, -4), QPoint(r + 3, 3)));
        p.drawLine(r, 0, 0, -r);
        p.drawLine(0, 0, r, 0);
        p.rotate(step);
    }
    p.end();
}
