#include "testseparation.h"

#include "archiveschema.h"
#include "audittrail.h"
#include "holefacts.h"
#include "preparedquery.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QVector>
#include <algorithm>

namespace {
struct StoredVersion {
    qint64 id = 0;
    qint64 testId = 0;
    int version = 0;
    QString fileName;
    QString source;
    QString sha256;
    QString project;
    QString hole;
    qint64 holeId = 0;
    QString testDate;
    QString testTime;
    int sequence = 1;
    bool sequenceRecorded = false;
    // Where it belongs now.
    QString projectFolder;
    QString testName;
    QString filedHole;
};

// One file's versions within a stored test, oldest first.
using FileVersions = QVector<const StoredVersion *>;

bool readVersions(CArchiveDb &db, QVector<StoredVersion> *out, QString *error)
{
    QSqlQuery q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT v.id, v.test_id, v.version, v.file_name, v.source, v.sha256, h.project, h.hole,"
                                " t.hole_id, t.test_date, t.test_time, v.sequence,"
                                " CASE WHEN v.verdict IS NULL THEN 0 ELSE 1 END"
                                " FROM versions v JOIN tests t ON t.id = v.test_id JOIN holes h ON h.id = t.hole_id"
                                " ORDER BY v.test_id, v.version"),
                 {}, error))
        return false;
    while (q.next()) {
        StoredVersion v;
        v.id = q.value(0).toLongLong();
        v.testId = q.value(1).toLongLong();
        v.version = q.value(2).toInt();
        v.fileName = q.value(3).toString();
        v.source = q.value(4).toString();
        v.sha256 = q.value(5).toString().trimmed();
        v.project = q.value(6).toString();
        v.hole = q.value(7).toString();
        v.holeId = q.value(8).toLongLong();
        v.testDate = q.value(9).toString();
        v.testTime = q.value(10).toString();
        v.sequence = q.value(11).toInt();
        // Only a file with an acceptance section has a verdict.
        v.sequenceRecorded = q.value(12).toInt() != 0;
        out->append(v);
    }
    return true;
}

class CTestSeparation {
public:
    explicit CTestSeparation(CArchiveDb &db)
        : m_db(db), m_trail(db),
          m_hole(db, archiveHoleUpsert()),
          m_test(db, archiveTestUpsert()),
          m_name(db, QStringLiteral("UPDATE tests SET project_folder = ?, file_name = ? WHERE id = ?")),
          // A test already there (the same file, stored once under its
          // right hole) takes the moved versions after its own.
          m_move(db, QStringLiteral("UPDATE versions SET test_id = ?, version = (SELECT COALESCE(MAX(w.version), 0) + 1"
                                    " FROM versions w WHERE w.test_id = ?) WHERE id = ? RETURNING version")),
          m_dropTest(db, QStringLiteral("DELETE FROM tests WHERE id = ?"))
    {
    }

    bool run(QString *error)
    {
        QVector<StoredVersion> versions;
        if (!readVersions(m_db, &versions, error))
            return false;
        // The hole files beside each one, for the rule of repeats.
        QHash<QString, QStringList> filesIn;
        for (const StoredVersion &v : qAsConst(versions))
            filesIn[QFileInfo(v.source).absolutePath()] << QFileInfo(v.fileName).fileName();
        for (StoredVersion &v : versions) {
            v.projectFolder = QFileInfo(v.source).dir().dirName();
            v.testName = archivedTestName(v.fileName);
            HoleFacts facts;
            facts.hole = v.hole;
            facts.sequence = v.sequence;
            facts.sequenceRecorded = v.sequenceRecorded;
            v.filedHole = archivedHoleOf(facts, v.fileName,
                                         [&] { return filesIn.value(QFileInfo(v.source).absolutePath()); });
        }
        bool moved = false;
        for (int i = 0; i < versions.size();) {
            int end = i;
            while (end < versions.size() && versions.at(end).testId == versions.at(i).testId)
                ++end;
            if (!separate(versions.mid(i, end - i), &moved, error))
                return false;
            i = end;
        }
        return !moved || refreshHoles(error);
    }

private:
    // The versions of one stored test, oldest first.
    bool separate(const QVector<StoredVersion> &test, bool *moved, QString *error)
    {
        QVector<FileVersions> files;
        for (const StoredVersion &v : test) {
            auto same = [&](const FileVersions &f) {
                return f.first()->projectFolder == v.projectFolder && f.first()->testName == v.testName;
            };
            auto it = std::find_if(files.begin(), files.end(), same);
            if (it == files.end())
                files.append({&v});
            else
                it->append(&v);
        }
        const StoredVersion &first = test.first();
        if (files.size() == 1 && first.filedHole == first.hole)
            return m_name.run({first.projectFolder, first.testName, first.testId}, error);
        for (const FileVersions &f : qAsConst(files)) {
            if (!moveFile(f, error))
                return false;
        }
        *moved = true;
        return m_dropTest.run({first.testId}, error);
    }

    bool moveFile(const FileVersions &file, QString *error)
    {
        const StoredVersion &v = *file.first();
        QVariant holeId = v.holeId;
        if (v.filedHole != v.hole) {
            if (!m_hole.run({v.project, v.filedHole}, error))
                return false;
            holeId = m_hole.firstValue();
        }
        if (!m_test.run({holeId, v.projectFolder, v.testName, v.testDate, v.testTime}, error))
            return false;
        const QVariant testId = m_test.firstValue();
        for (const StoredVersion *s : file) {
            if (!m_move.run({testId, testId, s->id}, error))
                return false;
            const QString now = m_move.firstValue().toString();
            const QString detail =
                QStringLiteral("%1 from %2: test %3 %4 filed as its own, version %5 (was version %6 of a test of hole %7)")
                    .arg(s->fileName, QDir::toNativeSeparators(QFileInfo(s->source).absolutePath()), s->testDate,
                         s->testTime, now, QString::number(s->version), s->hole);
            if (!m_trail.append(QStringLiteral("refile"), s->project, v.filedHole, detail, s->sha256, error))
                return false;
        }
        return true;
    }

    // Each hole's latest version again (the order of holeHistory, newest
    // last), and holes left without a test dropped.
    bool refreshHoles(QString *error)
    {
        return m_db.exec(QStringLiteral(
                             "UPDATE holes SET latest_version = (SELECT v.id FROM versions v JOIN tests t ON t.id = v.test_id"
                             " WHERE t.hole_id = holes.id ORDER BY t.test_date DESC, t.test_time DESC,"
                             " LENGTH(t.file_name) DESC, t.file_name DESC, t.id DESC, v.version DESC LIMIT 1)"),
                         error)
            && m_db.exec(QStringLiteral("DELETE FROM holes WHERE NOT EXISTS (SELECT 1 FROM tests t WHERE t.hole_id = holes.id)"),
                         error);
    }

    CArchiveDb &m_db;
    CAuditTrail m_trail;
    CPreparedQuery m_hole, m_test, m_name, m_move, m_dropTest;
};
} // namespace

bool separateArchivedTests(CArchiveDb &db, QString *error)
{
    if (!db.lockForWriting(error))
        return false;
    CTestSeparation separation(db);
    return separation.run(error);
}
