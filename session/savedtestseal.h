#pragma once
// After every save of a hole file (a new test, each judgement in review):
// the device's signed manifest beside it, and the sealed files queued in the
// outbox for the archive. Never fails the save: a failure is written to the
// debug output, and the hole file stands.

#include <QString>

void sealSavedTest(const QString &holePath);
