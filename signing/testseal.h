#pragma once
// Sealing a saved test: the device's manifest of the files just written,
// the next link of the device's chain of manifests.
//
// The chain's state (the last sequence number and the SHA-256 of the last
// manifest) is kept in "device.chain" in the application folder. It is
// written before the manifest: a power cut between the two costs a sequence
// number (the archive then reports it missing) but never gives one number to
// two manifests.

#include <QString>
#include <QStringList>

struct SealFacts {
    QString project;
    QString hole;
    QString testStart; // "yyyy-MM-dd hh:mm:ss"
};

struct SealResult {
    QString manifestPath;
    QString manifestSha256;
    QString holeSha256;
    qint64 sequence = 0;
};

class SaveDigests;

// Signs `files` (the hole file first, then the files that travel with it)
// with the device key of appDir and writes the manifest beside the hole
// file, replacing an older one whole. False with a reason; the files stay
// as they are either way. The digests `ahead` knows are taken instead of
// reading those files again.
bool sealSavedFiles(const QString &appDir, const QStringList &files, const SealFacts &facts, SealResult *out,
                    QString *error, SaveDigests *ahead = nullptr);

// The chain's state file of an application folder.
QString deviceChainPath(const QString &appDir);
