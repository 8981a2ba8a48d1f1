#include "showpic.h"

#include <QPainter>
#include <cmath>

namespace {
const int kMaxTubes = 5;
// The diagram's angles are computed with pi taken as 3.14, which places the
// labels where the operators are used to seeing them.
const double kPi = 3.14;
}

ShowPicGeometry showPicGeometry(int width, int height)
{
    ShowPicGeometry g;
    g.cx = (width + 29) / 2;
    g.cy = (height - 1) / 2;
    const int m = g.cy < g.cx - 29 ? g.cy : g.cx - 30;
    g.radius = (4 * m) / 5;
    return g;
}

QPoint showPicLabelAnchor(const ShowPicGeometry &g, int thetaDeg)
{
    const double t = thetaDeg;
    const int dx = int(std::trunc(g.radius * std::sin(kPi * 2 * t / 360)));
    const int dy = int(std::trunc(g.radius * std::cos(kPi * (2 * t - 360) / 360)));
    return QPoint(g.cx + dx, g.cy + dy);
}

QPoint showPicLabelOffset(int positionAngle)
{
    switch (positionAngle / 90) {
    case 0: return QPoint(10, -15);
    case 1: return QPoint(10, 0);
    case 2: return QPoint(-20, 0);
    default: return QPoint(-20, -15);
    }
}

QString showPicLabel(int index)
{
    static const char *const labels[kMaxTubes] = {"X", "Y'", "X'", "Y", "H"};
    return index >= 0 && index < kMaxTubes ? QString::fromLatin1(labels[index]) : QString();
}

CShowPic::CShowPic(QWidget *parent) : QWidget(parent) {}

void CShowPic::SetTubeParams(int count, int angle)
{
    // Outside 1..5 the spacing would divide by zero or run past the labels.
    m_nTubeCount = qBound(1, count, kMaxTubes);
    m_nAngle = angle;
    repaint();
}

void CShowPic::SetColors(const QColor &background, const QColor &fill)
{
    m_backColor = background;
    m_fillColor = fill;
    update();
}

void CShowPic::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const int W = width();
    const int H = height();

    p.setPen(QPen(m_backColor, 1));
    p.setBrush(QBrush(m_backColor, Qt::SolidPattern));
    p.drawRoundedRect(QRect(0, 0, W, H), 4.0, 4.0);

    const ShowPicGeometry g = showPicGeometry(W, H);
    const int r = g.radius;
    p.setBrush(QBrush(m_fillColor, Qt::SolidPattern));
    p.setPen(QPen(m_lineColor, 2, Qt::SolidLine));
    p.drawEllipse(QRect(QPoint(g.cx - r, g.cy - r), QPoint(g.cx + r - 1, g.cy + r - 1)));

    QFont font(QStringLiteral("思源黑体 CN Regular"), 12, 50, false);
    p.setFont(font);
    const QFontMetrics fm = p.fontMetrics();

    const int t = g.cy - (3 * r) / 5;
    p.drawLine(20, t, 20, g.cy + r);
    p.drawLine(20, t, 15, t + 10);
    p.drawLine(20, t, 25, t + 10);
    p.drawText(QRect(QPoint(5, g.cy - r), QPoint(34, g.cy - r + fm.height())), Qt::AlignHCenter | Qt::AlignTop, tr("N"));

    const int count = qBound(1, int(m_nTubeCount), kMaxTubes);
    const int step = 360 / count;
    for (int i = 0; i < count; ++i) {
        const int a = i * step;
        const QPoint at = showPicLabelAnchor(g, a + m_nAngle) + showPicLabelOffset(a);
        const QString label = showPicLabel(i);
        const QSize box(fm.horizontalAdvance(label) + 4, fm.height() + 2);
        p.drawText(QRect(at, box), Qt::AlignLeft | Qt::AlignTop, label);
    }

    p.translate(g.cx, g.cy);
    p.rotate(m_nAngle - 90);
    for (int i = 0; i < count; ++i) {
        p.setBrush(QBrush(m_lineColor, Qt::SolidPattern));
        p.drawEllipse(QRect(QPoint(r - 4, -4), QPoint(r + 3, 3)));
        p.drawLine(r, 0, 0, -r);
        p.drawLine(0, 0, r, 0);
        p.rotate(step);
    }
    p.end();
}
