// Curve picture, sample table, location diagram, curve host and information
// dialog of the measurement screen.

#include "ctrlinfo.h"
#include "curve.h"
#include "curvesamples.h"
#include "dlginfo.h"
#include "mytable.h"
#include "showwavepic.h"
#include "sysconfig.h"
#include "testrecord.h"
#include "testsupport.h"
#include "commonutils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

// The samples the pictures and tables of these tests show, and the record
// whose scales they are drawn on.
SampleList samples;
CtrlInfo record;

struct CurveSetup {
    int range, maxDepth, moveDistance;
};

void setCurve(const CurveSetup &c)
{
    record.curveRange = c.range;
    record.maxDepth = c.maxDepth;
    record.moveDistance = c.moveDistance;
}

QVector<Sample> makeSamples(int n, int firstDepth, int step, float (*value)(int))
{
    QVector<Sample> v;
    for (int i = 0; i < n; ++i) {
        Sample s;
        s.depth = firstDepth + i * step;
        s.resistivity = s.rawResistivity = value(i);
        v.append(s);
    }
    return v;
}

float wave(int i)
{
    return 20.0f + 15.0f * float(std::sin(i / 7.0));
}

QImage drawCurve(int w, int h, int selected = -1)
{
    QPixmap pm(w, h);
    DrawCurvePicture(pm, samples, record, selected);
    return pm.toImage().convertToFormat(QImage::Format_RGB32);
}

QTimer *repeatTimerOf(CMyTable &t)
{
    // The repeat timer is the one the arrow press started.
    for (QTimer *timer : t.findChildren<QTimer *>()) {
        if (timer->isActive() && (timer->interval() == 500 || timer->interval() == 100))
            return timer;
    }
    return nullptr;
}

// A table laid out like the main dialog's: depth and resistivity columns.
void fillTwoColumns(CMyTable &t, int rows)
{
    t.ClearRows();
    t.ClearHeaders();
    t.setFixedCols(1);
    t.SetHeaderText(1, 1, QStringLiteral("D"));
    t.SetHeaderText(1, 2, QStringLiteral("R"));
    for (int r = 1; r <= rows; ++r) {
        t.SetCellText(r, 1, QStringLiteral("d%1").arg(r), (r - 1) % 2);
        t.SetCellText(r, 2, QStringLiteral("r%1").arg(r));
    }
}

QPoint cellCentre(const CMyTable &t, int visRow, int visCol)
{
    const QRect d = t.dataRect();
    return QPoint(d.left() + (visCol - 1) * t.colWidth() + t.colWidth() / 2,
                  d.top() + (visRow - 1) * t.rowHeight() + t.rowHeight() / 2);
}

} // namespace

class TestScreenWidgets : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void curveRectangles();
    void judgedInterfaceDrawnAsInTheReport_data();
    void judgedInterfaceDrawnAsInTheReport();
    void resistivityScaleSteps_data();
    void resistivityScaleSteps();
    void depthScaleLabels_data();
    void depthScaleLabels();
    void depthTicksInWindow();
    void depthScaleWithoutStepsEnds();
    void samplePixels_data();
    void samplePixels();
    void pickArea_data();
    void pickArea();
    void pickChoosesLastMatchingSample();
    void fitTextChoosesFittingSize();
    void fitTextSetsFontAndDrawsLowered();
    void pictureResolvesPendingPress();
    void pressOnEmptyPictureStaysPending();
    void markerAndSelectionLine();
    void growingCurveMatchesFreshDrawing();
    void replacedSamplesLeaveNoOldCurve();
    void polylineKeepsEveryPixelRow();
    void magnifiedCanvasDrawsOnlyWhatIsVisible();
    void rangeBelowMinimumStillDraws();
    void overlayDrawnFadedUnderCurve_data();
    void overlayDrawnFadedUnderCurve();

    void wavePicPressReportsLeftButtonOnly();

    void tableLayout_data();
    void tableLayout();
    void columnsFrozenAfterFirstPaint();
    void pageMovesStayInBounds();
    void scrollToRowRules_data();
    void scrollToRowRules();
    void horizontalScrollWithManyColumns();
    void pressReportsCellAndSelects();
    void pressBelowLastRowReportsNothing();
    void doubleClickReportsPressThenDoubleClick();
    void doubleClickCanBeDisabled();
    void arrowPressRepeatsAndStopsAtEnd();
    void arrowPanelsHideAndReturn();
    void dragMovesRowsWithFinger();
    void dragDownAtTopChangesNothing();

    void fillTableTexts();
    void fillTableOneSampleHasNoRows();
    void fillTableCentresPickedSample();
    void fillTableLargeListFormatsOnDemand();
    void mirrorFollowsAppendsAndResets();


    void infoDialogShowsText();

private:
    TestAppDir *m_dir = nullptr;
};

void TestScreenWidgets::init()
{
    m_dir = new TestAppDir;
    style = 0;
    setCurve({50, 20000, 50});
    samples.clear();
}

void TestScreenWidgets::judgedInterfaceDrawnAsInTheReport_data()
{
    QTest::addColumn<bool>("awaiting");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("thicknessCm");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("a reopened judged file") << false << int(AcceptanceVerdict::Fail) << 50 << true;
    QTest::newRow("an older file with a thickness") << false << int(AcceptanceVerdict::NotJudged) << 50 << true;
    QTest::newRow("a test waiting for its judgement") << true << int(AcceptanceVerdict::NotJudged) << 50 << false;
    QTest::newRow("an older file never judged") << false << int(AcceptanceVerdict::NotJudged) << 0 << false;
}

// A judged record shows its interface as the report does: a red line across
// the plot at the judged depth, whatever is marked (nothing, on opening).
void TestScreenWidgets::judgedInterfaceDrawnAsInTheReport()
{
    QFETCH(bool, awaiting);
    QFETCH(int, verdict);
    QFETCH(int, thicknessCm);
    QFETCH(bool, drawn);
    const CtrlInfo kept = record;
    struct Restore {
        const CtrlInfo &from;
        ~Restore() { record = from; }
    } restore{kept};
    samples.assign(makeSamples(401, 20000, -50, wave));
    record.sedimentThickness = thicknessCm;
    record.acceptance.awaitingJudgement = awaiting;
    record.acceptance.verdict = verdict;
    const QImage img = drawCurve(600, 500);
    const QRect plot = curveGeometry(600, 500).plot;
    auto redInRow = [&](int y) {
        int n = 0;
        for (int x = plot.left(); x <= plot.right(); ++x)
            n += img.pixel(x, y) == qRgb(255, 0, 0);
        return n;
    };
    const int y = curvePoint(plot, 50, 20000, 20000 - 10 * thicknessCm, 0).y();
    const int red = std::max({redInRow(y - 1), redInRow(y), redInRow(y + 1)});
    if (drawn)
        QVERIFY2(red > plot.width() * 3 / 4, qPrintable(QString::number(red)));
    else
        QCOMPARE(red, 0);
}

void TestScreenWidgets::cleanup()
{
    samples.clear();
    delete m_dir;
    m_dir = nullptr;
}

// ---------------------------------------------------------------- curve

void TestScreenWidgets::curveRectangles()
{
    const CurveGeometry g = curveGeometry(600, 500);
    QCOMPARE(g.plot, QRect(QPoint(55, 55), QPoint(575, 475)));
    QCOMPARE(g.plot.width(), 521);
    QCOMPARE(g.plot.height(), 421);
    QCOMPARE(g.depthStrip, QRect(QPoint(25, 55), QPoint(54, 475)));
    QCOMPARE(g.resiStrip, QRect(QPoint(55, 25), QPoint(575, 54)));
    QCOMPARE(g.frame, QRect(QPoint(25, 25), QPoint(575, 475)));
}

void TestScreenWidgets::resistivityScaleSteps_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("valueStep");
    QTest::addColumn<int>("pixelStep");
    QTest::addColumn<int>("ticks");
    QTest::newRow("50") << 50 << 521 << 11 << 114 << 5;
    QTest::newRow("10 last tick one pixel inside") << 10 << 521 << 2 << 104 << 6;
    QTest::newRow("4000") << 4000 << 521 << 888 << 115 << 5;
    QTest::newRow("800 not in list") << 800 << 1000 << 177 << 221 << 5;
    QTest::newRow("zero range drawn as 10") << 0 << 521 << 2 << 104 << 6;
}

void TestScreenWidgets::resistivityScaleSteps()
{
    QFETCH(int, range);
    QFETCH(int, width);
    const ResistivityScale s = resistivityScale(range, width);
    QTEST(s.valueStep, "valueStep");
    QTEST(s.pixelStep, "pixelStep");
    QTEST(s.tickCount, "ticks");
    QVERIFY((s.tickCount - 1) * s.pixelStep < width);
    QVERIFY(s.tickCount * s.pixelStep >= width);
}

void TestScreenWidgets::depthScaleLabels_data()
{
    QTest::addColumn<int>("maxDepth");
    QTest::addColumn<int>("moveDistance");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("tickEvery");
    QTest::addColumn<int>("labelEvery");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("20 m by 50 mm") << 20000 << 50 << 421 << 9 << 45 << QStringList{"0", "9", "18"};
    QTest::newRow("20 m by 500 mm") << 20000 << 500 << 421 << 1 << 5 << QStringList{"0", "5", "10", "15", "20"};
    QTest::newRow("10 m by 100 mm tall") << 10000 << 100 << 700 << 1 << 5 << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
}

void TestScreenWidgets::depthScaleLabels()
{
    QFETCH(int, maxDepth);
    QFETCH(int, moveDistance);
    QFETCH(int, height);
    QFETCH(QStringList, labels);
    const DepthScale s = depthScale(maxDepth, moveDistance, height);
    QTEST(s.tickEvery, "tickEvery");
    QTEST(s.labelEvery, "labelEvery");
    const QRect strip(QPoint(25, 55), QPoint(54, 55 + height - 1));
    QStringList got;
    int labelled = 0;
    for (const DepthTick &t : depthTicks(strip, maxDepth, moveDistance)) {
        QVERIFY(t.y >= strip.top() && t.y <= strip.bottom() + 1);
        QCOMPARE((t.index - 1) % s.tickEvery, 0);
        if (!t.label.isEmpty()) {
            got << t.label;
            QCOMPARE(t.tickLength, 10);
            ++labelled;
        } else {
            QCOMPARE(t.tickLength, 4);
        }
    }
    QCOMPARE(got, labels);
    QVERIFY(labelled > 0);
}

// A window of the scale holds exactly the ticks of the whole scale that lie
// in it, labels and all.
void TestScreenWidgets::depthTicksInWindow()
{
    struct Case {
        int maxDepth, moveDistance, height;
    };
    for (const Case c : {Case{20000, 10, 4200}, Case{20000, 50, 421}, Case{1000, 100, 2500}, Case{200000, 7, 700}}) {
        const QRect strip(QPoint(25, 55), QPoint(54, 55 + c.height - 1));
        const QVector<DepthTick> all = depthTicks(strip, c.maxDepth, c.moveDistance);
        QVERIFY(!all.isEmpty());
        const int bottom = strip.bottom();
        QVector<QPair<int, int>> windows{qMakePair(-1000, 10), qMakePair(300, 340), qMakePair(bottom - 50, bottom + 40),
                                         qMakePair(bottom + 2, bottom + 900), qMakePair(0, bottom + 100)};
        // Windows that begin or end right on a tick.
        for (int k : {0, all.size() / 3, all.size() - 1}) {
            const int y = all.at(k).y;
            windows << qMakePair(y, y) << qMakePair(y, y + 3) << qMakePair(y - 3, y) << qMakePair(y + 1, y + 40)
                    << qMakePair(y - 40, y - 1);
        }
        for (const QPair<int, int> &w : windows) {
            QVector<DepthTick> expected;
            for (const DepthTick &t : all) {
                if (t.y >= w.first && t.y <= w.second)
                    expected.append(t);
            }
            const QVector<DepthTick> got = depthTicks(strip, c.maxDepth, c.moveDistance, w.first, w.second);
            QCOMPARE(got.size(), expected.size());
            for (int i = 0; i < got.size(); ++i) {
                QCOMPARE(got[i].index, expected[i].index);
                QCOMPARE(got[i].y, expected[i].y);
                QCOMPARE(got[i].label, expected[i].label);
                QCOMPARE(got[i].tickLength, expected[i].tickLength);
                QCOMPARE(got[i].labelTopLeft, expected[i].labelTopLeft);
            }
        }
    }
}

void TestScreenWidgets::depthScaleWithoutStepsEnds()
{
    // A move distance of 0 would make the scale endless; it draws no steps.
    QVERIFY(depthTicks(QRect(25, 55, 30, 400), 20000, 0).isEmpty());
    QVERIFY(depthTicks(QRect(25, 55, 30, 400), 20000, -50).isEmpty());
    setCurve({50, 20000, 0});
    const QImage img = drawCurve(300, 200);
    QCOMPARE(img.size(), QSize(300, 200));
}

void TestScreenWidgets::samplePixels_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("maxDepth");
    QTest::addColumn<int>("depth");
    QTest::addColumn<float>("resistivity");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("middle, both cut") << 50 << 20000 << 10000 << 25.0f << QPoint(315, 265);
    QTest::newRow("top left") << 50 << 20000 << 0 << 0.0f << QPoint(55, 55);
    QTest::newRow("bottom at maxDepth") << 50 << 20000 << 20000 << 0.0f << QPoint(55, 476);
    QTest::newRow("above range not clipped") << 10 << 20000 << 5000 << 20.0f << QPoint(55 + 1042, 160);
    QTest::newRow("negative reading") << 50 << 20000 << 5000 << -1.0f << QPoint(44, 160);
}

void TestScreenWidgets::samplePixels()
{
    QFETCH(int, range);
    QFETCH(int, maxDepth);
    QFETCH(int, depth);
    QFETCH(float, resistivity);
    QTEST(curvePoint(curveGeometry(600, 500).plot, range, maxDepth, depth, resistivity), "pixel");
}

void TestScreenWidgets::pickArea_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<bool>("picks");
    QTest::addColumn<int>("depth");
    QTest::newRow("top left corner") << QPoint(55, 55) << true << 0;
    QTest::newRow("middle") << QPoint(300, 265) << true << 9976;
    QTest::newRow("5 below bottom") << QPoint(300, 480) << true << 20190;
    QTest::newRow("10 below bottom") << QPoint(575, 485) << true << 20427;
    QTest::newRow("11 below bottom") << QPoint(300, 486) << false << 0;
    QTest::newRow("on depth strip") << QPoint(54, 200) << false << 0;
    QTest::newRow("on resistivity strip") << QPoint(300, 54) << false << 0;
    QTest::newRow("right of plot") << QPoint(576, 200) << false << 0;
}

void TestScreenWidgets::pickArea()
{
    QFETCH(QPoint, press);
    int depth = -12345;
    QTEST(pickedDepth(curveGeometry(600, 500).plot, 20000, press.x(), press.y(), &depth), "picks");
    QFETCH(bool, picks);
    if (picks)
        QTEST(depth, "depth");
}

void TestScreenWidgets::pickChoosesLastMatchingSample()
{
    QVector<Sample> v = makeSamples(5, 19800, -50, wave); // 19800, 19750, ... 19600
    QCOMPARE(pickSampleIndex(v, 19750, 50), 1);
    QCOMPARE(pickSampleIndex(v, 19726, 50), 1); // 19725 < p <= 19775
    QCOMPARE(pickSampleIndex(v, 19725, 50), 2); // window edge belongs to the shallower sample
    QCOMPARE(pickSampleIndex(v, 19900, 50), -1);
    // The lower edge of a window is open: 19775 belongs to 19750 only, even
    // when the deeper sample comes later in the list.
    const QVector<Sample> rising = makeSamples(2, 19750, 50, wave);
    QCOMPARE(pickSampleIndex(rising, 19775, 50), 0);
    QCOMPARE(pickSampleIndex(rising, 19776, 50), 1);
    // After a resample the same depth appears twice: the later one wins.
    Sample again = v.at(1);
    v.append(again);
    QCOMPARE(pickSampleIndex(v, 19750, 50), 5);
}

void TestScreenWidgets::fitTextChoosesFittingSize()
{
    QPixmap device(10, 10);
    auto height = [&](int points) {
        return QFontMetrics(QFont(QStringLiteral("Sans Serif"), points, QFont::Normal), &device).height();
    };
    // The result is the line height of the largest size that still fits
    // below the target, the next size reaching it.
    for (int target : {10, 13, 16, 24, 31, 45, 60}) {
        const int got = fitTextSize(&device, target, QFont::Normal);
        QVERIFY2(got <= target, qPrintable(QStringLiteral("%1 -> %2").arg(target).arg(got)));
        bool found = false;
        for (int s = 1; s < 200 && !found; ++s)
            found = height(s) == got && height(s + 1) >= target;
        QVERIFY2(found, qPrintable(QStringLiteral("%1 -> %2").arg(target).arg(got)));
    }
    // Bold fonts are measured as bold.
    QVERIFY(fitTextSize(&device, 40, QFont::Bold) <= 40);
}

void TestScreenWidgets::fitTextSetsFontAndDrawsLowered()
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::black);
    const QRect rect(0, 0, 200, 30);
    const int size = FitText(p, QStringLiteral("8888"), rect, Qt::AlignLeft | Qt::AlignTop, QFont::Bold);
    QCOMPARE(size, fitTextSize(&img, 30 * 4 / 5, QFont::Bold));
    QCOMPARE(p.font().pointSize(), size);
    QCOMPARE(p.font().weight(), int(QFont::Bold));
    QVERIFY(!p.font().italic());
    // Two lines share the height.
    const int two = FitText(p, QStringLiteral("a\nb"), rect, Qt::AlignLeft | Qt::AlignTop, QFont::Normal);
    QCOMPARE(two, fitTextSize(&img, 15 * 4 / 5, QFont::Normal));
    p.end();
    // The text is moved 5 pixels down: the first rows stay empty.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 200; ++x)
            QCOMPARE(img.pixel(x, y), qRgb(255, 255, 255));
}

void TestScreenWidgets::pictureResolvesPendingPress()
{
    samples.assign(makeSamples(40, 20000, -50, wave)); // 20000 .. 18050
    const QSize size(600, 500);
    const QRect plot = curveGeometry(size.width(), size.height()).plot;
    // A press at the row of depth 19000 mm.
    const int y = plot.top() + 19000 * plot.height() / 20000;
    int depth = 0;
    QVERIFY(pickedDepth(plot, 20000, 300, y, &depth));
    CCurvePicture picture;
    picture.setSource(&samples, &record);
    int index = -3;
    QVERIFY(picture.pick(size, QPoint(300, y), &index));
    const int expected = pickSampleIndex(samples.snapshot(), depth, 50);
    QVERIFY(expected >= 0);
    QCOMPARE(index, expected);
    QVERIFY(std::abs(samples.snapshot().at(expected).depth - 19000) <= 50);
    // Picking selects nothing by itself.
    QCOMPARE(picture.selected(), -1);

    // A press outside the pick area picks nothing.
    QVERIFY(picture.pick(size, QPoint(10, 10), &index));
    QCOMPARE(index, int(CCurvePicture::OffPicture));
}

void TestScreenWidgets::pressOnEmptyPictureStaysPending()
{
    CShowWavePic pic;
    pic.picture().setSource(&samples, &record);
    pic.resize(600, 500);
    pic.show();
    QSignalSpy picked(&pic, &CShowWavePic::samplePicked);
    QTest::mousePress(&pic, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    QCOMPARE(picked.count(), 0);
    int index = -3;
    QVERIFY(!pic.takeWaitingPick(&index));
    samples.assign(makeSamples(400, 20000, -50, wave));
    QVERIFY(pic.takeWaitingPick(&index));
    QVERIFY(index >= 0);
    // Taken once.
    QVERIFY(!pic.takeWaitingPick(&index));
}

void TestScreenWidgets::markerAndSelectionLine()
{
    samples.assign(makeSamples(100, 20000, -50, wave));
    const QRect plot = curveGeometry(600, 500).plot;
    const Sample s = samples.snapshot().at(30);
    const QPoint pt = curvePoint(plot, 50, 20000, s.depth, s.resistivity);
    QImage img = drawCurve(600, 500, 30);
    const QRgb red = qRgb(255, 0, 0);
    QCOMPARE(img.pixel(plot.left() + 3, pt.y()), red);
    QCOMPARE(img.pixel(plot.right() - 3, pt.y()), red);
    QCOMPARE(img.pixel(pt), red);
    // No selection: no red line, and the curve is drawn in the axis blue.
    img = drawCurve(600, 500, -1);
    QVERIFY(img.pixel(plot.right() - 3, pt.y()) != red);
    QCOMPARE(img.pixel(pt), curveForeground().rgb());
    // A selection above the range still gets its line.
    Sample big;
    big.depth = 15000;
    big.resistivity = big.rawResistivity = 80.0f;
    samples.appendSample(big);
    const QPoint far = curvePoint(plot, 50, 20000, big.depth, big.resistivity);
    QVERIFY(far.x() > plot.right());
    img = drawCurve(600, 500, 100);
    QCOMPARE(img.pixel(plot.left() + 10, far.y()), red);
}

void TestScreenWidgets::overlayDrawnFadedUnderCurve_data()
{
    QTest::addColumn<int>("theme");
    QTest::addColumn<QSize>("size");
    QTest::newRow("white, cached") << 0 << QSize(600, 500);
    QTest::newRow("dark, cached") << 1 << QSize(600, 500);
    QTest::newRow("white, magnified (painted directly)") << 0 << QSize(600, 8000);
}

// The earlier test is drawn in the faded colour where it lies, on the same
// scales, under the reviewed curve where both pass; without it those pixels
// are background.
void TestScreenWidgets::overlayDrawnFadedUnderCurve()
{
    QFETCH(int, theme);
    QFETCH(QSize, size);
    style = theme;
    // The reviewed test at 30 all the way; the earlier one at 30 in the
    // upper half (the same pixels) and at 10 below.
    const QVector<Sample> reviewed = makeSamples(401, 0, 50, [](int) { return 30.0f; });
    const QVector<Sample> earlier = makeSamples(401, 0, 50, [](int i) { return i < 200 ? 30.0f : 10.0f; });
    samples.assign(reviewed);
    const QRect plot = curveGeometry(size.width(), size.height()).plot;
    const QColor faded = curveOverlayColour(theme);
    QVERIFY(faded != curveForeground() && faded != curveBackground(theme));

    CCurvePicture picture;

    picture.setSource(&samples, &record);
    auto render = [&] {
        QImage img(size, QImage::Format_RGB32);
        QPainter p(&img);
        picture.paint(p, size);
        return img;
    };
    const QImage without = render();
    picture.setOverlay(earlier, QStringLiteral("Z17 2026-11-10"));
    const QImage with = render();
    int fadedPixels = 0;
    for (const int depth : {12000, 15000, 18000, 19500}) {
        const QPoint old = curvePoint(plot, 50, 20000, depth, 10.0f);
        QCOMPARE(with.pixel(old), faded.rgb());
        QCOMPARE(without.pixel(old), curveBackground(theme).rgb());
    }
    for (const int depth : {2000, 5000, 8000}) { // both pass here: the reviewed curve is on top
        const QPoint both = curvePoint(plot, 50, 20000, depth, 30.0f);
        QCOMPARE(with.pixel(both), curveForeground().rgb());
    }
    // The label sits in the plot's top right corner, in the faded colour.
    const QRect corner(plot.right() - 200, plot.top(), 200, 40);
    for (int y = corner.top(); y <= corner.bottom(); ++y)
        for (int x = corner.left(); x <= corner.right(); ++x)
            fadedPixels += with.pixel(x, y) == faded.rgb() ? 1 : 0;
    QVERIFY2(fadedPixels > 20, qPrintable(QString::number(fadedPixels)));

    picture.setOverlay({}, QString()); // taken away again
    QCOMPARE(render(), without);
    style = 0;
}

void TestScreenWidgets::growingCurveMatchesFreshDrawing()
{
    const QVector<Sample> all = makeSamples(300, 20000, -50, wave);
    samples.clear();
    for (int i = 0; i < all.size(); ++i) {
        samples.appendSample(all.at(i));
        if (i % 37 == 0)
            drawCurve(600, 500); // the cache grows piece by piece
    }
    const QImage grown = drawCurve(600, 500);
    samples.clear();
    drawCurve(600, 500);
    samples.assign(all); // a new list: drawn from scratch
    const QImage fresh = drawCurve(600, 500);
    int differing = 0;
    for (int y = 0; y < fresh.height(); ++y)
        for (int x = 0; x < fresh.width(); ++x)
            differing += grown.pixel(x, y) != fresh.pixel(x, y);
    // Joins of the pieces may differ by a pixel or two, never a segment.
    QVERIFY2(differing <= 20, qPrintable(QString::number(differing)));
}

void TestScreenWidgets::replacedSamplesLeaveNoOldCurve()
{
    samples.assign(makeSamples(300, 20000, -50, [](int) { return 40.0f; }));
    drawCurve(600, 500);
    samples.assign(makeSamples(300, 20000, -50, [](int) { return 10.0f; }));
    const QImage img = drawCurve(600, 500);
    const QRect plot = curveGeometry(600, 500).plot;
    const QPoint oldPt = curvePoint(plot, 50, 20000, 15000, 40.0f);
    const QPoint newPt = curvePoint(plot, 50, 20000, 15000, 10.0f);
    QCOMPARE(img.pixel(oldPt), curveBackground(0).rgb());
    QCOMPARE(img.pixel(newPt), curveForeground().rgb());
    // The theme is part of the picture too.
    style = 1;
    const QImage dark = drawCurve(600, 500);
    QCOMPARE(dark.pixel(oldPt), curveBackground(1).rgb());
    QCOMPARE(dark.pixel(newPt), curveForeground().rgb());
}

void TestScreenWidgets::polylineKeepsEveryPixelRow()
{
    // 20,000 samples on 421 pixel rows: a few points per row remain, and
    // each row keeps its leftmost and rightmost point.
    const QVector<Sample> all = makeSamples(20000, 20000, -1, wave);
    const QRect plot = curveGeometry(600, 500).plot;
    const QVector<QPoint> pts = curvePolyline(plot, 50, 20000, all, 0);
    QVERIFY(pts.size() <= 4 * (plot.height() + 1));
    QHash<int, QPair<int, int>> spanAll, spanKept;
    auto widen = [](QHash<int, QPair<int, int>> &h, const QPoint &p) {
        auto it = h.find(p.y());
        if (it == h.end())
            h.insert(p.y(), qMakePair(p.x(), p.x()));
        else
            *it = qMakePair(qMin(it->first, p.x()), qMax(it->second, p.x()));
    };
    for (const Sample &s : all)
        widen(spanAll, curvePoint(plot, 50, 20000, s.depth, s.resistivity));
    for (const QPoint &p : pts)
        widen(spanKept, p);
    QCOMPARE(spanKept, spanAll);
    QCOMPARE(pts.first(), curvePoint(plot, 50, 20000, all.first().depth, all.first().resistivity));
    QCOMPARE(pts.last(), curvePoint(plot, 50, 20000, all.last().depth, all.last().resistivity));
}

void TestScreenWidgets::magnifiedCanvasDrawsOnlyWhatIsVisible()
{
    // A canvas this large is painted directly; a clipped paint must give the
    // same pixels in the visible part as a whole one.
    samples.assign(makeSamples(3000, 20000, -6, wave));
    const QSize size(2100, 2100);
    QImage whole(size, QImage::Format_RGB32);
    {
        QPainter p(&whole);
        CCurvePicture picture;
        picture.setSource(&samples, &record);
        picture.setSelected(1500);
        picture.paint(p, size);
    }
    const QRect visible(700, 900, 400, 300);
    QImage part(size, QImage::Format_RGB32);
    part.fill(Qt::black);
    {
        QPainter p(&part);
        p.setClipRect(visible);
        CCurvePicture picture;
        picture.setSource(&samples, &record);
        picture.setSelected(1500);
        picture.paint(p, size);
    }
    int curvePixels = 0;
    for (int y = visible.top(); y <= visible.bottom(); ++y) {
        for (int x = visible.left(); x <= visible.right(); ++x) {
            QCOMPARE(part.pixel(x, y), whole.pixel(x, y));
            curvePixels += whole.pixel(x, y) == curveForeground().rgb();
        }
    }
    QVERIFY(curvePixels > 100); // the curve does cross the visible part
    QCOMPARE(part.pixel(visible.left() - 1, visible.top()), qRgb(0, 0, 0));
}

void TestScreenWidgets::rangeBelowMinimumStillDraws()
{
    samples.assign(makeSamples(50, 20000, -50, wave));
    setCurve({3, 20000, 50});
    const QImage img = drawCurve(400, 300);
    QCOMPARE(img.size(), QSize(400, 300));
    setCurve({50, 0, 50});
    QCOMPARE(drawCurve(400, 300).size(), QSize(400, 300));
}

void TestScreenWidgets::wavePicPressReportsLeftButtonOnly()
{
    samples.assign(makeSamples(400, 20000, -50, wave));
    CShowWavePic pic;
    pic.picture().setSource(&samples, &record);
    pic.resize(600, 500);
    pic.show();
    QSignalSpy picked(&pic, &CShowWavePic::samplePicked);
    QTest::mouseClick(&pic, Qt::RightButton, Qt::NoModifier, QPoint(100, 120));
    QCOMPARE(picked.count(), 0);
    QTest::mousePress(&pic, Qt::LeftButton, Qt::NoModifier, QPoint(100, 120));
    QCOMPARE(picked.count(), 1);
    int expected = -3;
    CCurvePicture plain;
    plain.setSource(&samples, &record);
    plain.pick(pic.size(), QPoint(100, 120), &expected);
    QCOMPARE(picked.at(0).at(0).toInt(), expected);
    // Off the plot: nothing.
    QTest::mousePress(&pic, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(picked.count(), 1);
}

// ---------------------------------------------------------------- table

void TestScreenWidgets::tableLayout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("visRows");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<int>("visCols");
    QTest::addColumn<int>("colWidth");
    QTest::newRow("300x400") << QSize(300, 400) << 14 << 26 << 2 << 149;
    QTest::newRow("25 high") << QSize(300, 25) << 1 << 11 << 2 << 149;
    QTest::newRow("20 high") << QSize(300, 20) << 1 << 9 << 2 << 149;
    QTest::newRow("narrow: one column") << QSize(120, 400) << 14 << 26 << 1 << 118;
    QTest::newRow("26 high") << QSize(300, 26) << 1 << 12 << 2 << 149;
}

void TestScreenWidgets::tableLayout()
{
    QFETCH(QSize, size);
    CMyTable t;
    fillTwoColumns(t, 3);
    t.resize(size);
    t.doLayout();
    QTEST(t.visRows(), "visRows");
    QTEST(t.rowHeight(), "rowHeight");
    QTEST(t.visCols(), "visCols");
    QTEST(t.colWidth(), "colWidth");
    QCOMPARE(t.dataRect().top(), 1 + t.rowHeight());
    QCOMPARE(t.dataRect().height(), t.visRows() * t.rowHeight());
    // A later height change lays the rows out again.
    t.resize(size.width(), size.height() + 200);
    t.doLayout();
    QVERIFY(t.dataRect().bottom() <= size.height() + 200);
    QVERIFY(t.dataRect().bottom() >= size.height() + 200 - 2 * t.rowHeight());
}

void TestScreenWidgets::columnsFrozenAfterFirstPaint()
{
    // Painted before the owner freezes the depth column: the second visible
    // column must still show the second data column.
    CMyTable t;
    t.resize(300, 400);
    t.show();
    t.grab();
    samples.assign(makeSamples(30, 20000, -50, [](int) { return 7.0f; }));
    FillTable(&t, samples);
    t.grab();
    QCOMPARE(t.leftCol(), 2);
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 1, 2));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toInt(), 2);
    QCOMPARE(spy.at(0).at(2).toString(), QStringLiteral("7.0000"));
}

void TestScreenWidgets::pageMovesStayInBounds()
{
    CMyTable t;
    fillTwoColumns(t, 40);
    t.resize(300, 400); // 14 visible rows
    t.doLayout();
    t.PageMoveUp(5);
    QCOMPARE(t.topRow(), 1);
    t.PageMoveDown(10);
    QCOMPARE(t.topRow(), 11);
    t.PageMoveDown(100);
    QCOMPARE(t.topRow(), 40 + 1 - 14);
    t.PageMoveDown();
    QCOMPARE(t.topRow(), 27);
    t.PageMoveUp(3);
    QCOMPARE(t.topRow(), 24);
    t.PageMoveUp(100);
    QCOMPARE(t.topRow(), 1);
    // Fewer rows than fit: always the first row on top.
    fillTwoColumns(t, 5);
    t.PageMoveDown(3);
    QCOMPARE(t.topRow(), 1);
    // Two columns fit: no horizontal movement.
    t.PageMoveRight(1);
    QCOMPARE(t.leftCol(), 2);
    t.PageMoveLeft(1);
    QCOMPARE(t.leftCol(), 2);
}

void TestScreenWidgets::scrollToRowRules_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("top");
    QTest::newRow("inside") << 40 << 1 << 10 << 10;
    QTest::newRow("below 1 ignored") << 40 << 5 << 0 << 5;
    QTest::newRow("beyond count ignored") << 40 << 5 << 41 << 5;
    QTest::newRow("near the end: last row at bottom") << 40 << 1 << 35 << 27;
    QTest::newRow("last row") << 40 << 1 << 40 << 27;
    QTest::newRow("few rows: top stays 1") << 10 << 1 << 8 << 1;
    QTest::newRow("exactly visible rows") << 14 << 1 << 3 << 1;
}

void TestScreenWidgets::scrollToRowRules()
{
    QFETCH(int, rows);
    QFETCH(int, start);
    QFETCH(int, target);
    CMyTable t;
    fillTwoColumns(t, rows);
    t.resize(300, 400);
    t.doLayout();
    t.ScrollToRow(start);
    QCOMPARE(t.topRow(), start);
    t.ScrollToRow(target);
    QTEST(t.topRow(), "top");
}

void TestScreenWidgets::horizontalScrollWithManyColumns()
{
    CMyTable t;
    t.setFixedCols(1);
    for (int c = 1; c <= 6; ++c)
        t.SetHeaderText(1, c, QStringLiteral("H%1").arg(c));
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 6; ++c)
            t.SetCellText(r, c, QStringLiteral("%1/%2").arg(r).arg(c));
    t.resize(300, 200); // 298 / 4 = 74 > 65: four columns fit
    t.show();
    t.doLayout();
    QCOMPARE(t.visCols(), 4);
    QCOMPARE(t.leftCol(), 2);
    t.PageMoveRight(1);
    QCOMPARE(t.leftCol(), 4); // last three data columns shown beside the frozen one
    t.PageMoveRight(5);
    QCOMPARE(t.leftCol(), 4);
    t.PageMoveLeft(1);
    QCOMPARE(t.leftCol(), 3);
    t.PageMoveLeft(9);
    QCOMPARE(t.leftCol(), 2);
    t.ScrollToColumn(6);
    QCOMPARE(t.leftCol(), 4);
    t.ScrollToColumn(1);
    QCOMPARE(t.leftCol(), 2);
    t.ScrollToColumn(7);
    QCOMPARE(t.leftCol(), 2);
    // A press on the frozen column reports column 1; the next visible
    // column reports the scrolled data column.
    t.ScrollToColumn(3);
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 1, 1));
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 1, 2));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(1).toInt(), 1);
    QCOMPARE(spy.at(1).at(1).toInt(), 3);
    QCOMPARE(spy.at(1).at(2).toString(), QStringLiteral("1/3"));
}

void TestScreenWidgets::pressReportsCellAndSelects()
{
    CMyTable t;
    fillTwoColumns(t, 40);
    t.resize(300, 400);
    t.show();
    t.doLayout();
    t.ScrollToRow(10);
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 3, 2));
    QCOMPARE(spy.count(), 1);
    const QList<QVariant> args = spy.takeFirst();
    QCOMPARE(args.at(0).toInt(), 12);
    QCOMPARE(args.at(1).toInt(), 2);
    QCOMPARE(args.at(2).toString(), QStringLiteral("r12"));
    QCOMPARE(args.at(3).toInt(), 2);
    QCOMPARE(t.selectedRow(), 12);
    // Other buttons and the header report nothing.
    QTest::mouseClick(&t, Qt::RightButton, Qt::NoModifier, cellCentre(t, 4, 2));
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, QPoint(50, t.headerRect().center().y()));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(t.selectedRow(), 12);
}

void TestScreenWidgets::pressBelowLastRowReportsNothing()
{
    CMyTable t;
    fillTwoColumns(t, 3);
    t.resize(300, 400);
    t.show();
    t.doLayout();
    t.SetSelectedRow(2);
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 6, 1));
    QTest::mouseDClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 6, 2));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(t.selectedRow(), 2);
}

void TestScreenWidgets::doubleClickReportsPressThenDoubleClick()
{
    CMyTable t;
    fillTwoColumns(t, 40);
    t.resize(300, 400);
    t.show();
    t.doLayout();
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    const QPoint at = cellCentre(t, 5, 2);
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(&t, Qt::LeftButton, Qt::NoModifier, at);
    QVERIFY(spy.count() >= 2);
    const QList<QVariant> first = spy.first();
    const QList<QVariant> last = spy.last();
    QCOMPARE(first.at(3).toInt(), 2);
    QCOMPARE(last.at(3).toInt(), 4);
    QCOMPARE(last.at(0).toInt(), 5);
    QCOMPARE(last.at(1).toInt(), 2);
    QCOMPARE(last.at(2).toString(), QStringLiteral("r5"));
    QCOMPARE(first.at(0).toInt(), 5);
}

void TestScreenWidgets::doubleClickCanBeDisabled()
{
    CMyTable t;
    fillTwoColumns(t, 10);
    t.setDoubleClickEnabled(false);
    t.resize(300, 400);
    t.show();
    t.doLayout();
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mouseDClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 2, 1));
    for (const QList<QVariant> &a : spy)
        QCOMPARE(a.at(3).toInt(), 2);
}

void TestScreenWidgets::arrowPressRepeatsAndStopsAtEnd()
{
    CMyTable t;
    fillTwoColumns(t, 30);
    t.resize(300, 400); // 14 visible: last top row is 17
    t.show();
    t.grab(); // paints: panels shown, rectangles known
    QVERIFY(!t.arrowsHidden());
    const QRect v = t.vArrowsRect();
    QVERIFY(!v.isNull());
    QVERIFY(t.hArrowsRect().isNull()); // two columns fit: no left/right panel
    const QPoint down(v.center().x(), v.bottom() - 5);
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, down);
    QCOMPARE(t.topRow(), 2);
    QVERIFY(!t.hideTimerActive());
    QTimer *timer = repeatTimerOf(t);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 500);
    QMetaObject::invokeMethod(timer, "timeout"); // first repeat switches to the fast rate
    QCOMPARE(t.repeatInterval(), 100);
    for (int i = 0; i < 40 && t.repeatActive(); ++i)
        QMetaObject::invokeMethod(timer, "timeout");
    QCOMPARE(t.topRow(), 17);
    QVERIFY(t.repeatActive()); // still held: repeats without moving
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, down);
    QVERIFY(!t.repeatActive());
    QVERIFY(t.hideTimerActive());
    QCOMPARE(spy.count(), 0); // arrow presses are not cell presses

    // The upper half scrolls up, and at the top it still repeats harmlessly.
    t.grab();
    const QPoint up(t.vArrowsRect().center().x(), t.vArrowsRect().top() + 5);
    t.ScrollToRow(1);
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, up);
    QCOMPARE(t.topRow(), 1);
    QVERIFY(t.repeatActive());
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, up);
    QVERIFY(!t.repeatActive());
}

void TestScreenWidgets::arrowPanelsHideAndReturn()
{
    CMyTable t;
    fillTwoColumns(t, 5); // all rows fit: nothing to scroll
    t.resize(300, 400);
    t.show();
    t.grab();
    QVERIFY(t.arrowsHidden());
    fillTwoColumns(t, 40);
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 2, 1));
    QVERIFY(!t.arrowsHidden());
    t.grab();
    QVERIFY(!t.vArrowsRect().isNull());
    t.UpdateTimeHideArrow();
    QVERIFY(t.arrowsHidden());
    QVERIFY(!t.hideTimerActive());
    // A press where the hidden panel was is a cell press again.
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    const QRect v = t.vArrowsRect();
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, QPoint(v.center().x(), v.bottom() - 5));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(t.topRow(), 1);
}

void TestScreenWidgets::dragMovesRowsWithFinger()
{
    CMyTable t;
    fillTwoColumns(t, 40);
    t.resize(300, 400);
    t.show();
    t.UpdateTimeHideArrow();
    t.grab();
    t.ScrollToRow(10);
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 8, 1));
    QMouseEvent move(QEvent::MouseMove, cellCentre(t, 5, 1), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t, &move);
    QCOMPARE(t.topRow(), 13); // up by three rows: three later rows come in
    QMouseEvent move2(QEvent::MouseMove, cellCentre(t, 7, 1), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t, &move2);
    QCOMPARE(t.topRow(), 11);
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 7, 1));
    // Dragging up far, stroke after stroke, stops with the last row at the bottom.
    for (int i = 0; i < 4; ++i) {
        QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 14, 1));
        QMouseEvent up(QEvent::MouseMove, cellCentre(t, 1, 1), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&t, &up);
        QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 1, 1));
        t.UpdateTimeHideArrow();
    }
    QCOMPARE(t.topRow(), 27);
}

void TestScreenWidgets::dragDownAtTopChangesNothing()
{
    CMyTable t;
    fillTwoColumns(t, 40);
    t.resize(300, 400);
    t.show();
    t.UpdateTimeHideArrow();
    t.grab();
    QTest::mousePress(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 2, 1));
    QMouseEvent move(QEvent::MouseMove, cellCentre(t, 6, 1), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&t, &move);
    QCOMPARE(t.topRow(), 1);
    QTest::mouseRelease(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 6, 1));
}

// ---------------------------------------------------------------- FillTable

void TestScreenWidgets::fillTableTexts()
{
    QVector<Sample> v = makeSamples(4, 20000, -50, wave);
    v[0].resistivity = -0.0f;
    v[1].resistivity = 2.5f;
    v[2].resistivity = 12.34567f;
    struct Last {
        float value;
        const char *text;
    };
    const Last lasts[] = {{-1.0f, "读数中......"}, {2.5f, "读数中......"}, {2.50001f, "2.5000"}, {0.0f, "0.0000"}};
    CMyTable t;
    t.resize(300, 400);
    for (const Last &last : lasts) {
        v[3].resistivity = last.value;
        samples.assign(v);
        FillTable(&t, samples);
        QCOMPARE(t.rowCount(), 4);
        QCOMPARE(t.colCount(), 2);
        QCOMPARE(t.fixedCols(), 1);
        QCOMPARE(t.headerText(1, 1), QStringLiteral("深度(m)"));
        QCOMPARE(t.headerText(1, 2), QStringLiteral("电阻率(Ω∙m)"));
        QCOMPARE(t.cellText(1, 1), QStringLiteral("20.00"));
        QCOMPARE(t.cellText(4, 1), QStringLiteral("19.85"));
        QCOMPARE(t.cellText(1, 2), QStringLiteral("0.0000"));
        QCOMPARE(t.cellText(2, 2), QStringLiteral("2.5000"));
        QCOMPARE(t.cellText(3, 2), QStringLiteral("12.3457"));
        QCOMPARE(t.cellText(4, 2), QString::fromUtf8(last.text));
        QCOMPARE(t.rowAt(1).colorKind, 0);
        QCOMPARE(t.rowAt(2).colorKind, 1);
    }
    // The unit follows the main dialog's range label.
    FillTable(&t, samples, QStringLiteral("(X)"));
    QCOMPARE(t.headerText(1, 2), QStringLiteral("电阻率(X)"));
}

void TestScreenWidgets::fillTableOneSampleHasNoRows()
{
    CMyTable t;
    t.resize(300, 400);
    samples.assign(makeSamples(20, 20000, -50, wave));
    FillTable(&t, samples);
    QCOMPARE(t.storedRowCount(), 20);
    samples.assign(makeSamples(1, 20000, -50, wave));
    FillTable(&t, samples);
    QCOMPARE(t.storedRowCount(), 0);
    QCOMPARE(t.cellText(1, 1), QString());
    QSignalSpy spy(&t, &CMyTable::SetMouseClick);
    t.show();
    t.grab();
    QTest::mouseClick(&t, Qt::LeftButton, Qt::NoModifier, cellCentre(t, 1, 1));
    QCOMPARE(spy.count(), 0);
}

void TestScreenWidgets::fillTableCentresPickedSample()
{
    CMyTable t;
    t.resize(300, 400); // 14 visible rows
    t.show();
    t.grab();
    samples.assign(makeSamples(100, 20000, -50, wave));
    FillTable(&t, samples);
    QCOMPARE(t.topRow(), 1);
    // Not after a pick: the table keeps its place and selection.
    FillTable(&t, samples);
    QCOMPARE(t.topRow(), 1);
    QCOMPARE(t.selectedRow(), -1);
    // After a pick the sample is selected and shown near the middle.
    FillTable(&t, samples, defaultRangeUnitText(), 60);
    QCOMPARE(t.topRow(), 60 - 7);
    QCOMPARE(t.selectedRow(), 61);
    // Near the end the last row stays at the bottom.
    FillTable(&t, samples, defaultRangeUnitText(), 98);
    QCOMPARE(t.topRow(), 100 + 1 - 14);
    QCOMPARE(t.selectedRow(), 99);
}

void TestScreenWidgets::fillTableLargeListFormatsOnDemand()
{
    const QVector<Sample> v = makeSamples(20000, 20000, -1, wave);
    samples.assign(v);
    CMyTable t;
    t.resize(300, 400);
    FillTable(&t, samples);
    QCOMPARE(t.rowCount(), 20000);
    QCOMPARE(t.cellText(12345, 1), QStringLiteral("%1").arg((20000 - 12344) / 1000.0, 0, 'f', 2));
    QCOMPARE(t.cellText(12345, 2), QStringLiteral("%1").arg(double(v.at(12344).resistivity), 0, 'f', 4));
    // A sample appended after the fill is not a row until the next fill.
    samples.append(1, 30.0f);
    QCOMPARE(t.rowCount(), 20000);
    FillTable(&t, samples);
    QCOMPARE(t.rowCount(), 20001);
    QCOMPARE(t.cellText(20001, 2), QStringLiteral("30.0000"));
    QCOMPARE(t.cellText(20000, 2), QStringLiteral("%1").arg(double(v.last().resistivity), 0, 'f', 4));
    // Cells written one by one after a fill keep the filled rows.
    t.SetCellText(2, 2, QStringLiteral("x"));
    QCOMPARE(t.storedRowCount(), 20001);
    QCOMPARE(t.cellText(2, 2), QStringLiteral("x"));
    QCOMPARE(t.cellText(3, 1), QStringLiteral("20.00")); // 19.998 m
}

void TestScreenWidgets::mirrorFollowsAppendsAndResets()
{
    CSampleMirror m;
    samples.assign(makeSamples(10, 20000, -50, wave));
    m.refresh(samples);
    QCOMPARE(m.data(), samples.snapshot());
    const uint64_t gen = m.generation();
    samples.append(19000, 5.0f);
    m.refresh(samples);
    QCOMPARE(m.generation(), gen); // an append keeps what was held
    QCOMPARE(m.data(), samples.snapshot());
    QVERIFY(samples.editResistivity(3, 77.0f));
    m.refresh(samples);
    QVERIFY(m.generation() != gen);
    QCOMPARE(m.data(), samples.snapshot());
    // A reload of the same length with other values is noticed too.
    const uint64_t gen2 = m.generation();
    QVector<Sample> other = samples.snapshot();
    other[0].depth += 1;
    samples.assign(other);
    m.refresh(samples);
    QVERIFY(m.generation() != gen2);
    QCOMPARE(m.data(), other);
    samples.clear();
    m.refresh(samples);
    QCOMPARE(m.size(), 0);
    // Another list at the same revision is another list: copied afresh.
    SampleList second;
    second.assign(makeSamples(3, 100, 10, wave));
    samples.assign(makeSamples(5, 20000, -50, wave));
    m.refresh(samples);
    for (int i = 0; i < 1000 && second.revision() < samples.revision(); ++i)
        second.editResistivity(0, 1.0f);
    QCOMPARE(second.revision(), samples.revision());
    const uint64_t gen3 = m.generation();
    m.refresh(second);
    QCOMPARE(m.data(), second.snapshot());
    QVERIFY(m.generation() != gen3);
}

// ---------------------------------------------------------------- CDlgInfo

void TestScreenWidgets::infoDialogShowsText()
{
    const QString text = QStringLiteral("  工程名称:P\n  文件名:F\n") + QString(400, QLatin1Char('x'));
    CDlgInfo dlg(text);
    QCOMPARE(dlg.infoText(), text);
    QCOMPARE(dlg.geometry(), QKRVCommomUtils::screenRect());
    QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dlg.testAttribute(Qt::WA_TranslucentBackground));
    auto *label = dlg.findChild<QLabel *>(QStringLiteral("label_curDataInfo"));
    QVERIFY(label);
    QVERIFY(label->wordWrap());
    auto *title = dlg.findChild<QLabel *>(QStringLiteral("DlgTitleBarTitle"));
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("信息"));
    auto *ok = dlg.findChild<QPushButton *>(QStringLiteral("BtnOK"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("返  回"));
    QVERIFY(dlg.findChild<QWidget *>(QStringLiteral("DlgTitleBar")));
    QCOMPARE(dlg.findChild<QWidget *>(QStringLiteral("DlgTitleBar"))->maximumHeight(), 54);
    // Back ends the modal run as rejected.
    QTimer::singleShot(0, ok, &QPushButton::click);
    QTimer::singleShot(5000, &dlg, [&dlg] { dlg.done(99); }); // bound: fails if Back did nothing
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));
}

QTEST_MAIN(TestScreenWidgets)
#include "tst_screenwidgets.moc"
