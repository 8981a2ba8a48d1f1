#include "showpic.h"

#include <QPainter>

ShowPicGeometry showPicGeometry(int, int) { return {}; }
QPoint showPicLabelAnchor(const ShowPicGeometry &, int) { return {}; }
QPoint showPicLabelOffset(int) { return {}; }
QString showPicLabel(int) { return {}; }

CShowPic::CShowPic(QWidget *parent) : QWidget(parent) {}

void CShowPic::SetTubeParams(int count, int angle)
{
    m_nTubeCount = count;
    m_nAngle = angle;
    repaint();
}

void CShowPic::SetColors(const QColor &background, const QColor &fill)
{
    m_backColor = background;
    m_fillColor = fill;
    update();
}

void CShowPic::paintEvent(QPaintEvent *event) { QWidget::paintEvent(event); }
