#pragma once
// After every save of a hole file (a new test, each judgement in review):
// the device's signed manifest beside it, and the sealed files queued in the
// outbox for the archive. Never fails the save: a failure is written to the
// debug output, and the hole file stands.

#include <QString>

class CtrlInfo;

// record: the saved test's (project, hole and test time go into the manifest).
void sealSavedTest(const QString &holePath, const CtrlInfo &record);
