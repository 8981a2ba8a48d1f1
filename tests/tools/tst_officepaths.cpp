// The instrument names project folders (and hole files named in Chinese) in
// GBK. On an office PC with UTF-8 names, the tools take a path as the user
// types it in UTF-8 and find the GBK-named folder or file component by
// component; they print such paths readably. The folders and files here are
// made by their raw GBK bytes with POSIX calls, as the instrument's USB disk
// brings them.

#include "recordfixture.h"
#include "testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray gbk(const QString &text) { return QTextCodec::codecForName("GBK")->fromUnicode(text); }

bool makeRawFolder(const QByteArray &path) { return ::mkdir(path.constData(), 0755) == 0 || errno == EEXIST; }

bool writeRawFile(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

bool rawExists(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && st.st_size > 0;
}

// Removes the test's folder by the bytes of its names when the test ends:
// Qt in this (UTF-8) process cannot name the GBK-named entries to remove them.
struct RemovedByBytes {
    const TestAppDir &dir;
    ~RemovedByBytes()
    {
        nftw(QFile::encodeName(dir.path()).constData(),
             [](const char *path, const struct stat *, int, struct FTW *) { return ::remove(path); }, 16,
             FTW_DEPTH | FTW_PHYS);
    }
};

const QString kProject = QStringLiteral("大桥");
const QString kDamaged = QStringLiteral("损坏");
const QString kChineseHole = QStringLiteral("桩1");
} // namespace

class TestOfficePaths : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void holeTool_data();
    void holeTool();
    void reportIntoGbkFolder();
    void archiveImportAndExport();

private:
    QString tool(const char *name) const { return testBinDir() + QLatin1Char('/') + QLatin1String(name); }
    // The instrument's data folder: ZPV_CZL-FILE/<GBK 大桥>/ with Z1.CZO and
    // <GBK 桩1>.CZO, and ZPV_CZL-FILE/<GBK 损坏>/<GBK 桩1>.CZO, not a hole file.
    void makeData(const TestAppDir &dir);
    QByteArray rawData(const TestAppDir &dir) const { return QFile::encodeName(dir.file(QStringLiteral("ZPV_CZL-FILE"))); }
    QString typedData(const TestAppDir &dir) const { return dir.file(QStringLiteral("ZPV_CZL-FILE")); }
};

void TestOfficePaths::initTestCase()
{
    // The test itself types in UTF-8, as the office PC's terminal.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QVERIFY2(QFileInfo(tool("zpvw-hole")).isExecutable(), "zpvw-hole is not built");
    QVERIFY2(QFileInfo(tool("zpvw-archive")).isExecutable(), "zpvw-archive is not built");
}

void TestOfficePaths::makeData(const TestAppDir &dir)
{
    const QByteArray data = rawData(dir);
    QVERIFY(makeRawFolder(data));
    QVERIFY(makeRawFolder(data + '/' + gbk(kProject)));
    QVERIFY(makeRawFolder(data + '/' + gbk(kDamaged)));
    const QVector<Sample> samples = RecordFixture::holeSamples(61);
    QVERIFY(writeRawFile(data + '/' + gbk(kProject) + "/Z1.CZO",
                         encodeHoleFile(RecordFixture::filledRecord(QStringLiteral("Z1")), samples)));
    QVERIFY(writeRawFile(data + '/' + gbk(kProject) + '/' + gbk(kChineseHole) + ".CZO",
                         encodeHoleFile(RecordFixture::filledRecord(kChineseHole), samples)));
    QVERIFY(writeRawFile(data + '/' + gbk(kDamaged) + '/' + gbk(kChineseHole) + ".CZO",
                         QByteArray(4096, 'x')));
    // The UTF-8 forms do not exist: only the GBK names are there.
    QVERIFY(!QFileInfo::exists(typedData(dir) + QLatin1Char('/') + kProject));
}

void TestOfficePaths::holeTool_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path"); // below ZPV_CZL-FILE, as typed
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("printed"); // in stdout (status 0) or stderr
    QTest::newRow("dump, GBK folder") << "dump" << QStringLiteral("大桥/Z1.CZO") << 0 << QStringLiteral("\"holeNo\":\"Z1\"");
    QTest::newRow("dump, GBK folder and file") << "dump" << QStringLiteral("大桥/桩1.CZO") << 0
                                               << QStringLiteral("\"holeNo\":\"桩1\"");
    QTest::newRow("csv") << "csv" << QStringLiteral("大桥/Z1.CZO") << 0 << QStringLiteral("depth_m,resistivity");
    QTest::newRow("project folder") << "project" << QStringLiteral("大桥") << 0 << QStringLiteral("桩1.CZO");
    // A file the tool found but cannot take: named readably.
    QTest::newRow("damaged, named readably") << "dump" << QStringLiteral("损坏/桩1.CZO") << 1
                                             << QStringLiteral("ZPV_CZL-FILE/损坏/桩1.CZO: not ");
    QTest::newRow("missing, named as typed") << "dump" << QStringLiteral("大桥/Z9.CZO") << 1
                                             << QStringLiteral("ZPV_CZL-FILE/大桥/Z9.CZO: cannot open file");
}

void TestOfficePaths::holeTool()
{
    QFETCH(QString, command);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, printed);
    TestAppDir dir;
    const RemovedByBytes removed{dir};
    makeData(dir);
    if (QTest::currentTestFailed())
        return;
    const ChildRun r = runChild(tool("zpvw-hole"), {command, typedData(dir) + QLatin1Char('/') + path});
    const QString out = QString::fromUtf8(r.out), err = QString::fromUtf8(r.err);
    QCOMPARE(r.exitCode, status);
    if (status == 0) {
        QVERIFY2(out.contains(printed), qPrintable(out + err));
        QVERIFY2(err.isEmpty(), qPrintable(err));
    } else {
        QVERIFY2(err.contains(printed), qPrintable(err));
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
    }
}

// The report goes beside the hole file, into the GBK-named folder.
void TestOfficePaths::reportIntoGbkFolder()
{
    TestAppDir dir;
    const RemovedByBytes removed{dir};
    makeData(dir);
    if (QTest::currentTestFailed())
        return;
    const ChildRun r = runChild(tool("zpvw-hole"), {QStringLiteral("report"), typedData(dir) + QStringLiteral("/大桥/桩1.CZO")});
    QVERIFY2(r.exitCode == 0, r.err.constData());
    QVERIFY(rawExists(rawData(dir) + '/' + gbk(kProject) + '/' + gbk(kChineseHole) + ".PDF"));
    QVERIFY(!QFileInfo::exists(typedData(dir) + QLatin1Char('/') + kProject));
}

// zpvw-archive: import from the GBK folder typed in UTF-8, export into
// another GBK-named folder typed in UTF-8, the written files named readably.
void TestOfficePaths::archiveImportAndExport()
{
    TestAppDir dir;
    const RemovedByBytes removed{dir};
    makeData(dir);
    if (QTest::currentTestFailed())
        return;
    const QString db = dir.file(QStringLiteral("archive.sqlite"));
    const ChildRun in = runChild(tool("zpvw-archive"), {QStringLiteral("--db"), db, QStringLiteral("import"),
                                                        typedData(dir) + QStringLiteral("/大桥")});
    QVERIFY2(in.exitCode == 0, in.err.constData());
    QVERIFY2(in.out.startsWith("new 2, versions 0, skipped 0, refused 0\n"), in.out.constData());

    const QByteArray outRaw = QFile::encodeName(dir.file(QStringLiteral("out")));
    QVERIFY(makeRawFolder(outRaw));
    QVERIFY(makeRawFolder(outRaw + '/' + gbk(kProject)));
    const QString typedOut = dir.file(QStringLiteral("out/大桥"));
    const ChildRun ex = runChild(tool("zpvw-archive"), {QStringLiteral("--db"), db, QStringLiteral("export"),
                                                        RecordFixture::filledRecord().projectName, kChineseHole, typedOut});
    QVERIFY2(ex.exitCode == 0, ex.err.constData());
    QCOMPARE(QString::fromUtf8(ex.out), typedOut + QStringLiteral("/桩1.CZO\n"));
    // In the GBK folder, under the name the archive keeps (UTF-8).
    QVERIFY(rawExists(outRaw + '/' + gbk(kProject) + '/' + kChineseHole.toUtf8() + ".CZO"));
    QVERIFY(!QFileInfo::exists(typedOut));

    // A path found in neither form is named as typed.
    const ChildRun none = runChild(tool("zpvw-archive"), {QStringLiteral("--db"), db, QStringLiteral("import"),
                                                          typedData(dir) + QStringLiteral("/小桥")});
    QCOMPARE(none.exitCode, 2);
    QVERIFY2(none.out.contains(QStringLiteral("ZPV_CZL-FILE/小桥: no such file or folder").toUtf8()), none.out.constData());
}

QTEST_GUILESS_MAIN(TestOfficePaths)
#include "tst_officepaths.moc"
