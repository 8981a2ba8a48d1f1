// The office archive, run once per engine (ZPVW_ARCHIVE_ENGINE): imports,
// versions, queries, exports, the audit trail, verify against tampering,
// and faults (a killed import, a locked or read-only archive, hostile files).

#include "archiveaddress.h"
#include "archivedb.h"
#include "archiveexport.h"
#include "archivefixture.h"
#include "archiveimport.h"
#include "archiveschema.h"
#include "archivequeries.h"
#include "archivesummary.h"
#include "officerejudge.h"
#include "verdict.h"
#include "projectsummary.h"
#include "summarywriters.h"
#include "archiveverify.h"
#include "archivedevices.h"
#include "devicekey.h"
#include "manifestcheck.h"
#include "receivedwriter.h"
#include "testmanifest.h"
#include "testseal.h"
#include "audittrail.h"
#include "holefacts.h"
#include "reportdata.h"
#include "holefile.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <QTextCodec>
#include <csignal>
#include <thread>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString u(const char *utf8) { return QString::fromUtf8(utf8); }

bool openArchive(CArchiveDb &db, const QString &text)
{
    ArchiveAddress a;
    QString error;
    if (!parseArchiveAddress(text, &a, &error) || !db.open(a, &error)) {
        qWarning("%s", qUtf8Printable(error));
        return false;
    }
    return true;
}

ImportSummary importPaths(CArchiveDb &db, const QStringList &paths)
{
    ImportSummary s;
    QString error;
    if (!importIntoArchive(db, paths, ImportOptions(), &s, &error))
        qWarning("import failed: %s", qUtf8Printable(error));
    return s;
}

void writeHole(const QString &folder, const QString &name, const HoleShape &shape)
{
    QVERIFY(writeFileBytes(folder + QLatin1Char('/') + name, holeFileBytes(shape)));
}
} // namespace

class TestArchive : public QObject {
    Q_OBJECT

private:
    CTestEngine *m_engine = nullptr;
    QTemporaryDir m_files;

    QString folder(const QString &name) const { return m_files.path() + QLatin1Char('/') + name; }

    struct ExpectedHole {
        QString hole;
        QStringList tests; // file name without extension and version, oldest first
        QString latest;    // what holes shows: thickness and version
    };
    // The holes of project Bridge 7 (natural order), their tests and the
    // project's counts.
    void checkHoles(CArchiveDb &archive, const QVector<ExpectedHole> &expected, int versions)
    {
        QVector<HoleRow> holes;
        QString error;
        QVERIFY2(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error), qUtf8Printable(error));
        QStringList shown, wanted;
        for (const HoleRow &h : holes) {
            shown << QStringLiteral("%1 %2 cm v%3").arg(h.hole, QString::number(h.thicknessCm), QString::number(h.version));
            // The latest version holes keeps is the one the history ends with.
            QVector<VersionRow> history;
            QVERIFY(holeHistory(archive, QStringLiteral("Bridge 7"), h.hole, &history, &error));
            const VersionRow *latest = pickVersion(history, 0, QString());
            QVERIFY(latest);
            QCOMPARE(latest->id, h.versionId);
        }
        int tests = 0;
        for (const ExpectedHole &e : expected) {
            wanted << QStringLiteral("%1 %2").arg(e.hole, e.latest);
            QVector<VersionRow> history;
            QVERIFY(holeHistory(archive, QStringLiteral("Bridge 7"), e.hole, &history, &error));
            QStringList found;
            for (const VersionRow &r : history)
                found << QStringLiteral("%1 v%2").arg(QFileInfo(r.fileName).completeBaseName(), QString::number(r.version));
            QCOMPARE(found, e.tests);
            tests += e.tests.filter(QStringLiteral(" v1")).size();
        }
        QCOMPARE(shown, wanted);
        QVector<ProjectRow> projects;
        QVERIFY(listProjects(archive, &projects, &error));
        QCOMPARE(projects.size(), 1);
        QCOMPARE(projects.at(0).holes, expected.size());
        QCOMPARE(projects.at(0).tests, tests);
        QCOMPARE(projects.at(0).versions, versions);
    }

    // A new archive at db holding one test of A1 (3 cm against the 50 mm
    // of JGJ 94 end-bearing: passed), imported from folder name; and a
    // re-judgement of its version 1 by Wang, thickness 8 cm. False with a
    // warning when the archive cannot be made.
    bool oneTestToRejudge(CArchiveDb &archive, const QString &name, OfficeRejudgement *r)
    {
        if (!openArchive(archive, m_engine->freshArchive()))
            return false;
        HoleShape a1;
        a1.thicknessCm = 3;
        a1.limitMm = 50;
        a1.verdict = 0;
        if (!writeFileBytes(folder(name + QStringLiteral("/site/A1.CZO")), holeFileBytes(a1))
            || importPaths(archive, {folder(name)}).added != 1)
            return false;
        QVector<VersionRow> history;
        QString error;
        if (!holeHistory(archive, a1.project, a1.hole, &history, &error) || history.size() != 1) {
            qWarning("%s", qUtf8Printable(error));
            return false;
        }
        r->project = a1.project;
        r->hole = a1.hole;
        r->versionId = history.at(0).id;
        r->judgement.thicknessCm = 8;
        r->reason = QStringLiteral("supervisor");
        r->by = QStringLiteral("Wang");
        return true;
    }

private slots:
    void initTestCase()
    {
        m_engine = new CTestEngine;
        // The tool run as another user (read-only case) must read the files.
        QFile::setPermissions(m_files.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther);
        QString why;
        if (m_engine->skipBecauseAbsent()) {
            QString reason;
            m_engine->ready(&reason);
            QSKIP(qUtf8Printable(QStringLiteral("%1: the PostgreSQL run is skipped").arg(reason)));
        }
        QVERIFY2(m_engine->ready(&why), qUtf8Printable(why));
        qInfo("engine: %s", qUtf8Printable(m_engine->name()));
    }

    void cleanupTestCase()
    {
        delete m_engine; // stops the PostgreSQL server
        m_engine = nullptr;
    }

    void addressForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("database");
        QTest::newRow("file") << "/srv/a.sqlite" << true << false << "" << -1 << "";
        QTest::newRow("server") << "postgresql://office@db.lan:5433/archive" << true << true << "db.lan" << 5433
                                << "archive";
        QTest::newRow("default port") << "postgresql://office@db.office.example/archive" << true << true << "db.office.example" << -1
                                      << "archive";
        QTest::newRow("socket") << "postgresql://office@/archive?host=/run/postgresql" << true << true
                                << "/run/postgresql" << -1 << "archive";
        QTest::newRow("no database") << "postgresql://office@db.lan:5432/" << false << true << "" << -1 << "";
    }
    void addressForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        ArchiveAddress a;
        QString error;
        QCOMPARE(parseArchiveAddress(text, &a, &error), ok);
        if (!ok) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QFETCH(bool, postgres);
        QCOMPARE(a.engine == ArchiveAddress::Engine::PostgreSQL, postgres);
        if (!postgres) {
            QCOMPARE(a.path, text);
            return;
        }
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, database);
        QCOMPARE(a.user, QStringLiteral("office"));
        QCOMPARE(a.host, host);
        QCOMPARE(a.port, port);
        QCOMPARE(a.database, database);
    }

    // New tests, re-judged versions, files seen before and damaged files.
    void importSortsEveryFile()
    {
        const QString db = m_engine->freshArchive();
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        const QString usb = folder(QStringLiteral("import-usb/Bridge 7"));
        HoleShape a1;
        writeHole(usb, QStringLiteral("A1.CZO"), a1);
        QVERIFY(writeFileBytes(usb + QStringLiteral("/A1.PDF"), "%PDF-1.4 report of A1"));
        HoleShape a2 = a1;
        a2.hole = QStringLiteral("A2");
        writeHole(usb, QStringLiteral("A2.CZO"), a2);
        HoleShape a10 = a1;
        a10.hole = QStringLiteral("A10");
        a10.quality = 1;
        writeHole(usb, QStringLiteral("a10.czo"), a10);
        // Damaged: an interrupted save, a file cut inside its samples, and
        // something that is no hole file at all.
        QByteArray interrupted = holeFileBytes(a1);
        interrupted.replace(0, 3, "BAD");
        QVERIFY(writeFileBytes(usb + QStringLiteral("/B1.CZO"), interrupted));
        QVERIFY(writeFileBytes(usb + QStringLiteral("/B2.CZO"), holeFileBytes(a2).left(700)));
        QVERIFY(writeFileBytes(usb + QStringLiteral("/B3.CZO"), "hello"));

        ImportSummary s = importPaths(archive, {folder(QStringLiteral("import-usb"))});
        QCOMPARE(s.line(), QStringLiteral("new 3, versions 0, skipped 0, refused 3"));
        const QString reasons = s.refusals.join(QLatin1Char('\n'));
        QVERIFY2(reasons.contains(QStringLiteral("B1.CZO: not a complete hole file (interrupted save)")), qUtf8Printable(reasons));
        QVERIFY2(reasons.contains(QStringLiteral("B2.CZO: fewer samples than announced")), qUtf8Printable(reasons));
        QVERIFY2(reasons.contains(QStringLiteral("B3.CZO: not a hole file")), qUtf8Printable(reasons));

        // The same folder again: everything seen, the damaged files listed again.
        s = importPaths(archive, {usb});
        QCOMPARE(s.line(), QStringLiteral("new 0, versions 0, skipped 3, refused 3"));

        // A1 re-judged: same test (project folder, name, time), other bytes,
        // from a data folder.
        HoleShape judged = a1;
        judged.thicknessCm = 31;
        judged.quality = 1;
        const QString data = folder(QStringLiteral("import-data/ZPV_CZL-FILE/Bridge 7"));
        writeHole(data, QStringLiteral("A1.CZO"), judged);
        s = importPaths(archive, {data + QStringLiteral("/A1.CZO")});
        QCOMPARE(s.line(), QStringLiteral("new 0, versions 1, skipped 0, refused 0"));

        QVector<HoleRow> holes;
        QString error;
        QVERIFY2(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error), qUtf8Printable(error));
        QCOMPARE(holes.size(), 3);
        QCOMPARE(holes.at(0).hole, QStringLiteral("A1")); // natural order: A1, A2, A10
        QCOMPARE(holes.at(1).hole, QStringLiteral("A2"));
        QCOMPARE(holes.at(2).hole, QStringLiteral("A10"));
        QCOMPARE(holes.at(0).thicknessCm, 31);
        QCOMPARE(holes.at(0).version, 2);
        QVERIFY(holes.at(0).failed());
        QVERIFY(!holes.at(1).failed());
        QVERIFY(holes.at(2).failed());

        QVector<VersionRow> history;
        QVERIFY(holeHistory(archive, QStringLiteral("Bridge 7"), QStringLiteral("A1"), &history, &error));
        QCOMPARE(history.size(), 2);
        QCOMPARE(history.at(0).version, 1);
        QCOMPARE(history.at(0).thicknessCm, 12);
        QCOMPARE(history.at(0).companions.size(), 1);
        QCOMPARE(history.at(0).companions.at(0).name, QStringLiteral("A1.PDF"));
        QCOMPARE(history.at(1).version, 2);
        QCOMPARE(history.at(1).thicknessCm, 31);
        QCOMPARE(history.at(1).companions.size(), 0);

        QVector<ProjectRow> projects;
        QVERIFY(listProjects(archive, &projects, &error));
        QCOMPARE(projects.size(), 1);
        QCOMPARE(projects.at(0).holes, 3);
        QCOMPARE(projects.at(0).tests, 3);
        QCOMPARE(projects.at(0).versions, 4);
        QCOMPARE(projects.at(0).failed, 2);
    }

    // The instrument's USB disk names folders and files in GBK, which a
    // UTF-8 office PC cannot decode: they are found, read and named anyway.
    void gbkNamedFoldersAndFiles()
    {
        CArchiveDb archive;
        QVERIFY(openArchive(archive, m_engine->freshArchive()));
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        const QByteArray root = QFile::encodeName(folder(QStringLiteral("gbk")));
        const QByteArray project = root + '/' + gbk->fromUnicode(u("跨江大桥"));
        QVERIFY(QDir().mkpath(folder(QStringLiteral("gbk"))));
        QCOMPARE(::mkdir(project.constData(), 0755), 0);
        HoleShape z;
        z.project = u("跨江大桥");
        z.hole = u("桩1");
        const QByteArray bytes = holeFileBytes(z);
        for (const QByteArray &name : {gbk->fromUnicode(u("桩1.CZO")), gbk->fromUnicode(u("桩1.PDF"))}) {
            FILE *f = ::fopen((project + '/' + name).constData(), "wb");
            QVERIFY(f);
            QCOMPARE(::fwrite(bytes.constData(), 1, size_t(bytes.size()), f), size_t(bytes.size()));
            ::fclose(f);
        }
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("gbk"))}).line(), QStringLiteral("new 1, versions 0, skipped 0, refused 0"));
        QVector<VersionRow> history;
        QString error;
        QVERIFY(holeHistory(archive, u("跨江大桥"), u("桩1"), &history, &error));
        QCOMPARE(history.size(), 1);
        QCOMPARE(history.at(0).fileName, u("桩1.CZO"));
        QCOMPARE(history.at(0).companions.size(), 1);
        QCOMPARE(history.at(0).companions.at(0).name, u("桩1.PDF"));
        QVERIFY(history.at(0).source.contains(u("跨江大桥")));
        // Qt cannot remove what it cannot name.
        for (const QByteArray &name : {gbk->fromUnicode(u("桩1.CZO")), gbk->fromUnicode(u("桩1.PDF"))})
            ::unlink((project + '/' + name).constData());
        ::rmdir(project.constData());
    }

    // A hole's latest test is the one tested last, whatever the import order.
    void latestTestFollowsTestTime()
    {
        CArchiveDb archive;
        QVERIFY(openArchive(archive, m_engine->freshArchive()));
        HoleShape later;
        later.date = QStringLiteral("2026-04-02");
        later.thicknessCm = 5;
        HoleShape earlier;
        earlier.date = QStringLiteral("2026-04-01");
        earlier.thicknessCm = 40;
        writeHole(folder(QStringLiteral("latest/1")), QStringLiteral("A1.CZO"), later);
        writeHole(folder(QStringLiteral("latest/2")), QStringLiteral("A1-2.CZO"), earlier);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("latest"))}).line(),
                 QStringLiteral("new 2, versions 0, skipped 0, refused 0"));
        QVector<HoleRow> holes;
        QString error;
        QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
        QCOMPARE(holes.size(), 1);
        QCOMPARE(holes.at(0).testDate, QStringLiteral("2026-04-02"));
        QCOMPARE(holes.at(0).thicknessCm, 5);
    }

    // Older instruments stamped every test of one program run with the run's
    // start time, and a file could record another hole than its name: the
    // tests of a run stay apart by their folder and file name, each under
    // the hole of its name; only a file of the same folder, name and time
    // is a version.
    void testsOfOneRunStayApart()
    {
        CArchiveDb archive;
        QVERIFY(openArchive(archive, m_engine->freshArchive()));
        HoleShape z1;
        z1.hole = QStringLiteral("Z1");
        HoleShape z1again = z1;
        z1again.thicknessCm = 20;
        HoleShape z2 = z1; // records hole Z1, as such a run's files may
        z2.thicknessCm = 8;
        const QString run = folder(QStringLiteral("run/usb/Bridge 7"));
        const QString office = folder(QStringLiteral("run/office/Bridge 7")); // a copy of the project's folder
        // Writes one file and imports it alone: the import's line.
        auto importOne = [&](const QString &dir, const QString &name, const HoleShape &shape) {
            writeHole(dir, name, shape);
            return importPaths(archive, {dir + QLatin1Char('/') + name}).line();
        };
        writeHole(run, QStringLiteral("Z1.CZO"), z1);
        writeHole(run, QStringLiteral("Z1-2.CZO"), z1again);
        writeHole(run, QStringLiteral("Z2.CZO"), z2);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("run/usb"))}).line(),
                 QStringLiteral("new 3, versions 0, skipped 0, refused 0"));

        // Z1-2 is the later test of Z1's two at the run's time.
        checkHoles(archive,
                   {{QStringLiteral("Z1"), {QStringLiteral("Z1 v1"), QStringLiteral("Z1-2 v1")}, QStringLiteral("20 cm v1")},
                    {QStringLiteral("Z2"), {QStringLiteral("Z2 v1")}, QStringLiteral("8 cm v1")}},
                   3);

        // Z1 judged again in the office.
        HoleShape z1judged = z1;
        z1judged.thicknessCm = 31;
        QCOMPARE(importOne(office, QStringLiteral("Z1.CZO"), z1judged), QStringLiteral("new 0, versions 1, skipped 0, refused 0"));
        checkHoles(archive,
                   {{QStringLiteral("Z1"), {QStringLiteral("Z1 v1"), QStringLiteral("Z1 v2"), QStringLiteral("Z1-2 v1")},
                     QStringLiteral("20 cm v1")},
                    {QStringLiteral("Z2"), {QStringLiteral("Z2 v1")}, QStringLiteral("8 cm v1")}},
                   4);

        // A test is picked by its name or its time (the latest of that time).
        QVector<VersionRow> history;
        QString error;
        QVERIFY(holeHistory(archive, QStringLiteral("Bridge 7"), QStringLiteral("Z1"), &history, &error));
        struct Pick {
            QString test;
            int version;
            int thicknessCm; // -1: none
        };
        const Pick picks[] = {{QString(), 0, 20},
                              {QStringLiteral("z1"), 0, 31},
                              {QStringLiteral("Z1"), 1, 12},
                              {QStringLiteral("2026-03-01 09:00:00"), 0, 20},
                              {QStringLiteral("Z1-2"), 2, -1},
                              {QStringLiteral("Z3"), 0, -1}};
        for (const Pick &p : picks) {
            const VersionRow *v = pickVersion(history, p.version, p.test);
            QCOMPARE(v ? v->thicknessCm : -1, p.thicknessCm);
        }

        // The same name and time in another project folder is another test;
        // of two such, the one stored later stays the latest, even when the
        // other gets a version afterwards.
        HoleShape elsewhere = z1;
        elsewhere.thicknessCm = 5;
        HoleShape z5 = z1;
        z5.hole = QStringLiteral("Z5");
        QCOMPARE(importOne(run, QStringLiteral("Z5.CZO"), z5), QStringLiteral("new 1, versions 0, skipped 0, refused 0"));
        HoleShape z5north = z5;
        z5north.thicknessCm = 6;
        writeHole(folder(QStringLiteral("run/other/Bridge 7 north")), QStringLiteral("Z1.CZO"), elsewhere);
        writeHole(folder(QStringLiteral("run/other/Bridge 7 north")), QStringLiteral("Z5.CZO"), z5north);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("run/other"))}).line(),
                 QStringLiteral("new 2, versions 0, skipped 0, refused 0"));
        HoleShape z5judged = z5;
        z5judged.thicknessCm = 40;
        QCOMPARE(importOne(office, QStringLiteral("Z5.CZO"), z5judged), QStringLiteral("new 0, versions 1, skipped 0, refused 0"));
        checkHoles(archive,
                   {{QStringLiteral("Z1"),
                     {QStringLiteral("Z1 v1"), QStringLiteral("Z1 v2"), QStringLiteral("Z1 v1"), QStringLiteral("Z1-2 v1")},
                     QStringLiteral("20 cm v1")},
                    {QStringLiteral("Z2"), {QStringLiteral("Z2 v1")}, QStringLiteral("8 cm v1")},
                    {QStringLiteral("Z5"), {QStringLiteral("Z5 v1"), QStringLiteral("Z5 v2"), QStringLiteral("Z5 v1")},
                     QStringLiteral("6 cm v1")}},
                   8);
    }

    // A test the operator named after another hole while keeping the hole
    // number (Z3 of hole Z2) goes under the recorded hole; the same name
    // without the mark, as an older file, under the hole its name stands for.
    void keptHoleNumberIsFiledUnderIt()
    {
        CArchiveDb archive;
        QVERIFY(openArchive(archive, m_engine->freshArchive()));
        HoleShape z2;
        z2.hole = QStringLiteral("Z2");
        HoleShape z3 = z2;
        z3.time = QStringLiteral("09:10:00");
        z3.thicknessCm = 7;
        z3.holeNumberKept = true;
        HoleShape z4 = z2;
        z4.time = QStringLiteral("09:20:00");
        z4.thicknessCm = 9;
        z4.awaitingJudgement = true;
        const QString run = folder(QStringLiteral("kept/usb/Bridge 7"));
        writeHole(run, QStringLiteral("Z2.CZO"), z2);
        writeHole(run, QStringLiteral("Z3.CZO"), z3);
        writeHole(run, QStringLiteral("Z4.CZO"), z4);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("kept/usb"))}).line(),
                 QStringLiteral("new 3, versions 0, skipped 0, refused 0"));
        checkHoles(archive,
                   {{QStringLiteral("Z2"), {QStringLiteral("Z2 v1"), QStringLiteral("Z3 v1")}, QStringLiteral("7 cm v1")},
                    {QStringLiteral("Z4"), {QStringLiteral("Z4 v1")}, QStringLiteral("9 cm v1")}},
                   3);
        // Z4 waits for its judgement: no quality, and no verdict.
        QVector<HoleRow> holes;
        QString error;
        QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
        QCOMPARE(holes.size(), 2);
        QCOMPARE(holes.at(0).quality, 0);
        QCOMPARE(holes.at(1).quality, -1);
        QCOMPARE(holes.at(1).verdict, QStringLiteral("not judged"));
        QVERIFY(!holes.at(1).failed());
    }

    // An archive of the previous schema, as its program left a run's files
    // sharing one time: Z1, Z1-2 and Z2 (recording hole Z1) filed as
    // versions 1 to 3 of Z1's test. The migration separates them into three
    // tests under holes Z1 and Z2, tells each move in the trail, and a file
    // judged again then finds its test.
    void olderArchiveIsMigrated()
    {
        const QString db = m_engine->freshArchive();
        const bool pg = m_engine->isPostgres();
        HoleShape z1;
        z1.hole = QStringLiteral("Z1");
        HoleShape z1again = z1;
        z1again.thicknessCm = 20;
        HoleShape z2 = z1;
        z2.thicknessCm = 8;
        HoleShape a1;
        a1.time = QStringLiteral("10:00:00");
        // Overridden with a reason: the migration finds both in the file.
        a1.limitMm = 50;
        a1.verdict = 1;
        a1.overridden = true;
        a1.overrideReason = OverrideReason::DesignChange;
        struct Stored {
            QString hole;
            QString file;
            QByteArray bytes;
            int version;
        };
        const QByteArray pdf("%PDF-1.4 report of Z1-2");
        const Stored stored[] = {{QStringLiteral("Z1"), QStringLiteral("Z1.CZO"), holeFileBytes(z1), 1},
                                 {QStringLiteral("Z1"), QStringLiteral("Z1-2.CZO"), holeFileBytes(z1again), 2},
                                 {QStringLiteral("Z1"), QStringLiteral("Z2.CZO"), holeFileBytes(z2), 3},
                                 {QStringLiteral("A1"), QStringLiteral("A1.CZO"), holeFileBytes(a1), 1}};
        auto sha = [](const QByteArray &b) {
            return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex());
        };
        auto blob = [&](const QByteArray &b) {
            const QString hex = QString::fromLatin1(b.toHex());
            return QStringLiteral("INSERT INTO blobs (sha256, size, content) VALUES ('%1', %2, %3)")
                .arg(sha(b), QString::number(b.size()),
                     pg ? QStringLiteral("decode('%1', 'hex')").arg(hex) : QStringLiteral("X'%1'").arg(hex));
        };
        QStringList sql = archiveMigration(1, pg);
        sql << QStringLiteral("CREATE TABLE archive_schema (version INTEGER NOT NULL)")
            << QStringLiteral("INSERT INTO archive_schema (version) VALUES (1)")
            << QStringLiteral("INSERT INTO holes (project, hole) VALUES ('Bridge 7', 'Z1'), ('Bridge 7', 'A1')");
        for (const Stored &f : stored) {
            const HoleFactsResult read = readHoleFacts(f.bytes, QString(), f.file);
            QVERIFY(read.ok);
            sql << blob(f.bytes);
            if (f.version == 1)
                sql << QStringLiteral("INSERT INTO tests (hole_id, test_date, test_time) SELECT id, '%1', '%2' FROM holes"
                                      " WHERE hole = '%3'")
                           .arg(read.facts.testDate, read.facts.testTime, f.hole);
            sql << QStringLiteral("INSERT INTO versions (test_id, version, sha256, file_name, source, imported_at,"
                                  " imported_by, tester, test_unit, construction_unit, hole_depth, max_depth, move_distance,"
                                  " thickness_cm, quality, limit_mm, verdict, basis, position, sequence, samples)"
                                  " SELECT t.id, %1, '%2', '%3', '/media/usb/Bridge 7/%3', '2026-03-02T08:00:00.000Z',"
                                  " 'li@office', 'Li', 'Survey Co', 'Builder', 20000, 20000, 50, %4, 0, NULL, NULL, '', '',"
                                  " 1, 40 FROM tests t JOIN holes h ON h.id = t.hole_id WHERE h.hole = '%5'")
                       .arg(QString::number(f.version), sha(f.bytes), f.file, QString::number(read.facts.thicknessCm),
                            f.hole);
        }
        sql << blob(pdf)
            << QStringLiteral("INSERT INTO companions (version_id, name, sha256) SELECT id, 'Z1-2.PDF', '%1' FROM versions"
                              " WHERE file_name = 'Z1-2.CZO'")
                   .arg(sha(pdf))
            << QStringLiteral("UPDATE holes SET latest_version = (SELECT MAX(v.id) FROM versions v"
                              " JOIN tests t ON t.id = v.test_id WHERE t.hole_id = holes.id)");
        QVERIFY(m_engine->ownClient(db, sql.join(QStringLiteral(";\n"))));

        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        QCOMPARE(archive.schemaVersion(), CArchiveDb::programSchemaVersion());
        QString identity;
        QVERIFY(m_engine->ownClient(db, QStringLiteral("SELECT project_folder || '|' || file_name FROM tests ORDER BY file_name"),
                                    &identity));
        QCOMPARE(identity.split(QLatin1Char('\n')),
                 QStringList({"Bridge 7|A1", "Bridge 7|Z1", "Bridge 7|Z1-2", "Bridge 7|Z2"}));
        if (!pg) {
            // Turned off for the migration only.
            QSqlQuery q = archive.query();
            QVERIFY(q.exec(QStringLiteral("PRAGMA foreign_keys")) && q.next());
            QCOMPARE(q.value(0).toInt(), 1);
        }
        checkHoles(archive,
                   {{QStringLiteral("A1"), {QStringLiteral("A1 v1")}, QStringLiteral("12 cm v1")},
                    {QStringLiteral("Z1"), {QStringLiteral("Z1 v1"), QStringLiteral("Z1-2 v1")}, QStringLiteral("20 cm v1")},
                    {QStringLiteral("Z2"), {QStringLiteral("Z2 v1")}, QStringLiteral("8 cm v1")}},
                   4);
        if (QTest::currentTestFailed())
            return;
        QVector<VersionRow> history;
        QString error;
        QVERIFY(holeHistory(archive, QStringLiteral("Bridge 7"), QStringLiteral("Z1"), &history, &error));
        QCOMPARE(history.at(1).companions.size(), 1);
        QCOMPARE(history.at(1).companions.at(0).sha256, sha(pdf));
        QVector<HoleRow> holes;
        QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
        QStringList overrides;
        for (const HoleRow &h : holes)
            overrides << QStringLiteral("%1 %2 %3").arg(h.hole, h.overridden ? "yes" : "no", h.overrideReason);
        QCOMPARE(overrides, QStringList({"A1 yes design-change", "Z1 no ", "Z2 no "}));

        // Every version moved is in the trail, under the hole it went to.
        QVector<AuditEntry> log;
        QVERIFY(readAuditLog(archive, QStringLiteral("Bridge 7"), QString(), &log, &error));
        QStringList moves;
        for (const AuditEntry &e : log)
            moves << QStringLiteral("%1 %2 %3").arg(e.action, e.hole, e.sha256 == sha(holeFileBytes(z2)) ? "Z2.CZO" : "");
        QCOMPARE(moves, QStringList({"refile Z1 ", "refile Z1 ", "refile Z2 Z2.CZO"}));
        AuditChainCheck chain;
        QVERIFY(checkAuditChain(archive, &chain, &error));
        QVERIFY2(chain.faults.isEmpty(), qUtf8Printable(chain.faults.join('\n')));

        HoleShape judged = z1;
        judged.thicknessCm = 30;
        HoleShape third = z1;
        third.thicknessCm = 3;
        const QString usb = folder(QStringLiteral("migrated/Bridge 7"));
        writeHole(usb, QStringLiteral("Z1.CZO"), judged);
        writeHole(usb, QStringLiteral("Z1-3.CZO"), third);
        QCOMPARE(importPaths(archive, {usb}).line(), QStringLiteral("new 1, versions 1, skipped 0, refused 0"));
        checkHoles(archive,
                   {{QStringLiteral("A1"), {QStringLiteral("A1 v1")}, QStringLiteral("12 cm v1")},
                    {QStringLiteral("Z1"), {QStringLiteral("Z1 v1"), QStringLiteral("Z1 v2"), QStringLiteral("Z1-2 v1"),
                                            QStringLiteral("Z1-3 v1")},
                     QStringLiteral("3 cm v1")},
                    {QStringLiteral("Z2"), {QStringLiteral("Z2 v1")}, QStringLiteral("8 cm v1")}},
                   6);
        archive.close();
        // Opened again: nothing left to migrate.
        const ToolRun projects = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("projects")});
        QCOMPARE(projects.exitCode, 0);
        QVERIFY2(projects.out.contains("Bridge 7\t3\t5\t6\t0"), projects.out.constData());
    }

    // The archive's summary is the instrument's summary of the same files;
    // holes shows the limit and verdict the files carry.
    void summaryIsTheInstrumentsSummary()
    {
        const QString db = m_engine->freshArchive();
        // The project's folder as exported, and as the instrument holds it now.
        const QString site = folder(QStringLiteral("summary/site/") + u("跨江大桥"));
        const QString latest = folder(QStringLiteral("summary/latest/") + u("跨江大桥"));
        HoleShape z1;
        z1.project = u("跨江大桥");
        z1.hole = QStringLiteral("Z1");
        z1.thicknessCm = 3;
        z1.limitMm = 50;
        z1.verdict = 0;
        HoleShape z2 = z1;
        z2.hole = QStringLiteral("Z2");
        z2.thicknessCm = 8;
        z2.verdict = 1;
        z2.quality = 1;
        HoleShape z2again = z2;
        z2again.time = QStringLiteral("15:30:00");
        z2again.thicknessCm = 4;
        z2again.verdict = 0;
        z2again.quality = 0;
        z2again.sequence = 2;
        HoleShape z10 = z1;
        z10.hole = QStringLiteral("Z10");
        z10.limitMm = -1; // an older file without acceptance section
        writeHole(site, QStringLiteral("Z1.CZO"), z1);
        writeHole(site, QStringLiteral("Z2.CZO"), z2);
        writeHole(site, QStringLiteral("Z2-2.CZO"), z2again);
        writeHole(site, QStringLiteral("Z10.CZO"), z10);
        HoleShape z1judged = z1; // judged again in the office: failing, overridden
        z1judged.thicknessCm = 7;
        z1judged.verdict = 1;
        z1judged.overridden = true;
        z1judged.overrideReason = OverrideReason::SupervisorConfirmed;
        writeHole(latest, QStringLiteral("Z1.CZO"), z1judged);
        writeHole(latest, QStringLiteral("Z2.CZO"), z2);
        writeHole(latest, QStringLiteral("Z2-2.CZO"), z2again);
        writeHole(latest, QStringLiteral("Z10.CZO"), z10);
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), site}).exitCode, 0);
        const ToolRun second = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), latest});
        QCOMPARE(withoutHead(second.out), QByteArray("new 0, versions 1, skipped 3, refused 0"));

        const ToolRun holes = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("holes"), z1.project});
        QCOMPARE(holes.exitCode, 0);
        QCOMPARE(QString::fromUtf8(holes.out),
                 QStringLiteral("hole\ttested\tthickness_cm\tlimit_mm\tverdict\tquality\tversion\toverride\n"
                                "Z1\t2026-03-01 09:00:00\t7\t50\tpass\tqualified\t2\tsupervisor\n"
                                "Z2\t2026-03-01 15:30:00\t4\t50\tpass\tqualified\t1\t-\n"
                                "Z10\t2026-03-01 09:00:00\t3\t-\t-\tqualified\t1\t-\n"));
        // The history: the override came with the second version.
        const ToolRun history = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("history"), z1.project,
                                                QStringLiteral("Z1")});
        QCOMPARE(history.exitCode, 0);
        const QList<QByteArray> rows = history.out.trimmed().split('\n');
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows.at(0).endsWith("\tby\toverride\tsigned"));
        QVERIFY2(rows.at(1).startsWith("2026-03-01 09:00:00\t1\t3\t50\tpass\t") && rows.at(1).endsWith("\t-\tunsigned"),
                 rows.at(1).constData());
        QVERIFY2(rows.at(2).startsWith("2026-03-01 09:00:00\t2\t7\t50\tpass\t") && rows.at(2).endsWith("\tsupervisor\tunsigned"),
                 rows.at(2).constData());

        const QString csv = folder(QStringLiteral("summary/out.csv"));
        const QString pdf = folder(QStringLiteral("summary/out.pdf"));
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("summary"), z1.project,
                                          QStringLiteral("--csv"), csv, QStringLiteral("--pdf"), pdf});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        // The instrument's summary, and the trail's head the import's log
        // printed (nothing was appended since), to be kept elsewhere.
        const QByteArray head = second.out.trimmed().split('\n').last().mid(17);
        QCOMPARE(head.size(), 64);
        const QByteArray expected = projectSummaryCsv(summarizeProjectFolder(latest)) + "audit trail head," + head + '\n';
        QVERIFY(expected.contains("Z2-2.CZO"));
        QVERIFY(expected.contains(",pass,yes,") && expected.contains(",supervisor,\n"));
        QCOMPARE(readFileBytes(csv), expected);
        QVERIFY(readFileBytes(pdf).startsWith("%PDF"));
        const ChildRun text = runChild(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(text.out.contains(head), text.out.constData());
        // That head is accepted by verify while the trail grows.
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), site}).exitCode, 0);
        const ToolRun verify = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify"), QStringLiteral("--head"),
                                               QString::fromLatin1(head)});
        QCOMPARE(verify.exitCode, 0);
        QVERIFY2(verify.out.contains("\nthe kept head " + head + " is audit entry 5\n"), verify.out.constData());
        const ToolRun missing = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("summary"), QStringLiteral("nope"),
                                                QStringLiteral("--csv"), csv});
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(readFileBytes(csv), expected);
    }

    // The office's judgement applied to a record, as the instrument judges:
    // the limit the file kept stands unless the basis changes.
    void officeJudgementAsTheInstrumentJudges_data()
    {
        QTest::addColumn<int>("keptLimit"); // -1: an older file without basis
        QTest::addColumn<int>("thickness");
        QTest::addColumn<int>("quality");   // -1: as the verdict gives
        QTest::addColumn<int>("design");    // -1: none
        QTest::addColumn<QString>("basis"); // "CODE|PILE" or empty
        QTest::addColumn<QString>("expected"); // limit verdict quality overridden, or "refused"
        QTest::newRow("thickness only, kept limit") << 60 << 5 << -1 << -1 << "" << "60 pass 0 0";
        QTest::newRow("over the kept limit") << 60 << 7 << -1 << -1 << "" << "60 fail 1 0";
        QTest::newRow("zero thickness") << 60 << 0 << -1 << -1 << "" << "60 pass 0 0";
        QTest::newRow("design value") << 60 << 9 << -1 << 100 << "" << "100 pass 0 0";
        QTest::newRow("table row") << 60 << 9 << -1 << -1 << u("JGJ 94-2008|摩擦桩") << "100 pass 0 0";
        QTest::newRow("quality against the verdict") << 60 << 7 << 0 << -1 << "" << "60 fail 0 1";
        QTest::newRow("quality as the verdict") << 60 << 7 << 1 << -1 << "" << "60 fail 1 0";
        QTest::newRow("no basis: not judged") << -1 << 5 << -1 << -1 << "" << "-1 not judged 0 0";
        QTest::newRow("no basis, then a design value") << -1 << 5 << -1 << 40 << "" << "40 fail 1 0";
        QTest::newRow("unknown table row") << 60 << 5 << -1 << -1 << u("GB 1|桩") << "refused";
        QTest::newRow("code without pile type") << 60 << 5 << -1 << -1 << u("JGJ 94-2008|") << "refused";
        QTest::newRow("design and table row") << 60 << 5 << -1 << 80 << u("JGJ 94-2008|端承桩") << "refused";
        QTest::newRow("negative thickness") << 60 << -1 << -1 << -1 << "" << "refused";
        QTest::newRow("quality 2") << 60 << 5 << 2 << -1 << "" << "refused";
        QTest::newRow("design 0") << 60 << 5 << -1 << 0 << "" << "refused";
    }
    void officeJudgementAsTheInstrumentJudges()
    {
        QFETCH(int, keptLimit);
        QFETCH(int, thickness);
        QFETCH(int, quality);
        QFETCH(int, design);
        QFETCH(QString, basis);
        QFETCH(QString, expected);
        HoleShape shape;
        shape.thicknessCm = 3;
        shape.limitMm = keptLimit;
        shape.verdict = keptLimit >= 0 ? 0 : -1;
        CtrlInfo info;
        QVERIFY(decodeHoleFile(holeFileBytes(shape), info).ok);
        OfficeJudgement j;
        j.thicknessCm = thickness;
        if (quality >= 0)
            j.quality = quality;
        if (design >= 0)
            j.designLimitMm = design;
        j.code = basis.section(QLatin1Char('|'), 0, 0);
        j.pileType = basis.section(QLatin1Char('|'), 1);
        j.overrideReason = OverrideReason::SupervisorConfirmed;
        QString why;
        const bool ok = applyOfficeJudgement(info, j, CPileLimits::builtIn(), &why);
        QVERIFY2(ok == (expected != QLatin1String("refused")), qUtf8Printable(why));
        if (!ok) {
            QVERIFY(!why.isEmpty());
            return;
        }
        const HoleAcceptance &a = info.acceptance;
        QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(QString::number(a.limitMm), verdictKey(a.verdict),
                                                   QString::number(info.holeQuality), QString::number(int(a.overridden))),
                 expected);
        QCOMPARE(int(info.sedimentThickness), thickness);
        QCOMPARE(a.overrideReason, a.overridden ? int32_t(OverrideReason::SupervisorConfirmed) : int32_t(OverrideReason::None));
    }

    // A re-judgement is the next version of the test: the instrument's bytes
    // stay, the new file differs in its judgement only, and who, when and
    // why are kept in the version, the trail, the history and the summary.
    void officeRejudgementIsANewVersion()
    {
        const QString db = m_engine->freshArchive();
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        HoleShape a1;
        a1.hole = QStringLiteral("A1");
        a1.thicknessCm = 3;
        a1.limitMm = 50;
        a1.verdict = 0;
        const QByteArray original = holeFileBytes(a1);
        QVERIFY(writeFileBytes(folder(QStringLiteral("office/site/A1.CZO")), original));
        QVERIFY(writeFileBytes(folder(QStringLiteral("office/site/A1.PDF")), QByteArray("%PDF-1.4 report")));
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("office"))}).line(),
                 QStringLiteral("new 1, versions 0, skipped 0, refused 0"));
        QVector<VersionRow> history;
        QString error;
        QVERIFY(holeHistory(archive, a1.project, a1.hole, &history, &error));
        QCOMPARE(history.size(), 1);
        const qint64 v1 = history.at(0).id;

        OfficeRejudgement r;
        r.project = a1.project;
        r.hole = a1.hole;
        r.versionId = v1;
        r.judgement.thicknessCm = 8; // 80 mm over the 50 mm kept
        r.reason = u("监理复核：沉渣 8 cm");
        r.by = u("王工");
        r.via = QStringLiteral("a test");
        const RejudgeResult done = rejudgeInOffice(archive, r, CPileLimits::builtIn());
        QVERIFY2(done.ok(), qUtf8Printable(done.message));
        QCOMPARE(done.version, 2);
        QCOMPARE(done.oldVerdict, QStringLiteral("pass"));
        QCOMPARE(done.newVerdict, QStringLiteral("fail"));

        // The instrument's bytes as imported; the new file is the same file
        // with the judgement changed.
        QVERIFY(holeHistory(archive, a1.project, a1.hole, &history, &error));
        QCOMPARE(history.size(), 2);
        QByteArray stored;
        QVERIFY(storedBytes(archive, history.at(0).sha256, &stored, &error));
        QCOMPARE(stored, original);
        QCOMPARE(history.at(0).companions.size(), 1);
        const VersionRow &v2 = history.at(1);
        QCOMPARE(v2.id, done.versionId);
        QVERIFY(storedBytes(archive, v2.sha256, &stored, &error));
        HoleShape expected = a1;
        expected.thicknessCm = 8;
        expected.verdict = 1;
        expected.quality = 1;
        CtrlInfo judged;
        const HoleLoadResult load = decodeHoleFile(stored, judged);
        QVERIFY(load.ok);
        QCOMPARE(int(judged.sedimentThickness), 8);
        QCOMPARE(load.samples.size(), a1.samples);
        QCOMPARE(stored.size(), original.size());
        int differing = 0;
        for (int i = 0; i < stored.size(); ++i)
            differing += stored.at(i) != original.at(i);
        QVERIFY2(differing > 0 && differing <= 12, qPrintable(QString::number(differing))); // thickness, quality, verdict
        QCOMPARE(v2.rejudgedBy, u("王工"));
        QCOMPARE(v2.rejudgeReason, r.reason);
        QCOMPARE(v2.rejudgedFrom, v1);
        QVERIFY(QDateTime::fromString(v2.rejudgedAt, Qt::ISODateWithMs).isValid());
        QCOMPARE(v2.source, QStringLiteral("office re-judgement"));
        QCOMPARE(v2.verdict, QStringLiteral("fail"));
        QVERIFY(v2.companions.isEmpty()); // the instrument's report stays with its version
        QCOMPARE(instrumentJudgement(history, v2), &history.at(0));
        QVector<HoleRow> holes;
        QVERIFY(listHoles(archive, a1.project, &holes, &error));
        QCOMPARE(holes.size(), 1);
        QCOMPARE(holes.at(0).versionId, v2.id);
        QVERIFY(holes.at(0).failed());

        // The trail, in the user's name, with the reason and both verdicts.
        QVector<AuditEntry> log;
        QVERIFY(readAuditLog(archive, a1.project, a1.hole, &log, &error));
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.last().action, QStringLiteral("rejudge"));
        QCOMPARE(log.last().who, u("王工"));
        QCOMPARE(log.last().sha256, v2.sha256);
        QVERIFY2(log.last().detail.contains(r.reason) && log.last().detail.contains(QStringLiteral("verdict pass"))
                     && log.last().detail.contains(QStringLiteral("verdict fail")),
                 qUtf8Printable(log.last().detail));

        // The summary judges by the new version and names the office.
        ProjectSummary summary;
        QVERIFY(archiveProjectSummary(archive, a1.project, &summary, &error));
        QCOMPARE(summary.holes.size(), 1);
        const HoleTestRecord &t = summary.holes.at(0).latest();
        QCOMPARE(t.sedimentThicknessCm, 8);
        QCOMPARE(t.verdict(), int32_t(AcceptanceVerdict::Fail));
        QVERIFY2(t.officeRejudgement.startsWith(u("王工, ")) && t.officeRejudgement.endsWith(r.reason),
                 qUtf8Printable(t.officeRejudgement));
        const QString csv = QString::fromUtf8(projectSummaryCsv(summary));
        QVERIFY2(csv.contains(QStringLiteral(",fail,,\"%1\"\n").arg(t.officeRejudgement)), qUtf8Printable(csv));

        // verify finds nothing to fault; the history names the office.
        VerifyReport report;
        QVERIFY2(verifyArchive(archive, &report, &error), qUtf8Printable(error));
        QVERIFY2(report.ok(), qUtf8Printable(report.faults.join('\n')));
        QCOMPARE(report.officeVersions, 1);
        QCOMPARE(report.versions, 2);
        const ToolRun h = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("history"),
                                          a1.project, a1.hole});
        QCOMPARE(h.exitCode, 0);
        const QStringList rows = QString::fromUtf8(h.out).trimmed().split(QLatin1Char('\n'));
        QVERIFY2(rows.size() == 5 && rows.at(1).endsWith(QStringLiteral("\t-\tunsigned"))
                     && rows.at(3).startsWith(QStringLiteral("2026-03-01 09:00:00\t2\t8\t50\tfail\tunqualified\t"))
                     && rows.at(3).endsWith(QStringLiteral("\t-\toffice")),
                 h.out.constData());
        QVERIFY2(rows.at(4).contains(u("rejudged in the office by 王工 at ") + v2.rejudgedAt + QStringLiteral(": ") + r.reason)
                     && rows.at(4).endsWith(QStringLiteral("instrument's judgement: version 1, 3 cm, pass")),
                 qUtf8Printable(rows.at(4)));
    }

    // What a re-judgement refuses leaves the archive as it was.
    void officeRejudgementRefusals_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("by");
        QTest::addColumn<int>("thickness");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("no reason") << "" << "Li" << 8 << int(RejudgeResult::Invalid) << "needs a reason";
        QTest::newRow("blank reason") << " \t " << "Li" << 8 << int(RejudgeResult::Invalid) << "needs a reason";
        QTest::newRow("reason too long") << QString(LongestRejudgeReason + 1, QLatin1Char('x')) << "Li" << 8
                                         << int(RejudgeResult::Invalid) << "longer than";
        QTest::newRow("nobody") << "checked" << " " << 8 << int(RejudgeResult::Invalid) << "name of who";
        QTest::newRow("bad thickness") << "checked" << "Li" << 20000 << int(RejudgeResult::Invalid) << "thickness";
        QTest::newRow("same judgement") << "checked" << "Li" << 3 << int(RejudgeResult::Unchanged)
                                        << "stored already, as version 1";
    }
    void officeRejudgementRefusals()
    {
        QFETCH(QString, reason);
        QFETCH(QString, by);
        QFETCH(int, thickness);
        QFETCH(int, status);
        QFETCH(QString, message);
        QVector<VersionRow> history;
        QString error;
        CArchiveDb archive;
        OfficeRejudgement r;
        QVERIFY(oneTestToRejudge(archive, QStringLiteral("refusals/%1").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')), &r));
        r.judgement.thicknessCm = thickness;
        r.reason = reason;
        r.by = by;
        const RejudgeResult done = rejudgeInOffice(archive, r, CPileLimits::builtIn());
        QCOMPARE(int(done.status), status);
        QVERIFY2(done.message.contains(message), qUtf8Printable(done.message));
        QVERIFY(holeHistory(archive, r.project, r.hole, &history, &error));
        QCOMPARE(history.size(), 1);
        QVector<AuditEntry> log;
        QVERIFY(readAuditLog(archive, r.project, QString(), &log, &error));
        QCOMPARE(log.size(), 1);
    }

    // Two people re-judging the same version: the second finds it is no
    // longer the newest and is refused; a version of another hole is not
    // found. A second re-judgement of the newest goes on from it.
    void staleRejudgementIsRefused()
    {
        CArchiveDb archive;
        OfficeRejudgement first;
        QVERIFY(oneTestToRejudge(archive, QStringLiteral("stale"), &first));
        QVector<VersionRow> history;
        QString error;
        OfficeRejudgement second = first;
        second.judgement.thicknessCm = 4;
        second.by = QStringLiteral("Zhao");
        const RejudgeResult one = rejudgeInOffice(archive, first, CPileLimits::builtIn());
        QVERIFY2(one.ok(), qUtf8Printable(one.message));
        const RejudgeResult two = rejudgeInOffice(archive, second, CPileLimits::builtIn());
        QCOMPARE(int(two.status), int(RejudgeResult::Stale));
        QVERIFY2(two.message.contains(QStringLiteral("version 2 came after it")), qUtf8Printable(two.message));
        OfficeRejudgement elsewhere = second;
        elsewhere.hole = QStringLiteral("A9");
        QCOMPARE(int(rejudgeInOffice(archive, elsewhere, CPileLimits::builtIn()).status), int(RejudgeResult::NotFound));

        second.versionId = one.versionId;
        const RejudgeResult again = rejudgeInOffice(archive, second, CPileLimits::builtIn());
        QVERIFY2(again.ok(), qUtf8Printable(again.message));
        QCOMPARE(again.version, 3);
        QCOMPARE(again.oldVerdict, QStringLiteral("fail"));
        QVERIFY(holeHistory(archive, first.project, first.hole, &history, &error));
        QCOMPARE(history.size(), 3);
        // The instrument's judgement behind both office versions is version 1.
        QCOMPARE(instrumentJudgement(history, history.at(2)), &history.at(0));
        VerifyReport report;
        QVERIFY2(verifyArchive(archive, &report, &error), qUtf8Printable(error));
        QVERIFY2(report.ok(), qUtf8Printable(report.faults.join('\n')));
    }

    // An office version whose file changed more than the judgement, or
    // whose earlier version is gone, is a fault verify names.
    void verifyChecksOfficeVersions()
    {
        CArchiveDb archive;
        OfficeRejudgement r;
        QVERIFY(oneTestToRejudge(archive, QStringLiteral("officeverify"), &r));
        QVector<VersionRow> history;
        QString error;
        const RejudgeResult done = rejudgeInOffice(archive, r, CPileLimits::builtIn());
        QVERIFY2(done.ok(), qUtf8Printable(done.message));
        QVERIFY(holeHistory(archive, r.project, r.hole, &history, &error));
        QByteArray bytes;
        QVERIFY(storedBytes(archive, history.at(1).sha256, &bytes, &error));

        // The tester's name changed too, with bytes and columns made to agree.
        CtrlInfo info;
        const HoleLoadResult load = decodeHoleFile(bytes, info);
        QVERIFY(load.ok);
        info.tester = QStringLiteral("Someone else");
        const QByteArray forged = encodeHoleFile(info, load.samples);
        const QString sha = sha256Hex(forged);
        QSqlQuery q = archive.query();
        QVERIFY(archive.exec(q, QStringLiteral("INSERT INTO blobs (sha256, size, content) VALUES (?, ?, ?)"),
                             {sha, forged.size(), forged}, &error));
        QVERIFY2(archive.exec(q, QStringLiteral("UPDATE versions SET sha256 = ?, tester = ? WHERE id = ?"),
                              {sha, info.tester.get(), done.versionId}, &error),
                 qUtf8Printable(error));
        VerifyReport report;
        QVERIFY2(verifyArchive(archive, &report, &error), qUtf8Printable(error));
        QVERIFY2(report.faults.filter(QStringLiteral("A1.CZO version 2: an office re-judgement that changed more than"
                                                     " the judgement of version 1"))
                         .size() == 1,
                 qUtf8Printable(report.faults.join('\n')));

        QVERIFY(archive.exec(q, QStringLiteral("UPDATE versions SET sha256 = ?, tester = ?, rejudged_from = NULL WHERE id = ?"),
                             {history.at(1).sha256, HoleShape().tester, done.versionId}, &error));
        QVERIFY2(verifyArchive(archive, &report, &error), qUtf8Printable(error));
        QVERIFY2(report.faults.filter(QStringLiteral("whose earlier version of the same test is missing")).size() == 1,
                 qUtf8Printable(report.faults.join('\n')));
    }

    void exportGivesBackExactBytes()
    {
        CArchiveDb archive;
        QVERIFY(openArchive(archive, m_engine->freshArchive()));
        HoleShape v1;
        v1.project = u("跨江大桥");
        v1.hole = u("桩3");
        HoleShape v2 = v1;
        v2.thicknessCm = 44;
        const QByteArray pdf("%PDF-1.4 \x00\x01\xff binary", 20);
        writeHole(folder(QStringLiteral("exp/1/site")), u("桩3.CZO"), v1);
        QVERIFY(writeFileBytes(folder(QStringLiteral("exp/1/site/") + u("桩3.pdf")), pdf));
        writeHole(folder(QStringLiteral("exp/2/site")), u("桩3.CZO"), v2);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("exp"))}).line(),
                 QStringLiteral("new 1, versions 1, skipped 0, refused 0"));

        struct Case {
            int version;
            QByteArray hole;
            bool withPdf;
        };
        const Case cases[] = {{1, holeFileBytes(v1), true}, {2, holeFileBytes(v2), false}, {0, holeFileBytes(v2), false}};
        for (const Case &c : cases) {
            const QString out = folder(QStringLiteral("exp-out-%1").arg(c.version));
            QStringList written;
            QString error;
            QVERIFY2(exportHoleFiles(archive, v1.project, v1.hole, c.version, QString(), out, &written, &error),
                     qUtf8Printable(error));
            QCOMPARE(written.size(), c.withPdf ? 2 : 1);
            QCOMPARE(readFileBytes(out + u("/桩3.CZO")), c.hole);
            if (c.withPdf)
                QCOMPARE(readFileBytes(out + u("/桩3.pdf")), pdf);
        }
        QStringList written;
        QString error;
        QVERIFY(!exportHoleFiles(archive, v1.project, v1.hole, 3, QString(), folder(QStringLiteral("x")), &written, &error));
        QVERIFY(!exportHoleFiles(archive, v1.project, u("桩9"), 0, QString(), folder(QStringLiteral("x")), &written, &error));
        QVERIFY(error.contains(u("桩9")));

        // Every export is in the trail with the bytes' SHA-256.
        QVector<AuditEntry> log;
        QVERIFY(readAuditLog(archive, v1.project, v1.hole, &log, &error));
        QStringList actions;
        for (const AuditEntry &e : log)
            actions << e.action;
        QCOMPARE(actions, QStringList({"import", "version", "export", "export", "export", "export"}));
        QCOMPARE(log.at(2).sha256, QString::fromLatin1(QCryptographicHash::hash(holeFileBytes(v1), QCryptographicHash::Sha256).toHex()));
    }

    void findSearchesNamesInChineseAndLatin_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found"); // "project/hole"
        QTest::newRow("chinese project") << u("大桥") << QStringList{u("跨江大桥/Z1"), u("跨江大桥/Z2")};
        QTest::newRow("chinese tester") << u("王工") << QStringList{u("跨江大桥/Z2")};
        QTest::newRow("latin any case") << QStringLiteral("harbour") << QStringList{QStringLiteral("Harbour Pier/H10")};
        QTest::newRow("unit") << QStringLiteral("SURVEY") << QStringList{QStringLiteral("Harbour Pier/H10")};
        QTest::newRow("hole") << QStringLiteral("h10") << QStringList{QStringLiteral("Harbour Pier/H10")};
        QTest::newRow("wildcard is a letter") << QStringLiteral("%") << QStringList{};
        QTest::newRow("nothing") << QStringLiteral("zzz") << QStringList{};
    }
    void findSearchesNamesInChineseAndLatin()
    {
        static QString db;
        if (db.isEmpty()) {
            db = m_engine->freshArchive();
            CArchiveDb archive;
            QVERIFY(openArchive(archive, db));
            HoleShape z1;
            z1.project = u("跨江大桥");
            z1.hole = QStringLiteral("Z1");
            z1.tester = u("李工");
            z1.unit = u("省检测院");
            HoleShape z2 = z1;
            z2.hole = QStringLiteral("Z2");
            z2.tester = u("王工");
            HoleShape h10;
            h10.project = QStringLiteral("Harbour Pier");
            h10.hole = QStringLiteral("H10");
            h10.unit = QStringLiteral("Coast Survey Ltd");
            writeHole(folder(QStringLiteral("find")), QStringLiteral("Z1.CZO"), z1);
            writeHole(folder(QStringLiteral("find")), QStringLiteral("Z2.CZO"), z2);
            writeHole(folder(QStringLiteral("find")), QStringLiteral("H10.CZO"), h10);
            QCOMPARE(importPaths(archive, {folder(QStringLiteral("find"))}).added, 3);
        }
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        QVector<FoundHole> rows;
        QString error;
        QVERIFY2(findInArchive(archive, text, &rows, &error), qUtf8Printable(error));
        QStringList got;
        for (const FoundHole &r : rows)
            got << r.project + QLatin1Char('/') + r.hole;
        QCOMPARE(got, found);
    }

    // The trail: chained entries, readable per hole, closed to the program.
    void auditTrailIsChainedAndAppendOnly()
    {
        const QString db = m_engine->freshArchive();
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        HoleShape a;
        writeHole(folder(QStringLiteral("trail/1/site")), QStringLiteral("A1.CZO"), a);
        a.hole = QStringLiteral("A2");
        writeHole(folder(QStringLiteral("trail/1/site")), QStringLiteral("A2.CZO"), a);
        a.thicknessCm = 50;
        writeHole(folder(QStringLiteral("trail/2/site")), QStringLiteral("A2.CZO"), a);
        QCOMPARE(importPaths(archive, {folder(QStringLiteral("trail"))}).line(),
                 QStringLiteral("new 2, versions 1, skipped 0, refused 0"));

        QVector<AuditEntry> log;
        QString error;
        QVERIFY(readAuditLog(archive, QStringLiteral("Bridge 7"), QString(), &log, &error));
        QCOMPARE(log.size(), 3);
        QString prev = auditGenesisHash();
        for (const AuditEntry &e : log) {
            QCOMPARE(e.prevHash, prev);
            QCOMPARE(auditEntryHash(e), e.hash);
            QVERIFY(e.who.contains(QLatin1Char('@')));
            QCOMPARE(e.sha256.size(), 64);
            prev = e.hash;
        }
        QVERIFY(readAuditLog(archive, QStringLiteral("Bridge 7"), QStringLiteral("A2"), &log, &error));
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(1).action, QStringLiteral("version"));

        const QString cmds[] = {QStringLiteral("UPDATE audit SET detail = 'x' WHERE seq = 1"),
                                QStringLiteral("DELETE FROM audit WHERE seq = 3")};
        for (const QString &sql : cmds) {
            QVERIFY(!archive.exec(sql, &error));
            QVERIFY2(error.contains(QStringLiteral("append-only")), qUtf8Printable(error));
        }
        VerifyReport r;
        QVERIFY2(verifyArchive(archive, &r, &error), qUtf8Printable(error));
        QVERIFY2(r.ok(), qUtf8Printable(r.faults.join('\n')));
        QCOMPARE(r.files, 3);
        QCOMPARE(r.chain.entries, 3); // the verify entry follows the check
    }

    // Changes made behind the archive's back (the database's own client, or
    // anyone who can write the database) are found by verify. Every case is
    // checked against the head a clean verify printed, kept elsewhere.
    // Tests received from several server threads at once go in through the
    // one writer, many to a commit: each stored once, a refused file and an
    // archive fault each affecting only its own test, and the whole of it
    // clean for verify.
    void receivedTestsShareCommits()
    {
        const QString db = m_engine->freshArchive();
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        ArchiveAddress address;
        QString error;
        QVERIFY(parseArchiveAddress(db, &address, &error));
        // Two instruments: rig-a sends twelve good tests (one of them twice),
        // rig-b one the reader refuses and one whose manifest never arrives.
        QTemporaryDir rigA, rigB;
        for (const auto &[name, dir] : {std::pair<QString, QString>{"rig-a", rigA.path()}, {"rig-b", rigB.path()}}) {
            DeviceKey key;
            DeviceRow row;
            QVERIFY(loadOrCreateDeviceKey(dir, &key, &error));
            QVERIFY2(addDevice(archive, name, key.publicKeyBase64(), &row, &error), qUtf8Printable(error));
        }
        struct Sent {
            ReceivedHole hole;
            ManifestVerdict verdict;
            CReceivedWriter::Result result;
        };
        auto seal = [&](const QString &appDir, const QString &name, const QByteArray &bytes, bool withManifest) {
            Sent s;
            const QString path = folder(QStringLiteral("received/P/")) + name;
            writeFileBytes(path, bytes);
            SealResult sealed;
            QString why;
            if (!sealSavedFiles(appDir, {path}, {QStringLiteral("Bridge 7"), name, QStringLiteral("2026-03-01 09:00:00")},
                                &sealed, &why))
                qWarning("%s", qUtf8Printable(why));
            const QByteArray manifest = readFileBytes(sealed.manifestPath);
            s.verdict = judgeManifest(archive, manifest, name, {{name, bytes}});
            s.hole.projectFolder = QStringLiteral("P");
            s.hole.fileName = name;
            s.hole.bytes = bytes;
            if (withManifest)
                s.hole.companions.append({name.left(name.size() - 3) + QStringLiteral("SIG"), manifest});
            return s;
        };
        std::vector<Sent> sent;
        for (int i = 1; i <= 12; ++i) {
            HoleShape shape;
            shape.hole = QStringLiteral("R%1").arg(i);
            sent.push_back(seal(rigA.path(), shape.hole + QStringLiteral(".CZO"), holeFileBytes(shape), true));
        }
        sent.push_back(sent.at(3)); // sent again while the first is still on its way
        sent.push_back(seal(rigB.path(), QStringLiteral("X1.CZO"), QByteArray("no hole file at all"), true));
        HoleShape lost;
        lost.hole = QStringLiteral("X2");
        sent.push_back(seal(rigB.path(), QStringLiteral("X2.CZO"), holeFileBytes(lost), false));
        HoleShape after;
        after.hole = QStringLiteral("X3");
        sent.push_back(seal(rigB.path(), QStringLiteral("X3.CZO"), holeFileBytes(after), true));
        for (const Sent &s : sent)
            QVERIFY2(s.verdict.ok(), qUtf8Printable(s.verdict.reason));
        {
            CReceivedWriter writer(address, 20000);
            std::vector<std::thread> threads;
            for (Sent &s : sent)
                threads.emplace_back([&writer, &s] { s.result = writer.store(s.hole, s.verdict, 60000); });
            for (std::thread &t : threads)
                t.join();
        }
        int stored = 0, known = 0;
        for (size_t i = 0; i < 12; ++i) {
            QVERIFY2(sent[i].result.ok, qUtf8Printable(sent[i].result.error));
            stored += sent[i].result.summary.added;
        }
        const CReceivedWriter::Result &again = sent[12].result;
        QVERIFY(again.ok);
        known = again.summary.skipped;
        // The one sent twice is stored once: by whichever came first.
        QCOMPARE(stored + again.summary.added, 12);
        QCOMPARE(known + (sent[3].result.summary.skipped), 1);
        const CReceivedWriter::Result &refused = sent[13].result;
        QVERIFY(refused.ok);
        QCOMPARE(refused.summary.refused, 1);
        const CReceivedWriter::Result &fault = sent[14].result;
        QVERIFY(!fault.ok);
        QVERIFY(!fault.error.isEmpty());

        QVector<HoleRow> holes;
        QVERIFY2(sent[15].result.ok && sent[15].result.summary.added == 1, qUtf8Printable(sent[15].result.error));
        QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
        QCOMPARE(holes.size(), 13);
        VerifyReport report;
        QVERIFY2(verifyArchive(archive, &report, &error), qUtf8Printable(error));
        QCOMPARE(report.manifests, 13);
        // rig-b's first two tests never made it in; nothing else is amiss.
        QCOMPARE(report.faults, QStringList{report.faults.value(0)});
        QVERIFY2(report.faults.value(0).startsWith(QStringLiteral("device rig-b"))
                     && report.faults.value(0).endsWith(QStringLiteral("missing sequence numbers 1-2")),
                 qUtf8Printable(report.faults.join(QLatin1Char('\n'))));
    }

    // An archive that cannot be opened when the writer first needs it (its
    // folder's name taken by a file) is opened at the next test received.
    void receivedWriterOpensTheArchiveOnceItCan()
    {
        if (m_engine->isPostgres())
            QSKIP("the folder case is SQLite's");
        const QString blocker = folder(QStringLiteral("later"));
        QVERIFY(writeFileBytes(blocker, "not a folder"));
        ArchiveAddress address;
        QString error;
        QVERIFY(parseArchiveAddress(blocker + QStringLiteral("/archive.sqlite"), &address, &error));
        CReceivedWriter writer(address, 2000);
        HoleShape shape;
        shape.hole = QStringLiteral("L1");
        ReceivedHole hole;
        hole.projectFolder = QStringLiteral("P");
        hole.fileName = QStringLiteral("L1.CZO");
        hole.bytes = holeFileBytes(shape);
        const CReceivedWriter::Result refused = writer.store(hole, ManifestVerdict(), 30000);
        QVERIFY(!refused.ok);
        QVERIFY2(refused.error.contains(QStringLiteral("cannot create the folder")), qUtf8Printable(refused.error));

        QVERIFY(QFile::remove(blocker));
        CArchiveDb archive;
        QVERIFY(openArchive(archive, address.path));
        QTemporaryDir rig;
        DeviceKey key;
        DeviceRow row;
        QVERIFY(loadOrCreateDeviceKey(rig.path(), &key, &error));
        QVERIFY2(addDevice(archive, QStringLiteral("rig-l"), key.publicKeyBase64(), &row, &error), qUtf8Printable(error));
        const QString path = folder(QStringLiteral("later-files/P/L1.CZO"));
        QVERIFY(writeFileBytes(path, hole.bytes));
        SealResult sealed;
        QVERIFY2(sealSavedFiles(rig.path(), {path}, {shape.project, shape.hole, QStringLiteral("2026-03-01 09:00:00")},
                                &sealed, &error),
                 qUtf8Printable(error));
        const QByteArray manifest = readFileBytes(sealed.manifestPath);
        const ManifestVerdict verdict = judgeManifest(archive, manifest, hole.fileName, {{hole.fileName, hole.bytes}});
        QVERIFY2(verdict.ok(), qUtf8Printable(verdict.reason));
        hole.companions.append({QStringLiteral("L1.SIG"), manifest});
        const CReceivedWriter::Result stored = writer.store(hole, verdict, 30000);
        QVERIFY2(stored.ok, qUtf8Printable(stored.error));
        QCOMPARE(stored.summary.added, 1);
    }

    void verifyFindsTampering_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("fault");
        QTest::newRow("stored byte") << "UPDATE blobs SET content = {bytes} WHERE sha256 = (SELECT sha256 FROM versions WHERE file_name = 'A2.CZO')"
                                     << "Bridge 7 / A2 / A2.CZO (SHA-256";
        QTest::newRow("stored byte of a report")
            << "UPDATE blobs SET content = {bytes} WHERE sha256 = (SELECT sha256 FROM companions WHERE name = 'A1.PDF')"
            << "stored bytes of Bridge 7 / A1 / A1.PDF (SHA-256";
        QTest::newRow("entry changed") << "{unlock}; UPDATE audit SET who = 'mallory@pc' WHERE seq = 2"
                                       << "audit entry 2 was altered";
        QTest::newRow("entry rehashed") << "{unlock}; UPDATE audit SET detail = 'x', hash = 'ab' WHERE seq = 1"
                                        << "audit entry 2 does not follow the entry before it";
        QTest::newRow("entry removed") << "{unlock}; DELETE FROM audit WHERE seq = 2"
                                       << "audit entry 2 is missing";
        QTest::newRow("import entry removed") << "{unlock}; DELETE FROM audit WHERE seq = 3"
                                              << "A3.CZO (SHA-256";
        // The pages would say pass while the file says fail.
        QTest::newRow("derived field changed")
            << "UPDATE versions SET verdict = 'pass', thickness_cm = 10, quality = 0 WHERE file_name = 'A2.CZO'"
            << "Bridge 7 / A2 / A2.CZO version 1: the archive keeps verdict \"pass\", the stored file says \"fail\"";
        // An override the operator never made, shown on every page.
        QTest::newRow("override made up")
            << "UPDATE versions SET overridden = 1, override_reason = 'supervisor' WHERE file_name = 'A2.CZO'"
            << "Bridge 7 / A2 / A2.CZO version 1: the archive keeps override \"1\", the stored file says \"0\"";
        QTest::newRow("latest version changed")
            << "UPDATE holes SET latest_version = (SELECT id FROM versions WHERE file_name = 'A1.CZO') WHERE hole = 'A2'"
            << "Bridge 7 / A2: the archive shows version row";
        QTest::newRow("hole removed")
            << "DELETE FROM versions WHERE file_name = 'A2.CZO'; DELETE FROM tests WHERE hole_id ="
               " (SELECT id FROM holes WHERE hole = 'A2'); DELETE FROM holes WHERE hole = 'A2'"
            << "A2.CZO (SHA-256 {A2}), filed under Bridge 7 / A2 by audit entry 2, is no longer in the archive";
        QTest::newRow("hole renamed") << "UPDATE holes SET hole = 'A9' WHERE hole = 'A2'"
                                      << "filed under Bridge 7 / A2 by audit entry 2, is now under Bridge 7 / A9";
        // A hole removed with its import entry, the trail renumbered and
        // rehashed: a valid chain, but not the one whose head was kept.
        QTest::newRow("trail rewritten") << "{unlock}; {rewrite}"
                                         << "the audit trail does not hold the head {head} kept elsewhere";
    }
    void verifyFindsTampering()
    {
        QFETCH(QString, sql);
        QFETCH(QString, fault);
        const QString db = m_engine->freshArchive();
        // Failed holes: 15 cm against a limit of 100 mm.
        auto failed = [](const char *hole) {
            HoleShape a;
            a.hole = QString::fromLatin1(hole);
            a.limitMm = 100;
            a.thicknessCm = 15;
            a.verdict = 1;
            a.quality = 1;
            return a;
        };
        {
            CArchiveDb archive;
            QVERIFY(openArchive(archive, db));
            for (const char *h : {"A1", "A2", "A3"})
                writeHole(folder(QStringLiteral("tamper")), QString::fromLatin1(h) + QStringLiteral(".CZO"), failed(h));
            QVERIFY(writeFileBytes(folder(QStringLiteral("tamper/A1.PDF")), "%PDF-1.4\n" + QByteArray(2000, 'r')));
            QCOMPARE(importPaths(archive, {folder(QStringLiteral("tamper"))}).added, 3);
        }
        const ToolRun clean = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify")});
        QVERIFY2(clean.exitCode == 0, clean.out + clean.err);
        static const QRegularExpression headLine(QStringLiteral("\naudit trail head ([0-9a-f]{64})\n"));
        const QString head = headLine.match(QString::fromUtf8(clean.out)).captured(1);
        QVERIFY2(!head.isEmpty(), clean.out.constData());

        const QString newBytes = m_engine->isPostgres()
            ? QStringLiteral("overlay(content placing '\\x58'::bytea from 600 for 1)")
            : QStringLiteral("CAST(substr(content, 1, 599) || X'58' || substr(content, 601) AS BLOB)");
        const QString dropTriggers = m_engine->isPostgres()
            ? QStringLiteral("DROP TRIGGER audit_append_only ON audit")
            : QStringLiteral("DROP TRIGGER audit_no_update; DROP TRIGGER audit_no_delete");
        sql.replace(QStringLiteral("{bytes}"), newBytes).replace(QStringLiteral("{unlock}"), dropTriggers);
        QString rewrite;
        if (sql.contains(QStringLiteral("{rewrite}"))) {
            // Hole A2 removed, its import entry left out and every entry
            // after it renumbered and rehashed.
            CArchiveDb archive;
            QVERIFY(openArchive(archive, db));
            QStringList statements{QStringLiteral("DELETE FROM versions WHERE file_name = 'A2.CZO'"),
                                   QStringLiteral("DELETE FROM tests WHERE hole_id = (SELECT id FROM holes WHERE hole = 'A2')"),
                                   QStringLiteral("DELETE FROM holes WHERE hole = 'A2'"), QStringLiteral("DELETE FROM audit")};
            QSqlQuery q = archive.query();
            QString error;
            QVERIFY(archive.exec(q, QStringLiteral("SELECT at, who, action, project, hole, detail, sha256 FROM audit"
                                                   " WHERE hole <> 'A2' ORDER BY seq"),
                                 {}, &error));
            auto quoted = [](QString t) { return QLatin1Char('\'') + t.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''); };
            QString prev = auditGenesisHash();
            while (q.next()) {
                AuditEntry e;
                e.seq = statements.size() - 3;
                e.at = q.value(0).toString();
                e.who = q.value(1).toString();
                e.action = q.value(2).toString();
                e.project = q.value(3).toString();
                e.hole = q.value(4).toString();
                e.detail = q.value(5).toString();
                e.sha256 = q.value(6).toString();
                e.prevHash = prev;
                e.hash = auditEntryHash(e);
                prev = e.hash;
                const QStringList values{QString::number(e.seq), quoted(e.at), quoted(e.who), quoted(e.action),
                                         quoted(e.project), quoted(e.hole), quoted(e.detail), quoted(e.sha256),
                                         quoted(e.prevHash), quoted(e.hash)};
                statements << QStringLiteral("INSERT INTO audit (seq, at, who, action, project, hole, detail, sha256,"
                                             " prev_hash, hash) VALUES (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
            }
            rewrite = statements.join(QStringLiteral("; "));
        }
        sql.replace(QStringLiteral("{rewrite}"), rewrite);
        QVERIFY(m_engine->ownClient(db, sql));
        if (!rewrite.isEmpty()) {
            // Without the kept head the rewritten trail passes for an honest one.
            const ToolRun blind = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify")});
            QVERIFY2(blind.exitCode == 0, blind.out.constData());
        }
        fault.replace(QStringLiteral("{head}"), head);
        fault.replace(QStringLiteral("{A2}"), sha256Hex(holeFileBytes(failed("A2"))));

        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify"), QStringLiteral("--head"), head});
        const QString out = QString::fromUtf8(r.out);
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(out.contains(QStringLiteral("FAULT ")) && out.contains(fault), qUtf8Printable(fault + QStringLiteral("\n") + out));
    }

    void newerSchemaIsRefused()
    {
        const QString db = m_engine->freshArchive();
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("projects")}).exitCode, 0);
        QVERIFY(m_engine->ownClient(db, QStringLiteral("UPDATE archive_schema SET version = 99")));
        HoleShape a;
        writeHole(folder(QStringLiteral("newer")), QStringLiteral("A1.CZO"), a);
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), folder(QStringLiteral("newer"))});
        QCOMPARE(r.exitCode, 1);
        const QByteArray refusal = QStringLiteral("schema version 99, newer than this program's %1")
                                       .arg(CArchiveDb::programSchemaVersion())
                                       .toUtf8();
        QVERIFY2(r.err.contains(refusal), r.err.constData());
        QString count;
        QVERIFY(m_engine->ownClient(db, QStringLiteral("SELECT COUNT(*) FROM versions"), &count));
        QCOMPARE(count, QStringLiteral("0"));
    }

    // Two office PCs importing into one archive at the same time: both
    // complete and the trail stays one unbroken chain.
    void importsAtOnceTakeTurns()
    {
        const QString db = m_engine->freshArchive();
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("projects")}).exitCode, 0);
        HoleShape a;
        for (int pc = 1; pc <= 2; ++pc) {
            for (int i = 1; i <= 30; ++i) {
                a.hole = QStringLiteral("P%1-%2").arg(pc).arg(i);
                writeHole(folder(QStringLiteral("atonce/%1/x").arg(pc)), a.hole + QStringLiteral(".CZO"), a);
                writeHole(folder(QStringLiteral("atonce/%1/y").arg(pc)), a.hole + QStringLiteral("b.CZO"),
                          [&] { HoleShape b = a; b.hole += QStringLiteral("b"); return b; }());
            }
        }
        QProcess first, second;
        for (QProcess *p : {&first, &second}) {
            const int pc = p == &first ? 1 : 2;
            p->start(testBinDir() + QStringLiteral("/zpvw-archive"),
                     {QStringLiteral("--db"), db, QStringLiteral("import"), folder(QStringLiteral("atonce/%1").arg(pc))});
        }
        for (QProcess *p : {&first, &second}) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitCode(), 0);
            QCOMPARE(withoutHead(p->readAllStandardOutput()), QByteArray("new 60, versions 0, skipped 0, refused 0"));
        }
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        VerifyReport r;
        QString error;
        QVERIFY2(verifyArchive(archive, &r, &error), qUtf8Printable(error));
        QVERIFY2(r.ok(), qUtf8Printable(r.faults.join('\n')));
        QCOMPARE(r.files, 120);
        QCOMPARE(r.chain.entries, 120);
    }

    // SIGKILL in the middle of a folder: earlier folders stay, the cut one is
    // wholly absent, and the next import completes the work.
    void killedImportLeavesConsistentArchive()
    {
        const QString db = m_engine->freshArchive();
        const QString src = folder(QStringLiteral("killed"));
        HoleShape a;
        for (int f = 1; f <= 2; ++f) {
            for (int i = 1; i <= 4; ++i) {
                a.hole = QStringLiteral("F%1-%2").arg(f).arg(i);
                writeHole(src + QStringLiteral("/%1").arg(f), a.hole + QStringLiteral(".CZO"), a);
            }
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZPVW_ARCHIVE_PAUSE_AFTER"), QStringLiteral("6"));
        p.setProcessEnvironment(env);
        p.start(testBinDir() + QStringLiteral("/zpvw-archive"), {QStringLiteral("--db"), db, QStringLiteral("import"), src});
        QVERIFY(p.waitForStarted(10000));
        // Folder 1 (4 files) is committed; the child stops inside folder 2.
        QElapsedTimer t;
        t.start();
        QByteArray err;
        while (!err.contains("paused") && t.elapsed() < 60000 && p.state() == QProcess::Running) {
            p.waitForReadyRead(500);
            err += p.readAllStandardError();
        }
        QVERIFY2(err.contains("paused"), err.constData());
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        {
            CArchiveDb archive;
            QVERIFY(openArchive(archive, db));
            QVector<HoleRow> holes;
            QString error;
            QVERIFY2(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error), qUtf8Printable(error));
            QStringList names;
            for (const HoleRow &h : holes)
                names << h.hole;
            QCOMPARE(names, QStringList({"F1-1", "F1-2", "F1-3", "F1-4"}));
            VerifyReport r;
            QVERIFY2(verifyArchive(archive, &r, &error), qUtf8Printable(error));
            QVERIFY2(r.ok(), qUtf8Printable(r.faults.join('\n')));
            QCOMPARE(r.files, 4);
        }
        const ToolRun again = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), src});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(withoutHead(again.out), QByteArray("new 4, versions 0, skipped 4, refused 0"));
    }
    // Another program holds the archive: a clear error, nothing half done.
    void lockedArchiveGivesClearError()
    {
        const QString db = m_engine->freshArchive();
        CArchiveDb holder;
        QVERIFY(openArchive(holder, db));
        QString error;
        QVERIFY2(holder.exec(m_engine->isPostgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN EXCLUSIVE"), &error),
                 qUtf8Printable(error));
        if (m_engine->isPostgres())
            QVERIFY2(holder.exec(QStringLiteral("LOCK TABLE audit IN ACCESS EXCLUSIVE MODE"), &error), qUtf8Printable(error));
        HoleShape a;
        writeHole(folder(QStringLiteral("locked")), QStringLiteral("A1.CZO"), a);
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), folder(QStringLiteral("locked"))});
        holder.rollback();
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("the archive is locked by another program"), r.err.constData());
        QString count;
        QVERIFY(m_engine->ownClient(db, QStringLiteral("SELECT COUNT(*) FROM blobs"), &count));
        QCOMPARE(count, QStringLiteral("0"));
    }

    void readOnlyArchiveGivesClearError()
    {
        const QString db = m_engine->freshArchive();
        HoleShape a;
        writeHole(folder(QStringLiteral("ro/1")), QStringLiteral("A1.CZO"), a);
        a.hole = QStringLiteral("A2");
        writeHole(folder(QStringLiteral("ro/2")), QStringLiteral("A2.CZO"), a);
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), folder(QStringLiteral("ro/1"))}).exitCode, 0);
        QStringList prefix;
        QVERIFY(m_engine->makeReadOnly(db, &prefix));
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), folder(QStringLiteral("ro/2"))}, {},
                                         prefix);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("the archive cannot be written here: it is read-only"), r.err.constData());
        // Reading still works.
        const ToolRun holes = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("holes"), QStringLiteral("Bridge 7")}, {},
                                             prefix);
        QCOMPARE(holes.exitCode, 0);
        QVERIFY2(holes.out.contains("\nA1\t2026-03-01 09:00:00\t12\t-\t-\tqualified\t1\t-\n"), holes.out.constData());
        // So does verify, saying that it could not record itself.
        const ToolRun verify = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify")}, {}, prefix);
        QCOMPARE(verify.exitCode, 0);
        QVERIFY(verify.out.contains("1 files"));
        QVERIFY2(verify.err.contains("not recorded in the audit trail: the archive cannot be written here"),
                 verify.err.constData());
    }

    // Every input of the hole-file fuzz corpus, named as a hole file: the
    // import never crashes, accounts for every file and stays verifiable.
    void hostileFilesNeverCrashImport()
    {
        const QDir corpus(QStringLiteral(ZPVW_HOLEFILE_CORPUS));
        const QStringList inputs = corpus.entryList(QDir::Files);
        QVERIFY(inputs.size() > 20);
        const QString src = folder(QStringLiteral("hostile"));
        QVERIFY(QDir().mkpath(src));
        for (const QString &n : inputs)
            QVERIFY(QFile::copy(corpus.filePath(n), src + QLatin1Char('/') + n + QStringLiteral(".CZO")));
        const QString db = m_engine->freshArchive();
        const ToolRun r = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), src});
        QVERIFY2(r.exitCode == 0 || r.exitCode == 2, r.err.constData());
        const QList<QByteArray> lines = withoutHead(r.out).split('\n');
        const QRegularExpression summary(QStringLiteral("^new (\\d+), versions (\\d+), skipped (\\d+), refused (\\d+)$"));
        const QRegularExpressionMatch m = summary.match(QString::fromUtf8(lines.last()));
        QVERIFY2(m.hasMatch(), r.out.constData());
        int total = 0;
        for (int i = 1; i <= 4; ++i)
            total += m.captured(i).toInt();
        QCOMPARE(total, inputs.size());
        QCOMPARE(lines.size() - 1, m.captured(4).toInt()); // one line per refused file
        QVERIFY(m.captured(1).toInt() > 0);
        QVERIFY(m.captured(4).toInt() > 0);
        const ToolRun v = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("verify")});
        QVERIFY2(v.exitCode == 0, v.out.constData());
    }
};

QTEST_MAIN(TestArchive)
#include "tst_archive.moc"
