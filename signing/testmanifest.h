#pragma once
// The signed manifest of a saved test (<name>.SIG beside the hole file): a
// DSSE envelope around an in-toto statement naming the files by SHA-256
// (the hole file and its PDF report) and saying which device saved which
// test when, with the device's running sequence number and the SHA-256 of
// its manifest before, so that a left-out or a replaced test shows.
//
//     QByteArray sig = signManifest(statement, key);       // the .SIG bytes
//     SignedManifest m;
//     if (!readManifest(sig, &m, &error)) ... not a manifest ...
//     if (!m.signedBy(publicKey)) ... signature does not match ...
//     m.subjectFaults({{"Z1.CZO", holeBytes}, {"Z1.PDF", pdfBytes}});

#include "sha256.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class DeviceKey;

struct ManifestSubject {
    QString name;   // file name, no folder
    QString sha256; // lower-case hex
};

struct TestStatement {
    QVector<ManifestSubject> subjects; // the hole file first
    QString device;        // device id
    QString publicKey;     // base64, so that a reader can name the signer
    QString project;
    QString projectFolder;
    QString hole;
    QString testStart;     // "yyyy-MM-dd hh:mm:ss", the instrument's clock
    QString savedAt;       // UTC, ISO 8601, the instrument's clock
    qint64 sequence = 0;   // 1, 2, ... per device
    QString previousManifest; // SHA-256 of the device's manifest before; empty for the first
    // The sequence numbers of this device's earlier manifests of the same
    // hole file that this one replaces beside it (a re-judgement): a folder
    // import finds only the last, and the others are accounted for, not
    // missing. Left out of the JSON when empty.
    QVector<qint64> supersedes;
};

// The envelope's payload type.
QString manifestPayloadType();
QByteArray statementToJson(const TestStatement &s);
bool statementFromJson(const QByteArray &json, TestStatement *out, QString *error);

// The .SIG bytes: the statement signed by the key (its id as the key id).
QByteArray signManifest(const TestStatement &statement, const DeviceKey &key);

struct SignedManifest {
    TestStatement statement;
    QString keyId;
    QByteArray signature;
    QByteArray signedBytes; // the pre-authentication encoding

    // The signature holds for this public key, and the key is the one the
    // key id and the statement name.
    bool signedBy(const QByteArray &publicKey) const;
    // The public key the statement names (empty when malformed).
    QByteArray statedPublicKey() const;
    // One line per subject whose bytes are missing from `files` (by name) or
    // differ from the SHA-256 it names.
    QStringList subjectFaults(const QMap<QString, QByteArray> &files) const;
    // The same from the files' SHA-256 (lower-case hex) by name, for bytes
    // whose digests are already known to hold.
    QStringList subjectDigestFaults(const QMap<QString, QString> &sha256ByName) const;
    const ManifestSubject *subject(const QString &name) const;
};

// Parses the .SIG bytes; false with a reason when they are no manifest.
bool readManifest(const QByteArray &bytes, SignedManifest *out, QString *error);

// The manifest beside a hole file: its last three characters replaced by
// "sig" when they are the hole file extension in lower case, else "SIG".
QString manifestPathFor(const QString &holePath);
