#include "reportdata.h"

#include "sha256.h"

#include "holefile.h"

#include <QFile>
#include <QFileInfo>

namespace {
bool readAll(const QString &path, QByteArray *bytes, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return false;
    }
    *bytes = f.readAll();
    return true;
}
} // namespace

bool readHoleReportData(const QString &holeFilePath, HoleReportData *out, QString *error)
{
    const QString path = withHoleExtension(holeFilePath);
    QByteArray before;
    if (!readAll(path, &before, error))
        return false;
    HoleReportData d;
    const HoleLoadResult r = readHoleFile(path, d.info);
    if (!r.ok) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, r.errorText());
        return false;
    }
    // The checksum in the footer must belong to the bytes the report shows.
    QByteArray after;
    if (!readAll(path, &after, error))
        return false;
    if (after != before) {
        if (error)
            *error = QStringLiteral("%1 changed while it was read").arg(path);
        return false;
    }
    d.samples = r.samples;
    d.announcedSamples = r.announcedSamples;
    d.samplesTruncated = r.samplesTruncated;
    d.fileName = QFileInfo(path).fileName();
    d.sha256 = sha256Hex(before);
    d.madeAt = QDateTime::currentDateTime();
    d.suggestion = suggestSedimentInterface(d.samples, d.info.maxDepth, d.info.moveDistance);
    *out = d;
    return true;
}
