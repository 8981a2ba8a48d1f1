// The suggested sediment interface: its rules on small made-up curves, then
// its accuracy on synthetic holes drawn from the winch simulator's mud
// profile with known sediment thicknesses and noise.

#include "sedimentsuggest.h"
#include "simhole.h"
#include "suggestionmarker.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

// A hole sampled from the bottom up every moveDistance, values from a
// function of the height above the bottom (millimetres).
template <typename F>
QVector<Sample> raise(int maxDepth, int moveDistance, F valueAt)
{
    QVector<Sample> v;
    for (int h = 0; h <= maxDepth; h += moveDistance) {
        const float value = float(valueAt(h));
        v.append(Sample{maxDepth - h, value, value});
    }
    return v;
}

// The simulator's profile as the instrument records it: the application
// model multiplies the controller's raw value by its amplification factor.
constexpr double kAmplification = 10.0;

QVector<Sample> simulatedHole(int maxDepth, int moveDistance, double sedimentM, double noise, uint32_t seed)
{
    SimHoleConfig c;
    c.depth = maxDepth / 1000.0;
    c.sediment = sedimentM;
    c.noise = noise;
    c.seed = seed;
    const CSimHole hole(c);
    return raise(maxDepth, moveDistance, [&](int h) { return kAmplification * hole.valueAtHeight(h / 1000.0); });
}

} // namespace

Q_DECLARE_METATYPE(QVector<Sample>)

class TestSedimentSuggest : public QObject {
    Q_OBJECT
private slots:
    void cleanStep_data();
    void cleanStep();
    void spikesDoNotMoveTheSplit();
    void flatCurveIsNotShown();
    void listOrderDoesNotMatter();
    void unusableInput_data();
    void unusableInput();
    void onlyTheBottomWindowCounts();
    void cacheFollowsItsInputs();
    void markerLabelSide_data();
    void markerLabelSide();
    void accuracyOnSimulatedHoles();
    void waitsForEvidenceDuringRaise();
};

void TestSedimentSuggest::cleanStep_data()
{
    QTest::addColumn<int>("moveDistance");
    QTest::addColumn<int>("sedimentMm");
    QTest::addColumn<double>("mud");
    QTest::addColumn<double>("sediment");
    QTest::newRow("35 cm, 50 mm, rising") << 50 << 350 << 12.0 << 30.0;
    QTest::newRow("35 cm, 50 mm, falling") << 50 << 350 << 30.0 << 12.0;
    QTest::newRow("one sample thick") << 50 << 50 << 12.0 << 30.0;
    QTest::newRow("10 mm steps") << 10 << 230 << 5.0 << 6.0;
    QTest::newRow("2 m of sediment") << 100 << 2000 << 12.0 << 30.0;
}

// Levels with no noise at all: the split is exact, the confidence full, and
// the thickness is what judging the suggested sample gives.
void TestSedimentSuggest::cleanStep()
{
    QFETCH(int, moveDistance);
    QFETCH(int, sedimentMm);
    QFETCH(double, mud);
    QFETCH(double, sediment);
    const int maxDepth = 20000;
    const QVector<Sample> v = raise(maxDepth, moveDistance, [&](int h) { return h < sedimentMm ? sediment : mud; });
    const SedimentSuggestion s = suggestSedimentInterface(v, maxDepth, moveDistance);
    QVERIFY(s.found);
    QVERIFY(s.clear());
    QCOMPARE(s.confidence, 1.0);
    // The top of the sediment is the last sample below sedimentMm.
    QCOMPARE(s.depth, maxDepth - (sedimentMm - moveDistance));
    QCOMPARE(v.at(s.sampleIndex).depth, s.depth);
    QCOMPARE(s.thicknessCm, int32_t((maxDepth - s.depth) / 10));
    QCOMPARE(double(s.lowerLevel), sediment);
    QCOMPARE(double(s.upperLevel), mud);
}

// Single wild readings (a bubble, a touch of the wall) in the mud and in the
// sediment do not move the interface.
void TestSedimentSuggest::spikesDoNotMoveTheSplit()
{
    const int maxDepth = 15000;
    QVector<Sample> v = raise(maxDepth, 50, [](int h) { return h < 400 ? 30.0 : 12.0; });
    for (int i : {2, 12, 20, 30})
        v[i].resistivity = i < 8 ? 1.0f : 90.0f;
    const SedimentSuggestion s = suggestSedimentInterface(v, maxDepth, 50);
    QVERIFY(s.clear());
    QCOMPARE(s.thicknessCm, 35);
}

// A curve without a change of level gets no suggestion that is shown, even
// with noise (the best split of pure noise is weak).
void TestSedimentSuggest::flatCurveIsNotShown()
{
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.3);
    for (int trial = 0; trial < 50; ++trial) {
        const QVector<Sample> v = raise(20000, 50, [&](int) { return 12.0 + noise(rng); });
        const SedimentSuggestion s = suggestSedimentInterface(v, 20000, 50);
        QVERIFY2(!s.shown(), qPrintable(QStringLiteral("trial %1: ratio %2").arg(trial).arg(s.stepToNoise)));
    }
    const QVector<Sample> flat = raise(20000, 50, [](int) { return 12.0; });
    const SedimentSuggestion s = suggestSedimentInterface(flat, 20000, 50);
    QVERIFY(s.found);
    QCOMPARE(s.confidence, 0.0);
}

// Resampled or reordered samples: the suggestion is the same sample,
// addressed by its index in the list handed in.
void TestSedimentSuggest::listOrderDoesNotMatter()
{
    const QVector<Sample> v = raise(20000, 50, [](int h) { return h < 300 ? 30.0 : 12.0; });
    QVector<Sample> shuffled = v;
    std::mt19937 rng(3);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    const SedimentSuggestion a = suggestSedimentInterface(v, 20000, 50);
    const SedimentSuggestion b = suggestSedimentInterface(shuffled, 20000, 50);
    QCOMPARE(b.depth, a.depth);
    QCOMPARE(shuffled.at(b.sampleIndex).depth, a.depth);
    QCOMPARE(b.thicknessCm, 25);
}

void TestSedimentSuggest::unusableInput_data()
{
    QTest::addColumn<QVector<Sample>>("list");
    QTest::addColumn<int>("maxDepth");
    QTest::addColumn<bool>("found");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("empty") << QVector<Sample>() << 20000 << false;
    QTest::newRow("three samples") << QVector<Sample>{{20000, 30, 30}, {19950, 12, 12}, {19900, 12, 12}} << 20000 << false;
    QTest::newRow("all far above the bottom") << raise(10000, 50, [](int) { return 12.0; }) << 20000 << false;
    QTest::newRow("not numbers") << QVector<Sample>{{20000, nan, 0}, {19950, inf, 0}, {19900, -inf, 0}, {19850, nan, 0}, {19800, 12, 12}}
                                 << 20000 << false;
    QTest::newRow("extreme depths") << QVector<Sample>{{INT32_MAX, 30, 30}, {INT32_MIN, 12, 12}, {0, 12, 12}, {1, 12, 12}, {2, 12, 12}}
                                    << INT32_MAX << false;
}

// Too few usable samples near the bottom: no suggestion, and nothing
// breaks on values that are not numbers or depths at the ends of the range.
void TestSedimentSuggest::unusableInput()
{
    QFETCH(QVector<Sample>, list);
    QFETCH(int, maxDepth);
    QFETCH(bool, found);
    const SedimentSuggestion s = suggestSedimentInterface(list, maxDepth, 50);
    QCOMPARE(s.found, found);
    QVERIFY(!s.shown());
    QCOMPARE(s.sampleIndex, -1);
}

// A change of level higher up the hole (a mud layer change at 10 m) is not
// taken for the sediment: only the bottom metres are searched.
void TestSedimentSuggest::onlyTheBottomWindowCounts()
{
    const QVector<Sample> v = raise(20000, 50, [](int h) { return h < 300 ? 30.0 : (h < 10000 ? 12.0 : 4.0); });
    const SedimentSuggestion s = suggestSedimentInterface(v, 20000, 50);
    QVERIFY(s.clear());
    QCOMPARE(s.thicknessCm, 25);
    // A window reaching the upper change would weigh its long run of mud
    // more than the thin sediment: that is why the window stays short.
    SedimentSuggestOptions wide;
    wide.windowMm = 12000;
    QCOMPARE(suggestSedimentInterface(v, 20000, 50, wide).thicknessCm, 995);
}

void TestSedimentSuggest::cacheFollowsItsInputs()
{
    CSuggestionCache cache;
    QVector<Sample> v = raise(20000, 50, [](int h) { return h < 300 ? 30.0 : 12.0; });
    QCOMPARE(cache.update(v, 20000, 50, 1).thicknessCm, 25);
    // Same inputs: the kept value (even though the list object changed).
    QVector<Sample> edited = v;
    edited[6].resistivity = 30.0f;
    edited[7].resistivity = 30.0f;
    QCOMPARE(cache.update(edited, 20000, 50, 1).thicknessCm, 25);
    // A new generation (an edit) is computed again.
    QCOMPARE(cache.update(edited, 20000, 50, 2).thicknessCm, 35);
    // Appends show in the size; a new hole depth shifts the thickness.
    edited.append(Sample{12000, 12, 12});
    QCOMPARE(cache.update(edited, 20000, 50, 2).thicknessCm, 35);
    QCOMPARE(cache.update(edited, 20100, 50, 2).thicknessCm, 45);
}

void TestSedimentSuggest::markerLabelSide_data()
{
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("preferBelow");
    QTest::addColumn<double>("top");
    // Plot from 100 to 300, label 20 high, gap 2.
    QTest::newRow("above, room") << 200.0 << false << 178.0;
    QTest::newRow("below, room") << 200.0 << true << 202.0;
    QTest::newRow("above wanted, no room") << 110.0 << false << 112.0;
    QTest::newRow("below wanted, no room") << 290.0 << true << 268.0;
}

void TestSedimentSuggest::markerLabelSide()
{
    QFETCH(double, y);
    QFETCH(bool, preferBelow);
    QFETCH(double, top);
    QCOMPARE(markerLabelTop(y, 20, 2, 100, 300, preferBelow), top);
}

// Synthetic holes from the simulator's profile (a smooth change of 3 cm scale,
// so about 13 cm from 10 % to 90 %; uniform noise as a fraction of the mud
// value), every thickness from 0 to 50 cm, several move distances, noise
// levels and seeds. Prints the table. Where the step is clear (at least 10 cm
// of sediment, noise up to 10 % of the mud value, five times the simulator's
// default) the suggestion must be clear and within one move distance of the
// true thickness; a hole without sediment must get no shown suggestion up to
// 30 % noise.
void TestSedimentSuggest::accuracyOnSimulatedHoles()
{
    const int maxDepth = 20000;
    const int seeds = 10;
    const QVector<int> moves{10, 50, 100};
    const QVector<double> noises{0.02, 0.10, 0.30, 0.60};
    auto isClearStep = [](int cm, double noise) { return cm >= 10 && noise <= 0.10; };
    printf("\nsuggested sediment interface on simulated holes (%d seeds each; error = suggested - true, cm)\n", seeds);
    printf("%6s %6s %5s | %6s %9s %8s %8s\n", "move", "noise", "true", "shown", "clear", "mean|e|", "max|e|");
    int failures = 0;
    QString worst;
    for (int move : moves) {
        double worstClearError = 0.0;
        for (double noise : noises) {
            for (int cm = 0; cm <= 50; cm += 5) {
                int shown = 0, clear = 0;
                double sumErr = 0.0, maxErr = 0.0;
                for (int seed = 1; seed <= seeds; ++seed) {
                    const QVector<Sample> v = simulatedHole(maxDepth, move, cm / 100.0, noise, uint32_t(seed));
                    const SedimentSuggestion s = suggestSedimentInterface(v, maxDepth, move);
                    if (!s.shown())
                        continue;
                    ++shown;
                    clear += s.clear() ? 1 : 0;
                    const double err = std::fabs(double(s.thicknessCm) - cm);
                    sumErr += err;
                    maxErr = std::max(maxErr, err);
                    if (isClearStep(cm, noise)) {
                        worstClearError = std::max(worstClearError, err);
                        if (err > move / 10.0 || !s.clear())
                            ++failures;
                    }
                    if (cm == 0 && noise <= 0.30)
                        ++failures; // a false interface on a clean bottom
                }
                if (isClearStep(cm, noise) && shown < seeds)
                    failures += seeds - shown;
                printf("%6d %6.2f %5d | %3d/%-2d %6d/%-2d %8.1f %8.1f\n", move, noise, cm, shown, seeds, clear, seeds,
                       shown ? sumErr / shown : 0.0, maxErr);
            }
        }
        worst += QStringLiteral("%1%2 cm at %3 mm").arg(worst.isEmpty() ? "" : ", ").arg(worstClearError).arg(move);
    }
    printf("largest error on a clear step: %s\n", qPrintable(worst));
    fflush(stdout);
    QCOMPARE(failures, 0);
}

// A raise replayed one sample at a time, as the screen sees it: while the
// probe is still in the sediment (the last sample at or below the sediment's
// top) nothing is suggested, whatever the sediment, move distance, noise and
// seed; and once the probe is well clear of it a clear step is suggested.
void TestSedimentSuggest::waitsForEvidenceDuringRaise()
{
    const int maxDepth = 20000;
    int early = 0, replays = 0, foundOnce = 0, clearSteps = 0;
    QString first;
    for (int move : {10, 50, 100}) {
        for (double sediment : {0.05, 0.1, 0.3, 0.6, 1.5}) {
            for (double noise : {0.02, 0.10, 0.30}) {
                for (uint32_t seed = 1; seed <= 8; ++seed) {
                    const QVector<Sample> hole = simulatedHole(maxDepth, move, sediment, noise, seed);
                    const int sedimentMm = int(std::lround(sediment * 1000));
                    // Well clear: four move distances and the change's width above the top.
                    const int clearMm = sedimentMm + 4 * move + 150;
                    bool shownWhenClear = false;
                    ++replays;
                    for (int n = 1; n <= hole.size(); ++n) {
                        const int height = maxDepth - hole.at(n - 1).depth;
                        if (height > clearMm + 3000)
                            break;
                        const SedimentSuggestion s = suggestSedimentInterface(hole.mid(0, n), maxDepth, move);
                        if (s.shown() && height <= sedimentMm) {
                            if (!early++)
                                first = QStringLiteral("move %1 mm, sediment %2 m, noise %3, seed %4: shown at %5 mm "
                                                       "(%6 samples): %7 cm, %8 %")
                                            .arg(move).arg(sediment).arg(noise).arg(seed).arg(height).arg(n)
                                            .arg(s.thicknessCm).arg(int(s.confidence * 100));
                        }
                        if (height >= clearMm && s.shown())
                            shownWhenClear = true;
                    }
                    const bool clearStep = sedimentMm >= 2 * move && noise <= 0.10;
                    clearSteps += clearStep ? 1 : 0;
                    foundOnce += clearStep && shownWhenClear ? 1 : 0;
                }
            }
        }
    }
    printf("\nraise replays: %d; suggestions while the probe was in the sediment: %d; clear steps suggested once clear: "
           "%d of %d\n", replays, early, foundOnce, clearSteps);
    QVERIFY2(early == 0, qPrintable(first));
    QCOMPARE(foundOnce, clearSteps);
}

QTEST_MAIN(TestSedimentSuggest)
#include "tst_sedimentsuggest.moc"
