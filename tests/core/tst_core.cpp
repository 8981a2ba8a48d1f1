#include "acqstate.h"
#include "batteryconfig.h"
#include "appdir.h"
#include "ctrlinfo.h"
#include "platform.h"
#include "startup.h"
#include "sysconfig.h"
#include "testsupport.h"

#include <QDataStream>
#include <QDir>
#include <QProcess>
#include <QTextCodec>
#include <QTranslator>
#include <QtTest>

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void init() { resetSysBaseConfig(); batteryModel = 0; batteryThresholds.clear(); }

    void versionReportWritesStreamVersion7();
    void versionReportFromBinary();
    void siblingStopDecidedByRawThirdEntry_data();
    void siblingStopDecidedByRawThirdEntry();
    void siblingStopNeedsMarker();
    void versionModeUsesReducedList();
    void toolkitArgumentsWithoutQws_data();
    void toolkitArgumentsWithoutQws();
    void englishInstallConditions();
    void catalogueTranslatesModes();

    void sysBaseConfig_data();
    void sysBaseConfig();
    void sysBaseConfigMissingFile();

    void batteryDefaultFileCreated();
    void batteryNodeSelection_data();
    void batteryNodeSelection();
    void batteryBrokenFilesLeaveValues_data();
    void batteryBrokenFilesLeaveValues();

    void ctrlInfoDefaults();
    void ctrlInfoFullCopy();
};

void TestCore::versionReportWritesStreamVersion7()
{
    TestAppDir dir;
    QVERIFY(writeVersionReport(QStringLiteral("ver")));
    QFile f(dir.file(QStringLiteral("ver.KRV")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    // Version 7 QString: 32-bit big-endian byte length, then UTF-16BE.
    QByteArray expected;
    QDataStream s(&expected, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_4_0);
    s << QStringLiteral("V2.0.230308");
    QCOMPARE(bytes, expected);
    QCOMPARE(bytes.left(4), QByteArray::fromHex("00000016"));
    QCOMPARE(bytes.mid(4, 2), QByteArray("\0V", 2));
}

void TestCore::versionReportFromBinary()
{
    TestAppDir dir;
    const QString exe = testBinDir() + QStringLiteral("/zpvw");
    QVERIFY2(QFile::exists(exe), qPrintable(exe));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZPVW_APP_DIR"), dir.path());
    env.insert(QStringLiteral("ZPVW_ROOT_DIR"), dir.rootPath());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(exe, {QStringLiteral("-V"), QStringLiteral("ver"), QStringLiteral("-qws")});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QFile f(dir.file(QStringLiteral("ver.KRV")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QDataStream in(&f);
    in.setVersion(QDataStream::Qt_4_0);
    QString text;
    in >> text;
    QCOMPARE(text, QStringLiteral("V2.0.230308"));
}

void TestCore::siblingStopDecidedByRawThirdEntry_data()
{
    QTest::addColumn<QStringList>("raw");
    QTest::addColumn<bool>("stop");
    QTest::newRow("version mode") << QStringList{"zpvw", "-V", "ver", "-qws"} << true;
    QTest::newRow("third is -V") << QStringList{"zpvw", "x", "-V", "-qws"} << false;
    QTest::newRow("third is padded -V") << QStringList{"zpvw", "x", " -V ", "-qws"} << false;
    QTest::newRow("plain start") << QStringList{"zpvw", "-qws"} << true;
    QTest::newRow("only program") << QStringList{"zpvw"} << true;
    // Console commands print or send and exit: a running test goes on.
    QTest::newRow("device id") << QStringList{"zpvw", "--device"} << false;
    QTest::newRow("sync") << QStringList{"zpvw", "--sync", "--archive-url", "https://127.0.0.1:9/"} << false;
}

void TestCore::siblingStopDecidedByRawThirdEntry()
{
    QFETCH(QStringList, raw);
    QFETCH(bool, stop);
    TestAppDir dir;
    QVERIFY(writeFileBytes(dir.rootPath() + QStringLiteral("/IsEnableKill"), QByteArray()));
    ScopedCommandRecorder rec;
    stopSiblingPrograms(raw);
    const QList<QStringList> expected = stop
        ? QList<QStringList>{{"pkill", "-f", "/opt/ZPVD -qws"}, {"pkill", "-f", "/opt/ZPVC -qws"}}
        : QList<QStringList>{};
    QCOMPARE(rec.recorder.calls(), expected);
}

void TestCore::siblingStopNeedsMarker()
{
    TestAppDir dir;
    ScopedCommandRecorder rec;
    stopSiblingPrograms({"zpvw", "-qws"});
    QVERIFY(rec.recorder.calls().isEmpty());
}

void TestCore::versionModeUsesReducedList()
{
    const QStringList reduced = withoutQwsOption({"zpvw", "-qws", "-V", "ver"});
    QCOMPARE(reduced, (QStringList{"zpvw", "-V", "ver"}));
    QVERIFY(isVersionReportMode(reduced));
    QVERIFY(!isVersionReportMode(withoutQwsOption({"zpvw", "x", "-V", "-qws"})));
    QVERIFY(!isVersionReportMode({"zpvw", "-V"}));
    QVERIFY(isVersionReportMode({"zpvw", " -V", "name"}));
}

void TestCore::toolkitArgumentsWithoutQws_data()
{
    QTest::addColumn<QList<QByteArray>>("argv");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("board start") << QList<QByteArray>{"/opt/zpvw", "-qws"} << QStringList{"/opt/zpvw"};
    QTest::newRow("every -qws") << QList<QByteArray>{"zpvw", "-qws", "-V", "-qws", "ver"}
                                << QStringList{"zpvw", "-V", "ver"};
    QTest::newRow("program named -qws") << QList<QByteArray>{"-qws", "--demo"} << QStringList{"-qws", "--demo"};
    QTest::newRow("only the exact word") << QList<QByteArray>{"zpvw", "-qwsx", " -qws", "--qws"}
                                         << QStringList{"zpvw", "-qwsx", " -qws", "--qws"};
    QTest::newRow("no arguments") << QList<QByteArray>{} << QStringList{};
}

// What the toolkit is handed: the same entries as withoutQwsOption keeps,
// as a count and a null-terminated array whose texts stay put.
void TestCore::toolkitArgumentsWithoutQws()
{
    QFETCH(QList<QByteArray>, argv);
    QFETCH(QStringList, kept);
    std::vector<QByteArray> storage(argv.begin(), argv.end());
    std::vector<char *> raw;
    for (QByteArray &a : storage)
        raw.push_back(a.data());
    raw.push_back(nullptr);
    const QStringList byListRule = withoutQwsOption(rawArguments(int(storage.size()), raw.data()));
    ArgumentsWithoutQws args(int(storage.size()), raw.data());
    for (QByteArray &a : storage)
        a.fill('#'); // the kept texts must not point into the caller's
    QCOMPARE(byListRule, kept);
    QCOMPARE(args.argc(), kept.size());
    QCOMPARE(args.texts(), kept);
    QStringList fromArgv;
    for (int i = 0; i < args.argc(); ++i)
        fromArgv << QString::fromLocal8Bit(args.argv()[i]);
    QCOMPARE(fromArgv, kept);
    QCOMPARE(args.argv()[args.argc()], static_cast<char *>(nullptr));
}

void TestCore::englishInstallConditions()
{
    TestAppDir dir;
    language = 0;
    QVERIFY(!shouldInstallEnglish());
    language = 1;
    QVERIFY(shouldInstallEnglish());
    language = 0;
    QVERIFY(QDir().mkpath(dir.file(QStringLiteral("English.language"))));
    QVERIFY(shouldInstallEnglish());
}

void TestCore::catalogueTranslatesModes()
{
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(":/Language/English.qm")));
    QCoreApplication::installTranslator(&tr);
    QCOMPARE(SampleModes::text(SampleModes::Manual), QStringLiteral("Manual"));
    // The earlier misspelling, as files written with it hold it.
    QCOMPARE(SampleModes::codeOf(QStringLiteral("Manaul")), int(SampleModes::Manual));
    QCOMPARE(SampleModes::text(SampleModes::Wireless), QStringLiteral("Wireless"));
    QCOMPARE(SampleModes::codeOf(QStringLiteral("手动(6s/m)")), int(SampleModes::Manual6));
    QCOMPARE(SampleModes::codeOf(QStringLiteral("Manual(6s/m)")), int(SampleModes::Manual6));
    QVERIFY(!SampleModes::isManual(SampleModes::codeOf(QStringLiteral("Auto-Raise"))));
    QStringList english;
    for (int code = 0; code <= SampleModes::Wireless; ++code)
        english << SampleModes::text(code);
    QCoreApplication::removeTranslator(&tr);
    QCOMPARE(SampleModes::text(SampleModes::Manual), QStringLiteral("手动提升"));
    QVERIFY(SampleModes::isManual(SampleModes::codeOf(QStringLiteral("手动(4s/m)"))));
    // A text stored while English was on show is still known in Chinese.
    for (int code = 0; code <= SampleModes::Wireless; ++code)
        QCOMPARE(SampleModes::codeOf(english.at(code)), code);
    QCOMPARE(SampleModes::codeOf(QStringLiteral("bogus")), -1);
    QCOMPARE(SampleModes::codeOf(QString()), -1);
}

void TestCore::sysBaseConfig_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("values"); // language, style, light, bMeasure, deviceType, level
    QTest::addColumn<QString>("debugLine");
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n";
    QTest::newRow("full") << decl + "<KRV_CONFIG><SysBaseConfigParam><language>1</language><style>1</style>"
                             "<light>3</light><bMeasure>true</bMeasure><DeviceType>5</DeviceType>"
                             "<screensaverLevel>2</screensaverLevel></SysBaseConfigParam></KRV_CONFIG>"
                          << true << QList<int>{1, 1, 3, 1, 5, 2} << QString();
    QTest::newRow("any order, nested deeper")
        << decl + "<KRV_CONFIG><a><SysBaseConfigParam><x><screensaverLevel>3</screensaverLevel></x>"
                  "<style>1</style></SysBaseConfigParam></a></KRV_CONFIG>"
        << true << QList<int>{0, 1, 7, 0, 0, 3} << QString();
    QTest::newRow("TRUE in capitals is false")
        << decl + "<KRV_CONFIG><SysBaseConfigParam><bMeasure>TRUE</bMeasure></SysBaseConfigParam></KRV_CONFIG>"
        << true << QList<int>{0, 0, 7, 0, 0, 4} << QString();
    QTest::newRow("empty light keeps 7")
        << decl + "<KRV_CONFIG><SysBaseConfigParam><light></light><language>abc</language></SysBaseConfigParam></KRV_CONFIG>"
        << true << QList<int>{0, 0, 7, 0, 0, 4} << QString();
    QTest::newRow("wrong root") << decl + "<OTHER><SysBaseConfigParam><style>1</style></SysBaseConfigParam></OTHER>"
                                << false << QList<int>{0, 0, 7, 0, 0, 4} << QStringLiteral("no tag KRV_CONFIG");
    QTest::newRow("not xml") << QByteArray("<KRV_CONFIG><unclosed>") << false << QList<int>{0, 0, 7, 0, 0, 4}
                             << QStringLiteral("set content failed");
    QTest::newRow("no param element") << decl + "<KRV_CONFIG><style>1</style></KRV_CONFIG>" << false
                                      << QList<int>{0, 0, 7, 0, 0, 4} << QString();
}

void TestCore::sysBaseConfig()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QList<int>, values);
    QFETCH(QString, debugLine);
    TestAppDir dir;
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("SysBaseConfig.INI")), content));
    if (!debugLine.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, debugLine.toLatin1().constData());
    QCOMPARE(QKRVCommomUtils::loadSysBaseConfig(), ok);
    QCOMPARE((QList<int>{language, style, light, bMeasure, deviceType, screensaverLevel}), values);
}

void TestCore::sysBaseConfigMissingFile()
{
    TestAppDir dir;
    QTest::ignoreMessage(QtDebugMsg, "open ini failed");
    QVERIFY(!QKRVCommomUtils::loadSysBaseConfig());
    QCOMPARE(light, 7);
    QCOMPARE(screensaverSecondsForLevel(2), 300);
    QCOMPARE(screensaverSecondsForLevel(4), 0);
}

void TestCore::batteryDefaultFileCreated()
{
    TestAppDir dir;
    QVERIFY(loadBatteryConfig());
    QVERIFY(batteryThresholds.isEmpty());
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n"
                                "<KRV_CONFIG>\n"
                                "   <BatteryConfigParam/>\n"
                                "   <SetConfig>\n"
                                "      <BatterySet>0</BatterySet>\n"
                                "   </SetConfig>\n"
                                "</KRV_CONFIG>\n";
    QCOMPARE(readFileBytes(dir.file(QStringLiteral("othersetinfo.xml"))), expected);
}

void TestCore::batteryNodeSelection_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<int>>("list");
    QTest::newRow("empty part and trailing comma")
        << QByteArray("<SetConfig><BatterySet>1</BatterySet></SetConfig><BatteryConfigParam>"
                      "<BatteryNode id=\"1\">3700,3600,,3400,</BatteryNode></BatteryConfigParam>")
        << 1 << QList<int>{3700, 3600, 0, 3400, 0};
    QTest::newRow("first matching id wins")
        << QByteArray("<SetConfig><BatterySet>2</BatterySet></SetConfig><BatteryConfigParam>"
                      "<BatteryNode id=\"1\">1</BatteryNode><BatteryNode id=\"2\">2, 3</BatteryNode>"
                      "<BatteryNode id=\"2\">9</BatteryNode></BatteryConfigParam>")
        << 2 << QList<int>{2, 3};
    QTest::newRow("node without id is model 0")
        << QByteArray("<SetConfig><BatterySet></BatterySet></SetConfig><BatteryConfigParam>"
                      "<BatteryNode id=\"3\">1</BatteryNode><BatteryNode>5,6</BatteryNode></BatteryConfigParam>")
        << 0 << QList<int>{5, 6};
    QTest::newRow("no matching node") << QByteArray("<SetConfig><BatterySet>7</BatterySet></SetConfig>"
                                                    "<BatteryConfigParam><BatteryNode id=\"1\">1</BatteryNode>"
                                                    "</BatteryConfigParam>")
                                      << 7 << QList<int>{};
}

void TestCore::batteryNodeSelection()
{
    QFETCH(QByteArray, body);
    QFETCH(int, model);
    QFETCH(QList<int>, list);
    TestAppDir dir;
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("othersetinfo.xml")),
                           "<?xml version=\"1.0\" encoding=\"GB2312\" ?><KRV_CONFIG>" + body + "</KRV_CONFIG>"));
    batteryThresholds = {42};
    QVERIFY(loadBatteryConfig());
    QCOMPARE(batteryModel, model);
    QCOMPARE(batteryThresholds, list);
}

void TestCore::batteryBrokenFilesLeaveValues_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::newRow("not xml") << QByteArray("<KRV_CONFIG>") << false;
    QTest::newRow("wrong root") << QByteArray("<X><SetConfig><BatterySet>3</BatterySet></SetConfig></X>") << false;
    QTest::newRow("no param list") << QByteArray("<KRV_CONFIG/>") << true;
}

void TestCore::batteryBrokenFilesLeaveValues()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    TestAppDir dir;
    QVERIFY(writeFileBytes(dir.file(QStringLiteral("othersetinfo.xml")), content));
    batteryModel = 4;
    batteryThresholds = {1, 2};
    QCOMPARE(loadBatteryConfig(), ok);
    QCOMPARE(batteryModel, 4);
    QCOMPARE(batteryThresholds, (QList<int32_t>{1, 2}));
}

void TestCore::ctrlInfoDefaults()
{
    CtrlInfo c;
    QCOMPARE(c.holeNo.get(), QStringLiteral("1#"));
    QCOMPARE(int(c.maxDepth), 20000);
    QCOMPARE(int(c.holeDepth), 20000);
    QCOMPARE(int(c.moveDistance), 50);
    QCOMPARE(int(c.holeDiameter), 2000);
    QCOMPARE(int(c.wheelD), 63);
    QCOMPARE(int(c.lineD), 7);
    QCOMPARE(int(c.sampleMode), int(SampleModes::AutoRaise));
    QCOMPARE(c.paramVersion.get(), QStringLiteral("1.0.020151030"));
    QCOMPARE(c.dataDirName.get(), QStringLiteral("ZPV_CZL-FILE"));
    QCOMPARE(c.colors[6].argb(), 0xffd2d7fdu);
    QCOMPARE(c.colors[8].argb(), 0xffff0000u);
    QCOMPARE(c.colors[0].argb(), 0xffffffffu);
    QCOMPARE(c.colors[2].argb(), 0xff000000u);
    QCOMPARE(c.fonts[1], streamedFont(QStringLiteral("yaheikr"), 28));
    QCOMPARE(c.fonts[7], streamedFont(QStringLiteral("yaheikr"), 11));
    QCOMPARE(c.testDate.get(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(c.testTime.get().size(), 8);

    c.holeQuality = 1;
    c.sedimentThickness = 35;
    c.holeNo = QStringLiteral("A-9");
    c.resetToDefaults();
    QCOMPARE(c.holeNo.get(), QStringLiteral("1#"));
    QCOMPARE(int(c.holeQuality), 1); // judgement results survive a reset
    QCOMPARE(int(c.sedimentThickness), 35);
}

void TestCore::ctrlInfoFullCopy()
{
    CtrlInfo a;
    a.projectName = QStringLiteral("工程甲");
    a.sampleMode = SampleModes::Manual8;
    a.colors[3] = StoredColor::rgb(1, 2, 3);
    a.fonts[2] = streamedFont(QStringLiteral("Serif"), 9);
    a.spareValue1 = 1.5f;
    a.wheelD = 80;
    a.layerTableB[4].text = QStringLiteral("carried");
    CtrlInfo b;
    b = a;
    QCOMPARE(b.projectName.get(), QStringLiteral("工程甲"));
    QCOMPARE(int(b.sampleMode), int(SampleModes::Manual8));
    QCOMPARE(b.colors[3], StoredColor::rgb(1, 2, 3));
    QCOMPARE(b.fonts[2], streamedFont(QStringLiteral("Serif"), 9));
    QCOMPARE(float(b.spareValue1), 1.5f);
    QCOMPARE(int(b.wheelD), 80);
    QCOMPARE(b.layerTableB[4].text, QStringLiteral("carried"));
    a.projectName = QStringLiteral("changed");
    QCOMPARE(b.projectName.get(), QStringLiteral("工程甲"));
}

QTEST_MAIN(TestCore)
#include "tst_core.moc"
