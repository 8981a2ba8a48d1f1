// The demonstration end to end: the built program run as a user runs it
// (zpvw --demo ...), against the built winch simulator on a free loopback
// port, the saved hole file read back with the built zpvw-hole tool; the
// screenshot option; and the run command's headless path.

#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTextCodec>
#include <QtTest>
#include <signal.h>
#include <cstdio>
#include <memory>
#include <sys/types.h>

namespace {
constexpr int kRunLimitMs = 120000;

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray outBytes;
};

// Ends a child that outlived its time: first politely (so that a script
// stops what it started), then for good.
void endChild(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

QProcessEnvironment childEnvironment(const QString &appDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ZPVW_WINCH", "ZPVW_DEMO_VERBOSE", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("ZPVW_APP_DIR"), appDir);
    env.insert(QStringLiteral("ZPVW_ROOT_DIR"), appDir + QStringLiteral("/root"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

Run runAsText(const QString &program, const QStringList &args, const QProcessEnvironment &env,
             int limitMs = kRunLimitMs)
{
    const ChildRun c = ::runChild(program, args, env, limitMs);
    Run r;
    r.exitCode = c.exitCode;
    r.outBytes = c.out;
    r.out = QString::fromUtf8(c.out);
    r.err = c.timedOut ? QStringLiteral("did not end within %1 ms").arg(limitMs) : QString::fromUtf8(c.err);
    return r;
}

// The simulator on a free loopback port, ended with the object. It raises
// slowly: a loaded machine that holds up the acquisition for a moment must
// not skip a point, which only lowering the winch (not simulated) resolves.
class CSimulator {
public:
    explicit CSimulator(const QString &depth)
    {
        m_p.start(testBinDir() + QStringLiteral("/zpvw-winchsim"),
                  {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--depth"), depth,
                   QStringLiteral("--speed"), QStringLiteral("0.2"), QStringLiteral("--wait"), QStringLiteral("0.5"),
                   QStringLiteral("--max-seconds"), QStringLiteral("300")});
    }
    ~CSimulator() { endChild(m_p); }
    // "127.0.0.1:PORT" once it listens; empty when it does not within 10 s.
    QString address()
    {
        static const QRegularExpression re(QStringLiteral("listening on (127\\.0\\.0\\.1:\\d+)"));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && m_p.state() != QProcess::NotRunning) {
            m_p.waitForReadyRead(200);
            m_out += QString::fromLocal8Bit(m_p.readAllStandardOutput());
            const QRegularExpressionMatch m = re.match(m_out);
            if (m.hasMatch())
                return m.captured(1);
        }
        return QString();
    }

private:
    QProcess m_p;
    QString m_out;
};

QJsonObject dumpHoleFile(const QString &path, QString *why)
{
    const Run r = runAsText(testBinDir() + QStringLiteral("/zpvw-hole"), {QStringLiteral("dump"), path},
                           QProcessEnvironment::systemEnvironment(), 30000);
    if (r.exitCode != 0) {
        *why = QStringLiteral("zpvw-hole dump: %1").arg(r.err);
        return QJsonObject();
    }
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

// A file named in the program's code page (GBK), read by its bytes.
QByteArray readRawPath(const QByteArray &path)
{
    QByteArray data;
    if (FILE *f = std::fopen(path.constData(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            data.append(buffer, int(n));
        std::fclose(f);
    }
    return data;
}

QString holePath(const TestAppDir &dir, const QString &project, const QString &hole)
{
    return dir.path() + QStringLiteral("/ZPV_CZL-FILE/") + project + QLatin1Char('/') + hole + QStringLiteral(".CZO");
}
}

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void modes_data();
    void modes();
    void failures_data();
    void failures();
    void screenshotWithoutDemo_data();
    void screenshotWithoutDemo();
    void runCommandWithoutDisplay();
    void projectWithRepeatTest();

private:
    QString zpvw() const { return testBinDir() + QStringLiteral("/zpvw"); }
    // A winch controller that accepts the link and never answers.
    QTcpServer m_silent;
};

void TestDemo::initTestCase()
{
    QVERIFY2(QFileInfo(zpvw()).isExecutable(), "zpvw is not built");
    QVERIFY(m_silent.listen(QHostAddress::LocalHost, 0));
}

void TestDemo::modes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("winch");
    QTest::addColumn<int>("modeCode");
    QTest::addColumn<int>("depthMm");
    QTest::addColumn<int>("moveMm");
    QTest::addColumn<int>("sedimentCm"); // -1: not judged

    QTest::newRow("automatic, judged") << QStringList{"--depth", "1", "--move", "50", "--judge", "0.7"} << true << 0
                                       << 1000 << 50 << 30;
    QTest::newRow("manual") << QStringList{"--mode", "manual", "--depth", "0.5", "--move", "50", "--hole", "M1"}
                            << true << 1 << 500 << 50 << -1;
    // Without a winch address: the manual modes need none.
    QTest::newRow("4 s/m") << QStringList{"--mode", "4s", "--depth", "1", "--move", "50"} << false << 2 << 1000 << 50
                           << -1;
    // Chinese names, typed on a UTF-8 terminal, stored as the instrument
    // stores them (GBK, the folder too).
    QTest::newRow("6 s/m") << QStringList{"--mode", "6s", "--depth", "0.4", "--move", "100", "--project", "跨江大桥",
                                          "--hole", "桩1"}
                           << true << 3 << 400 << 100 << -1;
    QTest::newRow("8 s/m, judged at the bottom")
        << QStringList{"--mode", "8s", "--depth", "0.3", "--move", "100", "--judge", "0.3"} << true << 4 << 300 << 100
        << 0;
}

void TestDemo::modes()
{
    QFETCH(QStringList, args);
    QFETCH(bool, winch);
    QFETCH(int, depthMm);
    QFETCH(int, moveMm);
    QFETCH(int, sedimentCm);
    TestAppDir dir;
    std::unique_ptr<CSimulator> sim;
    QStringList all{QStringLiteral("--demo"), QStringLiteral("--max-seconds"), QStringLiteral("90")};
    if (winch) {
        sim = std::make_unique<CSimulator>(QString::number(depthMm / 1000.0, 'f', 3));
        const QString address = sim->address();
        QVERIFY2(!address.isEmpty(), "the simulator did not listen");
        all << QStringLiteral("--winch") << address;
    }
    all << args;
    const Run r = runAsText(zpvw(), all, childEnvironment(dir.path()));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.err, QString());

    const int holeAt = args.indexOf(QStringLiteral("--hole"));
    const int projectAt = args.indexOf(QStringLiteral("--project"));
    const QString hole = holeAt >= 0 ? args.at(holeAt + 1) : QStringLiteral("DEMO1");
    const QString project = projectAt >= 0 ? args.at(projectAt + 1) : QStringLiteral("Demo");
    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    const QByteArray path = QFile::encodeName(dir.path()) + "/ZPV_CZL-FILE/" + gbk->fromUnicode(project) + '/'
                            + gbk->fromUnicode(hole) + ".CZO";
    QVERIFY2(!readRawPath(path).isEmpty(), path.constData());
    // The line names it readably, and the office tool finds the file under it.
    const QString printed = holePath(dir, project, hole);
    QCOMPARE(r.outBytes, printed.toUtf8() + '\n');
    QString why;
    const QJsonObject record = dumpHoleFile(printed, &why);
    QCOMPARE(record.value(QStringLiteral("holeNo")).toString(), hole);
    QCOMPARE(record.value(QStringLiteral("projectName")).toString(), project);
    QTEST(record.value(QStringLiteral("modeCode")).toInt(), "modeCode");
    QCOMPARE(record.value(QStringLiteral("maxDepth")).toInt(), depthMm);
    QCOMPARE(record.value(QStringLiteral("moveDistance")).toInt(), moveMm);
    // One sample every move distance from the bottom to the top, each once.
    const QJsonArray taken = record.value(QStringLiteral("samples")).toArray();
    QCOMPARE(taken.size(), depthMm / moveMm + 1);
    for (int i = 0; i < taken.size(); ++i)
        QCOMPARE(taken.at(i).toArray().at(0).toInt(), depthMm - i * moveMm);
    if (winch) {
        // Values come from the controller's reports.
        for (const QJsonValue &s : taken)
            QVERIFY(s.toArray().at(1).toDouble() > 0.0);
    }
    if (sedimentCm >= 0)
        QCOMPARE(record.value(QStringLiteral("sedimentThickness")).toInt(), sedimentCm);
}

void TestDemo::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("silentWinch");
    QTest::addColumn<bool>("existingHole");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("automatic without a winch address")
        << QStringList{"--demo", "--depth", "1"} << false << false << 2 << "--winch HOST:PORT or ZPVW_WINCH";
    QTest::newRow("unknown option") << QStringList{"--demo", "--mode", "manual", "--frob"} << false << false << 2
                                    << "unknown option --frob";
    QTest::newRow("winch never answers") << QStringList{"--demo", "--depth", "1", "--max-seconds", "3"} << true
                                         << false << 1 << "not finished within 3 s";
    QTest::newRow("basis not offered")
        << QStringList{"--demo", "--mode", "manual", "--depth", "0.2", "--hole", "H1", "--basis", "DB 1 端承桩"}
        << false << true << 1 << "is not offered";
}

void TestDemo::failures()
{
    QFETCH(QStringList, args);
    QFETCH(bool, silentWinch);
    QFETCH(bool, existingHole);
    TestAppDir dir;
    const QString existing = holePath(dir, QStringLiteral("Demo"), QStringLiteral("H1"));
    const QByteArray before("not to be touched");
    if (existingHole)
        QVERIFY(writeFileBytes(existing, before));
    if (silentWinch)
        args << QStringLiteral("--winch") << QStringLiteral("127.0.0.1:%1").arg(m_silent.serverPort());

    const Run r = runAsText(zpvw(), args, childEnvironment(dir.path()));
    QTEST(r.exitCode, "exitCode");
    QCOMPARE(r.out, QString());
    // One line on standard error, saying why.
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY(r.err.endsWith(QLatin1Char('\n')));
    QFETCH(QString, complaint);
    QVERIFY2(r.err.contains(complaint), qPrintable(r.err));
    if (existingHole)
        QCOMPARE(readFileBytes(existing), before);
    // Nothing was saved.
    const QStringList saved = QDir(dir.path() + QStringLiteral("/ZPV_CZL-FILE/Demo"))
                                  .entryList({QStringLiteral("*.CZO")}, QDir::Files);
    QCOMPARE(saved, existingHole ? QStringList{QStringLiteral("H1.CZO")} : QStringList());
}

void TestDemo::screenshotWithoutDemo_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QSize>("atLeast");
    // The offscreen screen is 800 x 600.
    QTest::newRow("whole screen") << QStringList() << QSize(800, 600);
    QTest::newRow("1024x768 window") << QStringList{"--window", "1024x768"} << QSize(1024, 768);
}

void TestDemo::screenshotWithoutDemo()
{
    QFETCH(QStringList, extra);
    QFETCH(QSize, atLeast);
    TestAppDir dir;
    const QString file = dir.file(QStringLiteral("shots/main.png"));
    const QStringList args = QStringList{QStringLiteral("--screenshot"), file, QStringLiteral("--winch"),
                                         QStringLiteral("127.0.0.1:%1").arg(m_silent.serverPort())}
                             + extra;
    const Run r = runAsText(zpvw(), args, childEnvironment(dir.path()));
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QImage shot(file);
    QVERIFY2(!shot.isNull(), "no PNG written");
    QVERIFY(shot.width() >= atLeast.width() && shot.height() >= atLeast.height());
    // The screen was drawn, not left black: the main dialog's light
    // background covers most of it.
    const QRgb middle = shot.pixel(shot.width() / 2, shot.height() / 2);
    QVERIFY(qGray(middle) > 128);
}

void TestDemo::runCommandWithoutDisplay()
{
    TestAppDir dir;
    QProcessEnvironment env = childEnvironment(dir.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("ZPVW_RUN_SKIP_BUILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("BUILD_DIR"), QFileInfo(testBinDir()).absolutePath());
    env.insert(QStringLiteral("ZPVW_DATA_DIR"), dir.file(QStringLiteral("data")));
    env.insert(QStringLiteral("ZPVW_DEMO_DEPTH"), QStringLiteral("1"));
    const Run r = runAsText(QStringLiteral("sh"), {QStringLiteral(ZPVW_SOURCE_DIR "/scripts/run.sh")}, env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));

    const QRegularExpression holeLine(QStringLiteral("^hole file: (.+)$"), QRegularExpression::MultilineOption);
    const QRegularExpression shotLine(QStringLiteral("^screenshot: (.+)$"), QRegularExpression::MultilineOption);
    const QRegularExpression simLine(QStringLiteral("^winch simulator \\(process (\\d+)\\) on 127\\.0\\.0\\.1:\\d+"),
                                     QRegularExpression::MultilineOption);
    const QString hole = holeLine.match(r.out).captured(1);
    const QString shot = shotLine.match(r.out).captured(1);
    QCOMPARE(hole, dir.file(QStringLiteral("data/ZPV_CZL-FILE/Demo/DEMO1.CZO")));
    QString why;
    const QJsonObject record = dumpHoleFile(hole, &why);
    QVERIFY2(!record.isEmpty(), qPrintable(why));
    // A complete automatic test, judged where the simulated sediment begins.
    QCOMPARE(record.value(QStringLiteral("samples")).toArray().size(), 21);
    QCOMPARE(record.value(QStringLiteral("sedimentThickness")).toInt(), 30);
    QVERIFY2(!QImage(shot).isNull(), qPrintable(shot));

    // The simulator went with the script.
    const QRegularExpressionMatch sim = simLine.match(r.out);
    QVERIFY2(sim.hasMatch(), qPrintable(r.out));
    const pid_t pid = pid_t(sim.captured(1).toLongLong());
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid, 0) != 0);
    QVERIFY(r.out.contains(QStringLiteral("winch simulator stopped")));
}


// A project made by the demonstration: two holes, one tested again after
// cleaning (its first file untouched, the repeat named Z2-2). The summary's
// rows match the hole files they name.
void TestDemo::projectWithRepeatTest()
{
    TestAppDir dir;
    const QStringList common{"--demo", "--mode", "manual", "--depth", "0.5", "--move", "100", "--project", "Bridge"};
    const QList<QStringList> runs{
        {"--hole", "Z1", "--limit", "100", "--position", "centre", "--judge", "0.4"}, // 100 mm: pass
        {"--hole", "Z2", "--basis", QStringLiteral("GB 50202 摩擦桩"), "--judge", "0.3"},   // 200 mm > 150: fail
        {"--hole", "Z2", "--basis", QStringLiteral("GB 50202 摩擦桩"), "--judge", "0.4"},   // repeat: pass
    };
    QStringList made;
    for (const QStringList &run : runs) {
        const Run r = runAsText(zpvw(), common + run, childEnvironment(dir.path()));
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        made << QFileInfo(r.out.trimmed()).fileName();
    }
    QCOMPARE(made, (QStringList{"Z1.CZO", "Z2.CZO", "Z2-2.CZO"}));

    const QString project = dir.file(QStringLiteral("ZPV_CZL-FILE/Bridge"));
    const Run summary = runAsText(testBinDir() + QStringLiteral("/zpvw-hole"), {QStringLiteral("project"), project},
                                 QProcessEnvironment::systemEnvironment());
    QCOMPARE(summary.exitCode, 0);
    const QStringList lines = summary.out.split(QLatin1Char('\n'));
    const QStringList header = lines.first().split(QLatin1Char(','));
    QCOMPARE(lines.mid(3), (QStringList{"", "tested,2", "passed,2", "failed,0", "not judged,0", ""}));
    for (int i = 1; i <= 2; ++i) {
        const QStringList row = lines.at(i).split(QLatin1Char(','));
        auto col = [&](const char *name) { return row.value(header.indexOf(QLatin1String(name))); };
        const QString file = project + QLatin1Char('/') + col("file");
        QString why;
        const QJsonObject r = dumpHoleFile(file, &why);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        const QJsonObject a = r.value(QStringLiteral("acceptance")).toObject();
        QCOMPARE(col("hole"), i == 1 ? QStringLiteral("Z1") : QStringLiteral("Z2"));
        QCOMPARE(col("tests"), i == 1 ? QStringLiteral("1") : QStringLiteral("2"));
        QCOMPARE(col("file"), i == 1 ? QStringLiteral("Z1.CZO") : QStringLiteral("Z2-2.CZO"));
        QCOMPARE(col("date"), r.value(QStringLiteral("testDate")).toString() + QLatin1Char(' ')
                                  + r.value(QStringLiteral("testTime")).toString());
        QCOMPARE(col("thickness_mm").toInt(), r.value(QStringLiteral("sedimentThickness")).toInt() * 10);
        QCOMPARE(col("limit_mm").toInt(), a.value(QStringLiteral("limitMm")).toInt());
        QCOMPARE(col("position"), a.value(QStringLiteral("position")).toString());
        QCOMPARE(col("verdict"), QStringLiteral("pass"));
        QCOMPARE(col("sha256"), QString::fromLatin1(QCryptographicHash::hash(readFileBytes(file), QCryptographicHash::Sha256).toHex()));
    }
    // The first test of Z2 stays as it was saved, with its own verdict.
    QString why;
    const QJsonObject first = dumpHoleFile(project + QStringLiteral("/Z2.CZO"), &why);
    QCOMPARE(first.value(QStringLiteral("acceptance")).toObject().value(QStringLiteral("verdict")).toInt(), 1);
    QCOMPARE(first.value(QStringLiteral("acceptance")).toObject().value(QStringLiteral("sequence")).toInt(), 1);
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
