#include "showwavepic.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

CShowWavePic::CShowWavePic(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted from the cached picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CShowWavePic::takeWaitingPick(int *index)
{
    if (!m_waitingPress || !m_picture.pick(size(), m_press, index))
        return false;
    m_waitingPress = false;
    return *index != CCurvePicture::OffPicture;
}

void CShowWavePic::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_press = event->pos();
    m_waitingPress = true;
    int index = -1;
    if (takeWaitingPick(&index))
        emit samplePicked(index);
}

void CShowWavePic::mouseReleaseEvent(QMouseEvent *) {}
void CShowWavePic::mouseDoubleClickEvent(QMouseEvent *) {}
void CShowWavePic::mouseMoveEvent(QMouseEvent *) {}

void CShowWavePic::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Straight onto the widget: the picture's unchanging layers are cached,
    // and at high magnification only the exposed part of the canvas is
    // touched (no full-size pixmap per paint).
    QPainter painter(this);
    painter.setClipRegion(event->region());
    m_picture.paint(painter, size());
}
