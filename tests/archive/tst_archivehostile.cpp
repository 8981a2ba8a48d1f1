// Hostile and careless files at the archive's door: files too large to be
// hole files, files that change while they are read, hole files with bytes
// after their layout, and names that would forge the CLI's lines or drive
// the terminal. Each is refused (or shown) with its reason, and the import
// goes on with the folders after it.

#include "archiveaddress.h"
#include "archivedb.h"
#include "archivefixture.h"
#include "archiveimport.h"
#include "archivequeries.h"
#include "holefile.h"
#include "testsupport.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool openArchive(CArchiveDb &db, const QString &text)
{
    ArchiveAddress a;
    QString error;
    return parseArchiveAddress(text, &a, &error) && db.open(a, &error);
}

// A file of that size without writing its bytes (a sparse file).
bool sparseFile(const QString &path, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.resize(size);
}

HoleShape judged()
{
    HoleShape s;
    s.hole = QStringLiteral("Z1");
    s.limitMm = 200;
    s.verdict = 0;
    return s;
}

// What a row does to Z1.CZO while it is read (after its first part).
enum class WhileRead { Nothing, Grow, Rewrite };
} // namespace

Q_DECLARE_METATYPE(WhileRead)

class TestArchiveHostile : public QObject {
    Q_OBJECT

    CTestEngine m_engine;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        if (m_engine.skipBecauseAbsent())
            QSKIP("the PostgreSQL run is skipped: no server binaries");
        QString why;
        QVERIFY2(m_engine.ready(&why), qUtf8Printable(why));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<qint64>("sparseSize"); // > 0: Z1.CZO is a sparse file of this size
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<WhileRead>("whileRead");
        QTest::addColumn<QString>("reason");
        const QByteArray plain = holeFileBytes(HoleShape{QStringLiteral("Bridge 7"), QStringLiteral("Z1")});
        const QByteArray withSection = holeFileBytes(judged());
        const qint64 largest = HoleFile::largestFileSize();
        QTest::newRow("2.5 GB named like a hole file") << qint64(2684354560LL) << QByteArray() << WhileRead::Nothing
                                                        << QStringLiteral("too large: 2684354560 bytes, more than the %1 such a file can have").arg(largest);
        QTest::newRow("one byte over the largest hole file") << largest + 1 << QByteArray() << WhileRead::Nothing
                                                             << QStringLiteral("too large: %1 bytes").arg(largest + 1);
        QTest::newRow("1000 zero bytes appended") << qint64(0) << plain + QByteArray(1000, '\0') << WhileRead::Nothing
                                                  << QStringLiteral("damaged: 1000 bytes after the end of its data");
        QTest::newRow("bytes after the acceptance section") << qint64(0) << withSection + QByteArray("tail") << WhileRead::Nothing
                                                            << QStringLiteral("damaged: 4 bytes after the end of its data");
        QTest::newRow("grows while read") << qint64(0) << withSection << WhileRead::Grow
                                          << QStringLiteral("file changed while being read");
        QTest::newRow("rewritten in place while read") << qint64(0) << withSection << WhileRead::Rewrite
                                                       << QStringLiteral("file changed while being read");
    }
    void refusedFiles()
    {
        QFETCH(qint64, sparseSize);
        QFETCH(QByteArray, content);
        QFETCH(WhileRead, whileRead);
        QFETCH(QString, reason);
        const QString root = m_dir.path() + QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        const QString bad = root + QStringLiteral("/a/Z1.CZO");
        QVERIFY(QDir().mkpath(root + QStringLiteral("/a")));
        if (sparseSize > 0)
            QVERIFY(sparseFile(bad, sparseSize));
        else
            QVERIFY(writeFileBytes(bad, content));
        HoleShape next;
        next.hole = QStringLiteral("Z2");
        QVERIFY(writeFileBytes(root + QStringLiteral("/b/Z2.CZO"), holeFileBytes(next)));

        const QString db = m_engine.freshArchive();
        CArchiveDb archive;
        QVERIFY(openArchive(archive, db));
        QStringList read; // files whose bytes were read
        ImportOptions options;
        options.whileReading = [&](const QString &path) {
            read << QFileInfo(path).fileName();
            if (!path.endsWith(QLatin1String("/Z1.CZO")) || whileRead == WhileRead::Nothing)
                return;
            // Written in place (no new file): a longer test saved over it, or
            // one of the same size whose bytes only the time tells apart.
            HoleShape other = judged();
            if (whileRead == WhileRead::Grow)
                other.samples += 1;
            else
                other.tester = QStringLiteral("Wu");
            const QByteArray changedTo = holeFileBytes(other);
            QCOMPARE(changedTo.size() == content.size(), whileRead == WhileRead::Rewrite);
            QFile f(bad);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.write(changedTo);
            f.close();
            const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(bad).constData(), times, 0), 0);
        };
        ImportSummary summary;
        QString error;
        QVERIFY2(importIntoArchive(archive, {root + QStringLiteral("/a"), root + QStringLiteral("/b")}, options, &summary, &error),
                 qUtf8Printable(error));
        QCOMPARE(summary.line(), QStringLiteral("new 1, versions 0, skipped 0, refused 1"));
        QCOMPARE(summary.refusals.size(), 1);
        QVERIFY2(summary.refusals.first().startsWith(bad + QStringLiteral(": ") + reason),
                 qUtf8Printable(summary.refusals.first()));
        if (sparseSize > 0)
            QVERIFY2(!read.contains(QStringLiteral("Z1.CZO")), "a file too large was read");
        QVector<HoleRow> holes;
        QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
        QCOMPARE(holes.size(), 1);
        QCOMPARE(holes.first().hole, QStringLiteral("Z2"));

        if (whileRead != WhileRead::Nothing) {
            // The next import, with the file at rest, stores exactly its bytes.
            ImportSummary again;
            QVERIFY(importIntoArchive(archive, {root + QStringLiteral("/a")}, ImportOptions(), &again, &error));
            QCOMPARE(again.line(), QStringLiteral("new 1, versions 0, skipped 0, refused 0"));
            QVERIFY(listHoles(archive, QStringLiteral("Bridge 7"), &holes, &error));
            QCOMPARE(holes.first().hole, QStringLiteral("Z1"));
            QVector<StoredFile> files;
            QVERIFY(versionFiles(archive, holes.first().versionId, &files, &error));
            QCOMPARE(files.first().bytes, readFileBytes(bad));
        }
    }

    // Names cannot forge lines or columns of the CLI's tables, nor reach the
    // terminal as control sequences.
    void namesPrintedAsVisibleEscapes()
    {
        HoleShape s;
        s.project = QStringLiteral("P\x1b[2J\tX\r\nY\\n");
        s.hole = QStringLiteral("H\tA\nB");
        s.tester = QStringLiteral("T\x1b]0;owned\x07" "end");
        const QString folder = m_dir.path() + QStringLiteral("/escapes");
        QVERIFY(writeFileBytes(folder + QLatin1Char('/') + s.hole + QStringLiteral(".CZO"), holeFileBytes(s)));
        const QString db = m_engine.freshArchive();
        QCOMPARE(runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("import"), folder}).exitCode, 0);
        const QString project = QStringLiteral("P\\e[2J\\tX\\r\\nY\\\\n");
        const QString hole = QStringLiteral("H\\tA\\nB");
        const QString tester = QStringLiteral("T\\e]0;owned\\x07end");
        struct Case {
            QStringList args;
            QString line; // the one data line
        };
        const Case cases[] = {
            {{QStringLiteral("projects")}, project + QStringLiteral("\t1\t1\t1\t0")},
            {{QStringLiteral("holes"), s.project}, hole + QStringLiteral("\t2026-03-01 09:00:00\t12\t-\t-\tqualified\t1\t-")},
            {{QStringLiteral("find"), QStringLiteral("owned")}, project + QLatin1Char('\t') + hole + QStringLiteral("\ttester ") + tester},
        };
        for (const Case &c : cases) {
            const ToolRun r = runArchiveTool(QStringList{QStringLiteral("--db"), db} + c.args);
            QCOMPARE(r.exitCode, 0);
            QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
            QCOMPARE(lines.takeLast(), QString()); // the output ends with a line feed
            QCOMPARE(lines.last(), c.line);
            for (const QString &l : lines) {
                for (const QChar ch : l)
                    QVERIFY2(ch == QLatin1Char('\t') || (ch.unicode() >= 0x20 && ch.unicode() != 0x7f),
                             qUtf8Printable(l));
                QCOMPARE(l.count(QLatin1Char('\t')), c.line.count(QLatin1Char('\t')));
            }
        }
        // A device's name, as it is added and as it is listed.
        const QString key = QString::fromLatin1(QByteArray(32, '\x07').toBase64());
        const ToolRun added = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("device"), QStringLiteral("add"),
                                              QStringLiteral("rig\t7\x1b[2J"), key});
        QCOMPARE(added.exitCode, 0);
        QVERIFY2(QString::fromUtf8(added.out).startsWith(QStringLiteral("device rig\\t7\\e[2J added: ")), added.out.constData());
        const ToolRun listed = runArchiveTool({QStringLiteral("--db"), db, QStringLiteral("device"), QStringLiteral("list")});
        const QStringList rows = QString::fromUtf8(listed.out).trimmed().split(QLatin1Char('\n'));
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows.last().startsWith(QStringLiteral("rig\\t7\\e[2J\t")), qUtf8Printable(rows.last()));
        QCOMPARE(rows.last().count(QLatin1Char('\t')), 4);
    }
};

QTEST_MAIN(TestArchiveHostile)
#include "tst_archivehostile.moc"
