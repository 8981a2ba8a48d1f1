#include "sealcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "holefile.h"

SealCheck checkSealedFile(const QString &holePath, const QByteArray &expectedKey)
{
    SealCheck c;
    const QString hole = withHoleExtension(holePath);
    const QString path = manifestPathFor(hole);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        c.faults << QStringLiteral("no manifest (%1): the file is not signed").arg(QFileInfo(path).fileName());
        return c;
    }
    QString error;
    if (!readManifest(f.readAll(), &c.manifest, &error)) {
        c.faults << error;
        return c;
    }
    c.manifestFound = true;
    const QByteArray stated = c.manifest.statedPublicKey();
    c.signatureOk = c.manifest.signedBy(stated);
    if (!c.signatureOk)
        c.faults << QStringLiteral("signature does not match");
    if (!expectedKey.isEmpty() && stated != expectedKey) {
        c.keyMatches = false;
        c.faults << QStringLiteral("signed by another key than the one given");
    }
    // The subjects are files beside the hole file, by name only: a name can
    // never reach another folder.
    const QDir dir = QFileInfo(hole).absoluteDir();
    QMap<QString, QByteArray> files;
    for (const ManifestSubject &s : c.manifest.statement.subjects) {
        if (s.name.contains(QLatin1Char('/')) || s.name == QLatin1String("..")) {
            c.faults << QStringLiteral("%1: not a file name").arg(s.name);
            continue;
        }
        QFile sf(dir.filePath(s.name));
        if (sf.open(QIODevice::ReadOnly))
            files.insert(s.name, sf.readAll());
    }
    const QStringList subjectFaults = c.manifest.subjectFaults(files);
    c.faults << subjectFaults;
    for (const ManifestSubject &s : c.manifest.statement.subjects) {
        bool bad = false;
        for (const QString &fault : subjectFaults)
            bad = bad || fault.startsWith(s.name + QLatin1Char(' '));
        if (!bad)
            c.intact << s.name;
    }
    return c;
}
