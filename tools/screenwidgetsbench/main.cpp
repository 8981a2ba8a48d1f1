// Prints how long the measurement screen's curve and table take to follow a
// growing hole:   screenwidgetsbench [samples]   (QT_QPA_PLATFORM=offscreen)
//
// The refresh the acquisition thread asks for after every new sample is one
// append, a repaint of the curve, FillTable and a repaint of the table.

#include "ctrlinfo.h"
#include "curve.h"
#include "mytable.h"
#include "showwavepic.h"
#include "testrecord.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QRegion>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

namespace {

// The samples on show and their record.
SampleList samples;
CtrlInfo record;

float valueAt(int i)
{
    return float(30 + 8 * std::sin(i / 9.0) + 3 * std::sin(i / 2.3));
}

void fillList(int count)
{
    samples.clear();
    for (int i = 0; i < count; ++i)
        samples.append(int(record.maxDepth) - i * int(record.moveDistance), valueAt(i));
}

void report(const char *what, qint64 ns, int runs)
{
    std::printf("%-58s %10.3f ms\n", what, double(ns) / runs / 1e6);
}

// Rows written cell by cell, as a table without a row source would be filled.
void fillCellByCell(CMyTable &table)
{
    const QVector<Sample> v = samples.snapshot();
    table.ClearRows();
    for (int i = 0; i < v.size(); ++i) {
        table.SetCellText(i + 1, 1, QStringLiteral("%1").arg(v[i].depth / 1000.0, 0, 'f', 2), i % 2);
        table.SetCellText(i + 1, 2, QStringLiteral("%1").arg(double(v[i].resistivity), 0, 'f', 4));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir appDir;
    qputenv("ZPVW_APP_DIR", QFile::encodeName(appDir.path()));
    qputenv("ZPVW_ROOT_DIR", QFile::encodeName(appDir.path()));
    QApplication app(argc, argv);
    const int count = argc > 1 ? qMax(2, atoi(argv[1])) : 20000;
    record.moveDistance = 10;
    record.maxDepth = (count + 100) * 10;
    record.curveRange = 50;

    QWidget host;
    host.resize(1024, 768);
    CShowWavePic wave(&host);
    wave.picture().setSource(&samples, &record);
    wave.setGeometry(10, 10, 640, 690);
    CMyTable table(&host);
    table.setGeometry(665, 10, 349, 430);
    fillList(count);
    // Paints go through render(), as the window system would ask for them.
    QPixmap wavePixels(wave.size());
    QPixmap tablePixels(table.size());
    auto paintWave = [&] { wave.render(&wavePixels); };
    auto paintTable = [&] { table.render(&tablePixels); };
    std::printf("%d samples, curve 640x690, table 349x430\n", count);

    QElapsedTimer t;
    t.start();
    paintWave();
    FillTable(&table, samples);
    paintTable();
    report("first paint of curve and table", t.nsecsElapsed(), 1);

    const int runs = 200;
    t.restart();
    for (int i = 0; i < runs; ++i) {
        samples.append(100, valueAt(i));
        paintWave();
        FillTable(&table, samples);
        paintTable();
    }
    report("refresh after one new sample (curve + table)", t.nsecsElapsed(), runs);

    t.restart();
    for (int i = 0; i < runs; ++i) {
        wave.picture().setSelected((i * 37) % samples.size());
        paintWave();
    }
    report("curve repaint for a new selection", t.nsecsElapsed(), runs);

    t.restart();
    for (int i = 0; i < runs; ++i)
        table.PageMoveDown(1), paintTable();
    report("table scroll by one row", t.nsecsElapsed(), runs);

    const int slowRuns = 10;
    t.restart();
    for (int i = 0; i < slowRuns; ++i) {
        samples.append(100, valueAt(i));
        QPixmap pm(640, 690);
        DrawCurvePicture(pm, samples, record); // new sample: curve extended on the cached layer
    }
    report("DrawCurvePicture into a fresh 640x690 pixmap", t.nsecsElapsed(), slowRuns);

    t.restart();
    for (int i = 0; i < slowRuns; ++i) {
        QVector<Sample> v = samples.snapshot();
        v[0].resistivity += 1.0f; // an edited sample: everything is redrawn
        samples.assign(v);
        paintWave();
    }
    report("curve repaint after the list was replaced (full redraw)", t.nsecsElapsed(), slowRuns);

    // 600 % magnification: a canvas of 3840 x 4140 in a scroll area.
    CShowWavePic big;
    big.picture().setSource(&samples, &record);
    big.setFixedSize(3840, 4140);
    const QRegion visible(QRect(1600, 1700, 640, 690));
    t.restart();
    for (int i = 0; i < slowRuns; ++i) {
        samples.append(100, valueAt(i));
        big.render(&wavePixels, QPoint(), visible);
    }
    report("refresh at 600 % (visible part of 3840x4140)", t.nsecsElapsed(), slowRuns);

    CMyTable plain;
    plain.resize(349, 430);
    plain.SetHeaderText(1, 1, QStringLiteral("D"));
    plain.SetHeaderText(1, 2, QStringLiteral("R"));
    t.restart();
    fillCellByCell(plain);
    report("for comparison: formatting every row of the list once", t.nsecsElapsed(), 1);
    return 0;
}
