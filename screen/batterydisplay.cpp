#include "batterydisplay.h"

#include "device.h"

#include <QProgressBar>
#include <QTimer>
#include <algorithm>

std::atomic<int32_t> gBatteryLevel{0};

CBatteryDisplay::CBatteryDisplay(QProgressBar *bar, QObject *parent)
    : QObject(parent), m_bar(bar), m_timer(new QTimer(this))
{
    m_timer->setInterval(60000);
    connect(m_timer, &QTimer::timeout, this, &CBatteryDisplay::update);
    m_timer->start();
    update();
}

void CBatteryDisplay::update()
{
    const int32_t level = batteryLevel();
    gBatteryLevel = level;
    m_bar->setValue(std::min(10, std::max(0, int(level))));
}
