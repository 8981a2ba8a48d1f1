// The rules of one acquisition cycle, without threads or sleeps: a table of
// single cycles, then short sequences of cycles carried out on the real
// sample list and state word.

#include "acqcontrolmirror.h"
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

// Runs cycles on a state word, flags and sample list of its own, as the
// acquisition thread and the session do, with the same height for both reads.
struct CycleDriver {
    AcqCycleVars vars;
    QStringList notices;
    float value = 3.5f;
    AcqControl control;
    AcqSettings settings;
    SampleList list;

    AcqCycleResult step(int height, bool paused = false)
    {
        AcqCycleInput in = acqCycleInput(control, settings);
        in.readHeight = height;
        in.waveHeight = height;
        in.paused = paused;
        const AcqCycleResult r = runAcqCycle(in, vars);
        applyAcqCycleControl(r, control);
        applyAcqSampleOps(r.sampleOps, list, value, settings);
        if (!r.notices.isEmpty())
            notices << formatNotices(r.notices);
        return r;
    }
    // In the raising state with the set-up and the two points given.
    void raise(int holeDepth, int moveDistance, int expected, int old)
    {
        settings.holeDepth = settings.maxDepth = holeDepth;
        settings.moveDistance = moveDistance;
        control.curState = AcqState::Raising;
        vars.expectedHeight = expected;
        vars.oldExpectedHeight = old;
    }
    uint32_t state() const { return control.curState; }
    QVector<int> depths() const
    {
        QVector<int> out;
        for (const Sample &s : list.snapshot())
            out << s.depth;
        return out;
    }
};
}

class TestAcqCycle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("zpvw.acquisition.debug=false")); }

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
    void mirrorKeepsRequestsOverOlderReports_data();
    void mirrorKeepsRequestsOverOlderReports();
    void mirrorTellsReportsFromBeforeASampleReset();

private:
    TestAppDir m_dir;
};

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
    AcqSettings settings;
    settings.holeDepth = 1000;
    SampleList list;
    applyAcqSampleOps({{AcqSampleOp::ReplaceLast, 0}}, list, 1.0f, settings); // empty: appends
    applyAcqSampleOps({{AcqSampleOp::Append, 100}, {AcqSampleOp::Append, 200}, {AcqSampleOp::Append, 300}}, list, 2.0f, settings);
    QCOMPARE(list.size(), 4);
    applyAcqSampleOps({{AcqSampleOp::ReplaceLast, 300}}, list, 9.0f, settings);
    Sample last;
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 700);
    QCOMPARE(last.resistivity, 9.0f);
    QCOMPARE(last.rawResistivity, 9.0f);
    // Removing above 200 takes the samples at 300 and 200, not the one at 100.
    applyAcqSampleOps({{AcqSampleOp::RemoveAbove, 200, 100}}, list, 0.0f, settings);
    QCOMPARE(list.size(), 2);
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 900);
    // Remeasure replaces only the sample of the same height, else appends.
    applyAcqSampleOps({{AcqSampleOp::Remeasure, 100}}, list, 4.0f, settings);
    QCOMPARE(list.size(), 2);
    applyAcqSampleOps({{AcqSampleOp::Remeasure, 200}}, list, 4.0f, settings);
    QCOMPARE(list.size(), 3);
    // The top sample is appended only when the last one lies below the top.
    applyAcqSampleOps({{AcqSampleOp::AppendTopIfNeeded, 1000}}, list, 5.0f, settings);
    applyAcqSampleOps({{AcqSampleOp::AppendTopIfNeeded, 1000}}, list, 5.0f, settings);
    QCOMPARE(list.size(), 4);
    QVERIFY(list.last(&last));
    QCOMPARE(last.depth, 0);
    // Removing from the bottom empties the list.
    applyAcqSampleOps({{AcqSampleOp::RemoveAbove, 0, 100}}, list, 0.0f, settings);
    QCOMPARE(list.size(), 0);
}

void TestAcqCycle::raiseLowerAndRaiseAgain()
{
    CycleDriver d;
    d.settings.moveDistance = 100;
    d.control.curState = AcqState::AtBottom;
    d.step(0);
    d.step(100); // leaves the bottom
    QCOMPARE(d.state(), AcqState::Raising);
    for (int h = 100; h <= 400; h += 100)
        d.step(h);
    QCOMPARE(d.depths(), (QVector<int>{20000, 19900, 19800, 19700, 19600}));
    d.control.finishSent = true;
    d.step(120);
    QCOMPARE(d.depths(), (QVector<int>{20000, 19900}));
    QCOMPARE(d.vars.oldExpectedHeight, 100);
    QCOMPARE(d.vars.expectedHeight, 200);
    QCOMPARE(d.control.finishSent, false);
    d.step(200);
    QCOMPARE(d.depths(), (QVector<int>{20000, 19900, 19800}));
    // All the way down: back at the bottom with the bottom sample kept.
    d.step(10);
    QCOMPARE(d.state(), AcqState::AtBottom);
    QCOMPARE(d.depths(), (QVector<int>{20000}));
    d.value = 8.0f;
    d.step(10);
    QCOMPARE(d.list.size(), 1);
    Sample s;
    QVERIFY(d.list.last(&s));
    QCOMPARE(s.resistivity, 8.0f);
}

void TestAcqCycle::topOfUnevenHoleEndsOnceWithOneTopSample()
{
    CycleDriver d;
    d.raise(19900, 300, 19800, 19500);
    d.step(19850);
    QCOMPARE(d.state(), AcqState::End);
    QCOMPARE(d.depths(), (QVector<int>{100, 0}));
    QCOMPARE(d.control.endReached, true);
    const AcqCycleResult first = d.step(19850);
    QVERIFY(first.stopThread);
    QCOMPARE(d.control.finishSent, true);
    const AcqCycleResult second = d.step(19850);
    QVERIFY(!second.stopThread);
    QCOMPARE(d.notices.filter(QStringLiteral("finish")).size(), 1);
    QCOMPARE(d.depths(), (QVector<int>{100, 0}));
}

void TestAcqCycle::topSampleTakenEarlyIsMeasuredAgainNotRepeated()
{
    CycleDriver d;
    d.raise(19900, 300, 19800, 19500);
    d.step(19790); // point 19800, no end yet
    QCOMPARE(d.state(), AcqState::Raising);
    d.step(19780); // the capped point 19900 (depth 0)
    // The probe lingers at the top point: it is measured again, not repeated.
    d.value = 6.0f;
    for (int h : {19790, 19760, 19800, 19750})
        d.step(h);
    QCOMPARE(d.depths(), (QVector<int>{100, 0}));
    Sample s;
    QVERIFY(d.list.last(&s));
    QCOMPARE(s.resistivity, 6.0f);
    QCOMPARE(d.state(), AcqState::Raising);
    d.step(19801);
    QCOMPARE(d.state(), AcqState::End);
    QCOMPARE(d.depths(), (QVector<int>{100, 0}));
}

void TestAcqCycle::topOfEvenHoleEndsWithoutExtraSample()
{
    CycleDriver d;
    d.raise(20000, 300, 19800, 19500);
    d.step(19800);
    QCOMPARE(d.vars.expectedHeight, 20000);
    d.step(19849);
    QCOMPARE(d.state(), AcqState::Raising);
    d.step(19850);
    QCOMPARE(d.state(), AcqState::End);
    QCOMPARE(d.depths(), (QVector<int>{200, 0}));
}

void TestAcqCycle::leakPointResolvedThenSampled()
{
    CycleDriver d;
    d.raise(20000, 50, 100, 50);
    d.step(150); // catch-up for 100
    d.step(210); // no second catch-up: leak point at 150
    QCOMPARE(d.state(), AcqState::Raising | AcqState::SubLeakPending);
    d.step(200); // still above: the dialog hears the height
    d.step(160); // back under the point + tolerance: resolved
    QCOMPARE(d.state(), AcqState::Raising);
    d.step(150);
    QCOMPARE(d.depths(), (QVector<int>{19900, 19850}));
    QCOMPARE(d.notices, (QStringList{QStringLiteral("wave(1,1)"), QStringLiteral("leak(210,150)"),
                                     QStringLiteral("cur(200,150)"), QStringLiteral("quit"),
                                     QStringLiteral("wave(1,1)")}));
}

void TestAcqCycle::raiseLeavingBottomAtStepPlusToleranceHasNoLeak()
{
    // 75 = tolerance + step leaves the bottom without a leak point; the
    // next cycle at the same height must not call it one either.
    CycleDriver d;
    d.control.curState = AcqState::AtBottom;
    d.step(25);
    d.step(75);
    QCOMPARE(d.state(), AcqState::Raising);
    d.step(75);
    QCOMPARE(d.state(), AcqState::Raising);
    QCOMPARE(d.depths(), (QVector<int>{20000, 19950}));
    QCOMPARE(d.vars.expectedHeight, 100);
    d.step(100);
    // Back to the bottom and up again the same way: the first raise's
    // catch-up does not block the second one's.
    d.step(10);
    QCOMPARE(d.state(), AcqState::AtBottom);
    d.step(10);
    d.step(75);
    d.step(75);
    QCOMPARE(d.state(), AcqState::Raising);
    QCOMPARE(d.depths(), (QVector<int>{20000, 19950}));
    QVERIFY2(d.notices.filter(QStringLiteral("leak")).isEmpty(), qPrintable(d.notices.join(QLatin1Char(' '))));
}

void TestAcqCycle::heldWinchHeightAtRaiseStartHasNoLeak()
{
    // The counts a winch controller reported at the start of a raise at
    // 0.1 m/s, one poll (about 5 mm) apart. The model holds back steps of
    // 5 mm or less, so the height reads 5 until 15.68 mm: it jumps over the
    // whole window of the first 10-mm point.
    CAppModel model(WinchAddress{QStringLiteral("127.0.0.1"), 9}, false);
    model.setWinchGeometry(63, 7);
    CycleDriver d;
    d.settings.holeDepth = d.settings.maxDepth = 3000;
    d.settings.moveDistance = 10;
    d.control.curState = AcqState::AtBottom;
    QVector<int> heights;
    for (int32_t count : {0, 0, 2, 26, 49, 73, 98, 123}) {
        WinchReport r;
        r.pulseCount = count;
        r.rawValue = 1.0f;
        model.updateFrom(r);
        heights << model.winchHeight.load();
        // Several acquisition cycles run between two reports.
        d.step(model.winchHeight.load());
        d.step(model.winchHeight.load());
    }
    QCOMPARE(heights, (QVector<int>{0, 0, 0, 5, 5, 15, 21, 26}));
    QVERIFY2(d.notices.filter(QStringLiteral("leak")).isEmpty(), qPrintable(d.notices.join(QLatin1Char(' '))));
    QCOMPARE(d.state(), AcqState::Raising);
    QCOMPARE(d.depths(), (QVector<int>{3000, 2990, 2980, 2970}));
}

// The session's copy and the thread's copy of the state and flags, with
// requests and reports interleaved as a running thread may interleave them.
// Each step is "r:<field>=<value>" (the session requests), "t" (the thread
// takes every request sent so far) or "c:<result>" (the thread runs a cycle
// and its report arrives). After the steps the thread takes what is left and
// reports once more: both copies must then agree, and the session's copy
// must have shown what is expected all along.
void TestAcqCycle::mirrorKeepsRequestsOverOlderReports_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<uint>("shownState");
    QTest::addColumn<bool>("shownZero");
    QTest::newRow("pause asked while a cycle starts the raise")
        << QStringList{"r:state=F7000000", "t", "r:state=F7000004", "c:state=FA000000"} << 0xF7000004u << false;
    QTest::newRow("cycle after the pause was taken")
        << QStringList{"r:state=F7000000", "r:state=F7000004", "t", "c:none"} << 0xF7000004u << false;
    QTest::newRow("raise reported before any request")
        << QStringList{"c:state=FA000000"} << 0xFA000000u << false;
    QTest::newRow("flag asked again after the thread consumed it")
        << QStringList{"r:zero=1", "t", "r:zero=1", "c:clearzero"} << 0u << true;
    QTest::newRow("flag consumed, nothing asked since")
        << QStringList{"r:zero=1", "t", "c:clearzero"} << 0u << false;
    QTest::newRow("request between two reports of one raise")
        << QStringList{"r:state=F7000000", "t", "c:state=FA000000", "r:state=FA000004", "c:none"} << 0xFA000004u
        << false;
}

void TestAcqCycle::mirrorKeepsRequestsOverOlderReports()
{
    QFETCH(QStringList, steps);
    QFETCH(uint, shownState);
    QFETCH(bool, shownZero);
    AcqControlMirror session;
    AcqControl thread;
    QVector<QPair<quint64, AcqRequest>> sent;
    int taken = 0;
    quint64 applied = 0;
    const auto take = [&] {
        for (; taken < sent.size(); ++taken) {
            applyAcqRequest(thread, sent[taken].second);
            applied = sent[taken].first;
        }
    };
    const auto cycle = [&](const AcqCycleResult &r) {
        applyAcqCycleControl(r, thread);
        session.takeReport(applied, r);
    };
    for (const QString &step : steps) {
        if (step == QLatin1String("t")) {
            take();
        } else if (step.startsWith(QLatin1String("r:state="))) {
            const AcqRequest r{AcqRequest::State, step.mid(8).toUInt(nullptr, 16)};
            sent.append({session.request(r), r});
        } else if (step == QLatin1String("r:zero=1")) {
            const AcqRequest r{AcqRequest::NeedZeroHeight, 1};
            sent.append({session.request(r), r});
        } else {
            AcqCycleResult r;
            if (step.startsWith(QLatin1String("c:state="))) {
                r.stateWritten = true;
                r.newState = step.mid(8).toUInt(nullptr, 16);
            } else if (step == QLatin1String("c:clearzero")) {
                r.clearNeedZeroHeight = true;
            }
            cycle(r);
        }
    }
    QCOMPARE(QString::number(session.state(), 16), QString::number(shownState, 16));
    QCOMPARE(session.control().needZeroHeight, shownZero);
    take();
    cycle(AcqCycleResult());
    QVERIFY(session.control() == thread);
    QCOMPARE(session.pending(), 0);
}

void TestAcqCycle::mirrorTellsReportsFromBeforeASampleReset()
{
    AcqControlMirror session;
    const quint64 before = session.request({AcqRequest::State, AcqState::AtBottom});
    QVERIFY(session.currentSamples(before));
    const quint64 reset = session.samplesReset();
    // A cycle the thread ran before it took the reset belongs to the old list.
    QVERIFY(!session.currentSamples(before));
    AcqCycleResult r;
    r.stateWritten = true;
    r.newState = AcqState::Raising;
    session.takeReport(before, r);
    QVERIFY(session.currentSamples(reset));
    QCOMPARE(session.state(), AcqState::Raising);
}

QTEST_GUILESS_MAIN(TestAcqCycle)
#include "tst_acqcycle.moc"
