// Faults that fuzzing the readers of outside data found, kept as tests.

#include "acqstate.h"
#include "appmodel.h"
#include "ctrlinfo.h"
#include "depthcalc.h"
#include "testsupport.h"
#include "winchframe.h"

#include <QtTest>
#include <climits>

class TstOutsideData : public QObject {
    Q_OBJECT
private slots:
    void winchMillimetres_data();
    void winchMillimetres();
    void hugeDiametersGiveADefinedHeight_data();
    void hugeDiametersGiveADefinedHeight();
};

void TstOutsideData::winchMillimetres_data()
{
    QTest::addColumn<float>("metres");
    QTest::addColumn<int>("mm");
    QTest::newRow("ordinary") << 0.21991f << 219;
    QTest::newRow("negative cut toward zero") << -1.2345f << -1234;
    QTest::newRow("far above the range") << 3.0e9f << INT_MAX;
    QTest::newRow("far below the range") << -3.0e9f << INT_MIN;
    QTest::newRow("just above the top") << 2147484.0f << INT_MAX;
}

void TstOutsideData::winchMillimetres()
{
    QFETCH(float, metres);
    QFETCH(int, mm);
    QCOMPARE(::winchMillimetres(metres), int32_t(mm));
}

// A parameter file can carry any pulley and cable diameters; the height the
// model derives from them must stay a defined number (the conversion was
// undefined, and the sum of the diameters overflowed).
void TstOutsideData::hugeDiametersGiveADefinedHeight_data()
{
    QTest::addColumn<int>("wheelD");
    QTest::addColumn<int>("lineD");
    QTest::addColumn<int>("pulses");
    QTest::addColumn<int>("height");
    QTest::newRow("both at the top") << INT_MAX << INT_MAX << INT_MAX << INT_MAX;
    QTest::newRow("fuzz finding") << 63 << int(0x88000007) << 5000 << INT_MIN;
    QTest::newRow("negative count") << INT_MAX << 7 << -1024 << INT_MIN;
}

void TstOutsideData::hugeDiametersGiveADefinedHeight()
{
    QFETCH(int, wheelD);
    QFETCH(int, lineD);
    QFETCH(int, pulses);
    QFETCH(int, height);
    TestAppDir dir;
    CAppModel model(WinchAddress{QString(), 0}, false);
    model.setWinchGeometry(wheelD, lineD);
    WinchReport r;
    r.pulseCount = pulses;
    r.rawValue = 1.0f;
    QVERIFY(model.updateFrom(r, 1));
    QCOMPARE(model.winchHeight.load(), int32_t(height));
}

QTEST_GUILESS_MAIN(TstOutsideData)
#include "tst_outsidedata.moc"
