#pragma once
// What a sealed hole file's manifest says about it: who signed it, whether
// the signature holds, and whether each file it names is unchanged. The
// office tool's "verify" prints it; the tests read it.

#include "testmanifest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct SealCheck {
    bool manifestFound = false;
    bool signatureOk = false;
    bool keyMatches = true;  // the expected key, when one was given
    SignedManifest manifest;
    QStringList intact;      // subject names whose bytes match
    QStringList faults;      // everything that does not hold, in words
    bool ok() const { return manifestFound && signatureOk && keyMatches && faults.isEmpty(); }
};

// Checks the hole file's manifest (found by manifestPathFor) against the
// files beside it. expectedKey, when not empty, must be the signer's.
SealCheck checkSealedFile(const QString &holePath, const QByteArray &expectedKey = QByteArray());
