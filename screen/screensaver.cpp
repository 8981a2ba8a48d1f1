#include "screensaver.h"

#include "mainrules.h"

#include "ctrlinfo.h"
#include "device.h"

#include <QCursor>
#include <QTimer>

CScreenSaver::CScreenSaver(QObject *parent) : QObject(parent) {}

void CScreenSaver::setUp()
{
    m_idleSeconds = 0;
    setBrightness(uint16_t(int32_t(gCtrlInfo.brightness)));
    delete m_timer;
    m_timer = nullptr;
    if (gCtrlInfo.screensaverSeconds > 0) {
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
        setBrightness(uint16_t(int32_t(gCtrlInfo.brightness)));
        return;
    }
    const int32_t level = screenSaverIdleTick(m_idleSeconds, gCtrlInfo.screensaverSeconds, gCtrlInfo.brightness);
    if (level >= 0)
        setBrightness(uint16_t(level));
}
