#include "showwavepic.h"

#include "curve.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

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
    QPixmap pixmap(width(), height());
    DrawCurvePicture(pixmap);
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, width(), height()), pixmap, QRect(0, 0, width(), height()));
}
