#pragma once
// Fixtures of the archive tests: hole files made by the instrument's own
// writer, and the two database engines behind one face. ZPVW_ARCHIVE_ENGINE
// chooses "sqlite" (default) or "postgresql"; the latter runs a PostgreSQL
// server of its own for the test process, on a Unix socket in a temporary
// folder (no TCP at all), stopped when the process ends.

#include "testsupport.h"
#include "testrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <memory>

struct HoleShape {
    QString project = QStringLiteral("Bridge 7");
    QString hole = QStringLiteral("A1");
    QString date = QStringLiteral("2026-03-01");
    QString time = QStringLiteral("09:00:00");
    QString tester = QStringLiteral("Li");
    QString unit = QStringLiteral("Survey Co");
    int thicknessCm = 12;
    int quality = 0;
    int samples = 40;
    int depthMm = 20000;
    // Acceptance section (written when limitMm >= 0): the limit in force and
    // the automatic verdict, as judging stores them.
    int limitMm = -1;
    int verdict = -1; // -1 not judged, 0 pass, 1 fail
    int sequence = 1;
    // The operator chose the hole quality against the verdict, and why
    // (OverrideReason; 0 none).
    bool overridden = false;
    int overrideReason = 0;
    // The operator kept the hole number for a test named after another hole.
    bool holeNumberKept = false;
    // A test not judged yet.
    bool awaitingJudgement = false;
};
// The complete file image the instrument writes for such a test.
QByteArray holeFileBytes(const HoleShape &shape);
QVector<Sample> holeSamples(const HoleShape &shape);

using ToolRun = ChildRun;
// An import's log without its last line, the trail's head ("audit trail
// head HASH"; empty when that line is missing).
QByteArray withoutHead(const QByteArray &importLog);
// Runs the built zpvw-archive (at most 120 s).
ToolRun runArchiveTool(const QStringList &args, const QStringList &extraEnv = {}, const QStringList &prefix = {});

class CPostgresServer;

class CTestEngine {
public:
    CTestEngine();
    ~CTestEngine();
    bool isPostgres() const { return m_postgres; }
    QString name() const { return m_postgres ? QStringLiteral("postgresql") : QStringLiteral("sqlite"); }
    // False (with the reason) when the engine cannot run here.
    bool ready(QString *why) const;
    bool skipBecauseAbsent() const { return m_absent; }
    // A new empty archive: its --db text.
    QString freshArchive();
    // Runs SQL with the database's own client (sqlite3 or psql), as someone
    // working behind the archive's back would. Output in out.
    bool ownClient(const QString &db, const QString &sql, QString *out = nullptr);
    // The archive made read-only for its users; and the way to run the tool
    // against it (SQLite: as an unprivileged user when the tests run as root).
    bool makeReadOnly(const QString &db, QStringList *toolPrefix);
    QString workDir() const { return m_dir.path(); }

private:
    bool m_postgres = false;
    bool m_absent = false;
    QString m_error;
    QTemporaryDir m_dir;
    std::unique_ptr<CPostgresServer> m_server;
    int m_count = 0;
};
