#include "device.h"

#include "batteryconfig.h"
#include "ctrlinfo.h"

#include <QThread>
#include <cstring>

std::atomic<int32_t> deviceHandle{-1};
AcquisitionParams gAcqParams;

namespace {
std::atomic<CDeviceBackend *> gBackend{nullptr};

bool isOpen() { return deviceHandle.load() >= 0; }
}

bool CMemoryDevice::readHeight(uint16_t *height, uint16_t *aux, uint8_t)
{
    if (height)
        *height = uint16_t(m_held.load());
    if (aux)
        *aux = 0;
    return true;
}

bool CMemoryDevice::readWave(uint16_t, uint8_t *, uint16_t *height, uint8_t)
{
    if (height)
        *height = uint16_t(m_held.load());
    return true;
}

uint8_t CMemoryDevice::batteryLevel()
{
    for (int i = 0; i < 3; ++i)
        waitMs(2.0f);
    return batteryLevelFromThresholds(batteryThresholds);
}

uint8_t batteryLevelFromThresholds(const QList<int32_t> &thresholds)
{
    if (thresholds.size() < 10)
        return 0;
    for (int i = 0; i < 10; ++i) {
        if (thresholds.at(i) <= 0)
            return uint8_t(10 - i);
    }
    return 0;
}

CMemoryDevice &memoryDevice()
{
    static CMemoryDevice device;
    return device;
}

void setDeviceBackend(CDeviceBackend *backend) { gBackend = backend; }

CDeviceBackend &deviceBackend()
{
    CDeviceBackend *b = gBackend.load();
    return b ? *b : memoryDevice();
}

void openDevice() { deviceHandle = 1; }

bool initAcquisition() { return isOpen() && deviceBackend().initAcquisition(); }
bool sendOperation() { return isOpen() && deviceBackend().sendOperation(); }
bool setBrightness(uint16_t level) { return isOpen() && deviceBackend().setBrightness(level); }

bool readHeight(uint16_t *height, uint16_t *aux, uint8_t channel)
{
    return deviceBackend().readHeight(height, aux, channel);
}

bool readWave(uint16_t byteCount, uint8_t *buffer, uint16_t *height, uint8_t channel)
{
    return deviceBackend().readWave(byteCount, buffer, height, channel);
}

void resetHeight() { deviceBackend().resetHeight(); }
void addHeight(int32_t millimetres) { deviceBackend().addHeight(millimetres); }
void setHeight(int32_t value) { deviceBackend().setHeight(value); }
int32_t getHeight() { return deviceBackend().getHeight(); }

uint8_t batteryLevel() { return isOpen() ? deviceBackend().batteryLevel() : 0; }

void prepareAcquisitionParams(const CtrlInfo &info)
{
    gAcqParams = AcquisitionParams();
    gAcqParams.heightUp = int32_t(info.depthFromTop) == 0 ? 1 : 0;
    gAcqParams.configured = 1;
    gAcqParams.param20 = 20;
    gAcqParams.param512 = 512;
    gAcqParams.param4 = 4;
    gAcqParams.stepMm = info.moveDistance;
    gAcqParams.param0a = 0;
    gAcqParams.scale = 1.0f;
    gAcqParams.param0b = 0;
    gAcqParams.param0c = 0;
    gAcqParams.cableDiameterCm = float(int32_t(info.lineD) / 10);
    gAcqParams.pulleyDiameterCm = float(int32_t(info.wheelD) / 10);
}

void waitMs(float milliseconds)
{
    const double us = double(milliseconds) * 1000.0;
    if (us >= 1.0)
        QThread::usleep(static_cast<unsigned long>(us));
}
