#pragma once
// Battery configuration "othersetinfo.xml": the battery model in use and the
// threshold list of that model, read once at start-up.

#include <QList>
#include <cstdint>

extern int32_t batteryModel;
extern QList<int32_t> batteryThresholds;

// Writes the default file when none exists, then reads it. False when the file
// cannot be read or parsed or its root is not KRV_CONFIG (values unchanged).
bool loadBatteryConfig();
bool writeDefaultBatteryConfig();
