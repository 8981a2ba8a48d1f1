#include "archiveimport.h"

#include "archiveschema.h"

#include "audittrail.h"
#include "filenames.h"
#include "holefacts.h"
#include "holefile.h"
#include "manifestcheck.h"
#include "preparedquery.h"
#include "rawfiles.h"
#include "reportdata.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QThread>
#include <algorithm>
#include <cstdio>

QString ImportSummary::line() const
{
    return QStringLiteral("new %1, versions %2, skipped %3, refused %4").arg(QString::number(added), QString::number(versions), QString::number(skipped), QString::number(refused));
}

namespace {
struct SourceFolder {
    QByteArray path;
    QVector<QByteArray> holeFiles; // names inside the folder, sorted
};

bool isHoleName(const QByteArray &name) { return isHoleFileName(FileNames::display(name)); }

// Groups the hole files named by PATHs by their folder, in a stable order.
// Paths are taken as the bytes the command line gave.
QVector<SourceFolder> collectSources(const QStringList &paths, QStringList *missing)
{
    QMap<QByteArray, QVector<QByteArray>> byFolder;
    for (const QString &p : paths) {
        const QByteArray path = RawFiles::absolute(QFile::encodeName(p));
        if (RawFiles::isDir(path)) {
            for (const QByteArray &folder : RawFiles::foldersUnder(path)) {
                for (const QByteArray &name : RawFiles::filesIn(folder)) {
                    if (isHoleName(name))
                        byFolder[folder] << name;
                }
            }
        } else if (RawFiles::isFile(path)) {
            const QByteArray name = RawFiles::baseName(path);
            if (isHoleName(name))
                byFolder[RawFiles::parent(path)] << name;
            else
                *missing << QStringLiteral("%1: not a hole file (extension %2)").arg(FileNames::shown(p), fileExt);
        } else {
            *missing << QStringLiteral("%1: no such file or folder").arg(FileNames::shown(p));
        }
    }
    QVector<SourceFolder> out;
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        QVector<QByteArray> names = it.value();
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        out.append({it.key(), names});
    }
    return out;
}

// Base name (without the last extension), lower-case ASCII, as bytes.
QByteArray stem(const QByteArray &name)
{
    const int dot = name.lastIndexOf('.');
    return (dot > 0 ? name.left(dot) : name).toLower();
}

class CImporter {
public:
    CImporter(CArchiveDb &db, const ImportOptions &options, ImportSummary &summary)
        : m_db(db), m_options(options), m_summary(summary), m_trail(db),
          m_seen(db, QStringLiteral("SELECT 1 FROM versions WHERE sha256 = ?")),
          // Each file costs a few round trips only (they dominate on a
          // server): a hole and a test are found or made in one statement,
          // the version number is taken in the insert itself.
          m_hole(db, archiveHoleUpsert()),
          m_test(db, archiveTestUpsert()),
          m_addBlob(db, QStringLiteral("INSERT INTO blobs (sha256, size, content) VALUES (?, ?, ?)"
                                       " ON CONFLICT (sha256) DO NOTHING")),
          m_addVersion(db, QStringLiteral(
                               "INSERT INTO versions (test_id, version, sha256, file_name, source, imported_at,"
                               " imported_by, %1)"
                               " SELECT ?, COALESCE(MAX(version), 0) + 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                               " ?, ?, ?, ? FROM versions WHERE test_id = ? RETURNING id, version").arg(archiveVersionFactColumns())),
          // PostgreSQL does the seen check, the hole, the test, the bytes and
          // the version in one statement: each round trip to a busy server
          // costs more than all the work of a file. No row back: seen before.
          m_storeAll(db, QStringLiteral(
                             "WITH seen AS (SELECT 1 FROM versions WHERE sha256 = ?),"
                             " h AS (INSERT INTO holes (project, hole) SELECT ?::text, ?::text"
                             " WHERE NOT EXISTS (SELECT 1 FROM seen)"
                             " ON CONFLICT (project, hole) DO UPDATE SET hole = EXCLUDED.hole RETURNING id),"
                             " t AS (INSERT INTO tests (hole_id, project_folder, file_name, test_date, test_time)"
                             " SELECT id, ?::text, ?::text, ?::text, ?::text FROM h"
                             " ON CONFLICT (hole_id, project_folder, file_name, test_date, test_time)"
                             " DO UPDATE SET test_time = EXCLUDED.test_time RETURNING id),"
                             " b AS (INSERT INTO blobs (sha256, size, content) SELECT ?::text, ?::bigint, ?::bytea FROM t"
                             " ON CONFLICT (sha256) DO NOTHING)"
                             " INSERT INTO versions (test_id, version, sha256, file_name, source, imported_at,"
                             " imported_by, %1)"
                             " SELECT t.id, COALESCE((SELECT MAX(v.version) FROM versions v WHERE v.test_id = t.id), 0) + 1,"
                             " ?::text, ?::text, ?::text, ?::text, ?::text, ?::text, ?::text, ?::text, ?::integer,"
                             " ?::integer, ?::integer, ?::integer, ?::integer, ?::integer, ?::text, ?::text, ?::text,"
                             " ?::integer, ?::integer, ?::integer, ?::text FROM t RETURNING id, version, test_id")
                             .arg(archiveVersionFactColumns())),
          m_addCompanion(db, QStringLiteral("INSERT INTO companions (version_id, name, sha256) VALUES (?, ?, ?)")),
          // PostgreSQL: a companion's bytes and its row in one round trip.
          m_storeCompanion(db, QStringLiteral("WITH b AS (INSERT INTO blobs (sha256, size, content)"
                                              " VALUES (?::text, ?::bigint, ?::bytea) ON CONFLICT (sha256) DO NOTHING)"
                                              " INSERT INTO companions (version_id, name, sha256)"
                                              " VALUES (?::bigint, ?::text, ?::text)")),
          m_setLatest(db, archiveSetLatestVersion())
    {
        m_who = archiveUser();
    }

    bool importFolder(const SourceFolder &folder, int total, QString *error)
    {
        if (!m_db.begin(error))
            return false;
        m_trail.restart();
        const ImportSummary before = m_summary;
        const int doneBefore = m_done;
        const QMap<QByteArray, QVector<QByteArray>> companions = companionsIn(folder.path);
        for (const QByteArray &name : folder.holeFiles) {
            bool wasStored = false;
            if (!importFile(folder.path, name, companions.value(stem(name)), &wasStored, error)) {
                m_db.rollback();
                m_trail.restart();
                m_summary = before;
                m_done = doneBefore;
                return false;
            }
            if (wasStored && ++m_stored == m_options.pauseAfterFiles)
                waitToBeKilled();
            ++m_done;
            if (m_options.progress)
                m_options.progress(m_done, total);
        }
        if (!m_db.commit(error)) {
            m_db.rollback();
            m_summary = before;
            return false;
        }
        m_trail.restart();
        return true;
    }

private:
    static void waitToBeKilled()
    {
        fputs("paused\n", stderr);
        fflush(stderr);
        for (int i = 0; i < 600; ++i)
            QThread::msleep(100);
        fputs("not killed within a minute: going on\n", stderr);
    }

    // The hole files of a folder, asked only for files whose name and
    // recorded hole disagree (older instruments), once per folder.
    QStringList holeNamesIn(const QByteArray &folder)
    {
        if (m_holeNamesFolder != folder) {
            m_holeNamesFolder = folder;
            m_holeNames.clear();
            for (const QByteArray &n : RawFiles::filesIn(folder)) {
                if (isHoleName(n))
                    m_holeNames << FileNames::display(n);
            }
        }
        return m_holeNames;
    }

    // Companion files by lower-case base name: every other file beside the
    // hole files whose name differs only in the extension.
    static QMap<QByteArray, QVector<QByteArray>> companionsIn(const QByteArray &folder)
    {
        QMap<QByteArray, QVector<QByteArray>> map;
        for (const QByteArray &n : RawFiles::filesIn(folder)) {
            if (!isHoleName(n))
                map[stem(n)] << n;
        }
        return map;
    }

    void refuse(const QString &path, const QString &reason)
    {
        ++m_summary.refused;
        m_summary.refusals << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    }

    std::function<void()> whileReading(const QString &path) const
    {
        if (!m_options.whileReading)
            return {};
        return [this, path] { m_options.whileReading(path); };
    }

    bool storeBlob(const QString &sha, const QByteArray &bytes, QString *error)
    {
        return m_addBlob.run({sha, bytes.size(), bytes}, error);
    }

    bool importFile(const QByteArray &folderBytes, const QByteArray &nameBytes,
                    const QVector<QByteArray> &companionNames, bool *stored, QString *error)
    {
        const QString folder = FileNames::display(folderBytes);
        const QString name = FileNames::display(nameBytes);
        const QString path = folder + QLatin1Char('/') + name;
        QByteArray bytes;
        QString reason;
        if (!RawFiles::read(folderBytes + '/' + nameBytes, HoleFile::largestFileSize(), &bytes, &reason,
                            whileReading(path))) {
            refuse(path, reason);
            return true;
        }
        // Each companion is read once: the manifest is checked against, and
        // the archive keeps, the same bytes.
        QVector<QPair<QString, QByteArray>> companions;
        for (const QByteArray &cn : companionNames) {
            const QString c = FileNames::display(cn);
            const QString companionPath = folder + QLatin1Char('/') + c;
            QByteArray cb;
            if (!RawFiles::read(folderBytes + '/' + cn, LargestCompanionFile, &cb, &reason,
                                whileReading(companionPath))) {
                refuse(companionPath, reason);
                continue;
            }
            companions.append({c, cb});
        }
        const ReceivedHole hole{FileNames::display(RawFiles::baseName(folderBytes)), name, bytes, companions};
        return importBytes(folder, hole, [&] { return holeNamesIn(folderBytes); }, nullptr, stored, error);
    }

public:
    // The hole file and its companions as read or received; folder: where
    // they came from, for the version's source and the trail. judged: the
    // verdict on its manifest when the caller has already reached it for
    // these very bytes; else the manifest among the companions is judged
    // here.
    bool importBytes(const QString &folder, const ReceivedHole &in, const std::function<QStringList()> &holeNames,
                     const ManifestVerdict *judged, bool *stored, QString *error)
    {
        const QString &name = in.fileName;
        const QByteArray &bytes = in.bytes;
        const QVector<QPair<QString, QByteArray>> &companions = in.companions;
        const QString path = folder + QLatin1Char('/') + name;
        const QString sha = sha256Hex(bytes);
        if (!m_db.isPostgres()) {
            if (!m_seen.run({sha}, error))
                return false;
            if (!m_seen.firstRow().isEmpty()) {
                ++m_summary.skipped;
                return true;
            }
        }
        const HoleFactsResult read = readHoleFacts(bytes, in.projectFolder, name);
        if (!read.ok) {
            refuse(path, read.reason);
            return true;
        }
        // A manifest beside the file vouches for exactly these bytes, or the file is refused.
        const std::optional<ManifestVerdict> manifest =
            judged ? std::optional<ManifestVerdict>(*judged) : companionManifestVerdict(m_db, name, bytes, companions);
        if (manifest && manifest->kind == ManifestVerdict::ArchiveFault) {
            *error = manifest->reason;
            return false;
        }
        if (manifest && !manifest->ok()) {
            refuse(path, manifest->reason);
            return true;
        }
        const HoleFacts &f = read.facts;
        const QString &projectFolder = in.projectFolder;
        const QString testName = archivedTestName(name);
        const QString hole = archivedHoleOf(f, name, holeNames);
        const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
        const QVariantList versionFields =
            QVariantList{sha, name, QDir::toNativeSeparators(path), now, m_who} + archiveVersionFacts(f);
        QVariantList added; // version id, version number, test id
        if (m_db.isPostgres()) {
            if (!m_storeAll.run(QVariantList{sha, f.project, hole, projectFolder, testName, f.testDate, f.testTime, sha,
                                             bytes.size(), bytes}
                                    + versionFields,
                                error))
                return false;
            added = m_storeAll.firstRow();
            if (added.isEmpty()) {
                ++m_summary.skipped;
                return true;
            }
        } else {
            if (!m_hole.run({f.project, hole}, error))
                return false;
            const QVariant holeId = m_hole.firstValue();
            if (!m_test.run({holeId, projectFolder, testName, f.testDate, f.testTime}, error))
                return false;
            const QVariant testId = m_test.firstValue();
            if (!storeBlob(sha, bytes, error) || !m_addVersion.run(QVariantList{testId} + versionFields + QVariantList{testId}, error))
                return false;
            added = m_addVersion.firstRow() << testId;
        }
        if (added.size() != 3) {
            *error = QStringLiteral("the new version was not stored");
            return false;
        }
        const QVariant versionId = added.at(0);
        const int version = added.at(1).toInt();
        const QVariant testId = added.at(2);

        QStringList kept;
        for (const auto &companion : qAsConst(companions)) {
            const QString &c = companion.first;
            const QByteArray &cb = companion.second;
            const QString csha = sha256Hex(cb);
            const bool companionStored = m_db.isPostgres()
                ? m_storeCompanion.run({csha, cb.size(), cb, versionId, c, csha}, error)
                : storeBlob(csha, cb, error) && m_addCompanion.run({versionId, c, csha}, error);
            if (!companionStored)
                return false;
            kept << QStringLiteral("%1 %2").arg(c, csha);
        }

        // After the companions: the manifest's bytes are one of them.
        if (manifest && !recordSignedVersion(m_db, versionId, *manifest, error))
            return false;
        if (!m_setLatest.run(
                {versionId, testId, f.testDate + QLatin1Char(' ') + f.testTime, testName.size(), testName, testId},
                error))
            return false;

        QString detail = QStringLiteral("%1 from %2: test %3 %4, version %5, %6 samples, thickness %7 cm")
                             .arg(name, QDir::toNativeSeparators(folder), f.testDate, f.testTime,
                                  QString::number(version), QString::number(f.samples),
                                  QString::number(f.thicknessCm));
        if (!kept.isEmpty())
            detail += QStringLiteral("; with ") + kept.join(QStringLiteral(", "));
        if (!m_trail.append(version == 1 ? QStringLiteral("import") : QStringLiteral("version"), f.project, hole,
                            detail, sha, error))
            return false;
        if (version == 1)
            ++m_summary.added;
        else
            ++m_summary.versions;
        *stored = true;
        return true;
    }

private:
    CArchiveDb &m_db;
    const ImportOptions &m_options;
    ImportSummary &m_summary;
    CAuditTrail m_trail;
    QString m_who;
    int m_done = 0;
    int m_stored = 0;
    QByteArray m_holeNamesFolder;
    QStringList m_holeNames;
    CPreparedQuery m_seen, m_hole, m_test, m_addBlob, m_addVersion, m_storeAll, m_addCompanion, m_storeCompanion,
        m_setLatest;
};
} // namespace

bool importIntoArchive(CArchiveDb &db, const QStringList &paths, const ImportOptions &options,
                       ImportSummary *summary, QString *error)
{
    QStringList missing;
    const QVector<SourceFolder> sources = collectSources(paths, &missing);
    for (const QString &m : missing) {
        ++summary->refused;
        summary->refusals << m;
    }
    int total = 0;
    for (const SourceFolder &s : sources)
        total += s.holeFiles.size();
    CImporter importer(db, options, *summary);
    for (const SourceFolder &s : sources) {
        if (!importer.importFolder(s, total, error)) {
            *error = QStringLiteral("%1: %2 (this folder was left out; the folders before it are imported)")
                         .arg(FileNames::display(s.path), *error);
            return false;
        }
    }
    return true;
}

struct CReceivedImporter::Private {
    explicit Private(CArchiveDb &db)
        : importer(db, options, summary)
    {
    }
    ImportOptions options;
    ImportSummary summary;
    CImporter importer;
};

CReceivedImporter::CReceivedImporter(CArchiveDb &db)
    : d(new Private(db))
{
}

CReceivedImporter::~CReceivedImporter() = default;

bool CReceivedImporter::import(const ReceivedHole &received, const ManifestVerdict &judged, ImportSummary *summary,
                               QString *error)
{
    d->summary = ImportSummary();
    // Alone in its folder: the only name beside it is its own.
    const auto holeNames = [&received] { return QStringList{received.fileName}; };
    bool stored = false;
    const bool ok = d->importer.importBytes(QStringLiteral("upload/") + received.projectFolder, received, holeNames,
                                            &judged, &stored, error);
    *summary = d->summary;
    return ok;
}
