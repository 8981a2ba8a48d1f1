// The rules of one acquisition cycle, without threads or sleeps: a table of
// single cycles, then short sequences of cycles carried out on the real
// sample list and state word.

#include "acqcycle.h"
#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "testrecord.h"
#include "testsupport.h"

#include <QLoggingCategory>
#include <QtTest>

namespace {
QString hex(uint32_t w) { return QString::number(w, 16).toUpper().rightJustified(8, QLatin1Char('0')); }

QString formatOps(const QVector<AcqSampleOp> &ops)
{
    QStringList out;
    for (const AcqSampleOp &o : ops) {
        switch (o.kind) {
        case AcqSampleOp::Append: out << QStringLiteral("A%1").arg(o.height); break;
        case AcqSampleOp::ReplaceLast: out << QStringLiteral("R%1").arg(o.height); break;
        case AcqSampleOp::RemoveAbove: out << QStringLiteral("X%1/%2").arg(o.height).arg(o.step); break;
        case AcqSampleOp::AppendTopIfNeeded: out << QStringLiteral("T%1").arg(o.height); break;
        case AcqSampleOp::Remeasure: out << QStringLiteral("M%1").arg(o.height); break;
        }
    }
    return out.join(QLatin1Char(' '));
}

QString formatNotices(const QVector<AcqNotice> &notices)
{
    QStringList out;
    for (const AcqNotice &n : notices) {
        switch (n.kind) {
        case AcqNotice::UpdateWaveData: out << QStringLiteral("wave(%1,%2)").arg(n.a).arg(n.b); break;
        case AcqNotice::BtnTextByState: out << QStringLiteral("text(%1)").arg(hex(uint32_t(n.a))); break;
        case AcqNotice::HandleLeakPoint: out << QStringLiteral("leak(%1,%2)").arg(n.a).arg(n.b); break;
        case AcqNotice::HandleCurHeightLeakPoint: out << QStringLiteral("cur(%1,%2)").arg(n.a).arg(n.b); break;
        case AcqNotice::HandleQuitLeakPoint: out << QStringLiteral("quit"); break;
        case AcqNotice::QueryThreadFinish: out << QStringLiteral("finish(%1)").arg(n.a); break;
        case AcqNotice::RaiseBegunEvent: out << QStringLiteral("ev1004"); break;
        }
    }
    return out.join(QLatin1Char(' '));
}

QString formatFlags(const AcqCycleResult &r)
{
    QStringList out;
    if (r.reinitDevice) out << QStringLiteral("reinit");
    if (r.clearNeedZeroHeight) out << QStringLiteral("clearZero");
    if (r.clearNeedStepHeight) out << QStringLiteral("clearStep");
    if (r.clearFinishSent) out << QStringLiteral("clearFinish");
    if (r.setFinishSent) out << QStringLiteral("setFinish");
    if (r.setEndReached) out << QStringLiteral("setEnd");
    if (r.stopThread) out << QStringLiteral("stop");
    if (r.waveReadBeforeSamples) out << QStringLiteral("waveFirst");
    return out.join(QLatin1Char(' '));
}

// One cycle: what goes in and what must come out.
struct CycleCase {
    const char *name;
    uint32_t state;
    int md, hole, maxd;
    int exp, old, catchUp;
    int read, wave;
    const char *flagsIn; // zero step reinit endReached finishSent norecord paused stopped
    const char *expState; // "-": not written
    const char *expOps;
    const char *expNotices;
    int expExp, expOld, expCatchUp;
    const char *expFlags;
    int expWait;
};

// A raise from the bottom starts without a catch-up made.
constexpr int kNone = AcqCycleVars::NoCatchUp;

// heights: md 50 -> errorHeight 25; md 100 -> 50; md 200 -> 100; md 300 -> 150.
const CycleCase kCases[] = {
    // reading and idle states
    {"reading keeps one bottom sample", 0xF6000000, 50, 20000, 20000, 0, 0, 0, 500, 0, "",
     "-", "R0", "wave(1,1)", 0, 0, 0, "waveFirst", 8},
    {"idle waits only", 0xF0000000, 50, 20000, 20000, 100, 50, 0, 500, 0, "",
     "-", "", "", 100, 50, 0, "", 15},
    {"file shown waits only", 0xF4000000, 50, 20000, 20000, 100, 50, 0, 500, 0, "",
     "-", "", "", 100, 50, 0, "", 15},
    {"paused idle waits only", 0xF0000004, 50, 20000, 20000, 0, 0, 0, 0, 0, "",
     "-", "", "", 0, 0, 0, "", 15},
    // at the bottom
    {"bottom: within tolerance refreshes the bottom sample", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 25, 0, "",
     "-", "R0", "wave(1,1)", 50, 0, kNone, "waveFirst", 8},
    {"bottom: 74 starts the raise", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 74, 0, "",
     "FA000000", "", "ev1004 text(FA000000)", 50, 0, kNone, "", 8},
    {"bottom: 75 (tolerance + step) still a plain start", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 75, 0, "",
     "FA000000", "", "ev1004 text(FA000000)", 50, 0, kNone, "", 8},
    {"bottom: 76 starts with a leak point", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 76, 0, "",
     "FA000001", "", "leak(76,0) ev1004 text(FA000000)", 50, 0, kNone, "", 8},
    {"bottom: leak reports the expected height held", 0xF7000000, 100, 20000, 20000, 300, 200, 0, 500, 0, "",
     "FA000001", "", "leak(500,300) ev1004 text(FA000000)", 100, 0, kNone, "", 8},
    {"bottom: zero request overrides the height", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 500, 0, "zero",
     "-", "R0", "wave(1,1)", 50, 0, kNone, "clearZero waveFirst", 8},
    {"bottom: device re-initialisation zeroes the height", 0xF7000000, 50, 20000, 20000, 0, 0, 0, 500, 0, "reinit",
     "-", "R0", "wave(1,1)", 50, 0, kNone, "reinit waveFirst", 8},
    {"bottom: a catch-up of an earlier raise is forgotten", 0xF7000000, 50, 20000, 20000, 100, 50, 50, 25, 0, "",
     "-", "R0", "wave(1,1)", 50, 0, kNone, "waveFirst", 8},
    {"bottom: paused word acts the same", 0xF7000004, 50, 20000, 20000, 0, 0, 0, 10, 0, "",
     "-", "R0", "wave(1,1)", 50, 0, kNone, "waveFirst", 8},
    // raising: the window
    {"raising: 75 (bottom of window) takes the point", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 75, "",
     "-", "A100", "wave(1,1)", 150, 100, 0, "", 12},
    {"raising: 100 takes the point", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 100, "",
     "-", "A100", "wave(1,1)", 150, 100, 0, "", 12},
    {"raising: 124 (top of window) takes the point", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 124, "",
     "-", "A100", "wave(1,1)", 150, 100, 0, "", 12},
    {"raising: the wave read's height counts, not the plain read", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 5000, 100, "",
     "-", "A100", "wave(1,1)", 150, 100, 0, "", 12},
    {"raising: in window while paused does nothing", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 100, "paused",
     "-", "", "", 100, 50, 0, "", 12},
    {"raising: in window while stopping advances without sample", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 100, "stopped",
     "-", "", "wave(1,1)", 150, 100, 0, "", 12},
    {"raising: next point capped at the hole depth", 0xFA000000, 300, 20000, 20000, 19800, 19500, 0, 0, 19700, "",
     "-", "A19800", "wave(1,1)", 20000, 19800, 0, "", 12},
    // raising: the catch-up rule
    {"catch-up: 150 with last catch-up 0 fills the point", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 150, "",
     "-", "A100", "wave(1,1)", 150, 100, 100, "", 12},
    {"catch-up: 125 (top of window) is a catch-up", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 125, "",
     "-", "A100", "wave(1,1)", 150, 100, 100, "", 12},
    {"catch-up: the first point after the bottom", 0xFA000000, 50, 20000, 20000, 50, 0, kNone, 0, 75, "",
     "-", "A50", "wave(1,1)", 100, 50, 50, "", 12},
    {"catch-up: without recording advances without sample", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 150, "norecord",
     "-", "", "", 150, 100, 100, "", 12},
    {"catch-up: not twice in a row (210 after 150)", 0xFA000000, 50, 20000, 20000, 150, 100, 100, 0, 210, "",
     "FA000001", "", "leak(210,150)", 150, 100, 100, "", 12},
    {"catch-up: at tolerance + step + point it is a leak", 0xFA000000, 50, 20000, 20000, 100, 50, 0, 0, 175, "",
     "FA000001", "", "leak(175,100)", 100, 50, 0, "", 12},
    {"catch-up: none above 100 mm steps", 0xFA000000, 200, 20000, 20000, 400, 200, 0, 0, 500, "",
     "FA000001", "", "leak(500,400)", 400, 200, 0, "", 12},
    {"catch-up: at 100 mm steps still allowed", 0xFA000000, 100, 20000, 20000, 400, 300, 0, 0, 460, "",
     "-", "A400", "wave(1,1)", 500, 400, 400, "", 12},
    {"catch-up: above 65535 mm it still remembers the point", 0xFA000000, 50, 100000, 100000, 70050, 70000, 70000, 0, 70080, "",
     "FA000001", "", "leak(70080,70050)", 70050, 70000, 70000, "", 12},
    {"above the window beyond the hole: no sample, the end check ends", 0xFA000000, 50, 1000, 1000, 1050, 1000, 0, 0, 1100, "",
     "ABCD0000", "T1000", "", 1050, 1000, 0, "clearFinish setEnd", 12},
    // raising: leak pending and pause
    {"leak pending: back under the point resolves it", 0xFA000001, 50, 20000, 20000, 100, 50, 0, 124, 0, "",
     "FA000000", "", "quit", 100, 50, 0, "", 42},
    {"leak pending: still above reports the height", 0xFA000001, 50, 20000, 20000, 100, 50, 0, 125, 0, "",
     "-", "", "cur(125,100)", 100, 50, 0, "", 42},
    {"leak pending: step request takes one step as height", 0xFA000001, 50, 20000, 20000, 100, 50, 0, 900, 0, "step",
     "FA000000", "", "quit", 100, 50, 0, "clearStep", 42},
    {"leak pending with pause: the pause bit stays", 0xFA000005, 50, 20000, 20000, 100, 50, 0, 10, 0, "",
     "FA000004", "", "quit", 100, 50, 0, "", 42},
    {"paused word: nothing", 0xFA000004, 50, 20000, 20000, 100, 50, 0, 100, 100, "",
     "-", "", "", 100, 50, 0, "", 12},
    // raising: below the window
    {"at the last point measures it again", 0xFA000000, 50, 20000, 20000, 200, 150, 0, 0, 125, "",
     "-", "R150", "wave(1,0)", 200, 150, 0, "", 12},
    {"at the last point (upper bound) measures it again", 0xFA000000, 50, 20000, 20000, 200, 150, 0, 0, 174, "",
     "-", "R150", "wave(1,0)", 200, 150, 0, "", 12},
    {"at the last point while paused ends the cycle at once", 0xFA000000, 50, 20000, 20000, 200, 150, 0, 0, 150, "paused",
     "-", "", "", 200, 150, 0, "", 0},
    {"at the last point while stopping ends the cycle at once", 0xFA000000, 50, 20000, 20000, 200, 150, 0, 0, 150, "stopped",
     "-", "", "", 200, 150, 0, "", 0},
    {"between the two windows only refreshes", 0xFA000000, 100, 20000, 20000, 1000, 0, 0, 0, 500, "",
     "-", "", "wave(1,1)", 1000, 0, 0, "", 12},
    {"lowered from 400 to 120 removes 400, 300, 200", 0xFA000000, 100, 20000, 20000, 500, 400, 0, 0, 120, "",
     "-", "X400/100 X300/100 X200/100", "wave(1,1) wave(1,1) wave(1,1)", 200, 100, 0, "clearFinish", 12},
    {"lowered to the bottom goes back to at-bottom", 0xFA000000, 100, 20000, 20000, 300, 200, 0, 0, 20, "",
     "F7000000", "X200/100 X100/100", "wave(1,1) wave(1,1)", 100, 0, 0, "clearFinish", 12},
    {"lowered with a zero step (broken set-up) does not loop", 0xFA000000, 0, 20000, 20000, 100, 100, 0, 0, 50, "",
     "-", "X100/0", "wave(1,1)", 100, 100, 0, "clearFinish", 12},
    {"lowered above the hole bottom keeps the end notice", 0xFA000000, 100, 20000, 10000, 15100, 15000, 0, 0, 14880, "",
     "-", "X15000/100", "wave(1,1)", 15000, 14900, 0, "", 12},
    // the end of the hole
    {"end: point 19800 taken above 19800 ends with a top sample", 0xFA000000, 300, 19900, 19900, 19800, 19500, 0, 0, 19850, "",
     "ABCD0000", "A19800 T19900", "wave(1,1)", 19900, 19800, 0, "clearFinish setEnd", 12},
    {"end: point 19800 taken at 19800 does not end", 0xFA000000, 300, 19900, 19900, 19800, 19500, 0, 0, 19800, "",
     "-", "A19800", "wave(1,1)", 19900, 19800, 0, "", 12},
    {"end: capped point 19900 taken at 19780 does not end", 0xFA000000, 300, 19900, 19900, 19900, 19800, 0, 0, 19780, "",
     "-", "A19900", "wave(1,1)", 19900, 19900, 0, "", 12},
    {"end: at the taken top point it is measured again", 0xFA000000, 300, 19900, 19900, 19900, 19900, 0, 0, 19760, "",
     "-", "M19900", "wave(1,0)", 19900, 19900, 0, "", 12},
    {"end: at the taken top point above 19800 ends", 0xFA000000, 300, 19900, 19900, 19900, 19900, 0, 0, 19810, "",
     "ABCD0000", "M19900 T19900", "wave(1,0)", 19900, 19900, 0, "clearFinish setEnd", 12},
    {"end: capped point 20000 taken at 19850 ends", 0xFA000000, 300, 20000, 20000, 20000, 19800, 0, 0, 19850, "",
     "ABCD0000", "A20000 T20000", "wave(1,1)", 20000, 20000, 0, "clearFinish setEnd", 12},
    {"end: capped point 20000 not yet at 19849", 0xFA000000, 300, 20000, 20000, 20000, 19800, 0, 0, 19849, "",
     "-", "R19800", "wave(1,0)", 20000, 19800, 0, "", 12},
    {"end: declared once only", 0xFA000000, 300, 19900, 19900, 19800, 19500, 0, 0, 19850, "endReached",
     "-", "A19800", "wave(1,1)", 19900, 19800, 0, "", 12},
    {"end: not while a leak point waits", 0xFA000000, 200, 1000, 1000, 1000, 1000, 0, 0, 1150, "",
     "FA000001", "", "leak(1150,1000)", 1000, 1000, 0, "", 12},
    {"end: even steps end within half a step", 0xFA000000, 100, 1000, 1000, 1000, 900, 0, 0, 960, "",
     "ABCD0000", "A1000 T1000", "wave(1,1)", 1000, 1000, 0, "clearFinish setEnd", 12},
    {"end: even steps not yet at half a step", 0xFA000000, 100, 1000, 1000, 1000, 1000, 0, 0, 950, "",
     "-", "M1000", "wave(1,0)", 1000, 1000, 0, "", 12},
    {"end state announces the end and stops", 0xABCD0000, 50, 20000, 20000, 100, 50, 0, 0, 0, "",
     "-", "", "finish(0)", 100, 50, 0, "setFinish stop", 15},
    {"end state after the notice: nothing more", 0xABCD0000, 50, 20000, 20000, 100, 50, 0, 0, 0, "finishSent",
     "-", "", "", 100, 50, 0, "", 15},
};

AcqCycleInput inputFor(const CycleCase &c)
{
    const QStringList flags = QString::fromLatin1(c.flagsIn).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    AcqCycleInput in;
    in.stateWord = c.state;
    in.moveDistance = c.md;
    in.holeDepth = c.hole;
    in.maxDepth = c.maxd;
    in.readHeight = c.read;
    in.waveHeight = c.wave;
    in.needZeroHeight = flags.contains(QStringLiteral("zero"));
    in.needStepHeight = flags.contains(QStringLiteral("step"));
    in.reinitDevice = flags.contains(QStringLiteral("reinit"));
    in.endReached = flags.contains(QStringLiteral("endReached"));
    in.finishSent = flags.contains(QStringLiteral("finishSent"));
    in.recordEnabled = !flags.contains(QStringLiteral("norecord"));
    in.paused = flags.contains(QStringLiteral("paused"));
    in.stopped = flags.contains(QStringLiteral("stopped"));
    return in;
}

// Runs cycles on the real state word, flags and sample list, as the
// acquisition thread does, with the same height for both reads.
struct CycleDriver {
    AcqCycleVars vars;
    QStringList notices;
    float value = 3.5f;
    AcqCycleResult step(int height, bool paused = false)
    {
        AcqCycleInput in = acqCycleInputFromGlobals(getState());
        in.readHeight = height;
        in.waveHeight = height;
        in.paused = paused;
        const AcqCycleResult r = runAcqCycle(in, vars);
        applyAcqCycleResult(r, value);
        if (!r.notices.isEmpty())
            notices << formatNotices(r.notices);
        return r;
    }
};

// A driver in the raising state with the set-up and the two points given.
CycleDriver raising(int holeDepth, int moveDistance, int expected, int old)
{
    gCtrlInfo.holeDepth = gCtrlInfo.maxDepth = holeDepth;
    gCtrlInfo.moveDistance = moveDistance;
    setState(AcqState::Raising);
    CycleDriver d;
    d.vars.expectedHeight = expected;
    d.vars.oldExpectedHeight = old;
    return d;
}

QVector<int> depths()
{
    QVector<int> out;
    for (const Sample &s : samples.snapshot())
        out << s.depth;
    return out;
}
}

class TestAcqCycle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("zpvw.acquisition.debug=false")); }
    void init();

    void cycle_data();
    void cycle();
    void waveHeightNeededOnlyWhenRaising_data();
    void waveHeightNeededOnlyWhenRaising();

    void sampleOpsOnTheList();
    void raiseLowerAndRaiseAgain();
    void topOfUnevenHoleEndsOnceWithOneTopSample();
    void topSampleTakenEarlyIsMeasuredAgainNotRepeated();
    void topOfEvenHoleEndsWithoutExtraSample();
    void leakPointResolvedThenSampled();
    void raiseLeavingBottomAtStepPlusToleranceHasNoLeak();
    void heldWinchHeightAtRaiseStartHasNoLeak();

private:
    TestAppDir m_dir;
};

void TestAcqCycle::init()
{
    resetAcquisitionGlobals();
    samples.clear();
    gCtrlInfo.depthFromTop = 0;
    gCtrlInfo.holeDepth = 20000;
    gCtrlInfo.maxDepth = 20000;
    gCtrlInfo.moveDistance = 50;
}

void TestAcqCycle::cycle_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(sizeof kCases / sizeof kCases[0]); ++i)
        QTest::newRow(kCases[i].name) << i;
}

void TestAcqCycle::cycle()
{
    QFETCH(int, index);
    const CycleCase &c = kCases[index];
    AcqCycleVars v;
    v.curHeight = -777;
    v.expectedHeight = c.exp;
    v.oldExpectedHeight = c.old;
    v.lastCatchUp = c.catchUp;
    const AcqCycleResult r = runAcqCycle(inputFor(c), v);
    QCOMPARE(r.stateWritten ? hex(r.newState) : QStringLiteral("-"), QString::fromLatin1(c.expState));
    QCOMPARE(formatOps(r.sampleOps), QString::fromLatin1(c.expOps));
    QCOMPARE(formatNotices(r.notices), QString::fromLatin1(c.expNotices));
    QCOMPARE(v.expectedHeight, c.expExp);
    QCOMPARE(v.oldExpectedHeight, c.expOld);
    QCOMPARE(v.lastCatchUp, c.expCatchUp);
    QCOMPARE(formatFlags(r), QString::fromLatin1(c.expFlags));
    QCOMPARE(r.waitMs, c.expWait);
}

void TestAcqCycle::waveHeightNeededOnlyWhenRaising_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<bool>("reads");
    QTest::newRow("raising") << 0xFA000000u << true;
    QTest::newRow("raising, leak pending") << 0xFA000001u << false;
    QTest::newRow("raising, paused") << 0xFA000004u << false;
    QTest::newRow("at bottom") << 0xF7000000u << false;
    QTest::newRow("reading") << 0xF6000000u << false;
    QTest::newRow("end") << 0xABCD0000u << false;
}

void TestAcqCycle::waveHeightNeededOnlyWhenRaising()
{
    QFETCH(uint, word);
    QFETCH(bool, reads);
    QCOMPARE(cycleReadsWaveHeight(word), reads);
}

void TestAcqCycle::sampleOpsOnTheList()
{
    gCtrlInfo.holeDepth = 1000;
    SampleList list;
    applyAcqSampleOps({{AcqSampleOp::ReplaceLast, 0}}, list, 1.0f); // empty: appends
    applyAcqSampleOps({{AcqSampleOp::Append, 100}, {AcqSampleOp::Append, 200}, {AcqSampleOp::Append, 300}}, list, 2.0f);
    QCOMPARE(list.size(), 4);
    applyAcqSampleOps({{AcqSampleOp::ReplaceLast, 300}}, list, 9.0f);
    Sample last;
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 700);
    QCOMPARE(last.resistivity, 9.0f);
    QCOMPARE(last.rawResistivity, 9.0f);
    // Removing above 200 takes the samples at 300 and 200, not the one at 100.
    applyAcqSampleOps({{AcqSampleOp::RemoveAbove, 200, 100}}, list, 0.0f);
    QCOMPARE(list.size(), 2);
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 900);
    // Remeasure replaces only the sample of the same height, else appends.
    applyAcqSampleOps({{AcqSampleOp::Remeasure, 100}}, list, 4.0f);
    QCOMPARE(list.size(), 2);
    applyAcqSampleOps({{AcqSampleOp::Remeasure, 200}}, list, 4.0f);
    QCOMPARE(list.size(), 3);
    // The top sample is appended only when the last one lies below the top.
    applyAcqSampleOps({{AcqSampleOp::AppendTopIfNeeded, 1000}}, list, 5.0f);
    applyAcqSampleOps({{AcqSampleOp::AppendTopIfNeeded, 1000}}, list, 5.0f);
    QCOMPARE(list.size(), 4);
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 0);
    // Removing from the bottom empties the list.
    applyAcqSampleOps({{AcqSampleOp::RemoveAbove, 0, 100}}, list, 0.0f);
    QCOMPARE(list.size(), 0);
}

void TestAcqCycle::raiseLowerAndRaiseAgain()
{
    gCtrlInfo.moveDistance = 100;
    setState(AcqState::AtBottom);
    CycleDriver d;
    d.step(0);
    d.step(100); // leaves the bottom
    QCOMPARE(getState(), AcqState::Raising);
    for (int h = 100; h <= 400; h += 100)
        d.step(h);
    QCOMPARE(depths(), (QVector<int>{20000, 19900, 19800, 19700, 19600}));
    finishSent = 1;
    d.step(120);
    QCOMPARE(depths(), (QVector<int>{20000, 19900}));
    QCOMPARE(d.vars.oldExpectedHeight, 100);
    QCOMPARE(d.vars.expectedHeight, 200);
    QCOMPARE(finishSent.load(), uint8_t(0));
    d.step(200);
    QCOMPARE(depths(), (QVector<int>{20000, 19900, 19800}));
    // All the way down: back at the bottom with the bottom sample kept.
    d.step(10);
    QCOMPARE(getState(), AcqState::AtBottom);
    QCOMPARE(depths(), (QVector<int>{20000}));
    d.value = 8.0f;
    d.step(10);
    QCOMPARE(samples.size(), 1);
    Sample s;
    QVERIFY(samples.last(&s));
    QCOMPARE(s.resistivity, 8.0f);
}

void TestAcqCycle::topOfUnevenHoleEndsOnceWithOneTopSample()
{
    CycleDriver d = raising(19900, 300, 19800, 19500);
    d.step(19850);
    QCOMPARE(getState(), AcqState::End);
    QCOMPARE(depths(), (QVector<int>{100, 0}));
    QCOMPARE(endReached.load(), uint8_t(1));
    const AcqCycleResult first = d.step(19850);
    QVERIFY(first.stopThread);
    QCOMPARE(finishSent.load(), uint8_t(1));
    const AcqCycleResult second = d.step(19850);
    QVERIFY(!second.stopThread);
    QCOMPARE(d.notices.filter(QStringLiteral("finish")).size(), 1);
    QCOMPARE(depths(), (QVector<int>{100, 0}));
}

void TestAcqCycle::topSampleTakenEarlyIsMeasuredAgainNotRepeated()
{
    CycleDriver d = raising(19900, 300, 19800, 19500);
    d.step(19790); // point 19800, no end yet
    QCOMPARE(getState(), AcqState::Raising);
    d.step(19780); // the capped point 19900 (depth 0)
    // The probe lingers at the top point: it is measured again, not repeated.
    d.value = 6.0f;
    for (int h : {19790, 19760, 19800, 19750})
        d.step(h);
    QCOMPARE(depths(), (QVector<int>{100, 0}));
    Sample s;
    QVERIFY(samples.last(&s));
    QCOMPARE(s.resistivity, 6.0f);
    QCOMPARE(getState(), AcqState::Raising);
    d.step(19801);
    QCOMPARE(getState(), AcqState::End);
    QCOMPARE(depths(), (QVector<int>{100, 0}));
}

void TestAcqCycle::topOfEvenHoleEndsWithoutExtraSample()
{
    CycleDriver d = raising(20000, 300, 19800, 19500);
    d.step(19800);
    QCOMPARE(d.vars.expectedHeight, 20000);
    d.step(19849);
    QCOMPARE(getState(), AcqState::Raising);
    d.step(19850);
    QCOMPARE(getState(), AcqState::End);
    QCOMPARE(depths(), (QVector<int>{200, 0}));
}

void TestAcqCycle::leakPointResolvedThenSampled()
{
    CycleDriver d = raising(20000, 50, 100, 50);
    d.step(150); // catch-up for 100
    d.step(210); // no second catch-up: leak point at 150
    QCOMPARE(getState(), AcqState::Raising | AcqState::SubLeakPending);
    d.step(200); // still above: the dialog hears the height
    d.step(160); // back under the point + tolerance: resolved
    QCOMPARE(getState(), AcqState::Raising);
    d.step(150);
    QCOMPARE(depths(), (QVector<int>{19900, 19850}));
    QCOMPARE(d.notices, (QStringList{QStringLiteral("wave(1,1)"), QStringLiteral("leak(210,150)"),
                                     QStringLiteral("cur(200,150)"), QStringLiteral("quit"),
                                     QStringLiteral("wave(1,1)")}));
}

void TestAcqCycle::raiseLeavingBottomAtStepPlusToleranceHasNoLeak()
{
    // 75 = tolerance + step leaves the bottom without a leak point; the
    // next cycle at the same height must not call it one either.
    setState(AcqState::AtBottom);
    CycleDriver d;
    d.step(25);
    d.step(75);
    QCOMPARE(getState(), AcqState::Raising);
    d.step(75);
    QCOMPARE(getState(), AcqState::Raising);
    QCOMPARE(depths(), (QVector<int>{20000, 19950}));
    QCOMPARE(d.vars.expectedHeight, 100);
    d.step(100);
    // Back to the bottom and up again the same way: the first raise's
    // catch-up does not block the second one's.
    d.step(10);
    QCOMPARE(getState(), AcqState::AtBottom);
    d.step(10);
    d.step(75);
    d.step(75);
    QCOMPARE(getState(), AcqState::Raising);
    QCOMPARE(depths(), (QVector<int>{20000, 19950}));
    QVERIFY2(d.notices.filter(QStringLiteral("leak")).isEmpty(), qPrintable(d.notices.join(QLatin1Char(' '))));
}

void TestAcqCycle::heldWinchHeightAtRaiseStartHasNoLeak()
{
    // The counts a winch controller reported at the start of a raise at
    // 0.1 m/s, one poll (about 5 mm) apart. The model holds back steps of
    // 5 mm or less, so the height reads 5 until 15.68 mm: it jumps over the
    // whole window of the first 10-mm point.
    gCtrlInfo.holeDepth = gCtrlInfo.maxDepth = 3000;
    gCtrlInfo.moveDistance = 10;
    gCtrlInfo.wheelD = 63;
    gCtrlInfo.lineD = 7;
    CAppModel model(WinchAddress{QStringLiteral("127.0.0.1"), 9}, false);
    setState(AcqState::AtBottom);
    CycleDriver d;
    QVector<int> heights;
    for (int32_t count : {0, 0, 2, 26, 49, 73, 98, 123}) {
        WinchReport r;
        r.pulseCount = count;
        r.rawValue = 1.0f;
        model.updateFrom(r);
        heights << winchHeight.load();
        // Several acquisition cycles run between two reports.
        d.step(winchHeight.load());
        d.step(winchHeight.load());
    }
    QCOMPARE(heights, (QVector<int>{0, 0, 0, 5, 5, 15, 21, 26}));
    QVERIFY2(d.notices.filter(QStringLiteral("leak")).isEmpty(), qPrintable(d.notices.join(QLatin1Char(' '))));
    QCOMPARE(getState(), AcqState::Raising);
    QCOMPARE(depths(), (QVector<int>{3000, 2990, 2980, 2970}));
}

QTEST_GUILESS_MAIN(TestAcqCycle)
#include "tst_acqcycle.moc"
