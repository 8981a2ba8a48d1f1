#include "archivesummary.h"

#include <QSqlQuery>

bool projectTestFiles(CArchiveDb &db, const QString &project, QVector<HoleFileBytes> *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT v.file_name, b.content FROM holes h JOIN tests t ON t.hole_id = h.id"
                                " JOIN versions v ON v.test_id = t.id JOIN blobs b ON b.sha256 = v.sha256"
                                " WHERE h.project = ? AND v.version = (SELECT MAX(w.version) FROM versions w"
                                " WHERE w.test_id = t.id) ORDER BY t.test_date, t.test_time, LENGTH(t.file_name), t.file_name"),
                 {project}, error))
        return false;
    out->clear();
    while (q.next())
        out->append({q.value(0).toString(), q.value(1).toByteArray()});
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
