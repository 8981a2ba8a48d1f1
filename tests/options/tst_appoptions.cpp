// The program's own options: what the demo, the screenshot and the window
// options accept, what they refuse, and what they leave for others.

#include "appoptions.h"
#include "holeacceptance.h"

#include "appdir.h"
#include "ctrlinfo.h"
#include "startup.h"
#include "testsupport.h"
#include "winchaddress.h"

#include <QTextCodec>
#include <QTextStream>
#include <QtTest>

class TestAppOptions : public QObject {
    Q_OBJECT
private slots:
    void smallScreenWindow(); // first: the choice lasts for the run
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void acceptanceOptions_data();
    void acceptanceOptions();
    void namesByGbkLength_data();
    void namesByGbkLength();
    void commandLineNames_data();
    void commandLineNames();
    void namesRedecodedFromRawArguments();
    void optionStep_data();
    void optionStep();
    void earlyStep_data();
    void earlyStep();
    void readmeTableIsTheHelp();
};

namespace {
QStringList words(const QString &line)
{
    return QStringList{QStringLiteral("zpvw")} + line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The option step on args, typed in UTF-8; what it says goes to *err.
int optionStepOn(QStringList &args, QString *err)
{
    QList<QByteArray> raw;
    for (const QString &a : args)
        raw << a.toUtf8();
    AppOptions options;
    QTextStream errStream(err);
    return handleAppOptions(args, raw, &options, errStream);
}
}

void TestAppOptions::accepted_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("depthMm");
    QTest::addColumn<int>("moveMm");
    QTest::addColumn<int>("judgeMm"); // -1: no judgement
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("hole");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QStringList>("left"); // arguments left for others

    const QStringList none{QStringLiteral("zpvw")};
    QTest::newRow("defaults") << "--demo" << true << int(SampleModes::AutoRaise) << 2000 << 50 << -1
                              << "Demo" << "" << QSize() << none;
    QTest::newRow("paced 4 s") << "--demo --mode 4s --depth 1 --move 50" << true << int(SampleModes::Manual4)
                               << 1000 << 50 << -1 << "Demo" << "" << QSize() << none;
    QTest::newRow("equals form") << "--demo --mode=8s --depth=0.05 --move=10 --hole=H7" << true
                                 << int(SampleModes::Manual8) << 50 << 10 << -1 << "Demo" << "H7" << QSize()
                                 << none;
    QTest::newRow("deepest hole, judged at the top") << "--demo --depth 200 --judge 0 --mode manual" << true
                                                     << int(SampleModes::Manual) << 200000 << 50 << 0 << "Demo"
                                                     << "" << QSize() << none;
    // Metres to millimetres without binary rounding: 12.35 m is 12350 mm.
    QTest::newRow("decimal depth") << "--demo --depth 12.35 --judge 12.349 --mode 6s" << true
                                   << int(SampleModes::Manual6) << 12350 << 50 << 12349 << "Demo" << ""
                                   << QSize() << none;
    QTest::newRow("project") << "--demo --project 桥桩 --move 500" << true << int(SampleModes::AutoRaise) << 2000
                             << 500 << -1 << QStringLiteral("桥桩") << "" << QSize() << none;
    QTest::newRow("screenshot alone") << "--screenshot /tmp/a.png" << false << int(SampleModes::AutoRaise) << 2000
                                      << 50 << -1 << "Demo" << "" << QSize() << none;
    QTest::newRow("window") << "--window 1024x768" << false << int(SampleModes::AutoRaise) << 2000 << 50 << -1
                            << "Demo" << "" << QSize(1024, 768) << none;
    QTest::newRow("the toolkit's options stay")
        << "-platform offscreen --window 800x600 --style=fusion -reverse" << false << int(SampleModes::AutoRaise) << 2000
        << 50 << -1 << "Demo" << "" << QSize(800, 600)
        << QStringList{QStringLiteral("zpvw"), QStringLiteral("-platform"), QStringLiteral("offscreen"),
                       QStringLiteral("--style=fusion"), QStringLiteral("-reverse")};
}

void TestAppOptions::accepted()
{
    QFETCH(QString, line);
    QStringList args = words(line);
    AppOptions o;
    QString error;
    QVERIFY2(parseAppOptions(args, &o, &error), qPrintable(error));
    QTEST(o.demo, "demo");
    QTEST(o.modeCode, "mode");
    QTEST(o.depthMm, "depthMm");
    QTEST(o.moveMm, "moveMm");
    QFETCH(int, judgeMm);
    QCOMPARE(o.judge, judgeMm >= 0);
    if (judgeMm >= 0)
        QCOMPARE(o.judgeDepthMm, judgeMm);
    QTEST(o.project, "project");
    QTEST(o.hole, "hole");
    QTEST(o.window, "window");
    QTEST(args, "left");
}

void TestAppOptions::refused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("demo option alone") << "--depth 3" << "--depth needs --demo";
    QTest::newRow("missing value") << "--demo --hole" << "--hole needs a value";
    QTest::newRow("unknown option") << "--demo --frob" << "unknown option --frob";
    QTest::newRow("unknown option without the demo") << "--window 800x600 --frob" << "unknown option --frob";
    QTest::newRow("unknown short option") << "-x" << "unknown option -x";
    QTest::newRow("toolkit option's name with a value") << "--platform=offscreen --reverse=1" << "unknown option --reverse=1";
    QTest::newRow("stray argument") << "--screenshot a.png b.png" << "unexpected argument \"b.png\"";
    QTest::newRow("version report not first") << "--window 800x600 -V ver" << "unknown option -V";
    QTest::newRow("zero depth") << "--demo --depth 0" << "--depth \"0\"";
    QTest::newRow("too deep") << "--demo --depth 200.01" << "--depth \"200.01\"";
    QTest::newRow("three decimals") << "--demo --depth 1.005" << "--depth \"1.005\"";
    QTest::newRow("negative depth") << "--demo --depth -1" << "--depth \"-1\"";
    QTest::newRow("move not offered") << "--demo --move 75" << "--move \"75\"";
    QTest::newRow("unknown mode") << "--demo --mode fast" << "--mode \"fast\"";
    QTest::newRow("judged below the bottom") << "--demo --depth 1 --judge 1.001" << "deeper than the hole";
    QTest::newRow("folder in the name") << "--demo --hole a/b" << "folder separator";
    QTest::newRow("parent folder") << "--demo --project .." << "folder reference";
    QTest::newRow("no time") << "--demo --max-seconds 0" << "--max-seconds \"0\"";
    QTest::newRow("bad window") << "--window big" << "--window \"big\"";
    QTest::newRow("limit zero") << "--demo --limit 0" << "--limit \"0\"";
    QTest::newRow("limit in metres") << "--demo --limit 0.05" << "--limit \"0.05\"";
    QTest::newRow("unknown position") << "--demo --position Z" << "--position \"Z\"";
    QTest::newRow("two bases") << "--demo --basis GB --limit 50" << "two bases";
    QTest::newRow("basis without demo") << "--basis GB" << "--basis needs --demo";
}

void TestAppOptions::acceptanceOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("basis");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("position");
    QTest::newRow("none") << QStringList{"zpvw", "--demo"} << QString() << 0 << int(MeasuringPosition::Unnamed);
    QTest::newRow("table row, centre") << QStringList{"zpvw", "--demo", "--basis", QStringLiteral("JGJ 94 端承桩"), "--position", "centre"}
                                       << QStringLiteral("JGJ 94 端承桩") << 0 << int(MeasuringPosition::Centre);
    QTest::newRow("design value, Y'") << QStringList{"zpvw", "--demo", "--limit=80", "--position=Y'"} << QString() << 80
                                      << int(MeasuringPosition::YPrime);
}

void TestAppOptions::acceptanceOptions()
{
    QFETCH(QStringList, args);
    AppOptions o;
    QString error;
    QVERIFY2(parseAppOptions(args, &o, &error), qPrintable(error));
    QTEST(o.basis, "basis");
    QTEST(o.limitMm, "limit");
    QTEST(o.position, "position");
    QCOMPARE(args, QStringList{"zpvw"});
}

void TestAppOptions::refused()
{
    QFETCH(QString, line);
    QFETCH(QString, complaint);
    QStringList args = words(line);
    AppOptions o;
    o.project = QStringLiteral("untouched");
    QString error;
    QVERIFY(!parseAppOptions(args, &o, &error));
    QVERIFY2(error.contains(complaint), qPrintable(error));
    QCOMPARE(o.project, QStringLiteral("untouched"));
}

void TestAppOptions::namesByGbkLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("79 letters") << QString(79, QLatin1Char('a')) << true;
    QTest::newRow("80 letters") << QString(80, QLatin1Char('a')) << false;
    QTest::newRow("39 Chinese characters, 78 bytes") << QString(39, QChar(0x6869)) << true;
    QTest::newRow("40 Chinese characters, 80 bytes") << QString(40, QChar(0x6869)) << false;
    QTest::newRow("outside GBK") << QStringLiteral("H\u0e01") << false;
    QTest::newRow("blank at the end") << QStringLiteral("H1 ") << false;
}

void TestAppOptions::namesByGbkLength()
{
    QFETCH(QString, name);
    QTEST(isUsableDemoName(name, nullptr), "usable");
}

void TestAppOptions::commandLineNames_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("name");
    const QString bridge = QStringLiteral("跨江大桥");
    QTest::newRow("UTF-8 terminal") << bridge.toUtf8() << bridge;
    QTest::newRow("GBK terminal") << QTextCodec::codecForName("GBK")->fromUnicode(bridge) << bridge;
    // Three UTF-8 bytes, of which GBK would make one character and a stray.
    QTest::newRow("odd UTF-8 length") << QStringLiteral("桥").toUtf8() << QStringLiteral("桥");
    QTest::newRow("ASCII") << QByteArray("Z-17#") << QStringLiteral("Z-17#");
}

void TestAppOptions::commandLineNames()
{
    QTextCodec *before = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("GBK"));
    QFETCH(QByteArray, raw);
    const QString decoded = decodeCommandLineName(raw);
    QTextCodec::setCodecForLocale(before);
    QTEST(decoded, "name");
}

void TestAppOptions::namesRedecodedFromRawArguments()
{
    // As the program sees it: the locale is GBK, the terminal UTF-8, and the
    // toolkit took "-platform offscreen" out.
    QTextCodec *before = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("GBK"));
    const QString project = QStringLiteral("跨江大桥");
    const QString hole = QStringLiteral("桩1");
    const QList<QByteArray> raw{"zpvw",           "--demo", "-platform", "offscreen", "--screenshot",
                                "/tmp/a.png",     "--project", project.toUtf8(), ("--hole=" + hole.toUtf8()),
                                "--mode",         "manual"};
    QStringList args;
    for (const QByteArray &r : raw) {
        if (r != "-platform" && r != "offscreen")
            args << QString::fromLocal8Bit(r);
    }
    redecodeNameOptions(args, raw);
    AppOptions o;
    QString error;
    const bool parsed = parseAppOptions(args, &o, &error);
    QTextCodec::setCodecForLocale(before);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(o.project, project);
    QCOMPARE(o.hole, hole);
    QCOMPARE(o.screenshot, QStringLiteral("/tmp/a.png"));
}

void TestAppOptions::optionStep_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("env"); // ZPVW_WINCH, empty: unset
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("address"); // installed afterwards; "kept": left alone
    QTest::addColumn<QString>("error");
    const QString builtIn = builtInWinchAddress().toString();
    QTest::newRow("option") << QStringList{"zpvw", "--winch", "127.0.0.1:7", "--window", "800x600"} << QString()
                            << -1 << QStringLiteral("127.0.0.1:7") << QString();
    QTest::newRow("option wins") << QStringList{"zpvw", "--winch=127.0.0.1:7"} << QStringLiteral("127.0.0.1:8") << -1
                                 << QStringLiteral("127.0.0.1:7") << QString();
    QTest::newRow("environment") << QStringList{"zpvw"} << QStringLiteral("127.0.0.1:8") << -1
                                 << QStringLiteral("127.0.0.1:8") << QString();
    QTest::newRow("built in") << QStringList{"zpvw"} << QString() << -1 << builtIn << QString();
    QTest::newRow("malformed option") << QStringList{"zpvw", "--winch", "nowhere"} << QString() << 2
                                      << QStringLiteral("kept") << QStringLiteral("zpvw: ");
    QTest::newRow("malformed environment") << QStringList{"zpvw"} << QStringLiteral("127.0.0.1:0") << 2
                                           << QStringLiteral("kept") << QStringLiteral("zpvw: ");
    QTest::newRow("demo option without demo") << QStringList{"zpvw", "--depth", "3"} << QString() << 2
                                              << QStringLiteral("kept") << QStringLiteral("zpvw: --depth needs --demo");
    QTest::newRow("automatic demo, no address") << QStringList{"zpvw", "--demo"} << QString() << 2
                                                << QStringLiteral("kept")
                                                << QStringLiteral("the automatic mode needs the winch controller's address");
    QTest::newRow("manual demo, no address") << QStringList{"zpvw", "--demo", "--mode", "manual"} << QString() << -1
                                             << QString() << QString();
    QTest::newRow("manual demo, environment") << QStringList{"zpvw", "--demo", "--mode", "manual"}
                                              << QStringLiteral("127.0.0.1:8") << -1 << QStringLiteral("127.0.0.1:8")
                                              << QString();
}

// The option step: the winch address it installs (never the built-in one
// for a demo), the status the program ends with and what it says.
void TestAppOptions::optionStep()
{
    QFETCH(QStringList, args);
    QFETCH(QString, env);
    QFETCH(int, status);
    QFETCH(QString, address);
    QFETCH(QString, error);
    const QByteArray oldEnv = qgetenv("ZPVW_WINCH");
    const bool hadEnv = qEnvironmentVariableIsSet("ZPVW_WINCH");
    if (env.isEmpty())
        qunsetenv("ZPVW_WINCH");
    else
        qputenv("ZPVW_WINCH", env.toUtf8());
    const WinchAddress sentinel{QStringLiteral("before.invalid"), 1};
    setConfiguredWinchAddress(sentinel);
    QString err;
    const int got = optionStepOn(args, &err);
    const WinchAddress installed = configuredWinchAddress();
    if (hadEnv)
        qputenv("ZPVW_WINCH", oldEnv);
    else
        qunsetenv("ZPVW_WINCH");

    QCOMPARE(got, status);
    if (address == QLatin1String("kept"))
        QCOMPARE(installed.toString(), sentinel.toString());
    else if (address.isEmpty())
        QVERIFY2(installed.host.isEmpty(), qPrintable(installed.toString()));
    else
        QCOMPARE(installed.toString(), address);
    if (error.isEmpty()) {
        QVERIFY2(err.isEmpty(), qPrintable(err));
        QCOMPARE(args, QStringList{"zpvw"}); // every option taken out
    } else {
        QVERIFY2(err.contains(error), qPrintable(err));
        QVERIFY(err.endsWith(QLatin1Char('\n')));
    }
}

// "--window 800x600" gives the small-screen variant, as the folder 8.4 does;
// another size does not.
void TestAppOptions::smallScreenWindow()
{
    TestAppDir dir; // no folder 8.4 in it
    const auto step = [](const QString &line) {
        QStringList args = words(line);
        QString err;
        return optionStepOn(args, &err);
    };
    QVERIFY(!QKRVCommomUtils::isSmallScreen());
    QCOMPARE(step(QStringLiteral("--winch 127.0.0.1:9 --window 1024x768")), -1);
    QVERIFY(!QKRVCommomUtils::isSmallScreen());
    QCOMPARE(step(QStringLiteral("--winch 127.0.0.1:9 --window 800x600")), -1);
    QVERIFY(QKRVCommomUtils::isSmallScreen());
}

void TestAppOptions::earlyStep_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // a part of what it prints
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QStringLiteral("usage: zpvw") << QString();
    QTest::newRow("help among others") << QStringList{"--demo", "-h", "--frob"} << 0 << QStringLiteral("--max-seconds N")
                                       << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QStringLiteral("zpvw %1\n").arg(versionText())
                             << QString();
    QTest::newRow("unknown") << QStringList{"--window", "800x600", "--frob"} << 2 << QString()
                             << QStringLiteral("zpvw: unknown option --frob");
    QTest::newRow("malformed winch") << QStringList{"--winch", "nowhere"} << 2 << QString() << QStringLiteral("zpvw: ");
    QTest::newRow("malformed value") << QStringList{"--demo", "--depth", "0"} << 2 << QString()
                                     << QStringLiteral("zpvw: --depth \"0\"");
    QTest::newRow("a good line goes on") << QStringList{"-qws", "--winch", "127.0.0.1:9", "-platform", "offscreen",
                                                        "--demo", "--project", "桥桩", "--window", "800x600"}
                                         << -1 << QString() << QString();
    QTest::newRow("version report left to its step") << QStringList{"-V", "ver"} << -1 << QString() << QString();
}

// The step before anything starts: help and version, and every refusal.
void TestAppOptions::earlyStep()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QList<QByteArray> raw{"zpvw"};
    for (const QString &a : args)
        raw << a.toUtf8();
    QString printed, complaint;
    QTextStream outStream(&printed), errStream(&complaint);
    QCOMPARE(handleEarlyOptions(raw, outStream, errStream), status);
    if (out.isEmpty())
        QCOMPARE(printed, QString());
    else
        QVERIFY2(printed.contains(out), qPrintable(printed));
    if (err.isEmpty())
        QCOMPARE(complaint, QString());
    else
        QVERIFY2(complaint.startsWith(err) && complaint.endsWith(QLatin1Char('\n')), qPrintable(complaint));
}

// The README's option table and --help hold the same rows.
void TestAppOptions::readmeTableIsTheHelp()
{
    const QString readme = QString::fromUtf8(readFileBytes(QStringLiteral(ZPVW_SOURCE_DIR "/README.md")));
    const QString head = QStringLiteral("| option | default | meaning |\n|---|---|---|\n| `--help`");
    const int at = readme.indexOf(head);
    QVERIFY2(at >= 0, "the README has no option table starting with --help");
    QVector<AppOptionRow> rows;
    const QStringList lines = readme.mid(at).split(QLatin1Char('\n'));
    for (int i = 2; i < lines.size() && lines.at(i).startsWith(QLatin1Char('|')); ++i) {
        QString line = lines.at(i);
        line.replace(QStringLiteral("\\|"), QStringLiteral("\x01")).remove(QLatin1Char('`'));
        const QStringList cells = line.split(QLatin1Char('|'));
        QCOMPARE(cells.size(), 5);
        auto cell = [&cells](int n) { return cells.at(n).trimmed().replace(QLatin1Char('\x01'), QLatin1Char('|')); };
        rows.append(AppOptionRow{cell(1), cell(2), cell(3)});
    }
    const QVector<AppOptionRow> table = appOptionTable();
    QCOMPARE(rows.size(), table.size());
    const QString help = appHelpText();
    for (int i = 0; i < table.size(); ++i) {
        QCOMPARE(rows.at(i).option, table.at(i).option);
        QCOMPARE(rows.at(i).defaultValue, table.at(i).defaultValue);
        QCOMPARE(rows.at(i).meaning, table.at(i).meaning);
        QVERIFY2(help.contains(table.at(i).option) && help.contains(table.at(i).meaning), qPrintable(table.at(i).option));
    }
}

QTEST_GUILESS_MAIN(TestAppOptions)
#include "tst_appoptions.moc"
