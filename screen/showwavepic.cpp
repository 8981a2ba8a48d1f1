#include "showwavepic.h"

#include "curve.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

std::function<void(bool, bool, bool)> gUpdateWaveHook;

CShowWavePic::CShowWavePic(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted from the cached picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CShowWavePic::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pickX = event->x();
    pickY = event->y();
    if (gUpdateWaveHook)
        gUpdateWaveHook(true, true, true);
}

void CShowWavePic::mouseReleaseEvent(QMouseEvent *) {}
void CShowWavePic::mouseDoubleClickEvent(QMouseEvent *) {}
void CShowWavePic::mouseMoveEvent(QMouseEvent *) {}

void CShowWavePic::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Straight onto the widget: the picture's unchanging layers are cached by
    // the drawing, and at high magnification only the exposed part of the
    // canvas is touched (no full-size pixmap per paint).
    QPainter painter(this);
    painter.setClipRegion(event->region());
    DrawCurvePicture(painter, size());
}
