#include "screensaver.h"

#include "mainrules.h"

#include "device.h"

#include <QCursor>
#include <QTimer>

CScreenSaver::CScreenSaver(QObject *parent) : QObject(parent) {}

void CScreenSaver::setUp(int32_t brightness, int32_t idleSeconds)
{
    m_brightness = brightness;
    m_dimAfter = idleSeconds;
    m_idleSeconds = 0;
    setBrightness(uint16_t(m_brightness));
    delete m_timer;
    m_timer = nullptr;
    if (m_dimAfter > 0) {
        m_timer = new QTimer(this);
        m_timer->setInterval(1000);
        connect(m_timer, &QTimer::timeout, this, &CScreenSaver::tick);
        m_timer->start();
    }
}

void CScreenSaver::tick()
{
    const QPoint p = QCursor::pos();
    if (p != m_lastCursorPos) {
        m_lastCursorPos = p;
        m_idleSeconds = 0;
        setBrightness(uint16_t(m_brightness));
        return;
    }
    const int32_t level = screenSaverIdleTick(m_idleSeconds, m_dimAfter, m_brightness);
    if (level >= 0)
        setBrightness(uint16_t(level));
}
