// The built program's first step, run as a user runs it: --help and
// --version answer and exit 0, and an unknown option is refused with a line
// naming it and status 2 before anything starts. The program runs with a
// platform plugin that does not exist: had it started the toolkit (and so a
// window) it would have ended otherwise.

#include "appoptions.h"
#include "startup.h"
#include "testsupport.h"

#include <QImage>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void helpAndVersion_data();
    void helpAndVersion();
    void refused_data();
    void refused();
    void smallScreenWindow_data();
    void smallScreenWindow();

private:
    QString zpvw() const { return testBinDir() + QStringLiteral("/zpvw"); }
    QProcessEnvironment environment(const QString &appDir) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"ZPVW_WINCH", "ZPVW_DEMO_VERBOSE", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("ZPVW_APP_DIR"), appDir);
        env.insert(QStringLiteral("ZPVW_ROOT_DIR"), appDir + QStringLiteral("/root"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        return env;
    }
};

void TestCommandLine::initTestCase() { QVERIFY2(QFileInfo(zpvw()).isExecutable(), "zpvw is not built"); }

void TestCommandLine::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("help");
    QTest::newRow("--help") << QStringList{"--help"} << true;
    QTest::newRow("-h with the demo") << QStringList{"--demo", "-h"} << true;
    QTest::newRow("--version") << QStringList{"--version"} << false;
}

void TestCommandLine::helpAndVersion()
{
    QFETCH(QStringList, args);
    QFETCH(bool, help);
    TestAppDir dir;
    const ChildRun r = runChild(zpvw(), args, environment(dir.path()), 60000);
    QCOMPARE(QString::fromUtf8(r.err), QString());
    QCOMPARE(r.exitCode, 0);
    const QString out = QString::fromUtf8(r.out);
    if (!help) {
        QCOMPARE(out, QStringLiteral("zpvw %1\n").arg(versionText()));
        return;
    }
    QCOMPARE(out, appHelpText());
    for (const AppOptionRow &row : appOptionTable())
        QVERIFY2(out.contains(QStringLiteral("  %1 ").arg(row.option)), qPrintable(row.option));
    // Nothing of the program ran: no device key made, no data folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"root"});
}

void TestCommandLine::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << QStringLiteral("unknown option --frobnicate");
    QTest::newRow("unknown after good ones") << QStringList{"--window", "800x600", "--screenshot", "a.png", "--nope=1"}
                                             << QStringLiteral("unknown option --nope=1");
    QTest::newRow("unknown with the demo") << QStringList{"--demo", "--mode", "manual", "-z"}
                                           << QStringLiteral("unknown option -z");
    QTest::newRow("stray argument") << QStringList{"extra"} << QStringLiteral("unexpected argument \"extra\"");
    QTest::newRow("malformed window") << QStringList{"--window", "big"} << QStringLiteral("--window \"big\"");
}

void TestCommandLine::refused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TestAppDir dir;
    const QStringList all = QStringList{QStringLiteral("--winch"), QStringLiteral("127.0.0.1:9")} + args;
    const ChildRun r = runChild(zpvw(), all, environment(dir.path()), 60000);
    const QString err = QString::fromUtf8(r.err);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(err.startsWith(QStringLiteral("zpvw: ") + message), qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"root"});
}

void TestCommandLine::smallScreenWindow_data()
{
    QTest::addColumn<QStringList>("window");
    QTest::addColumn<QSize>("setup"); // the set-up dialog as the demonstration pictured it
    QTest::newRow("whole screen") << QStringList() << QSize(1024, 768);
    QTest::newRow("800x600") << QStringList{"--window", "800x600"} << QSize(800, 600);
    QTest::newRow("1024x768") << QStringList{"--window", "1024x768"} << QSize(1024, 768);
}

// "--window 800x600" gives the small-screen variant (its dialogs laid out for
// 800x600), as the folder 8.4 does; no folder 8.4 here.
void TestCommandLine::smallScreenWindow()
{
    QFETCH(QStringList, window);
    TestAppDir dir;
    QProcessEnvironment env = environment(dir.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString shots = dir.file(QStringLiteral("shots"));
    const QStringList args = QStringList{"--demo", "--mode", "manual", "--depth", "0.2", "--move", "100",
                                         "--max-seconds", "90", "--shots", shots} + window;
    const ChildRun r = runChild(zpvw(), args, env, 120000);
    QVERIFY2(r.exitCode == 0, r.err.constData());
    const QStringList setup = QDir(shots).entryList({QStringLiteral("*-setup.png")});
    QCOMPARE(setup.size(), 1);
    QTEST(QImage(shots + QLatin1Char('/') + setup.first()).size(), "setup");
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
