#pragma once
// The instrument's console commands, run before any window exists.

#include <QString>

class QTextStream;

// "zpvw --device": "<device id> <public key in base64>"; 0, or 1 with a reason.
int printDeviceLine(const QString &appDir, QTextStream &out, QTextStream &err);

// "zpvw --sync": sends the outbox once, in order. 0 when it is empty at the
// end; 1 with what is left and why. Needs a running event loop's
// application (QCoreApplication).
int syncOutbox(const QString &appDir, const QString &optionUrl, const QString &optionCa, QTextStream &out,
               QTextStream &err);
