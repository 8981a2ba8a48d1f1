#pragma once
// After every save of a hole file (a new test, each judgement in review):
// its PDF report, the device's signed manifest over both, and the sealed
// files queued in the outbox for the archive. Never fails the save: a
// failure is written to the debug output, and the hole file stands.

#include <QString>

class CtrlInfo;

// record: the saved test's (project, hole and test time go into the
// manifest); deviceId: the instrument's, shown on the report.
void reportAndSealSavedTest(const QString &holePath, const CtrlInfo &record, const QString &deviceId);

// The instrument's readable device id (its key made on first use); empty,
// with the reason in the debug output, when the key cannot be had.
QString instrumentDeviceId(const QString &appDir);
