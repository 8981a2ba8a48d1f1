#pragma once
// Proof that the archive holds what was imported: every stored file is
// hashed again and compared with the SHA-256 it is filed under, every
// imported version must have its entry in the audit trail, and the trail's
// chain is walked from the first entry to the last.

#include "archivedb.h"
#include "audittrail.h"

#include <QStringList>

struct VerifyReport {
    qint64 files = 0;
    qint64 bytes = 0;
    qint64 manifests = 0; // stored manifests checked again
    AuditChainCheck chain;
    QStringList faults; // stored bytes, missing entries and the chain's faults
    QString notRecorded; // why the verification is not in the trail (a read-only archive)
    bool ok() const { return faults.isEmpty(); }
};

// Checks, then records the verification in the trail (its own transaction;
// an archive that cannot be written is still checked, see notRecorded).
// False only when the archive could not be read.
bool verifyArchive(CArchiveDb &db, VerifyReport *report, QString *error);
