#include "archiveexport.h"

#include "archivequeries.h"
#include "atomicfile.h"
#include "audittrail.h"
#include "reportdata.h"

#include <QDir>
#include <QFileInfo>

bool exportHoleFiles(CArchiveDb &db, const QString &project, const QString &hole, int version,
                     const QString &testStamp, const QString &dir, QStringList *written, QString *error)
{
    QVector<VersionRow> history;
    if (!holeHistory(db, project, hole, &history, error))
        return false;
    if (history.isEmpty()) {
        *error = QStringLiteral("no hole %1 in project %2").arg(hole, project);
        return false;
    }
    const VersionRow *v = pickVersion(history, version, testStamp);
    if (!v) {
        *error = QStringLiteral("hole %1 of project %2 has no such test or version").arg(hole, project);
        return false;
    }
    QVector<StoredFile> files;
    if (!versionFiles(db, v->id, &files, error))
        return false;
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    for (const StoredFile &f : files) {
        // Stored names come from imported folders; never let one leave dir.
        const QString name = QFileInfo(f.name).fileName();
        if (sha256Hex(f.bytes) != f.sha256) {
            *error = QStringLiteral("the stored bytes of %1 do not match their SHA-256: run verify").arg(name);
            return false;
        }
        CAtomicFileWriter w(QDir(dir).filePath(name));
        if (!w.open() || !w.write(f.bytes) || !w.commit()) {
            *error = QStringLiteral("%1: %2").arg(w.targetPath(), w.errorString());
            return false;
        }
        written->append(w.targetPath());
    }
    CAuditTrail trail(db);
    if (!db.begin(error))
        return false;
    for (const StoredFile &f : files) {
        const QString detail = QStringLiteral("%1 (test %2 %3, version %4) to %5")
                                   .arg(f.name, v->testDate, v->testTime, QString::number(v->version),
                                        QDir::toNativeSeparators(QDir(dir).absolutePath()));
        if (!trail.append(QStringLiteral("export"), project, hole, detail, f.sha256, error)) {
            db.rollback();
            return false;
        }
    }
    if (!db.commit(error)) {
        db.rollback();
        return false;
    }
    return true;
}
