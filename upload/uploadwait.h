#pragma once
// Waiting for the outbox to empty (the demonstration waits so for its
// test): when the wait is over, and the one line that says how it ended.
//
//     while (!uploadWaitOver(box.count(), sender.status()) && time is left) ... run events ...
//     puts(uploadWaitLine("Demo/DEMO1.CZO", url, box.count(), sender.status()));

#include "uploadsender.h"

#include <QString>

// Over once nothing waits, or once the archive gave an answer that trying
// again cannot change (the device refused, the files rejected, the server's
// certificate not trusted, a queued file unreadable). An archive that
// cannot be reached, or fails for a moment, is waited for.
bool uploadWaitOver(int waiting, const UploadStatus &status);

// The failure in plain words (English, for the console).
QString uploadFailureWords(UploadStatus::Failure failure);

// "uploaded: TEST to URL", or "still queued: TEST (N waiting for URL): why".
QString uploadWaitLine(const QString &test, const QString &archive, int waiting, const UploadStatus &status);
