// Power cuts while saving: a child process saves numbered versions of a
// hole file or of the test-parameter file in a loop and is killed (SIGKILL,
// nothing of it runs afterwards) at many different moments of a save. After
// every kill the file on disk must be, byte for byte, either the last version
// the child finished or the one it was writing: never a mix, never cut short,
// never gone. A save after the cut must work.

#include "holefile.h"
#include "paramfile.h"
#include "saveversions.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

namespace {
constexpr int kKills = 40;

QByteArray holeBytes(int g)
{
    CtrlInfo info;
    QVector<Sample> s;
    holeVersion(g, info, s);
    return encodeHoleFile(info, s);
}

// The parameter file has no encoder of its own: save the version in a
// scratch application directory and take the bytes.
QByteArray paramBytes(int g)
{
    const QByteArray appDir = qgetenv("ZPVW_APP_DIR");
    QTemporaryDir scratch;
    qputenv("ZPVW_APP_DIR", QFile::encodeName(scratch.path()));
    CtrlInfo info;
    paramVersion(g, info);
    saveTestParams(info);
    const QByteArray bytes = readFileBytes(testParamFilePath());
    qputenv("ZPVW_APP_DIR", appDir);
    return bytes;
}

struct ChildLines {
    int lastSaved = -1;
    int lastStarted = -1;
    bool endedInSave = false;
};

ChildLines parseLines(const QByteArray &out)
{
    ChildLines c;
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> w = line.trimmed().split(' ');
        if (w.size() != 2)
            continue;
        if (w[0] == "saving") {
            c.lastStarted = w[1].toInt();
            c.endedInSave = true;
        } else if (w[0] == "saved") {
            c.lastSaved = w[1].toInt();
            c.endedInSave = false;
        }
    }
    return c;
}
}

class TstPowerCut : public QObject {
    Q_OBJECT
private slots:
    void killDuringSave_data();
    void killDuringSave();
};

void TstPowerCut::killDuringSave_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("hole file") << QStringLiteral("hole");
    QTest::newRow("test-parameter file") << QStringLiteral("param");
}

void TstPowerCut::killDuringSave()
{
    QFETCH(QString, kind);
    TestAppDir dir;
    const bool hole = kind == QLatin1String("hole");
    const QString target = hole ? dir.file(saveVersionsHoleName()) : testParamFilePath();
    auto expected = [hole](int g) { return hole ? holeBytes(g) : paramBytes(g); };
    const QString child = testBinDir() + QStringLiteral("/zpvw-savechild");
    QVERIFY2(QFile::exists(child), qPrintable(child));

    // Version 0, complete, is on disk before the first cut.
    QVERIFY(writeFileBytes(target, expected(0)));
    int onDisk = 0;
    int next = 1;
    int midSave = 0;
    for (int i = 0; i < kKills; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(child, {kind, QString::number(next), QStringLiteral("0")});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
        // Wait for the first save to begin, then cut after a delay that moves
        // through the saves from one round to the next (0 to 30 ms).
        QElapsedTimer t;
        t.start();
        while (!p.readAllStandardOutput().contains("saving") && t.elapsed() < 10000)
            p.waitForReadyRead(100);
        QThread::usleep(static_cast<unsigned long>((i * 7331) % 30000));
        p.kill();
        QVERIFY(p.waitForFinished(10000));
        // What the child printed before the cut (the lines read above were
        // only "saving next").
        const ChildLines c = parseLines(QByteArray("saving ") + QByteArray::number(next) + '\n'
                                        + p.readAllStandardOutput());
        QVERIFY2(p.readAllStandardError().isEmpty(), "the child reported a failed save");
        if (c.endedInSave)
            ++midSave;

        const QByteArray bytes = readFileBytes(target);
        const int finished = c.lastSaved >= 0 ? c.lastSaved : onDisk;
        const bool isFinished = bytes == expected(finished);
        const bool isStarted = !isFinished && c.lastStarted > finished && bytes == expected(c.lastStarted);
        QVERIFY2(isFinished || isStarted,
                 qPrintable(QStringLiteral("cut %1: %2 bytes on disk are neither version %3 nor %4")
                                .arg(i)
                                .arg(bytes.size())
                                .arg(finished)
                                .arg(c.lastStarted)));
        onDisk = isFinished ? finished : c.lastStarted;
        next = qMax(c.lastStarted, onDisk) + 1;
        if (hole) {
            CtrlInfo info;
            QVERIFY(readHoleFile(target, info).ok);
            QCOMPARE(holeVersionOf(info), onDisk);
        } else {
            CtrlInfo info;
            QCOMPARE(loadTestParams(info), 1);
            QCOMPARE(paramVersionOf(info), onDisk);
        }
    }
    // The cuts must have hit saves in progress, or the test proved nothing.
    QVERIFY(midSave > 0);
    qInfo("%s: %d cuts, %d of them during a save, last version on disk %d", qPrintable(kind), kKills, midSave,
          onDisk);

    // A save after the cuts (over whatever temporary file a cut left) works.
    QProcess p;
    p.start(child, {kind, QString::number(next), QStringLiteral("1")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(readFileBytes(target), expected(next));
}

QTEST_GUILESS_MAIN(TstPowerCut)
#include "tst_powercut.moc"
