#include "archivesummary.h"

#include <QSqlQuery>

bool projectTestFiles(CArchiveDb &db, const QString &project, QVector<HoleFileBytes> *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT v.file_name, b.content, v.rejudged_by, v.rejudged_at, v.rejudge_reason FROM holes h JOIN tests t ON t.hole_id = h.id"
                                " JOIN versions v ON v.test_id = t.id JOIN blobs b ON b.sha256 = v.sha256"
                                " WHERE h.project = ? AND v.version = (SELECT MAX(w.version) FROM versions w"
                                " WHERE w.test_id = t.id) ORDER BY t.test_date, t.test_time, LENGTH(t.file_name), t.file_name"),
                 {project}, error))
        return false;
    out->clear();
    while (q.next()) {
        const QString by = q.value(2).toString();
        const QString at = q.value(3).toString().left(16).replace(QLatin1Char('T'), QLatin1Char(' '));
        out->append({q.value(0).toString(), q.value(1).toByteArray(),
                     by.isEmpty() ? QString() : QStringLiteral("%1, %2 UTC: %3").arg(by, at, q.value(4).toString())});
    }
    return true;
}

bool archiveProjectSummary(CArchiveDb &db, const QString &project, ProjectSummary *out, QString *error)
{
    QVector<HoleFileBytes> files;
    if (!projectTestFiles(db, project, &files, error))
        return false;
    if (files.isEmpty()) {
        *error = QStringLiteral("no project %1 in the archive").arg(project);
        return false;
    }
    *out = summarizeProject(files);
    return true;
}
