#pragma once
// Reading the archive: projects, holes, the history of a hole, stored files
// and searches. Every function is one or a few queries; none writes.

#include "archivedb.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

struct ProjectRow {
    QString project;
    int holes = 0;
    int tests = 0;
    int versions = 0;
    int passed = 0; // holes whose latest test passed
    int failed = 0; // holes whose latest test failed
    int notJudged = 0;
};

// The latest test of a hole, at its newest version.
struct HoleRow {
    QString project;
    QString hole;
    QString testDate;
    QString testTime;
    int thicknessCm = 0;
    int quality = 0;
    std::optional<int> limitMm;
    QString verdict;       // "pass", "fail", "not judged"; empty when the file has no acceptance section
    bool overridden = false;  // the verdict is the operator's choice against the automatic one
    QString overrideReason;   // why (OverrideReason::key), empty when no reason was given
    QString rejudgedBy;       // the version was judged again in the office by this user
    int samples = 0;
    qint64 versionId = 0;
    int version = 0;
    QString sha256;
    QString fileName;
    bool failed() const;   // the file's verdict, else the judged hole quality
};

struct CompanionRow {
    QString name;
    QString sha256;
    qint64 size = 0;
};

struct VersionRow {
    qint64 id = 0;
    qint64 testId = 0;
    QString testName;      // the hole file's name without extension: Z1-2
    QString projectFolder; // the folder it was imported from: the instrument's project folder
    QString testDate;
    QString testTime;
    int version = 0;
    QString sha256;
    qint64 size = 0;
    QString fileName;
    QString source;
    QString importedAt;
    QString importedBy;
    QString tester;
    int thicknessCm = 0;
    int quality = 0;
    std::optional<int> limitMm;
    QString verdict;
    bool overridden = false;
    QString overrideReason;
    int samples = 0;
    QVector<CompanionRow> companions;
    // A version made in the office by judging rejudgedFrom (a version id)
    // again: by whom, when (UTC, ISO 8601) and why. Empty for a version an
    // instrument made.
    QString rejudgedBy;
    QString rejudgedAt;
    QString rejudgeReason;
    qint64 rejudgedFrom = 0;
    bool officeRejudgement() const { return !rejudgedBy.isEmpty(); }
};

// The version whose judgement an instrument made that an office version
// (or any version) goes back to: the version itself when an instrument made
// it. Null when the chain leaves the history.
const VersionRow *instrumentJudgement(const QVector<VersionRow> &history, const VersionRow &version);

struct StoredFile {
    QString name;
    QString sha256;
    QByteArray bytes;
};

struct FoundHole {
    QString project;
    QString hole;
    QString matched; // which names matched, e.g. "tester 王工"
};

bool listProjects(CArchiveDb &db, QVector<ProjectRow> *out, QString *error);
// One row per hole of the project, in natural order of the hole names.
bool listHoles(CArchiveDb &db, const QString &project, QVector<HoleRow> *out, QString *error);
// Every test and version of a hole, oldest test first, versions in order.
// Tests of one time (an older instrument's run) go by their names: NAME
// before NAME-2 before NAME-10.
bool holeHistory(CArchiveDb &db, const QString &project, const QString &hole, QVector<VersionRow> *out,
                 QString *error);
// The hole file of a version and its companion files, exactly as imported.
bool versionFiles(CArchiveDb &db, qint64 versionId, QVector<StoredFile> *out, QString *error);
// Where bytes are filed, as a hole file or a companion file of a version;
// empty when they belong to no version.
struct FiledAs {
    QString name;
    QString project;
    QString hole;
    QString testDate;
    QString testTime;
    int version = 0;
};
bool whereFiled(CArchiveDb &db, const QString &sha256, QVector<FiledAs> *out, QString *error);
// Stored bytes by SHA-256; false when unknown.
bool storedBytes(CArchiveDb &db, const QString &sha256, QByteArray *out, QString *error);
// Projects and holes whose project, hole, tester or unit names contain text
// (Latin letters without regard to case).
bool findInArchive(CArchiveDb &db, const QString &text, QVector<FoundHole> *out, QString *error);

// Picks a version from a hole's history: the newest version of the latest
// test when version is 0, else that version of the latest test, or of the
// test named by test, its time ("yyyy-MM-dd hh:mm:ss") or its name ("Z1-2"),
// the latest of several. Null when none.
const VersionRow *pickVersion(const QVector<VersionRow> &history, int version, const QString &test);

// Natural order of hole names: "2#" before "10#".
bool holeNameLess(const QString &a, const QString &b);
