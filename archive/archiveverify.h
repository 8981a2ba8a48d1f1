#pragma once
// Proof that the archive holds what was imported and shows what it holds:
// every stored file is hashed again and compared with the SHA-256 it is
// filed under; every version is read again and the fields kept beside it
// compared with what the file says (filingcheck.h); every imported version
// must have its entry in the audit trail and every file the trail imported
// must still be filed where the trail put it; the trail's chain is walked
// from the first entry to the last and, given a head kept elsewhere, must
// still hold it.
//
// A chain without a secret can be rewritten whole by whoever can write the
// database: only the head kept outside it (printed in each project summary
// and in each import's log) catches that.

#include "archivedb.h"
#include "audittrail.h"

#include <QStringList>

struct VerifyReport {
    qint64 files = 0;
    qint64 bytes = 0;
    qint64 manifests = 0; // stored manifests checked again
    qint64 versions = 0; // versions read again for their derived fields
    qint64 officeVersions = 0; // office re-judgements checked against the version they started from
    AuditChainCheck chain;
    QString head;        // the trail's head after this verification (recorded or not)
    QStringList faults; // stored bytes, missing entries and the chain's faults
    QString notRecorded; // why the verification is not in the trail (a read-only archive)
    bool ok() const { return faults.isEmpty(); }
};

// Checks, then records the verification in the trail (its own transaction;
// an archive that cannot be written is still checked, see notRecorded).
// False only when the archive could not be read.
// keptHead: a head hash kept elsewhere (--head), or empty.
bool verifyArchive(CArchiveDb &db, VerifyReport *report, QString *error, const QString &keptHead = QString());
