#pragma once
// Heights for the acquisition: in the manual sampling modes from the device
// layer (centimetres), in the two automatic-winch modes from the winch
// controller's pulse count (the application model's winch height, read
// through winchHeight).

#include "acqcycle.h"

#include <cstdint>
#include <functional>

// Plain height read. Automatic modes: the winch height, no device read,
// always successful, *aux = 0. Manual modes: the device's readHeight x 10.
bool readCurHeight(const AcqSettings &settings, const std::function<int32_t()> &winchHeight, int32_t *heightMm,
                   int32_t *aux = nullptr);

// Wave read into buffer (2 * waveLength bytes; the device read is made in
// every mode and its success counts). The height is the device's x 10 in the
// manual modes and the winch height in the automatic ones.
bool readWaveHeight(const AcqSettings &settings, const std::function<int32_t()> &winchHeight, uint8_t *buffer,
                    int32_t *heightMm);

// Metres raised for a pulse count: 1024 pulses per turn on a circle whose
// diameter is the pulley's plus the cable's (millimetres).
float winchMetresForPulses(int32_t pulseCount, int32_t wheelD, int32_t lineD);

// Winch height for a height in metres: truncated toward zero, saturated at
// the ends of the 32-bit range.
int32_t winchMillimetres(float metres);
