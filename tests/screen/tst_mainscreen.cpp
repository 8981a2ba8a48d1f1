#include "acqstate.h"
#include "ctrlinfo.h"
#include "mainrules.h"
#include "mainstate.h"
#include "testsupport.h"

#include <QApplication>
#include <QtTest>

int runMainDialogTests(int argc, char **argv);

class TestMainRules : public QObject {
    Q_OBJECT
private slots:
    void enableTable_data();
    void enableTable();
    void textTable_data();
    void textTable();
    void judgeRule_data();
    void judgeRule();
    void sampleSteps_data();
    void sampleSteps();

    void rangeLadder_data();
    void rangeLadder();
    void paceSetup_data();
    void paceSetup();
    void paceTicks();
    void screenSaverLevels();
    void resampleOffer_data();
    void resampleOffer();
    void leakPointNumbers();
    void reviewedHoleNames_data();
    void reviewedHoleNames();
};

void TestMainRules::enableTable_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("expected"); // set sample new file/quit move
    QTest::newRow("idle after reset") << 0xF0000004u << true << "11110";
    QTest::newRow("idle") << 0xF0000000u << true << "11110";
    QTest::newRow("file shown") << 0xF4000000u << true << "00001";
    QTest::newRow("reading") << 0xF6000000u << true << "01100";
    QTest::newRow("reading paused") << 0xF6000004u << true << "11110";
    QTest::newRow("bottom") << 0xF7000000u << true << "01001";
    QTest::newRow("bottom paused") << 0xF7000004u << true << "01011";
    QTest::newRow("raising") << 0xFA000000u << true << "01101";
    QTest::newRow("raising leak") << 0xFA000001u << true << "01101";
    QTest::newRow("raising paused") << 0xFA000004u << true << "01101";
    QTest::newRow("end") << 0xABCD0000u << true << "11110";
    QTest::newRow("unknown code") << 0x12340000u << false << "";
}

void TestMainRules::enableTable()
{
    QFETCH(uint, word);
    QFETCH(bool, known);
    QFETCH(QString, expected);
    MainButtonEnable e;
    e.set = e.sample = e.newTest = e.fileAndQuit = e.move = true;
    QCOMPARE(mainButtonEnableForState(word, &e), known);
    if (!known)
        return;
    const QString got = QString("%1%2%3%4%5").arg(int(e.set)).arg(int(e.sample)).arg(int(e.newTest))
                            .arg(int(e.fileAndQuit)).arg(int(e.move));
    QCOMPARE(got, expected);
}

static QString textOrDash(const char *t) { return t ? QString::fromUtf8(t) : QStringLiteral("-"); }

void TestMainRules::textTable_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("sampleText");
    QTest::addColumn<QString>("moveText");
    QTest::newRow("end") << 0xABCD0000u << "新存" << "采样" << "移点";
    QTest::newRow("idle") << 0xF0000004u << "新存" << "采样" << "-";
    QTest::newRow("reading") << 0xF6000000u << "-" << "暂停" << "-";
    QTest::newRow("reading paused") << 0xF6000004u << "-" << "采样" << "-";
    QTest::newRow("bottom") << 0xF7000000u << "测试完成" << "暂停" << "移点";
    QTest::newRow("bottom paused") << 0xF7000004u << "测试完成" << "采样" << "重采";
    QTest::newRow("raising") << 0xFA000000u << "测试完成" << "暂停" << "移点";
    QTest::newRow("raising leak is the running row") << 0xFA000001u << "测试完成" << "暂停" << "移点";
    QTest::newRow("raising paused") << 0xFA000004u << "测试完成" << "采样" << "重采";
    QTest::newRow("file shown") << 0xF4000000u << "-" << "-" << "-";
}

void TestMainRules::textTable()
{
    QFETCH(uint, word);
    QFETCH(QString, newText);
    QFETCH(QString, sampleText);
    QFETCH(QString, moveText);
    const MainButtonTexts t = mainButtonTextsForState(word);
    QCOMPARE(textOrDash(t.newTest), newText);
    QCOMPARE(textOrDash(t.sample), sampleText);
    QCOMPARE(textOrDash(t.move), moveText);
    // The move button's resample case is the table's, never its text's.
    QCOMPARE(moveButtonResamples(word), moveText == QStringLiteral("重采"));
}

void TestMainRules::judgeRule_data()
{
    QTest::addColumn<bool>("review");
    QTest::addColumn<uint>("word");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("review") << true << 0xF4000000u << true;
    QTest::newRow("raising leak") << false << 0xFA000001u << true;
    QTest::newRow("raising") << false << 0xFA000000u << false;
    QTest::newRow("raising paused") << false << 0xFA000004u << false;
    QTest::newRow("bottom with bit 0") << false << 0xF7000001u << false;
    QTest::newRow("idle") << false << 0xF0000004u << false;
}

void TestMainRules::judgeRule()
{
    QFETCH(bool, review);
    QFETCH(uint, word);
    QFETCH(bool, enabled);
    QCOMPARE(judgeEnabled(review, word), enabled);
}

void TestMainRules::sampleSteps_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("sendOperation");
    QTest::addColumn<uint>("newState");
    QTest::addColumn<int>("threadOp");
    QTest::newRow("idle starts") << 0xF0000004u << int(SampleButtonStep::ChangeState) << true << 0xF6000000u
                                 << int(SampleThreadOp::Start);
    QTest::newRow("reading pauses") << 0xF6000000u << int(SampleButtonStep::ChangeState) << false << 0xF6000004u
                                    << int(SampleThreadOp::Pause);
    QTest::newRow("reading continues") << 0xF6000004u << int(SampleButtonStep::ChangeState) << false << 0xF6000000u
                                       << int(SampleThreadOp::Resume);
    QTest::newRow("bottom pauses") << 0xF7000000u << int(SampleButtonStep::ChangeState) << false << 0xF7000004u
                                   << int(SampleThreadOp::Pause);
    QTest::newRow("bottom continues") << 0xF7000004u << int(SampleButtonStep::ChangeState) << true << 0xF7000000u
                                      << int(SampleThreadOp::ResumeOrStart);
    QTest::newRow("raising pauses") << 0xFA000000u << int(SampleButtonStep::ChangeState) << false << 0xFA000004u
                                    << int(SampleThreadOp::Pause);
    QTest::newRow("raising pause drops the leak bit") << 0xFA000001u << int(SampleButtonStep::ChangeState) << false
                                                      << 0xFA000004u << int(SampleThreadOp::Pause);
    QTest::newRow("raising continues") << 0xFA000004u << int(SampleButtonStep::ChangeState) << true << 0xFA000000u
                                       << int(SampleThreadOp::Resume);
    QTest::newRow("file closes") << 0xF4000000u << int(SampleButtonStep::CloseFile) << false << 0u
                                 << int(SampleThreadOp::None);
    QTest::newRow("end does nothing") << 0xABCD0000u << int(SampleButtonStep::Nothing) << false << 0u
                                      << int(SampleThreadOp::None);
}

void TestMainRules::sampleSteps()
{
    QFETCH(uint, word);
    QFETCH(int, kind);
    QFETCH(bool, sendOperation);
    QFETCH(uint, newState);
    QFETCH(int, threadOp);
    const SampleButtonStep s = sampleButtonStep(word);
    QCOMPARE(int(s.kind), kind);
    QCOMPARE(s.sendOperation, sendOperation);
    if (s.kind == SampleButtonStep::ChangeState)
        QCOMPARE(uint(s.newState), newState);
    QCOMPARE(int(s.threadOp), threadOp);
    QCOMPARE(s.startsReading, AcqState::code(word) == AcqState::Idle);
}

void TestMainRules::rangeLadder_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<float>("largest");
    QTest::addColumn<int>("expected");
    QTest::newRow("55 over 50") << 50 << 55.0f << 60;
    QTest::newRow("exactly 50") << 50 << 50.0f << 50;
    QTest::newRow("3500") << 50 << 3500.0f << 4000;
    QTest::newRow("5000") << 50 << 5000.0f << 4000;
    QTest::newRow("never lowered") << 800 << 12.0f << 800;
    QTest::newRow("800 raised to 1000") << 800 << 801.0f << 1000;
    QTest::newRow("just above 700") << 100 << 700.5f << 1000;
    QTest::newRow("exactly 3000") << 50 << 3000.0f << 3000;
}

void TestMainRules::rangeLadder()
{
    QFETCH(int, range);
    QFETCH(float, largest);
    QFETCH(int, expected);
    QCOMPARE(adaptedCurveRange(range, largest), expected);
}

void TestMainRules::paceSetup_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("move");
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("visible");
    QTest::newRow("auto") << int(SampleModes::AutoRaise) << 50 << 0 << 0 << false;
    QTest::newRow("wireless") << int(SampleModes::Wireless) << 50 << 0 << 0 << false;
    QTest::newRow("manual") << int(SampleModes::Manual) << 50 << 0 << 1 << true;
    QTest::newRow("4s/m") << int(SampleModes::Manual4) << 100 << 400 << 1 << true;
    QTest::newRow("6s/m") << int(SampleModes::Manual6) << 50 << 300 << 1 << true;
    QTest::newRow("8s/m") << int(SampleModes::Manual8) << 10 << 80 << 1 << true;
    QTest::newRow("unknown: the winch, as the acquisition decides") << -1 << 50 << 0 << 0 << false;
}

void TestMainRules::paceSetup()
{
    QFETCH(int, mode);
    QFETCH(int, move);
    QFETCH(int, interval);
    QFETCH(int, channel);
    QFETCH(bool, visible);
    const PaceSetup p = paceSetupForMode(mode, move);
    QCOMPARE(p.intervalMs, interval);
    QCOMPARE(int(p.deviceChannel), channel);
    QCOMPARE(p.moveVisible, visible);
    // The screen steps by hand exactly where the acquisition reads the device.
    QCOMPARE(p.moveVisible, SampleModes::isManual(mode));
}

void TestMainRules::paceTicks()
{
    int32_t ticks = 0;
    QList<int> moves;
    for (int tick = 1; tick <= 20; ++tick) {
        if (paceTickMoves(ticks))
            moves << tick;
    }
    QCOMPARE(moves, (QList<int>{3, 6, 9, 12, 15, 16, 17, 18, 19, 20}));
    QCOMPARE(ticks, 16);
}

void TestMainRules::screenSaverLevels()
{
    int32_t idle = 0;
    QList<int> levels;
    for (int second = 1; second <= 75; ++second)
        levels << screenSaverIdleTick(idle, 60, 10);
    for (int second = 1; second <= 60; ++second)
        QCOMPARE(levels.at(second - 1), -1);
    for (int second = 61; second <= 69; ++second)
        QCOMPARE(levels.at(second - 1), 70 - second);
    QCOMPARE(levels.at(69), 1);
    for (int second = 71; second <= 75; ++second)
        QCOMPARE(levels.at(second - 1), -1);
    QCOMPARE(idle, 70);

    idle = 5;
    QCOMPARE(screenSaverIdleTick(idle, 0, 7), 7);
}

void TestMainRules::resampleOffer_data()
{
    QTest::addColumn<int>("heightCm");
    QTest::addColumn<int>("offer");
    QTest::newRow("300 cm up") << 300 << 1710;
    QTest::newRow("at the bottom: capped") << 0 << 2000;
    QTest::newRow("one step up") << 5 << 2000;
    QTest::newRow("two steps up") << 10 << 2000;
    QTest::newRow("three steps up") << 15 << 1995;
}

void TestMainRules::resampleOffer()
{
    QFETCH(int, heightCm);
    QFETCH(int, offer);
    QCOMPARE(resampleOfferCm(20000, 50, heightCm), offer);
    QCOMPARE(heightForDepthCm(20000, offer), 2000 - offer);
}

void TestMainRules::leakPointNumbers()
{
    const LeakResample r = leakResampleRange(20000, 18500, 50);
    QCOMPARE(r.minDepthCm, 150);
    QCOMPARE(r.initialDepthCm, 160);
    QCOMPARE(manualLeakMessage(20000, 18000, 18500),
             QStringLiteral("出现漏点！当前高度：200cm， 漏点高度：150cm，请点击重采按钮！"));
    QCOMPARE(manualLeakMessage(20000, 18005, 18500),
             QStringLiteral("出现漏点！当前高度：199.5cm， 漏点高度：150cm，请点击重采按钮！"));
    const LeakResample bottom = leakResampleRange(20000, 30, 50);
    QCOMPARE(bottom.minDepthCm, 1997);
    QCOMPARE(bottom.initialDepthCm, 2000);
}

void TestMainRules::reviewedHoleNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("upper case") << "/d/P/A12.CZO" << "A12";
    QTest::newRow("lower case") << "/d/P/a12.czo" << "a12";
    QTest::newRow("mixed case") << "/d/P/a12.Czo" << "a12";
    QTest::newRow("extension inside the name stays") << "/d/P/X.CZOb.CZO" << "X.CZOb";
    QTest::newRow("twice: only the last goes") << "/d/P/B.czo.CZO" << "B.czo";
    QTest::newRow("no extension") << "/d/P/B7" << "B7";
    QTest::newRow("folder with the extension") << "/d/P.CZO/C1.CZO" << "C1";
    QTest::newRow("bare file name") << "D2.czo" << "D2";
}

void TestMainRules::reviewedHoleNames()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(reviewedHoleName(path), name);
}

// Runs the rule tests, then the dialog tests. With "--dialog" or "--rules"
// as first argument only that half runs, with the remaining arguments
// (function names, QtTest options).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QByteArray only;
    if (argc > 1 && (qstrcmp(argv[1], "--dialog") == 0 || qstrcmp(argv[1], "--rules") == 0)) {
        only = argv[1];
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    int failures = 0;
    if (only != "--dialog") {
        TestMainRules rules;
        failures += QTest::qExec(&rules, argc, argv);
    }
    if (only != "--rules")
        failures += runMainDialogTests(argc, argv);
    return failures == 0 ? 0 : 1;
}

#include "tst_mainscreen.moc"
