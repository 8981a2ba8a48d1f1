#include "depthcalc.h"

#include "device.h"

bool readCurHeight(const AcqSettings &settings, const std::function<int32_t()> &winchHeight, int32_t *heightMm,
                   int32_t *aux)
{
    if (settings.heightFromWinch) {
        if (heightMm)
            *heightMm = winchHeight ? winchHeight() : 0;
        if (aux)
            *aux = 0;
        return true;
    }
    uint16_t h = 0;
    uint16_t a = 0;
    if (!readHeight(&h, &a, settings.deviceChannel))
        return false;
    if (heightMm)
        *heightMm = int32_t(h) * 10;
    if (aux)
        *aux = a;
    return true;
}

bool readWaveHeight(const AcqSettings &settings, const std::function<int32_t()> &winchHeight, uint8_t *buffer,
                    int32_t *heightMm)
{
    uint16_t h = 0;
    if (!readWave(uint16_t(2 * waveLength), buffer, &h, settings.deviceChannel))
        return false;
    if (heightMm)
        *heightMm = settings.heightFromWinch ? (winchHeight ? winchHeight() : 0) : int32_t(h) * 10;
    return true;
}

float winchMetresForPulses(int32_t pulseCount, int32_t wheelD, int32_t lineD)
{
    // Summed as reals: diameters from a damaged parameter file may be huge.
    const float circumference = float(3.1415926 * (double(lineD) + double(wheelD)));
    return float(double(pulseCount) * 0.0009765625 * double(circumference) / 1000.0);
}

int32_t winchMillimetres(float metres)
{
    const float mm = metres * 1000.0f;
    // Saturate instead of the undefined conversion of an out-of-range real.
    if (!(mm < 2147483648.0f))
        return INT32_MAX;
    if (!(mm >= -2147483648.0f))
        return INT32_MIN;
    return int32_t(mm);
}
