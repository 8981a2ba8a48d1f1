#pragma once
// The archive's judgement of a test's manifest: signed by a device it
// knows and has not revoked, with a signature that holds for that device's
// key and files whose bytes are the ones signed. Folder imports, uploads
// and verify all go by it.

#include "archivedb.h"
#include "testmanifest.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

struct ManifestVerdict {
    enum Kind { Signed, UnknownDevice, RevokedDevice, BadSignature, NotAManifest, ArchiveFault };
    Kind kind = NotAManifest;
    QString reason;      // in words, for a refusal
    QString deviceName;  // the archive's name of the signer
    SignedManifest manifest;
    QString manifestSha256;
    bool ok() const { return kind == Signed; }
};

// Checks manifest bytes against the device table and the files (name to
// bytes; the hole file must be the manifest's first subject).
ManifestVerdict judgeManifest(CArchiveDb &db, const QByteArray &manifestBytes, const QString &holeName,
                              const QMap<QString, QByteArray> &files);

// The verdict on the manifest (.SIG, any case) among a hole file's
// companion files (names and the bytes the import read); none when there
// is no manifest.
std::optional<ManifestVerdict> companionManifestVerdict(CArchiveDb &db, const QString &holeName,
                                                        const QByteArray &holeBytes,
                                                        const QVector<QPair<QString, QByteArray>> &companions);

// Files a version as signed (inside the caller's transaction); the time of
// receipt is the archive's own clock.
bool recordSignedVersion(CArchiveDb &db, const QVariant &versionId, const ManifestVerdict &verdict, QString *error);

// The signer's device name of each signed version among ids.
bool signersOf(CArchiveDb &db, const QVector<qint64> &versionIds, QHash<qint64, QString> *out, QString *error);

// What the archive can say today of a stored version's signature. Its
// manifest is checked again (the signature with the archive's key of the
// device, the subjects against the stored bytes). A device revoked after
// the archive received the test does not undo it: the archive's own clock
// saw it arrive while the key was trusted, and the bytes still hold. One
// received at or after the revocation (which the archive never takes) is
// not vouched for.
struct VersionSignature {
    enum State { Unsigned, Verified, Revoked, Broken };
    State state = Unsigned;
    QString deviceName;  // the archive's name of the signer (its id when unknown)
    QString revokedAt;   // when the device was revoked, empty while valid
    QString receivedAt;  // the archive's time of receipt
    QString fault;       // why a signature does not hold, in words
    bool verified() const { return state == Verified; }
};
bool versionSignature(CArchiveDb &db, qint64 versionId, VersionSignature *out, QString *error);

struct ManifestAudit {
    qint64 checked = 0;
    QStringList faults;
};
// Every stored manifest checked again (signature with the device's key,
// subjects against the SHA-256 under which the version's files are
// stored), and each device's sequence numbers for gaps: a number never
// received is a test that never reached the archive. That the stored bytes
// still hash to those digests is verify's own check of every file.
bool auditStoredManifests(CArchiveDb &db, ManifestAudit *out, QString *error);
