// Renders the measurement screen's widgets to PNG files for visual checks:
//   screenwidgetshots <output folder>
// Run with QT_QPA_PLATFORM=offscreen.

#include "ctrlinfo.h"
#include "curve.h"
#include "dlginfo.h"
#include "mytable.h"
#include "showpic.h"
#include "showwavepic.h"
#include "sysconfig.h"
#include "testrecord.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTranslator>
#include <cmath>
#include <cstdio>

namespace {

// The samples on show and their record.
SampleList samples;
CtrlInfo record;

// A plausible hole: high resistivity in clean mud, falling into the sediment.
void makeHole(int count, int maxDepth)
{
    samples.clear();
    const int step = maxDepth / count;
    for (int i = 0; i < count; ++i) {
        const int depth = maxDepth - i * step;
        const double frac = double(i) / count;
        double v = 32 + 6 * std::sin(i / 9.0) + 3 * std::sin(i / 2.3);
        if (frac < 0.08)
            v = 8 + frac * 250; // sediment at the bottom
        samples.append(depth, float(v));
    }
}

bool screen(const QString &path, int theme, bool withArrows)
{
    style = theme;
    const QColor back = theme == 0 ? QColor(236, 238, 242) : QColor(30, 36, 50);
    QWidget host;
    host.resize(1024, 768);
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, back);
    host.setPalette(pal);
    CShowWavePic wave(&host);
    wave.picture().setSource(&samples, &record);
    wave.setGeometry(10, 10, 640, 690);
    CMyTable table(&host);
    table.setGeometry(665, 10, 349, 430);
    if (theme == 0) {
        table.SetHeaderBackground(QColor(71, 163, 248));
        table.SetHeaderTextColor(Qt::white);
        table.SetGridColor(QColor(201, 201, 201));
    }
    table.SetHeaderFont(10);
    CShowPic pic(&host);
    pic.setGeometry(665, 460, 349, 240);
    if (theme != 0)
        pic.SetColors(QColor(40, 46, 64), QColor(40, 46, 64));
    pic.SetTubeParams(4, 30);
    host.show();
    table.grab(); // first layout
    FillTable(&table, samples);
    // A press on the curve 60 % down, then the refresh the main dialog does.
    int picked = -1;
    if (wave.picture().pick(wave.size(), QPoint(200, int(0.6 * 690)), &picked) && picked >= 0)
        wave.picture().setSelected(picked);
    wave.grab();
    FillTable(&table, samples, defaultRangeUnitText(), picked);
    if (withArrows) {
        // Panels come back with the next touch of the table.
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 100), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&table, &release);
    } else {
        table.UpdateTimeHideArrow();
    }
    return host.grab().save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir appDir;
    qputenv("ZPVW_APP_DIR", QFile::encodeName(appDir.path()));
    qputenv("ZPVW_ROOT_DIR", QFile::encodeName(appDir.path()));
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    bool ok = true;

    record.curveRange = 50;
    record.maxDepth = 20000;
    record.moveDistance = 50;
    makeHole(300, 15000);
    ok &= screen(out + "/widgets-300-white.png", 0, true);
    ok &= screen(out + "/widgets-300-black.png", 1, false);

    record.maxDepth = 200000;
    record.moveDistance = 10;
    makeHole(20000, 200000);
    ok &= screen(out + "/widgets-20000-white.png", 0, true);
    ok &= screen(out + "/widgets-20000-black.png", 1, true);

    // English catalogue, as installed when the English language is configured.
    QTranslator english;
    if (english.load(QStringLiteral(":/Language/English.qm"))) {
        QCoreApplication::installTranslator(&english);
        record.maxDepth = 20000;
        record.moveDistance = 50;
        makeHole(300, 15000);
        ok &= screen(out + "/widgets-300-white-english.png", 0, true);
        CDlgInfo infoEn(QStringLiteral("  Project Name:Demo\n  File Name:ZK-12"));
        ok &= infoEn.grab().save(out + "/dlginfo-english.png");
        QCoreApplication::removeTranslator(&english);
    }

    style = 0;
    CDlgInfo info(QStringLiteral("  工程名称:示例工程\n  文件名:ZK-12\n  孔号:ZK-12\n  孔深(m):20.00\n  孔径(mm):2000\n  测试日期:2023-03-08\n  仪器编号:7K2Q-M9XA-3F0D-PW1C"));
    ok &= info.grab().save(out + "/dlginfo.png");

    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
