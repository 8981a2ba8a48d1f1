#pragma once
// Heights for the acquisition: in the manual sampling modes from the device
// layer (centimetres), in the two automatic-winch modes from the winch
// controller's pulse count (winchHeight, kept by the application model).

#include <cstdint>

// True when the current sampling mode takes heights from the winch controller.
bool heightFromWinch();

// Plain height read. Automatic modes: winchHeight, no device read, always
// successful, *aux = 0. Manual modes: the device's readHeight x 10.
bool readCurHeight(int32_t *heightMm, int32_t *aux = nullptr);

// Wave read into waveBuffer (the device read is made in every mode and its
// success counts). The height is the device's x 10 in the manual modes and
// winchHeight in the automatic ones.
bool readWaveHeight(int32_t *heightMm);

// Metres raised for a pulse count: 1024 pulses per turn on a circle whose
// diameter is the pulley's plus the cable's (millimetres).
float winchMetresForPulses(int32_t pulseCount, int32_t wheelD, int32_t lineD);

// winchHeight for a height in metres: truncated toward zero, saturated at the
// ends of the 32-bit range.
int32_t winchMillimetres(float metres);
